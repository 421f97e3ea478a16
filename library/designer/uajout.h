#pragma once
// The add table dialog: the model's tables that are not yet in the query; each one added
// opens its table window. It closes itself once nothing is left to add.

#include <QDialog>
#include <QList>

#include "library/designer/tableload.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace korvi::selq {

class TFormPrincipale;

class TFormAjouterTables : public QDialog {
  Q_OBJECT
 public:
  // The designer's "Ajouter" command: reads the model's tables, reports message 113 or 114
  // when none can be added, else shows the dialog modally. True when a table was added.
  static bool run(TFormPrincipale& designer);

  explicit TFormAjouterTables(TFormPrincipale& designer);

  // Fills the lists from the model; false (after message 113 or 114) when nothing is left.
  bool FormShow();
  // Adds the selected entry: opens its table window; the entry leaves the list once its
  // table is in the query, and the dialog closes when the list is empty.
  void BtnAjouterClick();

  const QList<designer::OfferedTable>& offered() const { return offered_; }
  QListWidget* list() const { return ListBoxListeTables; }
  bool addedAny() const { return addedAny_; }

 private:
  // The chosen entry, or -1.
  int selectedRow() const;
  TFormPrincipale& designer_;
  QListWidget* ListBoxListeTables = nullptr;
  QPushButton* BtnAjouter = nullptr;
  QPushButton* BtnTerminer = nullptr;
  QLabel* Label1 = nullptr;
  // Parallel to the list box, entry for entry.
  QList<designer::OfferedTable> offered_;
  bool addedAny_ = false;
};

}  // namespace korvi::selq
