// Fuzz target of the Paradox table reader. The input is a .db file, optionally followed by a
// blob file: when it starts with "MB" and a 4-byte little-endian length n, the next n bytes
// are the .db file and the rest is the .mb file.
//
// With KORVI_FUZZ_SEEDS=<dir> set, the first run writes seed tables made by the writer into
// <dir> and exits.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "common/engine/tablefiles.h"

using namespace korvi::engine;

namespace {

QTemporaryDir* scratch() {
  static QTemporaryDir dir;
  return &dir;
}

void save(const QString& path, const char* data, qsizetype size) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(data, size);
}

QByteArray join(const QByteArray& db, const QByteArray& mb) {
  if (mb.isEmpty()) return db;
  QByteArray out("MB");
  const auto n = quint32(db.size());
  for (int i = 0; i < 4; ++i) out.append(char(n >> (8 * i)));
  return out + db + mb;
}

void writeSeeds(const QString& outDir) {
  using FT = FieldType;
  const QString db = scratch()->filePath(QStringLiteral("seed.db"));
  const QString mb = scratch()->filePath(QStringLiteral("seed.mb"));
  const QList<QList<FieldDesc>> layouts = {
      {{"A", FT::ftString, 10, 0}, {"N", FT::ftInteger, 0, 0}, {"S", FT::ftSmallint, 0, 0}},
      {{"F", FT::ftFloat, 0, 0}, {"C", FT::ftCurrency, 0, 0}, {"B", FT::ftBCD, 0, 2}, {"L", FT::ftBoolean, 0, 0},
       {"D", FT::ftDate, 0, 0}, {"T", FT::ftTime, 0, 0}, {"TS", FT::ftDateTime, 0, 0}, {"Y", FT::ftBytes, 3, 0},
       {"AI", FT::ftAutoInc, 0, 0}},
      {{"M", FT::ftMemo, 5, 0}, {"BL", FT::ftBlob, 0, 0}, {"G", FT::ftGraphic, 0, 0}},
  };
  int n = 0;
  for (const QList<FieldDesc>& fields : layouts) {
    const bool blobs = fields.first().type == FT::ftMemo;
    for (int rows : {0, 3, blobs ? 12 : 80}) {
      QFile::remove(mb);
      auto writer = createParadoxTable(db, fields);
      for (int r = 0; r < rows; ++r) {
        Row row;
        for (const FieldDesc& f : fields) {
          switch (f.type) {
            case FT::ftString: row.append(QStringLiteral("v%1é").arg(r)); break;
            case FT::ftMemo: row.append(QString(r * 230 % 2600, QChar(u'a' + r % 26))); break;
            case FT::ftBlob:
            case FT::ftGraphic: row.append(QByteArray(r * 530 % 5300, char(r))); break;
            case FT::ftBytes: row.append(QByteArray("xyz")); break;
            case FT::ftDate: row.append(QDate(2000, 1, 1).addDays(r)); break;
            case FT::ftTime: row.append(QTime(1, 2, 3)); break;
            case FT::ftDateTime: row.append(QDateTime(QDate(1990, 5, 5), QTime(5, 5))); break;
            case FT::ftBoolean: row.append(r % 2 == 0); break;
            case FT::ftFloat:
            case FT::ftCurrency:
            case FT::ftBCD: row.append(r * 1.25); break;
            default: row.append(r % 5 ? QVariant(qint64(r)) : QVariant());
          }
        }
        writer->appendRecord(row);
      }
      writer->close();
      QFile dbf(db), mbf(mb);
      dbf.open(QIODevice::ReadOnly);
      const QByteArray mbBytes = mbf.open(QIODevice::ReadOnly) ? mbf.readAll() : QByteArray();
      const QByteArray seed = join(dbf.readAll(), mbBytes);
      save(QDir(outDir).filePath(QStringLiteral("seed%1").arg(n++)), seed.constData(), seed.size());
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* seeds = std::getenv("KORVI_FUZZ_SEEDS")) {
    writeSeeds(QString::fromLocal8Bit(seeds));
    std::exit(0);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto* bytes = reinterpret_cast<const char*>(data);
  const QString db = scratch()->filePath(QStringLiteral("t.db"));
  const QString mb = scratch()->filePath(QStringLiteral("t.mb"));
  qsizetype dbSize = qsizetype(size);
  if (size >= 6 && bytes[0] == 'M' && bytes[1] == 'B') {
    const quint32 n = quint32(data[2]) | (quint32(data[3]) << 8) | (quint32(data[4]) << 16) | (quint32(data[5]) << 24);
    dbSize = qsizetype(std::min<size_t>(n, size - 6));
    save(db, bytes + 6, dbSize);
    save(mb, bytes + 6 + dbSize, qsizetype(size) - 6 - dbSize);
  } else {
    save(db, bytes, dbSize);
    QFile::remove(mb);
  }
  try {
    auto reader = openParadoxTable(db);
    const qint64 count = std::min<qint64>(reader->recordCount(), 100000);
    Row row;
    for (qint64 i = 0; i < count; ++i) {
      try {
        reader->readRecord(i, row);
      } catch (const EngineError&) {
      }
    }
  } catch (const EngineError&) {
  }
  return 0;
}
