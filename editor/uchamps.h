#pragma once
// Field naming: friendly names of the fields of one table, by field position.

#include <QDialog>
#include <QList>
#include <QString>

class QTableWidget;

namespace korvi::relmap {

struct FieldRow {
  QString field;     // physical field name
  QString friendly;  // friendly name
};

// The rows of the field naming dialog, without its widgets. Rows are numbered from 1.
class FieldNaming {
 public:
  // Reads the physical fields of the table named `friendlyName` through the engine and the
  // names stored for it. Failures are shown and leave no rows.
  void load(const QString& friendlyName);
  const QString& number() const { return number_; }
  int rowCount() const { return rows_.size(); }
  FieldRow& row(int r) { return rows_[r - 1]; }
  const FieldRow& row(int r) const { return rows_[r - 1]; }
  // Copies the field name of row r into its friendly name (asking first when one is set).
  void copyOne(int r);
  // Copy one for every row, in order; `beforeRow` lets a window show the current row.
  template <typename F>
  void copyAll(F beforeRow) {
    for (int r = 1; r <= rowCount(); ++r) {
      beforeRow(r);
      copyOne(r);
    }
  }
  void copyAll() { copyAll([](int) {}); }
  // Rewrites the table's field section with the non-empty friendly names.
  void store();

 private:
  QList<FieldRow> rows_;
  QString number_;
  bool loaded_ = false;
};

class TFormDescriptionChamps : public QDialog {
  Q_OBJECT

 public:
  // Names the fields of the table in SelectedTable.
  explicit TFormDescriptionChamps(QWidget* parent = nullptr);
  FieldNaming& naming() { return naming_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void pullGrid();
  void pushGrid();
  void BitBtn1Click();
  void BitBtnCopieUnClick();
  void BitBtnCopieTousClick();

  FieldNaming naming_;
  QTableWidget* StringGrid1 = nullptr;
};

}  // namespace korvi::relmap
