#include "library/exports/libstate.h"

#include <unistd.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QWidget>

#include "common/dialogs/dialogs.h"
#include "common/text/messages.h"
#include "common/text/paths.h"
#include "common/text/settings.h"
#include "common/text/strings.h"
#include "library/designer/umain.h"
#include "library/sql/buildsql.h"
#include "selq32event.h"

namespace korvi::selq {
namespace {

// The directory the process stood in when the library was loaded, taken before any host
// code can change it; kept whole so the host's result table lands where it is expected.
char g_startupDir[4096];

__attribute__((constructor)) void rememberStartupDirectory() {
  if (!getcwd(g_startupDir, sizeof g_startupDir)) g_startupDir[0] = '\0';
}

// The statement of the designer's current query over the current model, built afresh
// on every call; no lines before the designer exists.
class DesignerSql final : public SqlSource {
 public:
  QStringList sqlLines() override {
    TFormPrincipale* designer = state().designer.data();
    if (!designer) return {};
    return korvi::sql::CurrentSqlLines(designer->document(), modelReader());
  }
};

std::shared_ptr<SqlSource>& sqlSlot() {
  static std::shared_ptr<SqlSource> source = std::make_shared<DesignerSql>();
  return source;
}

std::function<void(const QString&)>& failureHandler() {
  static std::function<void(const QString&)> handler;
  return handler;
}

QApplication*& ownApp() {
  static QApplication* app = nullptr;
  return app;
}

void defaultFailure(const QString& text) {
  restoreArrowCursor();
  ShowMessageBox(LoadText(27) + text, MsgKind::Error, mbOK, mbOK);
}

}  // namespace

std::shared_ptr<SqlSource> setSqlSource(std::shared_ptr<SqlSource> source) {
  if (!source) source = std::make_shared<DesignerSql>();
  std::shared_ptr<SqlSource> previous = sqlSlot();
  sqlSlot() = std::move(source);
  return previous;
}

SqlSource& sqlSource() { return *sqlSlot(); }

LibraryState& state() {
  static LibraryState s = [] {
    LibraryState init;
    init.startupDirectory = g_startupDir[0] ? QFile::decodeName(g_startupDir) : QDir::currentPath();
    return init;
  }();
  return s;
}

ModelFile& modelReader() {
  LibraryState& s = state();
  if (!s.modelReader) s.modelReader = std::make_unique<ModelFile>(QString());
  return *s.modelReader;
}

void ensureLoaded() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  // The library's own texts, then the language (which keeps the missing-text report silent
  // until the designer window exists), the switches and the dialogs.
  installStringTable(QStringLiteral(":/strings/library.txt"));
  startLanguage(Deliverable::Library);
  loadLibrarySettings();
  installDialogs(DeliverableKind::Library);
  state();  // fixes the startup directory
}

bool ownsApplication() { return ownApp() != nullptr; }

bool ensureApplication() {
  if (QCoreApplication* app = QCoreApplication::instance()) return qobject_cast<QApplication*>(app) != nullptr;
  static int argc = 1;
  static char name[] = "selq32";
  static char* argv[] = {name, nullptr};
  ownApp() = new QApplication(argc, argv);
  return true;
}

void pumpEvents() {
  if (!ownsApplication()) return;
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void releaseOwnApplication() {
  if (QApplication* app = ownApp()) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ownApp() = nullptr;
    delete app;
  }
}

bool postHostNotification() {
  QWidget* target = nullptr;
  if (state().hostWindow != 0) target = QWidget::find(static_cast<WId>(state().hostWindow));
  if (target) {
    QCoreApplication::postEvent(target, new KvslHostEvent(0, 1));
    return true;
  }
  // No widget with that id: the event goes to the application object, where a host may
  // still pick it up with an event filter.
  if (QCoreApplication* app = QCoreApplication::instance())
    QCoreApplication::postEvent(app, new KvslHostEvent(0, 1));
  return false;
}

void reportUnexpectedFailure(const QString& text) {
  if (failureHandler())
    failureHandler()(text);
  else
    defaultFailure(text);
}

void setUnexpectedFailureHandler(std::function<void(const QString&)> handler) {
  failureHandler() = std::move(handler);
}

void restoreArrowCursor() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

QString cutStateText(const QString& text) { return text.left(kMaxStateText); }

}  // namespace korvi::selq
