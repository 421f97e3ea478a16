#include "library/designer/querydocument.h"

#include <algorithm>

#include "common/text/messages.h"
#include "common/text/strings.h"

namespace korvi::designer {
namespace {

using engine::FieldType;

constexpr int kFallbackCharWidth = 6;
// Padding stops here even if the measure never reaches the target width.
constexpr int kMaxLabelLength = 512;

QStringList emptyColumn() { return QStringList(QueryDocument::kRowCount, QString()); }

QString fileNamePart(const QString& path) {
  const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return path.mid(cut + 1);
}

}  // namespace

QueryDocument::QueryDocument(TextWidth textWidth) : textWidth_(std::move(textWidth)) {
  resetGrid();
  widths_[0] = kDefaultColumnWidth;
  labelRows();
}

QueryDocument::~QueryDocument() = default;

int QueryDocument::addListener(Listener listener) {
  const int id = nextListenerId_++;
  listeners_.emplace_back(id, std::move(listener));
  return id;
}

void QueryDocument::removeListener(int id) {
  std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void QueryDocument::notify(DocumentChange change) const {
  // A listener may remove itself while being told: walk a copy.
  const auto listeners = listeners_;
  for (const auto& [id, listener] : listeners)
    if (listener) listener(change);
}

void QueryDocument::setTextWidth(TextWidth textWidth) {
  textWidth_ = std::move(textWidth);
  labelRows();
}

int QueryDocument::textWidth(const QString& text) const {
  if (textWidth_) return textWidth_(text);
  return static_cast<int>(text.size()) * kFallbackCharWidth;
}

// ---- The grid ----

void QueryDocument::setColumnCount(int count) {
  count = std::max(count, 2);
  if (count == columnCount()) return;
  while (columnCount() < count) {
    cells_.append(emptyColumn());
    widths_.append(kDefaultColumnWidth);
  }
  while (columnCount() > count) {
    cells_.removeLast();
    widths_.removeLast();
  }
  if (currentColumn_ >= count) currentColumn_ = count - 1;
  gridChanged();
}

QString QueryDocument::cell(int column, int row) const {
  if (column < 0 || column >= columnCount() || row < 0 || row >= kRowCount) return {};
  return cells_[column][row];
}

bool QueryDocument::setCell(int column, int row, const QString& text) {
  if (!validQueryColumn(column) || row < 1 || row >= kRowCount) return false;
  if (cells_[column][row] != text) {
    cells_[column][row] = text;
    // The last column stays a spare one, whatever a file put there.
    if (column == columnCount() - 1 && !text.isEmpty()) appendSpareColumn();
    gridChanged();
  }
  return true;
}

int QueryDocument::columnWidth(int column) const {
  if (column < 0 || column >= columnCount()) return kDefaultColumnWidth;
  return widths_[column];
}

void QueryDocument::setColumnWidth(int column, int width) {
  if (column < 0 || column >= columnCount() || width < 0 || widths_[column] == width) return;
  widths_[column] = width;
  if (column == 0) labelRows();
  gridChanged();
}

QString QueryDocument::alignedLabel(const QString& text, int columnWidth, const TextWidth& measure) {
  const auto width = [&](const QString& s) {
    return measure ? measure(s) : static_cast<int>(s.size()) * kFallbackCharWidth;
  };
  QString label = text;
  int current = width(label);
  while (current < columnWidth - 10 && label.size() < kMaxLabelLength) {
    label.prepend(QLatin1Char(' '));
    const int wider = width(label);
    if (wider <= current) break;  // a space that measures nothing would never get there
    current = wider;
  }
  return label;
}

void QueryDocument::labelRows() {
  for (int row = 0; row < kRowCount; ++row) {
    const int id = rowLabelTextId(row);
    cells_[0][row] = id ? alignedLabel(LoadText(id), widths_[0], textWidth_) : QString();
  }
  gridChanged();
}

RowKind QueryDocument::rowKind(int column, int row) const {
  if (!columnHasField(column) || row < 1 || row >= kRowCount) return RowKind::None;
  switch (row) {
    case gridrow::kField: return RowKind::Field;
    case gridrow::kTable: return RowKind::Table;
    case gridrow::kSort: return RowKind::Sort;
    case gridrow::kShow: return RowKind::Show;
    case gridrow::kOperation: return RowKind::Operation;
    default: return RowKind::Criteria;
  }
}

bool QueryDocument::columnHasField(int column) const {
  return validQueryColumn(column) && !cells_[column][gridrow::kField].isEmpty();
}

bool QueryDocument::isColumnEmpty(int column) const {
  if (column < 0 || column >= columnCount()) return true;
  return std::all_of(cells_[column].begin(), cells_[column].end(),
                     [](const QString& s) { return s.isEmpty(); });
}

bool QueryDocument::isEmpty() const {
  if (!tables_.empty()) return false;
  for (int c = 1; c < columnCount(); ++c)
    if (columnHasField(c)) return false;
  return true;
}

// ---- Cell choices ----

bool QueryDocument::isAggregating(int column) const {
  const QString& word = cells_[column][gridrow::kOperation];
  return !word.isEmpty() && word != operationWord(Operation::None);
}

bool QueryDocument::isSorting(int column) const {
  const QString& word = cells_[column][gridrow::kSort];
  return !word.isEmpty() && word != sortWord(SortOrder::NotSorted);
}

bool QueryDocument::setSort(int column, SortOrder order) {
  if (!columnHasField(column)) return false;
  if (order != SortOrder::NotSorted) {
    const QueryField* field = fieldOfColumn(column);
    if (!field || !sortAllowed(field->type)) return false;
  }
  cells_[column][gridrow::kSort] = sortWord(order);
  if (order != SortOrder::NotSorted) cells_[column][gridrow::kShow] = showWord(true);
  gridChanged();
  return true;
}

bool QueryDocument::setOperation(int column, Operation operation) {
  if (!columnHasField(column)) return false;
  if (operation == Operation::Average || operation == Operation::Sum) {
    const QueryField* field = fieldOfColumn(column);
    if (!field || !operationAllowed(field->type, operation)) return false;
  }
  cells_[column][gridrow::kOperation] = operationWord(operation);
  if (operation != Operation::None) cells_[column][gridrow::kShow] = showWord(true);
  gridChanged();
  return true;
}

bool QueryDocument::setShown(int column, bool shown) {
  if (!columnHasField(column)) return false;
  bool accepted = true;
  if (!shown) {
    if (isAggregating(column)) {
      ShowInformation(LoadText(textid::kCannotHideOperation));
      accepted = false;
    }
    if (isSorting(column)) {
      ShowInformation(LoadText(textid::kCannotHideSort));
      accepted = false;
    }
  }
  cells_[column][gridrow::kShow] = showWord(shown || !accepted);
  gridChanged();
  return accepted;
}

bool QueryDocument::setCriteria(int column, int row, const QString& text) {
  if (!columnHasField(column) || row < gridrow::kFirstCriteria || row > gridrow::kLast) return false;
  if (text.size() > kMaxCriteriaLength) return false;
  if (cells_[column][row] != text) {
    cells_[column][row] = text;
    setModified(true);
    gridChanged();
  }
  return true;
}

void QueryDocument::fitColumnToCell(int column, int row, bool fixedWidth) {
  if (fixedWidth || !validQueryColumn(column)) return;
  const int width = textWidth(cell(column, row));
  if (widths_[column] < width - 5) setColumnWidth(column, width + 5);
}

bool QueryDocument::clearCriteriaCell(int column, int row) {
  if (!validQueryColumn(column) || row < gridrow::kFirstCriteria || row > gridrow::kLast) return false;
  if (cells_[column][row].isEmpty()) return false;
  cells_[column][row].clear();
  setModified(true);
  gridChanged();
  return true;
}

// ---- Current cell and selection ----

void QueryDocument::setCurrentCell(int column, int row) {
  currentColumn_ = std::clamp(column, 1, columnCount() - 1);
  currentRow_ = std::clamp(row, 1, kRowCount - 1);
  selection_ = {currentColumn_, currentRow_, currentColumn_, currentRow_};
}

void QueryDocument::setSelection(const GridSelection& selection) { selection_ = selection; }

void QueryDocument::selectWholeColumn(int column) {
  if (!validQueryColumn(column)) return;
  currentColumn_ = column;
  selection_ = {column, 0, column, kRowCount - 1};
}

bool QueryDocument::selectionIsWholeColumn() const {
  return selection_.left == selection_.right && selection_.bottom - selection_.top == kRowCount - 1;
}

// ---- Column operations ----

void QueryDocument::removeColumnAt(int column) {
  cells_.removeAt(column);
  cells_.append(emptyColumn());
  // Widths stay with the positions: the position that disappears is the last one.
  setColumnCount(columnCount() - 1);
}

void QueryDocument::appendSpareColumn() { setColumnCount(columnCount() + 1); }

bool QueryDocument::deleteColumn(int column) {
  if (column < 1 || column >= columnCount() - 1) return false;
  removeColumnAt(column);
  setModified(true);
  gridChanged();
  return true;
}

void QueryDocument::moveColumn(int from, int to, bool fixedWidth) {
  if (!validQueryColumn(from) || !validQueryColumn(to)) return;
  const bool ontoLast = to == columnCount() - 1;
  if (from != to) {
    cells_.move(from, to);
    widths_.move(from, to);
  }
  for (int c = 1; c < columnCount() - 1;) {
    if (isColumnEmpty(c))
      removeColumnAt(c);
    else
      ++c;
  }
  if (!isColumnEmpty(columnCount() - 1)) appendSpareColumn();
  if (ontoLast && !fixedWidth && columnCount() > 2) {
    const int c = columnCount() - 2;
    int widest = kDefaultColumnWidth;
    for (const QString& text : cells_[c]) widest = std::max(widest, textWidth(text));
    widths_[c] = widest + 5;
  }
  if (from != to) setModified(true);
  gridChanged();
}

bool QueryDocument::canDrop(int column, const QueryTable* source) const {
  if (!validQueryColumn(column) || !source || source->fields.isEmpty()) return false;
  // Only fields of a table in this query may enter the grid.
  return std::any_of(tables_.begin(), tables_.end(),
                     [&](const auto& t) { return t.get() == source || t->longName == source->longName; });
}

bool QueryDocument::dragOver(int column, const QueryTable* source) {
  if (!canDrop(column, source)) return false;
  selection_ = {column, 1, column, kRowCount - 1};
  currentColumn_ = column;
  setModified(true);
  return true;
}

void QueryDocument::placeField(int column, const QueryTable& source, const QString& displayName,
                               bool fixedWidth) {
  QStringList& cells = cells_[column];
  cells[gridrow::kField] = displayName;
  cells[gridrow::kTable] = source.longName;
  cells[gridrow::kSort] = sortWord(SortOrder::NotSorted);
  cells[gridrow::kShow] = showWord(true);
  cells[gridrow::kOperation] = operationWord(Operation::None);
  for (int row = gridrow::kFirstCriteria; row <= gridrow::kLast; ++row) cells[row].clear();
  // The spare column must stay empty and last.
  if (!isColumnEmpty(columnCount() - 1)) appendSpareColumn();
  widths_[column] = fixedWidth ? kDefaultColumnWidth
                               : std::max(textWidth(displayName), textWidth(source.longName)) + 5;
  currentColumn_ = column;
  currentRow_ = gridrow::kField;
  selection_ = {column, currentRow_, column, currentRow_};
  setModified(true);
  gridChanged();
}

bool QueryDocument::dropField(int column, const QueryTable& source, const QString& displayName,
                              bool fixedWidth) {
  if (!canDrop(column, &source) || source.indexOfField(displayName) < 0) return false;
  placeField(column, source, displayName, fixedWidth);
  return true;
}

int QueryDocument::appendField(const QueryTable& source, const QString& displayName, bool fixedWidth) {
  const int column = columnCount() - 1;
  return dropField(column, source, displayName, fixedWidth) ? column : -1;
}

void QueryDocument::resetGrid() {
  const QStringList labels = cells_.isEmpty() ? emptyColumn() : cells_[0];
  const int labelWidth = widths_.isEmpty() ? kDefaultColumnWidth : widths_[0];
  cells_ = {labels, emptyColumn()};
  widths_ = {labelWidth, kDefaultColumnWidth};
  currentColumn_ = 1;
  currentRow_ = 1;
  selection_ = GridSelection{};
}

void QueryDocument::clearGrid() {
  resetGrid();
  setModified(true);
  gridChanged();
}

// ---- Tables ----

QList<QueryTable*> QueryDocument::tables() {
  QList<QueryTable*> list;
  for (const auto& t : tables_) list << t.get();
  return list;
}

QList<const QueryTable*> QueryDocument::tables() const {
  QList<const QueryTable*> list;
  for (const auto& t : tables_) list << t.get();
  return list;
}

QueryTable* QueryDocument::tableByNumber(int number) {
  return const_cast<QueryTable*>(std::as_const(*this).tableByNumber(number));
}

const QueryTable* QueryDocument::tableByNumber(int number) const {
  for (const auto& t : tables_)
    if (t->number == number) return t.get();
  return nullptr;
}

const QueryTable* QueryDocument::tableNamed(const QString& longName) const {
  if (longName.isEmpty()) return nullptr;
  for (const auto& t : tables_)
    if (t->longName == longName) return t.get();
  return nullptr;
}

QueryTable* QueryDocument::tableOfColumn(int column) {
  return const_cast<QueryTable*>(std::as_const(*this).tableOfColumn(column));
}

const QueryTable* QueryDocument::tableOfColumn(int column) const {
  if (!validQueryColumn(column)) return nullptr;
  return tableNamed(cells_[column][gridrow::kTable]);
}

QueryTable& QueryDocument::addTable(QueryTable table) {
  table.number = nextTableNumber_++;
  tables_.push_back(std::make_unique<QueryTable>(std::move(table)));
  setModified(true);
  tablesChanged();
  return *tables_.back();
}

bool QueryDocument::removeTable(int number) {
  const auto it = std::find_if(tables_.begin(), tables_.end(),
                               [&](const auto& t) { return t->number == number; });
  if (it == tables_.end()) return false;
  const QueryTable* table = it->get();
  for (int c = columnCount() - 2; c >= 1; --c)
    if (tableOfColumn(c) == table) removeColumnAt(c);
  tables_.erase(it);
  setModified(true);
  renumberTables();
  gridChanged();
  return true;
}

void QueryDocument::renumberTables() {
  std::vector<QueryTable*> order;
  for (const auto& t : tables_) order.push_back(t.get());
  std::stable_sort(order.begin(), order.end(),
                   [](const QueryTable* a, const QueryTable* b) { return a->number < b->number; });
  int number = 1;
  for (QueryTable* t : order) t->number = number++;
  nextTableNumber_ = number;
  tablesChanged();
}

void QueryDocument::setNextTableNumber(int number) { nextTableNumber_ = std::max(number, 1); }

QStringList QueryDocument::longNames() const {
  QStringList list;
  for (const auto& t : tables_) list << t->longName;
  return list;
}

QStringList QueryDocument::tableNames() const {
  QStringList list;
  for (const auto& t : tables_) list << t->tableName;
  return list;
}

QStringList QueryDocument::locations() const {
  QStringList list;
  for (const auto& t : tables_) list << t->location;
  return list;
}

const QueryField* QueryDocument::fieldOfColumn(int column) const {
  const QueryTable* table = tableOfColumn(column);
  if (!table || !columnHasField(column)) return nullptr;
  return table->field(cells_[column][gridrow::kField]);
}

FieldType QueryDocument::typeCode(int column) const {
  if (!columnHasField(column)) return FieldType::ftUnknown;
  if (const QueryField* field = fieldOfColumn(column)) return field->type;
  ShowMessageBox(LoadText(textid::kUnknownFieldType), MsgKind::Error, mbOK, mbOK);
  return FieldType::ftUnknown;
}

QString QueryDocument::realFieldName(int column) const {
  const QueryField* field = fieldOfColumn(column);
  if (!field) return {};
  if (!quoting_) return field->physicalName;
  return QLatin1Char('"') + field->physicalName + QLatin1Char('"');
}

// ---- State ----

void QueryDocument::setFileName(const QString& fileName) {
  if (fileName_ == fileName) return;
  fileName_ = fileName;
  stateChanged();
}

void QueryDocument::setModified(bool modified) {
  if (modified_ == modified) return;
  modified_ = modified;
  stateChanged();
}

void QueryDocument::setFieldNameQuoting(bool quoting) {
  if (quoting_ == quoting) return;
  quoting_ = quoting;
  stateChanged();
}

QString QueryDocument::caption() const {
  if (fileName_.isEmpty()) return LoadText(textid::kUntitledCaption);
  return QStringLiteral("Korvi Selectra - ") + fileNamePart(fileName_);
}

ToolbarState QueryDocument::toolbarState(bool allowSave) const {
  ToolbarState state;
  const bool open = !tables_.empty();
  state.execute = state.removeTable = state.clearCriteria = state.deleteColumn = state.newQuery = open;
  state.save = state.saveAs = open && allowSave;
  state.addTable = true;
  return state;
}

void QueryDocument::emptyQuery() {
  tables_.clear();
  nextTableNumber_ = 1;
  resetGrid();
  fileName_.clear();
  quoting_ = true;
  tablesChanged();
  gridChanged();
  stateChanged();
}

void QueryDocument::newQuery() {
  emptyQuery();
  setModified(false);
}

}  // namespace korvi::designer
