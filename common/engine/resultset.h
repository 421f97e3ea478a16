#pragma once
// The result of an executed SELECT, materialised as a temporary table of the cache
// connection in the order the statement delivered its rows. The cursor is a row position:
// moving is free, the row count is exact, and rows are read from the table when asked for
// (one row, or one page for a grid), so a result of any size browses in constant memory.

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

#include "common/engine/types.h"

struct sqlite3_stmt;

namespace korvi::engine {

class SqliteCache;
class SqliteStatement;

struct ResultField {
  QString name;  // the column name the statement gave it
  FieldType type = FieldType::ftUnknown;
  int size = 0;
  int decimals = 0;
  // Set by the execution step: hidden columns take part in nothing shown, saved or printed.
  bool visible = true;
  QString label;  // display label; the name unless the execution step sets another
  QString displayName() const { return label.isEmpty() ? name : label; }
};

class ResultSet {
 public:
  // Runs `selectSql` (one read-only statement) on the cache connection and stores its rows.
  // `fields` name and type the columns; when empty they are taken from the statement, typed
  // by their stored values. Throws EngineError (a statement that writes is refused).
  static std::unique_ptr<ResultSet> fromSelect(std::shared_ptr<SqliteCache> cache, const QString& selectSql,
                                               QList<ResultField> fields = {});
  // Stores the rows a producer hands to its sink (engine value forms, one row at a time).
  using RowSink = std::function<void(Row&)>;
  static std::unique_ptr<ResultSet> fromRows(std::shared_ptr<SqliteCache> cache, QList<ResultField> fields,
                                             const std::function<void(const RowSink&)>& produce);
  ~ResultSet();
  ResultSet(const ResultSet&) = delete;
  ResultSet& operator=(const ResultSet&) = delete;

  // Releases the temporary table. Any later read throws EngineError.
  void close();
  bool isOpen() const { return open_; }

  int fieldCount() const { return int(fields_.size()); }
  const QList<ResultField>& fields() const { return fields_; }
  const ResultField& field(int index) const;
  // Position of a field by name (without regard to case); -1 when none.
  int fieldIndex(const QString& name) const;
  void setFieldVisible(int index, bool visible);
  void setFieldLabel(int index, const QString& label);

  qint64 rowCount() const { return count_; }
  bool isEmpty() const { return count_ == 0; }

  // Navigation with the usual data-set rules: first() sets bof, last() sets eof; next() on
  // the last row and prior() on the first row set eof / bof and stay on that row; any move
  // onto a row clears the flag it moves away from. An empty set is at both ends.
  void first();
  void last();
  void next();
  void prior();
  bool bof() const { return bof_; }
  bool eof() const { return eof_; }
  // 1-based number of the current row; 0 when the set is empty.
  qint64 recNo() const { return count_ == 0 ? 0 : pos_ + 1; }
  // Moves to row recNo (1-based); false (not moved) when out of range.
  bool moveTo(qint64 recNo);

  // The current row's value of a field, in its engine form (null for an empty set).
  QVariant value(int index) const;
  QVariant value(const QString& name) const;
  // The current row's value as display text.
  QString displayText(int index) const;
  Row currentRow() const;

  // Up to `count` rows starting at row `first` (0-based), in engine value forms.
  QList<Row> fetchRows(qint64 first, int count) const;

 private:
  ResultSet(std::shared_ptr<SqliteCache> cache, QList<ResultField> fields);
  void createTable();
  void finishLoad(qint64 rows);
  void checkOpen() const;
  void checkField(int index) const;
  Row readRow(sqlite3_stmt* st) const;
  void loadCurrent() const;

  std::shared_ptr<SqliteCache> cache_;
  QList<ResultField> fields_;
  QString table_;
  bool open_ = false;
  qint64 count_ = 0;
  qint64 pos_ = 0;
  bool bof_ = true;
  bool eof_ = true;
  std::unique_ptr<SqliteStatement> rowQuery_;
  std::unique_ptr<SqliteStatement> pageQuery_;
  mutable Row current_;
  mutable qint64 currentPos_ = -1;
};

// Display text of an engine value: strings as they are, numbers with "." (shortest exact
// form; currency with 2 decimals), "True"/"False", dates in the user's short date format
// (French dd/mm/yyyy, English mm/dd/yyyy), times HH:MM:SS; empty for null.
QString displayText(const QVariant& value, FieldType type);

// An engine value from the storage form of a column of a stepped statement.
QVariant fromStorage(sqlite3_stmt* st, int column, FieldType type);

}  // namespace korvi::engine
