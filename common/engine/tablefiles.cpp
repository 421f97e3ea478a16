#include "common/engine/tablefiles.h"

#include <QFileInfo>

#include "common/engine/asciitable.h"
#include "common/engine/filelookup.h"

namespace korvi::engine {

std::unique_ptr<TableReader> openTableFile(const QString& given) {
  // A table named with another case than the file on disk still opens.
  const QString found = findFileNoCase(given);
  const QString path = found.isEmpty() ? given : found;
  const QString ext = QFileInfo(path).suffix().toLower();
  if (ext == QLatin1String("dbf")) return openDbfTable(path);
  if (ext == QLatin1String("db")) return openParadoxTable(path);
  if (ext == QLatin1String("txt")) return openAsciiTable(path);
  throw EngineError(QStringLiteral("%1: table type not supported").arg(path), true);
}

std::unique_ptr<TableWriter> createTableFile(const QString& path, const QList<FieldDesc>& fields) {
  const QString ext = QFileInfo(path).suffix().toLower();
  if (ext == QLatin1String("dbf")) return createDbfTable(path, fields);
  if (ext == QLatin1String("db")) return createParadoxTable(path, fields);
  throw EngineError(QStringLiteral("%1: creating this table type is not supported").arg(path), true);
}

std::unique_ptr<TableReader> openAsciiTable(const QString& path) { return openAsciiTableFile(path); }

}  // namespace korvi::engine
