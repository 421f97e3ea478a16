// Language start-up of both deliverables and the fetching of texts by number.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include "support/recordingmessages.h"
#include "texttest.h"

namespace korvi::testing {
namespace {

class LanguageStart : public TextTest {};

TEST_F(LanguageStart, AbsentOrEmptyValueMeansFrenchWithoutMessage) {
  for (const QByteArray& content : {QByteArray(), QByteArray("[KorviQuery]\r\nLanguage=\r\n"),
                                    QByteArray("[Other]\r\nLanguage=2\r\n")}) {
    if (!content.isEmpty()) writeSettings(content);
    ScopedRecorder rec;
    EXPECT_EQ(startLanguage(Deliverable::Editor), 1);
    EXPECT_TRUE(language().french);
    EXPECT_EQ(language().offset, 0);
    EXPECT_EQ(language().code, QStringLiteral("FR"));
    EXPECT_TRUE(rec->boxes.isEmpty()) << content.toStdString();
  }
}

TEST_F(LanguageStart, TwoMeansEnglishWithoutMessage) {
  writeSettings("[korviquery]\nlanguage = 2\n");
  ScopedRecorder rec;
  EXPECT_EQ(startLanguage(Deliverable::Editor), 2);
  EXPECT_TRUE(language().english);
  EXPECT_EQ(language().offset, 2000);
  EXPECT_EQ(language().code, QStringLiteral("US"));
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST_F(LanguageStart, OutOfRangeValueFallsBackToEnglish) {
  for (const QByteArray& value : {QByteArray("0"), QByteArray("3"), QByteArray("-1"), QByteArray("anglais")}) {
    writeSettings("[KorviQuery]\r\nLanguage=" + value + "\r\n");
    {
      ScopedRecorder rec;
      EXPECT_EQ(startLanguage(Deliverable::Editor), 2) << value.toStdString();
      ASSERT_EQ(rec->boxes.size(), 1) << value.toStdString();
      const RecordedBox& box = rec->boxes.front();
      EXPECT_EQ(box.text, QStringLiteral("Unknown language value in section [KorviQuery] of WIN.INI. Using English language."));
      EXPECT_EQ(box.kind, MsgKind::Information);
      EXPECT_EQ(box.buttons, MsgButtons(mbOK));
      EXPECT_EQ(box.style, MsgStyle::Framework);
    }
    setLanguage(1);
    ScopedRecorder rec;
    EXPECT_EQ(startLanguage(Deliverable::Library), 2) << value.toStdString();
    EXPECT_TRUE(rec->boxes.isEmpty()) << value.toStdString();
  }
}

TEST_F(LanguageStart, EnglishTextsComeFromTheDeliverableTable) {
  writeSettings("[KorviQuery]\nLanguage=2\n");
  startLanguage(Deliverable::Library);
  EXPECT_EQ(LoadText(21), QStringLiteral("AND"));
  EXPECT_EQ(LoadText(268), QStringLiteral("&OK"));
  installStringTable(QStringLiteral(":/strings/editor.txt"));
  EXPECT_EQ(LoadText(2), QStringLiteral("&Cancel"));
  EXPECT_EQ(stringTableResource(Deliverable::Editor), QStringLiteral(":/strings/editor.txt"));
}

class MissingText : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    QFile f(dir.filePath(QStringLiteral("partial.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("17\t\"Liste des liens entre les tables \"\n18\t\"&Imprimer\"\n2018\t\"&Print\"\n");
    f.close();
    ASSERT_TRUE(installStringTable(f.fileName()));
    setLanguage(2);
  }
  QTemporaryDir dir;
};

TEST_F(MissingText, EnglishMissingShowsFrenchAndReportsTheNumber) {
  ScopedRecorder rec;
  EXPECT_EQ(LoadText(17), QStringLiteral("Liste des liens entre les tables "));
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes.front().text, QStringLiteral("String Table #2017 missing."));
  EXPECT_EQ(rec->boxes.front().style, MsgStyle::FrameworkPlain);
  EXPECT_EQ(LoadText(18), QStringLiteral("&Print"));
  EXPECT_EQ(rec->boxes.size(), 1);
  // Neither language: empty text, still reported.
  EXPECT_EQ(LoadText(19), QString());
  EXPECT_EQ(rec->texts().last(), QStringLiteral("String Table #2019 missing."));
}

TEST_F(MissingText, ReportCanBeSilencedAndTheLibraryStartsSilent) {
  ScopedRecorder rec;
  setMissingTextReport(false);
  EXPECT_EQ(LoadText(17), QStringLiteral("Liste des liens entre les tables "));
  EXPECT_TRUE(rec->boxes.isEmpty());
  setMissingTextReport(true);
  startLanguage(Deliverable::Library);
  EXPECT_EQ(LoadText(19), QString());
  EXPECT_TRUE(rec->boxes.isEmpty());
  startLanguage(Deliverable::Editor);
  LoadText(19);
  EXPECT_EQ(rec->texts(), QStringList{QStringLiteral("String Table #19 missing.")});
}

}  // namespace
}  // namespace korvi::testing
