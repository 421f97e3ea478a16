// The two string tables: they parse, every text has its twin in the other language, the
// twins agree on what the code relies on, and every number the sources ask for exists.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include "common/text/strings.h"

namespace {

using korvi::StringTable;

StringTable loadTable(const QString& name) {
  StringTable table;
  QString error;
  EXPECT_TRUE(table.loadFile(QStringLiteral(":/strings/") + name, &error)) << name.toStdString() << ": "
                                                                             << error.toStdString();
  return table;
}

const QStringList& tableNames() {
  static const QStringList names{QStringLiteral("library.txt"), QStringLiteral("editor.txt")};
  return names;
}

int count(const QString& text, const QString& what) { return int(text.count(what)); }

TEST(StringTables, BothParseAndHoldTheirCaptions) {
  for (const QString& name : tableNames()) {
    const StringTable table = loadTable(name);
    EXPECT_GT(table.all().size(), 100) << name.toStdString();
  }
  // The message dialog's captions sit at different numbers in the two tables.
  const StringTable editor = loadTable(QStringLiteral("editor.txt"));
  const StringTable library = loadTable(QStringLiteral("library.txt"));
  EXPECT_EQ(editor.value(1), QStringLiteral("&Ok"));
  EXPECT_EQ(editor.value(2009), QStringLiteral("&Help"));
  EXPECT_EQ(library.value(268), QStringLiteral("&Ok"));
  EXPECT_EQ(library.value(2268), QStringLiteral("&OK"));
  EXPECT_EQ(library.value(2276), QStringLiteral("Help"));
  EXPECT_EQ(library.value(280), QStringLiteral("Confirmation"));
}

TEST(StringTables, EveryTextHasItsTwinAndFitsTheLookupBuffer) {
  for (const QString& name : tableNames()) {
    const StringTable table = loadTable(name);
    for (auto it = table.all().cbegin(); it != table.all().cend(); ++it) {
      const int n = it.key();
      const int twin = n < 2000 ? n + 2000 : n - 2000;
      EXPECT_GE(n, 1) << name.toStdString();
      EXPECT_LT(n, 4000) << name.toStdString() << " #" << n;
      EXPECT_TRUE(table.contains(twin)) << name.toStdString() << " #" << n << " has no twin " << twin;
      EXPECT_FALSE(it.value().isEmpty()) << name.toStdString() << " #" << n;
      EXPECT_LE(it.value().size(), 254) << name.toStdString() << " #" << n;
    }
  }
}

// The code formats and joins the texts the same way in both languages, so the twins must
// carry the same markers and the same joining ends.
TEST(StringTables, TwinsAgreeOnMarkersAndJoiningEnds) {
  // Library button captions without accelerator in English, as the framework shows them.
  const QSet<int> englishWithoutAccelerator{272, 273, 274, 275, 276};
  for (const QString& name : tableNames()) {
    const StringTable table = loadTable(name);
    for (auto it = table.all().cbegin(); it != table.all().cend(); ++it) {
      if (it.key() >= 2000) continue;
      const QString fr = it.value();
      const QString en = table.value(it.key() + 2000);
      const std::string where = name.toStdString() + " #" + std::to_string(it.key());
      EXPECT_EQ(count(fr, QStringLiteral("%s")), count(en, QStringLiteral("%s"))) << where;
      EXPECT_EQ(count(fr, QStringLiteral("%d")), count(en, QStringLiteral("%d"))) << where;
      EXPECT_EQ(fr.endsWith(QLatin1Char(' ')), en.endsWith(QLatin1Char(' '))) << where;
      EXPECT_EQ(fr.startsWith(QLatin1Char(' ')), en.startsWith(QLatin1Char(' '))) << where;
      EXPECT_EQ(fr.startsWith(QLatin1Char('"')), en.startsWith(QLatin1Char('"'))) << where;
      EXPECT_EQ(fr.endsWith(QLatin1Char('"')), en.endsWith(QLatin1Char('"'))) << where;
      if (name == QLatin1String("library.txt") && englishWithoutAccelerator.contains(it.key())) continue;
      EXPECT_EQ(count(fr, QStringLiteral("&")), count(en, QStringLiteral("&"))) << where;
    }
  }
}

// Criteria keywords are compared with typed text, so they must be exact and in upper case.
TEST(StringTables, CriteriaKeywordsOfBothLanguages) {
  const StringTable library = loadTable(QStringLiteral("library.txt"));
  const QStringList fr{"CEJOUR", "VRAI", "FAUX", "COMMENCEPAR", "ET", "OU", "FINIPAR", "CONTIENT", "COMME"};
  const QStringList en{"TODAY", "TRUE", "FALSE", "STARTSWITH", "AND", "OR", "ENDSWITH", "INCLUDES", "LIKE"};
  for (int i = 0; i < fr.size(); ++i) {
    EXPECT_EQ(library.value(17 + i), fr[i]);
    EXPECT_EQ(library.value(2017 + i), en[i]);
  }
}

// Every LoadText(<number>) written in the sources names a French number that exists in the
// table of the deliverable that compiles it; common code serves both deliverables.
TEST(StringTables, EveryNumberUsedBySourcesExists) {
  const StringTable library = loadTable(QStringLiteral("library.txt"));
  const StringTable editor = loadTable(QStringLiteral("editor.txt"));
  const QRegularExpression call(QStringLiteral(R"(\bLoadText\s*\(\s*(\d+)\s*\))"));
  int calls = 0;
  for (const QString& dir : {QStringLiteral("library"), QStringLiteral("editor"), QStringLiteral("common")}) {
    QDirIterator files(QStringLiteral(KORVI_SOURCE_DIR "/") + dir, {"*.cpp", "*.h"}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
      const QString path = files.next();
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
      const QString source = QString::fromUtf8(f.readAll());
      for (auto m = call.globalMatch(source); m.hasNext();) {
        const int n = m.next().captured(1).toInt();
        ++calls;
        const std::string where = path.toStdString() + ": LoadText(" + std::to_string(n) + ")";
        EXPECT_LT(n, 2000) << where << " adds the language offset itself";
        if (dir == QLatin1String("library")) EXPECT_TRUE(library.contains(n)) << where;
        else if (dir == QLatin1String("editor")) EXPECT_TRUE(editor.contains(n)) << where;
        else EXPECT_TRUE(library.contains(n) || editor.contains(n)) << where;
      }
    }
  }
  RecordProperty("LoadTextCalls", calls);
}

TEST(StringTables, ParserRejectsBrokenLinesAndAcceptsByteOrderMark) {
  StringTable table;
  QString error;
  EXPECT_TRUE(table.parse("\xEF\xBB\xBF# comment\r\n1\t\"caf\xC3\xA9 \\\"x\\\" \\\\ \"\r\n", &error))
      << error.toStdString();
  EXPECT_EQ(table.value(1), QStringLiteral("café \"x\" \\ "));
  EXPECT_FALSE(table.parse("1\t\"a\"\n1\t\"b\"\n", &error));
  EXPECT_TRUE(error.contains(QLatin1String("line 2")));
  EXPECT_FALSE(table.parse("2\tno quotes\n", &error));
  EXPECT_FALSE(table.parse("3\t\"bad \\q escape\"\n", &error));
  EXPECT_TRUE(table.all().isEmpty());
}

}  // namespace
