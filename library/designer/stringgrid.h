#pragma once
// The design grid of the designer window: 15 rows of text cells, row 0 and column 0 fixed.
// Cells are addressed (column, row) as the query document addresses them; row 0 and
// column 0 are drawn as header cells and cannot be edited in place.

#include <QPoint>
#include <QTableWidget>

namespace korvi::selq {

class TStringGridChamps : public QTableWidget {
  Q_OBJECT
 public:
  static constexpr int kRows = 15;
  static constexpr int kDefaultColumnWidth = 80;
  static constexpr int kRowHeight = 15;

  explicit TStringGridChamps(QWidget* parent = nullptr);

  QString cell(int column, int row) const;
  void setCell(int column, int row, const QString& text);
  int columnCountValue() const { return columnCount(); }
  void setColumnCountValue(int count);

  // Writes the row labels into column 0, right-aligned by leading spaces: each label is
  // padded until its pixel width is no longer less than the width of column 0 minus 10.
  void labelRows(const QStringList& labels);

  // Empties every cell from column 1 and row 1, then 2 columns and 15 rows.
  void clearQueryCells();
  // True when no query column has a "Champ" cell.
  bool hasNoField() const;
  // Deletes query column n (1 <= n < column count - 1); other numbers are ignored. Cells
  // move left, widths stay with their positions. Returns whether a column was deleted.
  bool deleteQueryColumn(int column);
  // The selection spans one whole column (rows 0 to the last), as after a right click on
  // its header cell; the column, else -1.
  int wholeSelectedColumn() const;
  void selectWholeColumn(int column);

  QPoint lastMousePosition() const { return lastMouse_; }

 signals:
  // A right click on a cell below row 0, or a double click (at the last mouse position).
  void cellPopupRequested(int column, int row, const QPoint& globalPos);
  // Delete without modifier on a cell.
  void deleteKeyPressed(int column, int row);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void styleFixedCell(QTableWidgetItem* item, int column, int row) const;
  QPoint lastMouse_;
};

}  // namespace korvi::selq
