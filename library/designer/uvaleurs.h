#pragma once
// The value picker of the criteria editor: lists the distinct values of one field of one
// table, read through the engine, and hands the chosen one back to the editor.

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace korvi::selq {

class TFormValeurs : public QDialog {
  Q_OBJECT
 public:
  // The list holds at most this many values; reading stops there with a message.
  static constexpr int kDefaultCapacity = 10000;

  // For the field reference (as in the generated SQL, quoted or not) of the table found at
  // the location (directory or alias between colons) under the file name. Empties the
  // chosen value.
  TFormValeurs(const QString& location, const QString& tableFile, const QString& fieldReference,
               QWidget* parent = nullptr);

  // The two lines of the statement the picker runs.
  static QStringList statement(const QString& location, const QString& tableFile, const QString& fieldReference);

  // Reads the values into the list under the hourglass. False, after its message, when
  // there is nothing to pick: the table has no record, or the statement failed (it is then
  // written to VALEURS.SQL in the temp directory). The picker is then not shown.
  bool loadValues();

  // The value chosen by the last picker; emptied when a picker is created.
  static const QString& chosenValue();

  // How many values the list accepts (tests lower it).
  void setCapacity(int capacity) { capacity_ = capacity; }
  QListWidget* list() const { return list_; }

 private:
  void ListBoxValeursItemClicked(QListWidgetItem* item);
  void ListBoxValeursItemDoubleClicked(QListWidgetItem* item);
  void writeStatementFile() const;

  QStringList statement_;
  QListWidget* list_ = nullptr;
  QPushButton* paste_ = nullptr;
  int capacity_ = kDefaultCapacity;
};

}  // namespace korvi::selq
