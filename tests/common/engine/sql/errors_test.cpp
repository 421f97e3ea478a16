// Statements the engine must refuse, and what their errors say.
#include "common/engine/sqlparser.h"
#include "sqlfixture.h"

namespace korvi::engine::testing {
namespace {

std::string err(const char* text) { return compileError(QString::fromUtf8(text)).toStdString(); }


TEST(SqlErrors, SyntaxErrorsCarryLineColumnAndExpectation) {
  EXPECT_HAS(err("SELECT T1.\"NOM\"\n  WHERE T1.\"NOM\" = \"x\""), ("line 2, column 3: expected FROM, found \"WHERE\""));
  // The translation of a cell holding only spaces leaves " AND " with nothing after it.
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1\nWHERE (\n ( T1.\"NOM\" = \"a\" )\n AND \n)"), ("line 5, column 1: expected a field or a value, found \")\""));
  // Two values side by side in one cell.
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 WHERE ( T1.\"NOM\" = \"a\" T1.\"NOM\" = \"b\" )"), ("line 1, column 68: expected \")\", found \"T1\""));
  EXPECT_HAS(err("SELECT FROM \"/data/clients.dbf\" T1"), ("column 8: expected a field or an aggregate"));
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 WHERE T1.\"NOM\" = \"open"), ("line 1, column 62: unterminated double-quoted text"));
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 WHERE T1.\"NOM\" = 'x'"), ("unexpected character \"'\""));
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 WHERE T1.\"NAISS\" = \"1/1/2000\"+(1.5)"), ("\"1.5\" is not a valid number of days"));
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 ORDER BY 0"), ("expected a field or a column position"));
  EXPECT_HAS(err(""), ("empty"));
}

TEST(SqlErrors, OnlyOneSelectIsAccepted) {
  const char* const refused[] = {
      "INSERT INTO \"/data/clients.dbf\" VALUES (1)",
      "DELETE FROM \"/data/clients.dbf\"",
      "DROP TABLE t_clients",
      "PRAGMA writable_schema = ON",
      "ATTACH DATABASE '/tmp/x' AS x",
      "\n  update x set a = 1",
      "SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1; DROP TABLE t_clients",
      "SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 ;;",
      "SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 -- DROP TABLE t_clients",
      "SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 /* */ ; DELETE FROM t_clients",
      "SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 UNION SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1",
      "SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 WHERE T1.\"NOM\" = (SELECT 1)",
  };
  for (const char* text : refused) EXPECT_FALSE(compileError(QString::fromUtf8(text)).isEmpty()) << text;
  EXPECT_HAS(err("DROP TABLE t_clients"), ("line 1, column 1: only a SELECT statement is accepted, found \"DROP\""));
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1;\nDELETE FROM t_clients"), ("line 2, column 1: only one statement is accepted"));
  // One trailing ";" is harmless.
  EXPECT_EQ(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 ;\n"), "");
}

TEST(SqlErrors, NamesResolveWithoutRegardToCase) {
  EXPECT_EQ(err("select t1.\"nom\", Sum(T2.montant) from \"/DATA/CLIENTS.DBF\" t1, \"/data/commandes.db\" T2 "
                "where t1.numcli = t2.\"NumCli\" group by T1.Nom order by t1.nom desc"),
            "");
  EXPECT_HAS(err("SELECT T3.\"NOM\" FROM \"/data/clients.dbf\" T1"), ("column 8: unknown table alias T3"));
  EXPECT_HAS(err("SELECT T1.\"PRENOM\" FROM \"/data/clients.dbf\" T1"), ("unknown field \"PRENOM\" in table T1"));
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/absent.dbf\" T1"), ("unknown table /data/absent.dbf"));
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1, \"/data/commandes.db\" t1"), ("the alias t1 is used for two tables"));
  EXPECT_HAS(err("SELECT NUMCLI FROM \"/data/clients.dbf\" T1, \"/data/commandes.db\" T2"), ("field name \"NUMCLI\" is ambiguous"));
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \":DEMO\" T1"), ("malformed table reference"));

  // An exact match wins over a field that differs only by case; two case variants alone are ambiguous.
  class CaseResolver : public SqlTableResolver {
   public:
    SqlResolvedTable resolveTable(const SqlTableRef&) override {
      return {{{"Nom", FieldType::ftString, 5, 0}, {"NOM", FieldType::ftString, 5, 0}}, "t", ""};
    }
  } cr;
  EXPECT_EQ(compileSqlSelect("SELECT T1.\"Nom\" FROM \"/x.db\" T1", cr, SqliteDialect()).columns[0].name, "Nom");
  EXPECT_THROW(compileSqlSelect("SELECT T1.\"nom\" FROM \"/x.db\" T1", cr, SqliteDialect()), EngineError);
}

TEST(SqlErrors, LiteralsAreCheckedAgainstTheirField) {
  const std::string head = "SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1, \"/data/commandes.db\" T2 WHERE ";
  const auto where = [&](const char* cond) { return compileError(QString::fromStdString(head + cond)).toStdString(); };
  EXPECT_HAS(where("T1.\"NOM\" = 12"), ("field \"NOM\" (text) cannot be compared with 12"));
  EXPECT_HAS(where("T2.\"MONTANT\" = \"12\""), ("field \"MONTANT\" (numeric) cannot be compared with \"12\""));
  EXPECT_HAS(where("T1.\"NUMCLI\" = TRUE"), ("field \"NUMCLI\" (numeric)"));
  EXPECT_HAS(where("T1.\"ACTIF\" = 1"), ("field \"ACTIF\" (logical) cannot be compared with 1"));
  EXPECT_HAS(where("T1.\"ACTIF\" = \"VRAI\""), ("field \"ACTIF\" (logical) cannot be compared with \"VRAI\""));
  // Day/month order of the French short date is not this dialect's.
  EXPECT_HAS(where("T1.\"NAISS\" = \"31/12/1995\""), ("\"31/12/1995\" is not a valid date (month/day/year) for field \"NAISS\""));
  EXPECT_HAS(where("T1.\"NAISS\" = \"02/30/1995\""), ("not a valid date"));
  EXPECT_HAS(where("T1.\"NAISS\" = \"1/1/1/1\""), ("not a valid date"));
  EXPECT_HAS(where("T1.\"NAISS\" = 1995"), ("field \"NAISS\" (date) cannot be compared with 1995"));
  EXPECT_HAS(where("T1.\"HEURE\" = \"25:00:00\""), ("not a valid time"));
  EXPECT_HAS(where("T1.\"MAJ\" = \"12/31/1995 14:18:99\""), ("not a valid date and time"));
  EXPECT_HAS(where("T1.\"NOM\" = \"a\"+(3)"), ("days can only be added to a date"));
  EXPECT_HAS(where("T1.\"NOM\" + 3 = \"a\""), ("days can only be added to a date; field \"NOM\""));
  EXPECT_HAS(where("T1.\"NAISS\" = \"12/31/9999\"+(1)"), ("leaves the calendar"));
  EXPECT_HAS(where("T1.\"NAISS\" LIKE \"12%\""), ("LIKE needs a text field; field \"NAISS\" is date"));
  EXPECT_HAS(where("T1.\"NOM\" = T2.\"NUMCLI\""), ("field \"NOM\" (text) cannot be compared with field \"NUMCLI\" (numeric)"));
  EXPECT_HAS(where("\"a\" = 1"), ("\"a\" cannot be compared with 1"));
  // A marker left unreplaced would silently match nothing.
  EXPECT_HAS(where("T1.\"NOM\" = \"[S|Nom du client]\""), ("parameter \"[S|Nom du client]\" has no value"));

  bool notSupported = false;
  EXPECT_HAS(compileError(QString::fromStdString(head + "T1.\"PHOTO\" = \"x\""), &notSupported).toStdString(), ("not supported"));
  EXPECT_TRUE(notSupported);

  EXPECT_HAS(err("SELECT SUM(T1.\"NOM\") FROM \"/data/clients.dbf\" T1"), ("SUM of field \"NOM\" is not possible"));
  EXPECT_HAS(err("SELECT AVG(T1.\"NAISS\") FROM \"/data/clients.dbf\" T1"), ("AVG of field \"NAISS\""));
  EXPECT_HAS(err("SELECT MAX(T1.\"PHOTO\") FROM \"/data/clients.dbf\" T1"), ("MAX of field \"PHOTO\""));
  EXPECT_HAS(err("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 ORDER BY 2"), ("ORDER BY position 2 is beyond"));
}

TEST(SqlErrors, NestingIsBounded) {
  QString deep = QStringLiteral("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 WHERE ");
  deep += QString(100000, u'(');
  EXPECT_HAS(compileError(deep).toStdString(), ("nested too deeply"));
  QString nots = QStringLiteral("SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 WHERE ");
  for (int i = 0; i < 100000; ++i) nots += QStringLiteral("NOT ");
  EXPECT_HAS(compileError(nots).toStdString(), ("nested too deeply"));
}

}  // namespace
}  // namespace korvi::engine::testing
