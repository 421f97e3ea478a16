#pragma once
// Table links: choosing a master and a slave table, adding and deleting the links between
// their fields, stored under the slave table's number.

#include <QDialog>
#include <QString>
#include <QStringList>

#include "common/ini/inifile.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace korvi::relmap {

inline constexpr char kLinkArrow[] = " -> ";

// Moves link sections down after link k of table n was erased: nL(i+1) into nLi for i from
// k to count - 1 (count = the number of links before the deletion).
void shiftLinkSections(IniFile& ini, const QString& number, int k, int count);

// The state of the link dialog, without its widgets.
class LinkEditor {
 public:
  struct Side {
    QString tableFile;    // the label: table file, "* Erreur *" or empty
    QStringList fields;   // physical field names
    int selected = -1;    // selected field, -1 for none
    bool usable() const;
    QString selectedField() const { return selected >= 0 && selected < fields.size() ? fields[selected] : QString(); }
  };

  Side master, slave;
  QStringList links;      // entries "slave field -> master field"
  int selectedLink = -1;
  bool addEnabled = false;
  bool deleteEnabled = false;

  // Makes the table of that friendly name the master or the slave (empty: chooser
  // cancelled, only the link list is refreshed).
  void chooseMaster(const QString& friendlyName) { choose(master, friendlyName); }
  void chooseSlave(const QString& friendlyName) { choose(slave, friendlyName); }
  void selectMasterField(int i);
  void selectSlaveField(int i);
  // Selects an entry of the link list and its two fields.
  void selectLink(int i);
  void refresh();
  void add();
  void remove();

 private:
  void choose(Side& side, const QString& friendlyName);
  void updateAdd();
};

class TFormLierDesTables : public QDialog {
  Q_OBJECT

 public:
  explicit TFormLierDesTables(QWidget* parent = nullptr);
  LinkEditor& editor() { return editor_; }
  void showState();

 private:
  void BitBtnMaitreClick();
  void BitBtnEsclaveClick();
  QString chooseTable();

  LinkEditor editor_;
  bool showing_ = false;
  QLabel* LabelMaitre = nullptr;
  QLabel* LabelEsclave = nullptr;
  QListWidget* ListBoxMaitre = nullptr;
  QListWidget* ListBoxEsclave = nullptr;
  QListWidget* ListBoxLiens = nullptr;
  QPushButton* BitBtnAjouter = nullptr;
  QPushButton* BitBtnSupprimer = nullptr;
};

}  // namespace korvi::relmap
