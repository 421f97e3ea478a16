#pragma once
// The query document of the designer: the design grid (15 rows by N columns, row 0 and
// column 0 fixed, the last column always a spare one), the tables of the query with their
// numbers, and the document state. Windows show it and forward the user's actions to it;
// it never opens a dialog, it reports through the message interface.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "common/engine/types.h"
#include "library/designer/cellvocabulary.h"
#include "library/designer/querytable.h"

namespace korvi::designer {

// Which tool bar commands are available, after every change in the number of tables.
struct ToolbarState {
  bool newQuery = false;
  bool save = false;
  bool saveAs = false;
  bool deleteColumn = false;
  bool clearCriteria = false;
  bool execute = false;
  bool addTable = true;
  bool removeTable = false;
  bool operator==(const ToolbarState&) const = default;
};

// A rectangle of selected cells, inclusive.
struct GridSelection {
  int left = 1;
  int top = 1;
  int right = 1;
  int bottom = 1;
  bool operator==(const GridSelection&) const = default;
};

// What a change touched, for the views that show the document.
enum class DocumentChange { Grid, Tables, State };

class QueryDocument {
 public:
  // Pixel width of a text in the designer's font.
  using TextWidth = std::function<int(const QString&)>;

  static constexpr int kRowCount = gridrow::kCount;
  static constexpr int kDefaultColumnWidth = 80;
  static constexpr int kRowHeight = 15;
  static constexpr int kMaxCriteriaLength = 255;

  // Without a measuring function, texts are taken as 6 pixels a character.
  using Listener = std::function<void(DocumentChange)>;

  explicit QueryDocument(TextWidth textWidth = {});
  ~QueryDocument();
  QueryDocument(const QueryDocument&) = delete;
  QueryDocument& operator=(const QueryDocument&) = delete;

  // Views register to hear of changes; the id removes the listener again.
  int addListener(Listener listener);
  void removeListener(int id);

  void setTextWidth(TextWidth textWidth);
  int textWidth(const QString& text) const;

  // ---- The grid ----
  int columnCount() const { return static_cast<int>(cells_.size()); }
  int rowCount() const { return kRowCount; }
  int spareColumn() const { return columnCount() - 1; }
  // Grows with empty columns of the default width or drops columns from the right; never
  // below 2 (the label column and the spare one).
  void setColumnCount(int count);
  // Empty outside the grid.
  QString cell(int column, int row) const;
  // Writes a cell of columns 1 onwards and rows 1 onwards (the fixed cells belong to the
  // document); false for any other cell. No word rule is applied: loading writes cells this
  // way. Text written into the spare column appends a new spare one.
  bool setCell(int column, int row, const QString& text);
  int columnWidth(int column) const;
  // Widths belong to column positions. Changing the width of column 0 relabels the rows.
  void setColumnWidth(int column, int width);

  // Writes the row labels into column 0, each prefixed with spaces until its width is no
  // longer less than the width of column 0 minus 10.
  void labelRows();
  static QString alignedLabel(const QString& text, int columnWidth, const TextWidth& measure);

  RowKind rowKind(int column, int row) const;
  // A query column (1 to the spare one) whose "Champ" cell is set.
  bool columnHasField(int column) const;
  // Every cell of the column, rows 0 to 14, is empty (true outside the grid).
  bool isColumnEmpty(int column) const;
  // No query column holds a field and no table is in the query.
  bool isEmpty() const;

  // ---- Cell choices (popups, criteria editor, Delete key) ----
  // Only on columns holding a field. Sorting, or an operation other than "Aucune", shows the
  // column. Orders and operations that the field's type excludes are refused.
  bool setSort(int column, SortOrder order);
  bool setOperation(int column, Operation operation);
  // Hiding is refused, with message 82 when the column aggregates and then message 83 when
  // it sorts, and the column stays shown.
  bool setShown(int column, bool shown);
  // A criteria line (rows 6 to 14) of a column holding a field; refused above 255 characters.
  bool setCriteria(int column, int row, const QString& text);
  // After the criteria editor accepted a cell: without the fixed-width option, a column
  // narrower than the cell's text width minus 5 becomes the text width plus 5.
  void fitColumnToCell(int column, int row, bool fixedWidth);
  // Empties a criteria cell of a query column; true when it held something.
  bool clearCriteriaCell(int column, int row);

  // ---- Current cell and selection, mirrored by the grid view ----
  int currentColumn() const { return currentColumn_; }
  int currentRow() const { return currentRow_; }
  void setCurrentCell(int column, int row);
  const GridSelection& selection() const { return selection_; }
  void setSelection(const GridSelection& selection);
  // Selects one column from row 0 to the last (a right click on its header cell).
  void selectWholeColumn(int column);
  // The selection is one column whose height is the row count minus 1, as after
  // selectWholeColumn; the column the delete-column command then takes.
  bool selectionIsWholeColumn() const;

  // ---- Column operations ----
  // Columns 1 to the column count minus 2 only (the spare column stays); other numbers are
  // ignored. Cells move left, widths stay with their positions.
  bool deleteColumn(int column);
  // The user dragged a column from one position to another (1 to the spare column): its
  // cells and width move, empty columns left behind are removed and a spare one is kept last.
  void moveColumn(int from, int to, bool fixedWidth);
  // A drag from a table's field list is accepted over a query column or the spare column,
  // from a non-empty list of a table of this query.
  bool canDrop(int column, const QueryTable* source) const;
  // The drag moves over a column: when accepted, selects it from row 1 down and marks the
  // query modified.
  bool dragOver(int column, const QueryTable* source);
  // Drops a field: the column is replaced by the field with its table, "Non trié",
  // "Afficher", "Aucune" and no criteria; a spare column is kept last. False when refused.
  bool dropField(int column, const QueryTable& source, const QString& displayName, bool fixedWidth);
  // A double-click on a field: it fills the spare column. Returns that column, -1 if refused.
  int appendField(const QueryTable& source, const QString& displayName, bool fixedWidth);
  // Empties every cell of columns 1 onwards and rows 1 onwards and leaves the label column
  // and one spare column; the tables stay. Marks the query modified.
  void clearGrid();

  // ---- Tables of the query ----
  int tableCount() const { return static_cast<int>(tables_.size()); }
  // In the order they were opened. The records stay at their address while in the query.
  QList<QueryTable*> tables();
  QList<const QueryTable*> tables() const;
  QueryTable* tableByNumber(int number);
  const QueryTable* tableByNumber(int number) const;
  // The table whose long name equals the column's "Table" cell.
  QueryTable* tableOfColumn(int column);
  const QueryTable* tableOfColumn(int column) const;
  const QueryTable* tableNamed(const QString& longName) const;
  // Adds a table with the next table number (which then increases) and marks the query
  // modified. Returns the record now owned by the document.
  QueryTable& addTable(QueryTable table);
  // Removes a table and every grid column that uses it, marks the query modified and
  // renumbers the remaining tables. False when no table has that number.
  bool removeTable(int number);
  // Numbers the tables 1, 2, ... keeping their order by number; the next number becomes
  // their count plus 1.
  void renumberTables();
  int nextTableNumber() const { return nextTableNumber_; }
  void setNextTableNumber(int number);
  // Long names, table names and locations of the tables, in the order they were opened.
  QStringList longNames() const;
  QStringList tableNames() const;
  QStringList locations() const;

  // The field of a column, looked up quietly; null when the column has none or its table
  // does not list it.
  const QueryField* fieldOfColumn(int column) const;
  // The field type of a column; message 105 and ftUnknown when the column's field is not in
  // its table's field list (ftUnknown without a message for a column without a field).
  engine::FieldType typeCode(int column) const;
  // The physical field name, in double quotes while field-name quoting is on; empty when
  // the column has no table.
  QString realFieldName(int column) const;

  // ---- Document state ----
  const QString& fileName() const { return fileName_; }
  void setFileName(const QString& fileName);
  bool isModified() const { return modified_; }
  void setModified(bool modified);
  bool fieldNameQuoting() const { return quoting_; }
  void setFieldNameQuoting(bool quoting);
  // "Korvi Selectra - (Sans nom)" for an unnamed query, else the product name and the file
  // name part.
  QString caption() const;
  ToolbarState toolbarState(bool allowSave) const;

  // Removes every table and empties the grid to the label column and one spare column; the
  // query is unnamed, quotes field names and numbers its next table 1. The modified flag is
  // left to the caller.
  void emptyQuery();
  // Empties the query and clears the modified flag.
  void newQuery();

 private:
  void notify(DocumentChange change) const;
  void gridChanged() const { notify(DocumentChange::Grid); }
  void tablesChanged() const { notify(DocumentChange::Tables); }
  void stateChanged() const { notify(DocumentChange::State); }

  bool validQueryColumn(int column) const { return column >= 1 && column < columnCount(); }
  void removeColumnAt(int column);
  void appendSpareColumn();
  void resetGrid();
  void placeField(int column, const QueryTable& source, const QString& displayName, bool fixedWidth);
  bool isAggregating(int column) const;
  bool isSorting(int column) const;

  TextWidth textWidth_;
  QList<QStringList> cells_;  // cells_[column][row]
  QList<int> widths_;
  std::vector<std::unique_ptr<QueryTable>> tables_;
  int nextTableNumber_ = 1;
  QString fileName_;
  bool modified_ = false;
  bool quoting_ = true;
  int currentColumn_ = 1;
  int currentRow_ = 1;
  GridSelection selection_;
  std::vector<std::pair<int, Listener>> listeners_;
  int nextListenerId_ = 1;
};

}  // namespace korvi::designer
