// The designer main window: tool bar, menus and their enabling rules, grid keys and
// popups, the option toggles and the handler of unexpected failures.

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QMdiArea>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "common/ini/inifile.h"
#include "fixture.h"
#include "library/designer/cellpopup.h"
#include "library/designer/stringgrid.h"

namespace korvi::selq::testing {
namespace {

using korvi::mrNo;
using korvi::mrYes;

class MainWindowTest : public LibraryTest {
 protected:
  QAction* item(const char* name) { return designer()->findChild<QAction*>(QString::fromLatin1(name)); }
  QToolButton* button(const char* name) {
    return designer()->findChild<QToolButton*>(QString::fromLatin1(name));
  }
  // Puts a field of the first table into the spare column.
  void dropField(TFormPrincipale& d, const QString& field = QStringLiteral("Nom")) {
    designer::QueryDocument& doc = d.document();
    ASSERT_TRUE(doc.dropField(doc.spareColumn(), *doc.tableByNumber(1), field, false));
  }
};

TEST_F(MainWindowTest, ToolBarButtonsTheirPlacesHintsAndStartState) {
  struct Expected {
    const char* name;
    int left;
    int hint;
    bool enabled;
  };
  const Expected buttons[] = {
      {"SpeedButtonNouvelleReq", 8, 221, false},  {"SpeedButton2", 32, 222, true},
      {"SpeedButtonSaveReq", 56, 223, false},     {"SpeedButtonSaveReqAs", 80, 224, false},
      {"SpeedButtonSupprColonne", 107, 226, false}, {"SpeedButtonEffCritere", 131, 225, false},
      {"SpeedButtonExecReq", 157, 227, false},    {"SpeedButtonAjoutTables", 205, 228, true},
      {"SpeedButtonSupprTable", 229, 229, false}, {"SpeedButton8", 277, 230, true},
  };
  TFormPrincipale& d = run();
  for (const Expected& e : buttons) {
    QToolButton* b = button(e.name);
    ASSERT_TRUE(b) << e.name;
    EXPECT_EQ(b->geometry(), QRect(e.left, 2, 25, 25)) << e.name;
    EXPECT_EQ(b->toolTip(), LoadText(e.hint)) << e.name;
    EXPECT_EQ(b->isEnabled(), e.enabled) << e.name;
  }
  EXPECT_EQ(button("SpeedButtonNouvelleReq")->toolTip(), QStringLiteral("Créer une nouvelle requête"));
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Korvi Selectra - (Sans nom)"));
  EXPECT_EQ(d.objectName(), QStringLiteral("TFormPrincipale"));
  // The grid: 15 rows, the label column and the spare one, labels right-aligned.
  auto* grid = d.findChild<TStringGridChamps*>(QStringLiteral("StringGridChamps"));
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->rowCount(), 15);
  EXPECT_EQ(grid->columnCount(), 2);
  EXPECT_TRUE(grid->cell(0, 1).endsWith(QStringLiteral("Champ")));
  EXPECT_TRUE(grid->cell(0, 1).startsWith(QLatin1Char(' ')));

  // With a table the seven others follow it.
  addTable(d);
  for (const char* name : {"SpeedButtonNouvelleReq", "SpeedButtonSaveReq", "SpeedButtonSaveReqAs",
                           "SpeedButtonSupprColonne", "SpeedButtonEffCritere", "SpeedButtonExecReq",
                           "SpeedButtonSupprTable"})
    EXPECT_TRUE(button(name)->isEnabled()) << name;
}

TEST_F(MainWindowTest, ResizingPlacesGridAndTheRightHandButtons) {
  TFormPrincipale& d = run();
  d.showNormal();
  d.resize(800, 600);
  EXPECT_EQ(d.grid()->geometry(), QRect(8, 8, 770, 153));
  EXPECT_EQ(button("SpeedButtonQuit")->x(), 700);
  EXPECT_EQ(button("SpeedButtonHelp")->x(), 730);
  // Below 480 pixels they keep their last places.
  d.resize(400, 600);
  if (d.width() < 480) {
    EXPECT_EQ(button("SpeedButtonQuit")->x(), 700);
  }
}

TEST_F(MainWindowTest, MenuCaptionsAndShortcuts) {
  run();
  EXPECT_EQ(designer()->findChild<QMenu*>(QStringLiteral("mnuReq"))->title(), QStringLiteral("&Requête"));
  EXPECT_EQ(item("mnuReqExecuter")->text(), LoadText(207));
  EXPECT_EQ(item("mnuReqExecuter")->shortcut(), QKeySequence(Qt::Key_F8));
  EXPECT_EQ(item("mnuReqNouvelle")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
  EXPECT_EQ(item("mnuReqEnregistrer")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
  EXPECT_EQ(item("mnuReqEnregistrerSous")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(item("mnuTableAjouter")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
  EXPECT_EQ(item("mnuTableSupprimer")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
  EXPECT_EQ(item("mnuAideIndex")->shortcut(), QKeySequence(Qt::Key_F1));
  EXPECT_EQ(item("mnuCacheEditeur")->shortcut(), QKeySequence(Qt::Key_F2));
  // Default switches: SQL item hidden and disabled, model item disabled.
  EXPECT_FALSE(item("mnuReqAfficherSQL")->isVisible());
  EXPECT_FALSE(item("mnuReqAfficherSQL")->isEnabled());
  EXPECT_FALSE(item("mnuModelRelationnel")->isEnabled());
  EXPECT_TRUE(item("mnuOptionsBarreoutils")->isChecked());
  EXPECT_TRUE(item("mnuOptionsAfficherNbEnreg")->isChecked());
  EXPECT_FALSE(item("mnuOptionsLargeurFixe")->isChecked());
}

TEST_F(MainWindowTest, SwitchesShapeTheWindowAtCreation) {
  setSettings({QStringLiteral("ShowSQL=1"), QStringLiteral("MDLChange=1"), QStringLiteral("HideStatus=1"),
               QStringLiteral("ToolBar=0"), QStringLiteral("FixedWidth=1")});
  TFormPrincipale& d = run();
  EXPECT_TRUE(item("mnuReqAfficherSQL")->isVisible());
  EXPECT_EQ(item("mnuReqAfficherSQL")->shortcut(), QKeySequence(Qt::Key_F3));
  EXPECT_TRUE(item("mnuModelRelationnel")->isEnabled());
  EXPECT_FALSE(d.findChild<QWidget*>(QStringLiteral("Panel2"))->isVisible());
  EXPECT_FALSE(d.findChild<QWidget*>(QStringLiteral("PanelBarreOutils"))->isVisible());
  EXPECT_FALSE(item("mnuOptionsBarreoutils")->isChecked());
  EXPECT_TRUE(item("mnuOptionsLargeurFixe")->isChecked());
}

TEST_F(MainWindowTest, ToolBarIsShownAfterTheWindowIsComplete) {
  TFormPrincipale& d = run();  // run() handles the pending events
  EXPECT_TRUE(d.findChild<QWidget*>(QStringLiteral("PanelBarreOutils"))->isVisible());
}

TEST_F(MainWindowTest, RequeteMenuItemsFollowTheQuery) {
  TFormPrincipale& d = run();
  const char* starred[] = {"mnuReqNouvelle", "mnuReqEnregistrer", "mnuReqEnregistrerSous",
                           "mnuChampSupprimer", "mnuReqEffacerCriteres", "mnuReqExecuter"};
  d.updateRequeteMenu();
  for (const char* name : starred) EXPECT_FALSE(item(name)->isEnabled()) << name;
  EXPECT_TRUE(item("mnuReqOuvrir")->isEnabled());
  EXPECT_TRUE(item("mnuReqQuitter")->isEnabled());
  addTable(d);
  d.updateRequeteMenu();
  for (const char* name : starred) EXPECT_TRUE(item(name)->isEnabled()) << name;
  d.updateTableMenu();
  EXPECT_TRUE(item("mnuTableSupprimer")->isEnabled());

  // An open result window disables the menus and the execute command.
  d.setResultWindowOpen(true);
  EXPECT_FALSE(d.findChild<QMenu*>(QStringLiteral("mnuReq"))->menuAction()->isEnabled());
  EXPECT_FALSE(d.findChild<QMenu*>(QStringLiteral("mnuAide"))->menuAction()->isEnabled());
  EXPECT_FALSE(item("mnuReqExecuter")->isEnabled());
  EXPECT_FALSE(button("SpeedButtonExecReq")->isEnabled());
  d.setResultWindowOpen(false);
  EXPECT_TRUE(d.findChild<QMenu*>(QStringLiteral("mnuTable"))->menuAction()->isEnabled());
  EXPECT_TRUE(button("SpeedButtonExecReq")->isEnabled());
}

TEST_F(MainWindowTest, WithoutAllowSaveNothingSavesAndQuestion77NeverComes) {
  setSettings({QStringLiteral("AllowSave=0")});
  int saves = 0;
  designerHooks().saveQueryFile = [&](TFormPrincipale&, const QString&) { return ++saves > 0; };
  TFormPrincipale& d = run();
  addTable(d);
  dropField(d);
  d.setModified(true);
  d.updateRequeteMenu();
  EXPECT_FALSE(item("mnuReqEnregistrer")->isEnabled());
  EXPECT_FALSE(item("mnuReqEnregistrerSous")->isEnabled());
  EXPECT_FALSE(button("SpeedButtonSaveReq")->isEnabled());
  EXPECT_FALSE(button("SpeedButtonSaveReqAs")->isEnabled());
  EXPECT_TRUE(d.askToSave());
  EXPECT_TRUE(d.newQuery());
  EXPECT_FALSE(d.saveQuery());
  EXPECT_EQ(saves, 0);
  EXPECT_TRUE(rec_->boxes.isEmpty());
}

TEST_F(MainWindowTest, SavingAnEmptyQueryAndSavingUnderANewName) {
  QStringList savedTo;
  designerHooks().saveQueryFile = [&](TFormPrincipale&, const QString& path) {
    savedTo << path;
    return true;
  };
  TFormPrincipale& d = run();
  EXPECT_FALSE(d.saveQuery());
  ASSERT_EQ(rec_->boxes.size(), 1);
  EXPECT_EQ(rec_->boxes[0].text, QStringLiteral("Cette requête est vide. Il est inutile de l'enregistrer."));

  addTable(d);
  d.setModified(true);
  const QString target = dir_.filePath(QStringLiteral("ventes.osq"));
  rec_->fileAnswers = {target};
  EXPECT_TRUE(d.saveQuery());  // no name yet: the save dialog
  ASSERT_EQ(rec_->fileRequests.size(), 1);
  EXPECT_TRUE(rec_->fileRequests[0].save);
  EXPECT_EQ(rec_->fileRequests[0].defaultSuffix, QStringLiteral("osq"));
  EXPECT_EQ(savedTo, QStringList{target});
  EXPECT_EQ(d.fileName(), target);
  EXPECT_FALSE(d.isModified());
  EXPECT_EQ(d.windowTitle(), QStringLiteral("Korvi Selectra - ventes.osq"));
  d.setModified(true);
  EXPECT_TRUE(d.saveQuery());  // with a name: straight to it
  EXPECT_EQ(rec_->fileRequests.size(), 1);
  EXPECT_EQ(savedTo.size(), 2);
  // Cancelling the save-as dialog keeps name and flag.
  d.setModified(true);
  EXPECT_FALSE(d.saveQueryAs());
  EXPECT_TRUE(d.isModified());
  EXPECT_EQ(d.fileName(), target);
}

TEST_F(MainWindowTest, AskToSaveYesWithAFailingSaveStops) {
  designerHooks().saveQueryFile = [](TFormPrincipale&, const QString&) { return false; };
  TFormPrincipale& d = run();
  addTable(d);
  d.setFileName(dir_.filePath(QStringLiteral("a.osq")));
  d.setModified(true);
  rec_->answers = {mrYes};
  EXPECT_FALSE(d.newQuery());
  EXPECT_EQ(d.tableWindowCount(), 1);
  rec_->answers = {mrNo};
  EXPECT_TRUE(d.newQuery());
  EXPECT_TRUE(d.queryIsEmpty());
  EXPECT_TRUE(d.fileName().isEmpty());
}

TEST_F(MainWindowTest, OpenQueryCancelledLeavesTheEmptiedQuery) {
  TFormPrincipale& d = run();
  addTable(d);
  d.setModified(true);
  d.openQuery();  // question 77 answered Cancel (Escape): nothing happens
  EXPECT_EQ(rec_->boxes.size(), 1);
  EXPECT_TRUE(rec_->fileRequests.isEmpty());
  EXPECT_EQ(d.tableWindowCount(), 1);
  d.setModified(false);
  d.openQuery();  // no answer in the queue: the dialog is cancelled
  ASSERT_EQ(rec_->fileRequests.size(), 1);
  EXPECT_FALSE(rec_->fileRequests[0].save);
  EXPECT_EQ(rec_->fileRequests[0].caption, LoadText(184));
  EXPECT_TRUE(d.queryIsEmpty());
}

TEST_F(MainWindowTest, ClearCriteriaKeepsTablesAndRemovesColumns) {
  TFormPrincipale& d = run();
  addTable(d);
  dropField(d);
  dropField(d, QStringLiteral("Notes"));
  d.setModified(false);
  rec_->answers = {mrNo};
  d.clearCriteria();
  EXPECT_EQ(d.document().columnCount(), 4);
  rec_->answers = {mrYes};
  d.clearCriteria();
  EXPECT_EQ(rec_->boxes.last().text, LoadText(74));
  EXPECT_EQ(d.tableWindowCount(), 1);
  EXPECT_EQ(d.document().columnCount(), 2);
  EXPECT_EQ(d.grid()->columnCount(), 2);
  EXPECT_TRUE(d.grid()->cell(1, 1).isEmpty());
  EXPECT_TRUE(d.isModified());
}

TEST_F(MainWindowTest, DeleteColumnByNumberAndByWholeSelection) {
  TFormPrincipale& d = run();
  addTable(d);
  dropField(d);
  dropField(d, QStringLiteral("Notes"));
  rec_->textAnswers = {{true, QStringLiteral("deux")}};
  d.deleteColumn();
  EXPECT_EQ(rec_->prompts.last(), LoadText(78) + QLatin1Char('|') + LoadText(79));
  EXPECT_EQ(rec_->boxes.last().text, QStringLiteral("Numéro de colonne invalide !"));
  EXPECT_EQ(d.document().columnCount(), 4);

  rec_->textAnswers = {{true, QStringLiteral(" 1 ")}};
  d.deleteColumn();
  EXPECT_EQ(d.document().columnCount(), 3);
  EXPECT_EQ(d.grid()->cell(1, 1), QStringLiteral("Notes"));
  EXPECT_EQ(d.document().currentRow(), 1);
  EXPECT_TRUE(d.isModified());

  // A right click on the header cell of column 1 selects it whole: question 75.
  const QRect header = d.grid()->visualItemRect(d.grid()->item(0, 1));
  QTest::mouseClick(d.grid()->viewport(), Qt::RightButton, {}, header.center());
  EXPECT_TRUE(d.document().selectionIsWholeColumn());
  rec_->answers = {mrYes};
  d.deleteColumn();
  EXPECT_EQ(rec_->boxes.last().text, LoadText(75));
  EXPECT_EQ(d.document().columnCount(), 2);
}

TEST_F(MainWindowTest, DeleteKeyEmptiesCriteriaCellsOnly) {
  TFormPrincipale& d = run();
  addTable(d);
  dropField(d);
  designer::QueryDocument& doc = d.document();
  ASSERT_TRUE(doc.setCriteria(1, 6, QStringLiteral("COMMENCEPAR D")));
  d.setModified(false);
  const QString sort = doc.cell(1, 3);
  d.deleteKeyOnCell(1, 3);
  EXPECT_EQ(doc.cell(1, 3), sort);
  EXPECT_FALSE(d.isModified());
  d.grid()->setFocus();
  d.grid()->setCurrentCell(6, 1);
  QTest::keyClick(d.grid(), Qt::Key_Delete);
  EXPECT_TRUE(doc.cell(1, 6).isEmpty());
  EXPECT_TRUE(d.grid()->cell(1, 6).isEmpty());
  EXPECT_TRUE(d.isModified());
  // An empty criteria cell leaves the flag alone.
  d.setModified(false);
  d.deleteKeyOnCell(1, 7);
  EXPECT_FALSE(d.isModified());
}

TEST_F(MainWindowTest, CriteriaEditorRestoresTheFlagOnCancelAndWidensOnOk) {
  TFormPrincipale& d = run();
  addTable(d);
  dropField(d);
  bool accept = false;
  bool modifiedWhileOpen = false;
  designerHooks().editCriteria = [&](TFormPrincipale& w, int column, int row) {
    modifiedWhileOpen = w.isModified();
    if (accept) w.document().setCriteria(column, row, QString(60, QLatin1Char('W')));
    return accept;
  };
  d.setModified(false);
  d.openCriteriaEditor(1, 6);
  EXPECT_TRUE(modifiedWhileOpen);
  EXPECT_FALSE(d.isModified());
  accept = true;
  const int before = d.document().columnWidth(1);
  item("mnuCacheEditeur")->trigger();  // F2 on the current cell (row 1: not a criteria row)
  EXPECT_EQ(d.document().cell(1, 6), QString());
  d.openCriteriaEditor(1, 6);
  EXPECT_TRUE(d.isModified());
  EXPECT_GT(d.document().columnWidth(1), before);
  // A column without a field has no editor.
  modifiedWhileOpen = false;
  d.openCriteriaEditor(2, 6);
  EXPECT_FALSE(modifiedWhileOpen);
}

TEST_F(MainWindowTest, SortPopupTicksTheCurrentWordAndDisablesMemoOrders) {
  TFormPrincipale& d = run();
  addTable(d);
  dropField(d);
  dropField(d, QStringLiteral("Notes"));
  std::unique_ptr<QMenu> menu(d.buildCellPopup(1, 3));
  ASSERT_TRUE(menu);
  QStringList ticked;
  for (QAction* a : menu->actions())
    if (a->isChecked()) ticked << a->text();
  EXPECT_EQ(ticked, QStringList{d.document().cell(1, 3)});
  std::unique_ptr<QMenu> memo(d.buildCellPopup(2, 3));
  for (QAction* a : memo->actions()) {
    if (a->data().toInt() == designer::popuptag::kSortUnchanged + 2 ||
        a->data().toInt() == designer::popuptag::kSortUnchanged + 3) {
      EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
    }
  }
  // No popup for a cell of the spare column.
  EXPECT_EQ(d.buildCellPopup(3, 3), nullptr);

  // Choosing "Effacer ..." on a criteria cell asks question 76.
  d.document().setCriteria(1, 6, QStringLiteral("X"));
  rec_->answers = {mrYes};
  d.chooseCellPopupItem(1, 6, designer::popuptag::kClear);
  EXPECT_EQ(rec_->boxes.last().text, LoadText(76));
  EXPECT_TRUE(d.document().cell(1, 6).isEmpty());
}

TEST_F(MainWindowTest, OptionTogglesWriteTheSettingsAtOnce) {
  TFormPrincipale& d = run();
  auto stored = [](const char* key) {
    return IniFile(paths::settingsFile()).readString(QStringLiteral("KorviQuery"), QString::fromLatin1(key));
  };
  QWidget* bar = d.findChild<QWidget*>(QStringLiteral("PanelBarreOutils"));
  item("mnuOptionsBarreoutils")->trigger();
  EXPECT_FALSE(item("mnuOptionsBarreoutils")->isChecked());
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(stored("ToolBar"), QStringLiteral("0"));
  item("mnuOptionsBarreoutils")->trigger();
  EXPECT_TRUE(item("mnuOptionsBarreoutils")->isChecked());
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(stored("ToolBar"), QStringLiteral("1"));
  // The tool bar's own button hides it and clears the tick.
  button("SpeedButton8")->click();
  EXPECT_FALSE(bar->isVisible());
  EXPECT_FALSE(item("mnuOptionsBarreoutils")->isChecked());

  setRecordCount(12);
  item("mnuOptionsAfficherNbEnreg")->trigger();
  EXPECT_FALSE(item("mnuOptionsAfficherNbEnreg")->isChecked());
  EXPECT_EQ(recordCount(), -1);
  EXPECT_EQ(stored("ShowNbRecord"), QStringLiteral("0"));
  item("mnuValeursUniquesDansRequete")->trigger();
  EXPECT_TRUE(librarySettings().uniqueRecords);
  EXPECT_EQ(stored("UniqueRecords"), QStringLiteral("1"));
  item("mnuOptionsLargeurFixe")->trigger();
  EXPECT_EQ(stored("FixedWidth"), QStringLiteral("1"));
}

TEST_F(MainWindowTest, RefusedSettingsWriteReachesTheInternalErrorHandler) {
  TFormPrincipale& d = run();
  QFile::setPermissions(paths::settingsFile(), QFile::ReadOwner);
  const bool refused = fileRefusesWrites(paths::settingsFile());
  item("mnuOptionsLargeurFixe")->trigger();
  QFile::setPermissions(paths::settingsFile(), QFile::ReadOwner | QFile::WriteOwner);
  if (!refused) GTEST_SKIP() << "this account may write any file";
  ASSERT_EQ(rec_->boxes.size(), 1);
  EXPECT_TRUE(rec_->boxes[0].text.startsWith(QStringLiteral("Erreur interne : ")));
  EXPECT_TRUE(rec_->boxes[0].text.contains(paths::settingsFile()));
  EXPECT_EQ(rec_->boxes[0].kind, MsgKind::Error);
  // Tick and switch stay as they were.
  EXPECT_FALSE(item("mnuOptionsLargeurFixe")->isChecked());
  EXPECT_FALSE(librarySettings().fixedWidth);
  (void)d;
}

TEST_F(MainWindowTest, UnexpectedFailureRestoresTheArrow) {
  TFormPrincipale& d = run();
  designerHooks().addTable = [](TFormPrincipale&) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    throw engine::EngineError(QStringLiteral("table introuvable"));
  };
  button("SpeedButtonAjoutTables")->click();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  ASSERT_EQ(rec_->boxes.size(), 1);
  EXPECT_EQ(rec_->boxes[0].text, QStringLiteral("Erreur interne : table introuvable"));
  EXPECT_EQ(rec_->boxes[0].buttons, unsigned(mbOK));
  (void)d;
}

TEST_F(MainWindowTest, ModelMenuCommandAsksOnlyWithTables) {
  setSettings({QStringLiteral("MDLChange=1")});
  const QString other = writeFile(QStringLiteral("Stock.MDL"), "[Tables]\n");
  TFormPrincipale& d = run();
  rec_->fileAnswers = {other};
  d.changeModel();
  EXPECT_TRUE(rec_->boxes.isEmpty());
  EXPECT_EQ(state().modelPath, other.toLower());
  EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("Panel3"))->text(), QStringLiteral("Modèle relationnel : stock.mdl"));
  addTable(d);
  rec_->answers = {mrNo};
  d.changeModel();
  EXPECT_EQ(rec_->boxes.size(), 1);
  EXPECT_EQ(rec_->fileRequests.size(), 1);
  EXPECT_EQ(d.tableWindowCount(), 1);
}

TEST_F(MainWindowTest, FieldsDroppedOnTheGridAndColumnsMovedByTheirHeaderCells) {
  TFormPrincipale& d = run();
  addTable(d);
  TStringGridChamps* grid = d.grid();
  auto drop = [&](int column, const QString& table, const QString& field) {
    std::unique_ptr<QMimeData> data(TStringGridChamps::fieldMimeData(table, field));
    const QPoint at = grid->visualItemRect(grid->item(3, column)).center();
    // As a real drag: enter, move over the column, drop.
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid->viewport(), &move);
    QDropEvent event(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(grid->viewport(), &event);
    return move.isAccepted() && event.isAccepted();
  };
  EXPECT_TRUE(drop(1, QStringLiteral("Clients"), QStringLiteral("Nom")));
  EXPECT_EQ(grid->columnCount(), 3);  // a new spare column
  EXPECT_EQ(grid->cell(1, 1), QStringLiteral("Nom"));
  EXPECT_EQ(grid->cell(1, 2), QStringLiteral("Clients"));
  EXPECT_FALSE(drop(0, QStringLiteral("Clients"), QStringLiteral("Nom")));     // label column
  EXPECT_FALSE(drop(2, QStringLiteral("Commandes"), QStringLiteral("Nom")));   // not in the query
  EXPECT_TRUE(drop(2, QStringLiteral("Clients"), QStringLiteral("Notes")));

  // The header cell of column 2 dragged onto column 1.
  const QPoint from = grid->visualItemRect(grid->item(0, 2)).center();
  const QPoint to = grid->visualItemRect(grid->item(0, 1)).center();
  QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
  QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
  EXPECT_EQ(grid->cell(1, 1), QStringLiteral("Notes"));
  EXPECT_EQ(grid->cell(2, 1), QStringLiteral("Nom"));
}

TEST_F(MainWindowTest, SavedQueryComesBackThroughTheLoadExport) {
  TFormPrincipale& d = run();
  addTable(d);
  dropField(d);
  const QString file = dir_.filePath(QStringLiteral("clients.osq"));
  rec_->fileAnswers = {file};
  ASSERT_TRUE(d.saveQueryAs());
  ASSERT_TRUE(QFile::exists(file));
  EXPECT_FALSE(d.isModified());
  ASSERT_TRUE(d.newQuery());
  // The test's table has no file for the engine to open: its record is taken as it stands.
  designerHooks().openTable = [](designer::QueryDocument& doc, const designer::QueryTable& t) {
    return &doc.addTable(t);
  };
  EXPECT_EQ(kvslLoadOSQ(bytes(file).constData()), 0);
  EXPECT_EQ(d.tableWindowCount(), 1);
  EXPECT_EQ(d.grid()->cell(1, 1), QStringLiteral("Nom"));
  EXPECT_EQ(d.fileName(), file);
  EXPECT_EQ(d.document().nextTableNumber(), 2);
}

}  // namespace
}  // namespace korvi::selq::testing
