#pragma once
// Helpers of the dBase tests: hand-made table files and whole-table reads.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QtEndian>
#include <QVariant>
#include <ostream>
#include <optional>

#include "common/engine/tablefiles.h"

namespace dbasetest {

struct RawField {
  QByteArray name;
  char type;
  int length;
  int decimals = 0;
};

// A .dbf image: header, 32-byte descriptors, the records as given (each starting with its
// deletion flag) and the end-of-file byte.
inline QByteArray rawDbf(quint8 version, const QList<RawField>& fields,
                         const QList<QByteArray>& records, quint8 driver = 0x57) {
  int recordLength = 1;
  for (const RawField& f : fields) recordLength += f.length;
  QByteArray h(32, '\0');
  h[0] = char(version);
  h[1] = char(124);
  h[2] = 1;
  h[3] = 1;
  qToLittleEndian<quint32>(quint32(records.size()), h.data() + 4);
  qToLittleEndian<quint16>(quint16(32 + 32 * fields.size() + 1), h.data() + 8);
  qToLittleEndian<quint16>(quint16(recordLength), h.data() + 10);
  h[29] = char(driver);
  for (const RawField& f : fields) {
    QByteArray d(32, '\0');
    d.replace(0, f.name.size(), f.name);
    d[11] = f.type;
    d[16] = char(f.length);
    d[17] = char(f.decimals);
    h += d;
  }
  h += '\x0D';
  for (const QByteArray& r : records) h += r;
  h += '\x1A';
  return h;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write");
  f.write(bytes);
}

inline QByteArray readFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}

// Every record of a table; deleted records are std::nullopt.
inline QList<std::optional<korvi::engine::Row>> readAll(korvi::engine::TableReader& t) {
  QList<std::optional<korvi::engine::Row>> rows;
  for (qint64 i = 0; i < t.recordCount(); ++i) {
    korvi::engine::Row row;
    if (t.readRecord(i, row))
      rows.append(row);
    else
      rows.append(std::nullopt);
  }
  return rows;
}

inline QList<std::optional<korvi::engine::Row>> readAll(const QString& path) {
  auto t = korvi::engine::openDbfTable(path);
  return readAll(*t);
}

}  // namespace dbasetest

// Readable values in test failure messages.
inline void PrintTo(const QVariant& v, std::ostream* os) {
  *os << (v.isNull() ? "null" : (QString::fromLatin1(v.typeName()) + QLatin1Char(':') + v.toString()).toStdString());
}
