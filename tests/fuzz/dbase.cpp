// Fuzz target of the dBase reader. Input: one flag byte (bit 0: FoxPro memo file instead of
// dBase), the .dbf length as two little-endian bytes, the .dbf bytes, then the memo file.
// With KORVI_FUZZ_SEEDS=<dir> set, the program writes seed inputs made by the writer there
// and exits.
#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "common/engine/dbase.h"
#include "common/engine/tablefiles.h"

using namespace korvi::engine;

namespace {

QByteArray pack(const QByteArray& dbf, const QByteArray& memo, bool fox) {
  QByteArray in;
  in.append(char(fox ? 1 : 0));
  in.append(char(dbf.size() & 0xFF));
  in.append(char((dbf.size() >> 8) & 0xFF));
  return in + dbf + memo;
}

QByteArray slurp(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeSeeds(const QString& out) {
  QDir().mkpath(out);
  QTemporaryDir tmp;
  const QString a = tmp.filePath("a.dbf");
  {
    auto w = createDbfTable(a, {{"S", FieldType::ftString, 10, 0}, {"N", FieldType::ftInteger, 0, 0},
                                {"F", FieldType::ftFloat, 0, 2}, {"L", FieldType::ftBoolean, 0, 0},
                                {"D", FieldType::ftDate, 0, 0}, {"M", FieldType::ftMemo, 0, 0}});
    w->appendRecord({QStringLiteral("caf\u00e9"), qint64(-5), 2.5, true, QDate(2001, 2, 3), QStringLiteral("memo")});
    w->appendRecord({QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QString(600, 'x')});
    w->close();
  }
  QFile s1(out + "/seed-dbase4");
  if (s1.open(QIODevice::WriteOnly)) s1.write(pack(slurp(a), slurp(tmp.filePath("a.dbt")), false));
  const QString b = tmp.filePath("b.dbf");
  {
    auto w = createDbfTable(b, {{"C", FieldType::ftString, 3, 0}});
    w->appendRecord({QStringLiteral("abc")});
    w->close();
  }
  QByteArray iii = slurp(b);
  iii[0] = char(0x83);
  QByteArray memo(512, '\0');
  memo += "text\x1A\x1A";
  QFile s2(out + "/seed-dbase3");
  if (s2.open(QIODevice::WriteOnly)) s2.write(pack(iii, memo, false));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const QByteArray seeds = qgetenv("KORVI_FUZZ_SEEDS");
  if (!seeds.isEmpty()) {
    writeSeeds(QString::fromLocal8Bit(seeds));
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const bool fox = data[0] & 1;
  const size_t dbfLength = std::min<size_t>(size - 3, size_t(data[1]) | (size_t(data[2]) << 8));
  const QByteArray dbf(reinterpret_cast<const char*>(data + 3), qsizetype(dbfLength));
  const QByteArray memo(reinterpret_cast<const char*>(data + 3 + dbfLength), qsizetype(size - 3 - dbfLength));
  auto dbfDevice = std::make_unique<QBuffer>();
  dbfDevice->setData(dbf);
  dbfDevice->open(QIODevice::ReadOnly);
  auto memoDevice = std::make_unique<QBuffer>();
  memoDevice->setData(memo);
  memoDevice->open(QIODevice::ReadOnly);
  try {
    auto table = dbase::openDbfDevices(QStringLiteral("fuzz.dbf"), std::move(dbfDevice),
                                       fox ? QStringLiteral("fuzz.fpt") : QStringLiteral("fuzz.dbt"),
                                       std::move(memoDevice));
    Row row;
    const qint64 count = std::min<qint64>(table->recordCount(), 10000);
    for (qint64 i = 0; i < count; ++i) table->readRecord(i, row);
  } catch (const EngineError&) {
  }
  return 0;
}
