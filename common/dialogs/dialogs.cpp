#include "common/dialogs/dialogs.h"

#include <memory>

#include "common/dialogs/unattended.h"
#include "common/dialogs/widgetmessages.h"

namespace korvi {

void installDialogs(DeliverableKind kind) {
  std::shared_ptr<Messages> impl = std::make_shared<WidgetMessages>();
  const QString log = qEnvironmentVariable("KORVI_MESSAGE_LOG");
  const QString answers = qEnvironmentVariable("KORVI_ANSWERS");
  if (!log.isEmpty() || !answers.isEmpty()) {
    auto session = std::make_shared<UnattendedSession>(log, answers);
    setUnattendedSession(session);
    impl = std::make_shared<UnattendedMessages>(impl, session);
  } else {
    setUnattendedSession(nullptr);
  }
  installMessages(impl);
  // Installed first, so a caption missing from the string table is reported (and logged)
  // through the box the process really uses.
  setDialogTexts(loadDialogTexts(kind));
}

}  // namespace korvi
