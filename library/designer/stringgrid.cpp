#include "library/designer/stringgrid.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "common/text/settings.h"
#include "library/designer/querydocument.h"

namespace korvi::selq {

using designer::QueryDocument;

TStringGridChamps::TStringGridChamps(QWidget* parent) : QTableWidget(QueryDocument::kRowCount, 2, parent) {
  setObjectName(QStringLiteral("StringGridChamps"));
  setFont(QFont(QStringLiteral("Arial"), 8));
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setDefaultSectionSize(QueryDocument::kDefaultColumnWidth);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(QueryDocument::kRowHeight);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setShowGrid(true);
  setMouseTracking(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setWordWrap(false);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  viewport()->setAcceptDrops(true);

  connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int column, int, int) {
    if (doc_ && !refreshing_ && row >= 1 && column >= 1) doc_->setCurrentCell(column, row);
  });
  connect(this, &QTableWidget::itemSelectionChanged, this, [this] { mirrorSelection(); });
  connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
    if (doc_ && !refreshing_) doc_->setColumnWidth(column, width);
  });
}

TStringGridChamps::~TStringGridChamps() { setDocument(nullptr); }

void TStringGridChamps::setDocument(QueryDocument* document) {
  if (doc_ && listener_ >= 0) doc_->removeListener(listener_);
  listener_ = -1;
  doc_ = document;
  if (doc_) {
    listener_ = doc_->addListener([this](designer::DocumentChange change) {
      if (change == designer::DocumentChange::Grid) refresh();
    });
  }
  refresh();
}

QString TStringGridChamps::cell(int column, int row) const {
  const QTableWidgetItem* it = item(row, column);
  return it ? it->text() : QString();
}

void TStringGridChamps::refresh() {
  if (!doc_) return;
  refreshing_ = true;
  setColumnCount(doc_->columnCount());
  setRowCount(doc_->rowCount());
  for (int c = 0; c < doc_->columnCount(); ++c) {
    setColumnWidth(c, doc_->columnWidth(c));
    for (int r = 0; r < doc_->rowCount(); ++r) {
      QTableWidgetItem* it = item(r, c);
      if (!it) {
        it = new QTableWidgetItem;
        if (c == 0 || r == 0) {
          it->setFlags(Qt::ItemIsEnabled);
          it->setBackground(palette().button());
        }
        setItem(r, c, it);
      }
      it->setText(doc_->cell(c, r));
    }
  }
  refreshing_ = false;
}

void TStringGridChamps::mirrorSelection() {
  if (!doc_ || refreshing_) return;
  const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
  if (ranges.isEmpty()) return;
  const QTableWidgetSelectionRange& r = ranges.front();
  designer::GridSelection selection;
  selection.left = r.leftColumn();
  selection.right = r.rightColumn();
  selection.top = r.topRow();
  selection.bottom = r.bottomRow();
  doc_->setSelection(selection);
}

void TStringGridChamps::mouseMoveEvent(QMouseEvent* event) {
  lastMouse_ = event->position().toPoint();
  QTableWidget::mouseMoveEvent(event);
}

void TStringGridChamps::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    const QPoint at = event->position().toPoint();
    movingColumn_ = event->button() == Qt::LeftButton && rowAt(at.y()) == 0 ? columnAt(at.x()) : -1;
    QTableWidget::mousePressEvent(event);
    return;
  }
  const QPoint pos = event->position().toPoint();
  lastMouse_ = pos;
  const int row = rowAt(pos.y());
  const int column = columnAt(pos.x());
  if (row == 0 && column >= 0) {
    // A right click on a header cell selects that whole column for the delete command.
    clearSelection();
    setRangeSelected(QTableWidgetSelectionRange(0, column, rowCount() - 1, column), true);
    if (doc_) doc_->selectWholeColumn(column);
  } else if (row > 0 && column >= 0) {
    emit cellPopupRequested(column, row, event->globalPosition().toPoint());
  }
  event->accept();
}

void TStringGridChamps::mouseReleaseEvent(QMouseEvent* event) {
  const int from = movingColumn_;
  movingColumn_ = -1;
  if (event->button() == Qt::LeftButton && from >= 1 && doc_) {
    // A header cell dragged onto another column moves that column there.
    const int to = columnAt(event->position().toPoint().x());
    if (to >= 1 && to != from) {
      doc_->moveColumn(from, to, librarySettings().fixedWidth);
      event->accept();
      return;
    }
  }
  QTableWidget::mouseReleaseEvent(event);
}

QMimeData* TStringGridChamps::fieldMimeData(const QString& tableLongName, const QString& displayName) {
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kFieldMimeType), (tableLongName + QLatin1Char('\n') + displayName).toUtf8());
  return data;
}

const designer::QueryTable* TStringGridChamps::dragSource(const QMimeData* data, QString* displayName) const {
  if (!doc_ || !data || !data->hasFormat(QString::fromLatin1(kFieldMimeType))) return nullptr;
  const QString text = QString::fromUtf8(data->data(QString::fromLatin1(kFieldMimeType)));
  const qsizetype cut = text.indexOf(QLatin1Char('\n'));
  if (cut < 0) return nullptr;
  if (displayName) *displayName = text.mid(cut + 1);
  return doc_->tableNamed(text.left(cut));
}

void TStringGridChamps::dragEnterEvent(QDragEnterEvent* event) {
  if (dragSource(event->mimeData(), nullptr))
    event->acceptProposedAction();
  else
    event->ignore();
}

void TStringGridChamps::dragMoveEvent(QDragMoveEvent* event) {
  const designer::QueryTable* source = dragSource(event->mimeData(), nullptr);
  const int column = columnAt(event->position().toPoint().x());
  if (source && doc_->dragOver(column, source)) {
    clearSelection();
    setRangeSelected(QTableWidgetSelectionRange(1, column, rowCount() - 1, column), true);
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TStringGridChamps::dropEvent(QDropEvent* event) {
  QString displayName;
  const designer::QueryTable* source = dragSource(event->mimeData(), &displayName);
  const int column = columnAt(event->position().toPoint().x());
  if (!source || !doc_->dropField(column, *source, displayName, librarySettings().fixedWidth)) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  doc_->setCurrentCell(column, 1);
  setCurrentCell(1, column);
  emit fieldDropped(column);
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
