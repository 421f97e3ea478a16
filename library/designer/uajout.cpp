#include "library/designer/uajout.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "common/text/messages.h"
#include "common/text/strings.h"
#include "library/designer/ushowta.h"
#include "library/designer/umain.h"
#include "library/exports/libstate.h"

namespace korvi::selq {
namespace {

QString fileNamePart(const QString& path) {
  const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return path.mid(cut + 1);
}

}  // namespace

TFormAjouterTables::TFormAjouterTables(TFormPrincipale& designer) : QDialog(&designer), designer_(designer) {
  setObjectName(QStringLiteral("TFormAjouterTables"));
  setWindowTitle(LoadText(110));
  setFont(QFont(QStringLiteral("Arial"), 8));
  Label1 = new QLabel(LoadText(111), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  ListBoxListeTables = new QListWidget(this);
  ListBoxListeTables->setObjectName(QStringLiteral("ListBoxListeTables"));
  ListBoxListeTables->setSelectionMode(QAbstractItemView::SingleSelection);
  BtnAjouter = new QPushButton(LoadText(112), this);
  BtnAjouter->setObjectName(QStringLiteral("BtnAjouter"));
  BtnAjouter->setEnabled(false);
  BtnAjouter->setAutoDefault(false);
  BtnTerminer = new QPushButton(LoadText(292), this);
  BtnTerminer->setObjectName(QStringLiteral("BtnTerminer"));
  BtnTerminer->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(ListBoxListeTables, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(BtnAjouter);
  buttons->addWidget(BtnTerminer);
  layout->addLayout(buttons);
  resize(300, 260);

  // Enabled by a chosen entry, not by the focus frame the list puts on its first entry.
  connect(ListBoxListeTables, &QListWidget::itemSelectionChanged, this, [this] {
    BtnAjouter->setEnabled(selectedRow() >= 0);
    BtnTerminer->setEnabled(true);
  });
  connect(ListBoxListeTables, &QListWidget::itemDoubleClicked, this,
          [this] { designer_.guarded([&] { BtnAjouterClick(); }); });
  connect(BtnAjouter, &QPushButton::clicked, this, [this] { designer_.guarded([&] { BtnAjouterClick(); }); });
  // "Fermer" is both the cancel and the default button.
  connect(BtnTerminer, &QPushButton::clicked, this, &QDialog::reject);
}

int TFormAjouterTables::selectedRow() const {
  const QList<QListWidgetItem*> chosen = ListBoxListeTables->selectedItems();
  return chosen.isEmpty() ? -1 : ListBoxListeTables->row(chosen.first());
}

bool TFormAjouterTables::FormShow() {
  // Read afresh at every opening: the model may have changed on disk.
  offered_ = designer::offeredTables(modelReader(), designer_.document().longNames());
  ListBoxListeTables->clear();
  for (const designer::OfferedTable& t : offered_) ListBoxListeTables->addItem(t.longName);
  BtnAjouter->setEnabled(false);
  if (!offered_.isEmpty()) return true;
  if (designer_.tableWindowCount() == 0)
    ShowInformation(LoadText(113) + fileNamePart(state().modelPath));
  else
    ShowInformation(LoadText(114));
  return false;
}

void TFormAjouterTables::BtnAjouterClick() {
  const int row = selectedRow();
  if (row < 0 || row >= offered_.size()) return;
  const designer::OfferedTable entry = offered_.at(row);
  designer::QueryTable table;
  table.longName = entry.longName;
  table.tableName = entry.tableFile;
  table.location = entry.location;
  // Place 0, 0 and size 0, 0: a free place and the default size.
  if (!TFormVisuTable::open(designer_, table)) return;  // message 181 was shown; the entry stays
  addedAny_ = true;
  offered_.removeAt(row);
  delete ListBoxListeTables->takeItem(row);
  ListBoxListeTables->setCurrentRow(-1);
  ListBoxListeTables->clearSelection();
  BtnAjouter->setEnabled(false);
  if (offered_.isEmpty()) accept();
}

bool TFormAjouterTables::run(TFormPrincipale& designer) {
  TFormAjouterTables dialog(designer);
  if (!dialog.FormShow()) return false;
  // Centred on the screen.
  if (const QScreen* screen = designer.screen() ? designer.screen() : QGuiApplication::primaryScreen()) {
    QRect frame = dialog.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    dialog.move(frame.topLeft());
  }
  dialog.exec();
  if (dialog.addedAny()) designer.setModified(true);
  return dialog.addedAny();
}

}  // namespace korvi::selq
