#include "library/designer/usuppr.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/text/strings.h"
#include "library/designer/umain.h"
#include "library/designer/ushowta.h"

namespace korvi::selq {

TFormSupprimerTables::TFormSupprimerTables(TFormPrincipale& designer) : QDialog(&designer), designer_(designer) {
  setObjectName(QStringLiteral("TFormSupprimerTables"));
  setWindowTitle(LoadText(152));
  setFont(QFont(QStringLiteral("Arial"), 8));
  Label1 = new QLabel(LoadText(153), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  ListBoxListeTables = new QListWidget(this);
  ListBoxListeTables->setObjectName(QStringLiteral("ListBoxListeTables"));
  ListBoxListeTables->setSelectionMode(QAbstractItemView::SingleSelection);
  BtnSupprimer = new QPushButton(LoadText(154), this);
  BtnSupprimer->setObjectName(QStringLiteral("BtnSupprimer"));
  BtnSupprimer->setEnabled(false);
  BtnSupprimer->setAutoDefault(false);
  BtnTerminer = new QPushButton(LoadText(292), this);
  BtnTerminer->setObjectName(QStringLiteral("BtnTerminer"));
  BtnTerminer->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(ListBoxListeTables, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BtnSupprimer);
  buttons->addWidget(BtnTerminer);
  layout->addLayout(buttons);
  resize(300, 260);

  // Enabled by a chosen entry, not by the focus frame the list puts on its first entry.
  connect(ListBoxListeTables, &QListWidget::itemSelectionChanged, this,
          [this] { BtnSupprimer->setEnabled(selectedRow() >= 0); });
  connect(BtnSupprimer, &QPushButton::clicked, this, [this] { designer_.guarded([&] { BtnSupprimerClick(); }); });
  connect(BtnTerminer, &QPushButton::clicked, this, &QDialog::reject);
}

int TFormSupprimerTables::selectedRow() const {
  const QList<QListWidgetItem*> chosen = ListBoxListeTables->selectedItems();
  return chosen.isEmpty() ? -1 : ListBoxListeTables->row(chosen.first());
}

void TFormSupprimerTables::FormShow() {
  ListBoxListeTables->clear();
  ListBoxListeTables->addItems(designer_.document().longNames());
  ListBoxListeTables->setCurrentRow(-1);
  BtnSupprimer->setEnabled(false);
}

void TFormSupprimerTables::BtnSupprimerClick() {
  const int row = selectedRow();
  if (row < 0) return;
  const QString longName = ListBoxListeTables->item(row)->text();
  for (TFormVisuTable* w : TFormVisuTable::windowsOf(designer_)) {
    const designer::QueryTable* t = w->table();
    if (!t || t->longName != longName) continue;
    // Out of the MDI area: it no longer shows as a table of the query.
    w->hide();
    designer_.mdiArea()->removeSubWindow(w);
    w->setParent(this, Qt::Window);
    w->hide();
    pending_ << w;
    break;
  }
  delete ListBoxListeTables->takeItem(row);
  ListBoxListeTables->setCurrentRow(-1);
  ListBoxListeTables->clearSelection();
  BtnSupprimer->setEnabled(false);
  designer_.updateButtons();
  if (ListBoxListeTables->count() == 0) accept();
}

bool TFormSupprimerTables::run(TFormPrincipale& designer) {
  QList<QPointer<TFormVisuTable>> pending;
  {
    TFormSupprimerTables dialog(designer);
    dialog.FormShow();
    dialog.exec();
    pending = dialog.pendingRemovals();
    // The windows live on past the dialog until they are removed.
    for (const QPointer<TFormVisuTable>& w : pending)
      if (w) w->setParent(nullptr);
  }
  PerformPendingRemovals(designer, pending);
  return !pending.isEmpty();
}

void PerformPendingRemovals(TFormPrincipale& designer, const QList<QPointer<TFormVisuTable>>& pending) {
  if (pending.isEmpty()) return;
  designer::QueryDocument& doc = designer.document();
  for (const QPointer<TFormVisuTable>& w : pending) {
    if (!w) continue;
    // The document deletes the table's columns from the last one to column 1 and numbers
    // the remaining tables again.
    if (const designer::QueryTable* t = w->table()) doc.removeTable(t->number);
    delete w.data();
  }
  doc.setModified(true);
  doc.renumberTables();
  designer.mdiArea()->viewport()->update();
  designer.updateButtons();
}

}  // namespace korvi::selq
