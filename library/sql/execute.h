#pragma once
// Running a query: validation, generation of the statement, the values of its parameter
// markers, execution through the engine, and the preparation of the result for display
// (record count, hidden extra columns, display labels).
//
// The executed query is an object the designer owns (make it a child of the designer
// window); the result window browses its result set and never closes it.

#include <QObject>
#include <QStringList>
#include <memory>

#include "common/engine/resultset.h"
#include "library/sql/validate.h"

namespace korvi::engine {
class Engine;
}

namespace korvi::sql {

// The statement last executed and, after success, its open result set.
class ExecutedQuery : public QObject {
  Q_OBJECT
 public:
  // Named "QueryOSQ" so that windows find it among the designer's children.
  explicit ExecutedQuery(QObject* parent = nullptr);
  ~ExecutedQuery() override;

  const QStringList& sql() const { return sql_; }
  void setSql(const QStringList& lines) { sql_ = lines; }

  // Runs the SQL text through the engine (the previous result is closed first). Throws
  // engine::EngineError; nothing is open after a failure.
  void open(engine::Engine& engine);
  // Closes the result set (its viewers hear of it first); the SQL text stays.
  void close();
  // Closes and empties the SQL text.
  void clear();
  bool isOpen() const { return result_ && result_->isOpen(); }
  // The open result set, or null.
  engine::ResultSet* resultSet() const { return isOpen() ? result_.get() : nullptr; }
  // Adopts a result made elsewhere (tests, other producers).
  void setResultSet(std::unique_ptr<engine::ResultSet> result);

 signals:
  // The result set is about to be closed or replaced: whoever browses it lets go now.
  void aboutToClose();

 private:
  QStringList sql_;
  std::unique_ptr<engine::ResultSet> result_;
};

// The record count of a result as the count statement finds it: the integer value of the
// first field of the first row. Throws engine::EngineError when the statement fails.
int countRecords(engine::Engine& engine, const QStringList& countLines);

// Hides the last `extraColumns` fields and gives the shown fields their display labels
// from the grid: the k-th field (from 0) belongs to the k-th shown column, left to right;
// an operation other than "Aucune" and "Regroupement" labels it "<operation> de <field>".
void prepareResultFields(engine::ResultSet& result, const designer::QueryDocument& document, const SqlWords& words,
                         int extraColumns);

// Validates the grid, generates the statement, asks for its parameters and executes it
// into `query`; the record count (korvi::recordCount) is set as the settings ask. Shows its
// own messages; engine failures never escape. With "Dump" on, a statement the engine
// refused is logged (failurelog.h). `engine` null: the process's engine.
bool ExecuteQuery(RunContext& context, ExecutedQuery& query, engine::Engine* engine = nullptr);

}  // namespace korvi::sql
