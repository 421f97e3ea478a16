#include "library/sql/sqllines.h"

namespace korvi::sql {
namespace {

// Lines grow fragment by fragment up to the wrap length: give each its room once instead
// of reallocating at every fragment.
QString& roomFor(QStringList& lines, qsizetype size) {
  if (lines.isEmpty()) lines.append(QString());
  if (lines.last().size() + size > kMaxLineLength) lines.append(QString());
  QString& last = lines.last();
  const qsizetype needed = last.size() + 1 + size;
  if (last.capacity() < needed) last.reserve(std::max<qsizetype>(needed, kMaxLineLength + 1));
  return last;
}

}  // namespace

void AppendFragment(QStringList& lines, const QString& text) {
  QString& last = roomFor(lines, text.size());
  last += QLatin1Char(' ');
  last += text;
}

void AppendFragment(QStringList& lines, std::initializer_list<QStringView> pieces) {
  qsizetype size = 0;
  for (QStringView piece : pieces) size += piece.size();
  QString& last = roomFor(lines, size);
  last += QLatin1Char(' ');
  for (QStringView piece : pieces) last += piece;
}

void chopLastLine(QStringList& lines, int count) {
  if (lines.isEmpty() || count <= 0) return;
  lines.last().chop(count);
}

}  // namespace korvi::sql
