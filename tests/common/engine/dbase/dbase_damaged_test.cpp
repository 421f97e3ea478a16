// Damaged and truncated dBase files give an EngineError naming the file, never a crash, a
// hang or a wrong table.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "dbasetesting.h"

using namespace korvi::engine;
using dbasetest::RawField;

namespace {

class DbaseDamaged : public ::testing::Test {
 protected:
  QString path(const QString& name) const { return dir.filePath(name); }

  // Opens and reads the whole table; returns the error text, or an empty string.
  static QString failure(const QString& file) {
    try {
      dbasetest::readAll(file);
    } catch (const EngineError& e) {
      return e.text();
    }
    return QString();
  }

  void expectFailure(const QString& file, const QString& names, const char* mentions) {
    const QString text = failure(file);
    ASSERT_FALSE(text.isEmpty()) << "accepted: " << mentions;
    EXPECT_TRUE(text.contains(names)) << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String(mentions))) << text.toStdString();
  }

  // A well-formed table of every kind of field, with memos, used as the base of damage.
  QString goodTable() {
    const QString file = path("good.dbf");
    auto w = createDbfTable(file, {{"S", FieldType::ftString, 8, 0}, {"N", FieldType::ftInteger, 0, 0},
                                   {"F", FieldType::ftFloat, 0, 2}, {"L", FieldType::ftBoolean, 0, 0},
                                   {"D", FieldType::ftDate, 0, 0}, {"M", FieldType::ftMemo, 0, 0}});
    for (int i = 0; i < 5; ++i)
      w->appendRecord({QStringLiteral("r%1").arg(i), qint64(i), i / 4.0, i % 2 == 0,
                       QDate(2020, 1, 1 + i), QString(i * 300, QLatin1Char('m'))});
    w->close();
    return file;
  }

  QTemporaryDir dir;
};

TEST_F(DbaseDamaged, HeaderDamage) {
  const QList<RawField> fields{{"A", 'C', 3}, {"B", 'N', 4}};
  const QByteArray good = dbasetest::rawDbf(0x03, fields, {" abc   1", " def   2"});
  const QString file = path("h.dbf");
  dbasetest::writeFile(file, good);
  ASSERT_TRUE(failure(file).isEmpty()) << failure(file).toStdString();

  auto damaged = [&](int offset, QByteArray bytes) {
    QByteArray b = good;
    b.replace(offset, bytes.size(), bytes);
    dbasetest::writeFile(file, b);
  };
  damaged(4, QByteArray("\x03\x00\x00\x00", 4));  // three records announced, two present
  expectFailure(file, file, "announces 3 records");
  damaged(4, QByteArray("\xFF\xFF\xFF\xFF", 4));
  expectFailure(file, file, "truncated");
  damaged(8, QByteArray("\xFF\x7F", 2));  // header longer than the file
  expectFailure(file, file, "header length");
  damaged(8, QByteArray("\x10\x00", 2));
  expectFailure(file, file, "header length");
  damaged(10, QByteArray("\x05\x00", 2));  // fields longer than the record
  expectFailure(file, file, "longer than the record");
  damaged(10, QByteArray("\x00\x00", 2));
  expectFailure(file, file, "record length");
  damaged(0, QByteArray("\x02", 1));
  expectFailure(file, file, "version");
  damaged(32 + 16, QByteArray("\x00", 1));
  expectFailure(file, file, "length 0");
  damaged(32 + 11, QByteArray("Q", 1));
  expectFailure(file, file, "not supported");
  damaged(32 + 11, QByteArray("D", 1));  // a date field must be 8 long
  expectFailure(file, file, "length 3");

  // Descriptors running past the header: the terminator is gone and the header length cuts
  // the second descriptor in half.
  QByteArray cut = good;
  cut[32 + 64] = 'X';
  qToLittleEndian<quint16>(quint16(32 + 48), cut.data() + 8);
  dbasetest::writeFile(file, cut);
  expectFailure(file, file, "run past the header");

  // No terminator but the header ends right after the last descriptor: accepted.
  QByteArray noTerminator = good;
  noTerminator.remove(32 + 64, 1);
  qToLittleEndian<quint16>(quint16(32 + 64), noTerminator.data() + 8);
  dbasetest::writeFile(file, noTerminator);
  EXPECT_TRUE(failure(file).isEmpty()) << failure(file).toStdString();

  dbasetest::writeFile(file, good.left(20));
  expectFailure(file, file, "too short");
  dbasetest::writeFile(file, QByteArray());
  expectFailure(file, file, "too short");
  expectFailure(path("missing.dbf"), path("missing.dbf"), "cannot open");
}

TEST_F(DbaseDamaged, BadFieldValues) {
  const QString file = path("v.dbf");
  dbasetest::writeFile(file, dbasetest::rawDbf(0x03, {{"NUM", 'N', 4}}, {" 12x4"}));
  expectFailure(file, file, "field NUM");
  dbasetest::writeFile(file, dbasetest::rawDbf(0x03, {{"DAY", 'D', 8}}, {" 2023AB01"}));
  expectFailure(file, file, "not a date");
  dbasetest::writeFile(file, dbasetest::rawDbf(0x83, {{"MEM", 'M', 10}}, {"        1x1"}));
  expectFailure(file, file, "memo block number");
}

TEST_F(DbaseDamaged, MemoDamage) {
  const QString file = path("m.dbf");
  const QString memo = path("m.dbt");
  auto table = [&](const QByteArray& block) {
    dbasetest::writeFile(file, dbasetest::rawDbf(0x8B, {{"M", 'M', 10}}, {" " + block.rightJustified(10, ' ')}));
  };
  QByteArray header(512, '\0');
  header[0] = 3;
  qToLittleEndian<quint16>(512, header.data() + 20);
  QByteArray block("\xFF\xFF\x08\x00\x0B\x00\x00\x00" "abc", 11);
  block.resize(512, '\0');

  table("1");
  dbasetest::writeFile(memo, header + block);
  ASSERT_TRUE(failure(file).isEmpty()) << failure(file).toStdString();
  EXPECT_EQ((*dbasetest::readAll(file)[0])[0].toString(), QStringLiteral("abc"));

  table("2");
  expectFailure(file, memo, "past the end");
  table("9999999999");
  expectFailure(file, memo, "past the end");

  table("1");
  QByteArray zero = header;
  qToLittleEndian<quint16>(0, zero.data() + 20);
  dbasetest::writeFile(memo, zero + block);
  expectFailure(file, memo, "block size 0");

  QByteArray huge = block;
  qToLittleEndian<quint32>(0xFFFFFFF0u, huge.data() + 4);
  dbasetest::writeFile(memo, header + huge);
  expectFailure(file, memo, "runs past the end");
  QByteArray tiny = block;
  qToLittleEndian<quint32>(3, tiny.data() + 4);
  dbasetest::writeFile(memo, header + tiny);
  expectFailure(file, memo, "damaged length");

  dbasetest::writeFile(memo, header.left(10));
  expectFailure(file, memo, "header is truncated");

  // A dBase III memo whose end marker never comes.
  dbasetest::writeFile(file, dbasetest::rawDbf(0x83, {{"M", 'M', 10}}, {"          1"}));
  dbasetest::writeFile(memo, header + QByteArray(2000, 'z'));
  expectFailure(file, memo, "no end marker");

  QFile::remove(memo);
  expectFailure(file, memo, "missing");
}

TEST_F(DbaseDamaged, EveryTruncationOfTableAndMemoFile) {
  const QString file = goodTable();
  const QString memo = path("good.dbt");
  const QByteArray dbf = dbasetest::readFile(file);
  const QByteArray dbt = dbasetest::readFile(memo);
  ASSERT_TRUE(failure(file).isEmpty());
  int accepted = 0;
  for (int n = 0; n < dbf.size(); ++n) {
    dbasetest::writeFile(file, dbf.left(n));
    const QString text = failure(file);
    if (text.isEmpty()) {
      ++accepted;  // only the end-of-file byte may go missing
    } else {
      EXPECT_TRUE(text.contains(file)) << n << ": " << text.toStdString();
    }
  }
  EXPECT_EQ(accepted, 1);
  dbasetest::writeFile(file, dbf);
  for (int n = 0; n < dbt.size(); n += 7) {
    dbasetest::writeFile(memo, dbt.left(n));
    const QString text = failure(file);
    if (!text.isEmpty()) {
      EXPECT_TRUE(text.contains(memo)) << n << ": " << text.toStdString();
    }
  }
}

TEST_F(DbaseDamaged, RandomByteDamageNeverCrashes) {
  const QString file = goodTable();
  const QString memo = path("good.dbt");
  const QByteArray dbf = dbasetest::readFile(file);
  const QByteArray dbt = dbasetest::readFile(memo);
  QRandomGenerator random(20240601);
  for (int round = 0; round < 400; ++round) {
    QByteArray a = dbf, b = dbt;
    QByteArray& target = round % 2 ? a : b;
    for (int k = 0; k < 1 + round % 4; ++k)
      target[random.bounded(int(target.size()))] = char(random.bounded(256));
    dbasetest::writeFile(file, a);
    dbasetest::writeFile(memo, b);
    const QString text = failure(file);
    if (!text.isEmpty()) {
      EXPECT_TRUE(text.contains(file) || text.contains(memo)) << text.toStdString();
    }
  }
}

}  // namespace
