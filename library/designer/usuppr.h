#pragma once
// The remove table dialog: the tables of the query by long name. A table removed here
// leaves the MDI area at once; the designer destroys its window, with the grid columns
// that use it, once the dialog has closed.

#include <QDialog>
#include <QList>
#include <QPointer>

class QLabel;
class QListWidget;
class QPushButton;

namespace korvi::selq {

class TFormPrincipale;
class TFormVisuTable;

class TFormSupprimerTables : public QDialog {
  Q_OBJECT
 public:
  // The designer's "Supprimer" command: shows the dialog modally, then performs the
  // pending removals. True when a table was removed.
  static bool run(TFormPrincipale& designer);

  explicit TFormSupprimerTables(TFormPrincipale& designer);

  // Lists the long names of the tables of the query.
  void FormShow();
  // Takes the selected table out of the MDI area, hidden, into the pending removals.
  void BtnSupprimerClick();

  QListWidget* list() const { return ListBoxListeTables; }
  // Table windows taken out of the query, to destroy once the dialog has closed.
  const QList<QPointer<TFormVisuTable>>& pendingRemovals() const { return pending_; }

 private:
  // The chosen entry, or -1.
  int selectedRow() const;
  TFormPrincipale& designer_;
  QListWidget* ListBoxListeTables = nullptr;
  QPushButton* BtnSupprimer = nullptr;
  QPushButton* BtnTerminer = nullptr;
  QLabel* Label1 = nullptr;
  QList<QPointer<TFormVisuTable>> pending_;
};

// For each window in turn: every grid column of its table goes (last to first), the table
// leaves the query's lists, the window is destroyed; then the query is marked modified and
// the remaining tables are numbered from 1 again.
void PerformPendingRemovals(TFormPrincipale& designer, const QList<QPointer<TFormVisuTable>>& pending);

}  // namespace korvi::selq
