#pragma once
// The process-wide number and date formats. Whatever the user's locale, the process
// converts numbers with "." and writes dates with "/": SQL literals, parameter values and
// saved settings depend on it. The user's own decimal separator is remembered at start-up
// for the one place that wants it (the clipboard copy of a result), and the short date
// format follows the interface language.

#include <QChar>
#include <QDate>
#include <QString>

namespace korvi {

struct Formats {
  QChar decimalSeparator = QLatin1Char('.');
  QChar dateSeparator = QLatin1Char('/');
  QChar timeSeparator = QLatin1Char(':');
  // The user's decimal separator, from the system locale at start-up.
  QChar userDecimalSeparator = QLatin1Char('.');
  // Qt date pattern of the short date: "dd/MM/yyyy" (French) or "MM/dd/yyyy" (English),
  // with the date separator in place of "/".
  QString shortDateFormat = QStringLiteral("dd/MM/yyyy");
  // Qt time pattern of the long time.
  QString longTimeFormat = QStringLiteral("hh:mm:ss");
  bool dayFirst = true;  // day before month in the short date
};

// The formats in force.
const Formats& formats();

// Sets the formats for the current interface language (korvi::language()): "." and "/",
// the short date of the language, the user's decimal and time separators read from
// QLocale::system(). Run by the language start-up.
void startFormats();

// Changes the formats until the object is destroyed (the clipboard copy switches to the
// user's decimal separator, the text export to its own patterns); the previous formats
// come back on every exit path.
class ScopedFormats {
 public:
  explicit ScopedFormats(const Formats& temporary);
  ~ScopedFormats();
  ScopedFormats(const ScopedFormats&) = delete;
  ScopedFormats& operator=(const ScopedFormats&) = delete;

 private:
  Formats saved_;
};

// A date in the short date format.
QString formatShortDate(const QDate& date);
// Reads a date typed in the short date format: three groups of digits separated by the
// date separator, in the language's order; one or two digits for day and month; a year of
// one or two digits is taken in the century window around the current year (the 50 years
// before and after). Returns an invalid date for anything else.
QDate parseShortDate(const QString& text);
// A number with the process's decimal separator, no thousands separator and no exponent
// for ordinary magnitudes (12.5, -3, 0.001).
QString formatDecimal(double value);

}  // namespace korvi
