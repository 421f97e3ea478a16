#include "common/text/messages.h"

namespace korvi {
namespace {

// Answers every box as if the user pressed Escape; used until a deliverable installs
// its dialogs, so logic never blocks on a missing user interface.
class EscapeMessages final : public Messages {
 public:
  int showMessage(const MessageRequest& r) override { return escapeResult(r.buttons); }
  bool askText(const QString&, const QString&, QString&) override { return false; }
  bool askFile(const FileRequest&, QString&) override { return false; }
};

std::shared_ptr<Messages>& current() {
  static std::shared_ptr<Messages> impl = std::make_shared<EscapeMessages>();
  return impl;
}

}  // namespace

Messages& messages() { return *current(); }

std::shared_ptr<Messages> installMessages(std::shared_ptr<Messages> impl) {
  if (!impl) impl = std::make_shared<EscapeMessages>();
  std::shared_ptr<Messages> previous = current();
  current() = std::move(impl);
  return previous;
}

int escapeResult(MsgButtons buttons) {
  if (buttons & mbCancel) return mrCancel;
  if (buttons & mbNo) return mrNo;
  if (buttons & mbOK) return mrOk;
  return mrCancel;  // closing the box by its window frame
}

QString buttonName(MsgButton button) {
  switch (button) {
    case mbYes: return QStringLiteral("YES");
    case mbNo: return QStringLiteral("NO");
    case mbOK: return QStringLiteral("OK");
    case mbCancel: return QStringLiteral("CANCEL");
    case mbAbort: return QStringLiteral("ABORT");
    case mbRetry: return QStringLiteral("RETRY");
    case mbIgnore: return QStringLiteral("IGNORE");
    case mbAll: return QStringLiteral("ALL");
    case mbHelp: return QStringLiteral("HELP");
  }
  return {};
}

QStringList buttonNames(MsgButtons buttons) {
  QStringList names;
  for (unsigned bit = mbYes; bit <= mbHelp; bit <<= 1)
    if (buttons & bit) names << buttonName(static_cast<MsgButton>(bit));
  return names;
}

int resultOfButton(MsgButton button) {
  switch (button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbHelp: return mrNone;
  }
  return mrNone;
}

QString kindName(MsgKind kind) {
  switch (kind) {
    case MsgKind::Warning: return QStringLiteral("WARNING");
    case MsgKind::Error: return QStringLiteral("ERROR");
    case MsgKind::Information: return QStringLiteral("INFORMATION");
    case MsgKind::Confirmation: return QStringLiteral("CONFIRMATION");
    case MsgKind::Plain: return QStringLiteral("MESSAGE");
  }
  return {};
}

int ShowMessageBox(const QString& text, MsgKind kind, MsgButtons buttons, MsgButton defaultButton,
                   int left, int top) {
  MessageRequest r;
  r.text = text;
  r.kind = kind;
  r.buttons = buttons;
  r.defaultButton = defaultButton;
  r.left = left;
  r.top = top;
  return messages().showMessage(r);
}

void ShowInformation(const QString& text) {
  ShowMessageBox(text, MsgKind::Information, mbOK, mbOK);
}

bool AskConfirmation(const QString& text) {
  return ShowMessageBox(text, MsgKind::Confirmation, mbYes | mbNo, mbYes) == mrYes;
}

void ShowPlainMessage(const QString& text) {
  MessageRequest r;
  r.text = text;
  r.kind = MsgKind::Plain;
  r.style = MsgStyle::FrameworkPlain;
  messages().showMessage(r);
}

bool AskText(const QString& caption, const QString& prompt, QString& text) {
  return messages().askText(caption, prompt, text);
}

}  // namespace korvi
