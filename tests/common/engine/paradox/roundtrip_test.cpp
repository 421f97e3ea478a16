// Tables written by the Paradox writer and read back by the reader.
#include <QDir>
#include <QFileInfo>

#include "paradoxtestutil.h"

namespace korvi::engine::testing {
namespace {

using FT = FieldType;

class ParadoxRoundTrip : public ::testing::Test {
 protected:
  QString path(const QString& name = QStringLiteral("table.db")) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

TEST_F(ParadoxRoundTrip, EveryTypeWithNullsAndAccents) {
  const QList<FieldDesc> fields = {
      {"Nom", FT::ftString, 30, 0},        {"Petit", FT::ftSmallint, 0, 0}, {"Entier", FT::ftInteger, 0, 0},
      {"Mot", FT::ftWord, 0, 0},           {"Vrai", FT::ftBoolean, 0, 0},   {"Reel", FT::ftFloat, 0, 0},
      {"Prix", FT::ftCurrency, 0, 0},      {"Bcd", FT::ftBCD, 0, 3},        {"Jour", FT::ftDate, 0, 0},
      {"Heure", FT::ftTime, 0, 0},         {"Quand", FT::ftDateTime, 0, 0}, {"Octets", FT::ftBytes, 4, 0},
      {"Compteur", FT::ftAutoInc, 0, 0},   {"Blob", FT::ftBlob, 0, 0},      {"Note", FT::ftMemo, 20, 0},
      {"Image", FT::ftGraphic, 0, 0},      {"Riche", FT::ftFmtMemo, 0, 0},  {"Ole", FT::ftParadoxOle, 0, 0},
  };
  const QByteArray graphic("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  const Row full = {QStringLiteral("Hélène Müller – 5 €"), qint64(-32767), qint64(-2147483647), qint64(65535),
                    false, -1.5e-300, 1234.56, -12345.678, QDate(1, 1, 1), QTime(0, 0, 0),
                    QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999)), QByteArray("\x01\x02\x03\x04", 4),
                    qint64(7), QByteArray(5000, 'x'), QStringLiteral("Crème brûlée"), graphic,
                    QStringLiteral("{\\rtf1 été}"), QByteArray("ole", 3)};
  const Row extremes = {QString(30, QChar(u'ÿ')), qint64(32767), qint64(2147483647), qint64(0), true, 0.0, -0.01,
                        0.0, QDate(9999, 12, 31), QTime(23, 59, 59, 999), QDateTime(QDate(1, 1, 1), QTime(0, 0)),
                        QByteArray("\xff\0\0\x01", 4), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                        QVariant()};
  const Row nulls(fields.size());
  writeTable(path(), fields, {full, extremes, nulls});

  QList<FieldDesc> read;
  const QList<Row> rows = readAll(path(), &read);
  ASSERT_EQ(rows.size(), 3);
  ASSERT_EQ(read.size(), fields.size());
  // Types Paradox has no own form of come back as the type that holds them.
  EXPECT_EQ(read[3].type, FT::ftInteger);
  EXPECT_EQ(read[7].decimals, 3);
  EXPECT_EQ(read[14].size, 20);
  for (int i = 0; i < fields.size(); ++i) {
    if (i != 3) {
      EXPECT_EQ(read[i].type, fields[i].type) << i;
    }
    EXPECT_EQ(read[i].name, fields[i].name);
  }
  for (int i = 0; i < fields.size(); ++i) EXPECT_EQ(rows[0][i], full[i]) << "field " << i;
  for (int i = 0; i < 12; ++i) EXPECT_EQ(rows[1][i], extremes[i]) << "field " << i;
  // Null auto-increment values are numbered on from the highest value written.
  EXPECT_EQ(rows[1][12], QVariant(qint64(8)));
  EXPECT_EQ(rows[2][12], QVariant(qint64(9)));
  for (int i = 0; i < fields.size(); ++i)
    if (i != 12) {
      EXPECT_FALSE(rows[2][i].isValid()) << "field " << i;
    }
}

TEST_F(ParadoxRoundTrip, MemosShortMediumAndLarge) {
  const QList<FieldDesc> fields = {{"Id", FT::ftInteger, 0, 0}, {"Memo", FT::ftMemo, 12, 0}, {"Data", FT::ftBlob, 0, 0}};
  QList<Row> rows;
  const QList<int> lengths = {1, 12, 13, 16, 17, 250, 2048, 2049, 4087, 4088, 70000};
  for (int i = 0; i < lengths.size(); ++i) {
    QString text;
    for (int k = 0; k < lengths[i]; ++k) text.append(QChar(u"aéz€"[(k + i) % 4]));
    QByteArray bytes(lengths[i], '\0');
    for (int k = 0; k < bytes.size(); ++k) bytes[k] = char((k * 7 + i) & 0xFF);
    rows.append({qint64(i), text, bytes});
  }
  // Many small values fill more than one suballocated block.
  for (int i = 0; i < 300; ++i) rows.append({qint64(100 + i), QStringLiteral("note %1 ").arg(i).repeated(4), QByteArray(40, char(i))});
  writeTable(path(), fields, rows);
  EXPECT_TRUE(QFileInfo::exists(path("table.mb")));
  const QList<Row> back = readAll(path());
  ASSERT_EQ(back.size(), rows.size());
  for (int i = 0; i < rows.size(); ++i) EXPECT_EQ(back[i], rows[i]) << "record " << i;
}

TEST_F(ParadoxRoundTrip, ShortMemosLiveInTheRecordOnly) {
  writeTable(path(), {{"Memo", FT::ftMemo, 40, 0}}, {{QStringLiteral("fits in the record")}});
  // The blob file exists but holds nothing beyond its header block.
  EXPECT_EQ(QFileInfo(path("table.mb")).size(), 4096);
  QFile::remove(path("table.mb"));
  EXPECT_EQ(readAll(path())[0][0], QVariant(QStringLiteral("fits in the record")));
}

TEST_F(ParadoxRoundTrip, ManyRecordsSpanBlocksAndLargeRecordsGetLargerBlocks) {
  QList<Row> rows;
  for (int i = 0; i < 5000; ++i) rows.append({qint64(i), QStringLiteral("row %1").arg(i)});
  writeTable(path(), {{"N", FT::ftInteger, 0, 0}, {"S", FT::ftString, 100, 0}}, rows);
  const QByteArray bytes = fileBytes(path());
  EXPECT_EQ(uchar(bytes[5]), 2);               // 2 KB blocks
  EXPECT_EQ(le16At(bytes, 0x0C), 5000 / 19 + 1);  // 19 records of 104 bytes per block
  EXPECT_EQ(readAll(path()), rows);

  writeTable(path("wide.db"), {{"S", FT::ftString, 255, 0}, {"T", FT::ftString, 255, 0}, {"U", FT::ftString, 255, 0},
                               {"V", FT::ftString, 255, 0}, {"W", FT::ftString, 255, 0}, {"X", FT::ftString, 255, 0},
                               {"Y", FT::ftString, 255, 0}, {"Z", FT::ftString, 255, 0}, {"Z2", FT::ftString, 255, 0}},
             {{"a", "b", "c", "d", "e", "f", "g", "h", "i"}});
  EXPECT_EQ(uchar(fileBytes(path("wide.db"))[5]), 4);
  EXPECT_EQ(readAll(path("wide.db"))[0][8], QVariant(QStringLiteral("i")));
}

TEST_F(ParadoxRoundTrip, EmptyTableHasNoBlocks) {
  writeTable(path(), {{"A", FT::ftString, 5, 0}}, {});
  auto reader = openParadoxTable(path());
  EXPECT_EQ(reader->recordCount(), 0);
  EXPECT_EQ(QFileInfo(path()).size(), 2048);
}

TEST_F(ParadoxRoundTrip, BadFieldListsAreRefusedBeforeAnyFileIsMade) {
  const auto refuse = [&](const QList<FieldDesc>& fields, const char* expected, bool notSupported = false) {
    try {
      createParadoxTable(path(), fields);
      ADD_FAILURE() << "accepted: " << expected;
    } catch (const EngineError& e) {
      EXPECT_TRUE(e.text().contains(QLatin1String(expected))) << e.text().toStdString();
      EXPECT_TRUE(e.text().contains(path()));
      EXPECT_EQ(e.notSupported(), notSupported) << expected;
    }
  };
  refuse({{"Abcdefghijklmnopqrstuvwxyz", FT::ftInteger, 0, 0}}, "longer than 25");
  refuse({{"Nom", FT::ftInteger, 0, 0}, {"NOM", FT::ftString, 5, 0}}, "used twice");
  refuse({{"", FT::ftInteger, 0, 0}}, "no name");
  refuse({{"Nom", FT::ftString, 0, 0}}, "size 0");
  refuse({{"Nom", FT::ftString, 256, 0}}, "size 256");
  refuse({{"Nom", FT::ftBCD, 0, 33}}, "decimals");
  refuse({{"Ole", FT::ftDBaseOle, 0, 0}}, "not supported", true);
  refuse({{"Typed", FT::ftTypedBinary, 0, 0}}, "not supported", true);
  refuse({{"X", FT::ftUnknown, 0, 0}}, "not supported", true);
  refuse({}, "at least one field");
  EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(ParadoxRoundTrip, ValuesThatDoNotFitAreRefusedNamingTheField) {
  auto writer = createParadoxTable(path(), {{"Court", FT::ftString, 3, 0}, {"Petit", FT::ftSmallint, 0, 0},
                                            {"Long", FT::ftInteger, 0, 0}, {"Jour", FT::ftDate, 0, 0},
                                            {"Bcd", FT::ftBCD, 0, 30}, {"Octets", FT::ftBytes, 2, 0}});
  const Row good = {QStringLiteral("abc"), qint64(1), qint64(1), QDate(2000, 1, 1), 1.0, QByteArray("ab")};
  const auto refused = [&](int field, const QVariant& value, const char* expected) {
    Row row = good;
    row[field] = value;
    const QString text = engineErrorOf([&] { writer->appendRecord(row); });
    EXPECT_TRUE(text.contains(QLatin1String(expected))) << text.toStdString();
  };
  refused(0, QStringLiteral("abcd"), "field Court");
  refused(0, QStringLiteral("日本"), "field Court");
  // The smallest value of each width encodes as the empty field.
  refused(1, qint64(-32768), "field Petit");
  refused(1, qint64(40000), "field Petit");
  refused(2, qint64(-2147483647) - 1, "field Long");
  refused(3, QDate(-5, 1, 1), "field Jour");
  refused(3, QStringLiteral("not a date"), "field Jour");
  refused(4, 1000.0, "field Bcd");
  refused(5, QByteArray("abc"), "field Octets");
  EXPECT_TRUE(engineErrorOf([&] { writer->appendRecord({QVariant()}); }).contains("1 values for 6 fields"));
  writer->appendRecord(good);
  writer->close();
  EXPECT_EQ(readAll(path()), QList<Row>{good});
}

TEST_F(ParadoxRoundTrip, ReplacingIsAllOrNothing) {
  writeTable(path(), {{"Memo", FT::ftMemo, 1, 0}}, {{QStringLiteral("old memo text")}});
  ASSERT_TRUE(QFileInfo::exists(path("table.mb")));
  {
    // Dropped before close(): the old table stays as it was, no scratch file remains.
    auto writer = createParadoxTable(path(), {{"N", FT::ftInteger, 0, 0}});
    writer->appendRecord({qint64(1)});
  }
  EXPECT_EQ(readAll(path())[0][0], QVariant(QStringLiteral("old memo text")));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

  writeTable(path(), {{"N", FT::ftInteger, 0, 0}}, {{qint64(42)}});
  EXPECT_EQ(readAll(path())[0][0], QVariant(qint64(42)));
  EXPECT_FALSE(QFileInfo::exists(path("table.mb")));  // the stale blob file is gone
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"table.db"});
}

TEST_F(ParadoxRoundTrip, UpperCaseTableGetsUpperCaseBlobFile) {
  writeTable(path("KORVI___.DB"), {{"M", FT::ftMemo, 1, 0}}, {{QString(100, 'm')}});
  EXPECT_TRUE(QFileInfo::exists(path("KORVI___.MB")));
  EXPECT_EQ(readAll(path("KORVI___.DB"))[0][0], QVariant(QString(100, 'm')));
  // Another table of the same name in another case keeps its blob file.
  writeTable(path("korvi___.db"), {{"N", FT::ftInteger, 0, 0}}, {{qint64(1)}});
  EXPECT_EQ(readAll(path("KORVI___.DB"))[0][0], QVariant(QString(100, 'm')));
  // Without it, a blob file left in another case does not linger beside the new table.
  QFile::remove(path("KORVI___.DB"));
  writeTable(path("korvi___.db"), {{"M", FT::ftMemo, 1, 0}}, {{QString(50, 'n')}});
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"korvi___.db", "korvi___.mb"}));
  EXPECT_EQ(readAll(path("korvi___.db"))[0][0], QVariant(QString(50, 'n')));
}

TEST_F(ParadoxRoundTrip, OpeningThroughTheExtensionDispatch) {
  auto writer = createTableFile(path("t.DB"), {{"A", FT::ftString, 3, 0}});
  writer->appendRecord({QStringLiteral("x")});
  writer->close();
  auto reader = openTableFile(path("t.DB"));
  Row row;
  ASSERT_TRUE(reader->readRecord(0, row));
  EXPECT_EQ(row[0], QVariant(QStringLiteral("x")));
  EXPECT_TRUE(engineErrorOf([&] { reader->readRecord(1, row); }).contains("record 2"));
}

}  // namespace
}  // namespace korvi::engine::testing
