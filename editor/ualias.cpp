#include "editor/ualias.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/dialogs/logindialog.h"
#include "common/dialogs/waitcursor.h"
#include "common/engine/engine.h"
#include "common/ini/inifile.h"
#include "common/text/messages.h"
#include "common/text/strings.h"
#include "editor/uglobal.h"

namespace korvi::relmap {

AliasTables::~AliasTables() { disconnect(); }

QStringList AliasTables::aliases() const { return engine::Engine::instance().ListAliases(); }

void AliasTables::disconnect() {
  if (database_) database_->close();
  database_.reset();
}

QStringList AliasTables::open(const QString& alias) {
  QStringList names;
  if (alias.isEmpty()) {
    ShowInformation(frenchOrEnglish("Vous devez choisir l'alias dans la liste.", "You must choose an alias !"));
    return names;
  }
  WaitCursor wait;
  disconnect();
  engine::Engine& engine = engine::Engine::instance();
  try {
    database_ = engine.OpenDatabase(alias, QStringLiteral("TEST"), &askLogin);
  } catch (const engine::EngineError& e) {
    ShowInformation(e.text());
    return names;
  }
  try {
    names = engine.ListTables(*database_);
  } catch (const engine::EngineError& e) {
    ShowPlainMessage(frenchOrEnglish("Erreur à l'ouverture de la liste des tables: ", "Error while opening table list : ") +
                     e.text());
    names.clear();
  }
  return names;
}

TFormOuvertureAlias::TFormOuvertureAlias(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormOuvertureAlias"));
  setWindowTitle(LoadText(62));
  session().SelectedAlias.clear();
  session().SelectedTable.clear();

  auto* label1 = new QLabel(LoadText(63), this);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  auto* label2 = new QLabel(LoadText(64), this);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
  BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
  BitBtnOK->setDefault(true);
  BitBtnOK->setEnabled(false);
  auto* cancel = new QPushButton(LoadText(2), this);
  cancel->setObjectName(QStringLiteral("BitBtn3"));
  cancel->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label1);
  layout->addWidget(ComboBox1);
  layout->addWidget(label2);
  layout->addWidget(ListBox1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtnOK);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  resize(340, 360);

  try {
    ComboBox1->addItems(tables_.aliases());
  } catch (const engine::EngineError& e) {
    ShowInformation(e.text());
  }
  ComboBox1->setCurrentIndex(-1);

  connect(ComboBox1, &QComboBox::activated, this, &TFormOuvertureAlias::ComboBox1Change);
  connect(ListBox1, &QListWidget::itemSelectionChanged, this, &TFormOuvertureAlias::ListBox1Click);
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TFormOuvertureAlias::BitBtnOKClick);
  connect(BitBtnOK, &QPushButton::clicked, this, &TFormOuvertureAlias::BitBtnOKClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormOuvertureAlias::ComboBox1Change() {
  ListBox1->clear();
  ListBox1->addItems(tables_.open(ComboBox1->currentText()));
  BitBtnOK->setEnabled(false);
}

void TFormOuvertureAlias::ListBox1Click() { BitBtnOK->setEnabled(!ListBox1->selectedItems().isEmpty()); }

void TFormOuvertureAlias::BitBtnOKClick() {
  const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
  if (selected.isEmpty()) {
    ShowInformation(LoadText(65));
    return;
  }
  session().SelectedAlias = ComboBox1->currentText();
  session().SelectedTable = selected.first()->text();
  accept();
}

void TFormOuvertureAlias::done(int result) {
  tables_.disconnect();
  QDialog::done(result);
}

}  // namespace korvi::relmap
