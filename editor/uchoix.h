#pragma once
// The table chooser: one described table by its friendly name.

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace korvi::relmap {

// The friendly names of the stored tables of the open model, in file order.
QStringList describedTables();

class TFormChoixTables : public QDialog {
  Q_OBJECT

 public:
  explicit TFormChoixTables(QWidget* parent = nullptr);

 public slots:
  void done(int result) override;

 private:
  QListWidget* ListBox1 = nullptr;
  QPushButton* BitBtnOK = nullptr;
};

}  // namespace korvi::relmap
