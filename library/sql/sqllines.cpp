#include "library/sql/sqllines.h"

namespace korvi::sql {

void AppendFragment(QStringList& lines, const QString& text) {
  if (lines.isEmpty()) lines.append(QString());
  if (lines.last().size() + text.size() > kMaxLineLength) lines.append(QString());
  QString& last = lines.last();
  last += QLatin1Char(' ');
  last += text;
}

void AppendFragment(QStringList& lines, std::initializer_list<QStringView> pieces) {
  qsizetype size = 0;
  for (QStringView piece : pieces) size += piece.size();
  if (lines.isEmpty()) lines.append(QString());
  if (lines.last().size() + size > kMaxLineLength) lines.append(QString());
  QString& last = lines.last();
  last += QLatin1Char(' ');
  for (QStringView piece : pieces) last += piece;
}

void chopLastLine(QStringList& lines, int count) {
  if (lines.isEmpty() || count <= 0) return;
  lines.last().chop(count);
}

}  // namespace korvi::sql
