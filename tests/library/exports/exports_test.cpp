// The fifteen exports through their C interface: results, conditions and the order in
// which a host may call them.

#include <cstring>

#include <QMdiArea>
#include <QWidget>

#include "fixture.h"
#include "selq32event.h"

namespace korvi::selq::testing {
namespace {

using korvi::mrCancel;
using korvi::mrNo;
using korvi::mrYes;

class ExportsTest : public LibraryTest {};

class FixedSql final : public SqlSource {
 public:
  explicit FixedSql(QStringList lines) : lines_(std::move(lines)) {}
  QStringList sqlLines() override {
    ++builds;
    return lines_;
  }
  int builds = 0;

 private:
  QStringList lines_;
};

TEST_F(ExportsTest, RunOnMissingFileShowsMessage56AndStaysLoaded) {
  const QString missing = dir_.filePath(QStringLiteral("absent.mdl"));
  EXPECT_EQ(kvslRun(bytes(missing).constData()), 1);
  ASSERT_EQ(rec_->boxes.size(), 1);
  EXPECT_EQ(rec_->boxes[0].text,
            QStringLiteral("Impossible de trouver le fichier \"%1\", ou format de fichier incorrect.").arg(missing));
  EXPECT_EQ(rec_->boxes[0].kind, MsgKind::Information);
  EXPECT_EQ(rec_->boxes[0].buttons, unsigned(mbOK));
  EXPECT_EQ(kvslIsRunning(), 0);
  EXPECT_FALSE(state().designerCreated);
  // A directory is not a model file either; nor is a null or empty path.
  EXPECT_EQ(kvslRun(bytes(dir_.path()).constData()), 1);
  EXPECT_EQ(kvslRun(nullptr), 1);
  EXPECT_EQ(kvslRun(""), 1);
}

TEST_F(ExportsTest, ExportsNeedingTheDesignerReturn1SilentlyBeforeRunAndAfterExit) {
  const QByteArray file = bytes(model_);
  auto expectRefused = [&] {
    EXPECT_EQ(kvslLoadOSQ(file.constData()), 1);
    EXPECT_EQ(kvslLoadMDL(file.constData()), 1);
    EXPECT_EQ(kvslExecuteQuery(), 1);
    EXPECT_EQ(kvslDisplayResult(), 1);
    EXPECT_EQ(kvslSetSize(2), 1);
    EXPECT_EQ(kvslIsRunning(), 0);
  };
  // Before the first run, exit and unload do nothing at all.
  kvslExit();
  kvslUnload();
  EXPECT_FALSE(state().unloading);
  expectRefused();

  run();
  EXPECT_EQ(kvslIsRunning(), 1);
  kvslExit();
  expectRefused();
  EXPECT_TRUE(rec_->boxes.isEmpty());
  // The functions without conditions still work.
  EXPECT_EQ(kvslRegisterCallBack(7), 0);
  EXPECT_EQ(kvslUnRegisterCallBack(), 0);
}

TEST_F(ExportsTest, RunCreatesShowsAndKeepsTheModelPath) {
  TFormPrincipale& d = run();
  EXPECT_TRUE(state().designerCreated);
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(d.isMaximized());
  EXPECT_EQ(state().modelPath, model_);  // unchanged by the run export
  EXPECT_EQ(modelReader().path(), model_);
  auto* panel = d.findChild<QLabel*>(QStringLiteral("Panel3"));
  ASSERT_TRUE(panel);
  EXPECT_EQ(panel->text(), QStringLiteral("Modèle relationnel : ventes.mdl"));
  auto* item = d.findChild<QAction*>(QStringLiteral("mnuModelRelationnel"));
  EXPECT_EQ(item->text(), QStringLiteral("&Modèle relationnel ... \tVentes.mdl"));

  // A second run while running changes the model and leaves the query as it is.
  addTable(d);
  const QString other = writeFile(QStringLiteral("Autre.mdl"), "[Tables]\n");
  EXPECT_EQ(kvslRun(bytes(other).constData()), 0);
  EXPECT_EQ(designer(), &d);
  EXPECT_EQ(d.tableWindowCount(), 1);
  EXPECT_EQ(state().modelPath, other);
}

TEST_F(ExportsTest, LongModelPathIsStoredCutButReadWhole) {
  QString name = QStringLiteral("m");
  const QString base = dir_.path() + QLatin1Char('/');
  while (base.size() + name.size() + 4 < 100) name += QLatin1Char('x');
  const QString path = writeFile(name + QStringLiteral(".mdl"), "[Tables]\nA=:X:,a.dbf,1\n");
  ASSERT_GE(path.size(), 100);
  EXPECT_EQ(kvslRun(bytes(path).constData()), 0);
  EXPECT_EQ(state().modelPath, path.left(80));
  // The reader is bound to the whole path, so the model stays readable.
  EXPECT_EQ(modelReader().path(), path);
  EXPECT_EQ(modelReader().tables().size(), 1);
}

TEST_F(ExportsTest, ExitHidesAndEmptiesWithoutAskingAndRunShowsAgain) {
  TFormPrincipale& d = run();
  addTable(d);
  d.setModified(true);
  d.setFileName(QStringLiteral("/tmp/q.osq"));
  d.document().setFieldNameQuoting(false);
  kvslExit();
  EXPECT_TRUE(rec_->boxes.isEmpty());
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(d.tableWindowCount(), 0);
  EXPECT_FALSE(d.isModified());
  EXPECT_TRUE(d.fileName().isEmpty());
  EXPECT_TRUE(d.document().fieldNameQuoting());
  EXPECT_EQ(d.document().nextTableNumber(), 1);
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Korvi Selectra - (Sans nom)"));

  EXPECT_EQ(kvslRun(bytes(model_).constData()), 0);
  EXPECT_EQ(designer(), &d);  // the same window again
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(d.queryIsEmpty());
}

TEST_F(ExportsTest, SetSizeCodes) {
  TFormPrincipale& d = run();
  EXPECT_EQ(kvslSetSize(9999), 0);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(kvslIsRunning(), 1);
  for (int code : {0, 3, -1}) {
    EXPECT_EQ(kvslSetSize(2), 0);
    EXPECT_TRUE(d.isMaximized());
    EXPECT_EQ(kvslSetSize(code), 0);
    EXPECT_TRUE(d.isVisible()) << code;
    EXPECT_FALSE(d.isMaximized()) << code;
    EXPECT_FALSE(d.isMinimized()) << code;
  }
  EXPECT_EQ(kvslSetSize(1), 0);
  EXPECT_TRUE(d.isMinimized());
  // Hidden by 9999, shown again by run.
  EXPECT_EQ(kvslSetSize(9999), 0);
  EXPECT_EQ(kvslRun(bytes(model_).constData()), 0);
  EXPECT_TRUE(d.isVisible());
}

TEST_F(ExportsTest, CallbackRegistrationKeepsTheWhole32BitValue) {
  EXPECT_EQ(kvslRegisterCallBack(0), 1);
  EXPECT_EQ(state().hostWindow, 0u);
  EXPECT_EQ(kvslUnRegisterCallBack(), 1);

  EXPECT_EQ(kvslRegisterCallBack(0x12345678u), 0);
  EXPECT_EQ(state().hostWindow, 0x12345678u);  // not cut to its low 16 bits
  EXPECT_EQ(kvslRegisterCallBack(0x10001u), 0);  // a later call replaces the earlier one
  EXPECT_EQ(state().hostWindow, 0x10001u);
  EXPECT_EQ(kvslUnRegisterCallBack(), 0);
  EXPECT_EQ(kvslUnRegisterCallBack(), 1);
  // Registering 0 over a window leaves none registered.
  kvslRegisterCallBack(5);
  EXPECT_EQ(kvslRegisterCallBack(0), 1);
  EXPECT_EQ(kvslUnRegisterCallBack(), 1);
}

class HostWidget : public QWidget {
 public:
  bool event(QEvent* e) override {
    if (e->type() == static_cast<QEvent::Type>(KVSL_HOST_NOTIFICATION)) {
      auto* n = static_cast<KvslHostEvent*>(e);
      received.append({n->wParam, n->lParam});
      return true;
    }
    return QWidget::event(e);
  }
  QList<QPair<int, int>> received;
};

TEST_F(ExportsTest, NotificationIsPostedToTheRegisteredWidget) {
  HostWidget host;
  host.show();
  const quint32 id = static_cast<quint32>(host.winId());
  ASSERT_NE(id, 0u);
  EXPECT_EQ(kvslRegisterCallBack(id), 0);
  EXPECT_TRUE(postHostNotification());
  EXPECT_TRUE(host.received.isEmpty());  // posted, not sent
  flushEvents();
  ASSERT_EQ(host.received.size(), 1);
  EXPECT_EQ(host.received[0], qMakePair(0, 1));

  // Without a registered window it is still posted, to nobody in particular.
  kvslUnRegisterCallBack();
  EXPECT_FALSE(postHostNotification());
  flushEvents();
  EXPECT_EQ(host.received.size(), 1);
}

TEST_F(ExportsTest, CustomButtonFlagAndCaption) {
  kvslShowCustBtn(5);
  EXPECT_TRUE(state().customButtonVisible);
  kvslShowCustBtn(0);
  EXPECT_FALSE(state().customButtonVisible);
  const QByteArray hundred(100, 'a');
  kvslSetCustBtnCaption(hundred.constData());
  EXPECT_EQ(state().customButtonCaption, QString(80, QLatin1Char('a')));
  kvslSetCustBtnCaption("Renvoyer à l'hôte");
  EXPECT_EQ(state().customButtonCaption, QStringLiteral("Renvoyer à l'hôte"));
  // A caption in the Windows code page is taken as such.
  kvslSetCustBtnCaption("H\xf4te");
  EXPECT_EQ(state().customButtonCaption, QStringLiteral("Hôte"));
  kvslSetCustBtnCaption(nullptr);
  EXPECT_TRUE(state().customButtonCaption.isEmpty());
}

TEST_F(ExportsTest, SqlLinesAreRebuiltPerCallAndOutOfRangeLeavesTheBuffer) {
  auto sql = std::make_shared<FixedSql>(QStringList{QStringLiteral("SELECT T1.\"NOM\""),
                                                    QStringLiteral("FROM \"clients.dbf\" T1")});
  setSqlSource(sql);
  // Before the designer exists there is nothing to read.
  EXPECT_EQ(kvslGetSqlLineCount(), 0);
  run();
  EXPECT_EQ(kvslGetSqlLineCount(), 2);
  char buffer[64];
  std::memset(buffer, 'z', sizeof buffer);
  for (int n : {0, -1, 3, 1000}) kvslGetSqlLine(n, buffer);
  EXPECT_EQ(buffer[0], 'z');
  EXPECT_EQ(buffer[63], 'z');
  kvslGetSqlLine(2, buffer);
  EXPECT_STREQ(buffer, "FROM \"clients.dbf\" T1");
  std::memset(buffer, 'z', sizeof buffer);
  kvslGetSqlLine(1, buffer);
  EXPECT_STREQ(buffer, "SELECT T1.\"NOM\"");
  EXPECT_EQ(buffer[std::strlen(buffer) + 1], 'z');  // the line and its zero, nothing more
  kvslGetSqlLine(1, nullptr);                       // no buffer: nothing to do
  EXPECT_EQ(sql->builds, 7);
  // The SQL text does not need the designer running, only created.
  kvslExit();
  EXPECT_EQ(kvslGetSqlLineCount(), 2);
  // Without an installed source the query has no lines.
  setSqlSource(nullptr);
  EXPECT_EQ(kvslGetSqlLineCount(), 0);
}

TEST_F(ExportsTest, LoadOsqReplacesAModifiedQueryWithoutAsking) {
  const QString query = writeFile(QStringLiteral("Q1.osq"), "[Requete]\n");
  QString loaded;
  designerHooks().loadQueryFile = [&](TFormPrincipale& d, const QString& path) {
    loaded = path;
    addTable(d, QStringLiteral("Commandes"));
    addTable(d, QStringLiteral("Clients"));
    return false;  // the loader failed half-way: the remaining steps still run
  };
  TFormPrincipale& d = run();
  addTable(d);
  d.setModified(true);
  EXPECT_EQ(kvslLoadOSQ(bytes(dir_.filePath(QStringLiteral("absent.osq"))).constData()), 1);
  EXPECT_TRUE(loaded.isEmpty());
  EXPECT_EQ(kvslLoadOSQ(bytes(query).constData()), 0);
  EXPECT_TRUE(rec_->boxes.isEmpty());
  EXPECT_EQ(loaded, query);
  EXPECT_EQ(d.tableWindowCount(), 2);
  EXPECT_EQ(d.document().tableByNumber(1)->longName, QStringLiteral("Commandes"));
  EXPECT_FALSE(d.isModified());
  EXPECT_EQ(d.fileName(), query);
  EXPECT_EQ(d.document().nextTableNumber(), 3);
  EXPECT_TRUE(d.document().fieldNameQuoting());
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Korvi Selectra - Q1.osq"));
}

TEST_F(ExportsTest, LoadMdlAsksBeforeClosingTables) {
  const QString other = writeFile(QStringLiteral("Autre.MDL"), "[Tables]\n");
  TFormPrincipale& d = run();
  // Without tables: no question, path stored in lower case.
  EXPECT_EQ(kvslLoadMDL(bytes(other).constData()), 0);
  EXPECT_TRUE(rec_->boxes.isEmpty());
  EXPECT_EQ(state().modelPath, other.toLower());
  EXPECT_EQ(modelReader().path(), other);
  EXPECT_EQ(kvslLoadMDL(bytes(dir_.filePath(QStringLiteral("absent.mdl"))).constData()), 1);
  EXPECT_TRUE(rec_->boxes.isEmpty());

  ASSERT_EQ(kvslRun(bytes(model_).constData()), 0);
  addTable(d);
  d.setModified(true);
  rec_->answers = {mrNo};
  EXPECT_EQ(kvslLoadMDL(bytes(other).constData()), 1);
  ASSERT_EQ(rec_->boxes.size(), 1);
  EXPECT_EQ(rec_->boxes[0].text, LoadText(54));
  EXPECT_EQ(rec_->boxes[0].buttons, unsigned(mbYes | mbNo));
  EXPECT_EQ(state().modelPath, model_);
  EXPECT_EQ(d.tableWindowCount(), 1);

  // Yes, then Cancel on the save question: still nothing changes.
  rec_->answers = {mrYes, mrCancel};
  EXPECT_EQ(kvslLoadMDL(bytes(other).constData()), 1);
  ASSERT_EQ(rec_->boxes.size(), 3);
  EXPECT_EQ(rec_->boxes[2].text, LoadText(77));
  EXPECT_EQ(rec_->boxes[2].buttons, unsigned(mbYes | mbNo | mbCancel));
  EXPECT_EQ(d.tableWindowCount(), 1);
  EXPECT_EQ(state().modelPath, model_);

  // Yes, then No: the query is emptied and the model changes.
  rec_->answers = {mrYes, mrNo};
  EXPECT_EQ(kvslLoadMDL(bytes(other).constData()), 0);
  EXPECT_EQ(d.tableWindowCount(), 0);
  EXPECT_FALSE(d.isModified());
  EXPECT_EQ(state().modelPath, other.toLower());
}

TEST_F(ExportsTest, LoadMdlStopsWhenSavingFails) {
  designerHooks().saveQueryFile = [](TFormPrincipale&, const QString&) { return false; };
  TFormPrincipale& d = run();
  addTable(d);
  d.setFileName(dir_.filePath(QStringLiteral("q.osq")));
  d.setModified(true);
  rec_->answers = {mrYes, mrYes};
  const QString other = writeFile(QStringLiteral("b.mdl"), "");
  EXPECT_EQ(kvslLoadMDL(bytes(other).constData()), 1);
  EXPECT_EQ(d.tableWindowCount(), 1);
  EXPECT_TRUE(d.isModified());
}

TEST_F(ExportsTest, ExecuteAndDisplayFollowTheirHooks) {
  TFormPrincipale& d = run();
  designerHooks() = DesignerHooks();  // this test plugs in pieces of its own
  // Nothing plugged in: execution fails, nothing to display.
  EXPECT_EQ(kvslExecuteQuery(), 1);
  EXPECT_EQ(kvslDisplayResult(), 1);

  bool resultOpen = false;
  int shown = 0;
  designerHooks().runQuery = [&](TFormPrincipale&) { return resultOpen = true; };
  designerHooks().resultSetOpen = [&] { return resultOpen; };
  designerHooks().closeResultSet = [&] { resultOpen = false; };
  designerHooks().showResult = [&](TFormPrincipale&) {
    ++shown;
    return true;
  };
  EXPECT_EQ(kvslDisplayResult(), 1);  // not executed yet
  EXPECT_EQ(kvslExecuteQuery(), 0);
  EXPECT_EQ(shown, 0);  // executing does not show
  EXPECT_EQ(kvslDisplayResult(), 0);
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(d.resultWindowOpen());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // arrow again afterwards

  // A failure while building the window: internal error, result 1, arrow again.
  designerHooks().showResult = [](TFormPrincipale&) -> bool { throw std::runtime_error("boom"); };
  EXPECT_EQ(kvslDisplayResult(), 1);
  ASSERT_EQ(rec_->boxes.size(), 1);
  EXPECT_EQ(rec_->boxes[0].text, QStringLiteral("Erreur interne : boom"));
  EXPECT_EQ(rec_->boxes[0].kind, MsgKind::Error);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  // Exit closes the result set.
  kvslExit();
  EXPECT_FALSE(resultOpen);
}

TEST_F(ExportsTest, ClosingTheWindowAsksThenHidesAndRunShowsAnEmptyQuery) {
  TFormPrincipale& d = run();
  addTable(d);
  d.setModified(true);
  rec_->answers = {mrCancel};
  d.close();
  EXPECT_EQ(rec_->boxes.size(), 1);
  EXPECT_EQ(rec_->boxes[0].text, LoadText(77));
  EXPECT_EQ(kvslIsRunning(), 1);
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.tableWindowCount(), 1);
  EXPECT_FALSE(d.closing());

  rec_->answers = {mrNo};
  d.close();
  flushEvents();
  ASSERT_EQ(designer(), &d);  // hidden, not destroyed
  EXPECT_EQ(kvslIsRunning(), 0);
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(kvslRun(bytes(model_).constData()), 0);
  EXPECT_TRUE(d.isVisible());
  EXPECT_TRUE(d.queryIsEmpty());
}

TEST_F(ExportsTest, QuitHidesAModifiedQueryWithoutAQuestion) {
  TFormPrincipale& d = run();
  addTable(d);
  d.setModified(true);
  d.findChild<QAction*>(QStringLiteral("mnuReqQuitter"))->trigger();
  EXPECT_TRUE(rec_->boxes.isEmpty());
  EXPECT_EQ(kvslIsRunning(), 0);
  EXPECT_FALSE(d.isVisible());
}

TEST_F(ExportsTest, ForceUnloadDestroysTheWindowOnClose) {
  setSettings({QStringLiteral("ForceUnload=1")});
  TFormPrincipale& d = run();
  const QString scratch = QDir(d.tempDirectory()).filePath(QStringLiteral("TEMPO.OSQ"));
  QDir().mkpath(d.tempDirectory());
  writeFile(QStringLiteral("x"), "");
  QFile(dir_.filePath(QStringLiteral("x"))).copy(scratch);
  ASSERT_TRUE(QFile::exists(scratch));
  d.close();
  flushEvents();
  EXPECT_EQ(designer(), nullptr);
  EXPECT_EQ(kvslIsRunning(), 0);
  EXPECT_FALSE(QFile::exists(scratch));
  // A new run builds a new designer rather than touching the destroyed one.
  EXPECT_EQ(kvslRun(bytes(model_).constData()), 0);
  ASSERT_NE(designer(), nullptr);
  EXPECT_TRUE(designer()->isVisible());
}

TEST_F(ExportsTest, UnloadReleasesFilesAndDestroysTheWindowLater) {
  bool engineReleased = false;
  designerHooks().releaseEngine = [&] { engineReleased = true; };
  TFormPrincipale& d = run();
  QDir().mkpath(d.tempDirectory());
  const QString scratch = QDir(d.tempDirectory()).filePath(QStringLiteral("TEMPO.OSQ"));
  {
    QFile f(scratch);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  addTable(d);
  d.setModified(true);
  kvslUnload();
  EXPECT_TRUE(state().unloading);
  EXPECT_TRUE(state().designerCreated);
  EXPECT_FALSE(QFile::exists(scratch));
  EXPECT_TRUE(modelReader().path().isEmpty());
  EXPECT_TRUE(engineReleased);
  EXPECT_EQ(designer(), &d);  // destroyed once the current event is handled
  flushEvents();
  EXPECT_EQ(designer(), nullptr);
  EXPECT_TRUE(rec_->boxes.isEmpty());  // no save question on unload
}

}  // namespace
}  // namespace korvi::selq::testing
