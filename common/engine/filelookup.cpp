#include "common/engine/filelookup.h"

#include <QDir>
#include <QFileInfo>

namespace korvi::engine {

QString findFileNoCase(const QString& path) {
  if (path.isEmpty()) return QString();
  const QFileInfo exact(path);
  if (exact.exists()) return exact.filePath();
  const QDir dir = exact.dir();
  if (!dir.exists()) return QString();
  const QString name = exact.fileName();
  // Prefer a regular file when several entries differ only by case.
  QString found;
  const QStringList entries = dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) != 0) continue;
    const QString candidate = dir.filePath(entry);
    if (QFileInfo(candidate).isFile()) return candidate;
    if (found.isEmpty()) found = candidate;
  }
  return found;
}

QString findCompanion(const QString& tablePath, const QString& suffix) {
  const QFileInfo info(tablePath);
  QString base = info.fileName();
  const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
  if (dot > 0) base.truncate(dot);
  return findFileNoCase(info.dir().filePath(base + suffix));
}

}  // namespace korvi::engine
