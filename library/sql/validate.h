#pragma once
// Validation of the design grid before a query runs. It checks that the grid can be turned
// into a statement the engine accepts and rewrites the grid where grouped queries need it:
// columns without an operation are hidden and unsorted when another column aggregates, and
// aggregated columns move to the right of the grouping ones. The rewrites stay after the
// query has run. Messages go through the message interface; nothing here opens a window.

#include <QDate>
#include <QString>
#include <QStringList>
#include <initializer_list>

#include "common/text/settings.h"
#include "library/designer/osqfile.h"
#include "library/sql/buildsql.h"

namespace korvi {
class ModelFile;
}
namespace korvi::designer {
class QueryDocument;
}

namespace korvi::sql {

// Text numbers of the messages of validation and execution (French numbers).
namespace runtext {
inline constexpr int kInternalError = 27;      // "Erreur interne : "
inline constexpr int kChooseTable = 28;
inline constexpr int kChooseField = 29;
inline constexpr int kMultiLineGrouping = 30;
inline constexpr int kAllHidden = 31;
inline constexpr int kSameOperationTwice = 32;
inline constexpr int kEmptyQuery = 33;
inline constexpr int kTableNotLinked = 34;
inline constexpr int kAndOrWarning = 35;
inline constexpr int kNotSupported = 36;
inline constexpr int kLogDirectory = 38;
inline constexpr int kLogWritten = 39;
inline constexpr int kMissingBar = 40;
inline constexpr int kParameterCaption = 41;
inline constexpr int kWrongValue = 51;
inline constexpr int kParametersCancelled = 52;
inline constexpr int kParameterLine = 53;
inline constexpr int kOperationOf = 60;        // " de "
inline constexpr int kEngineError = 107;       // "Erreur IDAPI : "
}  // namespace runtext

// Engines numbered below this mishandle some statements that mix the and keyword with the
// or keyword; validation warns about such statements on them.
inline constexpr quint16 kAndOrSafeEngineVersion = 121;
bool andOrWarningApplies(quint16 engineVersion);

// Everything running a query needs beyond the grid: the model, the words the grid was
// filled in, the engine's version and switches. Defaults are the process's own.
struct RunContext {
  designer::QueryDocument* document = nullptr;
  const ModelFile* model = nullptr;
  SqlWords words = SqlWords::current();
  quint16 engineVersion = 0;  // 0: the engine's own version number
  LibrarySettings settings = librarySettings();
  QDate today;  // date of the today keyword; invalid: the current date
  // How the failure log saves the query beside its statement.
  designer::OsqContext osq;

  SqlOptions sqlOptions(bool countMode = false) const;
  // Generates the statement of the document.
  SqlStatement build(bool countMode = false) const;
};

// Runs the checks in order; the first failure shows its message and returns false. May
// rewrite the grid (see above).
bool ValidateQuery(RunContext& context);

// Replaces each "%s" of a text by the next argument, left to right; arguments are never
// searched for further placeholders.
QString fillPlaceholders(QString text, std::initializer_list<QString> arguments);

// The linked test of validation for one table of the query (0-based index in the document's
// table order): some other table of the query has a link in the model to its table file,
// or it has a link to another table's file. Table files compare without regard to case.
bool tableIsLinked(const designer::QueryDocument& document, const ModelFile& model, int index);

}  // namespace korvi::sql
