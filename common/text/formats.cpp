#include "common/text/formats.h"

#include <QLocale>
#include <QStringList>

#include "common/text/strings.h"

namespace korvi {
namespace {

Formats& state() {
  static Formats current;
  return current;
}

// The first separator character of a Qt time pattern ("HH:mm:ss" gives ':').
QChar separatorOfTimePattern(const QString& pattern) {
  for (const QChar c : pattern) {
    if (c.isLetter() || c.isSpace() || c == QLatin1Char('\'')) continue;
    return c;
  }
  return QLatin1Char(':');
}

bool allDigits(const QString& text) {
  if (text.isEmpty()) return false;
  for (const QChar c : text)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  return true;
}

// A two-digit year is placed in the century window around the current year.
int expandYear(int year, int digits) {
  if (digits > 2) return year;
  const int now = QDate::currentDate().year();
  int full = (now / 100) * 100 + year;
  if (full > now + 50) full -= 100;
  else if (full <= now - 50) full += 100;
  return full;
}

}  // namespace

const Formats& formats() { return state(); }

void startFormats() {
  Formats f;
  const QLocale system = QLocale::system();
  const QString decimal = system.decimalPoint();
  f.userDecimalSeparator = decimal.isEmpty() ? QLatin1Char('.') : decimal.front();
  f.timeSeparator = separatorOfTimePattern(system.timeFormat(QLocale::LongFormat));
  f.dayFirst = language().french;
  const QString sep(f.dateSeparator);
  f.shortDateFormat = f.dayFirst ? QStringLiteral("dd") + sep + QStringLiteral("MM") + sep + QStringLiteral("yyyy")
                                 : QStringLiteral("MM") + sep + QStringLiteral("dd") + sep + QStringLiteral("yyyy");
  const QString tsep(f.timeSeparator);
  f.longTimeFormat = QStringLiteral("hh") + tsep + QStringLiteral("mm") + tsep + QStringLiteral("ss");
  state() = f;
}

ScopedFormats::ScopedFormats(const Formats& temporary) : saved_(state()) { state() = temporary; }

ScopedFormats::~ScopedFormats() { state() = saved_; }

QString formatShortDate(const QDate& date) {
  if (!date.isValid()) return QString();
  return QLocale::c().toString(date, state().shortDateFormat);
}

QDate parseShortDate(const QString& text) {
  const QStringList parts = text.trimmed().split(state().dateSeparator);
  if (parts.size() != 3) return QDate();
  for (const QString& p : parts)
    if (!allDigits(p)) return QDate();
  const QString& dayText = state().dayFirst ? parts[0] : parts[1];
  const QString& monthText = state().dayFirst ? parts[1] : parts[0];
  const QString& yearText = parts[2];
  if (dayText.size() > 2 || monthText.size() > 2 || yearText.size() > 4) return QDate();
  const int year = expandYear(yearText.toInt(), int(yearText.size()));
  return QDate(year, monthText.toInt(), dayText.toInt());
}

QString formatDecimal(double value) {
  QString text = QString::number(value, 'g', 15);
  if (state().decimalSeparator != QLatin1Char('.')) text.replace(QLatin1Char('.'), state().decimalSeparator);
  return text;
}

}  // namespace korvi
