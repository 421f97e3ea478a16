#include "library/exports/lifecycle.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>

#include "common/dialogs/waitcursor.h"
#include "library/results/runhooks.h"
#include "common/text/messages.h"
#include "common/text/strings.h"
#include "library/designer/umain.h"
#include "library/exports/libstate.h"

namespace korvi::selq {


namespace {

// Running a query, its result window and the SQL window plug into the designer's hooks,
// unless the host's own code (or a test) has put something there already.
void installResultHooks() {
  if (designerHooks().runQuery) return;
  results::installRunHooks({
      [] { return state().designer.data(); },
      []() -> const ModelFile& { return modelReader(); },
      [](results::ResultWindowOptions& o) {
        const LibraryState& s = state();
        o.customButtonVisible = s.customButtonVisible;
        o.customButtonCaption = s.customButtonCaption;
        o.hostWindow = s.hostWindow;
        o.startupDirectory = s.startupDirectory;
        o.notifyHost = [] { postHostNotification(); };
      }});
}

}  // namespace
namespace {

bool fileExists(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  return info.exists() && info.isFile();
}

TFormPrincipale* runningDesigner() {
  LibraryState& s = state();
  if (!s.designerCreated || !s.designerRunning) return nullptr;
  return s.designer.data();
}

QStringList buildSqlLines() {
  QStringList lines = sqlSource().sqlLines();
  // The SQL assembly may show the hourglass; the host gets the arrow back.
  restoreArrowCursor();
  return lines;
}

}  // namespace

void makeModelCurrent(const QString& path, bool lowerCase) {
  LibraryState& s = state();
  s.modelReader = std::make_unique<ModelFile>(path);
  s.modelPath = cutStateText(lowerCase ? path.toLower() : path);
  if (s.designer) s.designer->showModel();
}

int runDesigner(const QString& modelPath) {
  LibraryState& s = state();
  if (!fileExists(modelPath)) {
    // The text carries one "%s" for the path.
    ShowInformation(LoadText(56).replace(QLatin1String("%s"), modelPath));
    return 1;
  }
  try {
    if (s.designer) {
      s.designer->show();
      s.designer->raise();
    } else {
      installResultHooks();
      s.designer = new TFormPrincipale;
      s.designer->showMaximized();
    }
    makeModelCurrent(modelPath, false);
    s.designerCreated = true;
    s.designerRunning = true;
    s.designer->showModel();
    return 0;
  } catch (const std::exception& e) {
    ShowInformation(LoadText(27) + QString::fromUtf8(e.what()));
  } catch (...) {
    ShowInformation(LoadText(27));
  }
  return 1;
}

void exitDesigner() {
  LibraryState& s = state();
  if (!s.designerCreated) return;
  s.designerRunning = false;
  if (TFormPrincipale* d = s.designer.data()) {
    d->hide();
    d->closeAllTableWindows();
    d->emptyQuery();
    d->document().setNextTableNumber(1);
    d->setModified(false);
    d->setFileName(QString());
    d->document().setFieldNameQuoting(true);
  }
  if (designerHooks().closeResultSet) designerHooks().closeResultSet();
}

bool designerRunning() { return runningDesigner() != nullptr; }

int loadQueryFile(const QString& path) {
  TFormPrincipale* d = runningDesigner();
  if (!d || !fileExists(path)) return 1;
  designer::QueryDocument& doc = d->document();
  d->closeAllTableWindows();
  d->emptyQuery();
  doc.setNextTableNumber(1);
  // The loader reports its own failures and leaves the query as far as it got; the
  // remaining steps run either way.
  d->loadQueryFile(path);
  d->setModified(false);
  d->setFileName(path);
  doc.setNextTableNumber(d->tableWindowCount() + 1);
  doc.setFieldNameQuoting(true);
  return 0;
}

int loadModelFile(const QString& path) {
  TFormPrincipale* d = runningDesigner();
  if (!d || !fileExists(path)) return 1;
  if (d->tableWindowCount() > 0) {
    if (ShowMessageBox(LoadText(54), MsgKind::Confirmation, mbYes | mbNo, mbYes) != mrYes) return 1;
    if (!d->newQuery()) return 1;
  }
  makeModelCurrent(path, true);
  return 0;
}

int executeQuery() {
  TFormPrincipale* d = runningDesigner();
  if (!d) return 1;
  const auto& run = designerHooks().runQuery;
  return run && run(*d) ? 0 : 1;
}

int displayResult() {
  TFormPrincipale* d = runningDesigner();
  if (!d) return 1;
  const DesignerHooks& h = designerHooks();
  if (!h.resultSetOpen || !h.resultSetOpen()) return 1;
  try {
    WaitCursor wait;
    if (!h.showResult || !h.showResult(*d)) return 1;
    d->setResultWindowOpen(true);
    return 0;
  } catch (const std::exception& e) {
    ShowMessageBox(LoadText(27) + QString::fromUtf8(e.what()), MsgKind::Error, mbOK, mbOK);
  } catch (...) {
    ShowMessageBox(LoadText(27), MsgKind::Error, mbOK, mbOK);
  }
  return 1;
}

int setDesignerSize(int code) {
  TFormPrincipale* d = runningDesigner();
  if (!d) return 1;
  switch (code) {
    case 2: d->showMaximized(); break;
    case 1: d->showMinimized(); break;
    case 9999: d->hide(); break;
    default: d->showNormal(); break;
  }
  return 0;
}

int registerCallBack(quint32 window) {
  state().hostWindow = window;
  return window != 0 ? 0 : 1;
}

int unregisterCallBack() {
  LibraryState& s = state();
  const bool had = s.hostWindow != 0;
  s.hostWindow = 0;
  return had ? 0 : 1;
}

void unloadDesigner() {
  LibraryState& s = state();
  if (!s.designerCreated) return;
  s.unloading = true;
  TFormPrincipale* d = s.designer.data();
  QString tempDir = d ? d->tempDirectory() : s.startupDirectory;
  if (d) d->releaseResources();
  s.modelReader = std::make_unique<ModelFile>(QString());
  QFile::remove(QDir(tempDir).filePath(QStringLiteral("TEMPO.OSQ")));
  if (designerHooks().releaseEngine) designerHooks().releaseEngine();
  if (d) d->deleteLater();
}

void showCustomButton(bool visible) { state().customButtonVisible = visible; }

void setCustomButtonCaption(const QString& caption) { state().customButtonCaption = cutStateText(caption); }

int sqlLineCount() {
  if (!state().designerCreated) return 0;
  return static_cast<int>(buildSqlLines().size());
}

bool sqlLine(int n, QByteArray& line) {
  if (!state().designerCreated) return false;
  const QStringList lines = buildSqlLines();
  if (n < 1 || n > lines.size()) return false;
  line = lines.at(n - 1).toUtf8();
  return true;
}

void resetLibraryState() {
  LibraryState& s = state();
  if (TFormPrincipale* d = s.designer.data()) {
    s.unloading = true;
    delete d;
  }
  const QString startup = s.startupDirectory;
  s = LibraryState();
  s.startupDirectory = startup;
}

}  // namespace korvi::selq
