#include "editor/uchoix.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/text/strings.h"
#include "editor/uglobal.h"

namespace korvi::relmap {

QStringList describedTables() {
  QStringList names;
  const IniFile& ini = session().model().ini();
  const QString tables = QLatin1String(ModelFile::kTables);
  for (const QString& key : ini.readSection(tables))
    if (!ini.readString(tables, key).isEmpty()) names << key;
  return names;
}

TFormChoixTables::TFormChoixTables(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormChoixTables"));
  setWindowTitle(LoadText(28));
  auto* label = new QLabel(LoadText(29), this);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->addItems(describedTables());
  BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
  BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
  BitBtnOK->setEnabled(false);
  BitBtnOK->setDefault(true);
  auto* cancel = new QPushButton(LoadText(2), this);
  cancel->setObjectName(QStringLiteral("BitBtn2"));
  cancel->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(ListBox1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtnOK);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  resize(300, 320);

  connect(ListBox1, &QListWidget::itemSelectionChanged, this,
          [this] { BitBtnOK->setEnabled(!ListBox1->selectedItems().isEmpty()); });
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormChoixTables::done(int result) {
  const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
  if (result == QDialog::Accepted && !selected.isEmpty()) {
    session().SelectedTable = selected.first()->text();
  } else {
    session().SelectedTable.clear();
    result = QDialog::Rejected;
  }
  QDialog::done(result);
}

}  // namespace korvi::relmap
