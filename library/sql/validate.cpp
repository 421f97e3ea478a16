#include "library/sql/validate.h"

#include <optional>

#include "common/dialogs/waitcursor.h"
#include "common/engine/engine.h"
#include "common/ini/modelfile.h"
#include "common/text/messages.h"
#include "common/text/strings.h"
#include "library/designer/querydocument.h"

namespace korvi::sql {
namespace {

namespace row = designer::gridrow;
using designer::QueryDocument;

void inform(const QString& text) { ShowMessageBox(text, MsgKind::Information, mbOK, mbOK); }

// Query columns: 1 to the spare column (which is empty, so it never counts).
int lastColumn(const QueryDocument& doc) { return doc.columnCount() - 1; }

bool anyField(const QueryDocument& doc) {
  for (int c = 1; c <= lastColumn(doc); ++c)
    if (!doc.cell(c, row::kField).isEmpty()) return true;
  return false;
}

// An operation cell that asks for more than the plain value.
bool isOperation(const QString& cell, const SqlWords& words) { return !cell.isEmpty() && !isWord(cell, words.none); }

bool anyShown(const QueryDocument& doc, const SqlWords& words) {
  for (int c = 1; c <= lastColumn(doc); ++c) {
    const QString show = doc.cell(c, row::kShow);
    if (!show.isEmpty() && !isWord(show, words.hide)) return true;
  }
  return false;
}

// Number of criteria rows in which some column holds text.
int filledCriteriaRows(const QueryDocument& doc) {
  int rows = 0;
  for (int r = row::kFirstCriteria; r <= row::kLast; ++r) {
    for (int c = 1; c <= lastColumn(doc); ++c) {
      if (!doc.cell(c, r).isEmpty()) {
        ++rows;
        break;
      }
    }
  }
  return rows;
}

// Grouped queries show only the columns that carry an operation.
void hidePlainColumns(QueryDocument& doc, const SqlWords& words) {
  bool aggregated = false;
  for (int c = 1; c <= lastColumn(doc) && !aggregated; ++c) aggregated = isOperation(doc.cell(c, row::kOperation), words);
  if (!aggregated) return;
  for (int c = 1; c <= lastColumn(doc); ++c) {
    if (!isWord(doc.cell(c, row::kOperation), words.none)) continue;
    doc.setCell(c, row::kShow, words.hide);
    doc.setCell(c, row::kSort, words.notSorted);
  }
}

// The first pair of columns holding the same field of the same table with the same
// operation; message 32 names it.
bool refuseRepeatedOperation(const QueryDocument& doc) {
  for (int c1 = 1; c1 <= lastColumn(doc); ++c1) {
    const QString field = doc.cell(c1, row::kField);
    const QString table = doc.cell(c1, row::kTable);
    const QString op = doc.cell(c1, row::kOperation);
    if (field.isEmpty() || table.isEmpty() || op.isEmpty()) continue;
    for (int c2 = c1 + 1; c2 <= lastColumn(doc); ++c2) {
      if (doc.cell(c2, row::kField) == field && doc.cell(c2, row::kTable) == table &&
          doc.cell(c2, row::kOperation) == op) {
        inform(fillPlaceholders(LoadText(runtext::kSameOperationTwice), {field, table}));
        return true;
      }
    }
  }
  return false;
}

// With a grouping column, the aggregated columns go to the right of the others (the
// statement lists its GROUP BY columns first), keeping their order. Each is copied into the
// spare column, then the originals are removed from right to left. The move is not a
// change the user made: the modified flag stays as it was.
void moveAggregatesRight(QueryDocument& doc, const SqlWords& words) {
  bool grouping = false;
  for (int c = 1; c <= lastColumn(doc) && !grouping; ++c) grouping = isWord(doc.cell(c, row::kOperation), words.group);
  if (!grouping) return;
  const bool modified = doc.isModified();
  QList<int> moved;
  const int last = lastColumn(doc);
  for (int c = 1; c <= last; ++c) {
    const QString op = doc.cell(c, row::kOperation);
    if (!op.isEmpty() && !isWord(op, words.group)) moved << c;
  }
  for (int c : moved) {
    const int target = doc.spareColumn();
    for (int r = 1; r < doc.rowCount(); ++r) doc.setCell(target, r, doc.cell(c, r));
  }
  for (qsizetype i = moved.size() - 1; i >= 0; --i) doc.deleteColumn(moved[i]);
  doc.setModified(modified);
}

// The model's links of a table file (the slave side), empty when the model does not list it.
QList<ModelLink> linksOf(const ModelFile& model, const QString& tableFile) {
  const QString number = model.TableNumberOf(tableFile, ModelSide::Library);
  if (number.isEmpty()) return {};
  return model.links(number);
}

bool linksTo(const QList<ModelLink>& links, const QString& tableFile) {
  for (const ModelLink& l : links)
    if (l.masterFile.compare(tableFile, Qt::CaseInsensitive) == 0) return true;
  return false;
}

}  // namespace

bool andOrWarningApplies(quint16 engineVersion) { return engineVersion < kAndOrSafeEngineVersion; }

SqlOptions RunContext::sqlOptions(bool countMode) const {
  SqlOptions o;
  o.uniqueRecords = settings.uniqueRecords;
  o.countMode = countMode;
  o.today = today;
  return o;
}

SqlStatement RunContext::build(bool countMode) const {
  static const ModelFile noModel{QString()};
  return BuildSQL(*document, model ? *model : noModel, words, sqlOptions(countMode));
}

QString fillPlaceholders(QString text, std::initializer_list<QString> arguments) {
  static const QLatin1String mark("%s");
  qsizetype from = 0;
  for (const QString& arg : arguments) {
    const qsizetype at = text.indexOf(mark, from);
    if (at < 0) break;
    text.replace(at, mark.size(), arg);
    from = at + arg.size();
  }
  return text;
}

bool tableIsLinked(const QueryDocument& document, const ModelFile& model, int index) {
  const QList<const designer::QueryTable*> tables = document.tables();
  if (index < 0 || index >= tables.size()) return false;
  const QString& file = tables[index]->tableName;
  const QList<ModelLink> own = linksOf(model, file);
  for (int other = 0; other < tables.size(); ++other) {
    if (other == index) continue;
    if (linksTo(linksOf(model, tables[other]->tableName), file)) return true;
    if (linksTo(own, tables[other]->tableName)) return true;
  }
  return false;
}

bool ValidateQuery(RunContext& context) {
  QueryDocument& doc = *context.document;
  const SqlWords& words = context.words;

  // 1, 2: something to select.
  if (!anyField(doc)) {
    inform(LoadText(doc.tableCount() == 0 ? runtext::kChooseTable : runtext::kChooseField));
    return false;
  }
  // 3: grouped queries hide the plain columns.
  hidePlainColumns(doc, words);
  // 4: an aggregate in column 1 over several criteria rows.
  if (isOperation(doc.cell(1, row::kOperation), words) && filledCriteriaRows(doc) >= 2) {
    inform(LoadText(runtext::kMultiLineGrouping));
    return false;
  }
  // 5: something shown.
  if (!anyShown(doc, words)) {
    inform(LoadText(runtext::kAllHidden));
    return false;
  }
  // 6: the same field twice with the same operation.
  if (refuseRepeatedOperation(doc)) return false;
  // 7: grouping columns first.
  moveAggregatesRight(doc, words);
  // 8: one table needs no link.
  if (doc.tableCount() == 1) {
    if (anyShown(doc, words)) return true;
    inform(LoadText(runtext::kAllHidden));
    return false;
  }
  // 9: no table at all.
  if (doc.tableCount() == 0) {
    inform(LoadText(runtext::kEmptyQuery));
    return false;
  }
  // 10: every table linked to some other table of the query.
  {
    static const ModelFile noModel{QString()};
    const ModelFile& model = context.model ? *context.model : noModel;
    std::optional<WaitCursor> wait(std::in_place);
    const QList<const designer::QueryTable*> tables = std::as_const(doc).tables();
    for (int i = 0; i < tables.size(); ++i) {
      if (tableIsLinked(doc, model, i)) continue;
      wait.reset();
      inform(fillPlaceholders(LoadText(runtext::kTableNotLinked), {tables[i]->longName}));
      return false;
    }
  }
  // 11: older engines get a warning about mixed and/or criteria; the query still runs.
  const quint16 version = context.engineVersion != 0 ? context.engineVersion : engine::Engine::EngineVersion();
  if (doc.fieldNameQuoting() && andOrWarningApplies(version)) {
    bool mixed = false;
    {
      WaitCursor wait;
      mixed = context.build().mixedAndOr;
    }
    if (mixed) inform(LoadText(runtext::kAndOrWarning));
  }
  return true;
}

}  // namespace korvi::sql
