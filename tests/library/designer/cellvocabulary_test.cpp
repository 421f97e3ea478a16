#include "library/designer/cellvocabulary.h"

#include "designerfixture.h"

namespace korvi::designer::testing {
namespace {

using engine::FieldType;

using VocabularyTest = DesignerTest;

TEST_F(VocabularyTest, FrenchWordsAreTheOnesQueriesStore) {
  EXPECT_EQ(sortWords(), QStringList({"Non trié", "Croissant", "Décroissant"}));
  EXPECT_EQ(showWords(), QStringList({"Afficher", "Cacher"}));
  EXPECT_EQ(operationWords(), QStringList({"Aucune", "Valeur min", "Valeur max", "Moyenne",
                                           "Somme", "Nombre", "Regroupement"}));
  EXPECT_EQ(rec->texts(), QStringList());
}

TEST_F(VocabularyTest, EnglishWordsComeFromTheShiftedNumbersAndDoNotMatchFrench) {
  setLanguage(2);
  EXPECT_EQ(sortWord(SortOrder::Descending), stringTable().value(2006));
  EXPECT_EQ(showWord(false), stringTable().value(2007));
  EXPECT_EQ(operationWord(Operation::Group), stringTable().value(2013));
  EXPECT_NE(sortWord(SortOrder::NotSorted), QStringLiteral("Non trié"));
  // A French word in an English designer stands for nothing.
  EXPECT_FALSE(sortOrderOf(QStringLiteral("Croissant")).has_value());
  EXPECT_EQ(sortOrderOf(stringTable().value(2005)), SortOrder::Ascending);
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST_F(VocabularyTest, WordsMapBackExactly) {
  for (int i = 0; i <= static_cast<int>(Operation::Group); ++i) {
    const auto op = static_cast<Operation>(i);
    EXPECT_EQ(operationOf(operationWord(op)), op);
  }
  EXPECT_EQ(shownOf(QStringLiteral("Cacher")), false);
  EXPECT_EQ(shownOf(QStringLiteral("Afficher")), true);
  EXPECT_FALSE(shownOf(QStringLiteral("afficher")).has_value());
  EXPECT_FALSE(operationOf(QString()).has_value());
}

TEST_F(VocabularyTest, TypeLabels) {
  EXPECT_EQ(typeLabel(FieldType::ftString, 25), "Chaîne de caractères (25)");
  EXPECT_EQ(typeLabel(FieldType::ftUnknown), "Inconnu");
  EXPECT_EQ(typeLabel(FieldType::ftDateTime), "Date / Heure");
  EXPECT_EQ(typeLabel(FieldType::ftBytes), "Mémo");
  EXPECT_EQ(typeLabel(FieldType::ftMemo), "Mémo");
  EXPECT_EQ(typeLabel(FieldType::ftGraphic), "Graphique");
  EXPECT_EQ(typeLabel(FieldType::ftAutoInc), "");
  EXPECT_EQ(typeLabel(FieldType::ftFmtMemo), "");
  setLanguage(2);
  EXPECT_EQ(typeLabel(FieldType::ftBoolean), stringTable().value(2094));
}

TEST_F(VocabularyTest, OperationsAllowedPerType) {
  struct Row { FieldType type; bool sort, average, sum; };
  const Row rows[] = {
      {FieldType::ftUnknown, false, false, false}, {FieldType::ftString, true, false, false},
      {FieldType::ftSmallint, true, true, true},   {FieldType::ftBoolean, true, false, false},
      {FieldType::ftBCD, true, true, true},        {FieldType::ftDate, true, true, false},
      {FieldType::ftDateTime, true, true, false},  {FieldType::ftVarBytes, false, false, false},
      {FieldType::ftAutoInc, true, true, true},    {FieldType::ftBlob, false, false, false},
      {FieldType::ftGraphic, false, false, false}, {FieldType::ftTypedBinary, true, true, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.type));
    EXPECT_EQ(sortAllowed(r.type), r.sort);
    EXPECT_EQ(averageAllowed(r.type), r.average);
    EXPECT_EQ(sumAllowed(r.type), r.sum);
    EXPECT_TRUE(operationAllowed(r.type, Operation::Count));
    EXPECT_TRUE(operationAllowed(r.type, Operation::Group));
  }
}

}  // namespace
}  // namespace korvi::designer::testing
