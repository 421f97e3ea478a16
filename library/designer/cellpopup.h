#pragma once
// The popup menu of a design grid cell, as items the grid's window shows: built from the
// row kind of the cell, with the current word ticked and the choices that the field's type
// excludes disabled; and the effect of choosing an item on the document.

#include <QList>
#include <QString>

#include "library/designer/querydocument.h"

namespace korvi::designer {

// Item tags. A tag that is a multiple of 10 is "<Inchangé>": choosing it changes nothing.
namespace popuptag {
inline constexpr int kDetails = 100;
inline constexpr int kRealTable = 101;
inline constexpr int kLocation = 102;
inline constexpr int kRealField = 103;
inline constexpr int kType = 104;
inline constexpr int kSortUnchanged = 10;   // 11..13: the sort words in order
inline constexpr int kShowUnchanged = 20;   // 21 show, 22 hide
inline constexpr int kOperationUnchanged = 30;  // 31..37: the operation words in order
inline constexpr int kCriteriaUnchanged = 40;
inline constexpr int kEditor = 41;
inline constexpr int kClear = 42;
}  // namespace popuptag

struct PopupItem {
  int tag = 0;
  QString text;
  bool enabled = true;
  bool checked = false;
  bool operator==(const PopupItem&) const = default;
};

// The items of the cell's popup; empty for a cell whose row kind is none. The field's type
// is looked up once (message 105 when its table does not list it).
QList<PopupItem> popupItems(const QueryDocument& doc, int column, int row);

// What choosing an item did, and what the window still has to do.
struct PopupOutcome {
  enum class Next { Nothing, OpenEditor, ConfirmClear };
  bool changed = false;       // the document took the choice
  bool wasModified = false;   // the modified flag before the choice, for a cancelled editor
  Next next = Next::Nothing;
};

// Applies the item with that tag to the cell: sort, show and operation words with the
// hiding rules of the document. Every tag other than a multiple of 10 marks the query
// modified. The editor and the clearing question are left to the window (then
// QueryDocument::clearCriteriaCell on Yes).
PopupOutcome choosePopupItem(QueryDocument& doc, int column, int row, int tag);

}  // namespace korvi::designer
