// Dates typed in a criteria cell follow the user's short date format (day first in French);
// the engine reads month/day/year, so the translation turns them round. Without it a French
// 01/02/1995 would silently select January 2.

#include "common/text/formats.h"
#include "sqlfixture.h"

namespace korvi::sql::testing {
namespace {

class TypedDatesTest : public SqlTest {
 protected:
  QString translate(const QString& text, FieldType type) {
    return translateCriteriaText(text, QStringLiteral("T1.\"D\""), type, CriteriaKeywords::current(), QDate(2026, 12, 8))
        .lines.join(QString());
  }
};

TEST_F(TypedDatesTest, FrenchDatesReachTheEngineAsMonthDayYear) {
  setLanguage(1);
  startFormats();
  EXPECT_EQ(translate("01/02/1995", FieldType::ftDate), " ( T1.\"D\" = \"02/01/1995\" )");
  EXPECT_EQ(translate(">= 31/12/1995 ET < 5/1/1996", FieldType::ftDate),
            " ( T1.\"D\">= \"12/31/1995\"  AND  T1.\"D\"< \"01/05/1996\" )");
  EXPECT_EQ(translate("\"31/12/1995 10:30:00\"", FieldType::ftDateTime), " ( T1.\"D\" = \"12/31/1995 10:30:00\" )");
  // What is not a date of the user's format passes as typed, for the engine to judge.
  EXPECT_EQ(translate("12/31/1995", FieldType::ftDate), " ( T1.\"D\" = \"12/31/1995\" )");
  // Other types and today's keyword are untouched.
  EXPECT_EQ(translate("01/02/1995", FieldType::ftString), " ( T1.\"D\" = \"01/02/1995\" )");
  EXPECT_EQ(translate("CEJOUR", FieldType::ftDate), " ( T1.\"D\" = \"12/08/2026\" )");
}

TEST_F(TypedDatesTest, EnglishDatesKeepTheirOrder) {
  setLanguage(2);
  startFormats();
  EXPECT_EQ(translate("01/02/1995", FieldType::ftDate), " ( T1.\"D\" = \"01/02/1995\" )");
  setLanguage(1);
  startFormats();
}

}  // namespace
}  // namespace korvi::sql::testing
