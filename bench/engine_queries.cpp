// Times the engine on the demo database scaled up (mkdemo --rows N, 1,000,000 by default)
// against the sqlite3 command-line program on the same data imported from CSV:
//   bench_engine_queries [--rows N] [--keep DIR]
// For each table: the engine's import into its cache versus sqlite3's CSV import. For each
// query: the first run (import included) and the cached run versus sqlite3's own time for
// the same query materialised into a temporary table. Then the time to fetch the last page
// of the largest result, and the resident memory while paging through it.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

#include "common/engine/engine.h"
#include "common/engine/sqlitecache.h"
#include "common/engine/tablefiles.h"
#include "tools/mkdemo/demodata.h"

using namespace korvi::engine;

namespace {

double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

long residentKb() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
  return -1;
}

// Writes a table file as CSV with a header line, values in the cache's storage forms.
void writeCsv(const QString& tablePath, const QString& csvPath) {
  auto reader = openTableFile(tablePath);
  QFile out(csvPath);
  out.open(QIODevice::WriteOnly | QIODevice::Truncate);
  QTextStream s(&out);
  QStringList names;
  for (const FieldDesc& f : reader->fields()) names << f.name;
  s << names.join(',') << '\n';
  Row row;
  for (qint64 i = 0; i < reader->recordCount(); ++i) {
    if (!reader->readRecord(i, row)) continue;
    QStringList cells;
    for (int c = 0; c < row.size(); ++c) {
      const QVariant v = toStorageValue(row[c], reader->fields()[c].type);
      QString text = v.isNull() ? QString() : v.toString();
      if (text.contains(',') || text.contains('"') || text.contains('\n') || text.contains('\r'))
        text = '"' + text.replace('"', "\"\"") + '"';
      cells << text;
    }
    s << cells.join(',') << '\n';
  }
}

// Runs sqlite3 on a script with the timer on and returns the summed "real" times in ms.
double sqlite3Time(const QString& db, const QString& script) {
  QProcess p;
  p.start(QStringLiteral("sqlite3"), {db});
  p.waitForStarted();
  p.write((".timer on\n" + script + "\n.quit\n").toUtf8());
  p.closeWriteChannel();
  p.waitForFinished(-1);
  double total = 0;
  for (const QByteArray& line : p.readAllStandardOutput().split('\n'))
    if (line.startsWith("Run Time: real ")) total += line.mid(15).split(' ').value(0).toDouble() * 1000.0;
  return total;
}

struct Query {
  const char* name;
  QStringList tables;  // the table files it reads
  QString engineSql;   // the dialect the designer writes
  QString sqliteSql;   // the same query for sqlite3 over the CSV-imported tables
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  qint64 rows = 1000000;
  QString keep;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--rows" && i + 1 < args.size()) rows = args[++i].toLongLong();
    else if (args[i] == "--keep" && i + 1 < args.size()) keep = args[++i];
  }
  QTemporaryDir temp;
  const QString dir = keep.isEmpty() ? temp.path() + "/demo/" : QDir(keep).absolutePath() + "/";
  QElapsedTimer t;
  t.start();
  korvi::demo::writeDemo({dir, rows});
  std::printf("mkdemo --rows %lld: %.0f ms\n", static_cast<long long>(rows), msSince(t));

  // sqlite3's side: CSV files imported into one database.
  const QString sqliteDb = temp.path() + "/reference.sqlite";
  const QStringList tables{"clients.dbf", "commande.dbf", "lignes.db", "produits.db", "villes.db"};
  std::printf("\n%-14s %12s %12s %8s\n", "import", "engine ms", "sqlite3 ms", "ratio");
  Engine engine(temp.path() + "/aliases.ini", temp.path() + "/private");
  double engineImportTotal = 0, sqliteImportTotal = 0;
  QHash<QString, double> sqliteImport;
  for (const QString& table : tables) {
    const QString csv = temp.path() + "/" + QFileInfo(table).baseName() + ".csv";
    writeCsv(dir + table, csv);
    // Dot-commands are not timed by sqlite3 itself: time the whole run, less an empty run.
    QElapsedTimer wall;
    wall.start();
    sqlite3Time(sqliteDb, ".import --csv " + csv + " " + QFileInfo(table).baseName());
    const double withStart = msSince(wall);
    wall.restart();
    sqlite3Time(sqliteDb, QString());
    const double theirs = std::max(0.01, withStart - msSince(wall));
    t.restart();
    engine.cache().import(dir + table);
    const double ours = msSince(t);
    engineImportTotal += ours;
    sqliteImportTotal += theirs;
    sqliteImport[table] = theirs;
    std::printf("%-14s %12.1f %12.1f %8.2f\n", qPrintable(table), ours, theirs, ours / theirs);
  }

  const QString d = dir;
  const QList<Query> queries{
      {"filter", {"commande.dbf"}, "SELECT T1.\"NUMCDE\", T1.\"MONTANT\"\nFROM \"" + d + "commande.dbf\" T1\nWHERE (T1.\"MONTANT\" > 400)",
       "SELECT NUMCDE, MONTANT FROM commande WHERE MONTANT > 400"},
      {"like+order", {"clients.dbf"}, "SELECT T1.\"NOM\", T1.\"PRENOM\"\nFROM \"" + d + "clients.dbf\" T1\nWHERE (T1.\"NOM\" LIKE \"L%\")\nORDER BY T1.\"NOM\", T1.\"PRENOM\"",
       "SELECT NOM, PRENOM FROM clients WHERE NOM GLOB 'L*' ORDER BY NOM, PRENOM"},
      {"join+sum", {"clients.dbf", "commande.dbf"}, "SELECT T1.\"NOM\", SUM(T2.\"MONTANT\")\nFROM \"" + d + "clients.dbf\" T1, \"" + d + "commande.dbf\" T2\nWHERE (T2.\"NUMCLI\" = T1.\"NUMCLI\")\nGROUP BY T1.\"NOM\"",
       "SELECT c.NOM, SUM(o.MONTANT) FROM clients c, commande o WHERE o.NUMCLI = c.NUMCLI GROUP BY c.NOM"},
      {"join+dates", {"commande.dbf", "lignes.db"}, "SELECT COUNT(T2.\"NUMCDE\")\nFROM \"" + d + "commande.dbf\" T1, \"" + d + "lignes.db\" T2\nWHERE (T2.\"NUMCDE\" = T1.\"NUMCDE\") AND (T1.\"DATECDE\" >= \"01/01/2025\" AND T1.\"DATECDE\" <= \"06/30/2025\")",
       "SELECT COUNT(l.NUMCDE) FROM commande o, lignes l WHERE l.NUMCDE = o.NUMCDE AND o.DATECDE >= '2025-01-01' AND o.DATECDE <= '2025-06-30'"},
      {"distinct", {"commande.dbf"}, "SELECT DISTINCT T1.\"NUMCLI\"\nFROM \"" + d + "commande.dbf\" T1",
       "SELECT DISTINCT NUMCLI FROM commande"},
      {"everything", {"commande.dbf"}, "SELECT T1.\"NUMCDE\", T1.\"NUMCLI\", T1.\"DATECDE\", T1.\"PAYEE\", T1.\"MONTANT\"\nFROM \"" + d + "commande.dbf\" T1",
       "SELECT NUMCDE, NUMCLI, DATECDE, PAYEE, MONTANT FROM commande"},
  };

  std::printf("\n%-12s %12s %12s %12s %8s %14s %8s\n", "query", "first ms", "cached ms", "sqlite3 ms", "ratio",
              "import+q ms", "ratio");
  std::unique_ptr<ResultSet> largest;
  for (const Query& q : queries) {
    // The first run of a fresh engine imports the tables it names.
    Engine fresh(temp.path() + "/aliases.ini", temp.path() + "/private-" + q.name);
    t.restart();
    fresh.ExecuteSelect(q.engineSql).reset();
    const double first = msSince(t);
    t.restart();
    auto rs = engine.ExecuteSelect(q.engineSql);
    const double cached = msSince(t);
    QString tempName = QString("r_%1").arg(q.name).replace('+', '_');
    const double theirs = sqlite3Time(sqliteDb, "CREATE TEMP TABLE " + tempName + " AS " + q.sqliteSql + ";");
    double theirsWithImport = theirs;
    for (const QString& table : q.tables) theirsWithImport += sqliteImport.value(table);
    std::printf("%-12s %12.1f %12.1f %12.1f %8.2f %14.1f %8.2f\n", q.name, first, cached, theirs, cached / theirs,
                theirsWithImport, first / theirsWithImport);
    if (!largest || rs->rowCount() > largest->rowCount()) largest = std::move(rs);
  }

  const long before = residentKb();
  t.restart();
  const auto page = largest->fetchRows(largest->rowCount() - 50, 50);
  const double lastPage = msSince(t);
  for (qint64 first = 0; first < largest->rowCount(); first += std::max<qint64>(1, largest->rowCount() / 200))
    (void)largest->fetchRows(first, 50);
  const long after = residentKb();
  std::printf("\nlast page (50 rows) of a %lld-row result: %.2f ms (%lld rows)\n",
              static_cast<long long>(largest->rowCount()), lastPage, static_cast<long long>(page.size()));
  std::printf("resident memory before / after paging through it: %ld kB / %ld kB\n", before, after);
  std::printf("imports: engine %.0f ms, sqlite3 %.0f ms\n", engineImportTotal, sqliteImportTotal);
  return 0;
}
