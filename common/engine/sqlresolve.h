#pragma once
// Resolution of a parsed SELECT: tables, aliases and fields are looked up (without regard to
// case) and every literal is checked against the field it is compared with.

#include <QList>
#include <QString>

#include "common/engine/sqlast.h"

namespace korvi::engine {

struct SqlResolvedTable {
  QList<FieldDesc> fields;  // in physical order
  QString sqlName;          // the backend table (for SQLite: the cache table of the file)
  QString sqlSchema;        // backend schema; empty for none
};

// Implemented by the executing side: finds (and, for local files, imports) a table of the
// FROM list. An unknown or unreadable table throws EngineError naming it.
class SqlTableResolver {
 public:
  virtual ~SqlTableResolver() = default;
  virtual SqlResolvedTable resolveTable(const SqlTableRef& ref) = 0;
};

// Fills in the resolution fields of the tree. Throws EngineError for an unknown or duplicate
// alias, an unknown or ambiguous field, a type mismatch (naming the field and the literal),
// an invalid date or time, or an aggregate over a field type it cannot take.
void resolveSqlSelect(SqlSelect& select, SqlTableResolver& resolver);

// The result columns of a resolved statement, named and typed (see SqlOutputColumn).
QList<SqlOutputColumn> sqlOutputColumns(const SqlSelect& select);

}  // namespace korvi::engine
