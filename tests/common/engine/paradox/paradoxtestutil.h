#pragma once
// Helpers of the Paradox table tests: writing and reading whole tables, patching bytes of a
// file, and building small tables of older levels byte by byte.

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "common/engine/tablefiles.h"

namespace korvi::engine::testing {

inline void writeTable(const QString& path, const QList<FieldDesc>& fields, const QList<Row>& rows) {
  auto writer = createParadoxTable(path, fields);
  for (const Row& row : rows) writer->appendRecord(row);
  writer->close();
}

inline QList<Row> readAll(const QString& path, QList<FieldDesc>* fields = nullptr) {
  auto reader = openParadoxTable(path);
  if (fields) *fields = reader->fields();
  QList<Row> rows;
  for (qint64 i = 0; i < reader->recordCount(); ++i) {
    Row row;
    EXPECT_TRUE(reader->readRecord(i, row));
    rows.append(row);
  }
  return rows;
}

inline QByteArray fileBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

inline void saveBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

inline quint16 le16At(const QByteArray& b, int at) {
  return quint16(uchar(b[at]) | (uchar(b[at + 1]) << 8));
}
inline void putLe16At(QByteArray& b, int at, int v) {
  b[at] = char(v & 0xFF);
  b[at + 1] = char((v >> 8) & 0xFF);
}

// Runs `action` and returns the text of the EngineError it throws ("" when none).
template <typename F>
QString engineErrorOf(F&& action) {
  try {
    action();
  } catch (const EngineError& e) {
    return e.text();
  }
  return {};
}

}  // namespace korvi::engine::testing
