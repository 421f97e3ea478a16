#include "library/sql/sqllines.h"

namespace korvi::sql {

void AppendFragment(QStringList& lines, const QString& text) {
  if (lines.isEmpty()) lines.append(QString());
  if (lines.last().size() + text.size() > kMaxLineLength) lines.append(QString());
  QString& last = lines.last();
  last.reserve(last.size() + 1 + text.size());
  last += QLatin1Char(' ');
  last += text;
}

void chopLastLine(QStringList& lines, int count) {
  if (lines.isEmpty() || count <= 0) return;
  lines.last().chop(count);
}

}  // namespace korvi::sql
