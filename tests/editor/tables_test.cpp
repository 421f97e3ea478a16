// Table naming: which rows reach "Tables", with which numbers, and what renaming and
// deleting do to a table's sections.
#include "editor/utables.h"
#include "editorfixture.h"

namespace korvi::relmap::testing {
namespace {

const QString kTables = QStringLiteral("Tables");

class TableNamingTest : public EditorTest {
 protected:
  // Adds a table file of this directory under a friendly name, through the file path.
  void addFile(TableNaming& grid, const QString& file, const QString& name) {
    rec->textAnswers.push_back({true, name});
    grid.addFromDirectoryPath(path(file));
  }
  TableNaming::AliasChooser chooser(const QString& alias, const QString& table) {
    return [alias, table](QString& a, QString& t) {
      a = alias;
      t = table;
      return true;
    };
  }
};

TEST_F(TableNamingTest, NewTablesTakeTheLowestFreeNumberAndDeletingErasesTheirSections) {
  TableNaming grid;
  grid.load();
  addFile(grid, QStringLiteral("a.db"), QStringLiteral("A"));
  addFile(grid, QStringLiteral("b.db"), QStringLiteral("B"));
  addFile(grid, QStringLiteral("c.db"), QStringLiteral("C"));
  grid.storeNewTables();
  EXPECT_EQ(read(kTables, "A"), dirLocation() + ",a.db,1");
  EXPECT_EQ(read(kTables, "C"), dirLocation() + ",c.db,3");

  // Table 2 gets field names and links, then is deleted.
  ini().writeString("2", "1", "Nom");
  ini().writeInteger("2L", "N", 1);
  ini().writeString("2L1", "T", "a.db");
  ini().writeString("2L1", "S", "X");
  ini().writeString("2L1", "D", "Y");
  // Table 3 is a slave of table 2: its link stays.
  ini().writeInteger("3L", "N", 1);
  ini().writeString("3L1", "T", "b.db");
  grid.load();
  grid.selectRow(2);
  ASSERT_EQ(grid.row(2).name, "B");
  rec->answers.push_back(mrYes);
  grid.deleteSelected();
  EXPECT_EQ(rec->boxes.last().text, LoadText(43));
  EXPECT_FALSE(ini().sectionExists("2"));
  EXPECT_FALSE(ini().sectionExists("2L"));
  EXPECT_FALSE(ini().sectionExists("2L1"));
  EXPECT_EQ(read("3L1", "T"), "b.db");
  EXPECT_FALSE(fileText().contains("B="));  // compacted away
  EXPECT_EQ(grid.row(2).name, "C");        // later rows moved up
  EXPECT_EQ(grid.selectedRow(), 1);

  // The freed number goes to the next new table, which starts without names or links.
  addFile(grid, QStringLiteral("d.db"), QStringLiteral("D"));
  grid.storeNewTables();
  EXPECT_EQ(read(kTables, "D"), dirLocation() + ",d.db,2");
  EXPECT_TRUE(session().model().fieldNames("2").isEmpty());
}

TEST_F(TableNamingTest, DeletingAsksFirstAndAnUnstoredRowTouchesNothing) {
  storeTable("A", "a.db", 1);
  ini().writeString("1", "1", "Nom");
  TableNaming grid;
  grid.load();
  rec->answers.push_back(mrNo);
  grid.deleteSelected();
  EXPECT_EQ(read(kTables, "A"), dirLocation() + ",a.db,1");

  grid.selectRow(5);
  grid.deleteSelected();
  EXPECT_EQ(rec->boxes.last().text, LoadText(44));

  addFile(grid, QStringLiteral("b.db"), QStringLiteral("B"));
  const QByteArray before = fileText();
  rec->answers.push_back(mrYes);
  grid.deleteSelected();
  EXPECT_EQ(fileText(), before);
  EXPECT_TRUE(grid.row(2).empty());
}

TEST_F(TableNamingTest, DeletingOneOfTwoEntriesSharingATableFileKeepsTheSharedSections) {
  storeTable("A", "a.db", 1);
  ini().writeString("Tables", "A2", ":VENTES:,A.DB,2");
  ini().writeString("1", "1", "Nom");
  TableNaming grid;
  grid.load();
  grid.selectRow(2);
  rec->answers.push_back(mrYes);
  grid.deleteSelected();
  EXPECT_EQ(read(kTables, "A2"), "");
  EXPECT_EQ(read("1", "1"), "Nom");
}

TEST_F(TableNamingTest, RenamingAStoredTableKeepsItsNumberFieldsAndLinks) {
  storeTable("Clients", "clients.db", 1);
  storeTable("Commandes", "commande.db", 2);
  ini().writeString("1", "1", "Nom");
  ini().writeInteger("1L", "N", 1);
  TableNaming grid;
  grid.load();
  rec->textAnswers.push_back({true, "  Acheteurs"});
  grid.renameSelected();
  EXPECT_EQ(read(kTables, "Acheteurs"), dirLocation() + ",clients.db,1");
  EXPECT_FALSE(fileText().contains("Clients"));
  EXPECT_EQ(grid.row(1).name, "Acheteurs");
  EXPECT_EQ(session().model().TableNumberOf("clients.db", ModelSide::Editor), "1");
  EXPECT_EQ(read("1", "1"), "Nom");

  // Another row's name is refused and the old one comes back.
  rec->textAnswers.push_back({true, "COMMANDES"});
  grid.renameSelected();
  EXPECT_EQ(rec->boxes.last().text, LoadText(48));
  EXPECT_EQ(grid.row(1).name, "Acheteurs");
  EXPECT_EQ(read(kTables, "Acheteurs"), dirLocation() + ",clients.db,1");

  // A change of case only is written with the new spelling.
  rec->textAnswers.push_back({true, "ACHETEURS"});
  grid.renameSelected();
  EXPECT_TRUE(ini().readSection(kTables).contains("ACHETEURS"));
  EXPECT_FALSE(ini().readSection(kTables).contains("Acheteurs"));
  EXPECT_EQ(read(kTables, "ACHETEURS"), dirLocation() + ",clients.db,1");

  // Blank answers and empty rows are refused.
  rec->textAnswers.push_back({true, "   "});
  grid.renameSelected();
  EXPECT_EQ(rec->boxes.last().text, LoadText(52));
  grid.selectRow(3);
  grid.renameSelected();
  EXPECT_EQ(rec->boxes.last().text, LoadText(53));
}

TEST_F(TableNamingTest, AddingRefusesTheSamePlaceAndStoredNames) {
  storeTable("Clients", "clients.db", 1);
  TableNaming grid;
  grid.load();

  // Same table of the same directory: refused, the existing row selected.
  addFile(grid, QStringLiteral("CLIENTS.DB"), QStringLiteral("Autre"));
  EXPECT_EQ(rec->boxes.last().text, LoadText(45));
  EXPECT_EQ(grid.selectedRow(), 1);
  EXPECT_TRUE(grid.row(2).empty());
  EXPECT_EQ(rec->textAnswers.size(), 1u);  // refused before any name was asked
  rec->textAnswers.clear();

  // A stored friendly name: text 45 on the directory path, 48 on the alias path.
  addFile(grid, QStringLiteral("b.db"), QStringLiteral("Clients"));
  EXPECT_EQ(rec->boxes.last().text, LoadText(45));
  EXPECT_TRUE(grid.row(2).empty());
  rec->textAnswers.push_back({true, "Clients"});
  grid.addFromAlias(chooser("VENTES", "COMMANDE.DB"));
  EXPECT_EQ(rec->boxes.last().text, LoadText(48));
  EXPECT_TRUE(grid.row(2).empty());

  // Cancelled name: text 49 and the row is freed.
  rec->textAnswers.push_back({false, QString()});
  grid.addFromAlias(chooser("VENTES", "COMMANDE.DB"));
  EXPECT_EQ(rec->boxes.last().text, LoadText(49));
  EXPECT_TRUE(grid.row(2).empty());

  // The alias path proposes the table name and takes it for a blank answer.
  rec->textAnswers.push_back({true, "   "});
  grid.addFromAlias(chooser("VENTES", "COMMANDE.DB"));
  EXPECT_EQ(rec->prompts.last(), LoadText(46) + "|" + LoadText(47));
  EXPECT_EQ(grid.row(2).place, ":VENTES:COMMANDE.DB");
  EXPECT_EQ(grid.row(2).name, "COMMANDE.DB");
  // The same table of the same alias again is refused; of another alias it is accepted.
  grid.addFromAlias(chooser("ventes", "commande.db"));
  EXPECT_EQ(rec->boxes.last().text, LoadText(45));
  EXPECT_EQ(grid.selectedRow(), 2);
  rec->textAnswers.push_back({true, "Commandes 2"});
  grid.addFromAlias(chooser("ARCHIVES", "COMMANDE.DB"));
  EXPECT_EQ(grid.row(3).name, "Commandes 2");

  grid.storeNewTables();
  EXPECT_EQ(read(kTables, "COMMANDE.DB"), ":VENTES:,COMMANDE.DB,2");
  EXPECT_EQ(read(kTables, "Commandes 2"), ":ARCHIVES:,COMMANDE.DB,3");
}

TEST_F(TableNamingTest, DirectoryPlacesKeepTheirDirectoryAndLowercaseTheFileName) {
  QDir(dir_.path()).mkdir("Donnees");
  TableNaming grid;
  grid.load();
  addFile(grid, QStringLiteral("Donnees/CLIENTS.DB"), QStringLiteral("Clients"));
  EXPECT_EQ(grid.row(1).place, dir_.path() + "/Donnees/clients.db");
  // A friendly name that would break the model file is refused.
  addFile(grid, QStringLiteral("b.db"), QStringLiteral("a=b"));
  EXPECT_TRUE(grid.row(2).empty());
  grid.storeNewTables();
  EXPECT_EQ(read(kTables, "Clients"), dir_.path() + "/Donnees/,clients.db,1");
}

TEST_F(TableNamingTest, OnlyTheFirstOfTwoNewRowsWithOneNameIsStored) {
  TableNaming grid;
  grid.load();
  addFile(grid, QStringLiteral("a.db"), QStringLiteral("Même"));
  addFile(grid, QStringLiteral("b.db"), QStringLiteral("Même"));
  EXPECT_EQ(grid.row(2).name, "Même");  // accepted on entry
  grid.storeNewTables();
  EXPECT_EQ(read(kTables, "Même"), dirLocation() + ",a.db,1");
  EXPECT_EQ(ini().readSection(kTables).size(), 1);
}

TEST_F(TableNamingTest, TheGridGrowsPastNinetyNineTablesAndButtonsFollowFilledRows) {
  for (int i = 1; i <= 100; ++i) storeTable(QStringLiteral("T%1").arg(i), QStringLiteral("t%1.db").arg(i), i);
  TableNaming grid;
  grid.load();
  EXPECT_EQ(grid.rowCount(), 100);
  EXPECT_EQ(grid.row(100).name, "T100");
  addFile(grid, QStringLiteral("new.db"), QStringLiteral("Nouvelle"));
  EXPECT_EQ(grid.rowCount(), 101);
  EXPECT_TRUE(grid.buttonEnabled(11, 91));   // row 101
  EXPECT_FALSE(grid.buttonEnabled(11, 92));  // past the last row

  TableNaming small;
  session().releaseModel();
  QFile::remove(modelPath());
  session().bindModel(modelPath());
  small.load();
  EXPECT_EQ(small.rowCount(), TableNaming::kRows);
  EXPECT_FALSE(small.buttonEnabled(1, 1));
}

TEST_F(TableNamingTest, StoringSplitsPlacesAndSkipsIncompleteRows) {
  QString location, file;
  TableNaming::splitPlace(":VENTES:COMMANDE.DB", location, file);
  EXPECT_EQ(location, ":VENTES:");
  EXPECT_EQ(file, "COMMANDE.DB");
  TableNaming::splitPlace("/data/x/clients.db", location, file);
  EXPECT_EQ(location, "/data/x/");
  EXPECT_EQ(file, "clients.db");

  TableNaming grid;
  grid.load();
  grid.storeNewTables();  // empty grid: the model file is not created
  EXPECT_FALSE(QFile::exists(modelPath()));
  rec->textAnswers.push_back({true, ""});  // the directory path keeps an empty answer
  grid.addFromDirectoryPath(path("a.db"));
  EXPECT_EQ(grid.row(1).name, "");
  grid.storeNewTables();
  EXPECT_TRUE(ini().readSection(kTables).isEmpty());
}

}  // namespace
}  // namespace korvi::relmap::testing
