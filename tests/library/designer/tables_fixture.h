#pragma once
// Set-up of the table window tests: the demo database and its model written into a fresh
// directory, the designer running on that model, and a recorder answering every box.

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QTemporaryDir>

#include "common/text/paths.h"
#include "common/text/settings.h"
#include "common/text/strings.h"
#include "library/designer/umain.h"
#include "library/designer/ushowta.h"
#include "library/exports/libstate.h"
#include "library/exports/lifecycle.h"
#include "support/recordingmessages.h"
#include "tools/mkdemo/demodata.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace korvi::selq::testing {

class TablesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ensureLoaded(); }

  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    // Upper case in the path: the designer lower-cases the path it shows, never the one it reads.
    demoDir_ = tmp_.filePath(QStringLiteral("Ventes Demo"));
    ASSERT_TRUE(QDir().mkpath(demoDir_));
    demo::Options options;
    options.directory = demoDir_ + QLatin1Char('/');
    options.orders = 5;
    demo::writeDemo(options);
    model_ = QDir(demoDir_).filePath(QStringLiteral("ventes.mdl"));
    setSettings({});
  }

  void TearDown() override {
    resetLibraryState();
    designerHooks() = DesignerHooks();
    flushEvents();
  }

  static void setSettings(const QStringList& lines) {
    QFile f(paths::settingsFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[KorviQuery]\n");
    for (const QString& l : lines) f.write(l.toUtf8() + '\n');
    f.close();
    loadLibrarySettings();
  }

  static void flushEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QString writeFile(const QString& name, const QByteArray& content) {
    const QString path = tmp_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    return path;
  }

  // Starts the designer on a model, 800 pixels wide.
  TFormPrincipale& run(const QString& model = QString()) {
    EXPECT_EQ(runDesigner(model.isEmpty() ? model_ : model), 0);
    TFormPrincipale& d = *state().designer;
    d.showNormal();
    d.resize(800, 600);
    flushEvents();
    return d;
  }

  // Opens a demo table window as the add dialog does (free place, default size).
  TFormVisuTable* open(TFormPrincipale& d, const QString& longName, const QString& file) {
    designer::QueryTable t;
    t.longName = longName;
    t.tableName = file;
    t.location = demoDir_ + QLatin1Char('/');
    return TFormVisuTable::open(d, t);
  }

  static QStringList items(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }

  QTemporaryDir tmp_;
  QString demoDir_;
  QString model_;
  korvi::testing::ScopedRecorder rec_;
};

}  // namespace korvi::selq::testing
