// Values of parameter markers: what each type code accepts and how the value is written, and
// the dialogue that asks for them.

#include <gtest/gtest.h>

#include "common/text/formats.h"
#include "common/text/strings.h"
#include "library/sql/parameters.h"
#include "support/recordingmessages.h"

namespace korvi::sql {
namespace {

using korvi::testing::RecordingMessages;

// Records the text each input box was opened with, as the user would see it.
class OfferedTexts : public RecordingMessages {
 public:
  QStringList offered;
  bool askText(const QString& caption, const QString& prompt, QString& text) override {
    offered << text;
    return RecordingMessages::askText(caption, prompt, text);
  }
};

class ParametersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(installStringTable(QStringLiteral(":/strings/library.txt")));
    french();
    previous = installMessages(rec);
  }
  void TearDown() override {
    installMessages(previous);
    french();
  }
  static void french() {
    setLanguage(1);
    startFormats();
  }
  static void english() {
    setLanguage(2);
    startFormats();
  }
  static bool accepts(char code, const QString& typed, QString* written = nullptr) {
    QString v = typed;
    const bool ok = CheckParameterValue(QLatin1Char(code), v);
    if (written) *written = v;
    return ok;
  }
  void answer(const QString& text) { rec->textAnswers.push_back({true, text}); }

  std::shared_ptr<OfferedTexts> rec = std::make_shared<OfferedTexts>();
  std::shared_ptr<Messages> previous;
};

TEST_F(ParametersTest, EmptyValuesAndUnknownCodesAreRefused) {
  for (char code : {'S', 'I', 'L', 'W', 'B', 'R', '$', '1', 'T', 'D', 'H'}) EXPECT_FALSE(accepts(code, "")) << code;
  EXPECT_FALSE(accepts('X', "12"));
  EXPECT_FALSE(accepts('s', "text"));  // codes arrive upper-cased
  EXPECT_EQ(parameterDescription(QLatin1Char('X')), QString());
  EXPECT_TRUE(accepts('S', " anything at all, even \"quotes\" "));
}

TEST_F(ParametersTest, IntegerRanges) {
  struct Case {
    char code;
    const char* value;
    bool ok;
  } cases[] = {{'I', "-32768", true},      {'I', "32767", true},       {'I', "32768", false},
               {'I', "70000", false},      {'I', "12.5", false},       {'I', "douze", false},
               {'L', "-2147483648", true}, {'L', "2147483647", true},  {'L', "2147483648", false},
               {'W', "0", true},           {'W', "65535", true},       {'W', "-1", false},
               {'W', "70000", false},      {'I', "1 2", false},        {'L', "0x10", false}};
  for (const Case& c : cases) EXPECT_EQ(accepts(c.code, c.value), c.ok) << c.code << " " << c.value;
  QString written;
  EXPECT_TRUE(accepts('I', " 12 ", &written));
  EXPECT_EQ(written, "12");
}

TEST_F(ParametersTest, LogicalValuesInAnyCase) {
  for (const char* v : {"VRAI", "vrai", "Faux"}) EXPECT_TRUE(accepts('B', v)) << v;
  EXPECT_FALSE(accepts('B', "TRUE"));  // the keywords of the interface language
  EXPECT_FALSE(accepts('B', "oui"));
  EXPECT_EQ(statementValue(QLatin1Char('B'), "vrai"), "TRUE");
  EXPECT_EQ(statementValue(QLatin1Char('B'), "faux"), "FALSE");
  english();
  EXPECT_TRUE(accepts('B', "true"));
  EXPECT_FALSE(accepts('B', "VRAI"));
}

TEST_F(ParametersTest, RealsTakeOnlyAPoint) {
  for (const char code : {'R', '$', '1'}) {
    for (const char* v : {"12", "12.5", "-0.25", ".5", "3.", "1e3"}) EXPECT_TRUE(accepts(code, v)) << code << v;
    for (const char* v : {"12,5", "1,000", "inf", "nan", "1.2.3", "12 5", "abc"}) EXPECT_FALSE(accepts(code, v)) << code << v;
  }
}

TEST_F(ParametersTest, TimesNeedTwoColonsAndNoSpace) {
  for (const char* v : {"00:00:00", "23:59:59", "9:05:00"}) EXPECT_TRUE(accepts('T', v)) << v;
  for (const char* v : {"24:00:00", "12:60:00", "14:18", " 14:18:00", "14:18:00 ", "14:18:00:00", "midi"})
    EXPECT_FALSE(accepts('T', v)) << v;
}

TEST_F(ParametersTest, DatesFollowTheUsersOrderAndAreWrittenMonthFirst) {
  QString written;
  EXPECT_TRUE(accepts('D', "31/12/1995", &written));
  EXPECT_EQ(written, "12/31/1995");
  EXPECT_TRUE(accepts('D', "1/2/2024", &written));
  EXPECT_EQ(written, "02/01/2024");
  EXPECT_FALSE(accepts('D', "12/31/1995"));  // no month 31
  EXPECT_FALSE(accepts('D', "31-12-1995"));
  EXPECT_FALSE(accepts('D', "30/02/2024"));
  // A two-digit year is read by the short date rules and written with its century, so the
  // engine cannot read another one.
  EXPECT_TRUE(accepts('D', "31/12/25", &written));
  EXPECT_EQ(written.right(4), QString::number(parseShortDate("31/12/25").year()));

  english();
  EXPECT_TRUE(accepts('D', "12/31/1995", &written));
  EXPECT_EQ(written, "12/31/1995");
  EXPECT_FALSE(accepts('D', "31/12/1995"));
}

TEST_F(ParametersTest, DateTimes) {
  QString written;
  EXPECT_TRUE(accepts('H', "31/12/1995 14:18:00", &written));
  EXPECT_EQ(written, "12/31/1995 14:18:00");
  EXPECT_TRUE(accepts('H', "31/12/1995 14:18", &written));
  EXPECT_EQ(written, "12/31/1995 14:18:00");
  EXPECT_TRUE(accepts('H', "31/12/1995", &written));
  EXPECT_EQ(written, "12/31/1995");
  for (const char* v : {"31/12/1995 9:05", "31/12/1995  14:18:00", "31/12/1995 25:00:00", "14:18:00", "31/12/1995 midi"})
    EXPECT_FALSE(accepts('H', v)) << v;
}

TEST_F(ParametersTest, NumericValuesLoseTheirQuotesTextKeepsThem) {
  QStringList lines = {" WHERE ( T1.\"AGE\" = \"[I|Age]\" ) AND ( T1.\"NOM\" = \"[S|Nom]\" )"};
  answer("12");
  answer("Dupont");
  ASSERT_TRUE(ResolveParameters(lines));
  EXPECT_EQ(lines[0], " WHERE ( T1.\"AGE\" = 12 ) AND ( T1.\"NOM\" = \"Dupont\" )");
  EXPECT_EQ(rec->prompts, (QStringList{LoadText(41) + "|Age", LoadText(41) + "|Nom"}));
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST_F(ParametersTest, LogicalDateAndLowerCaseCodes) {
  QStringList lines = {"a = \"[b|Payée]\"", "b = \"[d|Depuis]\" AND c = \"[r|Prix]\""};
  answer("vrai");
  answer("31/12/1995");
  answer("2.5");
  ASSERT_TRUE(ResolveParameters(lines));
  EXPECT_EQ(lines, (QStringList{"a = \"TRUE\"", "b = \"12/31/1995\" AND c = 2.5"}));
}

TEST_F(ParametersTest, ARefusedValueIsOfferedAgainAfterYes) {
  QStringList lines = {"x = \"[I|Quantité]\""};
  answer("70000");
  answer("700");
  rec->answers.push_back(mrYes);
  ASSERT_TRUE(ResolveParameters(lines));
  EXPECT_EQ(lines[0], "x = 700");
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].text,
            "La variable saisie n'est pas du type attendu. Vous devez saisir une valeur entière (de -32768 à +32767). "
            "Voulez-vous réessayer ?");
  EXPECT_EQ(rec->boxes[0].buttons, mbYes | mbNo);
  EXPECT_EQ(rec->offered, (QStringList{"", "70000"}));
}

TEST_F(ParametersTest, NoOrCancelEndsTheQuery) {
  QStringList lines = {"x = \"[W|N]\""};
  answer("-1");
  rec->answers.push_back(mrNo);
  EXPECT_FALSE(ResolveParameters(lines));
  EXPECT_EQ(rec->texts().last(), LoadText(52));

  rec->boxes.clear();
  rec->textAnswers.push_back({false, QString()});
  EXPECT_FALSE(ResolveParameters(lines));
  EXPECT_EQ(rec->texts(), QStringList{LoadText(52)});
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Information);
}

TEST_F(ParametersTest, MalformedMarkers) {
  QStringList lines = {"fine", "x = \"[S|Nom\""};
  EXPECT_FALSE(ResolveParameters(lines));
  EXPECT_EQ(rec->texts(), QStringList{LoadText(53) + "2."});
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Error);

  rec->boxes.clear();
  lines = {"x = \"[Nom]\""};
  EXPECT_FALSE(ResolveParameters(lines));
  EXPECT_EQ(rec->texts(), QStringList{LoadText(40)});
  EXPECT_TRUE(rec->prompts.isEmpty());
}

TEST_F(ParametersTest, EveryMarkerIsAskedOnceEvenWithTheSamePrompt) {
  QStringList lines = {"a = \"[I|N]\" OR b = \"[I|N]\"", "c = \"[I|N]\""};
  answer("1");
  answer("2");
  answer("3");
  ASSERT_TRUE(ResolveParameters(lines));
  EXPECT_EQ(lines, (QStringList{"a = 1 OR b = 2", "c = 3"}));
  EXPECT_EQ(rec->prompts.size(), 3);
}

TEST_F(ParametersTest, TypedValuesAreNeverTakenForMarkers) {
  // A value that looks like a marker, and a quote that would end the literal early.
  QStringList lines = {"a = \"[S|Nom]\" AND b = \"[S|Ville]\"", "FROM \"/data/[2024]/t.db\""};
  answer("\"[I|x]");
  answer("Saint \"Jean\"");
  ASSERT_TRUE(ResolveParameters(lines));
  EXPECT_EQ(lines[0], "a = \"\"\"[I|x]\" AND b = \"Saint \"\"Jean\"\"\"");
  EXPECT_EQ(lines[1], "FROM \"/data/[2024]/t.db\"");  // a bracket in a path is no marker
  EXPECT_EQ(rec->prompts.size(), 2);
}

}  // namespace
}  // namespace korvi::sql
