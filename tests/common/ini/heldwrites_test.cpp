#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/ini/inifile.h"
#include "support/testfiles.h"

using korvi::IniFile;

namespace {

using korvi::testing::readAll;

// Held changes are visible to reads at once, reach the file only on flush, and afterwards
// the accessor writes through again.
TEST(IniHeldWrites, ReadsSeeHeldChangesAndFlushWritesThemOnce) {
  QTemporaryDir dir;
  const QString path = dir.filePath("work.ini");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[A]\nx=1\n[B]\ny=2\n");
  }
  IniFile ini(path);
  ini.holdWrites();
  ini.writeString("A", "x", "10");
  ini.eraseSection("B");
  ini.writeInteger("C", "z", 3);
  EXPECT_EQ(ini.readString("A", "x"), QStringLiteral("10"));
  EXPECT_FALSE(ini.sectionExists("B"));
  EXPECT_EQ(ini.readInteger("C", "z", 0), 3);
  EXPECT_EQ(readAll(path), QByteArray("[A]\nx=1\n[B]\ny=2\n"));

  ini.flush();
  EXPECT_EQ(readAll(path), QByteArray("[A]\nx=10\n\n[C]\nz=3\n"));
  ini.writeString("A", "w", "4");
  EXPECT_EQ(IniFile(path).readString("A", "w"), QStringLiteral("4"));
}

}  // namespace
