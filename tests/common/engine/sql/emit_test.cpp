// Generated statements in, SQLite (and PostgreSQL) text out.
#include "sqlfixture.h"

namespace korvi::engine::testing {
namespace {

// The designer's two-table grouped query with two OR rows, line for line as it is generated.
const char* const kGroupedTwoRows =
    " SELECT  T1.\"NOM\", SUM(T2.\"MONTANT\")\n"
    " FROM   \"C:\\DONNEES\\CLIENTS.DB\" T1 ,  \"C:\\DONNEES\\COMMANDES.DB\" T2 \n"
    "WHERE (\n"
    "  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) \n"
    " AND \n"
    "( \n"
    "( \n"
    " ( T1.\"VILLE\" = \"Paris\" )\n"
    ") \n"
    " \n"
    ") OR \n"
    "  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) \n"
    " AND \n"
    "( \n"
    "( \n"
    " ( T1.\"VILLE\" = \"Lyon\" )\n"
    ") \n"
    " \n"
    ")  )\n"
    " GROUP BY  T1.\"NOM\"\n"
    "  ORDER BY  T1.\"NOM\"";

TEST(SqlEmit, GroupedTwoTableQueryWithOrRows) {
  const SqlCompiled c = compileSqlite(QString::fromUtf8(kGroupedTwoRows));
  EXPECT_EQ(c.sql.toStdString(),
            "SELECT \"T1\".\"NOM\" AS \"NOM\", SUM(\"T2\".\"MONTANT\") AS \"SUM OF MONTANT\" "
            "FROM \"t_clients\" AS \"T1\", \"t_commandes\" AS \"T2\" "
            "WHERE ((\"T1\".\"NUMCLI\" = \"T2\".\"NUMCLI\") AND (\"T1\".\"VILLE\" = 'Paris')) OR "
            "((\"T1\".\"NUMCLI\" = \"T2\".\"NUMCLI\") AND (\"T1\".\"VILLE\" = 'Lyon')) "
            "GROUP BY \"T1\".\"NOM\" ORDER BY \"T1\".\"NOM\"");
  ASSERT_EQ(c.columns.size(), 2);
  EXPECT_EQ(c.columns[0], (SqlOutputColumn{"NOM", FieldType::ftString, 30, 0, SqlAggregate::None, 0, "NOM"}));
  EXPECT_EQ(c.columns[1], (SqlOutputColumn{"SUM OF MONTANT", FieldType::ftCurrency, 0, 2, SqlAggregate::Sum, 1, "MONTANT"}));
  ASSERT_EQ(c.tables.size(), 2);
  EXPECT_EQ(c.tables[1].sqlName, "t_commandes");
}

struct EmitCase {
  const char* name;
  const char* where;     // what follows FROM "/data/clients.dbf" T1
  const char* expected;  // what follows FROM "t_clients" AS "T1"
};

// Conditions as the criteria translation writes them, one table.
const EmitCase kCriteria[] = {
    {"equality", "WHERE ( ( ( T1.\"NOM\" = \"Dupont\" ) ) )", " WHERE \"T1\".\"NOM\" = 'Dupont'"},
    {"or_in_cell", "WHERE ( ( T1.\"VILLE\" = \"Paris\"  OR  T1.\"VILLE\" = \"Lyon\" ) )",
     " WHERE (\"T1\".\"VILLE\" = 'Paris') OR (\"T1\".\"VILLE\" = 'Lyon')"},
    {"signs_glued", "WHERE ( T1.\"NUMCLI\"> 1000  AND  T1.\"NUMCLI\"<= 5000 )",
     " WHERE (\"T1\".\"NUMCLI\" > 1000) AND (\"T1\".\"NUMCLI\" <= 5000)"},
    {"all_signs", "WHERE T1.\"NUMCLI\"<>1 AND T1.\"NUMCLI\">=2 AND T1.\"NUMCLI\"<3 AND T1.\"NUMCLI\"=-4",
     " WHERE (\"T1\".\"NUMCLI\" <> 1) AND (\"T1\".\"NUMCLI\" >= 2) AND (\"T1\".\"NUMCLI\" < 3) AND (\"T1\".\"NUMCLI\" = -4)"},
    {"starts_with", "WHERE ( T1.\"NOM\" LIKE \"Dup%\" )", " WHERE \"T1\".\"NOM\" LIKE 'Dup%'"},
    {"contains_memo", "WHERE ( T1.\"NOTES\" LIKE \"%ont%\" )", " WHERE \"T1\".\"NOTES\" LIKE '%ont%'"},
    {"logical_quoted", "WHERE ( T1.\"ACTIF\" = \"TRUE\" )", " WHERE \"T1\".\"ACTIF\" = 1"},
    {"logical_bare", "WHERE T1.\"ACTIF\" = false", " WHERE \"T1\".\"ACTIF\" = 0"},
    {"date_mdy", "WHERE ( T1.\"NAISS\" = \"12/25/1995\" )", " WHERE \"T1\".\"NAISS\" = '1995-12-25'"},
    {"date_two_digit_year", "WHERE T1.\"NAISS\" < \"1/2/95\"", " WHERE \"T1\".\"NAISS\" < '1995-01-02'"},
    {"today_minus", "WHERE ( T1.\"NAISS\">= \"03/01/2024\"+(-30) )", " WHERE \"T1\".\"NAISS\" >= '2024-01-31'"},
    {"today_plus_signed", "WHERE ( T1.\"NAISS\"< \"12/31/1999\"+(+1) )", " WHERE \"T1\".\"NAISS\" < '2000-01-01'"},
    {"datetime_from_date", "WHERE T1.\"MAJ\" >= \"12/08/2026\"+(2)", " WHERE \"T1\".\"MAJ\" >= '2026-12-10 00:00:00'"},
    {"datetime", "WHERE T1.\"MAJ\" = \"12/31/95 14:18:00\"", " WHERE \"T1\".\"MAJ\" = '1995-12-31 14:18:00'"},
    {"time", "WHERE T1.\"HEURE\" > \"9:05:00\"", " WHERE \"T1\".\"HEURE\" > '09:05:00'"},
    {"time_millis", "WHERE T1.\"HEURE\" > \"09:05:00.5\"", " WHERE \"T1\".\"HEURE\" > '09:05:00.500'"},
    {"is_null", "WHERE T1.\"NOM\" IS NULL OR T1.\"VILLE\" IS NOT NULL",
     " WHERE (\"T1\".\"NOM\" IS NULL) OR (\"T1\".\"VILLE\" IS NOT NULL)"},
    {"not_like", "WHERE NOT (T1.\"NOM\" NOT LIKE \"A%\")", " WHERE NOT (\"T1\".\"NOM\" NOT LIKE 'A%')"},
    {"one_equals_one", "WHERE ((1=1) )", " WHERE 1 = 1"},
    {"real_number", "WHERE T1.\"NUMCLI\" > 2.5", " WHERE \"T1\".\"NUMCLI\" > 2.5"},
    {"number_forms", "WHERE T1.\"NUMCLI\" > .5 OR T1.\"NUMCLI\" < 1e3 OR T1.\"NUMCLI\" = 99999999999999999999",
     " WHERE (\"T1\".\"NUMCLI\" > 0.5) OR (\"T1\".\"NUMCLI\" < 1000) OR (\"T1\".\"NUMCLI\" = 1e+20)"},
    {"literal_left", "WHERE \"Paris\" = T1.\"VILLE\"", " WHERE 'Paris' = \"T1\".\"VILLE\""},
    {"field_plus_days", "WHERE T1.\"NAISS\" + (3) > \"01/01/2000\"",
     " WHERE date(\"T1\".\"NAISS\", '+3 days') > '2000-01-01'"},
    {"bare_field_names", "WHERE T1.nom = \"x\" AND t1.Ville = \"y\"",
     " WHERE (\"T1\".\"NOM\" = 'x') AND (\"T1\".\"VILLE\" = 'y')"},
    {"unqualified_field", "WHERE numcli = 3", " WHERE \"T1\".\"NUMCLI\" = 3"},
    {"quote_in_literal", "WHERE T1.\"NOM\" = \"O'Brien\"", " WHERE \"T1\".\"NOM\" = 'O''Brien'"},
    {"doubled_double_quote", "WHERE T1.\"NOM\" = \"say \"\"hi\"\"\"", " WHERE \"T1\".\"NOM\" = 'say \"hi\"'"},
    {"order_desc_position", "ORDER BY T1.\"NOM\" DESC, 1", " ORDER BY \"T1\".\"NOM\" DESC, 1"},
};

class SqlEmitCriteria : public ::testing::TestWithParam<EmitCase> {};

TEST_P(SqlEmitCriteria, Translates) {
  const EmitCase& ec = GetParam();
  const QString text = QStringLiteral("SELECT T1.\"NOM\"\nFROM \"/data/clients.dbf\" T1\n") + QString::fromUtf8(ec.where);
  const SqlCompiled c = compileSqlite(text);
  EXPECT_EQ(c.sql.toStdString(),
            "SELECT \"T1\".\"NOM\" AS \"NOM\" FROM \"t_clients\" AS \"T1\"" + std::string(ec.expected));
}

INSTANTIATE_TEST_SUITE_P(Forms, SqlEmitCriteria, ::testing::ValuesIn(kCriteria),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SqlEmit, AggregateColumnsAndUniqueNames) {
  const SqlCompiled c = compileSqlite(QStringLiteral(
      " SELECT  DISTINCT  T1.\"NUMCLI\", COUNT(T1.\"NUMCLI\"), MIN(T1.\"NAISS\"), AVG(T1.\"NUMCLI\"),"
      " SUM(T1.\"NUMCLI\"), T1.\"numcli\", T2.\"NUMCLI\", COUNT(*)\n"
      " FROM  \"/data/clients.dbf\" T1 , \"/data/commandes.db\" T2 "));
  EXPECT_TRUE(c.sql.startsWith(QStringLiteral("SELECT DISTINCT \"T1\".\"NUMCLI\" AS \"NUMCLI\", COUNT(\"T1\".\"NUMCLI\") AS \"COUNT OF NUMCLI\"")))
      << c.sql.toStdString();
  QStringList names;
  for (const auto& col : c.columns) names << col.name;
  EXPECT_EQ(names, (QStringList{"NUMCLI", "COUNT OF NUMCLI", "MIN OF NAISS", "AVG OF NUMCLI", "SUM OF NUMCLI",
                                "NUMCLI_1", "NUMCLI_2", "COUNT"}));
  EXPECT_EQ(c.columns[1].type, FieldType::ftInteger);
  EXPECT_EQ(c.columns[2].type, FieldType::ftDate);
  EXPECT_EQ(c.columns[3].type, FieldType::ftFloat);
  EXPECT_EQ(c.columns[4].type, FieldType::ftFloat);  // a sum of integers
  EXPECT_EQ(c.columns[6].table, 1);
  EXPECT_EQ(c.columns[7].table, -1);
}

TEST(SqlEmit, CountStatementDropsOrderAndExtraColumnWraps) {
  // Count mode keeps the ORDER BY of the query; a single-row aggregate has nothing to order.
  SqlCompiled c = compileSqlite(QStringLiteral(
      " SELECT  COUNT (T1.\"NOM\") \n FROM   \"/data/clients.dbf\" T1 \n  ORDER BY  T1.\"NOM\" DESC"));
  EXPECT_EQ(c.sql.toStdString(), "SELECT COUNT(\"T1\".\"NOM\") AS \"COUNT OF NOM\" FROM \"t_clients\" AS \"T1\"");

  // A table without a grid column comes in through an extra column on a line of its own.
  c = compileSqlite(QStringLiteral(
      " SELECT  SUM(T1.\"MONTANT\")\n, \n COUNT (T2.\"NUMCLI\")\n"
      " FROM   \"/data/commandes.db\" T1 ,  \"/data/clients.dbf\" T2 \nWHERE (\n( \n"
      "  (T2.\"NUMCLI\" = T1.\"NUMCLI\" ) \n)  )"));
  EXPECT_EQ(c.sql.toStdString(),
            "SELECT SUM(\"T1\".\"MONTANT\") AS \"SUM OF MONTANT\", COUNT(\"T2\".\"NUMCLI\") AS \"COUNT OF NUMCLI\" "
            "FROM \"t_commandes\" AS \"T1\", \"t_clients\" AS \"T2\" WHERE \"T2\".\"NUMCLI\" = \"T1\".\"NUMCLI\"");
}

TEST(SqlEmit, TableReferencesAndValuePicker) {
  // The value picker's two-line DISTINCT statement, over an alias table written both ways.
  FakeResolver r;
  SqlCompiled c = compileSqlSelect(QStringLiteral("SELECT DISTINCT T1.\"VILLE\" FROM \n\":DEMO:clients.db\" T1"), r, SqliteDialect());
  EXPECT_EQ(c.sql.toStdString(), "SELECT DISTINCT \"T1\".\"VILLE\" AS \"VILLE\" FROM \"t_clients\" AS \"T1\"");
  c = compileSqlSelect(QStringLiteral("SELECT DISTINCT T1.\"VILLE\" FROM :DEMO:clients.db T1"), r, SqliteDialect());
  EXPECT_EQ(c.tables[0].databaseAlias, "DEMO");
  EXPECT_EQ(c.tables[0].tableName, "clients.db");
  EXPECT_EQ(r.seen, (QStringList{":DEMO:clients.db", ":DEMO:clients.db"}));

  // SELECT * lists every field of every table; tables without aliases get positional ones.
  c = compileSqlite(QStringLiteral("SELECT * FROM \"/data/commandes.db\";"));
  EXPECT_EQ(c.sql.toStdString(),
            "SELECT \"T1\".\"NUMCMD\" AS \"NUMCMD\", \"T1\".\"NUMCLI\" AS \"NUMCLI\", \"T1\".\"MONTANT\" AS \"MONTANT\", "
            "\"T1\".\"DATEC\" AS \"DATEC\", \"T1\".\"QTE\" AS \"QTE\" FROM \"t_commandes\" AS \"T1\"");
  EXPECT_EQ(c.columns.size(), 5);
}

TEST(SqlEmit, PostgresDialect) {
  SqlCompiled c = compilePostgres(QString::fromUtf8(kGroupedTwoRows));
  EXPECT_TRUE(c.sql.contains(QStringLiteral("(\"T1\".\"VILLE\" = E'Paris')"))) << c.sql.toStdString();

  c = compilePostgres(QStringLiteral(
      "SELECT T1.\"NOM\" FROM \"/data/clients.dbf\" T1 WHERE T1.\"ACTIF\" = \"TRUE\" AND T1.\"NAISS\" >= \"03/01/2024\"+(-30)"
      " AND T1.\"NOM\" LIKE \"a\\b'%\" AND T1.\"HEURE\" < \"10:00:00\" AND T1.\"MAJ\" + (2) > \"1/1/2000 08:00:00\""
      " AND T1.\"NAISS\" - 1 < \"1/1/2000\""));
  EXPECT_EQ(c.sql.toStdString(),
            "SELECT \"T1\".\"NOM\" AS \"NOM\" FROM \"t_clients\" AS \"T1\" WHERE (\"T1\".\"ACTIF\" = TRUE) AND "
            "(\"T1\".\"NAISS\" >= DATE '2024-01-31') AND (\"T1\".\"NOM\" LIKE E'a\\\\b''%' ESCAPE '') AND "
            "(\"T1\".\"HEURE\" < TIME '10:00:00') AND "
            "((\"T1\".\"MAJ\" + INTERVAL '+2 days') > TIMESTAMP '2000-01-01 08:00:00') AND "
            "((\"T1\".\"NAISS\" + (-1)) < DATE '2000-01-01')");

  // A schema given by the resolver qualifies the table.
  FakeResolver r;
  r.add(QStringLiteral(":PG:clients"), clientFields(), QStringLiteral("clients"));
  class SchemaResolver : public SqlTableResolver {
   public:
    SqlResolvedTable resolveTable(const SqlTableRef&) override { return {clientFields(), "clients", "ventes"}; }
  } sr;
  c = compileSqlSelect(QStringLiteral("SELECT T1.NOM FROM :PG:clients T1"), sr, PostgresDialect());
  EXPECT_EQ(c.sql.toStdString(), "SELECT \"T1\".\"NOM\" AS \"NOM\" FROM \"ventes\".\"clients\" AS \"T1\"");
}

}  // namespace
}  // namespace korvi::engine::testing
