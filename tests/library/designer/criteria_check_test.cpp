// The criteria editor's syntax check: valid, incomplete and invalid texts per field type.
#include <gtest/gtest.h>

#include "common/text/formats.h"
#include "designerfixture.h"
#include "library/sql/criteriacheck.h"

namespace korvi::designer::testing {
namespace {

using engine::FieldType;
using sql::CheckCriteriaSyntax;

struct Case {
  const char* text;
  FieldType type;
  int expected;
};

class CriteriaCheckTest : public DesignerTest {
 protected:
  void expectAll(const std::vector<Case>& cases, const sql::CriteriaKeywords& kw) {
    for (const Case& c : cases) {
      EXPECT_EQ(CheckCriteriaSyntax(QString::fromUtf8(c.text), c.type, kw), c.expected)
          << "text [" << c.text << "] type " << static_cast<int>(c.type);
    }
  }
  sql::CriteriaKeywords french() { return sql::CriteriaKeywords::forLanguage(Language{}); }
};

TEST_F(CriteriaCheckTest, StructureOfTheCondition) {
  const FieldType I = FieldType::ftInteger;
  const FieldType S = FieldType::ftString;
  expectAll({
                {"", I, 2},
                {"   ", I, 2},
                {"> 12 ET < 20", I, 2},
                {"> 12 ET", I, 1},
                {"12", I, 2},
                // A value followed by "and" and a comparison is equality and that comparison.
                {"12 ET < 20", I, 2},
                {"12 20", I, 0},
                {"12 < 20", I, 0},  // a sign must follow and, or, "("
                {"ET > 5", I, 0},
                {"OU 5", I, 0},
                {"5 ET OU 6", I, 0},
                {"> > 5", I, 0},
                {">5", I, 2},
                {"( > 5 ET < 9 ) OU 12", I, 2},
                {"> ( 5 )", I, 0},
                {"( 5 ) ( 6 )", I, 0},
                {"( 5 ET )", I, 0},
                {"Paris OU Lyon", S, 2},
                {"Paris Lyon", S, 0},
                {"\"New York\" OU Paris", S, 2},
                {"Paris ET", S, 1},
                {"Paris <>", S, 1},  // a text ending on a sign is incomplete before anything else
                {"<>", S, 1},
                {"COMMENCEPAR", S, 1},
                {"COMMENCEPAR Dup", S, 2},
                {"CONTIENT ont OU FINIPAR ier", S, 2},
                {"COMMENCEPAR CONTIENT x", S, 0},
                {"Dup COMMENCEPAR x", S, 0},
                {"COMME D_p", S, 2},
            },
            french());
}

TEST_F(CriteriaCheckTest, UnbalancedQuotesAndParenthesesAreIncomplete) {
  expectAll({
                {"\"Paris", FieldType::ftString, 1},
                {"ET OU \"", FieldType::ftInteger, 1},
                {"( 12", FieldType::ftInteger, 1},
                {"12 20 (", FieldType::ftInteger, 1},
                {"12 )", FieldType::ftInteger, 1},
                // Parentheses inside quotes count too.
                {"\"a(b\"", FieldType::ftString, 1},
            },
            french());
}

TEST_F(CriteriaCheckTest, ValuesMustSuitTheTypeClass) {
  expectAll({
                {"12", FieldType::ftSmallint, 2},
                {"-12", FieldType::ftWord, 2},
                {"12.5", FieldType::ftInteger, 0},
                {"abc", FieldType::ftAutoInc, 0},
                {"\"12\"", FieldType::ftInteger, 0},
                {"12.5", FieldType::ftFloat, 2},
                {"> 1000 ET <= 5000", FieldType::ftCurrency, 2},
                {"12,5", FieldType::ftBCD, 0},
                {"inf", FieldType::ftFloat, 0},
                {"VRAI", FieldType::ftBoolean, 2},
                {"faux", FieldType::ftBoolean, 2},
                {"oui", FieldType::ftBoolean, 0},
                {"TRUE", FieldType::ftBoolean, 0},  // the other language's word is a value
                {"n'importe quoi", FieldType::ftMemo, 0},
                {"\"n'importe quoi\"", FieldType::ftMemo, 2},
                {"CEJOUR", FieldType::ftString, 2},
            },
            french());
}

TEST_F(CriteriaCheckTest, LikeKeywordsOnlyForText) {
  const FieldType notText[] = {FieldType::ftInteger, FieldType::ftFloat, FieldType::ftBoolean, FieldType::ftDate};
  for (FieldType t : notText) {
    for (const char* text : {"COMMENCEPAR 1", "FINIPAR 1", "CONTIENT 1", "COMME 1"})
      EXPECT_EQ(CheckCriteriaSyntax(QString::fromLatin1(text), t, french()), 0) << text;
  }
  EXPECT_EQ(CheckCriteriaSyntax(QStringLiteral("COMME x"), FieldType::ftUnknown, french()), 0);
  EXPECT_EQ(CheckCriteriaSyntax(QStringLiteral("COMME x"), FieldType::ftMemo, french()), 2);
}

TEST_F(CriteriaCheckTest, DatesAndToday) {
  const FieldType D = FieldType::ftDate;
  expectAll({
                {"31/12/1995", D, 2},
                {">= 1/2/95", D, 2},
                {"31/12", D, 1},
                {"31", D, 1},
                {"1/1/1/1", D, 0},
                {"31/13/1995", D, 0},
                {"31-12-1995", D, 0},
                {"\"31/12/1995\"", D, 0},
                {"CEJOUR", D, 2},
                {"cejour", D, 2},
                {"CEJOUR+", D, 1},
                {"CEJOUR-", D, 1},
                {"CEJOUR+10", D, 2},
                {">= CEJOUR-30", D, 2},
                {"CEJOUR*2", D, 0},
                {"CEJOUR+1X", D, 0},
                {"CEJOUR--5", D, 0},
                {"XCEJOUR", D, 0},
            },
            french());
}

TEST_F(CriteriaCheckTest, DatesFollowTheShortDateFormat) {
  Formats english = formats();
  english.dayFirst = false;
  english.shortDateFormat = QStringLiteral("MM/dd/yyyy");
  ScopedFormats scoped(english);
  EXPECT_EQ(CheckCriteriaSyntax(QStringLiteral("12/31/1995"), FieldType::ftDate, french()), 2);
  EXPECT_EQ(CheckCriteriaSyntax(QStringLiteral("31/12/1995"), FieldType::ftDate, french()), 0);
}

TEST_F(CriteriaCheckTest, TimesAndDateTimes) {
  const FieldType T = FieldType::ftTime;
  const FieldType H = FieldType::ftDateTime;
  expectAll({
                {"10:30:00", T, 2},
                {"10:30", T, 1},
                {"10:30:00:00", T, 0},
                {"25:00:00", T, 0},
                {"CEJOUR", T, 0},
                {"\"31/12/1995 10:30:00\"", H, 2},
                {"\"31/12/1995\"", H, 2},
                {"\"31/12 10:30:00\"", H, 0},  // colons decide the count, the date must still read
                {"\"31/12/1995 10:30\"", H, 1},
                {"\"31/12/1995  10:30:00\"", H, 0},
                {"\"31/12/1995 10:30:00:00\"", H, 0},
                {"\"31/12/1995 ab\"", H, 0},
                {"31/12/1995", H, 2},
                {"10:30:00", H, 2},
                {"31/12", H, 1},
                {"CEJOUR-3", H, 2},
            },
            french());
}

TEST_F(CriteriaCheckTest, ParameterMarkers) {
  const FieldType I = FieldType::ftInteger;
  expectAll({
                {"\"[L|Nombre]\"", I, 2},
                {"> \"[W|Nombre minimum]\"", FieldType::ftWord, 2},
                {"\"[S|Nom]\"", I, 0},
                {"\"[l|Nombre]\"", I, 0},  // codes are upper case
                {"\"[X|Nombre]\"", I, 0},
                {"\"[L-Nombre]\"", I, 0},
                {"\"[L]\"", I, 0},
                {"\"[L|Nombre\"", I, 1},
                {"\"[L|Nombre", I, 1},
                {"12 \"[L|Nombre]\"", I, 0},
                {"( \"[L|Nombre]\" )", I, 2},
                {"\"[S|Nom du client]\"", FieldType::ftString, 2},
                {"\"[B|Actif]\"", FieldType::ftBoolean, 2},
                {"\"[$|Montant]\"", FieldType::ftCurrency, 2},
                {"\"[1|Taux]\"", FieldType::ftBCD, 2},
                {"\"[D|Du]\" OU \"[H|Au]\"", FieldType::ftDate, 2},
                {"\"[R|Montant]\"", FieldType::ftDate, 0},
            },
            french());
}

TEST_F(CriteriaCheckTest, KeywordsOfTheEnglishInterface) {
  Language en;
  en.language = 2;
  en.french = false;
  en.english = true;
  en.offset = 2000;
  en.code = QStringLiteral("US");
  const sql::CriteriaKeywords kw = sql::CriteriaKeywords::forLanguage(en);
  EXPECT_EQ(CheckCriteriaSyntax(QStringLiteral("> 12 AND < 20"), FieldType::ftInteger, kw), 2);
  EXPECT_EQ(CheckCriteriaSyntax(QStringLiteral("TODAY+3"), FieldType::ftDate, kw), 2);
  EXPECT_EQ(CheckCriteriaSyntax(QStringLiteral("STARTSWITH Dup"), FieldType::ftString, kw), 2);
  EXPECT_EQ(CheckCriteriaSyntax(QStringLiteral("> 12 ET < 20"), FieldType::ftInteger, kw), 0);
  EXPECT_EQ(CheckCriteriaSyntax(QStringLiteral("> 12 AND < 20"), FieldType::ftInteger, french()), 0);
}

TEST_F(CriteriaCheckTest, OneParameterCodePerSearchableType) {
  using sql::parameterTypeCode;
  const std::pair<FieldType, char> codes[] = {
      {FieldType::ftString, 'S'},  {FieldType::ftSmallint, 'I'}, {FieldType::ftInteger, 'L'},
      {FieldType::ftWord, 'W'},    {FieldType::ftBoolean, 'B'},  {FieldType::ftFloat, 'R'},
      {FieldType::ftCurrency, '$'}, {FieldType::ftBCD, '1'},     {FieldType::ftDate, 'D'},
      {FieldType::ftTime, 'T'},    {FieldType::ftDateTime, 'H'}, {FieldType::ftBytes, 'S'},
      {FieldType::ftVarBytes, 'S'}, {FieldType::ftBlob, 'S'},    {FieldType::ftMemo, 'S'},
      {FieldType::ftAutoInc, 'L'},
  };
  for (auto [type, code] : codes) EXPECT_EQ(parameterTypeCode(type), QLatin1Char(code)) << static_cast<int>(type);
  EXPECT_TRUE(parameterTypeCode(FieldType::ftUnknown).isNull());
  EXPECT_TRUE(parameterTypeCode(FieldType::ftGraphic).isNull());
  EXPECT_TRUE(parameterTypeCode(FieldType::ftParadoxOle).isNull());
  // Every marker the editor makes passes its own check on its own field.
  for (auto [type, code] : codes) {
    const QString marker = sql::parameterMarker(QLatin1Char(code), QStringLiteral("Invite"));
    EXPECT_EQ(CheckCriteriaSyntax(marker, type, french()), 2)
        << marker.toStdString();
  }
}

}  // namespace
}  // namespace korvi::designer::testing
