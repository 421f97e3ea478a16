// Interoperability with an independent Paradox library: it reads the tables written here,
// and the tables it writes are read here. Blob files are left out: the library's own blob
// reading aborts on 64-bit builds, even on blob files it wrote itself.
#ifdef KORVI_HAVE_PXLIB

extern "C" {
#include <paradox.h>
}

#include <cstdlib>
#include <cstring>

#include "common/text/codepage.h"
#include "paradoxtestutil.h"

namespace korvi::engine::testing {
namespace {

using FT = FieldType;

class PxDoc {
 public:
  PxDoc() {
    PX_boot();
    doc_ = PX_new();
  }
  ~PxDoc() {
    if (open_) PX_close(doc_);
    PX_delete(doc_);
  }
  pxdoc_t* get() { return doc_; }
  bool open(const QString& path) { return open_ = PX_open_file(doc_, QFile::encodeName(path).constData()) == 0; }
  void markOpen() { open_ = true; }
  void close() {
    PX_close(doc_);
    open_ = false;
  }

 private:
  pxdoc_t* doc_;
  bool open_ = false;
};

qint64 dayOf(const QDate& d) { return d.toJulianDay() - QDate(1, 1, 1).toJulianDay() + 1; }

class ParadoxInterop : public ::testing::Test {
 protected:
  QString path(const QString& name = QStringLiteral("t.db")) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

TEST_F(ParadoxInterop, TablesWrittenHereReadByTheOtherLibrary) {
  const QList<FieldDesc> fields = {
      {"Nom", FT::ftString, 20, 0},  {"Petit", FT::ftSmallint, 0, 0}, {"Entier", FT::ftInteger, 0, 0},
      {"Reel", FT::ftFloat, 0, 0},   {"Prix", FT::ftCurrency, 0, 0},  {"Jour", FT::ftDate, 0, 0},
      {"Heure", FT::ftTime, 0, 0},   {"Quand", FT::ftDateTime, 0, 0}, {"Vrai", FT::ftBoolean, 0, 0},
      {"Auto", FT::ftAutoInc, 0, 0}, {"Bcd", FT::ftBCD, 0, 2},        {"Octets", FT::ftBytes, 3, 0},
  };
  QList<Row> rows;
  for (int i = 0; i < 700; ++i)
    rows.append({QStringLiteral("Élève n°%1").arg(i), qint64(i - 300), qint64(i) * 100000 - 7, i / 4.0, -i * 1.25,
                 QDate(2024, 2, 29).addDays(i), QTime(12, 30, 15).addSecs(i), QDateTime(QDate(1970, 1, 1), QTime(8, 0)).addDays(i),
                 i % 2 == 0, qint64(i + 1), i * 1.5 - 100, QByteArray("a\x01z")});
  rows.append(Row(fields.size()));
  rows.last()[9] = qint64(5000);
  writeTable(path(), fields, rows);

  PxDoc doc;
  ASSERT_TRUE(doc.open(path()));
  pxhead_t* head = doc.get()->px_head;
  EXPECT_EQ(head->px_fileversion, 70);
  EXPECT_EQ(head->px_doscodepage, 1252);
  ASSERT_EQ(PX_get_num_records(doc.get()), rows.size());
  ASSERT_EQ(PX_get_num_fields(doc.get()), fields.size());
  pxfield_t* pf = PX_get_fields(doc.get());
  for (int i = 0; i < fields.size(); ++i) EXPECT_EQ(QString::fromLatin1(pf[i].px_fname), fields[i].name);

  QByteArray record(PX_get_recordsize(doc.get()), '\0');
  for (int r = 0; r < rows.size(); ++r) {
    ASSERT_NE(PX_get_record(doc.get(), r, record.data()), nullptr) << r;
    char* p = record.data();
    const Row& row = rows[r];
    if (r == rows.size() - 1) {
      // The empty record: zeros everywhere but the auto-increment field given a value.
      const int autoAt = 20 + 2 + 4 + 8 + 8 + 4 + 4 + 8 + 1;
      EXPECT_EQ(record.left(autoAt), QByteArray(autoAt, '\0'));
      EXPECT_EQ(record.mid(autoAt + 4), QByteArray(record.size() - autoAt - 4, '\0'));
      long l = 0;
      PX_get_data_long(doc.get(), p + autoAt, 4, &l);
      EXPECT_EQ(l, 5000);
      continue;
    }
    char* text = nullptr;
    ASSERT_EQ(PX_get_data_alpha(doc.get(), p, 20, &text), 1);
    EXPECT_EQ(QByteArray(text), toWindows1252(row[0].toString()));
    if (text) doc.get()->free(doc.get(), text);
    p += 20;
    short s = 0;
    ASSERT_EQ(PX_get_data_short(doc.get(), p, 2, &s), 1);
    EXPECT_EQ(s, row[1].toLongLong());
    p += 2;
    long l = 0;
    ASSERT_EQ(PX_get_data_long(doc.get(), p, 4, &l), 1);
    EXPECT_EQ(l, row[2].toLongLong());
    p += 4;
    double d = 0;
    ASSERT_EQ(PX_get_data_double(doc.get(), p, 8, &d), 1);
    EXPECT_EQ(d, row[3].toDouble());
    p += 8;
    ASSERT_EQ(PX_get_data_double(doc.get(), p, 8, &d), 1);
    EXPECT_EQ(d, row[4].toDouble());
    p += 8;
    ASSERT_EQ(PX_get_data_long(doc.get(), p, 4, &l), 1);
    EXPECT_EQ(l, dayOf(row[5].toDate()));
    p += 4;
    ASSERT_EQ(PX_get_data_long(doc.get(), p, 4, &l), 1);
    EXPECT_EQ(l, row[6].toTime().msecsSinceStartOfDay());
    p += 4;
    ASSERT_EQ(PX_get_data_double(doc.get(), p, 8, &d), 1);
    const QDateTime t = row[7].toDateTime();
      EXPECT_EQ(d, double(dayOf(t.date()) * 86400000LL + t.time().msecsSinceStartOfDay()));
    p += 8;
    char b = 0;
    ASSERT_EQ(PX_get_data_byte(doc.get(), p, 1, &b), 1);
    EXPECT_EQ(b, row[8].toBool() ? 1 : 0);
    p += 1;
    ASSERT_EQ(PX_get_data_long(doc.get(), p, 4, &l), 1);
    EXPECT_EQ(l, row[9].toLongLong());
    p += 4;
    char* bcd = nullptr;
    ASSERT_EQ(PX_get_data_bcd(doc.get(), reinterpret_cast<unsigned char*>(p), 2, &bcd), 1);
    EXPECT_EQ(QString::fromLatin1(bcd).toDouble(), row[10].toDouble()) << bcd;
    if (bcd) doc.get()->free(doc.get(), bcd);
    p += 17;
    EXPECT_EQ(QByteArray(p, 3), row[11].toByteArray());
  }
  EXPECT_EQ(head->px_autoinc, 5000);
}

TEST_F(ParadoxInterop, TablesOfTheOtherLibraryReadHere) {
  const QByteArray file = QFile::encodeName(path());
  PxDoc doc;
  auto* pf = static_cast<pxfield_t*>(std::calloc(9, sizeof(pxfield_t)));
  const struct {
    const char* name;
    char type;
    int len;
  } columns[] = {{"Nom", pxfAlpha, 15}, {"Petit", pxfShort, 2},  {"Entier", pxfLong, 4},
              {"Reel", pxfNumber, 8}, {"Jour", pxfDate, 4},   {"Heure", pxfTime, 4},
              {"Quand", pxfTimestamp, 8}, {"Vrai", pxfLogical, 1}, {"Prix", pxfCurrency, 8}};
  for (int i = 0; i < 9; ++i) {
    pf[i].px_fname = strdup(columns[i].name);
    pf[i].px_ftype = columns[i].type;
    pf[i].px_flen = columns[i].len;
  }
  ASSERT_EQ(PX_create_file(doc.get(), pf, 9, file.constData(), pxfFileTypNonIndexDB), 0);
  doc.markOpen();
  const int recordSize = 15 + 2 + 4 + 8 + 4 + 4 + 8 + 1 + 8;
  const int count = 500;
  for (int i = 0; i < count; ++i) {
    QByteArray rec(recordSize, '\0');
    char* p = rec.data();
    QByteArray name = toWindows1252(QStringLiteral("Gâteau %1").arg(i));
    PX_put_data_alpha(doc.get(), p, 15, name.data());
    PX_put_data_short(doc.get(), p + 15, 2, short(i - 250));
    PX_put_data_long(doc.get(), p + 17, 4, i * -3000);
    PX_put_data_double(doc.get(), p + 21, 8, i * 0.125);
    PX_put_data_long(doc.get(), p + 29, 4, int(dayOf(QDate(1900, 3, 1).addDays(i))));
    PX_put_data_long(doc.get(), p + 33, 4, i * 1000);
    PX_put_data_double(doc.get(), p + 37, 8, double(dayOf(QDate(2000, 1, 1)) * 86400000LL + i * 60000LL));
    PX_put_data_byte(doc.get(), p + 45, 1, char(i % 2));
    if (i % 7 != 0) PX_put_data_double(doc.get(), p + 46, 8, -i * 2.5);
    ASSERT_GE(PX_put_record(doc.get(), rec.data()), 0);
  }
  doc.close();

  QList<FieldDesc> fields;
  const QList<Row> rows = readAll(path(), &fields);
  ASSERT_EQ(fields.size(), 9);
  EXPECT_EQ(fields[0], (FieldDesc{"Nom", FT::ftString, 15, 0}));
  EXPECT_EQ(fields[6].type, FT::ftDateTime);
  EXPECT_EQ(fields[8].type, FT::ftCurrency);
  ASSERT_EQ(rows.size(), count);
  for (int i = 0; i < count; ++i) {
    const Row& r = rows[i];
    EXPECT_EQ(r[0], QVariant(QStringLiteral("Gâteau %1").arg(i)));
    EXPECT_EQ(r[1], QVariant(qint64(i - 250)));
    EXPECT_EQ(r[2], QVariant(qint64(i * -3000)));
    EXPECT_EQ(r[3], QVariant(i * 0.125));
    EXPECT_EQ(r[4], QVariant(QDate(1900, 3, 1).addDays(i)));
    EXPECT_EQ(r[5], QVariant(QTime::fromMSecsSinceStartOfDay(i * 1000)));
    EXPECT_EQ(r[6], QVariant(QDateTime(QDate(2000, 1, 1), QTime(0, 0)).addSecs(i * 60)));
    EXPECT_EQ(r[7], QVariant(i % 2 == 1));
    EXPECT_EQ(r[8], i % 7 ? QVariant(-i * 2.5) : QVariant());
  }
}

}  // namespace
}  // namespace korvi::engine::testing

#endif  // KORVI_HAVE_PXLIB
