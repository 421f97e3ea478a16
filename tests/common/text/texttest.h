#pragma once
// Shared helpers of the text tests: a settings file written per test, and the language,
// string table and report state put back afterwards.

#include <gtest/gtest.h>

#include <QFile>

#include "common/text/paths.h"
#include "common/text/settings.h"
#include "common/text/strings.h"

namespace korvi::testing {

inline void writeSettings(const QByteArray& content) {
  const QString path = paths::settingsFile();
  QFile::remove(path);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(content);
}

inline QByteArray readSettingsBytes() {
  QFile f(paths::settingsFile());
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override { QFile::remove(paths::settingsFile()); }
  void TearDown() override {
    QFile::setPermissions(paths::settingsFile(), QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(paths::settingsFile());
    releaseSettingsFile();
    setLanguage(1);
    setMissingTextReport(true);
    installStringTable(QStringLiteral(":/strings/library.txt"));
  }
};

}  // namespace korvi::testing
