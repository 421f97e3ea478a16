#pragma once
// SQL assembly: the SELECT statement of a query document, generated afresh on every call
// from the design grid, the tables of the query and the links of the relational model.
//
// The statement is a list of lines laid out by AppendFragment; hosts read it back line by
// line, so the line boundaries and spaces are part of the result. The generator shows no
// message of its own (an unknown field type reports through the document) and sets no
// cursor: the window that calls it shows the hourglass.

#include <QDate>
#include <QString>
#include <QStringList>

#include "library/sql/sqlwords.h"

namespace korvi {
class ModelFile;
}
namespace korvi::designer {
class QueryDocument;
}

namespace korvi::sql {

struct SqlOptions {
  bool uniqueRecords = false;  // SELECT DISTINCT ("UniqueRecords")
  bool countMode = false;      // the record-count statement: COUNT of column 1's field
  QDate today;                 // date of the today keyword; invalid: the current date
};

struct SqlStatement {
  QStringList lines;
  // Columns added at the end of the SELECT list only to bring tables without a grid column
  // into the statement (0 in count mode, which adds none).
  int extraColumnCount = 0;
  // Some criteria cell combined the and keyword with the or keyword.
  bool mixedAndOr = false;
};

// "T" + the table number of the column's table + "." + its field reference (quoted while
// field-name quoting is on); empty when the column has no table in the query.
QString columnReference(const designer::QueryDocument& document, int column);

// The join conditions of the query's tables from the model's links, one fragment per link
// and per query table holding the link's table file, joined by AND.
QStringList joinConditions(const designer::QueryDocument& document, const ModelFile& model);

// Builds the statement. The words are those of the language the grid was filled in.
SqlStatement BuildSQL(const designer::QueryDocument& document, const ModelFile& model, const SqlWords& words,
                      const SqlOptions& options = {});

// The statement's lines as the host reads them: current interface language, the process's
// "UniqueRecords" switch, today's date. Regenerated on every call.
QStringList CurrentSqlLines(const designer::QueryDocument& document, const ModelFile& model);

}  // namespace korvi::sql
