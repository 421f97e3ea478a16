#include "library/designer/stringgrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace korvi::selq {

TStringGridChamps::TStringGridChamps(QWidget* parent) : QTableWidget(kRows, 2, parent) {
  setObjectName(QStringLiteral("StringGridChamps"));
  setFont(QFont(QStringLiteral("Arial"), 8));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth);
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setShowGrid(true);
  setMouseTracking(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < columnCount(); ++c) setCell(c, r, QString());
}

void TStringGridChamps::styleFixedCell(QTableWidgetItem* item, int column, int row) const {
  if (column == 0 || row == 0) {
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(palette().button());
  }
}

QString TStringGridChamps::cell(int column, int row) const {
  const QTableWidgetItem* it = item(row, column);
  return it ? it->text() : QString();
}

void TStringGridChamps::setCell(int column, int row, const QString& text) {
  if (column < 0 || row < 0 || row >= rowCount()) return;
  if (column >= columnCount()) setColumnCountValue(column + 1);
  QTableWidgetItem* it = item(row, column);
  if (!it) {
    it = new QTableWidgetItem;
    styleFixedCell(it, column, row);
    setItem(row, column, it);
  }
  it->setText(text);
}

void TStringGridChamps::setColumnCountValue(int count) {
  const int old = columnCount();
  setColumnCount(qMax(2, count));
  for (int c = old; c < columnCount(); ++c) {
    setColumnWidth(c, kDefaultColumnWidth);
    for (int r = 0; r < rowCount(); ++r) setCell(c, r, QString());
  }
}

void TStringGridChamps::labelRows(const QStringList& labels) {
  const QFontMetrics fm(font());
  const int target = columnWidth(0) - 10;
  for (int r = 1; r < rowCount(); ++r) {
    QString label = r - 1 < labels.size() ? labels.at(r - 1) : QString();
    if (!label.isEmpty())
      while (fm.horizontalAdvance(label) < target) label.prepend(QLatin1Char(' '));
    setCell(0, r, label);
  }
}

void TStringGridChamps::clearQueryCells() {
  for (int c = 1; c < columnCount(); ++c)
    for (int r = 1; r < rowCount(); ++r) setCell(c, r, QString());
  setColumnCountValue(2);
  setRowCount(kRows);
  for (int r = 0; r < rowCount(); ++r) setCell(1, r, QString());
}

bool TStringGridChamps::hasNoField() const {
  for (int c = 1; c < columnCount(); ++c)
    if (!cell(c, 1).isEmpty()) return false;
  return true;
}

bool TStringGridChamps::deleteQueryColumn(int column) {
  if (column < 1 || column >= columnCount() - 1) return false;
  for (int c = column; c < columnCount() - 1; ++c)
    for (int r = 0; r < rowCount(); ++r) setCell(c, r, cell(c + 1, r));
  const int last = columnCount() - 1;
  for (int r = 0; r < rowCount(); ++r) setCell(last, r, QString());
  // Column widths belong to positions: only the count shrinks.
  setColumnCount(columnCount() - 1);
  return true;
}

int TStringGridChamps::wholeSelectedColumn() const {
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.size() != 1) return -1;
  const QTableWidgetSelectionRange& r = ranges.front();
  if (r.leftColumn() != r.rightColumn()) return -1;
  if (r.bottomRow() - r.topRow() != rowCount() - 1) return -1;
  return r.leftColumn();
}

void TStringGridChamps::selectWholeColumn(int column) {
  clearSelection();
  setRangeSelected(QTableWidgetSelectionRange(0, column, rowCount() - 1, column), true);
}

void TStringGridChamps::mouseMoveEvent(QMouseEvent* event) {
  lastMouse_ = event->position().toPoint();
  QTableWidget::mouseMoveEvent(event);
}

void TStringGridChamps::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    const QPoint pos = event->position().toPoint();
    const int row = rowAt(pos.y());
    const int column = columnAt(pos.x());
    if (row == 0 && column >= 0) {
      selectWholeColumn(column);
    } else if (row > 0 && column >= 0) {
      emit cellPopupRequested(column, row, event->globalPosition().toPoint());
    }
    event->accept();
    return;
  }
  QTableWidget::mousePressEvent(event);
}

void TStringGridChamps::mouseDoubleClickEvent(QMouseEvent* event) {
  // Taken as a right click at the last position the mouse was seen at.
  const int row = rowAt(lastMouse_.y());
  const int column = columnAt(lastMouse_.x());
  if (row > 0 && column >= 0) emit cellPopupRequested(column, row, viewport()->mapToGlobal(lastMouse_));
  event->accept();
}

void TStringGridChamps::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
    emit deleteKeyPressed(currentColumn(), currentRow());
    event->accept();
    return;
  }
  QTableWidget::keyPressEvent(event);
}

}  // namespace korvi::selq
