// Statement assembly: clause layout to the character, joins from the model's links, the
// extra columns, count mode and the wrapping of long statements.

#include "sqlfixture.h"
#include "library/sql/sqllines.h"

namespace korvi::sql::testing {
namespace {

const QList<QueryField> kClientFields = {field(QStringLiteral("NUMCLI"), FieldType::ftInteger),
                                         field(QStringLiteral("NOM"), FieldType::ftString),
                                         field(QStringLiteral("VILLE"), FieldType::ftString)};
const QList<QueryField> kOrderFields = {field(QStringLiteral("NUMCLI"), FieldType::ftInteger),
                                        field(QStringLiteral("MONTANT"), FieldType::ftCurrency)};

// Clients (CLIENTS.DB, number 1) linked to Commandes (COMMANDES.DB, number 2) by NUMCLI.
const QStringList kClientOrderModel = {
    "[Tables]", "Clients=C:\\DONNEES\\,CLIENTS.DB,1", "Commandes=C:\\DONNEES\\,COMMANDES.DB,2",
    "[1L]",     "N=1",
    "[1L1]",    "T=COMMANDES.DB",
    "S=NUMCLI", "D=NUMCLI"};

class BuildSqlTest : public SqlTest {
 protected:
  QueryTable& clients(const QString& location = QStringLiteral("C:\\DONNEES\\")) {
    return doc.addTable(table(QStringLiteral("Clients"), QStringLiteral("CLIENTS.DB"), kClientFields, location));
  }
  QueryTable& orders(const QString& location = QStringLiteral("C:\\DONNEES\\")) {
    return doc.addTable(table(QStringLiteral("Commandes"), QStringLiteral("COMMANDES.DB"), kOrderFields, location));
  }
};

TEST(AppendFragmentTest, SpaceBeforeEveryFragmentAndNewLineBefore200) {
  QStringList lines;
  AppendFragment(lines, QStringLiteral("SELECT "));
  EXPECT_EQ(lines, QStringList{QStringLiteral(" SELECT ")});
  lines = {QString(195, QLatin1Char('a'))};
  AppendFragment(lines, QStringLiteral("bcdef"));  // 195 + 5 = 200: still fits
  EXPECT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].size(), 201);
  AppendFragment(lines, QStringLiteral("x"));
  EXPECT_EQ(lines, (QStringList{QString(195, QLatin1Char('a')) + QStringLiteral(" bcdef"), QStringLiteral(" x")}));
  // A fragment longer than a line is never split.
  lines.clear();
  AppendFragment(lines, QString(300, QLatin1Char('z')));
  EXPECT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], QString());
  EXPECT_EQ(lines[1].size(), 301);
}

TEST_F(BuildSqlTest, WorkedExampleLineByLine) {
  writeModel(kClientOrderModel);
  QueryTable& c = clients();
  QueryTable& o = orders();
  const int nom = add(c, QStringLiteral("NOM"));
  const int ville = add(c, QStringLiteral("VILLE"));
  const int montant = add(o, QStringLiteral("MONTANT"));
  ASSERT_TRUE(doc.setSort(nom, SortOrder::Ascending));
  ASSERT_TRUE(doc.setOperation(nom, Operation::Group));
  ASSERT_TRUE(doc.setShown(ville, false));
  ASSERT_TRUE(doc.setCriteria(ville, 6, QStringLiteral("Paris")));
  ASSERT_TRUE(doc.setCriteria(ville, 7, QStringLiteral("Lyon")));
  ASSERT_TRUE(doc.setOperation(montant, Operation::Sum));

  const QStringList expected = {
      " SELECT  T1.\"NOM\", SUM(T2.\"MONTANT\")",
      " FROM   \"C:\\DONNEES\\CLIENTS.DB\" T1 ,  \"C:\\DONNEES\\COMMANDES.DB\" T2 ",
      "WHERE (",
      "  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) ",
      " AND ",
      "( ",
      "( ",
      " ( T1.\"VILLE\" = \"Paris\" )",
      ") ",
      " ",
      ") OR ",
      "  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) ",
      " AND ",
      "( ",
      "( ",
      " ( T1.\"VILLE\" = \"Lyon\" )",
      ") ",
      " ",
      ")  )",
      " GROUP BY  T1.\"NOM\"",
      "  ORDER BY  T1.\"NOM\"",
  };
  const SqlStatement s = build();
  EXPECT_EQ(s.lines, expected);
  EXPECT_EQ(s.extraColumnCount, 0);
  EXPECT_FALSE(s.mixedAndOr);
  EXPECT_TRUE(rec->boxes.isEmpty()) << rec->texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(BuildSqlTest, EmptyQueryAndOneTableWithoutColumns) {
  EXPECT_TRUE(lines().isEmpty());
  clients();
  // A table but no field column: nothing either.
  EXPECT_TRUE(lines().isEmpty());
}

TEST_F(BuildSqlTest, OneTableWithoutCriteriaHasNoWhereClause) {
  QueryTable& c = clients(QStringLiteral("/data/"));
  add(c, QStringLiteral("NOM"));
  add(c, QStringLiteral("VILLE"));
  EXPECT_EQ(lines(), (QStringList{" SELECT  T1.\"NOM\", T1.\"VILLE\"", " FROM   \"/data/CLIENTS.DB\" T1 "}));
}

TEST_F(BuildSqlTest, DistinctAndAliasLocation) {
  QueryTable& c = clients(QStringLiteral(":VENTES:"));
  add(c, QStringLiteral("NOM"));
  SqlOptions options;
  options.uniqueRecords = true;
  EXPECT_EQ(lines(options), (QStringList{" SELECT  DISTINCT  T1.\"NOM\"", " FROM   \":VENTES:CLIENTS.DB\" T1 "}));
}

TEST_F(BuildSqlTest, HiddenColumnsOnly) {
  QueryTable& c = clients(QStringLiteral("/d/"));
  ASSERT_TRUE(doc.setShown(add(c, QStringLiteral("NOM")), false));
  ASSERT_TRUE(doc.setShown(add(c, QStringLiteral("VILLE")), false));
  EXPECT_EQ(lines(), (QStringList{" SELECT", " FROM   \"/d/CLIENTS.DB\" T1 "}));
}

TEST_F(BuildSqlTest, AggregatesAndSortDirections) {
  QueryTable& o = orders(QStringLiteral("/d/"));
  const QList<Operation> ops = {Operation::Min, Operation::Max, Operation::Average, Operation::Count, Operation::Sum};
  for (Operation op : ops) ASSERT_TRUE(doc.setOperation(add(o, QStringLiteral("MONTANT")), op));
  ASSERT_TRUE(doc.setSort(1, SortOrder::Descending));
  ASSERT_TRUE(doc.setSort(3, SortOrder::Ascending));
  // A hand-edited word that is neither sort word sorts descending; an empty one not at all.
  ASSERT_TRUE(doc.setCell(4, 3, QStringLiteral("Bizarre")));
  ASSERT_TRUE(doc.setCell(5, 3, QString()));
  const QStringList l = lines();
  ASSERT_EQ(l.size(), 3);
  EXPECT_EQ(l[0], QStringLiteral(" SELECT  MIN(T1.\"MONTANT\"), MAX(T1.\"MONTANT\"), AVG(T1.\"MONTANT\"), "
                                 "COUNT(T1.\"MONTANT\"), SUM(T1.\"MONTANT\")"));
  EXPECT_EQ(l[2], QStringLiteral("  ORDER BY  T1.\"MONTANT\" DESC,  T1.\"MONTANT\",  T1.\"MONTANT\" DESC"));
}

TEST_F(BuildSqlTest, HiddenGroupedColumnStillGroups) {
  QueryTable& c = clients(QStringLiteral("/d/"));
  const int nom = add(c, QStringLiteral("NOM"));
  add(c, QStringLiteral("VILLE"));
  // Grouping shows the column; a query file may still hold it hidden.
  ASSERT_TRUE(doc.setOperation(nom, Operation::Group));
  ASSERT_TRUE(doc.setCell(nom, 4, LoadText(7)));
  EXPECT_EQ(lines(), (QStringList{" SELECT  T1.\"VILLE\"", " FROM   \"/d/CLIENTS.DB\" T1 ", " GROUP BY  T1.\"NOM\""}));
}

TEST_F(BuildSqlTest, TwoTablesWithoutCriteriaGiveTheJoinsAlone) {
  writeModel(kClientOrderModel);
  QueryTable& c = clients();
  QueryTable& o = orders();
  add(c, QStringLiteral("NOM"));
  add(o, QStringLiteral("MONTANT"));
  const QStringList l = lines();
  ASSERT_EQ(l.size(), 6);
  EXPECT_EQ(l.mid(2), (QStringList{"WHERE (", "( ", "  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) ", ")  )"}));
}

TEST_F(BuildSqlTest, LinksInBothDirectionsAndATableInTwoWindows) {
  writeModel({"[Tables]", "Clients=/d/,CLIENTS.DB,1", "Commandes=/d/,COMMANDES.DB,2", "[1L]", "N=1", "[1L1]",
              "T=commandes.db", "S=NUMCLI", "D=NUMCLI", "[2L]", "N=2", "[2L1]", "T=CLIENTS.DB", "S=NUMCLI", "D=NUMCLI",
              "[2L2]", "T=CLIENTS.DB", "S=", "D=NUMCLI"});
  QueryTable& c = clients(QStringLiteral("/d/"));
  QueryTable& o = orders(QStringLiteral("/d/"));
  QueryTable second = table(QStringLiteral("Commandes bis"), QStringLiteral("COMMANDES.DB"), kOrderFields, "/d/");
  doc.addTable(second);
  add(c, QStringLiteral("NOM"));
  add(o, QStringLiteral("MONTANT"));
  ModelFile model(modelPath);
  // Table 1 joins both windows of COMMANDES.DB; each of them joins back; the incomplete
  // link is left out.
  EXPECT_EQ(joinConditions(doc, model),
            QStringList{QStringLiteral("  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) AND   (T1.\"NUMCLI\" = T3.\"NUMCLI\" ) AND  "
                                       " (T2.\"NUMCLI\" = T1.\"NUMCLI\" ) AND   (T3.\"NUMCLI\" = T1.\"NUMCLI\" ) ")});
}

TEST_F(BuildSqlTest, CriteriaOfOneRowJoinedByAndRowsByOrEmptyRowsSkipped) {
  writeModel(kClientOrderModel);
  QueryTable& c = clients();
  QueryTable& o = orders();
  const int nom = add(c, QStringLiteral("NOM"));
  const int montant = add(o, QStringLiteral("MONTANT"));
  ASSERT_TRUE(doc.setCriteria(nom, 6, QStringLiteral("A")));
  ASSERT_TRUE(doc.setCriteria(montant, 6, QStringLiteral(">5")));
  // Row 7 empty, row 8 holds spaces only, row 9 a criterion: two branches.
  ASSERT_TRUE(doc.setCriteria(nom, 8, QStringLiteral("    ")));
  ASSERT_TRUE(doc.setCriteria(nom, 9, QStringLiteral("B")));
  const QStringList where = lines().mid(2);
  const QStringList expected = {"WHERE (",
                                "  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) ",
                                " AND ",
                                "( ",
                                "( ",
                                " ( T1.\"NOM\" = \"A\" )",
                                ") AND ",
                                "( ",
                                " ( T2.\"MONTANT\"> 5 )",
                                ") ",
                                " ",
                                ") OR ",
                                "  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) ",
                                " AND ",
                                "( ",
                                "( ",
                                " ( T1.\"NOM\" = \"B\" )",
                                ") ",
                                " ",
                                ")  )"};
  EXPECT_EQ(where, expected);
}

TEST_F(BuildSqlTest, SpaceOnlyCriteriaOnOneTableAddNoWhereClause) {
  QueryTable& c = clients(QStringLiteral("/d/"));
  const int nom = add(c, QStringLiteral("NOM"));
  ASSERT_TRUE(doc.setCriteria(nom, 6, QStringLiteral("   ")));
  EXPECT_EQ(lines(), (QStringList{" SELECT  T1.\"NOM\"", " FROM   \"/d/CLIENTS.DB\" T1 "}));
}

TEST_F(BuildSqlTest, SpaceOnlyRowsOnLinkedTablesGiveTheJoinsAlone) {
  writeModel(kClientOrderModel);
  QueryTable& c = clients();
  QueryTable& o = orders();
  const int nom = add(c, QStringLiteral("NOM"));
  add(o, QStringLiteral("MONTANT"));
  ASSERT_TRUE(doc.setCriteria(nom, 6, QStringLiteral("  ")));
  EXPECT_EQ(lines().mid(2), (QStringList{"WHERE (", "( ", "  (T1.\"NUMCLI\" = T2.\"NUMCLI\" ) ", ")  )"}));
}

TEST_F(BuildSqlTest, UnlinkedTablesWithoutCriteriaHaveNoEmptyWhereClause) {
  QueryTable& c = clients(QStringLiteral("/d/"));
  QueryTable& o = orders(QStringLiteral("/d/"));
  add(c, QStringLiteral("NOM"));
  add(o, QStringLiteral("MONTANT"));
  EXPECT_EQ(lines().size(), 2);
}

TEST_F(BuildSqlTest, PlaceholderTextInAUserValueIsKept) {
  QueryTable& c = clients(QStringLiteral("/d/"));
  const int nom = add(c, QStringLiteral("NOM"));
  ASSERT_TRUE(doc.setCriteria(nom, 6, QStringLiteral("\"(1=1)\"")));
  EXPECT_TRUE(lines().join(QString()).contains(QStringLiteral("T1.\"NOM\" = \"(1=1)\"")));
}

TEST_F(BuildSqlTest, ExtraColumnsForTablesWithoutGridColumn) {
  writeModel(kClientOrderModel);
  QueryTable& c = clients(QStringLiteral("/d/"));
  orders(QStringLiteral("/d/"));
  const int nom = add(c, QStringLiteral("NOM"));
  doc.setFieldNameQuoting(false);  // the extra field is quoted all the same

  SqlStatement s = build();
  EXPECT_EQ(s.extraColumnCount, 1);
  EXPECT_EQ(s.lines.mid(0, 3), (QStringList{" SELECT  T1.NOM", ", ", " T2.\"NUMCLI\""}));
  EXPECT_EQ(s.lines[3], QStringLiteral(" FROM   \"/d/CLIENTS.DB\" T1 ,  \"/d/COMMANDES.DB\" T2 "));

  ASSERT_TRUE(doc.setOperation(nom, Operation::Count));
  s = build();
  EXPECT_EQ(s.lines.mid(0, 3), (QStringList{" SELECT  COUNT(T1.NOM)", ", ", " COUNT (T2.\"NUMCLI\")"}));

  // A third table without column: one more, and the count follows.
  doc.addTable(table(QStringLiteral("Produits"), QStringLiteral("PRODUITS.DB"),
                     {field(QStringLiteral("REF"), FieldType::ftString)}, "/d/"));
  s = build();
  EXPECT_EQ(s.extraColumnCount, 2);
  EXPECT_EQ(s.lines[2], QStringLiteral(" COUNT (T2.\"NUMCLI\"),  COUNT (T3.\"REF\")"));
}

TEST_F(BuildSqlTest, CountModeKeepsTheOtherClauses) {
  writeModel(kClientOrderModel);
  QueryTable& c = clients();
  QueryTable& o = orders();
  const int nom = add(c, QStringLiteral("NOM"));
  add(o, QStringLiteral("MONTANT"));
  ASSERT_TRUE(doc.setSort(nom, SortOrder::Ascending));
  ASSERT_TRUE(doc.setCriteria(nom, 6, QStringLiteral("A")));
  SqlOptions options;
  options.countMode = true;
  options.uniqueRecords = true;
  const SqlStatement counted = build(options);
  const SqlStatement normal = build();
  EXPECT_EQ(counted.lines[0], QStringLiteral(" SELECT  COUNT (T1.\"NOM\") "));
  EXPECT_EQ(counted.lines.mid(1), normal.lines.mid(1));
  EXPECT_EQ(counted.extraColumnCount, 0);
}

TEST_F(BuildSqlTest, LongStatementWrapsBefore200Characters) {
  QList<QueryField> fields;
  for (int i = 0; i < 40; ++i) fields << field(QStringLiteral("CHAMP_NUMERO_%1").arg(i), FieldType::ftString);
  QueryTable& t = doc.addTable(table(QStringLiteral("Large"), QStringLiteral("LARGE.DB"), fields, "/d/"));
  for (const QueryField& f : fields) {
    const int c = add(t, f.displayName);
    ASSERT_TRUE(doc.setSort(c, SortOrder::Descending));
  }
  const QStringList l = lines();
  int selectLines = 0;
  for (const QString& line : l) {
    EXPECT_LE(line.size(), 201) << line.toStdString();
    if (line.contains(QStringLiteral("CHAMP_NUMERO_")) && !line.contains(QStringLiteral("DESC"))) ++selectLines;
  }
  EXPECT_GT(selectLines, 1);
  // A continuation line starts with the fragment's space; nothing is lost between lines.
  EXPECT_TRUE(l[1].startsWith(QStringLiteral(" T1.\"CHAMP_NUMERO_")));
  const QString all = l.join(QString());
  for (int i = 0; i < 40; ++i)
    EXPECT_EQ(all.count(QStringLiteral("\"CHAMP_NUMERO_%1\"").arg(i)), 2) << i;
}

TEST_F(BuildSqlTest, MixedAndOrIsReported) {
  QueryTable& c = clients(QStringLiteral("/d/"));
  const int nom = add(c, QStringLiteral("NOM"));
  ASSERT_TRUE(doc.setCriteria(nom, 7, QStringLiteral("A ET B OU C")));
  EXPECT_TRUE(build().mixedAndOr);
}

TEST_F(BuildSqlTest, UnknownFieldReportsOnceAndCompares) {
  QueryTable& c = clients(QStringLiteral("/d/"));
  const int nom = add(c, QStringLiteral("NOM"));
  ASSERT_TRUE(doc.setCriteria(nom, 6, QStringLiteral("1")));
  ASSERT_TRUE(doc.setCriteria(nom, 7, QStringLiteral("2")));
  // The query file named a field that the table's list no longer holds.
  ASSERT_TRUE(doc.setCell(nom, 1, QStringLiteral("DISPARU")));
  const QStringList l = lines();
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].text, LoadText(105));
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Error);
  // Type unknown: the values are written bare.
  EXPECT_TRUE(l.join(QString()).contains(QStringLiteral(" = 1 )"))) << l.join(QLatin1Char('|')).toStdString();
}

TEST_F(BuildSqlTest, EnglishGridWords) {
  setLanguage(2);
  QueryTable& o = orders(QStringLiteral("/d/"));
  const int m = add(o, QStringLiteral("MONTANT"));
  ASSERT_TRUE(doc.setOperation(m, Operation::Sum));
  ASSERT_TRUE(doc.setCriteria(m, 6, QStringLiteral("> 5 and < 9")));
  const QStringList l = lines();
  EXPECT_EQ(l[0], QStringLiteral(" SELECT  SUM(T1.\"MONTANT\")"));
  EXPECT_EQ(l[5], QStringLiteral(" ( T1.\"MONTANT\"> 5  AND  T1.\"MONTANT\"< 9 )"));
}

TEST_F(BuildSqlTest, ModelIsReadAfreshOnEveryCall) {
  QueryTable& c = clients();
  QueryTable& o = orders();
  add(c, QStringLiteral("NOM"));
  add(o, QStringLiteral("MONTANT"));
  ModelFile model(modelPath);
  EXPECT_EQ(CurrentSqlLines(doc, model).size(), 2);
  writeModel(kClientOrderModel);
  EXPECT_EQ(CurrentSqlLines(doc, model).size(), 6);
}

}  // namespace
}  // namespace korvi::sql::testing
