#include "common/text/strings.h"

#include <QFile>

#include "common/text/messages.h"

namespace korvi {
namespace {

Language& languageState() {
  static Language state;
  return state;
}

StringTable& tableState() {
  static StringTable table;
  return table;
}

bool& missingReport() {
  static bool enabled = true;
  return enabled;
}

bool unescapeQuoted(QByteArrayView body, QByteArray& out) {
  out.clear();
  for (qsizetype i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (c != '\\') {
      out.append(c);
      continue;
    }
    if (++i >= body.size()) return false;
    switch (body[i]) {
      case 'n': out.append('\n'); break;
      case 't': out.append('\t'); break;
      case 'r': out.append('\r'); break;
      case '"': out.append('"'); break;
      case '\\': out.append('\\'); break;
      default: return false;
    }
  }
  return true;
}

}  // namespace

const Language& language() { return languageState(); }

bool setLanguage(int value) {
  const bool inRange = value == 1 || value == 2;
  Language& l = languageState();
  l.language = inRange ? value : 2;
  l.french = l.language == 1;
  l.english = l.language == 2;
  l.offset = (l.language - 1) * 2000;
  l.code = l.french ? QStringLiteral("FR") : QStringLiteral("US");
  return inRange;
}

bool StringTable::parse(const QByteArray& data, QString* error) {
  texts_.clear();
  int lineNo = 0;
  // A table saved by an editor that writes a UTF-8 byte order mark still parses.
  const QByteArray body = data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data;
  for (const QByteArray& raw : body.split('\n')) {
    ++lineNo;
    const QByteArrayView trimmed = QByteArrayView(raw).trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith('#')) continue;
    qsizetype i = 0;
    while (i < trimmed.size() && trimmed[i] >= '0' && trimmed[i] <= '9') ++i;
    const QByteArrayView digits = trimmed.first(i);
    QByteArrayView rest = trimmed.sliced(i).trimmed();
    QByteArray text;
    bool ok = !digits.isEmpty() && rest.size() >= 2 && rest.startsWith('"') && rest.endsWith('"') &&
              unescapeQuoted(rest.sliced(1, rest.size() - 2), text);
    const int number = ok ? digits.toInt(&ok) : 0;
    if (!ok || texts_.contains(number)) {
      if (error) *error = QStringLiteral("line %1: %2").arg(lineNo).arg(ok ? QStringLiteral("number given twice") : QStringLiteral("not <number> \"text\""));
      texts_.clear();
      return false;
    }
    texts_.insert(number, QString::fromUtf8(text));
  }
  return true;
}

bool StringTable::loadFile(const QString& path, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = QStringLiteral("cannot open %1").arg(path);
    return false;
  }
  return parse(f.readAll(), error);
}

bool installStringTable(const QString& path) {
  StringTable table;
  if (!table.loadFile(path)) return false;
  tableState() = std::move(table);
  return true;
}

const StringTable& stringTable() { return tableState(); }

void setMissingTextReport(bool enabled) { missingReport() = enabled; }

}  // namespace korvi

QString LoadText(int number) {
  using namespace korvi;
  const int wanted = number + language().offset;
  const StringTable& table = stringTable();
  if (table.contains(wanted)) return table.value(wanted);
  const QString fallback = table.value(number);
  if (missingReport())
    ShowPlainMessage(QStringLiteral("String Table #%1 missing.").arg(wanted));
  return fallback;
}
