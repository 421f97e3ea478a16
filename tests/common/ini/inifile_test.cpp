#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/ini/inifile.h"
#include "support/testfiles.h"

using korvi::IniFile;
using korvi::IniWriteError;

namespace {

using korvi::testing::readAll;
using korvi::testing::writeAll;

class IniFileTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString path() const { return dir.filePath(QStringLiteral("m.ini")); }
};

TEST_F(IniFileTest, ReadsLikeTheProfileFunctions) {
  writeAll(path(),
           "; comment=1\r\n"
           "[Tables]\r\n"
           "  Clients = c:\\donnees\\,clients.db,1  \r\n"
           "clients=second\r\n"
           "Quoted=\"  spaced  \"\r\n"
           "Half=\"open\r\n"
           "Empty=\r\n"
           "no equals here\r\n"
           "[other]\n"
           "k=v\n");
  IniFile ini(path());
  EXPECT_EQ(ini.readString("TABLES", "CLIENTS", "def"), "c:\\donnees\\,clients.db,1");
  EXPECT_EQ(ini.readString("Tables", "Quoted"), "  spaced  ");
  EXPECT_EQ(ini.readString("Tables", "Half"), "\"open");
  EXPECT_EQ(ini.readString("Tables", "Empty", "def"), "");
  EXPECT_EQ(ini.readString("Tables", "Missing", "def"), "def");
  EXPECT_EQ(ini.readString("Nope", "k", "def"), "def");
  EXPECT_EQ(ini.readString("Other", "K"), "v");
  EXPECT_EQ(ini.readSection("tables"), (QStringList{"Clients", "clients", "Quoted", "Half", "Empty"}));
  EXPECT_TRUE(ini.readSection("absent").isEmpty());
  EXPECT_EQ(ini.sections(), (QStringList{"Tables", "other"}));
}

TEST_F(IniFileTest, WriteReplacesFirstMatchOrAppends) {
  writeAll(path(), "[A]\r\nx=1\r\nX=2\r\n\r\n[B]\r\ny=1\r\n");
  IniFile ini(path());
  ini.writeString("a", "X", "new");
  ini.writeString("A", "z", "3");
  ini.writeString("C", "w", "");
  EXPECT_EQ(readAll(path()), QByteArray("[A]\r\nX=new\r\nX=2\r\nz=3\r\n\r\n[B]\r\ny=1\r\n\r\n[C]\r\nw=\r\n"));
  EXPECT_EQ(ini.readString("c", "w", "def"), "");
  EXPECT_EQ(ini.readSection("C"), QStringList{"w"});
}

TEST_F(IniFileTest, MissingFileGivesDefaultsAndFirstWriteCreatesIt) {
  IniFile ini(path());
  EXPECT_EQ(ini.readInteger("S", "n", 7), 7);
  EXPECT_TRUE(ini.sections().isEmpty());
  EXPECT_FALSE(QFile::exists(path()));
  ini.writeInteger("S", "n", 12);
  EXPECT_EQ(readAll(path()), QByteArray("[S]\r\nn=12\r\n"));
}

TEST_F(IniFileTest, CountsInDecimalAndHexadecimal) {
  writeAll(path(), "[S]\na=42\nb=0x1F\nc=0X\nd=word\ne=-3\nf=99999999999\ng=0xFFFFFFFF\n");
  IniFile ini(path());
  EXPECT_EQ(ini.readInteger("S", "a", 0), 42);
  EXPECT_EQ(ini.readInteger("S", "b", 0), 31);
  EXPECT_EQ(ini.readInteger("S", "c", 5), 5);   // "0x" alone is not hexadecimal
  EXPECT_EQ(ini.readInteger("S", "d", 5), 5);
  EXPECT_EQ(ini.readInteger("S", "e", 0), -3);
  EXPECT_EQ(ini.readInteger("S", "f", 5), 5);   // out of range
  EXPECT_EQ(ini.readInteger("S", "g", 0), -1);
  EXPECT_TRUE(ini.readBool("S", "a", false));
  EXPECT_TRUE(ini.readBool("S", "d", true));   // a non-number reads as its default
  EXPECT_FALSE(ini.readBool("S", "d", false));
}

TEST_F(IniFileTest, KeepsLfFilesInLfAndSeesChangesOnDisk) {
  writeAll(path(), "[S]\nk=1\n");
  IniFile ini(path());
  EXPECT_EQ(ini.readString("S", "k"), "1");
  writeAll(path(), "[S]\nk=22\n");  // changed behind the accessor's back
  EXPECT_EQ(ini.readString("S", "k"), "22");
  ini.writeString("S", "j", "x");
  EXPECT_EQ(readAll(path()), QByteArray("[S]\nk=22\nj=x\n"));
}

TEST_F(IniFileTest, EraseSectionRemovesAllItsLines) {
  writeAll(path(), "[1]\r\n1=Nom\r\n[1L]\r\nN=1\r\n[1l1]\r\nT=a.db\r\n[2]\r\n1=X\r\n");
  IniFile ini(path());
  ini.eraseSection("1L1");
  ini.eraseSection("missing");
  EXPECT_EQ(readAll(path()), QByteArray("[1]\r\n1=Nom\r\n[1L]\r\nN=1\r\n[2]\r\n1=X\r\n"));
  EXPECT_FALSE(ini.sectionExists("1l1"));
}

TEST_F(IniFileTest, Windows1252LinesReadAndRewrittenAsUtf8) {
  writeAll(path(), "[Tables]\r\nCat\xe9gorie=x\r\nS\xc3\xa9rie=y\r\n");
  IniFile ini(path());
  EXPECT_EQ(ini.readSection("Tables"), (QStringList{QString::fromUtf8("Catégorie"), QString::fromUtf8("Série")}));
  ini.writeString("Tables", QString::fromUtf8("Série"), "z");
  EXPECT_EQ(readAll(path()), QByteArray("[Tables]\r\nCat\xc3\xa9gorie=x\r\nS\xc3\xa9rie=z\r\n"));
}

TEST_F(IniFileTest, RefusedWritesRaiseTheWriteError) {
  writeAll(path(), "[S]\nk=1\n");
  QFile::setPermissions(path(), QFileDevice::ReadOwner);
  IniFile ini(path());
  EXPECT_EQ(ini.readString("S", "k"), "1");
  try {
    ini.writeString("S", "k", "2");
    FAIL() << "write to a read-only file succeeded";
  } catch (const IniWriteError& e) {
    EXPECT_EQ(e.text(), "Unable to write to " + path());
  }
  EXPECT_THROW(ini.eraseSection("S"), IniWriteError);
  EXPECT_EQ(readAll(path()), QByteArray("[S]\nk=1\n"));

  IniFile onDir(dir.path());  // a directory where a file is expected
  EXPECT_EQ(onDir.readString("S", "k", "d"), "d");
  EXPECT_THROW(onDir.writeString("S", "k", "v"), IniWriteError);
  IniFile noDir(dir.filePath("no/such/dir/x.ini"));
  EXPECT_THROW(noDir.writeString("S", "k", "v"), IniWriteError);
}

TEST_F(IniFileTest, BadInputNeverBreaksTheAccessor) {
  QByteArray junk("[unterminated\n=alone\n[S]\nk\0ey=v\0al\n", 37);
  junk += QByteArray(10 * 1024 * 1024, 'x');
  junk += "\n[S]\nlate=1\n";
  for (int i = 0; i < 256; ++i) junk += char(i);
  writeAll(path(), junk);
  IniFile ini(path());
  EXPECT_EQ(ini.readString("S", "late"), "1");
  EXPECT_EQ(ini.readString("S", "nothing", "d"), "d");
  ini.writeString("S", "added", "1");
  EXPECT_EQ(ini.readString("S", "added"), "1");
  EXPECT_EQ(ini.readString("S", "late"), "1");
}

TEST_F(IniFileTest, LineBreaksInValuesCannotForgeLines) {
  IniFile ini(path());
  ini.writeString("S", "k", "a\r\n[Evil]\r\nx=1");
  EXPECT_FALSE(ini.sectionExists("Evil"));
  EXPECT_EQ(ini.readSection("S"), QStringList{"k"});
}

TEST_F(IniFileTest, ManyKeysStayFast) {
  QByteArray data("[S]\n");
  for (int i = 0; i < 100000; ++i) data += "k" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
  writeAll(path(), data);
  IniFile ini(path());
  EXPECT_EQ(ini.readSection("S").size(), 100000);
  EXPECT_EQ(ini.readString("S", "k99999"), "99999");
}

}  // namespace

namespace {

TEST_F(IniFileTest, SectionValuesGiveWhatEachKeyReads) {
  writeAll(path(), "[S]\r\nClients=first\r\nclients=second\r\nEmpty=\r\n[T]\r\nx=1\r\n[s]\r\nlate=2\r\n");
  IniFile ini(path());
  const auto pairs = ini.readSectionValues("s");
  ASSERT_EQ(pairs.size(), 4);
  EXPECT_EQ(pairs[0], qMakePair(QString("Clients"), QString("first")));
  EXPECT_EQ(pairs[1], qMakePair(QString("clients"), QString("first")));  // the first match wins
  EXPECT_EQ(pairs[2].second, "");
  EXPECT_EQ(pairs[3], qMakePair(QString("late"), QString("2")));
  EXPECT_TRUE(ini.readSectionValues("absent").isEmpty());
}

}  // namespace
