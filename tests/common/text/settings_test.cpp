// The "KorviQuery" settings: defaults, bad values, the menu toggles and refused writes.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/ini/inifile.h"
#include "texttest.h"

namespace korvi::testing {
namespace {

class Settings : public TextTest {};

TEST_F(Settings, MissingFileGivesEveryDefault) {
  const LibrarySettings s = loadLibrarySettings();
  const LibrarySettings d;
  EXPECT_TRUE(s.toolBar && s.dump && s.showNbRecord && s.allowPrint && s.allowExport && s.allowSave);
  EXPECT_FALSE(s.fixedWidth || s.uniqueRecords || s.mdlChange || s.showSql || s.hideStatus || s.forceUnload);
  EXPECT_EQ(s.nbRecordMethod, 1);
  EXPECT_EQ(recordCount(), 0);
  EXPECT_EQ(sqlWindowSize().width, 424);
  EXPECT_EQ(sqlWindowSize().height, 300);
  EXPECT_EQ(memoWindowSize().width, 435);
  EXPECT_EQ(memoWindowSize().height, 300);
  const ExportOptions o = readExportOptions();
  EXPECT_TRUE(o.nameFirst);
  EXPECT_FALSE(o.quoteDates || o.quoteNumbers);
  EXPECT_EQ(o.dateFormat, 0);
  EXPECT_EQ(o.hourFormat, 0);
  EXPECT_EQ(o.separator, QStringLiteral(","));
  EXPECT_EQ(o.decimal, QStringLiteral(","));
  EXPECT_FALSE(QFile::exists(paths::settingsFile())) << "reading must not create the file";
}

TEST_F(Settings, ValuesAndBadValues) {
  writeSettings(
      "[KorviQuery]\r\n"
      "ToolBar=yes\r\n"        // not a number: default (true)
      "FixedWidth=2\r\n"       // any other number: true
      "Dump=0\r\n"
      "ShowNbRecord=0\r\n"
      "NbRecordMethod=3\r\n"   // kept: means no count
      "AllowSave = 0 \r\n"
      "SQLWidth=-5\r\nSQLHeight=abc\r\n"
      "MemoWidth=800\r\nMemoHeight=0x100\r\n"
      "DateFormat=7\r\nHourFormat=1\r\nSeparator=;\r\nDecimal=\r\nNum=1\r\n");
  const LibrarySettings s = loadLibrarySettings();
  EXPECT_TRUE(s.toolBar);
  EXPECT_TRUE(s.fixedWidth);
  EXPECT_FALSE(s.dump);
  EXPECT_FALSE(s.showNbRecord);
  EXPECT_EQ(s.nbRecordMethod, 3);
  EXPECT_FALSE(s.allowSave);
  EXPECT_EQ(recordCount(), -1);
  EXPECT_EQ(sqlWindowSize().width, 424);
  EXPECT_EQ(sqlWindowSize().height, 300);
  EXPECT_EQ(memoWindowSize().width, 800);
  EXPECT_EQ(memoWindowSize().height, 256);
  const ExportOptions o = readExportOptions();
  EXPECT_EQ(o.dateFormat, 0);
  EXPECT_EQ(o.hourFormat, 1);
  EXPECT_EQ(o.separator, QStringLiteral(";"));
  EXPECT_EQ(o.decimal, QStringLiteral(","));
  EXPECT_TRUE(o.quoteNumbers);
}

TEST_F(Settings, SizesAndExportOptionsRoundTrip) {
  storeSqlWindowSize({640, 480});
  storeMemoWindowSize({500, 200});
  ExportOptions o;
  o.nameFirst = false;
  o.quoteDates = true;
  o.dateFormat = 2;
  o.separator = QStringLiteral("\t");
  o.decimal = QStringLiteral("\"");
  storeExportOptions(o);
  releaseSettingsFile();
  EXPECT_EQ(sqlWindowSize().width, 640);
  EXPECT_EQ(memoWindowSize().height, 200);
  const ExportOptions back = readExportOptions();
  EXPECT_FALSE(back.nameFirst);
  EXPECT_TRUE(back.quoteDates);
  EXPECT_EQ(back.dateFormat, 2);
  EXPECT_EQ(back.separator, QStringLiteral("\t"));
  EXPECT_EQ(back.decimal, QStringLiteral("\""));
  // A space and a quoted text come back whole too.
  o.separator = QStringLiteral(" ");
  o.decimal = QStringLiteral("\"x\"");
  storeExportOptions(o);
  EXPECT_EQ(readExportOptions().separator, QStringLiteral(" "));
  EXPECT_EQ(readExportOptions().decimal, QStringLiteral("\"x\""));
}

TEST_F(Settings, ToggleTwiceWritesTwiceAndEndsAsItStarted) {
  writeSettings("[KorviQuery]\r\nLanguage=1\r\nToolBar=1\r\n");
  loadLibrarySettings();
  EXPECT_FALSE(toggleSetting(MenuToggle::ToolBar));
  EXPECT_FALSE(librarySettings().toolBar);
  EXPECT_TRUE(readSettingsBytes().contains("ToolBar=0"));
  EXPECT_TRUE(toggleSetting(MenuToggle::ToolBar));
  EXPECT_TRUE(librarySettings().toolBar);
  const QByteArray after = readSettingsBytes();
  EXPECT_TRUE(after.contains("ToolBar=1"));
  EXPECT_EQ(after.count("ToolBar"), 1);
  EXPECT_TRUE(after.contains("Language=1"));

  // A switch absent from the file is appended to the section.
  EXPECT_TRUE(toggleSetting(MenuToggle::UniqueRecords));
  EXPECT_EQ(IniFile(paths::settingsFile()).readString(QStringLiteral("KorviQuery"), QStringLiteral("UniqueRecords")),
            QStringLiteral("1"));
}

TEST_F(Settings, TurningTheCountOffForgetsTheCount) {
  loadLibrarySettings();
  setRecordCount(12);
  EXPECT_FALSE(toggleSetting(MenuToggle::ShowNbRecord));
  EXPECT_EQ(recordCount(), -1);
  EXPECT_TRUE(toggleSetting(MenuToggle::ShowNbRecord));
  EXPECT_EQ(recordCount(), -1);  // the next execution counts again
  EXPECT_EQ(loadLibrarySettings().showNbRecord, true);
}

TEST_F(Settings, ReadOnlyFileRaisesTheWriteErrorAndKeepsTheSwitch) {
  writeSettings("[KorviQuery]\r\nFixedWidth=0\r\n");
  loadLibrarySettings();
  ASSERT_TRUE(QFile::setPermissions(paths::settingsFile(), QFile::ReadOwner | QFile::ReadGroup));
  try {
    toggleSetting(MenuToggle::FixedWidth);
    FAIL() << "the write was not refused";
  } catch (const IniWriteError& e) {
    EXPECT_EQ(e.path(), paths::settingsFile());
  }
  EXPECT_FALSE(librarySettings().fixedWidth);
  EXPECT_TRUE(readSettingsBytes().contains("FixedWidth=0"));
  EXPECT_THROW(storeSqlWindowSize({1, 1}), IniWriteError);
  // Reads still work on a file that refuses writes.
  EXPECT_FALSE(loadLibrarySettings().fixedWidth);
}

}  // namespace
}  // namespace korvi::testing

namespace korvi::testing {
namespace {

// On a fresh account neither the settings file nor its directory exists: the first toggle
// creates both instead of failing.
TEST_F(Settings, FirstWriteCreatesTheSettingsDirectory) {
  QTemporaryDir root;
  const QByteArray saved = qgetenv("KORVI_WININI");
  const QString path = root.filePath(QStringLiteral("config/korvi/win.ini"));
  qputenv("KORVI_WININI", QFile::encodeName(path));
  loadLibrarySettings();
  const bool toggled = toggleSetting(MenuToggle::FixedWidth);
  storeMemoWindowSize({300, 200});
  qputenv("KORVI_WININI", saved);
  EXPECT_TRUE(toggled);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray content = f.readAll();
  EXPECT_TRUE(content.contains("[KorviQuery]"));
  EXPECT_TRUE(content.contains("FixedWidth=1"));
  EXPECT_TRUE(content.contains("MemoWidth=300"));
}

}  // namespace
}  // namespace korvi::testing
