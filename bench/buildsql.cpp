// Times statement assembly on a large query: 10 tables linked in a chain, 60 grid columns
// (6 per table) with criteria in all nine criteria rows, read through a real model file.
// Prints the time per call.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

#include "common/ini/modelfile.h"
#include "common/text/strings.h"
#include "library/designer/querydocument.h"
#include "library/sql/buildsql.h"

using namespace korvi;
using designer::QueryDocument;
using designer::QueryField;
using designer::QueryTable;
using engine::FieldType;

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

  constexpr int kTables = 10;
  constexpr int kFieldsPerTable = 6;
  QTemporaryDir dir;
  const QString modelPath = dir.filePath(QStringLiteral("bench.mdl"));
  QStringList model{QStringLiteral("[Tables]")};
  for (int n = 1; n <= kTables; ++n)
    model << QStringLiteral("Table %1=/data/,TAB%1.DB,%1").arg(n);
  for (int n = 1; n < kTables; ++n)
    model << QStringLiteral("[%1L]").arg(n) << QStringLiteral("N=1") << QStringLiteral("[%1L1]").arg(n)
          << QStringLiteral("T=TAB%1.DB").arg(n + 1) << QStringLiteral("S=CODE") << QStringLiteral("D=CODE");
  QFile file(modelPath);
  if (!file.open(QIODevice::WriteOnly)) return 1;
  file.write(model.join(QLatin1Char('\n')).toUtf8());
  file.close();

  QueryDocument doc;
  for (int n = 1; n <= kTables; ++n) {
    QueryTable t;
    t.longName = QStringLiteral("Table %1").arg(n);
    t.tableName = QStringLiteral("TAB%1.DB").arg(n);
    t.location = QStringLiteral("/data/");
    t.fields << QueryField{QStringLiteral("Code"), QStringLiteral("CODE"), FieldType::ftInteger, 0};
    for (int f = 1; f < kFieldsPerTable; ++f)
      t.fields << QueryField{QStringLiteral("Champ %1").arg(f), QStringLiteral("CHAMP%1").arg(f), FieldType::ftString, 20};
    QueryTable& added = doc.addTable(t);
    for (const QueryField& f : added.fields) {
      const int c = doc.appendField(added, f.displayName, true);
      for (int r = designer::gridrow::kFirstCriteria; r <= designer::gridrow::kLast; ++r)
        doc.setCriteria(c, r, f.type == FieldType::ftInteger ? QStringLiteral(">= 10 ET < 500")
                                                             : QStringLiteral("COMMENCEPAR Du OU \"New York\""));
    }
  }

  const ModelFile reader(modelPath);
  const sql::SqlWords words = sql::SqlWords::current();
  const int lineCount = static_cast<int>(sql::BuildSQL(doc, reader, words).lines.size());

  constexpr int kCalls = 200;
  QElapsedTimer timer;
  timer.start();
  qsizetype total = 0;
  for (int i = 0; i < kCalls; ++i) total += sql::BuildSQL(doc, reader, words).lines.size();
  const double perCall = static_cast<double>(timer.nsecsElapsed()) / kCalls / 1000.0;
  std::printf("BuildSQL: %d tables, %d columns, 9 criteria rows: %d lines, %.1f us per call (%lld lines in all)\n",
              kTables, doc.columnCount() - 2, lineCount, perCall, static_cast<long long>(total));
  return 0;
}
