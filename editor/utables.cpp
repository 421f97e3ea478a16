#include "editor/utables.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/dialogs/waitcursor.h"
#include "common/text/messages.h"
#include "common/text/strings.h"
#include "editor/ualias.h"
#include "editor/uchamps.h"
#include "editor/uglobal.h"

namespace korvi::relmap {

namespace {

const QString kTables = QLatin1String(ModelFile::kTables);
constexpr int kVisibleRows = 11;

// Position of the last directory separator of a path ("/" or "\").
qsizetype lastSeparator(const QString& path) {
  return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

// A friendly name is a key of the model file: it may not hold "=" nor start like a section
// or a comment line, or the file would no longer read back as written.
bool acceptableName(const QString& name) {
  if (!name.contains(QLatin1Char('=')) && !name.startsWith(QLatin1Char('[')) && !name.startsWith(QLatin1Char(';')))
    return true;
  ShowInformation(frenchOrEnglish("Un nom de table ne peut pas contenir \"=\" ni commencer par \"[\" ou \";\".",
                                  "A table name cannot hold \"=\" nor start with \"[\" or \";\"."));
  return false;
}

QString withoutLeadingSpaces(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == QLatin1Char(' ')) ++i;
  return text.mid(i);
}

}  // namespace

TableNaming::TableNaming() { rows_.resize(kRows); }

void TableNaming::load() {
  rows_.clear();
  const ModelFile& model = session().model();
  for (const QString& key : model.ini().readSection(kTables)) {
    const QString value = model.ini().readString(kTables, key);
    if (value.isEmpty()) continue;
    const ModelTableEntry entry = ModelFile::splitEntry(key, value);
    rows_.append({entry.location + entry.tableFile, key});
  }
  while (rows_.size() < kRows) rows_.append(TableRow{});
  selected_ = 1;
}

void TableNaming::selectRow(int r) {
  if (r >= 1 && r <= rowCount()) selected_ = r;
}

bool TableNaming::nameStored(const QString& name) const {
  return !name.isEmpty() && !session().model().ini().readString(kTables, name).isEmpty();
}

bool TableNaming::isStored(int r) const { return r >= 1 && r <= rowCount() && nameStored(row(r).name); }

bool TableNaming::buttonEnabled(int k, int topRow) const {
  const int r = topRow + k - 1;
  return r >= 1 && r <= rowCount() && row(r).filled();
}

int TableNaming::firstEmptyRow() {
  for (int r = 1; r <= rowCount(); ++r)
    if (row(r).empty()) return r;
  rows_.append(TableRow{});  // a full grid grows rather than refusing the table
  return rowCount();
}

int TableNaming::rowWithPlace(int before, const QString& place) const {
  for (int r = 1; r < before; ++r)
    if (row(r).place.compare(place, Qt::CaseInsensitive) == 0) return r;
  return 0;
}

void TableNaming::addFromAlias(const AliasChooser& chooser) {
  QString alias, table;
  if (!chooser || !chooser(alias, table)) return;
  const QString place = QLatin1Char(':') + alias + QLatin1Char(':') + table;
  const int i = firstEmptyRow();
  if (const int existing = rowWithPlace(i, place)) {
    ShowInformation(LoadText(45));
    selectRow(existing);
    return;
  }
  rows_[i - 1].place = place;
  selectRow(i);
  QString name = table;
  if (!AskText(LoadText(46), LoadText(47), name)) {
    rows_[i - 1].place.clear();
    ShowInformation(LoadText(49));
    return;
  }
  if (name.isEmpty()) name = table;
  name = withoutLeadingSpaces(name);
  if (name.isEmpty()) name = table;
  if (!acceptableName(name)) {
    rows_[i - 1].place.clear();
    return;
  }
  if (nameStored(name)) {
    rows_[i - 1].place.clear();
    ShowInformation(LoadText(48));
    return;
  }
  rows_[i - 1].name = name;
}

void TableNaming::addFromDirectory() {
  FileRequest request;
  request.caption = LoadText(97);
  request.fileName = QStringLiteral("*.db");
  request.defaultSuffix = QStringLiteral("db");
  request.filter = qtFilter(LoadText(96));
  request.directory = session().ModelDir;
  QString path;
  if (!messages().askFile(request, path)) path.clear();
  addFromDirectoryPath(path);
}

void TableNaming::addFromDirectoryPath(const QString& chosen) {
  if (chosen.isEmpty()) return;
  // The directory keeps its case (file systems here tell case apart); the file name is
  // lowercased, as the engine finds table files without regard to case.
  const QString absolute = QFileInfo(chosen).absoluteFilePath();
  const qsizetype sep = lastSeparator(absolute);
  const QString path = absolute.left(sep + 1) + absolute.mid(sep + 1).toLower();
  if (path.contains(QLatin1Char(','))) {
    ShowInformation(frenchOrEnglish("Le chemin d'une table ne peut pas contenir de virgule.",
                                    "The path of a table cannot hold a comma."));
    return;
  }
  const int i = firstEmptyRow();
  if (const int existing = rowWithPlace(i, path)) {
    ShowInformation(LoadText(45));
    selectRow(existing);
    return;
  }
  rows_[i - 1].place = path;
  selectRow(i);
  QString name = QFileInfo(chosen).fileName();
  if (!AskText(LoadText(46), LoadText(47), name)) {
    rows_[i - 1].place.clear();
    ShowInformation(LoadText(49));
    return;
  }
  if (!acceptableName(name)) {
    rows_[i - 1].place.clear();
    return;
  }
  if (nameStored(name)) {
    rows_[i - 1].place.clear();
    ShowInformation(LoadText(45));
    return;
  }
  rows_[i - 1].name = name;
}

void TableNaming::renameSelected() {
  const int r = selected_;
  const QString oldName = row(r).name;
  if (oldName.isEmpty()) {
    ShowInformation(LoadText(53));
    return;
  }
  QString answer = oldName;
  if (!AskText(LoadText(50), textWith(51, oldName), answer)) return;
  const QString newName = withoutLeadingSpaces(answer);
  if (newName.isEmpty()) {
    ShowInformation(LoadText(52));
    return;
  }
  if (!acceptableName(newName)) return;
  const bool stored = isStored(r);
  rows_[r - 1].name = newName;
  if (!stored) return;
  for (int other = 1; other <= rowCount(); ++other) {
    if (other == r || row(other).name.isEmpty()) continue;
    if (row(other).name.toUpper() == newName.toUpper()) {
      ShowInformation(LoadText(48));
      rows_[r - 1].name = oldName;
      return;
    }
  }
  const QString value = session().model().ini().readString(kTables, oldName);
  session().model().ini().writeString(kTables, oldName, QString());
  // A change of case only: the emptied key must be gone before the new spelling is written,
  // as keys compare without regard to case. (Compaction binds the model anew.)
  if (oldName.compare(newName, Qt::CaseInsensitive) == 0) compact();
  session().model().ini().writeString(kTables, newName, value);
  compact();
}

void TableNaming::deleteSelected() {
  const int r = selected_;
  if (r < 1 || r > rowCount() || row(r).empty()) {
    ShowInformation(LoadText(44));
    return;
  }
  if (!AskConfirmation(LoadText(43))) return;
  if (isStored(r)) {
    ModelFile& model = session().model();
    IniFile& ini = model.ini();
    QString location, tableFile;
    splitPlace(row(r).place, location, tableFile);
    // Entries that name the same table file share the first one's sections: those stay
    // while another entry still uses them.
    bool shared = false;
    for (const ModelTableEntry& e : model.tables())
      if (e.name.compare(row(r).name, Qt::CaseInsensitive) != 0 && !e.tableFile.isEmpty() &&
          e.tableFile.compare(tableFile, Qt::CaseInsensitive) == 0)
        shared = true;
    const QString n = model.TableNumberOf(tableFile, ModelSide::Editor);
    if (!n.isEmpty() && !shared) {
      const QString linkSection = n + QLatin1Char('L');
      const int count = ini.readInteger(linkSection, QStringLiteral("N"), 0);
      for (int k = 1; k <= count; ++k) ini.eraseSection(linkSection + QString::number(k));
      ini.eraseSection(linkSection);
      ini.eraseSection(n);
    }
    ini.writeString(kTables, row(r).name, QString());
  }
  rows_.removeAt(r - 1);
  rows_.append(TableRow{});
  selected_ = 1;
  compact();
}

void TableNaming::splitPlace(const QString& place, QString& location, QString& tableFile) {
  if (place.startsWith(QLatin1Char(':'))) {
    const qsizetype second = place.indexOf(QLatin1Char(':'), 1);
    location = second < 0 ? place : place.left(second + 1);
    tableFile = second < 0 ? QString() : place.mid(second + 1);
    return;
  }
  const qsizetype sep = lastSeparator(place);
  location = place.left(sep + 1);
  tableFile = place.mid(sep + 1);
}

void TableNaming::storeNewTables() {
  int last = 0;
  for (int r = 1; r <= rowCount(); ++r)
    if (!row(r).empty()) last = r;
  if (last == 0) return;
  ModelFile& model = session().model();
  try {
    for (int r = 1; r <= last; ++r) {
      if (!row(r).filled() || isStored(r)) continue;
      QString location, tableFile;
      splitPlace(row(r).place, location, tableFile);
      model.ini().writeString(kTables, row(r).name,
                              location + QLatin1Char(',') + tableFile + QLatin1Char(',') + model.NextTableNumber());
    }
  } catch (const IniWriteError& e) {
    // Say so rather than lose the rows quietly.
    reportInternalError(e.text());
  }
  compact();
}

void TableNaming::compact() {
  WaitCursor wait;
  Session& s = session();
  s.releaseModel();
  CompactModelFile(s.ModelPath);
  s.bindModel(s.ModelPath);
}

// ---- The dialog --------------------------------------------------------------------------

TFormDescriptionTables::TFormDescriptionTables(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormDescriptionTables"));
  setWindowTitle(LoadText(36));

  StringGrid1 = new QTableWidget(this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setColumnCount(2);
  StringGrid1->setHorizontalHeaderLabels({LoadText(41), LoadText(42)});
  StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  StringGrid1->verticalHeader()->setDefaultSectionSize(25);
  StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid1->verticalHeader()->hide();
  StringGrid1->horizontalHeader()->setFixedHeight(25);
  StringGrid1->setColumnWidth(0, 300);
  StringGrid1->setColumnWidth(1, 180);
  StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  StringGrid1->installEventFilter(this);
  const int frame = 2 * StringGrid1->frameWidth();
  StringGrid1->setFixedSize(480 + StringGrid1->verticalScrollBar()->sizeHint().width() + frame,
                            25 + kVisibleRows * 25 + frame);

  auto* buttonColumn = new QWidget(this);
  buttonColumn->setFixedWidth(28);
  for (int k = 1; k <= TableNaming::kButtons; ++k) {
    auto* b = new QToolButton(buttonColumn);
    b->setObjectName(QStringLiteral("SpeedButton%1").arg(k));
    b->setText(QStringLiteral("..."));
    b->setGeometry(2, 25 + (k - 1) * 25 + StringGrid1->frameWidth(), 25, 25);
    connect(b, &QToolButton::clicked, this, [this, k] { SpeedButton1Click(k); });
    speedButtons_.append(b);
  }
  buttonColumn->setFixedHeight(StringGrid1->height());

  auto makeButton = [this](const char* name, int text, int hint) {
    auto* b = new QPushButton(LoadText(text), this);
    b->setObjectName(QLatin1String(name));
    if (hint) b->setToolTip(LoadText(hint));
    b->setAutoDefault(false);
    return b;
  };
  QPushButton* alias = makeButton("BitBtnAlias", 37, 92);
  QPushButton* directory = makeButton("BitBtnRepertoire", 38, 93);
  QPushButton* rename = makeButton("BitBtnRename", 39, 94);
  QPushButton* remove = makeButton("BitBtnSupprimer", 40, 95);
  QPushButton* ok = makeButton("BitBtn1", 1, 0);
  ok->setText(QStringLiteral("OK"));
  connect(alias, &QPushButton::clicked, this, &TFormDescriptionTables::BitBtnAliasClick);
  connect(directory, &QPushButton::clicked, this, &TFormDescriptionTables::BitBtnRepertoireClick);
  connect(rename, &QPushButton::clicked, this, &TFormDescriptionTables::BitBtnRenameClick);
  connect(remove, &QPushButton::clicked, this, &TFormDescriptionTables::BitBtnSupprimerClick);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* gridRow = new QHBoxLayout;
  gridRow->setSpacing(0);
  gridRow->addWidget(StringGrid1);
  gridRow->addWidget(buttonColumn);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {alias, directory, rename, remove}) buttons->addWidget(b);
  buttons->addStretch();
  buttons->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(gridRow);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
    naming_.selectRow(row + 1);
    refreshButtons();
  });
  connect(StringGrid1->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { refreshButtons(); });

  naming_.load();
  refreshGrid();
}

int TFormDescriptionTables::topRow() const { return StringGrid1->rowAt(0) + 1; }

void TFormDescriptionTables::refreshGrid() {
  const QSignalBlocker block(StringGrid1);
  StringGrid1->setRowCount(naming_.rowCount());
  for (int r = 1; r <= naming_.rowCount(); ++r) {
    for (int c = 0; c < 2; ++c) {
      const QString text = c == 0 ? naming_.row(r).place : naming_.row(r).name;
      QTableWidgetItem* item = StringGrid1->item(r - 1, c);
      if (!item) StringGrid1->setItem(r - 1, c, item = new QTableWidgetItem);
      item->setText(text);
    }
  }
  StringGrid1->setCurrentCell(naming_.selectedRow() - 1, 0);
  refreshButtons();
}

void TFormDescriptionTables::refreshButtons() {
  const int top = std::max(1, topRow());
  for (int k = 1; k <= speedButtons_.size(); ++k) speedButtons_[k - 1]->setEnabled(naming_.buttonEnabled(k, top));
}

void TFormDescriptionTables::BitBtnAliasClick() {
  naming_.addFromAlias([this](QString& alias, QString& table) {
    TFormOuvertureAlias dialog(this);
    if (dialog.exec() != QDialog::Accepted) return false;
    alias = session().SelectedAlias;
    table = session().SelectedTable;
    return true;
  });
  refreshGrid();
}

void TFormDescriptionTables::BitBtnRepertoireClick() {
  naming_.addFromDirectory();
  refreshGrid();
}

void TFormDescriptionTables::BitBtnRenameClick() {
  naming_.renameSelected();
  refreshGrid();
}

void TFormDescriptionTables::BitBtnSupprimerClick() {
  naming_.deleteSelected();
  refreshGrid();
  StringGrid1->setCurrentCell(0, 1);
  StringGrid1->setFocus();
}

void TFormDescriptionTables::SpeedButton1Click(int k) {
  naming_.storeNewTables();
  const int r = topRow() + k - 1;
  naming_.selectRow(r);
  refreshGrid();
  session().SelectedTable = naming_.row(naming_.selectedRow()).name;
  TFormDescriptionChamps dialog(this);
  dialog.exec();
}

void TFormDescriptionTables::done(int result) {
  // OK, Escape and the window's close button all store the new tables.
  if (!stored_) {
    stored_ = true;
    naming_.storeNewTables();
  }
  QDialog::done(result);
}

bool TFormDescriptionTables::eventFilter(QObject* watched, QEvent* event) {
  if (watched == StringGrid1 && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
      case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
      case Qt::Key_Escape: case Qt::Key_Tab: case Qt::Key_Backtab:
        return false;
      default:
        if (!key->text().isEmpty() && key->text()[0].isPrint()) ShowInformation(LoadText(54));
        return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace korvi::relmap
