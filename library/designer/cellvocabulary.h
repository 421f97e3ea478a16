#pragma once
// The words that the sort, show and operation cells of the design grid hold, the labels of
// the grid's rows and the labels and restrictions of field types. Words are always those of
// the current interface language, loaded by number from the string table, so a query keeps
// the words of the language it was designed in.

#include <QString>
#include <QStringList>
#include <optional>

#include "common/engine/types.h"

namespace korvi::designer {

// Text numbers of the cell vocabulary and the row labels (French numbers; the string table
// adds the language offset).
namespace textid {
inline constexpr int kUntitledCaption = 1;  // "Korvi Selectra - (Sans nom)"
inline constexpr int kNotSorted = 2;
inline constexpr int kShow = 3;
inline constexpr int kNoOperation = 4;
inline constexpr int kAscending = 5;
inline constexpr int kDescending = 6;
inline constexpr int kHide = 7;
inline constexpr int kMin = 8;
inline constexpr int kMax = 9;
inline constexpr int kAverage = 10;
inline constexpr int kSum = 11;
inline constexpr int kCount = 12;
inline constexpr int kGroup = 13;
inline constexpr int kLabelField = 63;
inline constexpr int kLabelTable = 64;
inline constexpr int kLabelSort = 65;
inline constexpr int kLabelOperation = 66;
inline constexpr int kLabelCriteria = 67;
inline constexpr int kLabelOr = 68;
inline constexpr int kCannotHideOperation = 82;
inline constexpr int kCannotHideSort = 83;
inline constexpr int kTypeUnknown = 89;   // first of the type labels 89..102
inline constexpr int kTypeString = 90;
inline constexpr int kTypeMemo = 101;
inline constexpr int kTypeGraphic = 102;
inline constexpr int kUnknownFieldType = 105;  // "Erreur interne : type de champ inconnu !"
inline constexpr int kCriteriaTooLong = 115;
}  // namespace textid

// What a cell of the design grid holds, by its row.
enum class RowKind { None, Field, Table, Sort, Show, Operation, Criteria };

// Fixed rows of the design grid.
namespace gridrow {
inline constexpr int kHeader = 0;
inline constexpr int kField = 1;
inline constexpr int kTable = 2;
inline constexpr int kSort = 3;
inline constexpr int kShow = 4;
inline constexpr int kOperation = 5;
inline constexpr int kFirstCriteria = 6;
inline constexpr int kLast = 14;
inline constexpr int kCount = 15;
}  // namespace gridrow

enum class SortOrder { NotSorted, Ascending, Descending };
enum class Operation { None, Min, Max, Average, Sum, Count, Group };

// The word of each value in the current language.
QString sortWord(SortOrder order);
QString showWord(bool shown);
QString operationWord(Operation operation);

// All words of a kind, in the order the popups list them.
QStringList sortWords();
QStringList showWords();
QStringList operationWords();

// The value a cell word stands for in the current language (exact, case-sensitive
// comparison); nothing for a word of another language or any other text.
std::optional<SortOrder> sortOrderOf(const QString& word);
std::optional<bool> shownOf(const QString& word);
std::optional<Operation> operationOf(const QString& word);

// Text number of the label of a grid row, 0 for rows without a label (0 and 8 to 14).
int rowLabelTextId(int row);

// The label of a field type as the detailed-information popup shows it: strings carry their
// size, " (" size ")"; auto-increment and the types past the graphic type have none.
QString typeLabel(engine::FieldType type, int size = 0);

// Whether a field of the type may be sorted ascending or descending, averaged or summed.
// "Valeur min", "Valeur max", "Nombre", "Regroupement" and "Aucune" suit every type.
bool sortAllowed(engine::FieldType type);
bool averageAllowed(engine::FieldType type);
bool sumAllowed(engine::FieldType type);
bool operationAllowed(engine::FieldType type, Operation operation);

}  // namespace korvi::designer
