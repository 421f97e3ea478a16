// Result sets: navigation, paging, display forms, and SELECT execution end to end.
#include <QDate>
#include <QDateTime>
#include <QTime>

#include "common/engine/sqlitecache.h"
#include "common/text/strings.h"
#include "corefixture.h"

namespace korvi::engine::testing {
namespace {

ResultField col(const char* name, FieldType type) {
  ResultField f;
  f.name = QString::fromLatin1(name);
  f.type = type;
  return f;
}

class ResultTest : public CoreTest {
 protected:
  std::shared_ptr<SqliteCache> cache() {
    if (!cache_) cache_ = std::make_shared<SqliteCache>(tmp.path() + "/private");
    return cache_;
  }
  // Rows 1..n of one integer column N and its text T.
  std::unique_ptr<ResultSet> numbers(qint64 n) {
    return ResultSet::fromSelect(cache(), QStringLiteral(
        "WITH RECURSIVE s(n) AS (SELECT 1 WHERE %1 > 0 UNION ALL SELECT n + 1 FROM s WHERE n < %1)"
        " SELECT n AS N, 'r' || n AS T FROM s").arg(n),
        {col("N", FieldType::ftInteger), col("T", FieldType::ftString)});
  }
  void writeAliases() { writeFile(tmp.path() + "/aliases.ini", "[VENTES]\nTYPE=STANDARD\nPATH=" + data.toUtf8() + "\n"); }
  std::shared_ptr<SqliteCache> cache_;
};

TEST_F(ResultTest, NavigationFollowsDataSetRules) {
  auto rs = numbers(3);
  EXPECT_EQ(Engine::CountRows(*rs), 3);
  EXPECT_TRUE(rs->bof());
  EXPECT_FALSE(rs->eof());
  EXPECT_EQ(Engine::RecordSequenceNumber(*rs), 1);
  rs->prior();  // already first
  EXPECT_TRUE(rs->bof());
  EXPECT_EQ(rs->recNo(), 1);
  rs->next();
  EXPECT_FALSE(rs->bof());
  EXPECT_EQ(rs->value(0).toLongLong(), 2);
  EXPECT_EQ(rs->value("t").toString(), QStringLiteral("r2"));
  rs->next();
  EXPECT_FALSE(rs->eof());
  rs->next();  // past the end: stays on the last row
  EXPECT_TRUE(rs->eof());
  EXPECT_EQ(rs->recNo(), 3);
  rs->first();
  rs->last();
  EXPECT_TRUE(rs->eof());
  EXPECT_EQ(rs->recNo(), 3);
  rs->prior();
  EXPECT_FALSE(rs->eof());
  EXPECT_EQ(rs->recNo(), 2);
  EXPECT_TRUE(rs->moveTo(1));
  EXPECT_FALSE(rs->moveTo(4));
  EXPECT_EQ(rs->recNo(), 1);
  // The usual scan visits every row once.
  QStringList seen;
  for (rs->first(); !rs->eof(); rs->next()) seen << rs->displayText(1);
  EXPECT_EQ(seen, (QStringList{"r1", "r2", "r3"}));
  EXPECT_THROW(rs->value(2), EngineError);
  EXPECT_THROW(rs->value("nope"), EngineError);
  Engine::Close(*rs);
  EXPECT_THROW(rs->next(), EngineError);
}

TEST_F(ResultTest, EmptyResultIsAtBothEnds) {
  auto rs = numbers(0);
  EXPECT_EQ(rs->rowCount(), 0);
  EXPECT_TRUE(rs->bof() && rs->eof());
  EXPECT_EQ(rs->recNo(), 0);
  rs->next();
  rs->last();
  EXPECT_TRUE(rs->bof() && rs->eof());
  EXPECT_TRUE(rs->value(0).isNull());
  EXPECT_TRUE(rs->fetchRows(0, 10).isEmpty());
}

TEST_F(ResultTest, PagesOfALargeResult) {
  auto rs = numbers(200000);
  EXPECT_EQ(rs->rowCount(), 200000);
  const QList<Row> page = rs->fetchRows(150000, 50);
  ASSERT_EQ(page.size(), 50);
  EXPECT_EQ(page.first()[0].toLongLong(), 150001);
  EXPECT_EQ(page.last()[1].toString(), QStringLiteral("r150050"));
  EXPECT_EQ(rs->fetchRows(199990, 50).size(), 10);
  EXPECT_TRUE(rs->fetchRows(200000, 5).isEmpty());
  EXPECT_TRUE(rs->fetchRows(-1, 5).isEmpty());
  rs->last();
  EXPECT_EQ(rs->value(0).toLongLong(), 200000);
  // Two results live side by side; closing one leaves the other.
  auto other = numbers(2);
  rs.reset();
  other->last();
  EXPECT_EQ(other->value(1).toString(), QStringLiteral("r2"));
}

TEST_F(ResultTest, DisplayFormsAndReadField) {
  auto rs = ResultSet::fromSelect(cache(),
      "SELECT 'abc', 42, 2.5, 0.1, 1234.5, 1, '1995-03-31', '07:08:09', '2001-02-03 04:05:06', 'memo text', x'0102', NULL, 3.0",
      {col("S", FieldType::ftString), col("I", FieldType::ftInteger), col("F", FieldType::ftFloat), col("G", FieldType::ftFloat),
       col("C", FieldType::ftCurrency), col("B", FieldType::ftBoolean), col("D", FieldType::ftDate), col("T", FieldType::ftTime),
       col("DT", FieldType::ftDateTime), col("M", FieldType::ftMemo), col("P", FieldType::ftGraphic), col("N", FieldType::ftFloat),
       col("W", FieldType::ftFloat)});
  EXPECT_EQ(rs->value(6), QVariant(QDate(1995, 3, 31)));
  EXPECT_EQ(rs->value(7), QVariant(QTime(7, 8, 9)));
  EXPECT_EQ(rs->value(8), QVariant(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6))));
  EXPECT_EQ(rs->value(5), QVariant(true));

  const bool wasFrench = korvi::language().french;
  korvi::setLanguage(1);
  QStringList shown;
  for (int c = 0; c < rs->fieldCount(); ++c) shown << (rs->field(c).type >= FieldType::ftMemo ? QString() : Engine::ReadField(*rs, c).toString());
  EXPECT_EQ(shown, (QStringList{"abc", "42", "2.5", "0.1", "1234.50", "True", "31/03/1995", "07:08:09",
                                "03/02/2001 04:05:06", "", "", "", "3"}));
  korvi::setLanguage(2);
  EXPECT_EQ(Engine::ReadField(*rs, 6).toString(), QStringLiteral("03/31/1995"));
  EXPECT_EQ(Engine::ReadField(*rs, 8).toString(), QStringLiteral("02/03/2001 04:05:06"));
  korvi::setLanguage(wasFrench ? 1 : 2);

  EXPECT_EQ(Engine::ReadField(*rs, 9), QVariant(QByteArray("memo text")));
  EXPECT_EQ(Engine::ReadField(*rs, 10), QVariant(QByteArray("\x01\x02", 2)));
  EXPECT_EQ(displayText(false, FieldType::ftBoolean), QStringLiteral("False"));
  EXPECT_EQ(displayText(1e20, FieldType::ftFloat), QStringLiteral("100000000000000000000"));
  EXPECT_EQ(displayText(-0.0, FieldType::ftFloat), QStringLiteral("0"));
  // A sum's binary rounding noise is not shown; real digits are.
  EXPECT_EQ(displayText(1147.2 + 258.4, FieldType::ftFloat), QStringLiteral("1405.6"));
  EXPECT_EQ(displayText(0.1 + 0.2, FieldType::ftFloat), QStringLiteral("0.3"));
  EXPECT_EQ(displayText(123456789.123456, FieldType::ftFloat), QStringLiteral("123456789.123456"));
  EXPECT_EQ(displayText(QTime(1, 2, 3, 400), FieldType::ftTime), QStringLiteral("01:02:03"));
}

TEST_F(ResultTest, FieldsCarryVisibilityAndLabels) {
  auto rs = numbers(1);
  EXPECT_TRUE(rs->field(0).visible);
  EXPECT_EQ(rs->field(0).displayName(), QStringLiteral("N"));
  rs->setFieldVisible(1, false);
  rs->setFieldLabel(0, QStringLiteral("Somme de N"));
  EXPECT_FALSE(rs->field(1).visible);
  EXPECT_EQ(rs->field(0).displayName(), QStringLiteral("Somme de N"));
  EXPECT_EQ(rs->fieldIndex("t"), 1);
  EXPECT_THROW(rs->setFieldLabel(5, "x"), EngineError);
}

TEST_F(ResultTest, OnlyOneReadingStatementRuns) {
  writeClients();
  const QString table = cache()->import(data + "clients.txt").sqlName;
  for (const QString& sql : {QStringLiteral("DELETE FROM \"%1\"").arg(table), QStringLiteral("SELECT 1; DELETE FROM \"%1\"").arg(table),
                             QStringLiteral("CREATE TABLE x(a)")}) {
    EXPECT_THROW(ResultSet::fromSelect(cache(), sql), EngineError) << sql.toStdString();
  }
  auto rs = ResultSet::fromSelect(cache(), QStringLiteral("SELECT count(*) AS n FROM \"%1\"").arg(table));
  EXPECT_EQ(rs->value(0).toLongLong(), 3);  // nothing was deleted
  EXPECT_EQ(rs->field(0).type, FieldType::ftInteger);

  for (const QString& sql : {QStringLiteral("DELETE FROM \"%1clients.txt\"").arg(data), QStringLiteral("DROP TABLE \"x\""),
                             QStringLiteral("SELECT T1.\"NOM\" FROM \"%1clients.txt\" T1; DELETE FROM \"%1clients.txt\"").arg(data)}) {
    EXPECT_THROW(engine->ExecuteSelect(sql), EngineError) << sql.toStdString();
  }
}

TEST_F(ResultTest, ExecuteSelectOverTableFiles) {
  writeClients();
  writeAliases();
  const QStringList lines{"SELECT T1.\"NOM\", T1.\"SOLDE\", T1.\"DEPUIS\"", "FROM \":VENTES:CLIENTS.TXT\" T1",
                          "WHERE T1.\"NUM\" > 1", "ORDER BY T1.\"NOM\" DESC"};
  auto rs = engine->ExecuteSelect(lines);
  ASSERT_EQ(rs->fieldCount(), 3);
  EXPECT_EQ(rs->field(0).name, QStringLiteral("NOM"));
  EXPECT_EQ(rs->field(2).type, FieldType::ftDate);
  ASSERT_EQ(Engine::CountRows(*rs), 2);
  EXPECT_EQ(rs->value(0).toString(), QStringLiteral("Martin"));
  EXPECT_TRUE(rs->value(1).isNull());
  rs->next();
  EXPECT_EQ(rs->value(0).toString(), QStringLiteral("Durand"));
  EXPECT_EQ(rs->value(1).toDouble(), -3.0);
  EXPECT_EQ(rs->value(2).toDate(), QDate(2001, 12, 1));

  // The second statement over the same file reads it from the cache.
  const int imports = engine->cache().importCount();
  auto again = engine->ExecuteSelect("SELECT COUNT(*) FROM \"" + data + "clients.txt\" T1");
  EXPECT_EQ(again->value(0).toLongLong(), 3);
  EXPECT_EQ(engine->cache().importCount(), imports);

  try {
    engine->ExecuteSelect("SELECT T1.\"NOM\" FROM \":NOALIAS:x.db\" T1");
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.text().contains("NOALIAS")) << e.text().toStdString();
  }
}

}  // namespace
}  // namespace korvi::engine::testing
