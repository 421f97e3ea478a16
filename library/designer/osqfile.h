#pragma once
// Saved query files (.osq): the tables of a query with their window places, every non-empty
// cell of the design grid, the column widths and the report settings, in an INI file read
// and written through the INI accessor.

#include <QRect>
#include <QString>
#include <functional>
#include <optional>

#include "library/designer/querydocument.h"

namespace korvi::designer {

namespace osq {
inline constexpr char kGeneral[] = "General";
inline constexpr char kCells[] = "Cellules";
inline constexpr char kWidths[] = "Largeurs";
inline constexpr char kTablePrefix[] = "Table";

// Limits on what a file may ask of the grid: more columns than this, or more tables, are
// not loaded (and the user is told).
inline constexpr int kMaxColumnCount = 1024;
inline constexpr int kMaxTableCount = 1000;
inline constexpr int kMaxColumnWidth = 10000;
// At most this many skipped entries are listed by name after a load; the rest are counted.
inline constexpr int kMaxListedEntries = 20;
}  // namespace osq

// What saving and loading need beyond the document.
struct OsqContext {
  // The current relational model (its file name part is written as `Modele` and compared
  // on loading; its "Tables" section tells which loaded tables still exist). Empty: no
  // model, every table of a file is taken as it is.
  QString modelPath;
  // "FR" or "US"; empty takes the process language's code.
  QString languageCode;
  // The designer's directory for temporary files, where an unnamed query keeps its report
  // settings; empty takes the engine's private directory.
  QString temporaryDirectory;
  // Overrides the "AllowSave" setting (tests, hosts); unset reads the library settings.
  std::optional<bool> allowSave;
  // Opens the table window of a loaded table section: the request carries table name,
  // location, long name and the saved place (0, 0: find a free place; size 0: default
  // size). It adds the table to the document (QueryDocument::addTable, which numbers it)
  // and returns the record, or null when the table cannot be opened. Unset: the table is
  // added to the document without a window.
  std::function<QueryTable*(QueryDocument&, const QueryTable&)> openTable;
};

// Writes the query into the file. An empty name asks for one with the save dialog
// (nothing is written when it is cancelled). With "AllowSave" off nothing is written. On
// success the file becomes the query's file name and the modified flag is cleared.
// The report settings come from the query's current file, or the scratch file while it
// has none, so callers save before they rename the query. The file is replaced as a whole
// at the end: a failed save leaves the earlier file as it was, and throws IniWriteError.
bool Save(QueryDocument& document, const QString& fileName, const OsqContext& context);

// Loads the file into the document (the caller has emptied it). False when the file does
// not exist (no message), is not a query file (information message), or the user declined
// the model or language question; the document is then unchanged. Entries that cannot be
// loaded are skipped and named together in one information message afterwards.
bool Load(QueryDocument& document, const QString& fileName, const OsqContext& context);

// "Fichiers OSQ (*.OSQ)|*.osq" as a Qt filter that finds both spellings of the extension:
// "Fichiers OSQ (*.osq *.OSQ)".
QString toQtFileFilter(const QString& pairs);

// The part of a path after its last "/" or "\".
QString pathFileName(const QString& path);
// The model's name as a query file records it: the file name part in lower case.
QString modelNameOf(const QString& modelPath);

}  // namespace korvi::designer
