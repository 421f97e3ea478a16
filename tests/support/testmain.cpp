// Test main: every test program runs with its own settings, alias, private and temp
// locations, so no test reads or writes the user's files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "common/text/strings.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QTemporaryDir home;
  const QByteArray root = QFile::encodeName(home.path());
  qputenv("KORVI_WININI", root + "/win.ini");
  qputenv("KORVI_ALIASES", root + "/aliases.ini");
  qputenv("KORVI_PRIVATE", root + "/private");
  qputenv("KORVI_TEMP", root + "/temp");
  qputenv("XDG_CONFIG_HOME", root + "/config");
  qputenv("XDG_CACHE_HOME", root + "/cache");
  qunsetenv("KORVI_MESSAGE_LOG");
  qunsetenv("KORVI_ANSWERS");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
