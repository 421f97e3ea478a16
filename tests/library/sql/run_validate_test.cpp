// Validation of the grid before a query runs: its messages in their order and the grid
// rewrites of grouped queries.

#include "sqlfixture.h"
#include "common/engine/engine.h"
#include "library/sql/validate.h"

namespace korvi::sql::testing {
namespace {

namespace row = designer::gridrow;

const QList<QueryField> kClientFields = {field(QStringLiteral("NUMCLI"), FieldType::ftInteger),
                                         field(QStringLiteral("NOM"), FieldType::ftString),
                                         field(QStringLiteral("VILLE"), FieldType::ftInteger)};
const QList<QueryField> kOrderFields = {field(QStringLiteral("NUMCLI"), FieldType::ftInteger),
                                        field(QStringLiteral("MONTANT"), FieldType::ftCurrency)};
const QList<QueryField> kTownFields = {field(QStringLiteral("CODE"), FieldType::ftInteger),
                                       field(QStringLiteral("NOMVILLE"), FieldType::ftString)};

class ValidateTest : public SqlTest {
 protected:
  void SetUp() override {
    SqlTest::SetUp();
    context.document = &doc;
    context.words = SqlWords::current();
  }
  QueryTable& clients() { return doc.addTable(table("Clients", "CLIENTS.DB", kClientFields)); }
  QueryTable& orders() { return doc.addTable(table("Commandes", "COMMANDES.DB", kOrderFields)); }
  QueryTable& towns() { return doc.addTable(table("Villes", "VILLES.DB", kTownFields)); }

  bool validate() {
    rec->boxes.clear();
    const ModelFile model(modelPath);  // read afresh: tests rewrite the model
    context.model = &model;
    const bool ok = ValidateQuery(context);
    context.model = nullptr;
    return ok;
  }
  QString only() {
    return rec->boxes.size() == 1 ? rec->boxes[0].text : QStringLiteral("<%1 boxes>").arg(rec->boxes.size());
  }

  RunContext context;
};

TEST_F(ValidateTest, NothingToRunIsToldInOrder) {
  EXPECT_FALSE(validate());
  EXPECT_EQ(only(), LoadText(28));  // no field, no table
  clients();
  EXPECT_FALSE(validate());
  EXPECT_EQ(only(), LoadText(29));  // a table, no field
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Information);
}

TEST_F(ValidateTest, OneTableRunsWithoutLinksOrWarnings) {
  QueryTable& c = clients();
  const int nom = add(c, "NOM");
  // Mixed and/or criteria on an engine that would warn: a single table stops before.
  ASSERT_TRUE(doc.setCriteria(nom, 6, QStringLiteral("\"A\" ET \"B\" OU \"C\"")));
  context.engineVersion = 100;
  EXPECT_TRUE(validate());
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST_F(ValidateTest, AnAggregateHidesAndUnsortsThePlainColumns) {
  QueryTable& c = clients();
  const int nom = add(c, "NOM");
  const int ville = add(c, "VILLE");
  const int num = add(c, "NUMCLI");
  ASSERT_TRUE(doc.setSort(nom, SortOrder::Ascending));
  ASSERT_TRUE(doc.setSort(ville, SortOrder::Descending));
  ASSERT_TRUE(doc.setOperation(num, Operation::Count));
  EXPECT_TRUE(validate());
  const SqlWords w = SqlWords::current();
  for (int col : {nom, ville}) {
    EXPECT_EQ(doc.cell(col, row::kShow), w.hide);
    EXPECT_EQ(doc.cell(col, row::kSort), w.notSorted);
  }
  EXPECT_EQ(doc.cell(num, row::kShow), w.show);
  // Without any operation nothing is rewritten.
  QueryDocument plain;
  RunContext other = context;
  other.document = &plain;
  plain.addTable(table("Clients", "CLIENTS.DB", kClientFields));
  const int n = plain.appendField(*plain.tables()[0], "NOM", true);
  ASSERT_TRUE(plain.setSort(n, SortOrder::Ascending));
  EXPECT_TRUE(ValidateQuery(other));
  EXPECT_EQ(plain.cell(n, row::kSort), w.ascending);
}

TEST_F(ValidateTest, AggregateInColumnOneRefusesSeveralCriteriaRows) {
  QueryTable& c = clients();
  const int num = add(c, "NUMCLI");
  const int nom = add(c, "NOM");
  ASSERT_TRUE(doc.setOperation(num, Operation::Count));
  ASSERT_TRUE(doc.setCriteria(nom, 6, QStringLiteral("\"A\"")));
  EXPECT_TRUE(validate());  // one criteria row is fine
  ASSERT_TRUE(doc.setCriteria(nom, 8, QStringLiteral("\"B\"")));
  EXPECT_FALSE(validate());
  EXPECT_EQ(only(), LoadText(30));
}

TEST_F(ValidateTest, EveryColumnHidden) {
  QueryTable& c = clients();
  const int nom = add(c, "NOM");
  ASSERT_TRUE(doc.setShown(nom, false));
  EXPECT_FALSE(validate());
  EXPECT_EQ(only(), LoadText(31));
}

TEST_F(ValidateTest, SameFieldTwiceOnlyWithDifferentOperations) {
  QueryTable& c = clients();
  const int a = add(c, "NUMCLI");
  const int b = add(c, "NUMCLI");
  ASSERT_TRUE(doc.setOperation(b, Operation::Sum));
  EXPECT_TRUE(validate());  // "Aucune" and "Somme"
  ASSERT_TRUE(doc.setOperation(a, Operation::Sum));
  EXPECT_FALSE(validate());
  EXPECT_EQ(only(), fillPlaceholders(LoadText(32), {"NUMCLI", "Clients"}));
  EXPECT_TRUE(only().contains(QStringLiteral("\"NUMCLI\" de la table \"Clients\"")));
}

TEST_F(ValidateTest, GroupingColumnsComeFirstAndTheModifiedFlagStays) {
  writeModel({"[Tables]", "Clients=/data/,CLIENTS.DB,1", "Commandes=/data/,COMMANDES.DB,2", "[2L]", "N=1", "[2L1]",
              "T=CLIENTS.DB", "S=NUMCLI", "D=NUMCLI"});
  QueryTable& c = clients();
  QueryTable& o = orders();
  const int sum = add(o, "MONTANT");
  add(c, "VILLE");
  const int group = add(c, "NOM");
  ASSERT_TRUE(doc.setOperation(sum, Operation::Sum));
  ASSERT_TRUE(doc.setOperation(group, Operation::Group));
  for (bool modified : {false, true}) {
    doc.setModified(modified);
    EXPECT_TRUE(validate()) << only().toStdString();
    EXPECT_EQ(doc.isModified(), modified);
  }
  // Every column with an operation other than grouping moves, the hidden "Aucune" one too,
  // in its previous order.
  const SqlWords w = SqlWords::current();
  EXPECT_EQ(doc.cell(1, row::kField), "NOM");
  EXPECT_EQ(doc.cell(1, row::kOperation), w.group);
  EXPECT_EQ(doc.cell(2, row::kField), "MONTANT");
  EXPECT_EQ(doc.cell(2, row::kOperation), w.sum);
  EXPECT_EQ(doc.cell(2, row::kTable), "Commandes");
  EXPECT_EQ(doc.cell(3, row::kField), "VILLE");
  EXPECT_EQ(doc.cell(3, row::kShow), w.hide);
  EXPECT_EQ(doc.columnCount(), 5);  // label column, three columns, the spare one
  EXPECT_TRUE(doc.isColumnEmpty(4));
}

TEST_F(ValidateTest, SeveralAggregatesKeepTheirOrderWhenMoved) {
  QueryTable& c = clients();
  add(c, "NUMCLI");
  add(c, "VILLE");
  add(c, "NOM");
  ASSERT_TRUE(doc.setOperation(1, Operation::Max));
  ASSERT_TRUE(doc.setOperation(2, Operation::Min));
  ASSERT_TRUE(doc.setOperation(3, Operation::Group));
  EXPECT_TRUE(validate());
  EXPECT_EQ(doc.cell(1, row::kField), "NOM");
  EXPECT_EQ(doc.cell(2, row::kOperation), SqlWords::current().max);
  EXPECT_EQ(doc.cell(3, row::kOperation), SqlWords::current().min);
}

TEST_F(ValidateTest, EveryTableMustBeLinkedToAnother) {
  // Clients -> Villes in the model; Commandes is linked to nothing.
  writeModel({"[Tables]", "Clients=/data/,CLIENTS.DB,1", "Commandes=/data/,COMMANDES.DB,2", "Villes=/data/,VILLES.DB,3",
              "[1L]", "N=1", "[1L1]", "T=villes.db", "S=VILLE", "D=CODE"});
  QueryTable& c = clients();
  add(c, "NOM");
  towns();  // linked from the other side, names compared without regard to case
  EXPECT_TRUE(validate()) << only().toStdString();
  orders();
  EXPECT_FALSE(validate());
  EXPECT_EQ(only(), fillPlaceholders(LoadText(34), {"Commandes"}));
  // A link from Commandes to Clients is enough: the three need not form a chain of their own.
  writeModel({"[Tables]", "Clients=/data/,CLIENTS.DB,1", "Commandes=/data/,COMMANDES.DB,2", "Villes=/data/,VILLES.DB,3",
              "[1L]", "N=1", "[1L1]", "T=villes.db", "S=VILLE", "D=CODE", "[2L]", "N=1", "[2L1]", "T=CLIENTS.DB",
              "S=NUMCLI", "D=NUMCLI"});
  EXPECT_TRUE(validate()) << only().toStdString();
}

TEST_F(ValidateTest, MixedAndOrWarnsOnOlderEnginesOnly) {
  writeModel({"[Tables]", "Clients=/data/,CLIENTS.DB,1", "Commandes=/data/,COMMANDES.DB,2", "[2L]", "N=1", "[2L1]",
              "T=CLIENTS.DB", "S=NUMCLI", "D=NUMCLI"});
  QueryTable& c = clients();
  orders();
  const int nom = add(c, "NOM");
  ASSERT_TRUE(doc.setCriteria(nom, 6, QStringLiteral("\"A\" ET \"B\" OU \"C\"")));
  {
    const ModelFile model(modelPath);
    context.model = &model;
    ASSERT_TRUE(context.build().mixedAndOr);
    context.model = nullptr;
  }

  context.engineVersion = 120;
  EXPECT_TRUE(validate());  // the query still runs
  EXPECT_EQ(only(), LoadText(35));

  context.engineVersion = 121;
  EXPECT_TRUE(validate());
  EXPECT_TRUE(rec->boxes.isEmpty());

  context.engineVersion = 0;  // this engine's own number is past the rule
  EXPECT_TRUE(andOrWarningApplies(100));
  EXPECT_FALSE(andOrWarningApplies(engine::Engine::EngineVersion()));
  EXPECT_TRUE(validate());
  EXPECT_TRUE(rec->boxes.isEmpty());

  context.engineVersion = 100;  // a server table turned quoting off: no warning either
  doc.setFieldNameQuoting(false);
  EXPECT_TRUE(validate());
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST(FillPlaceholdersTest, ArgumentsAreNotSearchedAgain) {
  EXPECT_EQ(fillPlaceholders("a %s b %s c", {"%s", "x"}), "a %s b x c");
  EXPECT_EQ(fillPlaceholders("no mark", {"x"}), "no mark");
  EXPECT_EQ(fillPlaceholders("%s and %s", {"one"}), "one and %s");
}

}  // namespace
}  // namespace korvi::sql::testing
