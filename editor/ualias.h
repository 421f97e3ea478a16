#pragma once
// The alias dialog: the engine's aliases, the tables of the chosen one.

#include <QDialog>
#include <QStringList>
#include <memory>

class QComboBox;
class QListWidget;
class QPushButton;

namespace korvi::engine {
class Database;
}

namespace korvi::relmap {

// Lists the tables of an alias through the engine, showing its failures the way the alias
// dialog does. An empty list when the alias cannot be opened or listed.
class AliasTables {
 public:
  ~AliasTables();
  QStringList aliases() const;
  QStringList open(const QString& alias);
  void disconnect();

 private:
  std::shared_ptr<engine::Database> database_;  // the connection "TEST"
};

class TFormOuvertureAlias : public QDialog {
  Q_OBJECT

 public:
  explicit TFormOuvertureAlias(QWidget* parent = nullptr);

 public slots:
  void done(int result) override;

 private:
  void ComboBox1Change();
  void ListBox1Click();
  void BitBtnOKClick();

  AliasTables tables_;
  QComboBox* ComboBox1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QPushButton* BitBtnOK = nullptr;
};

}  // namespace korvi::relmap
