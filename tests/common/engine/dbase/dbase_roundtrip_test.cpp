// Tables written by the dBase writer read back with the same values; what dBase cannot hold
// is refused with a clear error, and replacing a table never leaves a broken one behind.
#include <gtest/gtest.h>

#include <QDate>
#include <QFileInfo>

#include "common/engine/dbase.h"
#include "dbasetesting.h"

using namespace korvi::engine;
using dbasetest::RawField;

namespace {

class DbaseRoundTrip : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

QList<FieldDesc> everyType() {
  return {{"NAME", FieldType::ftString, 20, 0},     {"SMALL", FieldType::ftSmallint, 0, 0},
          {"COUNT", FieldType::ftInteger, 0, 0},    {"W", FieldType::ftWord, 0, 0},
          {"ID", FieldType::ftAutoInc, 0, 0},       {"RATIO", FieldType::ftFloat, 0, 2},
          {"PRICE", FieldType::ftCurrency, 0, 0},   {"EXACT", FieldType::ftBCD, 0, 3},
          {"OK", FieldType::ftBoolean, 0, 0},       {"BORN", FieldType::ftDate, 0, 0},
          {"NOTES", FieldType::ftMemo, 0, 0},       {"FMT", FieldType::ftFmtMemo, 0, 0}};
}

TEST_F(DbaseRoundTrip, EveryTypeWithNullsAndAccents) {
  const QString file = path("all.dbf");
  const Row full{QStringLiteral("Hélène Œuvre €"), qint64(-32768), qint64(-2147483648LL),
                 qint64(65535), qint64(2147483647), 12.25, 1234.5678, -0.125, true,
                 QDate(1999, 12, 31), QStringLiteral("première ligne\r\nseconde ligne"),
                 QStringLiteral("ç")};
  const Row nulls(full.size());
  const Row falses{QStringLiteral("  lead"), qint64(0), qint64(0), qint64(0), qint64(0), 0.0,
                   0.0, 0.0, false, QDate(1, 1, 1), QString(""), QVariant()};
  {
    auto w = createDbfTable(file, everyType());
    w->appendRecord(full);
    w->appendRecord(nulls);
    w->appendRecord(falses);
    w->close();
  }
  ASSERT_TRUE(QFileInfo::exists(path("all.dbt")));
  auto t = openDbfTable(file);
  const QList<FieldDesc> expected{
      {"NAME", FieldType::ftString, 20, 0},   {"SMALL", FieldType::ftInteger, 0, 0},
      {"COUNT", FieldType::ftInteger, 0, 0},  {"W", FieldType::ftInteger, 0, 0},
      {"ID", FieldType::ftInteger, 0, 0},     {"RATIO", FieldType::ftFloat, 0, 2},
      {"PRICE", FieldType::ftFloat, 0, 4},    {"EXACT", FieldType::ftFloat, 0, 3},
      {"OK", FieldType::ftBoolean, 0, 0},     {"BORN", FieldType::ftDate, 0, 0},
      {"NOTES", FieldType::ftMemo, 0, 0},     {"FMT", FieldType::ftMemo, 0, 0}};
  EXPECT_EQ(t->fields(), expected);
  const auto rows = dbasetest::readAll(*t);
  ASSERT_EQ(rows.size(), 3);
  ASSERT_TRUE(rows[0] && rows[1] && rows[2]);
  EXPECT_EQ(*rows[0], full);
  for (const QVariant& v : *rows[1]) EXPECT_TRUE(v.isNull()) << v.toString().toStdString();
  Row back = *rows[2];
  EXPECT_EQ(back[0], QStringLiteral("  lead"));  // leading blanks stay, trailing ones go
  EXPECT_EQ(back[8], false);
  EXPECT_EQ(back[9], QDate(1, 1, 1));
  // An empty memo is a memo, not a missing one.
  EXPECT_FALSE(back[10].isNull());
  EXPECT_EQ(back[10].toString(), QString());
  EXPECT_TRUE(back[11].isNull());
  EXPECT_EQ(back[1].typeId(), QMetaType::LongLong);
  EXPECT_EQ(back[5].typeId(), QMetaType::Double);
}

TEST_F(DbaseRoundTrip, MemosAroundBlockBoundaries) {
  const QString file = path("memo.dbf");
  const QList<int> sizes{0, 1, 7, 8, 504, 511, 512, 513, 1024, 100000};
  QList<QString> texts;
  for (int n : sizes) {
    QString s;
    for (int i = 0; i < n; ++i) s.append(QChar(i % 7 == 0 ? 0xE9 : 'a' + i % 26));
    texts.append(s);
  }
  {
    auto w = createDbfTable(file, {{"K", FieldType::ftInteger, 0, 0}, {"M", FieldType::ftMemo, 0, 0},
                                   {"M2", FieldType::ftMemo, 0, 0}});
    for (int i = 0; i < texts.size(); ++i)
      w->appendRecord({qint64(i), texts[i], texts[texts.size() - 1 - i]});
    w->close();
  }
  const auto rows = dbasetest::readAll(file);
  ASSERT_EQ(rows.size(), texts.size());
  for (int i = 0; i < texts.size(); ++i) {
    ASSERT_TRUE(rows[i]);
    EXPECT_EQ((*rows[i])[1].toString(), texts[i]) << "memo of " << sizes[i];
    EXPECT_EQ((*rows[i])[2].toString(), texts[texts.size() - 1 - i]);
  }
}

TEST_F(DbaseRoundTrip, DeletedRecordsAreReportedAndSkipped) {
  const QString file = path("del.dbf");
  {
    auto w = createDbfTable(file, {{"N", FieldType::ftInteger, 0, 0}});
    for (int i = 0; i < 3; ++i) w->appendRecord({qint64(i)});
    w->close();
  }
  QByteArray bytes = dbasetest::readFile(file);
  const int header = qFromLittleEndian<quint16>(bytes.constData() + 8);
  bytes[header + 12] = '*';  // second record (1 + 11 bytes each)
  dbasetest::writeFile(file, bytes);
  const auto rows = dbasetest::readAll(file);
  ASSERT_EQ(rows.size(), 3);
  EXPECT_EQ((*rows[0])[0], qint64(0));
  EXPECT_FALSE(rows[1]);
  EXPECT_EQ((*rows[2])[0], qint64(2));
}

TEST_F(DbaseRoundTrip, NumericFieldTypesFollowWidthAndDecimals) {
  const QString file = path("num.dbf");
  const QList<RawField> fields{{"S", 'N', 4}, {"I", 'N', 11}, {"BIG", 'N', 15}, {"D", 'N', 8, 2},
                               {"F", 'F', 10, 3}};
  auto record = [&](const QList<QByteArray>& values) {
    QByteArray r(" ");
    for (int i = 0; i < values.size(); ++i) r += values[i].rightJustified(fields[i].length, ' ');
    return r;
  };
  dbasetest::writeFile(file, dbasetest::rawDbf(0x03, fields,
                                               {record({"-999", "99999999999", "123456789012345", "-1.50", "2.125"}),
                                                record({"", "", "", "", ""}),
                                                record({"****", "1e3", "0", ".5", "-0"})}));
  auto t = openDbfTable(file);
  ASSERT_EQ(t->fields().size(), 5);
  EXPECT_EQ(t->fields()[0].type, FieldType::ftSmallint);
  EXPECT_EQ(t->fields()[1].type, FieldType::ftInteger);
  EXPECT_EQ(t->fields()[2].type, FieldType::ftFloat);
  EXPECT_EQ(t->fields()[3].type, FieldType::ftFloat);
  EXPECT_EQ(t->fields()[3].decimals, 2);
  EXPECT_EQ(t->fields()[4].decimals, 3);
  const auto rows = dbasetest::readAll(*t);
  EXPECT_EQ(*rows[0], (Row{qint64(-999), qint64(99999999999LL), 123456789012345.0, -1.5, 2.125}));
  for (const QVariant& v : *rows[1]) EXPECT_TRUE(v.isNull());
  // Asterisks mean the value did not fit when it was written: nothing is stored.
  EXPECT_EQ(*rows[2], (Row{QVariant(), qint64(1000), 0.0, 0.5, -0.0}));
}

TEST_F(DbaseRoundTrip, LogicalDateAndTextConventionsOfOtherWriters) {
  const QString file = path("conv.dbf");
  dbasetest::writeFile(file, dbasetest::rawDbf(0x03, {{"L", 'L', 1}, {"D", 'D', 8}, {"C", 'C', 5}},
                                               {QByteArray(" y20240229ab\0\0\0", 15),
                                                " n00000000     ",
                                                " ?        x    ",
                                                "  20241301abc  "}));
  auto t = openDbfTable(file);
  Row row;
  ASSERT_TRUE(t->readRecord(0, row));
  EXPECT_EQ(row, (Row{true, QDate(2024, 2, 29), QStringLiteral("ab")}));
  ASSERT_TRUE(t->readRecord(1, row));
  EXPECT_EQ(row, (Row{false, QVariant(), QVariant()}));
  ASSERT_TRUE(t->readRecord(2, row));
  EXPECT_EQ(row, (Row{QVariant(), QVariant(), QStringLiteral("x")}));
  try {
    t->readRecord(3, row);
    FAIL() << "a month 13 was accepted";
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.text().contains(file));
    EXPECT_TRUE(e.text().contains(QLatin1String("record 4"))) << e.what();
    EXPECT_TRUE(e.text().contains(QLatin1String("field D"))) << e.what();
  }
  EXPECT_THROW(t->readRecord(4, row), EngineError);
  EXPECT_THROW(t->readRecord(-1, row), EngineError);
}

TEST_F(DbaseRoundTrip, LanguageDriverSelectsTheCodePage) {
  const QByteArray text("\x82\x85\x9B\xE1", 4);  // 437: é à ¢ ß; 850: é à ø ß
  struct Case { quint8 driver; QString expected; };
  const QList<Case> cases{{0x01, QString::fromUtf8("éà¢ß")},
                          {0x02, QString::fromUtf8("éàøß")},
                          {0x57, QString::fromUtf8("‚…›á")},
                          {0x03, QString::fromUtf8("‚…›á")},
                          {0x00, QString::fromUtf8("‚…›á")},
                          {0xEE, QString::fromUtf8("‚…›á")}};
  for (const Case& c : cases) {
    const QString file = path(QStringLiteral("cp%1.dbf").arg(c.driver));
    dbasetest::writeFile(file, dbasetest::rawDbf(0x03, {{"T", 'C', 4}}, {" " + text}, c.driver));
    const auto rows = dbasetest::readAll(file);
    EXPECT_EQ((*rows[0])[0].toString(), c.expected) << "driver " << int(c.driver);
  }
}

TEST_F(DbaseRoundTrip, DbaseThreeMemosAndUpperCaseMemoFile) {
  // dBase III: 512-byte blocks, text ended by 0x1A 0x1A, memo file named in upper case.
  const QString file = path("old.dbf");
  dbasetest::writeFile(file, dbasetest::rawDbf(0x83, {{"M", 'M', 10}},
                                               {" 1         ", "           ", " 0000000003"}));
  QByteArray dbt(512, '\0');
  dbt[0] = 4;
  QByteArray first(600, 'x');
  first += "\x1A\x1A";
  first.resize(1024, '\0');
  dbt += first;
  dbt += QByteArray("caf\xE9\x1A\x1A", 6);
  dbasetest::writeFile(path("OLD.DBT"), dbt);
  const auto rows = dbasetest::readAll(file);
  ASSERT_EQ(rows.size(), 3);
  EXPECT_EQ((*rows[0])[0].toString(), QString(600, 'x'));
  EXPECT_TRUE((*rows[1])[0].isNull());
  EXPECT_EQ((*rows[2])[0].toString(), QString::fromUtf8("café"));
}

TEST_F(DbaseRoundTrip, FoxProFieldsAndMemoFile) {
  QByteArray rec(" ", 1);
  auto le32 = [](qint32 v) { QByteArray b(4, '\0'); qToLittleEndian(v, b.data()); return b; };
  auto le64 = [](qint64 v) { QByteArray b(8, '\0'); qToLittleEndian(v, b.data()); return b; };
  rec += le32(-7);                                   // I
  rec += le64(123456);                               // Y: 12.3456
  rec += le32(2451545) + le32(3600000 + 1000);       // T: 2000-01-01 01:00:01
  double d = 2.5;
  qint64 bits;
  std::memcpy(&bits, &d, 8);
  rec += le64(bits);                                 // B: double
  rec += le32(8);                                    // M: block 8 of 64 bytes = offset 512
  rec += '\0';                                       // _NullFlags
  const QString file = path("fox.dbf");
  dbasetest::writeFile(file, dbasetest::rawDbf(0x30,
                                               {{"I", 'I', 4}, {"Y", 'Y', 8}, {"T", 'T', 8},
                                                {"B", 'B', 8}, {"M", 'M', 4}, {"_NullFlags", '0', 1}},
                                               {rec}, 0x03));
  QByteArray fpt(512, '\0');
  fpt[7] = 64;
  fpt += QByteArray("\0\0\0\1\0\0\0\3abc", 11);
  dbasetest::writeFile(path("fox.fpt"), fpt);
  auto t = openDbfTable(file);
  ASSERT_EQ(t->fields().size(), 5);
  EXPECT_EQ(t->fields()[2].type, FieldType::ftDateTime);
  Row row;
  ASSERT_TRUE(t->readRecord(0, row));
  EXPECT_EQ(row, (Row{qint64(-7), 12.3456, QDateTime(QDate(2000, 1, 1), QTime(1, 0, 1)), 2.5,
                      QStringLiteral("abc")}));
}

TEST_F(DbaseRoundTrip, LongCharacterFieldsOnlyWhenTheRecordSaysSo) {
  // 300 characters: length 44, high byte 1 in the decimals.
  const QString file = path("long.dbf");
  QByteArray bytes = dbasetest::rawDbf(0x03, {{"T", 'C', 44, 1}}, {" " + QByteArray(299, 'x') + "y"});
  qToLittleEndian<quint16>(301, bytes.data() + 10);
  dbasetest::writeFile(file, bytes);
  auto t = openDbfTable(file);
  EXPECT_EQ(t->fields()[0].size, 300);
  EXPECT_EQ((*dbasetest::readAll(*t)[0])[0].toString(), QString(299, 'x') + "y");
  // Junk in the decimals of a plain character field is ignored.
  dbasetest::writeFile(file, dbasetest::rawDbf(0x03, {{"T", 'C', 3, 2}}, {" abc"}));
  EXPECT_EQ((*dbasetest::readAll(file)[0])[0], QStringLiteral("abc"));
}

TEST_F(DbaseRoundTrip, LevelSevenDescriptors) {
  // 48-byte descriptors after a 68-byte header; integers and doubles with the sign bit flipped.
  QByteArray h(68, '\0');
  h[0] = 0x04;
  h[29] = 0x57;
  struct F { QByteArray name; char type; int length; };
  const QList<F> fields{{"LONG_NAME_OF_TWENTY", 'C', 5}, {"I", 'I', 4}, {"O", 'O', 8}};
  for (const F& f : fields) {
    QByteArray d(48, '\0');
    d.replace(0, f.name.size(), f.name);
    d[32] = f.type;
    d[33] = char(f.length);
    h += d;
  }
  h += '\x0D';
  qToLittleEndian<quint32>(2, h.data() + 4);
  qToLittleEndian<quint16>(quint16(h.size()), h.data() + 8);
  qToLittleEndian<quint16>(1 + 5 + 4 + 8, h.data() + 10);
  h += QByteArray(" abc  ") + QByteArray("\x7F\xFF\xFF\xFE", 4) + QByteArray("\xC0\x04\0\0\0\0\0\0", 8);
  h += QByteArray(" ") + QByteArray(5, ' ') + QByteArray(4, '\0') + QByteArray(8, '\0');
  const QString file = path("seven.dbf");
  dbasetest::writeFile(file, h);
  auto t = openDbfTable(file);
  ASSERT_EQ(t->fields().size(), 3);
  EXPECT_EQ(t->fields()[0].name, QStringLiteral("LONG_NAME_OF_TWENTY"));
  EXPECT_EQ(t->fields()[1].type, FieldType::ftInteger);
  const auto rows = dbasetest::readAll(*t);
  EXPECT_EQ(*rows[0], (Row{QStringLiteral("abc"), qint64(-2), 2.5}));
  EXPECT_EQ(*rows[1], (Row{QVariant(), QVariant(), QVariant()}));
}

TEST_F(DbaseRoundTrip, RefusesWhatDbaseCannotHold) {
  struct Case { QList<FieldDesc> fields; QString mentions; };
  const QList<Case> cases{
      {{{"T", FieldType::ftTime, 0, 0}}, "T"},
      {{{"A", FieldType::ftString, 5, 0}, {"STAMP", FieldType::ftDateTime, 0, 0}}, "STAMP"},
      {{{"PIC", FieldType::ftGraphic, 0, 0}}, "PIC"},
      {{{"RAW", FieldType::ftBlob, 0, 0}}, "RAW"},
      {{{"ABCDEFGHIJK", FieldType::ftString, 5, 0}}, "ABCDEFGHIJK"},
      {{{"Name", FieldType::ftString, 5, 0}, {"NAME", FieldType::ftInteger, 0, 0}}, "NAME"},
      {{{"LONG", FieldType::ftString, 255, 0}}, "LONG"},
      {{{"ZERO", FieldType::ftString, 0, 0}}, "ZERO"},
      {{{QString::fromUtf8("Ωmega"), FieldType::ftString, 5, 0}}, QString::fromUtf8("Ωmega")},
  };
  const QString file = path("bad.dbf");
  for (const Case& c : cases) {
    try {
      createDbfTable(file, c.fields);
      ADD_FAILURE() << "accepted " << c.mentions.toStdString();
    } catch (const EngineError& e) {
      EXPECT_TRUE(e.notSupported()) << e.what();
      EXPECT_TRUE(e.text().contains(QLatin1String("not supported"))) << e.what();
      EXPECT_TRUE(e.text().contains(c.mentions)) << e.what();
    }
  }
  EXPECT_FALSE(QFileInfo::exists(file));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
  // Ten characters, accented but in the code page, are fine.
  EXPECT_NO_THROW(createDbfTable(file, {{QString::fromUtf8("Prénom_123"), FieldType::ftString, 5, 0}})->close());
}

TEST_F(DbaseRoundTrip, ValuesThatDoNotFitNameTheFieldAndWriteNothing) {
  const QString file = path("fit.dbf");
  auto w = createDbfTable(file, {{"S", FieldType::ftString, 3, 0}, {"N", FieldType::ftInteger, 0, 0},
                                 {"F", FieldType::ftFloat, 0, 2}, {"M", FieldType::ftMemo, 0, 0}});
  const QList<std::pair<Row, QString>> bad{
      {{QStringLiteral("abcd"), 1, 1.0, QString()}, "field S"},
      {{QString::fromUtf8("aΩ"), 1, 1.0, QString()}, "field S"},
      {{QStringLiteral("a"), qint64(123456789012LL), 1.0, QString()}, "field N"},
      {{QStringLiteral("a"), 2.5, 1.0, QString()}, "field N"},
      {{QStringLiteral("a"), QStringLiteral("x"), 1.0, QString()}, "field N"},
      {{QStringLiteral("a"), 1, 1e20, QString()}, "field F"},
      {{QStringLiteral("a"), 1, std::nan(""), QString()}, "field F"},
      {{QStringLiteral("a"), 1, 1.0, QString::fromUtf8("日本")}, "field M"},
  };
  for (const auto& [row, mention] : bad) {
    try {
      w->appendRecord(row);
      ADD_FAILURE() << "accepted a value for " << mention.toStdString();
    } catch (const EngineError& e) {
      EXPECT_FALSE(e.notSupported());
      EXPECT_TRUE(e.text().contains(mention)) << e.what();
      EXPECT_TRUE(e.text().contains(file)) << e.what();
    }
  }
  EXPECT_THROW(w->appendRecord({QStringLiteral("a")}), EngineError);  // wrong value count
  w->appendRecord({QStringLiteral("abc"), qint64(-2147483648LL), -99.99, QStringLiteral("m")});
  w->close();
  const auto rows = dbasetest::readAll(file);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(*rows[0], (Row{QStringLiteral("abc"), qint64(-2147483648LL), -99.99, QStringLiteral("m")}));
}

TEST_F(DbaseRoundTrip, ReplacingATableIsAllOrNothing) {
  const QString file = path("rep.dbf");
  {
    auto w = createDbfTable(file, {{"M", FieldType::ftMemo, 0, 0}});
    w->appendRecord({QStringLiteral("old memo")});
    w->close();
  }
  const QByteArray oldDbf = dbasetest::readFile(file);
  const QByteArray oldDbt = dbasetest::readFile(path("rep.dbt"));
  {
    // Abandoned before close: the old table is untouched and no temporary file remains.
    auto w = createDbfTable(file, {{"M", FieldType::ftMemo, 0, 0}});
    w->appendRecord({QStringLiteral("new memo that is never completed")});
    EXPECT_EQ(dbasetest::readFile(file), oldDbf);
  }
  EXPECT_EQ(dbasetest::readFile(file), oldDbf);
  EXPECT_EQ(dbasetest::readFile(path("rep.dbt")), oldDbt);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

  // Replaced by a table without memos: the old memo file goes too.
  {
    auto w = createDbfTable(file, {{"N", FieldType::ftInteger, 0, 0}});
    w->appendRecord({qint64(5)});
    w->close();
    w->close();  // a second close changes nothing
  }
  EXPECT_FALSE(QFileInfo::exists(path("rep.dbt")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rep.dbf"});
  const auto rows = dbasetest::readAll(file);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(*rows[0], Row{qint64(5)});
}

TEST_F(DbaseRoundTrip, CreatingInAMissingDirectoryFails) {
  EXPECT_THROW(createDbfTable(path("no/such/dir/t.dbf"), {{"N", FieldType::ftInteger, 0, 0}}),
               EngineError);
}

TEST_F(DbaseRoundTrip, ManyRecordsReadInAnyOrder) {
  const QString file = path("many.dbf");
  {
    auto w = createDbfTable(file, {{"N", FieldType::ftInteger, 0, 0}, {"S", FieldType::ftString, 200, 0}});
    for (int i = 0; i < 3000; ++i) w->appendRecord({qint64(i), QString::number(i)});
    w->close();
  }
  auto t = openDbfTable(file);
  ASSERT_EQ(t->recordCount(), 3000);
  Row row;
  for (qint64 i : {2999, 0, 1500, 327, 328, 2998}) {
    ASSERT_TRUE(t->readRecord(i, row));
    EXPECT_EQ(row[0], i);
    EXPECT_EQ(row[1], QString::number(i));
  }
}

}  // namespace
