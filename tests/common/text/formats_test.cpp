// Process-wide number and date formats.
#include <gtest/gtest.h>

#include <stdexcept>

#include "common/text/formats.h"
#include "texttest.h"

namespace korvi::testing {
namespace {

class FormatsTest : public TextTest {};

TEST_F(FormatsTest, LanguageChoosesTheShortDateAndSeparatorsStayFixed) {
  startLanguage(Deliverable::Library);
  EXPECT_EQ(formats().decimalSeparator, QLatin1Char('.'));
  EXPECT_EQ(formats().dateSeparator, QLatin1Char('/'));
  EXPECT_EQ(formatShortDate(QDate(1995, 12, 31)), QStringLiteral("31/12/1995"));
  EXPECT_EQ(parseShortDate(QStringLiteral("31/12/1995")), QDate(1995, 12, 31));
  EXPECT_EQ(parseShortDate(QStringLiteral("1/2/2024")), QDate(2024, 2, 1));

  writeSettings("[KorviQuery]\nLanguage=2\n");
  startLanguage(Deliverable::Library);
  EXPECT_EQ(formatShortDate(QDate(1995, 12, 31)), QStringLiteral("12/31/1995"));
  EXPECT_EQ(parseShortDate(QStringLiteral("12/31/1995")), QDate(1995, 12, 31));
  EXPECT_FALSE(parseShortDate(QStringLiteral("31/12/1995")).isValid());
}

TEST_F(FormatsTest, ShortDateRefusesWhatIsNotADate) {
  startLanguage(Deliverable::Library);
  for (const char* bad : {"31/12", "1/1/1/1", "", "aa/bb/cccc", "31-12-1995", "30/02/2024", "1 /2/2024", "001/2/2024"})
    EXPECT_FALSE(parseShortDate(QString::fromLatin1(bad)).isValid()) << bad;
  // Two-digit years fall within fifty years of today.
  const int now = QDate::currentDate().year();
  const QDate d = parseShortDate(QStringLiteral("31/12/95"));
  ASSERT_TRUE(d.isValid());
  EXPECT_LE(qAbs(d.year() - now), 50);
  EXPECT_EQ(d.year() % 100, 95);
}

TEST_F(FormatsTest, TemporaryFormatsComeBackOnEveryExit) {
  startLanguage(Deliverable::Library);
  EXPECT_EQ(formatDecimal(12.5), QStringLiteral("12.5"));
  EXPECT_EQ(formatDecimal(-3), QStringLiteral("-3"));
  try {
    Formats user = formats();
    user.decimalSeparator = QLatin1Char(',');
    ScopedFormats scope(user);
    EXPECT_EQ(formatDecimal(12.5), QStringLiteral("12,5"));
    throw std::runtime_error("export failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(formats().decimalSeparator, QLatin1Char('.'));
  EXPECT_EQ(formatDecimal(0.001), QStringLiteral("0.001"));
}

}  // namespace
}  // namespace korvi::testing
