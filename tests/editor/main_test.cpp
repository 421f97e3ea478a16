// The model lifecycle of the main window and the windows' components.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include "common/engine/engine.h"
#include "editor/ualias.h"
#include "editor/uchamps.h"
#include "editor/uchoix.h"
#include "editor/uliens.h"
#include "editor/ulier.h"
#include "editor/umain.h"
#include "editor/utables.h"
#include "editorfixture.h"

namespace korvi::relmap::testing {
namespace {

using LifecycleTest = EditorTest;

TEST_F(LifecycleTest, QuittingAsksAndClosingCompactsTheModel) {
  rec->answers.push_back(mrNo);
  EXPECT_FALSE(confirmQuit());
  EXPECT_EQ(rec->boxes.last().text, LoadText(79));
  EXPECT_EQ(rec->boxes.last().kind, MsgKind::Confirmation);
  EXPECT_EQ(rec->boxes.last().defaultButton, mbYes);
  rec->answers.push_back(mrYes);
  EXPECT_TRUE(confirmQuit());

  storeTable("Clients", "clients.db", 1);
  ini().writeString("Tables", "Ancienne", "");
  closeModel();
  EXPECT_FALSE(session().ModelIni);
  EXPECT_FALSE(fileText().contains("Ancienne"));
  EXPECT_TRUE(fileText().contains("Clients="));
}

TEST_F(LifecycleTest, TheDefaultModelIsCreatedOnlyByAFirstWrite) {
  openDefaultModel();
  EXPECT_EQ(session().ModelPath, path("defaut.mdl"));
  EXPECT_EQ(mainCaption(), "Relmap32 : <defaut.mdl>");
  EXPECT_EQ(session().model().NextTableNumber(), "1");
  closeModel();
  EXPECT_FALSE(QFile::exists(path("defaut.mdl")));
}

TEST_F(LifecycleTest, NewAndOpenRebindTheModelAndChangeTheCaption) {
  openDefaultModel();
  newModel(QString());  // file dialog cancelled
  EXPECT_EQ(session().ModelPath, path("defaut.mdl"));
  EXPECT_EQ(mainCaption(), "Relmap : <defaut.mdl>");

  storeTable("Clients", "clients.db", 1);  // into defaut.mdl
  newModel(path("autre.mdl"));
  EXPECT_EQ(mainCaption(), "Relmap : <autre.mdl>");
  EXPECT_TRUE(session().model().tables().isEmpty());
  openModel(path("defaut.mdl"));
  EXPECT_EQ(session().model().tables().size(), 1);

  // An unusable name falls back to the default model.
  newModel(path("nulle/part/x.mdl"));
  EXPECT_EQ(rec->boxes.last().text, textWith(78, "x.mdl"));
  EXPECT_EQ(session().ModelName, "defaut.mdl");
  EXPECT_EQ(session().ModelPath, path("defaut.mdl"));
  EXPECT_FALSE(usableModelPath(dir_.path()));
}

TEST_F(LifecycleTest, AnUnwritableProgramDirectoryKeepsTheDefaultModelPerUser) {
  EXPECT_EQ(defaultModelDirectory(dir_.path()), dir_.path());
  const QByteArray saved = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
  EXPECT_EQ(defaultModelDirectory(path("absent")), path("data/korvi"));
  EXPECT_TRUE(QFileInfo(path("data/korvi")).isDir());
  qputenv("XDG_DATA_HOME", saved);
}

TEST_F(LifecycleTest, FiltersAndTheInternalErrorBox) {
  EXPECT_EQ(qtFilter(LoadText(82)), "Data Model (*.mdl *.MDL);;Tous fichiers (*.*)");
  reportInternalError("boom");
  EXPECT_EQ(rec->boxes.last().text, LoadText(81) + "boom");
  EXPECT_EQ(rec->boxes.last().kind, MsgKind::Error);
}

// ---- Windows -------------------------------------------------------------------------------

using WindowTest = EditorTest;

TEST_F(WindowTest, TheMainWindowHasItsMenuAndToolButtons) {
  TFormPrincipale w;
  EXPECT_EQ(w.objectName(), "TFormPrincipale");
  EXPECT_EQ(w.windowTitle(), "Relmap32 : <defaut.mdl>");
  const QList<QPair<const char*, int>> buttons{{"SpeedButtonMdlNew", 16},    {"SpeedButtonMDLOpen", 40},
                                               {"SpeedButtonDescTable", 88}, {"SpeedButtonDescField", 112},
                                               {"SpeedButtonLinkTable", 160}, {"SpeedButtonShowLinks", 184},
                                               {"SpeedButton1", 312}};
  for (const auto& [name, left] : buttons) {
    auto* b = w.findChild<QToolButton*>(name);
    ASSERT_TRUE(b) << name;
    EXPECT_EQ(b->geometry(), QRect(left, 8, 25, 25)) << name;
  }
  EXPECT_EQ(w.findChild<QToolButton*>("SpeedButtonDescTable")->toolTip(), LoadText(87));
  for (const char* name : {"mnuModeleNouveau", "mnuModeleOuvrir", "mnuModeleQuitter", "mnuDescriptionTables",
                           "mnuDescriptionChamps", "mnuLienLierDesTables", "mnuLienAfficher", "mnuAideAProposde"})
    EXPECT_TRUE(w.findChild<QAction*>(name)) << name;
  EXPECT_EQ(w.findChild<QAction*>("mnuLienAfficher")->text(), LoadText(75));

  // Closing asks; No keeps the window and the model.
  rec->answers.push_back(mrNo);
  w.show();
  EXPECT_FALSE(w.close());
  EXPECT_TRUE(session().ModelIni);
  rec->answers.push_back(mrYes);
  EXPECT_TRUE(w.close());
  EXPECT_FALSE(session().ModelIni);
}

TEST_F(WindowTest, TheTableNamingDialogEnablesTheButtonsOfFilledRowsAndStoresOnClose) {
  storeTable("Clients", "clients.db", 1);
  TFormDescriptionTables d;
  auto* grid = d.findChild<QTableWidget*>("StringGrid1");
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->rowCount(), 99);
  EXPECT_EQ(grid->item(0, 0)->text(), dirLocation() + "clients.db");
  EXPECT_EQ(grid->item(0, 1)->text(), "Clients");
  for (int k = 1; k <= 11; ++k) {
    auto* b = d.findChild<QToolButton*>(QStringLiteral("SpeedButton%1").arg(k));
    ASSERT_TRUE(b) << k;
    EXPECT_EQ(b->isEnabled(), k == 1) << k;
  }
  for (const char* name : {"BitBtnAlias", "BitBtnRepertoire", "BitBtnRename", "BitBtnSupprimer", "BitBtn1"})
    EXPECT_TRUE(d.findChild<QPushButton*>(name)) << name;

  rec->textAnswers.push_back({true, "Commandes"});
  d.naming().addFromDirectoryPath(path("commande.db"));
  d.refreshGrid();
  EXPECT_TRUE(d.findChild<QToolButton*>("SpeedButton2")->isEnabled());
  // The grid is read-only: typing explains so, moving does not.
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(grid, &typed);
  EXPECT_EQ(rec->boxes.last().text, LoadText(54));
  const qsizetype boxes = rec->boxes.size();
  QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
  QApplication::sendEvent(grid, &down);
  EXPECT_EQ(rec->boxes.size(), boxes);
  EXPECT_EQ(grid->item(0, 1)->text(), "Clients");

  d.reject();  // Escape stores as OK does
  EXPECT_EQ(read("Tables", "Commandes"), dirLocation() + ",commande.db,2");
}

TEST_F(WindowTest, TheChoosersAndFieldDialogShowTheModel) {
  makeTable("clients.dbf", {"CODE", "NOM"});
  storeTable("Clients", "clients.dbf", 1);
  ini().writeString("Tables", "Vide", "");
  ini().writeString("1", "2", "Nom");

  TFormChoixTables chooser;
  auto* list = chooser.findChild<QListWidget*>("ListBox1");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->count(), 1);
  EXPECT_FALSE(chooser.findChild<QPushButton*>("BitBtnOK")->isEnabled());
  list->setCurrentRow(0);
  EXPECT_TRUE(chooser.findChild<QPushButton*>("BitBtnOK")->isEnabled());
  chooser.accept();
  EXPECT_EQ(session().SelectedTable, "Clients");

  TFormDescriptionChamps fields;
  EXPECT_EQ(fields.findChild<QLabel*>("Label1")->text(), LoadText(98) + "Clients");
  auto* grid = fields.findChild<QTableWidget*>("StringGrid1");
  ASSERT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->item(1, 0)->text(), "NOM");
  EXPECT_EQ(grid->item(1, 1)->text(), "Nom");
  EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);
  for (const char* name : {"BitBtn1", "BitBtn2", "BitBtnCopieUn", "BitBtnCopieTous"})
    EXPECT_TRUE(fields.findChild<QPushButton*>(name)) << name;
}

TEST_F(WindowTest, TheLinkDialogsStartEmptyAndShowTheListing) {
  TFormLierDesTables links;
  EXPECT_FALSE(links.findChild<QPushButton*>("BitBtnAjouter")->isEnabled());
  EXPECT_FALSE(links.findChild<QPushButton*>("BitBtnSupprimer")->isEnabled());
  EXPECT_TRUE(links.findChild<QLabel*>("LabelMaitre")->text().isEmpty());
  for (const char* name : {"ListBoxMaitre", "ListBoxEsclave", "ListBoxLiens"})
    EXPECT_TRUE(links.findChild<QListWidget*>(name)) << name;

  storeTable("Clients", "clients.db", 1);
  TFormAfficherLiens listing;
  auto* memo = listing.findChild<QPlainTextEdit*>("Memo1");
  ASSERT_TRUE(memo);
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_TRUE(memo->toPlainText().startsWith("Table \"Clients\""));
  EXPECT_TRUE(listing.findChild<QPushButton*>("BitBtnPrint"));
}

TEST_F(WindowTest, TheAliasDialogListsTheTablesOfTheChosenAlias) {
  makeTable("clients.dbf", {"CODE"});
  IniFile aliases(paths::aliasFile());
  aliases.writeString("VENTES", "TYPE", "STANDARD");
  aliases.writeString("VENTES", "PATH", dir_.path());
  TFormOuvertureAlias d;
  auto* combo = d.findChild<QComboBox*>("ComboBox1");
  ASSERT_TRUE(combo);
  EXPECT_EQ(combo->findText("VENTES"), 0);
  combo->setCurrentIndex(0);
  emit combo->activated(0);
  auto* list = d.findChild<QListWidget*>("ListBox1");
  ASSERT_TRUE(list);
  EXPECT_FALSE(list->findItems("clients.dbf", Qt::MatchFixedString).isEmpty());
  EXPECT_FALSE(d.findChild<QPushButton*>("BitBtnOK")->isEnabled());
}

}  // namespace
}  // namespace korvi::relmap::testing
