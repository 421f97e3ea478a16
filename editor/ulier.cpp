#include "editor/ulier.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/dialogs/waitcursor.h"
#include "common/engine/engine.h"
#include "common/text/messages.h"
#include "common/text/strings.h"
#include "editor/uchoix.h"
#include "editor/uglobal.h"

namespace korvi::relmap {

namespace {
const QString kT = QStringLiteral("T"), kS = QStringLiteral("S"), kD = QStringLiteral("D"), kN = QStringLiteral("N");
QString linkSection(const QString& n, int k) { return n + QLatin1Char('L') + QString::number(k); }
}  // namespace

void shiftLinkSections(IniFile& ini, const QString& number, int k, int count) {
  for (int i = k; i <= count - 1; ++i) {
    const QString from = linkSection(number, i + 1), to = linkSection(number, i);
    const QStringList keys = ini.readSection(from);
    QStringList values;
    for (const QString& key : keys) values << ini.readString(from, key);
    ini.eraseSection(from);
    for (int j = 0; j < keys.size(); ++j) ini.writeString(to, keys[j], values[j]);
  }
}

bool LinkEditor::Side::usable() const { return !tableFile.isEmpty() && tableFile != LoadText(56); }

void LinkEditor::choose(Side& side, const QString& friendlyName) {
  if (!friendlyName.isEmpty()) {
    ModelFile& model = session().model();
    side.tableFile = model.TableFileOf(friendlyName);
    side.fields.clear();
    side.selected = -1;
    try {
      WaitCursor wait;
      const QString database = model.TableLocationOf(friendlyName, ModelSide::Editor);
      if (database.isEmpty()) throw engine::EngineError(QString());
      std::unique_ptr<engine::Table> table = engine::Engine::instance().OpenTable(database, side.tableFile);
      for (const engine::FieldDesc& f : engine::Engine::GetFieldDescriptions(*table)) side.fields << f.name;
      table->close();
    } catch (const engine::EngineError& e) {
      if (!e.text().isEmpty()) ShowInformation(e.text());
      side.fields.clear();
      side.tableFile = LoadText(56);
    }
    addEnabled = false;
    deleteEnabled = false;
  }
  refresh();
}

void LinkEditor::updateAdd() { addEnabled = master.selected >= 0 && slave.selected >= 0; }

void LinkEditor::selectMasterField(int i) {
  master.selected = i >= 0 && i < master.fields.size() ? i : -1;
  updateAdd();
}

void LinkEditor::selectSlaveField(int i) {
  slave.selected = i >= 0 && i < slave.fields.size() ? i : -1;
  updateAdd();
}

void LinkEditor::selectLink(int i) {
  if (i < 0 || i >= links.size()) {
    selectedLink = -1;
    deleteEnabled = false;
    return;
  }
  selectedLink = i;
  deleteEnabled = true;
  const QString arrow = QLatin1String(kLinkArrow);
  const qsizetype at = links[i].indexOf(arrow);
  const QString left = links[i].left(at), right = at < 0 ? QString() : links[i].mid(at + arrow.size());
  slave.selected = slave.fields.indexOf(left);
  master.selected = master.fields.indexOf(right);
  updateAdd();
}

void LinkEditor::refresh() {
  links.clear();
  selectedLink = -1;
  if (!master.usable() || !slave.usable()) return;
  const ModelFile& model = session().model();
  const QString n = model.TableNumberOf(slave.tableFile, ModelSide::Editor);
  if (n.isEmpty()) return;
  const IniFile& ini = model.ini();
  const int count = ini.readInteger(n + QLatin1Char('L'), kN, 0);
  for (int k = 1; k <= count; ++k) {
    const QString section = linkSection(n, k);
    if (ini.readString(section, kT).compare(master.tableFile, Qt::CaseInsensitive) != 0) continue;
    const QString s = ini.readString(section, kS), d = ini.readString(section, kD);
    if (!s.isEmpty() && !d.isEmpty()) links << s + QLatin1String(kLinkArrow) + d;
  }
}

void LinkEditor::add() {
  if (!master.usable() || !slave.usable() || master.selected < 0 || slave.selected < 0) {
    addEnabled = false;
    return;
  }
  ModelFile& model = session().model();
  const QString n = model.TableNumberOf(slave.tableFile, ModelSide::Editor);
  if (n.isEmpty()) {
    ShowPlainMessage(LoadText(61));
    return;
  }
  IniFile& ini = model.ini();
  const QString countSection = n + QLatin1Char('L');
  const int count = ini.readInteger(countSection, kN, 0) + 1;
  ini.writeInteger(countSection, kN, count);
  const QString section = linkSection(n, count);
  ini.writeString(section, kT, master.tableFile);
  ini.writeString(section, kS, slave.selectedField());
  ini.writeString(section, kD, master.selectedField());
  links << slave.selectedField() + QLatin1String(kLinkArrow) + master.selectedField();
}

void LinkEditor::remove() {
  if (selectedLink < 0) return;
  ModelFile& model = session().model();
  const QString n = model.TableNumberOf(slave.tableFile, ModelSide::Editor);
  if (!n.isEmpty()) {
    IniFile& ini = model.ini();
    const QString countSection = n + QLatin1Char('L');
    const int count = ini.readInteger(countSection, kN, 0);
    for (int k = 1; k <= count; ++k) {
      const QString section = linkSection(n, k);
      const QString t = ini.readString(section, kT), s = ini.readString(section, kS), d = ini.readString(section, kD);
      if (s.isEmpty() || d.isEmpty()) {
        MessageRequest r;
        r.text = frenchOrEnglish("Le lien n° %1 de la table %2 est incomplet : le lien n'est pas supprimé.",
                                 "Link %1 of table %2 is incomplete: the link is not deleted.")
                     .arg(k)
                     .arg(slave.tableFile);
        r.kind = MsgKind::Error;
        r.style = MsgStyle::Framework;
        messages().showMessage(r);
        return;
      }
      if (master.selected >= 0 && slave.selected >= 0 && t.compare(master.tableFile, Qt::CaseInsensitive) == 0 &&
          d.compare(master.selectedField(), Qt::CaseInsensitive) == 0 &&
          s.compare(slave.selectedField(), Qt::CaseInsensitive) == 0) {
        ini.eraseSection(section);
        ini.writeInteger(countSection, kN, count - 1);
        shiftLinkSections(ini, n, k, count);
        master.selected = -1;
        slave.selected = -1;
        break;
      }
    }
  }
  deleteEnabled = false;
  updateAdd();
  refresh();
}

// ---- The dialog --------------------------------------------------------------------------

TFormLierDesTables::TFormLierDesTables(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormLierDesTables"));
  setWindowTitle(LoadText(55));

  auto named = [](QWidget* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
  };
  auto* Label1 = static_cast<QLabel*>(named(new QLabel(LoadText(25), this), "Label1"));
  auto* Label2 = static_cast<QLabel*>(named(new QLabel(LoadText(57), this), "Label2"));
  LabelMaitre = static_cast<QLabel*>(named(new QLabel(this), "LabelMaitre"));
  LabelEsclave = static_cast<QLabel*>(named(new QLabel(this), "LabelEsclave"));
  auto* BitBtnMaitre = static_cast<QPushButton*>(named(new QPushButton(LoadText(58), this), "BitBtnMaitre"));
  auto* BitBtnEsclave = static_cast<QPushButton*>(named(new QPushButton(LoadText(58), this), "BitBtnEsclave"));
  ListBoxMaitre = static_cast<QListWidget*>(named(new QListWidget(this), "ListBoxMaitre"));
  ListBoxEsclave = static_cast<QListWidget*>(named(new QListWidget(this), "ListBoxEsclave"));
  BitBtnAjouter = static_cast<QPushButton*>(named(new QPushButton(LoadText(59), this), "BitBtnAjouter"));
  auto* Label5 = static_cast<QLabel*>(named(new QLabel(LoadText(60), this), "Label5"));
  ListBoxLiens = static_cast<QListWidget*>(named(new QListWidget(this), "ListBoxLiens"));
  BitBtnSupprimer = static_cast<QPushButton*>(named(new QPushButton(LoadText(40), this), "BitBtnSupprimer"));
  auto* ok = static_cast<QPushButton*>(named(new QPushButton(QStringLiteral("OK"), this), "BitBtn1"));
  for (QPushButton* b : {BitBtnMaitre, BitBtnEsclave, BitBtnAjouter, BitBtnSupprimer, ok}) b->setAutoDefault(false);

  auto* grid = new QGridLayout;
  auto* masterHead = new QHBoxLayout;
  masterHead->addWidget(Label1);
  masterHead->addWidget(LabelMaitre, 1);
  masterHead->addWidget(BitBtnMaitre);
  auto* slaveHead = new QHBoxLayout;
  slaveHead->addWidget(Label2);
  slaveHead->addWidget(LabelEsclave, 1);
  slaveHead->addWidget(BitBtnEsclave);
  grid->addLayout(masterHead, 0, 0);
  grid->addLayout(slaveHead, 0, 1);
  grid->addWidget(ListBoxMaitre, 1, 0);
  grid->addWidget(ListBoxEsclave, 1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  auto* addRow = new QHBoxLayout;
  addRow->addStretch();
  addRow->addWidget(BitBtnAjouter);
  addRow->addStretch();
  layout->addLayout(addRow);
  layout->addWidget(Label5);
  layout->addWidget(ListBoxLiens);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(BitBtnSupprimer);
  bottom->addStretch();
  bottom->addWidget(ok);
  layout->addLayout(bottom);
  resize(560, 480);

  connect(BitBtnMaitre, &QPushButton::clicked, this, &TFormLierDesTables::BitBtnMaitreClick);
  connect(BitBtnEsclave, &QPushButton::clicked, this, &TFormLierDesTables::BitBtnEsclaveClick);
  connect(ListBoxMaitre, &QListWidget::currentRowChanged, this, [this](int i) {
    if (showing_) return;
    editor_.selectMasterField(i);
    showState();
  });
  connect(ListBoxEsclave, &QListWidget::currentRowChanged, this, [this](int i) {
    if (showing_) return;
    editor_.selectSlaveField(i);
    showState();
  });
  connect(ListBoxLiens, &QListWidget::currentRowChanged, this, [this](int i) {
    if (showing_) return;
    editor_.selectLink(i);
    showState();
  });
  connect(BitBtnAjouter, &QPushButton::clicked, this, [this] {
    editor_.add();
    showState();
  });
  connect(BitBtnSupprimer, &QPushButton::clicked, this, [this] {
    editor_.remove();
    showState();
  });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  showState();
}

void TFormLierDesTables::showState() {
  showing_ = true;
  LabelMaitre->setText(editor_.master.tableFile);
  LabelEsclave->setText(editor_.slave.tableFile);
  auto fill = [](QListWidget* list, const QStringList& items, int selected) {
    QStringList current;
    for (int i = 0; i < list->count(); ++i) current << list->item(i)->text();
    if (current != items) {
      list->clear();
      list->addItems(items);
    }
    list->setCurrentRow(selected);
    if (selected < 0) list->clearSelection();
  };
  fill(ListBoxMaitre, editor_.master.fields, editor_.master.selected);
  fill(ListBoxEsclave, editor_.slave.fields, editor_.slave.selected);
  fill(ListBoxLiens, editor_.links, editor_.selectedLink);
  BitBtnAjouter->setEnabled(editor_.addEnabled);
  BitBtnSupprimer->setEnabled(editor_.deleteEnabled);
  showing_ = false;
}

QString TFormLierDesTables::chooseTable() {
  session().SelectedTable.clear();
  TFormChoixTables chooser(this);
  chooser.exec();
  const QString chosen = session().SelectedTable;
  return chosen;
}

void TFormLierDesTables::BitBtnMaitreClick() {
  editor_.chooseMaster(chooseTable());
  showState();
}

void TFormLierDesTables::BitBtnEsclaveClick() {
  editor_.chooseSlave(chooseTable());
  showState();
}

}  // namespace korvi::relmap
