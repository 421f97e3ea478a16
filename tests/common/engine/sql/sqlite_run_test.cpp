// Emitted statements run on a real SQLite database holding the cache's storage forms.
#include <sqlite3.h>

#include "sqlfixture.h"

namespace korvi::engine::testing {
namespace {

class SqliteRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    exec("PRAGMA case_sensitive_like = ON");
    exec("CREATE TABLE t_clients (NUMCLI INTEGER, NOM TEXT, VILLE TEXT, ACTIF INTEGER, NAISS TEXT, NOTES TEXT,"
         " PHOTO BLOB, HEURE TEXT, MAJ TEXT)");
    exec("INSERT INTO t_clients VALUES (1, 'Dupont', 'Paris', 1, '1995-12-25', 'bon client', NULL, '09:05:00', '1995-12-31 14:18:00')");
    exec("INSERT INTO t_clients VALUES (2, 'dupuis', 'Lyon', 0, '2001-02-03', NULL, NULL, '18:00:00.500', NULL)");
    exec("INSERT INTO t_clients VALUES (3, 'O''Brien', 'Paris', 1, NULL, 'a%b', NULL, NULL, '2000-01-01 00:00:00')");
    exec("CREATE TABLE t_commandes (NUMCMD INTEGER, NUMCLI INTEGER, MONTANT REAL, DATEC TEXT, QTE INTEGER)");
    exec("INSERT INTO t_commandes VALUES (10, 1, 100.5, '2024-01-31', 2), (11, 1, 50, '2024-03-01', 1), (12, 2, 7, '2023-12-31', 5)");
  }
  void TearDown() override { sqlite3_close(db); }

  void exec(const char* sql) {
    char* msg = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &msg), SQLITE_OK) << (msg ? msg : "");
  }

  // Every row as "a|b|c", and the column names the statement gave.
  QStringList run(const QString& text, QStringList* names = nullptr) {
    const SqlCompiled c = compileSqlite(text);
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = c.sql.toUtf8();
    const char* tail = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &st, &tail), SQLITE_OK)
        << sqlite3_errmsg(db) << "\n" << sql.constData();
    EXPECT_TRUE(tail && *tail == 0) << "text after the statement: " << tail;
    QStringList rows;
    if (!st) return rows;
    if (names) {
      names->clear();
      for (int i = 0; i < sqlite3_column_count(st); ++i) names->append(QString::fromUtf8(sqlite3_column_name(st, i)));
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
      QStringList cells;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const unsigned char* t = sqlite3_column_text(st, i);
        cells << (t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QStringLiteral("NULL"));
      }
      rows << cells.join(u'|');
    }
    sqlite3_finalize(st);
    return rows;
  }

  QStringList names(const char* where) {
    return run(QStringLiteral("SELECT T1.\"NUMCLI\" FROM \"/data/clients.dbf\" T1 WHERE ") + QString::fromUtf8(where) +
               QStringLiteral(" ORDER BY T1.\"NUMCLI\""));
  }

  sqlite3* db = nullptr;
};

TEST_F(SqliteRun, ComparisonsMatchTheStorageForms) {
  EXPECT_EQ(names("T1.\"NAISS\" = \"12/25/1995\""), QStringList{"1"});
  EXPECT_EQ(names("T1.\"NAISS\" > \"1/1/2000\""), QStringList{"2"});
  EXPECT_EQ(names("T1.\"NAISS\" >= \"02/13/2001\"+(-10)"), QStringList{"2"});
  EXPECT_EQ(names("T1.\"NAISS\" + (10) = \"01/04/1996\""), QStringList{"1"});
  EXPECT_EQ(names("T1.\"ACTIF\" = \"TRUE\""), (QStringList{"1", "3"}));
  EXPECT_EQ(names("T1.\"ACTIF\" = FALSE"), QStringList{"2"});
  EXPECT_EQ(names("T1.\"HEURE\" > \"18:00:00\""), QStringList{"2"});
  EXPECT_EQ(names("T1.\"MAJ\" >= \"12/31/1995 14:18\" AND T1.\"MAJ\" < \"01/01/2000\""), QStringList{"1"});
  EXPECT_EQ(names("T1.\"NAISS\" IS NULL"), QStringList{"3"});
  // LIKE stays case-sensitive.
  EXPECT_EQ(names("T1.\"NOM\" LIKE \"Dup%\""), QStringList{"1"});
  EXPECT_EQ(names("T1.\"NOM\" LIKE \"%u%\""), (QStringList{"1", "2"}));
}

TEST_F(SqliteRun, GroupedJoinAndOutputNames) {
  QStringList cols;
  const QStringList rows = run(QStringLiteral(
      " SELECT  T1.\"NOM\", SUM(T2.\"MONTANT\"), COUNT(T2.\"NUMCMD\")\n FROM   \"/data/clients.dbf\" T1 ,  \"/data/commandes.db\" T2 \n"
      "WHERE (\n  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) \n)\n GROUP BY  T1.\"NOM\"\n  ORDER BY  T1.\"NOM\" DESC"), &cols);
  EXPECT_EQ(cols, (QStringList{"NOM", "SUM OF MONTANT", "COUNT OF NUMCMD"}));
  EXPECT_EQ(rows, (QStringList{"dupuis|7.0|1", "Dupont|150.5|2"}));
}

TEST_F(SqliteRun, LiteralsAndNamesCannotChangeTheStatement) {
  // Quotes, comment marks and statement separators inside values stay values.
  EXPECT_EQ(names("T1.\"NOM\" = \"x' OR '1'='1\""), QStringList{});
  EXPECT_EQ(names("T1.\"NOM\" = \"O'Brien\""), QStringList{"3"});
  EXPECT_EQ(names("T1.\"NOM\" = \"'; DROP TABLE t_clients; --\""), QStringList{});
  EXPECT_EQ(names("T1.\"NOTES\" LIKE \"a%b\""), QStringList{"3"});
  EXPECT_EQ(names("T1.\"NOM\" = \"x\"\" OR \"\"1\"\"=\"\"1\""), QStringList{});
  EXPECT_EQ(run(QStringLiteral("SELECT COUNT(*) FROM \"/data/clients.dbf\" T1")), QStringList{"3"});

  // A field name carrying SQL is only ever a (missing) field.
  EXPECT_HAS(compileError(QStringLiteral("SELECT T1.\"NOM\"\" FROM t_clients; --\" FROM \"/data/clients.dbf\" T1")).toStdString(),
             "unknown field \"NOM\" FROM t_clients; --\"");
  // A path carrying SQL is only ever a (missing) table.
  EXPECT_HAS(compileError(QStringLiteral("SELECT T1.\"NOM\" FROM \"/data/x.dbf\"\" T1; DROP TABLE t_clients; --\" T1")).toStdString(),
             "unknown table /data/x.dbf\" T1; DROP TABLE t_clients; --");

  // Names coming back from the resolver are quoted too.
  class OddResolver : public SqlTableResolver {
   public:
    SqlResolvedTable resolveTable(const SqlTableRef&) override {
      return {{{"A\"; DROP TABLE t_clients; --", FieldType::ftString, 5, 0}}, "odd\" name", ""};
    }
  } odd;
  exec("CREATE TABLE \"odd\"\" name\" (\"A\"\"; DROP TABLE t_clients; --\" TEXT)");
  exec("INSERT INTO \"odd\"\" name\" VALUES ('v')");
  const SqlCompiled c = compileSqlSelect(QStringLiteral("SELECT * FROM \"/odd.db\" T1"), odd, SqliteDialect());
  char* msg = nullptr;
  EXPECT_EQ(sqlite3_exec(db, c.sql.toUtf8().constData(), nullptr, nullptr, &msg), SQLITE_OK) << (msg ? msg : "");
  EXPECT_EQ(run(QStringLiteral("SELECT COUNT(*) FROM \"/data/clients.dbf\" T1")), QStringList{"3"});

  // A NUL would cut the statement short: refused before it reaches the backend.
  QString nul = QStringLiteral("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 WHERE T1.\"NOM\" = \"a");
  nul += QChar(0);
  nul += QStringLiteral("\"");
  EXPECT_FALSE(compileError(nul).isEmpty());
}

}  // namespace
}  // namespace korvi::engine::testing
