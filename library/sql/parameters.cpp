#include "library/sql/parameters.h"

#include <QRegularExpression>
#include <QTime>
#include <cmath>

#include "common/text/formats.h"
#include "common/text/messages.h"
#include "common/text/strings.h"
#include "library/designer/querydocument.h"
#include "library/sql/sqlwords.h"
#include "library/sql/validate.h"

namespace korvi::sql {
namespace {

const QLatin1String kMarkerStart("\"[");
const QString kSqlDateFormat = QStringLiteral("MM/dd/yyyy");

bool parseInteger(const QString& value, qint64 low, qint64 high, QString& out) {
  static const QRegularExpression digits(QStringLiteral("^[+-]?\\d+$"));
  const QString t = value.trimmed();
  if (!digits.match(t).hasMatch()) return false;
  bool ok = false;
  const qint64 n = t.toLongLong(&ok);
  if (!ok || n < low || n > high) return false;
  out = QString::number(n);
  return true;
}

bool parseReal(const QString& value, QString& out) {
  // A point is the only decimal separator; no group separators, no words like "inf".
  static const QRegularExpression real(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
  const QString t = value.trimmed();
  if (!real.match(t).hasMatch()) return false;
  bool ok = false;
  const double d = t.toDouble(&ok);
  if (!ok || !std::isfinite(d)) return false;
  out = t;
  return true;
}

// Hours, minutes and seconds, each of one or two digits, with exactly two colons.
bool parseTime(const QString& value) {
  static const QRegularExpression time(QStringLiteral("^(\\d{1,2}):(\\d{1,2}):(\\d{1,2})$"));
  const auto m = time.match(value);
  if (!m.hasMatch()) return false;
  return QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()).isValid();
}

// A time after the date of a date-time: hours and minutes, seconds optional.
bool parseDayTime(const QString& text, QTime& time) {
  static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));
  const auto m = re.match(text);
  if (!m.hasMatch()) return false;
  time = QTime(m.captured(1).toInt(), m.captured(2).toInt(), m.capturedLength(3) ? m.captured(3).toInt() : 0);
  return time.isValid();
}

}  // namespace

int parameterDescriptionId(QChar code) {
  switch (code.unicode()) {
    case 'S': return 50;
    case 'I': return 42;
    case 'L': return 43;
    case 'W': return 44;
    case 'B': return 45;
    case 'R':
    case '$':
    case '1': return 46;
    case 'T': return 47;
    case 'D': return 48;
    case 'H': return 49;
    default: return 0;
  }
}

QString parameterDescription(QChar code) {
  const int id = parameterDescriptionId(code);
  return id ? LoadText(id) : QString();
}

bool writesBare(QChar code) {
  switch (code.unicode()) {
    case 'I':
    case 'L':
    case 'W':
    case 'R':
    case '$':
    case '1': return true;
    default: return false;
  }
}

bool CheckParameterValue(QChar code, QString& value) {
  if (value.isEmpty()) return false;
  QString out;
  switch (code.unicode()) {
    case 'S': return true;
    case 'I':
      if (!parseInteger(value, -32768, 32767, out)) return false;
      break;
    case 'L':
      if (!parseInteger(value, -2147483648LL, 2147483647LL, out)) return false;
      break;
    case 'W':
      if (!parseInteger(value, 0, 65535, out)) return false;
      break;
    case 'B': {
      const CriteriaKeywords k = CriteriaKeywords::current();
      return value.compare(k.trueWord, Qt::CaseInsensitive) == 0 ||
             value.compare(k.falseWord, Qt::CaseInsensitive) == 0;
    }
    case 'R':
    case '$':
    case '1':
      if (!parseReal(value, out)) return false;
      break;
    case 'T':
      return parseTime(value);
    case 'D': {
      // Typed in the user's short date order; the statement wants month/day/year. The year
      // is written with four digits so that the engine reads the same century.
      const QDate d = parseShortDate(value);
      if (!d.isValid()) return false;
      out = d.toString(kSqlDateFormat);
      break;
    }
    case 'H': {
      // A date, or a date and a time separated by one space.
      const qsizetype space = value.indexOf(QLatin1Char(' '));
      const QDate d = parseShortDate(space < 0 ? value : value.left(space));
      if (!d.isValid()) return false;
      if (space < 0) {
        out = d.toString(kSqlDateFormat);
        break;
      }
      const QString rest = value.mid(space + 1);
      QTime t;
      if (rest.size() < 5 || !parseDayTime(rest, t)) return false;
      out = d.toString(kSqlDateFormat) + QLatin1Char(' ') + t.toString(QStringLiteral("HH:mm:ss"));
      break;
    }
    default: return false;
  }
  value = out;
  return true;
}

QString statementValue(QChar code, const QString& checkedValue) {
  if (code == QLatin1Char('B')) {
    const bool isTrue = checkedValue.compare(CriteriaKeywords::current().trueWord, Qt::CaseInsensitive) == 0;
    return isTrue ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
  }
  // Text goes between the marker's double quotes: a quote typed in it is doubled, so the
  // value stays one literal whatever it holds.
  if (code == QLatin1Char('S')) return QString(checkedValue).replace(QLatin1String("\""), QLatin1String("\"\""));
  return checkedValue;
}

bool hasParameterMarkers(const designer::QueryDocument& document) {
  for (int c = 1; c < document.columnCount(); ++c)
    for (int r = designer::gridrow::kFirstCriteria; r <= designer::gridrow::kLast; ++r)
      if (document.cell(c, r).contains(kMarkerStart)) return true;
  return false;
}

bool ResolveParameters(QStringList& lines) {
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QString line = lines[i];
    qsizetype from = 0;
    for (;;) {
      const qsizetype quote = line.indexOf(kMarkerStart, from);
      if (quote < 0) break;
      const qsizetype open = quote + 1;
      const qsizetype close = line.indexOf(QLatin1Char(']'), open + 1);
      if (close < 0) {
        lines[i] = line;
        ShowMessageBox(LoadText(runtext::kParameterLine) + QString::number(i + 1) + QLatin1Char('.'), MsgKind::Error,
                       mbOK, mbOK);
        return false;
      }
      const QString body = line.mid(open + 1, close - open - 1);  // code, "|", prompt
      if (body.size() < 2 || body[1] != QLatin1Char('|')) {
        lines[i] = line;
        ShowMessageBox(LoadText(runtext::kMissingBar), MsgKind::Error, mbOK, mbOK);
        return false;
      }
      const QChar code = body[0].toUpper();
      const QString prompt = body.mid(2);

      QString value;
      for (;;) {
        if (!AskText(LoadText(runtext::kParameterCaption), prompt, value)) {
          ShowMessageBox(LoadText(runtext::kParametersCancelled), MsgKind::Information, mbOK, mbOK);
          return false;
        }
        QString checked = value;
        if (CheckParameterValue(code, checked)) {
          value = checked;
          break;
        }
        const QString question = fillPlaceholders(LoadText(runtext::kWrongValue), {parameterDescription(code)});
        if (ShowMessageBox(question, MsgKind::Information, mbYes | mbNo, mbYes) != mrYes) {
          ShowMessageBox(LoadText(runtext::kParametersCancelled), MsgKind::Information, mbOK, mbOK);
          return false;
        }
      }

      // Replace the brackets and what they hold; numeric values also lose the quotes.
      qsizetype start = open;
      qsizetype end = close + 1;  // one past "]"
      if (writesBare(code)) {
        start = quote;
        if (end < line.size() && line[end] == QLatin1Char('"')) ++end;
      }
      const QString written = statementValue(code, value);
      line.replace(start, end - start, written);
      from = start + written.size();
    }
    lines[i] = line;
  }
  return true;
}

}  // namespace korvi::sql
