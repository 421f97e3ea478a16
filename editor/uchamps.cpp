#include "editor/uchamps.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/dialogs/waitcursor.h"
#include "common/engine/engine.h"
#include "common/text/messages.h"
#include "common/text/strings.h"
#include "editor/uglobal.h"

namespace korvi::relmap {

void FieldNaming::load(const QString& friendlyName) {
  rows_.clear();
  loaded_ = false;
  ModelFile& model = session().model();
  const QString value = friendlyName.isEmpty()
                            ? QString()
                            : model.ini().readString(QLatin1String(ModelFile::kTables), friendlyName);
  const ModelTableEntry entry = ModelFile::splitEntry(friendlyName, value);
  if (value.isEmpty() || entry.tableFile.isEmpty()) {
    ShowInformation(QStringLiteral("Unexpected error : TableName missing !"));
    return;
  }
  const QString database = ModelFile::databaseNameOf(entry.location, ModelSide::Editor);
  QList<engine::FieldDesc> fields;
  try {
    WaitCursor wait;
    std::unique_ptr<engine::Table> table = engine::Engine::instance().OpenTable(database, entry.tableFile);
    fields = engine::Engine::GetFieldDescriptions(*table);
    table->close();
  } catch (const engine::EngineError& e) {
    ShowInformation(e.text());
    return;
  }
  number_ = model.TableNumberOf(entry.tableFile, ModelSide::Editor);
  if (number_.isEmpty()) number_ = model.NextTableNumber();
  for (int p = 1; p <= fields.size(); ++p)
    rows_.append({fields[p - 1].name, model.ini().readString(number_, QString::number(p))});
  loaded_ = true;
}

void FieldNaming::copyOne(int r) {
  if (r < 1 || r > rowCount()) return;
  FieldRow& f = row(r);
  if (!f.friendly.isEmpty() && !AskConfirmation(textWith(35, f.friendly))) return;
  f.friendly = f.field;
}

void FieldNaming::store() {
  if (!loaded_ || number_.isEmpty()) return;
  IniFile& ini = session().model().ini();
  ini.eraseSection(number_);
  for (int p = 1; p <= rowCount() && !row(p).field.isEmpty(); ++p)
    if (!row(p).friendly.isEmpty()) ini.writeString(number_, QString::number(p), row(p).friendly);
}

// ---- The dialog --------------------------------------------------------------------------

TFormDescriptionChamps::TFormDescriptionChamps(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormDescriptionChamps"));
  setWindowTitle(LoadText(30));
  const QString table = session().SelectedTable;

  auto* Label1 = new QLabel(LoadText(98) + table, this);
  Label1->setObjectName(QStringLiteral("Label1"));
  StringGrid1 = new QTableWidget(this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setColumnCount(2);
  StringGrid1->setHorizontalHeaderLabels({LoadText(33), LoadText(34)});
  StringGrid1->verticalHeader()->hide();
  StringGrid1->verticalHeader()->setDefaultSectionSize(22);
  StringGrid1->horizontalHeader()->setStretchLastSection(true);
  StringGrid1->setColumnWidth(0, 180);
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::SelectedClicked |
                               QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked);
  StringGrid1->installEventFilter(this);

  auto makeButton = [this](const char* name, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* ok = makeButton("BitBtn1", QStringLiteral("OK"));
  QPushButton* cancel = makeButton("BitBtn2", LoadText(2));
  QPushButton* copyOne = makeButton("BitBtnCopieUn", LoadText(31));
  QPushButton* copyAll = makeButton("BitBtnCopieTous", LoadText(32));
  connect(ok, &QPushButton::clicked, this, &TFormDescriptionChamps::BitBtn1Click);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(copyOne, &QPushButton::clicked, this, &TFormDescriptionChamps::BitBtnCopieUnClick);
  connect(copyAll, &QPushButton::clicked, this, &TFormDescriptionChamps::BitBtnCopieTousClick);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(StringGrid1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copyOne);
  buttons->addWidget(copyAll);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  resize(440, 400);

  naming_.load(table);
  pushGrid();
}

void TFormDescriptionChamps::pushGrid() {
  StringGrid1->setRowCount(naming_.rowCount());
  for (int r = 1; r <= naming_.rowCount(); ++r) {
    auto* field = new QTableWidgetItem(naming_.row(r).field);
    field->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    StringGrid1->setItem(r - 1, 0, field);
    StringGrid1->setItem(r - 1, 1, new QTableWidgetItem(naming_.row(r).friendly));
  }
}

void TFormDescriptionChamps::pullGrid() {
  // A cell being edited gives its text to the grid first.
  if (QWidget* editor = QApplication::focusWidget(); editor && StringGrid1->isAncestorOf(editor))
    StringGrid1->setFocus();
  for (int r = 1; r <= naming_.rowCount(); ++r)
    if (QTableWidgetItem* item = StringGrid1->item(r - 1, 1)) naming_.row(r).friendly = item->text();
}

void TFormDescriptionChamps::BitBtn1Click() {
  pullGrid();
  naming_.store();
  accept();
}

void TFormDescriptionChamps::BitBtnCopieUnClick() {
  const int r = StringGrid1->currentRow() + 1;
  if (r < 1) return;
  pullGrid();
  naming_.copyOne(r);
  StringGrid1->item(r - 1, 1)->setText(naming_.row(r).friendly);
}

void TFormDescriptionChamps::BitBtnCopieTousClick() {
  pullGrid();
  naming_.copyAll([this](int r) {
    StringGrid1->setCurrentCell(r - 1, 0);
    QApplication::processEvents();
  });
  pushGrid();
}

bool TFormDescriptionChamps::eventFilter(QObject* watched, QEvent* event) {
  if (watched == StringGrid1 && event->type() == QEvent::KeyPress && StringGrid1->currentColumn() == 0) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
      case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
      case Qt::Key_Escape: case Qt::Key_Tab: case Qt::Key_Backtab: case Qt::Key_Return: case Qt::Key_Enter:
        return false;
      default:
        return true;  // the field names are read-only
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace korvi::relmap
