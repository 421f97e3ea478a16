// Reading tables of older levels and other code pages, and damaged files.
#include <QDir>

#include "common/engine/codepages.h"
#include "paradoxtestutil.h"

namespace korvi::engine::testing {
namespace {

using FT = FieldType;

struct RawField {
  quint8 code;
  quint8 size;
  QByteArray name;
};

// A table of level 3 (version byte 3) or 4 (version byte 9) built byte by byte: no data
// header before level 4, a 79-byte table name, 1 KB blocks, one block per group of records.
QByteArray buildOldTable(int version, const QList<RawField>& fields, const QList<QByteArray>& records,
                         int codePage = 0) {
  const bool dataHeader = version >= 5;
  const int infoAt = dataHeader ? 0x78 : 0x58;
  int recordSize = 0;
  for (const RawField& f : fields) recordSize += f.code == 0x17 ? 17 : f.size;
  QByteArray header(2048, '\0');
  int at = infoAt;
  for (const RawField& f : fields) {
    header[at++] = char(f.code);
    header[at++] = char(f.size);
  }
  at += 4 + 4 * int(fields.size()) + 79;
  for (const RawField& f : fields) {
    header.replace(at, f.name.size(), f.name);
    at += int(f.name.size()) + 1;
  }
  const int blocks = records.isEmpty() ? 0 : 1;
  putLe16At(header, 0, recordSize);
  putLe16At(header, 2, 2048);
  header[4] = 2;
  header[5] = 1;
  header[6] = char(records.size());
  putLe16At(header, 0x0A, blocks);
  putLe16At(header, 0x0C, blocks);
  putLe16At(header, 0x0E, blocks);
  putLe16At(header, 0x10, blocks);
  putLe16At(header, 0x21, int(fields.size()));
  header[0x39] = char(version);
  if (dataHeader) putLe16At(header, 0x6A, codePage);
  if (blocks) {
    QByteArray block(1024, '\0');
    putLe16At(block, 4, (int(records.size()) - 1) * recordSize);
    int r = 6;
    for (const QByteArray& rec : records) {
      block.replace(r, rec.size(), rec);
      r += recordSize;
    }
    header += block;
  }
  return header;
}

class ParadoxReader : public ::testing::Test {
 protected:
  QString path(const QString& name = QStringLiteral("t.db")) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

TEST_F(ParadoxReader, Level3TableWithDosText) {
  // "Caf\x82" is "Café" in the DOS code pages; level 3 tables carry no code page and are read
  // as Windows-1252, where 0x82 is a low quotation mark.
  const QByteArray record = QByteArray("Caf\x82\0\0", 6) + QByteArray("\x80\x05", 2) +
                            QByteArray("\xC0\x59\x00\x00\x00\x00\x00\x00", 8);
  saveBytes(path(), buildOldTable(3, {{0x01, 6, "Nom"}, {0x03, 2, "Qte"}, {0x06, 8, "Prix"}}, {record}));
  QList<FieldDesc> fields;
  const QList<Row> rows = readAll(path(), &fields);
  ASSERT_EQ(fields.size(), 3);
  EXPECT_EQ(fields[0], (FieldDesc{"Nom", FT::ftString, 6, 0}));
  EXPECT_EQ(fields[1].type, FT::ftSmallint);
  EXPECT_EQ(fields[2].type, FT::ftFloat);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(rows[0][0], QVariant(QStringLiteral("Caf‚")));
  EXPECT_EQ(rows[0][1], QVariant(qint64(5)));
  EXPECT_EQ(rows[0][2], QVariant(100.0));
}

TEST_F(ParadoxReader, Level4CodePagesFromTheHeader) {
  const QByteArray record("Caf\x82\x99\0", 6);
  for (const auto& [page, text] : {std::pair{437, QStringLiteral("CaféÖ")}, std::pair{850, QStringLiteral("CaféÖ")},
                                   std::pair{1252, QStringLiteral("Caf‚™")}, std::pair{0, QStringLiteral("Caf‚™")}}) {
    saveBytes(path(), buildOldTable(9, {{0x01, 6, "Nom"}}, {record}, page));
    EXPECT_EQ(readAll(path())[0][0], QVariant(text)) << page;
  }
}

TEST(ParadoxCodePages, EveryAssignedByteSurvivesDecodeAndEncode) {
  for (int page : {437, 850, 852, 860, 861, 863, 865, 866, 1250, 1251, 1252, 1253, 1254, 1257}) {
    ASSERT_TRUE(tableCodePageSupported(page));
    for (int b = 0x20; b < 0x100; ++b) {
      const QByteArray byte(1, char(b));
      const QString text = decodeTableText(page, byte);
      if (text == QString(QChar(0xFFFD))) continue;
      bool lossless = false;
      EXPECT_EQ(encodeTableText(page, text, &lossless), byte) << page << " " << b;
      EXPECT_TRUE(lossless);
    }
  }
  bool lossless = true;
  EXPECT_EQ(encodeTableText(437, QStringLiteral("a€"), &lossless), QByteArray("a?"));
  EXPECT_FALSE(lossless);
  EXPECT_FALSE(tableCodePageSupported(932));
}

TEST_F(ParadoxReader, WrittenHeaderFollowsTheFormat) {
  writeTable(path(), {{"A", FT::ftString, 10, 0}, {"M", FT::ftMemo, 5, 0}}, {{QStringLiteral("x"), QStringLiteral("y")}});
  const QByteArray b = fileBytes(path());
  EXPECT_EQ(le16At(b, 0x00), 10 + 15);             // record size
  EXPECT_EQ(le16At(b, 0x02), 2048);                // header size
  EXPECT_EQ(uchar(b[0x04]), 2);                    // table without a key
  EXPECT_EQ(le16At(b, 0x06), 1);                   // records
  EXPECT_EQ(le16At(b, 0x0C), 1);                   // blocks
  EXPECT_EQ(le16At(b, 0x0E), 1);                   // first block
  EXPECT_EQ(le16At(b, 0x10), 1);                   // last block
  EXPECT_EQ(le16At(b, 0x21), 2);                   // fields
  EXPECT_EQ(uchar(b[0x39]), 12);                   // level 7
  EXPECT_EQ(le16At(b, 0x6A), 1252);                // code page
  EXPECT_EQ(uchar(b[0x78]), 0x01);
  EXPECT_EQ(uchar(b[0x7A]), 0x0C);
  EXPECT_EQ(uchar(b[0x7B]), 15);
  EXPECT_EQ(b.size(), 2048 + 2048);
  // The blob file's header block: type 0, one 4 KB chunk, block sizes, suballocation.
  const QByteArray mb = fileBytes(path("t.mb"));
  ASSERT_EQ(mb.size(), 4096);
  EXPECT_EQ(mb.left(21).toHex(), QByteArray("000100010000000000000000100010001040000008"));
}

// Each damage to a valid table gives an engine error naming the file, never a crash.
TEST_F(ParadoxReader, DamagedTablesGiveErrorsNamingTheFile) {
  QList<Row> rows;
  for (int i = 0; i < 100; ++i) rows.append({qint64(i), QStringLiteral("text %1").arg(i)});
  writeTable(path("good.db"), {{"N", FT::ftInteger, 0, 0}, {"S", FT::ftString, 60, 0}}, rows);
  const QByteArray good = fileBytes(path("good.db"));
  ASSERT_GE(le16At(good, 0x0C), 3);

  const std::vector<std::pair<const char*, std::function<void(QByteArray&)>>> damages = {
      {"truncated header", [](QByteArray& b) { b.truncate(40); }},
      {"truncated in the field names", [](QByteArray& b) { b.truncate(0x90); }},
      {"truncated in the blocks", [](QByteArray& b) { b.truncate(b.size() - 3000); }},
      {"record size of 0", [](QByteArray& b) { putLe16At(b, 0, 0); }},
      {"record size not matching", [](QByteArray& b) { putLe16At(b, 0, 63); }},
      {"field count past the header", [](QByteArray& b) { putLe16At(b, 0x21, 2000); }},
      {"field count of 0", [](QByteArray& b) { putLe16At(b, 0x21, 0); }},
      {"header size past the end", [](QByteArray& b) { putLe16At(b, 2, 60000); }},
      {"first block past the end", [](QByteArray& b) { putLe16At(b, 0x0E, 900); }},
      {"next block past the end", [](QByteArray& b) { putLe16At(b, 2048 + 2048, 700); }},
      {"block chain loop", [](QByteArray& b) { putLe16At(b, 2048 + 2048, 1); }},
      {"block chain self loop", [](QByteArray& b) { putLe16At(b, 2048, 1); }},
      {"record count past the block", [](QByteArray& b) { putLe16At(b, 2048 + 4, 64 * 40); }},
      {"unknown field type", [](QByteArray& b) { b[0x78] = char(0x33); }},
      {"bad field size", [](QByteArray& b) { b[0x79] = char(7); }},
      {"unknown version", [](QByteArray& b) { b[0x39] = char(40); }},
      {"index file", [](QByteArray& b) { b[0x04] = char(1); }},
      {"block size 0", [](QByteArray& b) { b[0x05] = char(0); }},
      {"field names run off",
       [](QByteArray& b) {
         const int names = 0x78 + 4 + 4 + 8 + 261;
         b.replace(names, 2048 - names, QByteArray(2048 - names, 'x'));
       }},
      {"encrypted", [](QByteArray& b) { putLe16At(b, 0x5C, 0x1234); }},
  };
  for (const auto& [what, damage] : damages) {
    QByteArray bytes = good;
    damage(bytes);
    saveBytes(path(), bytes);
    const QString text = engineErrorOf([&] { readAll(path()); });
    EXPECT_TRUE(text.startsWith(path())) << what << ": " << text.toStdString();
  }
}

TEST_F(ParadoxReader, DamagedOrMissingBlobFile) {
  QList<Row> rows = {{QString(100, 'a')}, {QString(3000, 'b')}};
  writeTable(path(), {{"M", FT::ftMemo, 10, 0}}, rows);
  const QByteArray db = fileBytes(path());
  const QByteArray mb = fileBytes(path("t.mb"));
  const auto errorOfRecord = [&](int i) {
    return engineErrorOf([&] {
      auto reader = openParadoxTable(path());
      Row row;
      reader->readRecord(i, row);
    });
  };

  QFile::remove(path("t.mb"));
  EXPECT_TRUE(errorOfRecord(0).startsWith(path("t.mb")));
  saveBytes(path("T.MB"), mb);  // found whatever the case of its name
  EXPECT_EQ(errorOfRecord(0), QString());
  QFile::remove(path("T.MB"));

  const std::vector<std::pair<const char*, std::function<void(QByteArray&, QByteArray&)>>> damages = {
      {"blob file truncated", [](QByteArray&, QByteArray& m) { m.truncate(5000); }},
      {"blob file empty", [](QByteArray&, QByteArray& m) { m.clear(); }},
      {"offset past the end", [](QByteArray& d, QByteArray&) { d[2048 + 6 + 10 + 1] = char(0x7F); }},
      {"offset into the header block", [](QByteArray& d, QByteArray&) { d[2048 + 6 + 10 + 1] = 0; }},
      {"length not matching", [](QByteArray& d, QByteArray&) { d[2048 + 6 + 10 + 4] = char(99); }},
      {"bad suballocation index", [](QByteArray& d, QByteArray&) { d[2048 + 6 + 10] = char(70); }},
      {"free block", [](QByteArray&, QByteArray& m) { m[4096] = char(4); }},
      {"pointer past its block", [](QByteArray&, QByteArray& m) { m[4096 + 12] = char(250); }},
  };
  for (const auto& [what, damage] : damages) {
    QByteArray d = db, m = mb;
    damage(d, m);
    saveBytes(path(), d);
    saveBytes(path("t.mb"), m);
    const QString text = errorOfRecord(0);
    EXPECT_TRUE(text.startsWith(path("t.mb"))) << what << ": " << text.toStdString();
  }
}

}  // namespace
}  // namespace korvi::engine::testing
