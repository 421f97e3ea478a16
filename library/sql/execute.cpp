#include "library/sql/execute.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "common/dialogs/waitcursor.h"
#include "common/engine/engine.h"
#include "common/text/messages.h"
#include "common/text/settings.h"
#include "common/text/strings.h"
#include "library/designer/querydocument.h"
#include "library/sql/failurelog.h"
#include "library/sql/parameters.h"

namespace korvi::sql {
namespace {

namespace row = designer::gridrow;

bool mentionsUnsupported(const QString& text) {
  return text.contains(QLatin1String("non support"), Qt::CaseInsensitive) ||
         text.contains(QLatin1String("not supported"), Qt::CaseInsensitive);
}

void showError(int prefix, const QString& text) {
  ShowMessageBox(LoadText(prefix) + text, MsgKind::Error, mbOK, mbOK);
}

}  // namespace

// ---- ExecutedQuery ----------------------------------------------------------------------

ExecutedQuery::ExecutedQuery(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral("QueryOSQ")); }

ExecutedQuery::~ExecutedQuery() { close(); }

void ExecutedQuery::open(engine::Engine& engine) {
  close();
  result_ = engine.ExecuteSelect(sql_);
}

void ExecutedQuery::close() {
  if (!result_) return;
  emit aboutToClose();
  result_->close();
  result_.reset();
}

void ExecutedQuery::clear() {
  close();
  sql_.clear();
}

void ExecutedQuery::setResultSet(std::unique_ptr<engine::ResultSet> result) {
  close();
  result_ = std::move(result);
}

// ---- Execution steps --------------------------------------------------------------------

int countRecords(engine::Engine& engine, const QStringList& countLines) {
  std::unique_ptr<engine::ResultSet> count = engine.ExecuteSelect(countLines);
  if (!count || count->fieldCount() == 0 || count->isEmpty())
    throw engine::EngineError(QStringLiteral("the count statement returned no row"));
  count->first();
  const QVariant v = count->value(0);
  count->close();
  bool ok = false;
  const qint64 n = v.toLongLong(&ok);
  if (!ok) throw engine::EngineError(QStringLiteral("the count statement returned no number"));
  return int(std::clamp<qint64>(n, 0, std::numeric_limits<int>::max()));
}

void prepareResultFields(engine::ResultSet& result, const designer::QueryDocument& document, const SqlWords& words,
                         int extraColumns) {
  const int fields = result.fieldCount();
  for (int i = std::max(0, fields - extraColumns); i < fields; ++i) result.setFieldVisible(i, false);
  const QString of = LoadText(runtext::kOperationOf);
  int k = 0;
  for (int c = 1; c < document.columnCount() && k < fields; ++c) {
    if (!isWord(document.cell(c, row::kShow), words.show)) continue;
    const QString name = document.cell(c, row::kField);
    const QString op = document.cell(c, row::kOperation);
    const bool described = !op.isEmpty() && !isWord(op, words.none) && !isWord(op, words.group);
    result.setFieldLabel(k++, described ? op + of + name : name);
  }
}

bool ExecuteQuery(RunContext& context, ExecutedQuery& query, engine::Engine* engine) {
  if (!ValidateQuery(context)) return false;
  engine::Engine& eng = engine ? *engine : engine::Engine::instance();
  const LibrarySettings& settings = context.settings;
  const designer::QueryDocument& doc = *context.document;

  query.clear();
  std::optional<WaitCursor> wait;
  try {
    // Block A: the statement and its parameters.
    wait.emplace();
    const SqlStatement statement = context.build();
    QStringList lines = statement.lines;
    if (hasParameterMarkers(doc)) {
      wait.reset();  // the input boxes show the normal cursor
      if (!ResolveParameters(lines)) return false;
      wait.emplace();
    }
    query.setSql(lines);

    // Block B: counting, opening, labelling.
    try {
      if (settings.showNbRecord && settings.nbRecordMethod == 2) {
        // Markers are not resolved in the count statement: it fails on a parameterized
        // query, and the count is then unknown.
        try {
          setRecordCount(countRecords(eng, context.build(true).lines));
        } catch (const std::exception&) {
          setRecordCount(-1);
        }
      }
      wait.reset();
      wait.emplace();
      query.open(eng);
      if (!query.resultSet()) throw engine::EngineError(QStringLiteral("the statement gave no result"));
      engine::ResultSet& result = *query.resultSet();
      if (!settings.showNbRecord)
        setRecordCount(-1);
      else if (settings.nbRecordMethod == 1)
        setRecordCount(int(qMin<qint64>(engine::Engine::CountRows(result), std::numeric_limits<int>::max())));
      prepareResultFields(result, doc, context.words, statement.extraColumnCount);
    } catch (const std::exception& e) {
      const auto* engineError = dynamic_cast<const engine::EngineError*>(&e);
      const QString text = engineError ? engineError->text() : QString::fromUtf8(e.what());
      query.close();
      setRecordCount(settings.showNbRecord ? 0 : -1);
      wait.reset();
      if ((engineError && engineError->notSupported()) || mentionsUnsupported(text)) {
        ShowMessageBox(LoadText(runtext::kNotSupported), MsgKind::Information, mbOK, mbOK);
      } else {
        showError(runtext::kEngineError, text);
        if (settings.dump) LogFailedQuery(context, query.sql());
      }
      return false;
    }
  } catch (const std::exception& e) {
    wait.reset();
    query.clear();
    showError(runtext::kInternalError, QString::fromUtf8(e.what()));
    return false;
  }
  wait.reset();
  return true;
}

}  // namespace korvi::sql
