#pragma once
// Whole-file reads and writes for tests that check a file's exact bytes.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace korvi::testing {

// The file's bytes; empty when it cannot be read.
inline QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Replaces the file's content; the test fails when the file cannot be written.
inline void writeAll(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  f.write(data);
}

}  // namespace korvi::testing
