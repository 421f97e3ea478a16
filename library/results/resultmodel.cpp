#include "library/results/resultmodel.h"

#include <limits>

#include "library/results/resultops.h"

namespace korvi::results {

ResultTableModel::ResultTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultTableModel::setResultSet(const engine::ResultSet* result) {
  beginResetModel();
  result_ = result && result->isOpen() ? result : nullptr;
  fields_ = result_ ? visibleFields(*result_) : QList<int>();
  pages_.clear();
  endResetModel();
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !result_ || !result_->isOpen()) return 0;
  return int(std::min<qint64>(result_->rowCount(), std::numeric_limits<int>::max()));
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || !result_) return 0;
  return int(fields_.size());
}

int ResultTableModel::fieldOfColumn(int column) const {
  return column >= 0 && column < fields_.size() ? fields_[column] : -1;
}

int ResultTableModel::columnOfField(int field) const { return int(fields_.indexOf(field)); }

const engine::Row* ResultTableModel::row(int r) const {
  if (!result_ || !result_->isOpen()) return nullptr;
  const qint64 first = qint64(r) / kPageRows * kPageRows;
  for (auto it = pages_.begin(); it != pages_.end(); ++it) {
    if (it->first != first) continue;
    if (it != pages_.begin()) pages_.splice(pages_.begin(), pages_, it);
    const qint64 i = r - first;
    return i < pages_.front().rows.size() ? &pages_.front().rows[i] : nullptr;
  }
  Page page{first, {}};
  try {
    page.rows = result_->fetchRows(first, kPageRows);
  } catch (const engine::EngineError&) {
    return nullptr;  // a closed or damaged result shows empty cells
  }
  pages_.push_front(std::move(page));
  while (pages_.size() > size_t(kMaxPages)) pages_.pop_back();
  const qint64 i = r - first;
  return i < pages_.front().rows.size() ? &pages_.front().rows[i] : nullptr;
}

QVariant ResultTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int field = fieldOfColumn(index.column());
  if (role == Qt::TextAlignmentRole && field >= 0) {
    // Numbers line up on the right.
    switch (result_->field(field).type) {
      case engine::FieldType::ftSmallint:
      case engine::FieldType::ftInteger:
      case engine::FieldType::ftWord:
      case engine::FieldType::ftAutoInc:
      case engine::FieldType::ftFloat:
      case engine::FieldType::ftCurrency:
      case engine::FieldType::ftBCD: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      default: return {};
    }
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const engine::Row* values = row(index.row());
  if (field < 0 || !values || field >= values->size()) return {};
  QString text = valueText((*values)[field], result_->field(field).type);
  if (role == Qt::DisplayRole) {
    // A memo's lines share one grid line.
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  }
  return text;
}

QVariant ResultTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return {};
  const int field = fieldOfColumn(section);
  return field >= 0 ? QVariant(result_->field(field).displayName()) : QVariant();
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace korvi::results
