// ASCII tables: delimited and fixed layouts, value forms, damaged schemas and data.
#include <QDate>
#include <QDateTime>
#include <QTime>

#include "common/engine/asciitable.h"
#include "common/engine/tablefiles.h"
#include "corefixture.h"

namespace korvi::engine::testing {
namespace {

class AsciiTest : public CoreTest {
 protected:
  QList<Row> readAll(const QString& path) {
    auto r = openTableFile(path);
    QList<Row> rows;
    Row row;
    for (qint64 i = 0; i < r->recordCount(); ++i)
      if (r->readRecord(i, row)) rows << row;
    return rows;
  }
  // The text of the EngineError opening and reading the table throws; empty when none.
  QString failure(const QString& path) {
    try {
      readAll(path);
    } catch (const EngineError& e) {
      return e.text();
    }
    return QString();
  }
};

TEST_F(AsciiTest, DelimitedTableReadsTypedValues) {
  writeAscii(QStringLiteral("t"),
             "[T]\nFiletype=VARYING\nDelimiter=\"\nSeparator=,\n"
             "Field1=Id,LongInt,11,00,00\nField2=Name,Char,30,00,00\nField3=Amount,Float,20,02,00\n"
             "Field4=Paid,Bool,1,00,00\nField5=Day,Date,10,00,00\nField6=At,Time,8,00,00\n",
             "1,\"Smith, John\",12.25,T,03/31/1995,14:05:09\r\n"
             "2,\"Say \"\"hi\"\"\",-0.5,F,1999-12-31,00:00:00\n"
             "\n"
             "3,,,,,\n"
             "4 , \"  padded  \" , 7 ,\x1a");
  auto r = openTableFile(data + "t.txt");
  ASSERT_EQ(r->fields().size(), 6);
  EXPECT_EQ(r->fields()[1], (FieldDesc{QStringLiteral("Name"), FieldType::ftString, 30, 0}));
  EXPECT_EQ(r->fields()[2].decimals, 2);
  const QList<Row> rows = readAll(data + "t.txt");
  ASSERT_EQ(rows.size(), 4);  // the blank line is not a record
  EXPECT_EQ(rows[0], (Row{qint64(1), QStringLiteral("Smith, John"), 12.25, true, QDate(1995, 3, 31), QTime(14, 5, 9)}));
  EXPECT_EQ(rows[1][1].toString(), QStringLiteral("Say \"hi\""));
  EXPECT_EQ(rows[1][3], QVariant(false));
  EXPECT_EQ(rows[1][4].toDate(), QDate(1999, 12, 31));
  for (int c = 1; c < 6; ++c) EXPECT_TRUE(rows[2][c].isNull()) << c;
  EXPECT_EQ(rows[3][1].toString(), QStringLiteral("  padded  "));  // quoted text kept exactly
  EXPECT_EQ(rows[3][2].toDouble(), 7.0);
  EXPECT_TRUE(rows[3][4].isNull());
}

TEST_F(AsciiTest, TabSeparatorAndNoDelimiter) {
  writeAscii(QStringLiteral("tabs"), "[TABS]\nFiletype=VARYING\nDelimiter=\nSeparator=TAB\nField1=A,Char,5\nField2=B,Short,6\n",
             "x\"y\t-12\n");
  const QList<Row> rows = readAll(data + "tabs.txt");
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0], (Row{QStringLiteral("x\"y"), qint64(-12)}));
}

TEST_F(AsciiTest, FixedTableTakesFieldsByOffsetAndWidth) {
  writeAscii(QStringLiteral("fixed"),
             "[FIXED]\nFiletype=Fixed\nCharSet=ascii\n"
             "Field1=Code,Char,4,00,00\nField2=Price,Currency,8,02,04\nField3=Born,Date,8,00,12\n",
             QByteArray("AB  ") + "   12.50" + "02/28/94\r\n" + "Z\r\n" + "CD  " + "    1.00" + "01/01/05" + " trailing\n" +
                 "\xc9t\xe9 " + "       3\n");
  const QList<Row> rows = readAll(data + "fixed.txt");
  ASSERT_EQ(rows.size(), 4);
  EXPECT_EQ(rows[0], (Row{QStringLiteral("AB"), 12.5, QDate(1994, 2, 28)}));
  EXPECT_EQ(rows[1], (Row{QStringLiteral("Z"), QVariant(), QVariant()}));  // a short line leaves fields empty
  EXPECT_EQ(rows[2][2].toDate(), QDate(2005, 1, 1));
  EXPECT_EQ(rows[3][0].toString(), QStringLiteral("\u00c9t\u00e9"));  // not UTF-8: read as Windows-1252
  EXPECT_EQ(rows[3][1].toDouble(), 3.0);
}

TEST_F(AsciiTest, FixedOffsetsCountCharactersOfUtf8Lines) {
  writeAscii(QStringLiteral("u"), "[U]\nFiletype=FIXED\nField1=A,Char,3,00,00\nField2=B,LongInt,3,00,03\n",
             "\xc3\xa9t\xc3\xa9 42\n");
  const QList<Row> rows = readAll(data + "u.txt");
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0], (Row{QStringLiteral("\u00e9t\u00e9"), qint64(42)}));
}

TEST_F(AsciiTest, ValueForms) {
  QVariant v;
  EXPECT_TRUE(parseAsciiValue(QStringLiteral("12/31/99"), FieldType::ftDate, v));
  EXPECT_EQ(v.toDate(), QDate(1999, 12, 31));
  EXPECT_TRUE(parseAsciiValue(QStringLiteral("1/2/03"), FieldType::ftDate, v));
  EXPECT_EQ(v.toDate(), QDate(2003, 1, 2));
  EXPECT_FALSE(parseAsciiValue(QStringLiteral("02/30/2001"), FieldType::ftDate, v));
  EXPECT_FALSE(parseAsciiValue(QStringLiteral("2001-02-30"), FieldType::ftDate, v));
  EXPECT_TRUE(parseAsciiValue(QStringLiteral("03/04/2005 10:11:12"), FieldType::ftDateTime, v));
  EXPECT_EQ(v.toDateTime(), QDateTime(QDate(2005, 3, 4), QTime(10, 11, 12)));
  EXPECT_TRUE(parseAsciiValue(QStringLiteral("2005-03-04T10:11"), FieldType::ftDateTime, v));
  EXPECT_EQ(v.toDateTime(), QDateTime(QDate(2005, 3, 4), QTime(10, 11)));
  EXPECT_FALSE(parseAsciiValue(QStringLiteral("25:00:00"), FieldType::ftTime, v));
  EXPECT_TRUE(parseAsciiValue(QStringLiteral("yes"), FieldType::ftBoolean, v));
  EXPECT_EQ(v, QVariant(true));
  EXPECT_FALSE(parseAsciiValue(QStringLiteral("maybe"), FieldType::ftBoolean, v));
  EXPECT_FALSE(parseAsciiValue(QStringLiteral("40000"), FieldType::ftSmallint, v));
  EXPECT_FALSE(parseAsciiValue(QStringLiteral("-1"), FieldType::ftWord, v));
  EXPECT_FALSE(parseAsciiValue(QStringLiteral("3000000000"), FieldType::ftInteger, v));
  EXPECT_FALSE(parseAsciiValue(QStringLiteral("1,5"), FieldType::ftFloat, v));
  EXPECT_FALSE(parseAsciiValue(QStringLiteral("inf"), FieldType::ftFloat, v));
  EXPECT_TRUE(parseAsciiValue(QStringLiteral("  "), FieldType::ftInteger, v));
  EXPECT_TRUE(v.isNull());
}

TEST_F(AsciiTest, DamagedSchemasNameTheSchemaFile) {
  const QByteArray rows = "1\n";
  const std::pair<const char*, const char*> cases[] = {
      {"[S]\nFiletype=VARYING\nField1=A,Blob,4\n", "unknown type"},
      {"[S]\nFiletype=VARYING\nField1=A,Char\n", "needs a name"},
      {"[S]\nFiletype=VARYING\nField1=A,Char,0\n", "invalid width"},
      {"[S]\nFiletype=VARYING\nField1=A,Char,99999999999\n", "invalid width"},
      {"[S]\nFiletype=VARYING\n", "no fields"},
      {"[S]\nFiletype=VARYING\nField1=A,Char,4\nField2=a,Char,4\n", "used twice"},
      {"[S]\nFiletype=CSV\nField1=A,Char,4\n", "Filetype"},
      {"[S]\nFiletype=VARYING\nSeparator=;;\nField1=A,Char,4\n", "Separator"},
      {"[S]\nFiletype=VARYING\nSeparator=\"\nField1=A,Char,4\n", "same character"},
      {"no section at all\n", "no table section"},
      {"[S]\nFiletype=VARYING\nFieldX=A,Char,4\n", "invalid field key"},
  };
  for (const auto& [schema, expected] : cases) {
    writeAscii(QStringLiteral("s"), schema, rows);
    const QString text = failure(data + "s.txt");
    EXPECT_TRUE(text.contains(QStringLiteral("s.sch"))) << schema << " -> " << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String(expected))) << schema << " -> " << text.toStdString();
  }
}

TEST_F(AsciiTest, BadDataNamesFileLineAndField) {
  const QByteArray schema = "[B]\nFiletype=VARYING\nField1=N,LongInt,5\nField2=T,Char,5\n";
  writeAscii(QStringLiteral("b"), schema, "1,\"a\"\nabc,\"b\"\n");
  QString text = failure(data + "b.txt");
  EXPECT_TRUE(text.contains(QStringLiteral("b.txt")) && text.contains(QStringLiteral("line 2")) && text.contains(QStringLiteral("N")))
      << text.toStdString();
  writeAscii(QStringLiteral("b"), schema, "1,\"never closed\n");
  EXPECT_TRUE(failure(data + "b.txt").contains(QStringLiteral("closing delimiter")));
  writeAscii(QStringLiteral("b"), schema, "1,\"a\",3\n");
  EXPECT_TRUE(failure(data + "b.txt").contains(QStringLiteral("3 values")));
  writeAscii(QStringLiteral("b"), schema, "1,\"a\" x\n");
  EXPECT_TRUE(failure(data + "b.txt").contains(QStringLiteral("after a delimited value")));
  // A trailing separator is not an extra value.
  writeAscii(QStringLiteral("b"), schema, "1,\"a\",\n");
  EXPECT_TRUE(failure(data + "b.txt").isEmpty());
}

TEST_F(AsciiTest, MissingSchemaOrTableIsAnError) {
  writeFile(data + "alone.txt", "1\n");
  EXPECT_TRUE(failure(data + "alone.txt").contains(QStringLiteral("schema")));
  EXPECT_TRUE(failure(data + "nothing.txt").contains(QStringLiteral("nothing.txt")));
}

TEST_F(AsciiTest, SchemaAndTableFoundWithoutRegardToCase) {
  writeFile(data + "MIXED.SCH", "[mixed]\nFiletype=VARYING\nField1=A,Char,4\n");
  writeFile(data + "Mixed.Txt", "\"x\"\n");
  const QList<Row> rows = readAll(data + "mixed.txt");
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0][0].toString(), QStringLiteral("x"));
}

}  // namespace
}  // namespace korvi::engine::testing
