#pragma once
// What the result window does with the rows, apart from showing them: visible columns and
// their texts, the prefix search, the clipboard text, the caption and record label, and the
// host's result table. Everything walks the shared result set by row position and puts the
// cursor back where the operation says; nothing here opens a window.

#include <QChar>
#include <QList>
#include <QString>

#include "common/engine/resultset.h"

namespace korvi::engine {
class Engine;
}

namespace korvi::results {

// Text numbers of the result window (French numbers).
namespace restext {
inline constexpr int kInternalError = 27;
inline constexpr int kCaption = 160;        // "Résultat requête : <"
inline constexpr int kRecordLabel = 161;    // "Fiche n° "
inline constexpr int kHostTableField = 168;
inline constexpr int kHostTableWrite = 169;
inline constexpr int kEmptyResult = 172;
inline constexpr int kSearchCaption = 173;
inline constexpr int kSearchPrompt = 174;
inline constexpr int kNotFound = 175;
inline constexpr int kNoMoreMatches = 176;
inline constexpr int kSearchHint = 177;
inline constexpr int kClipboardLimit = 178;
inline constexpr int kClipboardFailure = 179;
inline constexpr int kRecordsFound = 260;   // "enregistrement(s) trouvé(s)"
inline constexpr int kUnnamedQuery = 289;   // "sansnom.osq"
inline constexpr int kFormLabel = 259;      // "Fiche "
inline constexpr int kNothingToPrint = 543;
}  // namespace restext

// The running count after which the clipboard copy stops.
inline constexpr qint64 kClipboardLimit = 150000;
// The host's result table, written in the startup directory.
inline constexpr char kHostTableName[] = "Korvi___.DB";

// Positions of the visible fields, in order.
QList<int> visibleFields(const engine::ResultSet& result);

// The text of a value as every view shows it (the data layer's conversion). With a decimal
// separator other than ".", numeric values use it.
QString valueText(const QVariant& value, engine::FieldType type, QChar decimal = QLatin1Char('.'));

// "Résultat requête : <file> " followed, when the count is known (not -1), by the count and
// "enregistrement(s) trouvé(s)". The file is the name part of the query file, "sansnom.osq"
// for a query without one.
QString resultCaption(const QString& queryFile, int recordCount);
// "Fiche n° N", and " / count" when the count is known.
QString recordLabel(qint64 recNo, int recordCount);

// No row to show: the count is 0, or unknown and the cursor at both ends.
bool resultIsEmpty(const engine::ResultSet& result, int recordCount);

// Prefix search without regard to case on a field, starting at a row (1-based) and moving
// forward or backward. Returns the first matching row, 0 when none matches (an empty text
// matches every row). The cursor does not move.
enum class SearchDirection { Forward, Backward };
qint64 findPrefix(const engine::ResultSet& result, int field, const QString& text, qint64 fromRow,
                  SearchDirection direction);

// The clipboard text of every row: the visible values separated by tabs, each row ended by
// CR LF, no header. After each row the running count (every value's length plus one) is
// compared with the limit; past it the copy stops with that row included.
struct CopyText {
  QString text;
  bool limited = false;  // the limit stopped the copy
  qint64 rows = 0;
};
CopyText buildCopyText(const engine::ResultSet& result, QChar decimal, qint64 limit = kClipboardLimit);

// A field name for a Paradox table, unique (without regard to case) among those given: at
// most 25 characters; a duplicate is cut by two characters when longer than 23 and gets a
// two-digit number 00 to 98. Empty when all 99 numbers are taken.
QString paradoxFieldName(const QString& candidate, const QStringList& taken);

// Writes every row's visible values into the host's table in the directory, replacing it.
// Throws HostTableError with the step that failed.
struct HostTableError {
  bool creating = true;  // creating the table (else writing its rows)
  QString text;
};
qint64 writeHostTable(engine::Engine& engine, const engine::ResultSet& result, const QString& directory);

}  // namespace korvi::results
