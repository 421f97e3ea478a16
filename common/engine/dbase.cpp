#include "common/engine/tablefiles.h"

namespace korvi::engine {

std::unique_ptr<TableReader> openDbfTable(const QString& path) {
  throw EngineError(QStringLiteral("%1: table format not supported yet").arg(path), true);
}

std::unique_ptr<TableWriter> createDbfTable(const QString& path, const QList<FieldDesc>&) {
  throw EngineError(QStringLiteral("%1: table format not supported yet").arg(path), true);
}

}  // namespace korvi::engine
