// Interoperation with an independent dBase implementation: tables written here are read
// correctly by shapelib, and tables shapelib writes are read correctly here.
#ifdef KORVI_HAVE_SHAPELIB
#include <gtest/gtest.h>
#include <shapefil.h>

#include <QDate>

#include "common/text/codepage.h"
#include "dbasetesting.h"

using namespace korvi::engine;

namespace {

class DbaseShapelib : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

TEST_F(DbaseShapelib, ShapelibReadsOurTables) {
  const QString file = path("ours.dbf");
  const QString accented = QString::fromUtf8("Zoë à l'été €");
  {
    auto w = createDbfTable(file, {{"Name", FieldType::ftString, 30, 0}, {"QTY", FieldType::ftInteger, 0, 0},
                                   {"PRICE", FieldType::ftCurrency, 0, 0}, {"RATE", FieldType::ftFloat, 0, 3},
                                   {"PAID", FieldType::ftBoolean, 0, 0}, {"DAY", FieldType::ftDate, 0, 0},
                                   {"NOTE", FieldType::ftMemo, 0, 0}});
    w->appendRecord({accented, qint64(-42), 19.99, 0.125, true, QDate(2023, 7, 14), QStringLiteral("memo")});
    w->appendRecord({QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()});
    w->appendRecord({QStringLiteral("x"), qint64(2147483647), -1234567.1234, -3.0, false, QDate(1900, 2, 28),
                     QVariant()});
    w->close();
  }
  DBFHandle h = DBFOpen(QFile::encodeName(file).constData(), "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(DBFGetRecordCount(h), 3);
  ASSERT_EQ(DBFGetFieldCount(h), 7);
  EXPECT_STREQ(DBFGetCodePage(h), "LDID/87");
  char name[12];
  int width = 0, decimals = 0;
  EXPECT_EQ(DBFGetFieldInfo(h, 0, name, &width, &decimals), FTString);
  EXPECT_STREQ(name, "Name");
  EXPECT_EQ(width, 30);
  // Integers are 11 wide (every 32-bit value fits), which shapelib calls a double.
  EXPECT_EQ(DBFGetFieldInfo(h, 1, name, &width, &decimals), FTDouble);
  EXPECT_EQ(width, 11);
  EXPECT_EQ(decimals, 0);
  EXPECT_EQ(DBFGetFieldInfo(h, 2, name, &width, &decimals), FTDouble);
  EXPECT_EQ(decimals, 4);
  EXPECT_EQ(DBFGetNativeFieldType(h, 4), 'L');
  EXPECT_EQ(DBFGetNativeFieldType(h, 5), 'D');
  EXPECT_EQ(DBFGetNativeFieldType(h, 6), 'M');

  EXPECT_EQ(QByteArray(DBFReadStringAttribute(h, 0, 0)), korvi::toWindows1252(accented));
  EXPECT_EQ(DBFReadIntegerAttribute(h, 0, 1), -42);
  EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(h, 0, 2), 19.99);
  EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(h, 0, 3), 0.125);
  EXPECT_EQ(DBFReadLogicalAttribute(h, 0, 4)[0], 'T');
  EXPECT_STREQ(DBFReadStringAttribute(h, 0, 5), "20230714");
  for (int f = 0; f < 5; ++f) EXPECT_TRUE(DBFIsAttributeNULL(h, 1, f)) << "field " << f;
  // A missing date is blank, as dBase writes it; shapelib reads it as an empty value.
  EXPECT_STREQ(DBFReadStringAttribute(h, 1, 5), "");
  EXPECT_EQ(DBFReadIntegerAttribute(h, 2, 1), 2147483647);
  EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(h, 2, 2), -1234567.1234);
  EXPECT_EQ(DBFReadLogicalAttribute(h, 2, 4)[0], 'F');
  EXPECT_FALSE(DBFIsRecordDeleted(h, 0));
  DBFClose(h);
}

TEST_F(DbaseShapelib, WeReadShapelibTables) {
  const QString file = path("theirs.dbf");
  DBFHandle h = DBFCreateEx(QFile::encodeName(file).constData(), "LDID/87");
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(DBFAddField(h, "TEXT", FTString, 40, 0), 0);
  ASSERT_EQ(DBFAddField(h, "COUNT", FTInteger, 9, 0), 1);
  ASSERT_EQ(DBFAddField(h, "VALUE", FTDouble, 16, 5), 2);
  ASSERT_EQ(DBFAddField(h, "FLAG", FTLogical, 1, 0), 3);
  ASSERT_EQ(DBFAddNativeFieldType(h, "WHEN", 'D', 8, 0), 4);
  const QByteArray text = korvi::toWindows1252(QString::fromUtf8("Crème brûlée — 5 €"));
  for (int r = 0; r < 4; ++r) {
    if (r == 1) {
      for (int f = 0; f < 5; ++f) DBFWriteNULLAttribute(h, r, f);
      continue;
    }
    DBFWriteStringAttribute(h, r, 0, r == 0 ? text.constData() : "plain");
    DBFWriteIntegerAttribute(h, r, 1, -123456 * r);
    DBFWriteDoubleAttribute(h, r, 2, 3.14159 * r);
    DBFWriteLogicalAttribute(h, r, 3, r % 2 ? 'F' : 'T');
    DBFWriteAttributeDirectly(h, r, 4, const_cast<char*>("19991231"));
  }
  DBFMarkRecordDeleted(h, 2, 1);
  DBFClose(h);

  auto t = openDbfTable(file);
  const QList<FieldDesc> expected{{"TEXT", FieldType::ftString, 40, 0}, {"COUNT", FieldType::ftInteger, 0, 0},
                                  {"VALUE", FieldType::ftFloat, 0, 5}, {"FLAG", FieldType::ftBoolean, 0, 0},
                                  {"WHEN", FieldType::ftDate, 0, 0}};
  EXPECT_EQ(t->fields(), expected);
  const auto rows = dbasetest::readAll(*t);
  ASSERT_EQ(rows.size(), 4);
  ASSERT_TRUE(rows[0]);
  EXPECT_EQ(*rows[0], (Row{QString::fromUtf8("Crème brûlée — 5 €"), qint64(0), 0.0, true, QDate(1999, 12, 31)}));
  ASSERT_TRUE(rows[1]);
  for (const QVariant& v : *rows[1]) EXPECT_TRUE(v.isNull()) << v.toString().toStdString();
  EXPECT_FALSE(rows[2]);
  ASSERT_TRUE(rows[3]);
  EXPECT_EQ(*rows[3], (Row{QStringLiteral("plain"), qint64(-370368), 9.42477, false, QDate(1999, 12, 31)}));
}

TEST_F(DbaseShapelib, RoundTripThroughBothImplementations) {
  // Ours -> shapelib copies every attribute into a new table -> ours again.
  const QString first = path("a.dbf");
  const QString second = path("b.dbf");
  {
    auto w = createDbfTable(first, {{"S", FieldType::ftString, 12, 0}, {"N", FieldType::ftFloat, 0, 2}});
    w->appendRecord({QString::fromUtf8("Ærø"), 1.5});
    w->appendRecord({QVariant(), QVariant()});
    w->close();
  }
  DBFHandle in = DBFOpen(QFile::encodeName(first).constData(), "rb");
  DBFHandle out = DBFCloneEmpty(in, QFile::encodeName(second).constData());
  ASSERT_TRUE(in && out);
  for (int r = 0; r < DBFGetRecordCount(in); ++r)
    DBFWriteTuple(out, r, const_cast<void*>(static_cast<const void*>(DBFReadTuple(in, r))));
  DBFClose(out);
  DBFClose(in);
  EXPECT_EQ(dbasetest::readAll(second), dbasetest::readAll(first));
}

}  // namespace
#endif
