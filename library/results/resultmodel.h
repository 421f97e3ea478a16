#pragma once
// The grid's view of a result set: one row per record, one column per visible field. Rows
// are read from the result a page at a time and a few pages are kept, so a result of any
// size browses in constant memory. The model never moves the result's cursor.

#include <QAbstractTableModel>
#include <QList>
#include <list>

#include "common/engine/resultset.h"

namespace korvi::results {

class ResultTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kPageRows = 128;
  static constexpr int kMaxPages = 8;

  explicit ResultTableModel(QObject* parent = nullptr);

  // Shows another result (null: nothing). The visible fields are taken now.
  void setResultSet(const engine::ResultSet* result);
  const engine::ResultSet* resultSet() const { return result_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The result field shown in a grid column, -1 outside; the grid column of a field, -1 when
  // it is hidden.
  int fieldOfColumn(int column) const;
  int columnOfField(int field) const;

  // Pages held now (at most kMaxPages).
  int cachedPages() const { return int(pages_.size()); }

 private:
  const engine::Row* row(int r) const;

  const engine::ResultSet* result_ = nullptr;
  QList<int> fields_;
  struct Page {
    qint64 first = 0;
    QList<engine::Row> rows;
  };
  mutable std::list<Page> pages_;  // most recently used first
};

}  // namespace korvi::results
