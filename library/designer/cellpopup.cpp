#include "library/designer/cellpopup.h"

#include "common/text/strings.h"

namespace korvi::designer {
namespace {

constexpr int kUnchangedText = 104;
constexpr int kDetailsText = 85;
constexpr int kRealTableText = 86;
constexpr int kLocationText = 87;
constexpr int kRealFieldText = 88;
constexpr int kTypeText = 103;
constexpr int kEditorText = 61;
constexpr int kClearText = 62;

// "<Inchangé>" followed by one item per word, the one equal to the cell ticked.
QList<PopupItem> wordItems(int firstTag, const QStringList& words, const QString& current) {
  QList<PopupItem> items{{firstTag, LoadText(kUnchangedText), true, false}};
  for (qsizetype i = 0; i < words.size(); ++i)
    items.append({firstTag + 1 + static_cast<int>(i), words[i], true, words[i] == current});
  return items;
}

}  // namespace

QList<PopupItem> popupItems(const QueryDocument& doc, int column, int row) {
  using namespace popuptag;
  const RowKind kind = doc.rowKind(column, row);
  switch (kind) {
    case RowKind::None:
      return {};
    case RowKind::Field:
    case RowKind::Table: {
      const engine::FieldType type = doc.typeCode(column);
      const QueryTable* table = doc.tableOfColumn(column);
      const QueryField* field = doc.fieldOfColumn(column);
      return {{kDetails, LoadText(kDetailsText), true, false},
              {kRealTable, LoadText(kRealTableText) + (table ? table->tableName : QString()), false, false},
              {kLocation, LoadText(kLocationText) + (table ? table->location : QString()), false, false},
              {kRealField, LoadText(kRealFieldText) + doc.realFieldName(column), false, false},
              {kType, LoadText(kTypeText) + typeLabel(type, field ? field->size : 0), false, false}};
    }
    case RowKind::Sort: {
      const engine::FieldType type = doc.typeCode(column);
      QList<PopupItem> items = wordItems(kSortUnchanged, sortWords(), doc.cell(column, row));
      items[2].enabled = items[3].enabled = sortAllowed(type);
      return items;
    }
    case RowKind::Show:
      return wordItems(kShowUnchanged, showWords(), doc.cell(column, row));
    case RowKind::Operation: {
      const engine::FieldType type = doc.typeCode(column);
      QList<PopupItem> items = wordItems(kOperationUnchanged, operationWords(), doc.cell(column, row));
      items[4].enabled = averageAllowed(type);
      items[5].enabled = sumAllowed(type);
      return items;
    }
    case RowKind::Criteria:
      return {{kCriteriaUnchanged, LoadText(kUnchangedText), true, false},
              {kEditor, LoadText(kEditorText), true, false},
              {kClear, LoadText(kClearText), !doc.cell(column, row).isEmpty(), false}};
  }
  return {};
}

PopupOutcome choosePopupItem(QueryDocument& doc, int column, int row, int tag) {
  using namespace popuptag;
  PopupOutcome outcome;
  outcome.wasModified = doc.isModified();
  const RowKind kind = doc.rowKind(column, row);
  if (kind == RowKind::None || tag % 10 == 0) return outcome;
  // Each tag belongs to the popup of one row kind; a tag of another popup does nothing.
  const auto in = [&](int first, int last) { return tag >= first && tag <= last; };
  if (kind == RowKind::Sort && in(11, 13)) {
    doc.setModified(true);
    outcome.changed = doc.setSort(column, static_cast<SortOrder>(tag - 11));
  } else if (kind == RowKind::Show && in(21, 22)) {
    doc.setModified(true);
    outcome.changed = doc.setShown(column, tag == 21);
  } else if (kind == RowKind::Operation && in(31, 37)) {
    doc.setModified(true);
    outcome.changed = doc.setOperation(column, static_cast<Operation>(tag - 31));
  } else if (kind == RowKind::Criteria && (tag == kEditor || tag == kClear)) {
    doc.setModified(true);
    if (tag == kEditor)
      outcome.next = PopupOutcome::Next::OpenEditor;
    else if (!doc.cell(column, row).isEmpty())
      outcome.next = PopupOutcome::Next::ConfirmClear;
  }
  return outcome;
}

}  // namespace korvi::designer
