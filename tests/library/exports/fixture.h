#pragma once
// Shared set-up of the export and main window tests: one model file, a fresh library state
// per test, the settings file rewritten per test, and a recorder answering the boxes.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <QAction>
#include <QGuiApplication>
#include <QLabel>

#include "common/text/paths.h"
#include "common/text/strings.h"
#include "common/text/settings.h"
#include "library/designer/umain.h"
#include "library/exports/libstate.h"
#include "library/exports/lifecycle.h"
#include "selq32.h"
#include "support/recordingmessages.h"

namespace korvi::selq::testing {

class LibraryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureLoaded(); }

  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    model_ = writeFile(QStringLiteral("Ventes.mdl"), "[Tables]\nClients=:DEMO:,clients.dbf,1\n");
    setSettings({});
  }

  void TearDown() override {
    resetLibraryState();
    designerHooks() = DesignerHooks();
    setSqlSource(nullptr);
    flushEvents();
  }

  // Rewrites section "KorviQuery" with the given lines and reads the switches again.
  static void setSettings(const QStringList& lines) {
    QFile f(paths::settingsFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[KorviQuery]\n");
    for (const QString& l : lines) f.write(l.toUtf8() + '\n');
    f.close();
    loadLibrarySettings();
  }

  QString writeFile(const QString& name, const QByteArray& content) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    return path;
  }

  static void flushEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  static QByteArray bytes(const QString& s) { return s.toUtf8(); }

  TFormPrincipale* designer() const { return state().designer.data(); }

  // Starts the designer on the test model.
  TFormPrincipale& run() {
    EXPECT_EQ(kvslRun(bytes(model_).constData()), 0);
    flushEvents();
    return *designer();
  }

  // A table of the query, as a table window would add it.
  static designer::QueryTable& addTable(TFormPrincipale& d, const QString& name = QStringLiteral("Clients")) {
    designer::QueryTable t;
    t.longName = name;
    t.tableName = name.toLower() + QStringLiteral(".dbf");
    t.location = QStringLiteral(":DEMO:");
    t.fields = {{QStringLiteral("Nom"), QStringLiteral("NOM"), engine::FieldType::ftString, 30},
                {QStringLiteral("Notes"), QStringLiteral("NOTES"), engine::FieldType::ftMemo, 10}};
    return d.document().addTable(t);
  }

  QTemporaryDir dir_;
  QString model_;
  korvi::testing::ScopedRecorder rec_;
};

}  // namespace korvi::selq::testing
