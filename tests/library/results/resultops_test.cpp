// What the result window does with rows: captions, the prefix search, the clipboard text,
// field names of the host's table.

#include <QDir>

#include "common/engine/engine.h"
#include "library/results/resultmodel.h"
#include "library/results/resultops.h"
#include "resultsfixture.h"

namespace korvi::results::testing {
namespace {

TEST_F(ResultsTest, CaptionAndRecordLabel) {
  EXPECT_EQ(resultCaption("/data/ventes.osq", 12), "Résultat requête : <ventes.osq> 12 enregistrement(s) trouvé(s)");
  EXPECT_EQ(resultCaption("C:\\REQ\\ventes.osq", 0), "Résultat requête : <ventes.osq> 0 enregistrement(s) trouvé(s)");
  EXPECT_EQ(resultCaption(QString(), -1), "Résultat requête : <sansnom.osq> ");
  EXPECT_EQ(recordLabel(3, 12), "Fiche n° 3 / 12");
  EXPECT_EQ(recordLabel(3, -1), "Fiche n° 3");
}

TEST(ValueTextTest, RealsReadAsTheyWereMeant) {
  EXPECT_EQ(valueText(1405.6000000000001, FieldType::ftFloat), "1405.6");
  EXPECT_EQ(valueText(0.1 + 0.2, FieldType::ftFloat, QLatin1Char(',')), "0,3");
  EXPECT_EQ(valueText(3.0, FieldType::ftCurrency, QLatin1Char(',')), "3,00");
  EXPECT_EQ(valueText(qint64(12), FieldType::ftInteger, QLatin1Char(',')), "12");
  EXPECT_EQ(valueText(QString("1.5"), FieldType::ftString, QLatin1Char(',')), "1.5");  // text stays text
  EXPECT_EQ(valueText(QVariant(), FieldType::ftFloat), QString());
}

TEST_F(ResultsTest, EmptyMeansNoCountOrNoRow) {
  engine::ResultSet& rs = adopt({field("A", FieldType::ftString)}, {{QString("x")}});
  rs.first();
  EXPECT_TRUE(resultIsEmpty(rs, 0));
  EXPECT_FALSE(resultIsEmpty(rs, -1));
  EXPECT_FALSE(resultIsEmpty(rs, 1));
  engine::ResultSet& none = adopt({field("A", FieldType::ftString)}, {});
  EXPECT_TRUE(resultIsEmpty(none, -1));
}

TEST_F(ResultsTest, PrefixSearchIgnoresCaseAndOnlyMatchesTheStart) {
  engine::ResultSet& rs = adopt({field("N", FieldType::ftInteger), field("NOM", FieldType::ftString)},
                                {{qint64(1), QString("Martin")},
                                 {qint64(2), QString("DUPONT")},
                                 {qint64(3), QString("Lemartin")},
                                 {qint64(4), QString("dupuis")}});
  rs.moveTo(3);
  using D = SearchDirection;
  EXPECT_EQ(findPrefix(rs, 1, "dup", 1, D::Forward), 2);
  EXPECT_EQ(findPrefix(rs, 1, "dup", 3, D::Forward), 4);
  EXPECT_EQ(findPrefix(rs, 1, "dup", 3, D::Backward), 2);
  EXPECT_EQ(findPrefix(rs, 1, "martin", 2, D::Forward), 0);  // "Lemartin" holds it elsewhere
  EXPECT_EQ(findPrefix(rs, 1, "", 1, D::Forward), 1);
  EXPECT_EQ(findPrefix(rs, 0, "4", 1, D::Forward), 4);  // numbers by their text
  EXPECT_EQ(rs.recNo(), 3);                             // the cursor never moved
}

TEST_F(ResultsTest, SearchWalksPagesBothWays) {
  QList<Row> rows;
  for (int i = 1; i <= 2000; ++i) rows << Row{QStringLiteral("v%1").arg(i)};
  engine::ResultSet& rs = adopt({field("V", FieldType::ftString)}, rows);
  EXPECT_EQ(findPrefix(rs, 0, "v1999", 1, SearchDirection::Forward), 1999);
  EXPECT_EQ(findPrefix(rs, 0, "V3", 1500, SearchDirection::Backward), 399);
  EXPECT_EQ(findPrefix(rs, 0, "v1", 2000, SearchDirection::Backward), 1999);
}

TEST_F(ResultsTest, CopyTextOfVisibleColumns) {
  QList<ResultField> fields = {field("A", FieldType::ftString), field("HID", FieldType::ftString),
                               field("M", FieldType::ftFloat)};
  fields[1].visible = false;
  engine::ResultSet& rs = adopt(fields, {{QString("un"), QString("x"), 1.5},
                                         {QString("deux"), QString("y"), QVariant()},
                                         {QString("trois"), QString("z"), -2.25}});
  const CopyText copy = buildCopyText(rs, QLatin1Char(','));
  EXPECT_EQ(copy.text, "un\t1,5\r\ndeux\t\r\ntrois\t-2,25\r\n");
  EXPECT_FALSE(copy.limited);
  EXPECT_EQ(copy.rows, 3);
  EXPECT_EQ(buildCopyText(rs, QLatin1Char('.')).text, "un\t1.5\r\ndeux\t\r\ntrois\t-2.25\r\n");
}

TEST_F(ResultsTest, CopyStopsAfterTheRecordThatPassesTheLimit) {
  QList<Row> rows;
  for (int i = 0; i < 10; ++i) rows << Row{QString(9, QLatin1Char('a' + i))};  // 10 counted a row
  engine::ResultSet& rs = adopt({field("A", FieldType::ftString)}, rows);
  CopyText copy = buildCopyText(rs, QLatin1Char('.'), 30);  // 30 is reached, not passed, at row 3
  EXPECT_TRUE(copy.limited);
  EXPECT_EQ(copy.rows, 4);
  EXPECT_TRUE(copy.text.endsWith(QString(9, QLatin1Char('d')) + "\r\n"));
  copy = buildCopyText(rs, QLatin1Char('.'), 100);
  EXPECT_FALSE(copy.limited);
  EXPECT_EQ(copy.rows, 10);
}

TEST(ParadoxFieldNameTest, DuplicatesAreNumbered) {
  EXPECT_EQ(paradoxFieldName("Nom", {}), "Nom");
  EXPECT_EQ(paradoxFieldName("Nom", {"NOM"}), "Nom00");
  EXPECT_EQ(paradoxFieldName("Nom", {"nom", "Nom00"}), "Nom01");
  const QString long30 = QString(30, QLatin1Char('x'));
  EXPECT_EQ(paradoxFieldName(long30, {}), QString(25, QLatin1Char('x')));
  EXPECT_EQ(paradoxFieldName(long30, {QString(25, QLatin1Char('x'))}), QString(23, QLatin1Char('x')) + "00");
  QStringList all = {"ab"};
  for (int i = 0; i <= 98; ++i) all << QStringLiteral("ab%1").arg(i, 2, 10, QLatin1Char('0'));
  EXPECT_EQ(paradoxFieldName("ab", all), QString());
}

TEST_F(ResultsTest, HostTableHoldsTheVisibleColumnsUnderTheirLabels) {
  QList<ResultField> fields = {field("NOM", FieldType::ftString, "Nom"), field("X", FieldType::ftInteger),
                               field("MONTANT", FieldType::ftFloat, "Somme de Montant")};
  fields[0].size = 20;
  fields[1].visible = false;
  engine::ResultSet& rs = adopt(fields, {{QString("Dupont"), qint64(1), 10.5}, {QString("Martin"), qint64(2), 3.0}});
  engine::Engine eng(dir.filePath("aliases.ini"), dir.filePath("private"));
  const QString out = dir.filePath("host");
  QDir().mkpath(out);
  EXPECT_EQ(writeHostTable(eng, rs, out), 2);
  auto table = eng.OpenTable(out, QString::fromLatin1(kHostTableName));
  ASSERT_EQ(table->fields().size(), 2);
  EXPECT_EQ(table->fields()[0].name, "Nom");
  EXPECT_EQ(table->fields()[1].name, "Somme de Montant");
  Row row;
  ASSERT_TRUE(table->readRecord(1, row));
  EXPECT_EQ(row[0].toString(), "Martin");
  EXPECT_DOUBLE_EQ(row[1].toDouble(), 3.0);

  // A directory that does not exist fails while creating the table.
  try {
    writeHostTable(eng, rs, dir.filePath("missing/dir"));
    FAIL() << "no error";
  } catch (const HostTableError& e) {
    EXPECT_TRUE(e.creating);
    EXPECT_FALSE(e.text.isEmpty());
  }
}

TEST_F(ResultsTest, GridModelKeepsAFewPagesOfAMillionRows) {
  constexpr qint64 kRows = 1000000;
  auto rs = engine::ResultSet::fromRows(cache(), {field("N", FieldType::ftInteger)},
                                        [](const engine::ResultSet::RowSink& sink) {
                                          Row r{qint64(0)};
                                          for (qint64 i = 0; i < kRows; ++i) {
                                            r[0] = i;
                                            sink(r);
                                          }
                                        });
  ResultTableModel model;
  model.setResultSet(rs.get());
  EXPECT_EQ(model.rowCount(), kRows);
  for (int r = 0; r < kRows; r += 9973) EXPECT_EQ(model.data(model.index(r, 0)).toString(), QString::number(r));
  EXPECT_LE(model.cachedPages(), ResultTableModel::kMaxPages);
  EXPECT_EQ(model.data(model.index(kRows - 1, 0)).toString(), QString::number(kRows - 1));
  rs->close();  // a closed result shows empty cells, never fails
  model.setResultSet(rs.get());
  EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
}  // namespace korvi::results::testing
