// Feeds arbitrary text to the local SQL parser, resolves it over two fixed tables and emits
// it for both backends. Whatever compiles must prepare on SQLite as exactly one read-only
// statement: no input may crash the parser or smuggle a second statement through.
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

#include "common/engine/sqlemit.h"

using namespace korvi::engine;

namespace {

QList<FieldDesc> fieldsA() {
  return {{"NUM", FieldType::ftInteger, 0, 0}, {"NOM", FieldType::ftString, 20, 0}, {"ACTIF", FieldType::ftBoolean, 0, 0},
          {"D", FieldType::ftDate, 0, 0},      {"H", FieldType::ftTime, 0, 0},      {"DT", FieldType::ftDateTime, 0, 0},
          {"M", FieldType::ftMemo, 0, 0},      {"B", FieldType::ftBlob, 0, 0},      {"X", FieldType::ftCurrency, 0, 2}};
}

class Resolver : public SqlTableResolver {
 public:
  SqlResolvedTable resolveTable(const SqlTableRef& ref) override {
    if (ref.text.contains(QLatin1String("missing"))) throw EngineError(QStringLiteral("unknown table"));
    return {fieldsA(), ref.isAliasForm() ? QStringLiteral("b") : QStringLiteral("a"), QString()};
  }
};

sqlite3* database() {
  static sqlite3* db = [] {
    sqlite3* d = nullptr;
    sqlite3_open(":memory:", &d);
    const char* ddl = "CREATE TABLE a (NUM INTEGER, NOM TEXT, ACTIF INTEGER, D TEXT, H TEXT, DT TEXT, M TEXT, B BLOB, X REAL);"
                      "CREATE TABLE b (NUM INTEGER, NOM TEXT, ACTIF INTEGER, D TEXT, H TEXT, DT TEXT, M TEXT, B BLOB, X REAL);";
    sqlite3_exec(d, ddl, nullptr, nullptr, nullptr);
    return d;
  }();
  return db;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  SqlCompiled c;
  try {
    Resolver r;
    c = compileSqlSelect(text, r, SqliteDialect());
    Resolver r2;
    (void)compileSqlSelect(text, r2, PostgresDialect());
  } catch (const EngineError&) {
    return 0;
  }
  const QByteArray sql = c.sql.toUtf8();
  sqlite3_stmt* st = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(database(), sql.constData(), int(sql.size()), &st, &tail) != SQLITE_OK) {
    std::fprintf(stderr, "emitted SQL does not prepare: %s\n%s\n", sqlite3_errmsg(database()), sql.constData());
    std::abort();
  }
  if (!st || !sqlite3_stmt_readonly(st) || (tail && *tail)) {
    std::fprintf(stderr, "emitted SQL is not one read-only statement:\n%s\n", sql.constData());
    std::abort();
  }
  sqlite3_finalize(st);
  return 0;
}
