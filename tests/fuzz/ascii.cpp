// Fuzzes the ASCII table reader: the input is a schema file and a data file separated by
// the first NUL byte. Every outcome but an EngineError or a clean read is a fault.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

#include "common/engine/asciitable.h"
#include "common/engine/tablefiles.h"

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
  f.write(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  const qsizetype cut = input.indexOf('\0');
  QByteArray schema = cut < 0 ? input : input.left(cut);
  const QByteArray rows = cut < 0 ? QByteArray() : input.mid(cut + 1);
  // Give every schema a section, so that the reader gets past the header more often.
  if (!schema.startsWith('[')) schema.prepend("[T]\n");
  writeFile(dir.filePath(QStringLiteral("t.sch")), schema);
  writeFile(dir.filePath(QStringLiteral("t.txt")), rows);
  try {
    auto reader = korvi::engine::openTableFile(dir.filePath(QStringLiteral("t.txt")));
    korvi::engine::Row row;
    const qint64 n = reader->recordCount();
    for (qint64 i = 0; i < n && i < 10000; ++i) {
      reader->readRecord(i, row);
      if (row.size() != reader->fields().size()) std::abort();
    }
  } catch (const korvi::engine::EngineError&) {
  }
  return 0;
}
