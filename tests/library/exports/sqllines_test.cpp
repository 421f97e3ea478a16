// The SQL lines a host reads through the exports are the statement of the designer's
// current query, regenerated on every call.

#include <cstring>

#include "common/engine/types.h"
#include "fixture.h"
#include "library/sql/buildsql.h"
#include "tools/mkdemo/demodata.h"

namespace korvi::selq::testing {
namespace {

using engine::FieldType;

class SqlLinesTest : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    demo::writeDemo({demoDir_.path(), 10});
    demoModel_ = demoDir_.filePath("ventes.mdl");
  }

  QStringList linesFromHost() {
    QStringList lines;
    const int n = kvslGetSqlLineCount();
    for (int i = 1; i <= n; ++i) {
      char buffer[512];
      std::memset(buffer, 0, sizeof buffer);
      kvslGetSqlLine(i, buffer);
      lines << QString::fromUtf8(buffer);
    }
    return lines;
  }

  QTemporaryDir demoDir_;
  QString demoModel_;
};

TEST_F(SqlLinesTest, HostReadsTheStatementOfTheCurrentQuery) {
  ASSERT_EQ(kvslRun(demoModel_.toUtf8().constData()), 0);
  TFormPrincipale* designer = state().designer.data();
  ASSERT_NE(designer, nullptr);
  EXPECT_EQ(kvslGetSqlLineCount(), static_cast<int>(sql::CurrentSqlLines(designer->document(), modelReader()).size()));

  const QString dir = demoDir_.path() + "/";
  designer::QueryTable clients;
  clients.longName = "Clients";
  clients.tableName = "clients.dbf";
  clients.location = dir;
  clients.fields = {{QString::fromUtf8("Numéro client"), "NUMCLI", FieldType::ftInteger, 0},
                    {"Nom", "NOM", FieldType::ftString, 30}};
  designer::QueryTable orders;
  orders.longName = "Commandes";
  orders.tableName = "commande.dbf";
  orders.location = dir;
  orders.fields = {{"Montant", "MONTANT", FieldType::ftFloat, 0}};
  auto& doc = designer->document();
  const designer::QueryTable& t1 = doc.addTable(clients);
  doc.appendField(t1, "Nom", false);
  const designer::QueryTable& t2 = doc.addTable(orders);
  doc.appendField(t2, "Montant", false);
  ASSERT_TRUE(doc.setCriteria(2, 6, ">100"));

  const QStringList expected = sql::CurrentSqlLines(doc, modelReader());
  ASSERT_FALSE(expected.isEmpty());
  const QStringList lines = linesFromHost();
  EXPECT_EQ(lines, expected);
  const QString all = lines.join('\n');
  EXPECT_TRUE(all.contains("FROM")) << qPrintable(all);
  EXPECT_TRUE(all.contains("T2.\"NUMCLI\" = T1.\"NUMCLI\"") || all.contains("T1.\"NUMCLI\" = T2.\"NUMCLI\""))
      << qPrintable(all);
  EXPECT_TRUE(all.contains("> 100") || all.contains(">100")) << qPrintable(all);

  // A change to the grid shows at the next read, without any other call in between.
  ASSERT_TRUE(doc.setCriteria(2, 6, ">250"));
  EXPECT_TRUE(linesFromHost().join('\n').contains("250"));

  // Out of range the host's buffer stays as it was.
  char buffer[16] = "untouched";
  kvslGetSqlLine(0, buffer);
  kvslGetSqlLine(kvslGetSqlLineCount() + 1, buffer);
  EXPECT_STREQ(buffer, "untouched");
}

}  // namespace
}  // namespace korvi::selq::testing
