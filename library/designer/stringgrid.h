#pragma once
// The design grid widget: a view of the query document's grid (15 rows, row 0 and
// column 0 fixed). Cells are addressed (column, row) as the document addresses them. The
// widget shows the document's cells and widths and mirrors the current cell, the
// selection and the user's column widths back into the document; every change of the
// content goes through the document.

#include <QPoint>
#include <QTableWidget>

class QMimeData;

namespace korvi::designer {
class QueryDocument;
struct QueryTable;
}

namespace korvi::selq {

class TStringGridChamps : public QTableWidget {
  Q_OBJECT
 public:
  // Drag format of a field dragged from a table window: UTF-8 text "<long name of the
  // table>\n<display name of the field>".
  static constexpr char kFieldMimeType[] = "application/x-korvi-field";
  static QMimeData* fieldMimeData(const QString& tableLongName, const QString& displayName);

  explicit TStringGridChamps(QWidget* parent = nullptr);
  ~TStringGridChamps() override;

  void setDocument(designer::QueryDocument* document);
  designer::QueryDocument* document() const { return doc_; }

  // The text shown in a cell (empty outside the grid).
  QString cell(int column, int row) const;
  QPoint lastMousePosition() const { return lastMouse_; }

  // The document must outlive the widget or be detached with setDocument(nullptr).
  // Shows the document's cells, column count and widths again.
  void refresh();

 signals:
  // A right click on a cell below row 0, or a double click (at the last mouse position).
  void cellPopupRequested(int column, int row, const QPoint& globalPos);
  // Delete without modifier on the current cell.
  void deleteKeyPressed(int column, int row);
  // A field was dropped into a column.
  void fieldDropped(int column);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The table and field that a drag carries; null when it carries none of this query.
  const designer::QueryTable* dragSource(const QMimeData* data, QString* displayName) const;
  int movingColumn_ = -1;
  void mirrorSelection();
  designer::QueryDocument* doc_ = nullptr;
  int listener_ = -1;
  QPoint lastMouse_;
  bool refreshing_ = false;
};

}  // namespace korvi::selq
