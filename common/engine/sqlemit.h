#pragma once
// Writes a resolved SELECT for a backend. What differs between backends (quoting, literal
// forms, LIKE, date arithmetic) sits behind SqlDialect; the walk over the tree is shared.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>

#include "common/engine/sqlast.h"
#include "common/engine/sqlresolve.h"

namespace korvi::engine {

class SqlDialect {
 public:
  virtual ~SqlDialect() = default;
  // A quoted identifier that no name can break out of.
  virtual QString quoteIdentifier(const QString& name) const;
  // The table to read: schema-qualified when a schema is given.
  virtual QString tableName(const SqlTableRef& table) const;
  virtual QString stringLiteral(const QString& text) const = 0;
  virtual QString dateLiteral(const QDate& date) const = 0;
  virtual QString timeLiteral(const QTime& time) const = 0;
  virtual QString dateTimeLiteral(const QDateTime& dateTime) const = 0;
  virtual QString booleanLiteral(bool value) const = 0;
  // lhs LIKE pattern, case-sensitive, with % and _ as the only wildcards.
  virtual QString like(const QString& lhs, const QString& pattern, bool negated) const = 0;
  // A date (type ftDate) or date-time (ftDateTime) expression moved by a number of days.
  virtual QString addDays(const QString& expr, FieldType type, qint64 days) const = 0;
};

// SQLite over the cache database: dates and times as ISO texts, logical values 0/1.
class SqliteDialect : public SqlDialect {
 public:
  QString stringLiteral(const QString& text) const override;
  QString dateLiteral(const QDate& date) const override;
  QString timeLiteral(const QTime& time) const override;
  QString dateTimeLiteral(const QDateTime& dateTime) const override;
  QString booleanLiteral(bool value) const override;
  QString like(const QString& lhs, const QString& pattern, bool negated) const override;
  QString addDays(const QString& expr, FieldType type, qint64 days) const override;
};

// PostgreSQL: typed DATE/TIME/TIMESTAMP literals, TRUE/FALSE, escape strings.
class PostgresDialect : public SqlDialect {
 public:
  QString tableName(const SqlTableRef& table) const override;
  QString stringLiteral(const QString& text) const override;
  QString dateLiteral(const QDate& date) const override;
  QString timeLiteral(const QTime& time) const override;
  QString dateTimeLiteral(const QDateTime& dateTime) const override;
  QString booleanLiteral(bool value) const override;
  QString like(const QString& lhs, const QString& pattern, bool negated) const override;
  QString addDays(const QString& expr, FieldType type, qint64 days) const override;
};

struct SqlCompiled {
  QString sql;                      // one statement, no trailing ";"
  QList<SqlOutputColumn> columns;   // in select-list order; the statement names them AS these
  QList<SqlTableRef> tables;        // the FROM list as resolved
};

// Emits a resolved statement.
SqlCompiled emitSqlSelect(const SqlSelect& select, const SqlDialect& dialect);

// Parse, resolve and emit in one step. Every failure is an EngineError.
SqlCompiled compileSqlSelect(const QString& text, SqlTableResolver& resolver, const SqlDialect& dialect);

}  // namespace korvi::engine
