#include "library/sql/buildsql.h"

#include <vector>

#include "common/ini/modelfile.h"
#include "common/text/settings.h"
#include "library/designer/querydocument.h"
#include "library/sql/criteria.h"
#include "library/sql/sqllines.h"

namespace korvi::sql {
namespace {

using designer::QueryDocument;
using designer::QueryTable;
namespace row = designer::gridrow;

constexpr QChar kQuote = QLatin1Char('"');

// The branch of a WHERE clause that holds the joins alone starts with this placeholder, so
// that the branch is never empty while it is built; it is taken out of that line at the end.
const QString kPlaceholder = QStringLiteral("(1=1)");

QString aliasOf(int number) { return QLatin1Char('T') + QString::number(number); }

// The SELECT item of a shown column, by its operation word; a word of no operation (or of
// another language) selects the field itself.
QString selectItem(const QString& operation, const QString& reference, const SqlWords& w) {
  auto wrap = [&](const char* function) { return QLatin1String(function) + QLatin1Char('(') + reference + QLatin1Char(')'); };
  if (isWord(operation, w.sum)) return wrap("SUM");
  if (isWord(operation, w.min)) return wrap("MIN");
  if (isWord(operation, w.max)) return wrap("MAX");
  if (isWord(operation, w.average)) return wrap("AVG");
  if (isWord(operation, w.count)) return wrap("COUNT");
  return reference;
}

bool tableHasColumn(const QueryDocument& doc, const QueryTable* table) {
  for (int c = 1; c < doc.columnCount(); ++c)
    if (doc.tableOfColumn(c) == table) return true;
  return false;
}

// The grid has no field column: only the label column and the spare one.
bool noFieldColumn(const QueryDocument& doc) { return doc.columnCount() == 2; }

QStringList selectClause(const QueryDocument& doc, const SqlWords& w, const SqlOptions& options, int& extraColumns) {
  QStringList select;
  extraColumns = 0;
  if (doc.tableCount() == 0) return select;
  if (noFieldColumn(doc) && (isWord(doc.cell(1, row::kShow), w.hide) || doc.cell(1, row::kField).isEmpty()))
    return select;

  AppendFragment(select, QStringLiteral("SELECT "));
  if (options.countMode) {
    const QString reference = columnReference(doc, 1);
    // Column 1 always holds a field once validation passed; without one, all rows count.
    AppendFragment(select, reference.isEmpty() ? QStringLiteral("COUNT (*) ")
                                               : QStringLiteral("COUNT (") + reference + QStringLiteral(") "));
    return select;
  }

  if (options.uniqueRecords) AppendFragment(select, QStringLiteral("DISTINCT "));
  for (int c = 1; c < doc.columnCount(); ++c) {
    if (doc.cell(c, row::kField).isEmpty() || !isWord(doc.cell(c, row::kShow), w.show)) continue;
    const QString reference = columnReference(doc, c);
    if (reference.isEmpty()) continue;
    AppendFragment(select, selectItem(doc.cell(c, row::kOperation), reference, w) + QLatin1Char(','));
  }
  chopLastLine(select, 1);

  // Tables without a grid column still enter the statement through their first field.
  const bool aggregating = !isWord(doc.cell(1, row::kOperation), w.none);
  QStringList extra;
  for (int n = 1; n <= doc.tableCount(); ++n) {
    const QueryTable* table = doc.tableByNumber(n);
    if (!table || table->fields.isEmpty() || tableHasColumn(doc, table)) continue;
    const QString field = aliasOf(n) + QLatin1Char('.') + kQuote + table->fields.first().physicalName + kQuote;
    AppendFragment(extra, aggregating ? QStringLiteral("COUNT (") + field + QStringLiteral("), ")
                                      : field + QStringLiteral(", "));
    ++extraColumns;
  }
  if (!extra.isEmpty()) {
    chopLastLine(extra, 2);
    select.append(QStringLiteral(", "));
    appendLines(select, extra);
  }
  return select;
}

QStringList fromClause(const QueryDocument& doc) {
  QStringList from;
  if (noFieldColumn(doc) && doc.cell(1, row::kField).isEmpty()) return from;
  AppendFragment(from, QStringLiteral("FROM "));
  for (int n = 1; n <= doc.tableCount(); ++n) {
    const QueryTable* table = doc.tableByNumber(n);
    if (!table) continue;
    AppendFragment(from, QStringLiteral(" \"") + table->location + table->tableName + QStringLiteral("\" ") +
                             aliasOf(n) + QStringLiteral(" ,"));
  }
  chopLastLine(from, 1);
  return from;
}

// The WHERE clause; placeholderLine receives the index (in the clause) of the line that
// carries the placeholder, or -1.
QStringList whereClause(const QueryDocument& doc, const ModelFile& model, const SqlWords& w, const QDate& today,
                        bool& mixedAndOr, int& placeholderLine) {
  QStringList where;
  placeholderLine = -1;
  if (noFieldColumn(doc) && doc.cell(1, row::kField).isEmpty()) return where;

  // One branch per criteria row; a row whose cells hold nothing but spaces has no token and
  // is skipped like an empty row, so it can never leave a dangling AND behind.
  // A column's reference and field type are looked up once per statement, when a cell of
  // it first holds a token; so an unknown field reports its message once, not once a row.
  struct ColumnContext {
    bool known = false;
    bool hasTable = false;
    QString reference;
    engine::FieldType type = engine::FieldType::ftUnknown;
  };
  std::vector<ColumnContext> contexts(static_cast<size_t>(doc.columnCount()));
  QList<QStringList> branches;
  for (int r = row::kFirstCriteria; r < doc.rowCount(); ++r) {
    QStringList branch;
    for (int c = 1; c < doc.columnCount(); ++c) {
      const QString text = doc.cell(c, r);
      if (!hasTokens(text)) continue;
      ColumnContext& context = contexts[static_cast<size_t>(c)];
      if (!context.known) {
        context.known = true;
        context.hasTable = doc.tableOfColumn(c) != nullptr;
        if (context.hasTable) {
          context.reference = columnReference(doc, c);
          context.type = doc.typeCode(c);
        }
      }
      if (!context.hasTable) continue;
      const CriteriaTranslation t = translateCriteriaText(text, context.reference, context.type, w.keywords, today);
      if (t.mixedAndOr) mixedAndOr = true;
      if (t.lines.isEmpty()) continue;
      branch.append(QStringLiteral("( "));
      appendLines(branch, t.lines);
      branch.append(QStringLiteral(") AND "));
    }
    if (branch.isEmpty()) continue;
    if (branch.last().size() > 4) chopLastLine(branch, 4);
    branches.append(branch);
  }

  const bool joined = doc.tableCount() >= 2;
  // The links are read once per statement: every branch repeats the same conditions.
  const QStringList joins = joined ? joinConditions(doc, model) : QStringList();
  // Without criteria and without any join there is nothing to write: an empty "( )" branch
  // would only make the statement invalid.
  if (branches.isEmpty() && joins.isEmpty()) return where;

  where.append(QStringLiteral("WHERE ("));
  for (const QStringList& branch : branches) {
    if (joined && !joins.isEmpty()) {
      appendLines(where, joins);
      where.append(QStringLiteral(" AND "));
    }
    where.append(QStringLiteral("( "));
    appendLines(where, branch);
    where.append(QStringLiteral(" "));
    where.append(QStringLiteral(") OR "));
  }
  if (branches.isEmpty()) {
    placeholderLine = static_cast<int>(where.size());
    where.append(QLatin1Char('(') + kPlaceholder + QLatin1Char(' '));
    appendLines(where, joins);
    where.append(QStringLiteral(") OR "));
  }
  if (where.last().size() > 3) chopLastLine(where, 4);
  AppendFragment(where, QStringLiteral(" )"));
  return where;
}

QStringList groupByClause(const QueryDocument& doc, const SqlWords& w) {
  QStringList group;
  QStringList references;
  // Grouped columns enter GROUP BY whether shown or hidden.
  for (int c = 1; c < doc.columnCount(); ++c) {
    if (!isWord(doc.cell(c, row::kOperation), w.group)) continue;
    const QString reference = columnReference(doc, c);
    if (!reference.isEmpty()) references.append(reference);
  }
  if (references.isEmpty()) return group;
  group.append(QStringLiteral(" GROUP BY "));
  for (const QString& reference : references) AppendFragment(group, reference + QStringLiteral(", "));
  if (group.last().size() > 2) chopLastLine(group, 2);
  return group;
}

QStringList orderByClause(const QueryDocument& doc, const SqlWords& w) {
  QStringList order;
  QStringList keys;
  // Sort keys follow the grid's column order. An empty sort cell is no sort, like "Non trié";
  // any other word sorts descending unless it is the ascending word.
  for (int c = 1; c < doc.columnCount(); ++c) {
    const QString sort = doc.cell(c, row::kSort);
    if (sort.isEmpty() || isWord(sort, w.notSorted)) continue;
    const QString reference = columnReference(doc, c);
    if (reference.isEmpty()) continue;
    keys.append(reference + (isWord(sort, w.ascending) ? QStringLiteral(", ") : QStringLiteral(" DESC, ")));
  }
  if (keys.isEmpty()) return order;
  AppendFragment(order, QStringLiteral(" ORDER BY "));
  for (const QString& key : keys) AppendFragment(order, key);
  if (order.last().size() > 2) chopLastLine(order, 2);
  return order;
}

}  // namespace

QString columnReference(const QueryDocument& document, int column) {
  const QueryTable* table = document.tableOfColumn(column);
  if (!table) return {};
  return aliasOf(table->number) + QLatin1Char('.') + document.realFieldName(column);
}

QStringList joinConditions(const QueryDocument& document, const ModelFile& model) {
  QStringList joins;
  const int count = document.tableCount();
  for (int a = 1; a <= count; ++a) {
    const QueryTable* slave = document.tableByNumber(a);
    if (!slave) continue;
    const QString number = model.TableNumberOf(slave->tableName, ModelSide::Library);
    for (const ModelLink& link : model.links(number)) {
      if (!link.isComplete()) continue;
      for (int b = 1; b <= count; ++b) {
        const QueryTable* master = document.tableByNumber(b);
        if (!master || master->tableName.compare(link.masterFile, Qt::CaseInsensitive) != 0) continue;
        AppendFragment(joins, QStringLiteral(" (") + aliasOf(a) + QStringLiteral(".\"") + link.slaveField +
                                  QStringLiteral("\" = ") + aliasOf(b) + QStringLiteral(".\"") + link.masterField +
                                  QStringLiteral("\" ) AND "));
      }
    }
  }
  if (!joins.isEmpty() && joins.last().size() > 3) chopLastLine(joins, 4);
  return joins;
}

SqlStatement BuildSQL(const QueryDocument& document, const ModelFile& model, const SqlWords& words,
                      const SqlOptions& options) {
  SqlStatement statement;
  const QDate today = options.today.isValid() ? options.today : QDate::currentDate();
  int placeholderLine = -1;

  QStringList& lines = statement.lines;
  lines = selectClause(document, words, options, statement.extraColumnCount);
  appendLines(lines, fromClause(document));
  const qsizetype whereStart = lines.size();
  appendLines(lines, whereClause(document, model, words, today, statement.mixedAndOr, placeholderLine));
  appendLines(lines, groupByClause(document, words));
  appendLines(lines, orderByClause(document, words));

  // The placeholder leaves its line; values that users wrote in criteria are never touched.
  if (placeholderLine >= 0) {
    QString& line = lines[whereStart + placeholderLine];
    const qsizetype at = line.indexOf(kPlaceholder);
    if (at >= 0) line.remove(at, kPlaceholder.size());
  }
  return statement;
}

QStringList CurrentSqlLines(const QueryDocument& document, const ModelFile& model) {
  SqlOptions options;
  options.uniqueRecords = librarySettings().uniqueRecords;
  return BuildSQL(document, model, SqlWords::current(), options).lines;
}

}  // namespace korvi::sql
