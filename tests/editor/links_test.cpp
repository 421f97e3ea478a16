// Links between tables: adding, deleting with the sections shifting, and their listing.
#include <QDateTime>
#include <QPrinterInfo>

#include "editor/uliens.h"
#include "editor/ulier.h"
#include "editorfixture.h"

namespace korvi::relmap::testing {
namespace {

class LinkTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    makeTable("clients.dbf", {"CODE", "NOM"});
    makeTable("commande.dbf", {"NUM", "CLIENT", "VENDEUR"});
    storeTable("Clients", "clients.dbf", 1);
    storeTable("Commandes", "commande.dbf", 2);
  }
  // Master Clients, slave Commandes.
  void choose(LinkEditor& e) {
    e.chooseMaster("Clients");
    e.chooseSlave("Commandes");
  }
  void addLink(LinkEditor& e, int slaveField, int masterField) {
    e.selectSlaveField(slaveField);
    e.selectMasterField(masterField);
    ASSERT_TRUE(e.addEnabled);
    e.add();
  }
  void storeLink(int k, const QString& t, const QString& s, const QString& d) {
    const QString section = QStringLiteral("2L%1").arg(k);
    ini().writeString(section, "T", t);
    ini().writeString(section, "S", s);
    ini().writeString(section, "D", d);
  }
};

TEST_F(LinkTest, TheSameLinkTwiceMakesTwoSectionsAndDeletingRemovesTheFirst) {
  LinkEditor e;
  choose(e);
  EXPECT_EQ(e.master.tableFile, "clients.dbf");
  EXPECT_EQ(e.slave.fields, (QStringList{"NUM", "CLIENT", "VENDEUR"}));
  EXPECT_FALSE(e.addEnabled);
  addLink(e, 1, 0);
  addLink(e, 1, 0);
  EXPECT_EQ(read("2L", "N"), "2");
  EXPECT_EQ(read("2L1", "T"), "clients.dbf");
  EXPECT_EQ(read("2L2", "S"), "CLIENT");
  EXPECT_EQ(read("2L2", "D"), "CODE");
  e.refresh();
  EXPECT_EQ(e.links, (QStringList{"CLIENT -> CODE", "CLIENT -> CODE"}));

  // A third, different link, then delete the first of the equal two.
  addLink(e, 2, 1);
  e.refresh();
  e.selectLink(0);
  EXPECT_TRUE(e.deleteEnabled);
  EXPECT_EQ(e.slave.selectedField(), "CLIENT");
  EXPECT_EQ(e.master.selectedField(), "CODE");
  e.remove();
  EXPECT_EQ(read("2L", "N"), "2");
  EXPECT_EQ(read("2L1", "S"), "CLIENT");
  EXPECT_EQ(read("2L2", "S"), "VENDEUR");
  EXPECT_EQ(read("2L2", "D"), "NOM");
  EXPECT_FALSE(ini().sectionExists("2L3"));
  EXPECT_EQ(e.links, (QStringList{"CLIENT -> CODE", "VENDEUR -> NOM"}));
  EXPECT_FALSE(e.deleteEnabled);
  EXPECT_EQ(e.master.selected, -1);
}

TEST_F(LinkTest, DeletingLinkOneOfThreeShiftsTheLaterSections) {
  ini().writeInteger("2L", "N", 3);
  storeLink(1, "clients.dbf", "CLIENT", "CODE");
  storeLink(2, "vendeurs.dbf", "VENDEUR", "CODE");
  storeLink(3, "clients.dbf", "NUM", "NOM");
  LinkEditor e;
  choose(e);
  // Only the links to the chosen master are listed.
  EXPECT_EQ(e.links, (QStringList{"CLIENT -> CODE", "NUM -> NOM"}));
  e.selectLink(0);
  e.remove();
  EXPECT_EQ(read("2L", "N"), "2");
  EXPECT_EQ(read("2L1", "T"), "vendeurs.dbf");
  EXPECT_EQ(read("2L2", "S"), "NUM");
  EXPECT_FALSE(ini().sectionExists("2L3"));
  EXPECT_EQ(e.links, (QStringList{"NUM -> NOM"}));
}

TEST_F(LinkTest, AnIncompleteStoredLinkStopsTheDeletion) {
  ini().writeInteger("2L", "N", 2);
  storeLink(1, "clients.dbf", "CLIENT", "");
  storeLink(2, "clients.dbf", "NUM", "NOM");
  LinkEditor e;
  choose(e);
  e.selectLink(0);
  const QByteArray before = fileText();
  e.remove();
  EXPECT_EQ(fileText(), before);
  ASSERT_FALSE(rec->boxes.isEmpty());
  EXPECT_EQ(rec->boxes.last().kind, MsgKind::Error);
}

TEST_F(LinkTest, ATableThatCannotBeOpenedIsMarkedAndNothingCanBeAdded) {
  QFile::remove(path("clients.dbf"));
  LinkEditor e;
  choose(e);
  EXPECT_EQ(e.master.tableFile, LoadText(56));
  EXPECT_TRUE(e.master.fields.isEmpty());
  EXPECT_EQ(rec->boxes.size(), 1);
  e.selectSlaveField(0);
  e.add();
  EXPECT_FALSE(ini().sectionExists("2L"));
  EXPECT_FALSE(e.addEnabled);

  // A table linked to itself is accepted.
  LinkEditor self;
  self.chooseMaster("Commandes");
  self.chooseSlave("Commandes");
  addLink(self, 0, 2);
  EXPECT_EQ(read("2L1", "T"), "commande.dbf");
}

TEST_F(LinkTest, TheListingHasOneBlockPerTableWithTheWordingOfItsLinkCount) {
  makeTable("vendeurs.dbf", {"CODE"});
  storeTable("Vendeurs", "vendeurs.dbf", 3);
  ini().writeInteger("2L", "N", 2);
  storeLink(1, "clients.dbf", "CLIENT", "CODE");
  storeLink(2, "vendeurs.dbf", "VENDEUR", "CODE");
  ini().writeInteger("3L", "N", 1);
  ini().writeString("3L1", "T", "clients.dbf");
  const QStringList lines = linkListing();
  const QString stars(49, QLatin1Char('*'));
  const QStringList clients{"Table \"Clients\" (" + dirLocation() + " : clients.dbf)", stars, LoadText(21), ""};
  EXPECT_EQ(lines.mid(0, 4), clients);
  const QStringList commandes{"Table \"Commandes\" (" + dirLocation() + " : commande.dbf)",
                              stars,
                              "Cette table est liée à 2 autres tables : ",
                              "",
                              "Lien n° 1 : ",
                              "------------",
                              "Table maître : clients.dbf",
                              "Champ de la table esclave : CLIENT",
                              "Champ de la table maître : CODE",
                              ""};
  EXPECT_EQ(lines.mid(4, 10), commandes);
  EXPECT_EQ(lines[14], "");
  EXPECT_EQ(lines.indexOf("Table \"Vendeurs\" (" + dirLocation() + " : vendeurs.dbf)"), 22);
  EXPECT_EQ(lines[24], LoadText(22));
  EXPECT_EQ(lines.size(), 22 + 3 + 7 + 1);

  // A model without tables lists nothing.
  session().bindModel(path("empty.mdl"));
  EXPECT_TRUE(linkListing().isEmpty());
}

TEST_F(LinkTest, PrintingStartsWithTheModelNameAndTheDateOfPrinting) {
  const QDateTime when(QDate(2026, 3, 4), QTime(9, 5, 7));
  const QStringList header = printHeader("test.mdl", when);
  EXPECT_EQ(header, (QStringList{"Liste des liens entre les tables  - test.mdl", "", "Imprimé le : 04/03/2026 09:05:07", ""}));
}

}  // namespace
}  // namespace korvi::relmap::testing

namespace korvi::relmap::testing {
namespace {

TEST_F(LinkTest, WithoutAPrinterTheListingIsWrittenAsAPdfInTheTempDirectory) {
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "a printer is installed";
  const QString pdf = printLines(printHeader("test.mdl", QDateTime::currentDateTime()) + linkListing(), "test");
  QString temp;
  ASSERT_TRUE(paths::tempDirectory(temp));
  EXPECT_TRUE(pdf.startsWith(temp + "/"));
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_TRUE(f.read(5).startsWith("%PDF"));
}

}  // namespace
}  // namespace korvi::relmap::testing
