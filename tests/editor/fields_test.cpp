// Field naming over real table files: names by position, copies, the rewritten section.
#include "editor/uchamps.h"
#include "editorfixture.h"

namespace korvi::relmap::testing {
namespace {

class FieldNamingTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    makeTable("clients.dbf", {"CODE", "NOM", "VILLE", "TEL", "MAIL"});
    storeTable("Clients", "clients.dbf", 1);
  }
};

TEST_F(FieldNamingTest, ShowsPhysicalFieldsWithTheNamesStoredByPosition) {
  ini().writeString("1", "2", "Nom du client");
  ini().writeString("1", "5", "Courriel");
  FieldNaming naming;
  naming.load("Clients");
  ASSERT_EQ(naming.rowCount(), 5);
  EXPECT_EQ(naming.number(), "1");
  EXPECT_EQ(naming.row(1).field, "CODE");
  EXPECT_EQ(naming.row(1).friendly, "");
  EXPECT_EQ(naming.row(2).friendly, "Nom du client");
  EXPECT_EQ(naming.row(5).friendly, "Courriel");

  // Positions are written in increasing order, with gaps for unnamed fields.
  naming.row(1).friendly = "Code";
  naming.row(2).friendly.clear();
  naming.store();
  EXPECT_EQ(ini().readSection("1"), (QStringList{"1", "5"}));
  EXPECT_EQ(read("1", "1"), "Code");
  EXPECT_TRUE(rec->boxes.isEmpty());

  // Clearing every name leaves the section erased.
  naming.row(1).friendly.clear();
  naming.row(5).friendly.clear();
  naming.store();
  EXPECT_FALSE(ini().sectionExists("1"));
}

TEST_F(FieldNamingTest, CopyAllAsksForEveryNamedFieldAndKeepsTheRefusedOne) {
  ini().writeString("1", "2", "Nom du client");
  ini().writeString("1", "4", "Téléphone");
  FieldNaming naming;
  naming.load("Clients");
  rec->answers = {mrYes, mrNo};
  QList<int> shown;
  naming.copyAll([&](int r) { shown << r; });
  EXPECT_EQ(shown, (QList<int>{1, 2, 3, 4, 5}));
  ASSERT_EQ(rec->boxes.size(), 2);
  EXPECT_EQ(rec->boxes[0].text, textWith(35, "Nom du client"));
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Confirmation);
  EXPECT_EQ(naming.row(2).friendly, "NOM");
  EXPECT_EQ(naming.row(4).friendly, "Téléphone");
  EXPECT_EQ(naming.row(5).friendly, "MAIL");
}

TEST_F(FieldNamingTest, AMissingEntryOrTableShowsItsMessageAndStoresNothing) {
  FieldNaming unknown;
  unknown.load("Inconnue");
  EXPECT_EQ(rec->boxes.last().text, "Unexpected error : TableName missing !");
  EXPECT_EQ(unknown.rowCount(), 0);

  ini().writeString("1", "1", "Code");
  QFile::remove(path("clients.dbf"));
  FieldNaming missing;
  missing.load("Clients");
  EXPECT_EQ(missing.rowCount(), 0);
  EXPECT_EQ(rec->boxes.size(), 2);
  missing.store();
  EXPECT_EQ(read("1", "1"), "Code");
}

TEST_F(FieldNamingTest, ATableWithoutAValidNumberNamesIntoTheNextFreeSection) {
  makeTable("autre.dbf", {"A"});
  ini().writeString("Tables", "Autre", dirLocation() + ",autre.dbf,x");
  FieldNaming naming;
  naming.load("Autre");
  EXPECT_EQ(naming.number(), "2");
  EXPECT_EQ(rec->boxes.size(), 1);  // the lookup reports the bad number
}

}  // namespace
}  // namespace korvi::relmap::testing
