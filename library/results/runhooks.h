#pragma once
// Wires running and showing a query into the designer window: the executed query lives as a
// child of the designer (named "QueryOSQ"), the designer's hooks run validation and
// execution, open the result window in its MDI area, tell whether a result is open, close it,
// and show the SQL window. The library state is reached only through the callbacks given.

#include <functional>

#include "library/results/ushowres.h"

namespace korvi {
class ModelFile;
}
namespace korvi::designer {
class QueryDocument;
}
namespace korvi::selq {
class TFormPrincipale;
}

namespace korvi::results {

struct RunHookSources {
  // The designer window, null before it is created.
  std::function<selq::TFormPrincipale*()> designer;
  // The current relational model.
  std::function<const ModelFile&()> model;
  // Fills what the library state keeps for result windows: the host's button (visible,
  // caption), the host window, the startup directory and the notification.
  std::function<void(ResultWindowOptions&)> hostOptions;
};

// Installs runQuery, showResult, resultSetOpen, closeResultSet and showSql in the designer's
// hooks.
void installRunHooks(RunHookSources sources);

// The designer's executed query, made on first use as a child of the window.
sql::ExecutedQuery& executedQuery(selq::TFormPrincipale& designer);

// Validation and execution of the designer's query (no window opens).
bool RunDesignerQuery(selq::TFormPrincipale& designer, const ModelFile& model);

// Creates the result window in the designer's MDI area and shows it without waiting; the
// designer's result-window-open flag is set. A failure shows "Erreur interne : " and its
// text and returns false. The hourglass shows while the window is built.
bool OpenResultWindow(selq::TFormPrincipale& designer, ResultWindowOptions options);

// The options of a result window of the designer's query: file name, record count,
// "AllowExport", the local-database flag and the designer as host.
ResultWindowOptions designerResultOptions(selq::TFormPrincipale& designer);

// Every table of the document lies in a STANDARD database.
bool queryIsLocal(const korvi::designer::QueryDocument& document);

}  // namespace korvi::results
