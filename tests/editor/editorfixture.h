#pragma once
// A model editor session over a fresh directory: the model file, small tables and the
// recorded message boxes.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>

#include "common/engine/tablefiles.h"
#include "common/ini/modelfile.h"
#include "common/text/messages.h"
#include "common/text/paths.h"
#include "common/text/strings.h"
#include "editor/uglobal.h"
#include "support/recordingmessages.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace korvi::relmap::testing {

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    installStringTable(QStringLiteral(":/strings/editor.txt"));
    setLanguage(1);
    Session& s = session();
    s = Session{};
    s.ProgramDir = dir_.path();
    s.ModelDir = dir_.path();
    s.ModelName = QStringLiteral("test.mdl");
    s.ModelPath = modelPath();
    s.bindModel(s.ModelPath);
  }
  void TearDown() override { session() = Session{}; }

  QString path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
  QString modelPath() const { return path(QStringLiteral("test.mdl")); }
  QString dirLocation() const { return dir_.path() + QLatin1Char('/'); }
  IniFile& ini() { return session().model().ini(); }
  QString read(const QString& section, const QString& key) { return ini().readString(section, key); }
  QByteArray fileText() const {
    QFile f(modelPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  // A dBase table with string fields of those names and no rows.
  void makeTable(const QString& file, const QStringList& fieldNames) {
    QList<engine::FieldDesc> fields;
    for (const QString& n : fieldNames) fields.append({n, engine::FieldType::ftString, 10, 0});
    auto writer = engine::createTableFile(path(file), fields);
    writer->close();
  }
  // A "Tables" entry over this directory.
  void storeTable(const QString& name, const QString& file, int number) {
    ini().writeString(QStringLiteral("Tables"), name, dirLocation() + QLatin1Char(',') + file + QLatin1Char(',') +
                                                          QString::number(number));
  }

  QTemporaryDir dir_;
  korvi::testing::ScopedRecorder rec;
};

}  // namespace korvi::relmap::testing
