#pragma once
// Syntax tree of the engine's local SQL: one SELECT statement as the designer generates it.
// The parser builds the tree, resolution fills in the tables, fields and literal values,
// and an emitter (one per backend dialect) writes it out again.

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>
#include <QVariant>
#include <memory>
#include <vector>

#include "common/engine/types.h"

namespace korvi::engine {

// Where a token starts in the statement text: 1-based line and column, 0-based offset.
struct SqlPos {
  int line = 1;
  int column = 1;
  int offset = 0;
};

// A table of the FROM list: a double-quoted file path ("/data/clients.dbf",
// "C:\DONNEES\CLIENTS.DB") or an engine alias and a table name (":DEMO:clients.db").
struct SqlTableRef {
  QString text;           // the reference as written, without its quotes
  QString databaseAlias;  // alias form: the alias between the colons; empty for a path
  QString tableName;      // alias form: the table name after the second colon; path form: the path
  QString alias;          // the correlation name (T1, T2, ...); empty when none was written
  SqlPos pos;
  bool isAliasForm() const { return !databaseAlias.isEmpty(); }

  // Filled by resolution.
  QList<FieldDesc> fields;  // the table's fields in physical order
  QString sqlName;          // the backend table to query (the SQLite cache table, ...)
  QString sqlSchema;        // backend schema, empty for none
};

// T1."NOM", T1.NOM or an unqualified NOM.
struct SqlFieldRef {
  QString qualifier;  // the alias as written; empty when unqualified
  QString name;       // the field name as written
  SqlPos pos;

  // Filled by resolution.
  int table = -1;  // index into SqlSelect::from
  int field = -1;  // index into that table's fields
  FieldDesc desc;  // the field as the table describes it (canonical name)
};

// An operand of a condition.
struct SqlValue {
  enum class Kind {
    Field,    // a field reference
    String,   // a double-quoted literal: a string, date, time, date-time or logical value,
              // decided by the field it is compared with
    Number,   // a numeric literal (with its sign)
    Logical,  // the bare keywords TRUE / FALSE
    AddDays,  // base + (days): a date or date-time plus a number of days
  };
  Kind kind = Kind::String;
  SqlPos pos;
  SqlFieldRef field;              // Field
  QString text;                   // String (unquoted content), Number (digits), Logical
  std::unique_ptr<SqlValue> base; // AddDays
  qint64 days = 0;                // AddDays

  // Filled by resolution for every kind but Field (and AddDays over a field): the literal's
  // value in its engine form (QString, qint64, double, bool, QDate, QTime, QDateTime) and the
  // field type whose storage form the emitter must write it in.
  QVariant value;
  FieldType valueType = FieldType::ftUnknown;
};

struct SqlCondition {
  enum class Kind { And, Or, Not, Compare, Like, IsNull };
  Kind kind = Kind::Compare;
  SqlPos pos;
  std::vector<std::unique_ptr<SqlCondition>> children;  // And, Or (two or more), Not (one)
  QString op;                                           // Compare: = <> < > <= >=
  bool negated = false;                                 // NOT LIKE, IS NOT NULL
  std::unique_ptr<SqlValue> lhs, rhs;                   // Compare, Like (IsNull: lhs only)
};

enum class SqlAggregate { None, Count, Sum, Min, Max, Avg };

// One item of the select list.
struct SqlSelectItem {
  SqlAggregate aggregate = SqlAggregate::None;
  bool star = false;           // COUNT(*)
  bool distinctArg = false;    // COUNT(DISTINCT ...)
  SqlFieldRef field;           // the field (unless star)
  SqlPos pos;
};

struct SqlOrderItem {
  int position = 0;  // ORDER BY 2: 1-based position in the select list; 0 when by field
  SqlFieldRef field;
  bool descending = false;
  SqlPos pos;
};

struct SqlSelect {
  bool distinct = false;
  bool selectAll = false;  // SELECT *
  std::vector<SqlSelectItem> items;
  std::vector<SqlTableRef> from;
  std::unique_ptr<SqlCondition> where;  // null when there is no WHERE clause
  std::vector<SqlFieldRef> groupBy;
  std::vector<SqlOrderItem> orderBy;
};

// One column of the result as the emitted statement names it, with the type and size in
// which its backend values are to be read back.
struct SqlOutputColumn {
  QString name;  // "NOM", "SUM OF MONTANT", "COUNT", made unique with a suffix
  FieldType type = FieldType::ftUnknown;
  int size = 0;
  int decimals = 0;
  SqlAggregate aggregate = SqlAggregate::None;
  int table = -1;         // index into SqlSelect::from of the source field; -1 for COUNT(*)
  QString sourceField;    // the source field's name; empty for COUNT(*)
  bool operator==(const SqlOutputColumn&) const = default;
};

}  // namespace korvi::engine
