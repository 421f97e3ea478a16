// Times statement assembly on a large query: 10 tables linked in a chain, 60 grid columns
// (6 per table), criteria in all nine criteria rows, the links read from a real model file.
// Two fillings are timed: one criterion per table in every row (90 cells), and every
// criteria cell of the grid filled (540 cells), the worst a grid of this size can hold.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

#include "common/ini/modelfile.h"
#include "common/text/strings.h"
#include "library/designer/querydocument.h"
#include "library/sql/buildsql.h"

using namespace korvi;
using designer::QueryDocument;
using designer::QueryField;
using designer::QueryTable;
using engine::FieldType;

namespace {

constexpr int kTables = 10;
constexpr int kFieldsPerTable = 6;
constexpr int kCalls = 500;

// Fills the document; everyCell: criteria in every column, else in one column per table.
void fill(QueryDocument& doc, bool everyCell) {
  for (int n = 1; n <= kTables; ++n) {
    QueryTable t;
    t.longName = QStringLiteral("Table %1").arg(n);
    t.tableName = QStringLiteral("TAB%1.DB").arg(n);
    t.location = QStringLiteral("/data/");
    t.fields << QueryField{QStringLiteral("Code"), QStringLiteral("CODE"), FieldType::ftInteger, 0};
    for (int f = 1; f < kFieldsPerTable; ++f)
      t.fields << QueryField{QStringLiteral("Champ %1").arg(f), QStringLiteral("CHAMP%1").arg(f), FieldType::ftString, 20};
    QueryTable& added = doc.addTable(t);
    for (int f = 0; f < added.fields.size(); ++f) {
      const int c = doc.appendField(added, added.fields[f].displayName, true);
      if (!everyCell && f != (n % kFieldsPerTable)) continue;
      for (int r = designer::gridrow::kFirstCriteria; r <= designer::gridrow::kLast; ++r)
        doc.setCriteria(c, r, added.fields[f].type == FieldType::ftInteger
                                  ? QStringLiteral(">= 10 ET < 500")
                                  : QStringLiteral("COMMENCEPAR Du OU \"New York\""));
    }
  }
}

void time(const char* what, const QueryDocument& doc, const ModelFile& reader) {
  const sql::SqlWords words = sql::SqlWords::current();
  const int lineCount = static_cast<int>(sql::BuildSQL(doc, reader, words).lines.size());
  // Wall time and the process's CPU time: on a shared machine the CPU time is the steadier.
  QElapsedTimer timer;
  timer.start();
  const std::clock_t cpuStart = std::clock();
  qsizetype total = 0;
  for (int i = 0; i < kCalls; ++i) total += sql::BuildSQL(doc, reader, words).lines.size();
  const double cpuPerCall = static_cast<double>(std::clock() - cpuStart) * 1e6 / CLOCKS_PER_SEC / kCalls;
  const double wallPerCall = static_cast<double>(timer.nsecsElapsed()) / kCalls / 1000.0;
  std::printf("BuildSQL, %d tables, %d columns, %s: %d lines, %.1f us per call (CPU %.1f us), %d calls\n", kTables,
              doc.columnCount() - 2, what, lineCount, wallPerCall, cpuPerCall, kCalls);
  if (total != static_cast<qsizetype>(lineCount) * kCalls) std::printf("  the line count changed between calls!\n");
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString texts = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QFileInfo(QStringLiteral(__FILE__)).dir().filePath(
                                       QStringLiteral("../resources/strings/library.txt"));
  if (!installStringTable(texts)) {
    std::fprintf(stderr, "cannot read the string table %s\n", qPrintable(texts));
    return 1;
  }
  setLanguage(1);

  QTemporaryDir dir;
  const QString modelPath = dir.filePath(QStringLiteral("bench.mdl"));
  QStringList model{QStringLiteral("[Tables]")};
  for (int n = 1; n <= kTables; ++n) model << QStringLiteral("Table %1=/data/,TAB%1.DB,%1").arg(n);
  for (int n = 1; n < kTables; ++n)
    model << QStringLiteral("[%1L]").arg(n) << QStringLiteral("N=1") << QStringLiteral("[%1L1]").arg(n)
          << QStringLiteral("T=TAB%1.DB").arg(n + 1) << QStringLiteral("S=CODE") << QStringLiteral("D=CODE");
  QFile file(modelPath);
  if (!file.open(QIODevice::WriteOnly)) return 1;
  file.write(model.join(QLatin1Char('\n')).toUtf8());
  file.close();
  const ModelFile reader(modelPath);

  QueryDocument perTable;
  fill(perTable, false);
  time("9 criteria rows, one criterion per table and row", perTable, reader);
  QueryDocument full;
  fill(full, true);
  time("9 criteria rows, every cell", full, reader);
  return 0;
}
