#pragma once
// Table naming: the tables of the model with their places and friendly names, adding from
// an alias or a directory, renaming, deleting, and storing new tables in "Tables".

#include <QDialog>
#include <QList>
#include <QString>
#include <functional>

class QTableWidget;
class QPushButton;
class QToolButton;

namespace korvi::relmap {

struct TableRow {
  QString place;  // ":alias:table" or the full path of a table file
  QString name;   // friendly name
  bool filled() const { return !place.isEmpty() && !name.isEmpty(); }
  bool empty() const { return place.isEmpty() && name.isEmpty(); }
};

// The grid of the table naming dialog, without its widgets. Rows are numbered from 1.
class TableNaming {
 public:
  static constexpr int kRows = 99;
  static constexpr int kButtons = 11;

  // Shows the alias dialog; true with the chosen alias and table.
  using AliasChooser = std::function<bool(QString& alias, QString& table)>;

  TableNaming();

  // Fills the grid from the stored entries of "Tables", in file order. The grid has 99
  // rows and grows to show every stored table of a larger model.
  void load();
  int rowCount() const { return rows_.size(); }
  const TableRow& row(int r) const { return rows_[r - 1]; }
  int selectedRow() const { return selected_; }
  void selectRow(int r);
  // Whether the friendly name of the row is a key of "Tables" with a non-empty value.
  bool isStored(int r) const;
  // Whether "..." button k (1 to 11) is enabled with `topRow` as the first visible row.
  bool buttonEnabled(int k, int topRow) const;

  void addFromAlias(const AliasChooser& chooser);
  // Asks for a Paradox or dBase file through the file dialog.
  void addFromDirectory();
  // The same steps with a path already chosen (empty: cancelled).
  void addFromDirectoryPath(const QString& path);
  void renameSelected();
  void deleteSelected();
  // Writes the filled rows that are not stored yet, then compacts the model.
  void storeNewTables();

  // Splits a place into location and table file.
  static void splitPlace(const QString& place, QString& location, QString& tableFile);

 private:
  int firstEmptyRow();
  int rowWithPlace(int before, const QString& place) const;
  bool nameStored(const QString& name) const;
  void compact();

  QList<TableRow> rows_;
  int selected_ = 1;
};

class TFormDescriptionTables : public QDialog {
  Q_OBJECT

 public:
  explicit TFormDescriptionTables(QWidget* parent = nullptr);
  TableNaming& naming() { return naming_; }
  void refreshGrid();
  void refreshButtons();

 protected:
  void done(int result) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BitBtnAliasClick();
  void BitBtnRepertoireClick();
  void BitBtnRenameClick();
  void BitBtnSupprimerClick();
  void SpeedButton1Click(int k);
  int topRow() const;

  TableNaming naming_;
  QTableWidget* StringGrid1 = nullptr;
  QList<QToolButton*> speedButtons_;
  bool stored_ = false;
};

}  // namespace korvi::relmap
