// The criteria language: cutting cells into tokens, their kinds, and the translation of a
// cell into a condition on its column's field.

#include "sqlfixture.h"

namespace korvi::sql::testing {
namespace {

QStringList tokensOf(const QString& text) { return Tokenize(text).tokens(); }

struct Cut {
  const char* text;
  QStringList tokens;
};

class TokenizerTest : public SqlTest {};

TEST_F(TokenizerTest, CutsAtSpacesSignsAndParentheses) {
  const QList<Cut> cases = {
      {"", {}},
      {"     ", {}},
      {"Dupont", {"Dupont"}},
      {"  Paris   OU  Lyon  ", {"Paris", "OU", "Lyon"}},
      {"A<B", {"A", "<", "B"}},
      {">=10", {">=", "10"}},
      {"<=10 <>3", {"<=", "10", "<>", "3"}},
      {"=<5", {"=", "<", "5"}},
      {"(A OU B)", {"(", "A", "OU", "B", ")"}},
      {"\"New York\" OU Paris", {"\"New York\"", "OU", "Paris"}},
      {"\"a < b\"", {"\"a < b\""}},
      {"DUPONTET", {"DUPONTET"}},
      {"\"Paris ET Lyon\"", {"\"Paris ET Lyon\""}},
      {"CEJOUR-30", {"CEJOUR-30"}},
      {"\"[S|Nom du client]\" OU x", {"\"[S|Nom du client]\"", "OU", "x"}},
      {"\"[S|Nom sans fin", {"\"[S|Nom sans fin"}},
  };
  for (const Cut& c : cases) {
    const QString text = QString::fromUtf8(c.text);
    EXPECT_EQ(tokensOf(text), c.tokens) << c.text;
    EXPECT_EQ(TokenCount(text), c.tokens.size()) << c.text;
  }
}

TEST_F(TokenizerTest, KindsOfKeywordsSignsValuesAndMarkers) {
  const CriteriaTokens t = Tokenize(QStringLiteral("et Ou commencePar finipar CONTIENT comme > < >= <= <> = ( "
                                                   "CEJOUR VRAI faux \"[N|Montant]\" \"[x\" AND"));
  const QList<int> expected = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 2, 0, 0};
  ASSERT_EQ(t.count(), expected.size());
  for (int i = 1; i <= t.count(); ++i) EXPECT_EQ(t.kind(i), expected[i - 1]) << t.at(i).toStdString();
  EXPECT_EQ(TokenKind(QStringLiteral("A ET B"), 2), kKeywordToken);
  EXPECT_EQ(TokenAt(QStringLiteral("A ET B"), 3), QStringLiteral("B"));
  // Outside the tokens: nothing, and a value kind.
  EXPECT_EQ(TokenAt(QStringLiteral("A"), 2), QString());
  EXPECT_EQ(TokenKind(QStringLiteral("A"), 0), kValueToken);
}

TEST_F(TokenizerTest, KeywordsOfTheCurrentLanguageOnly) {
  EXPECT_EQ(TokenKind(QStringLiteral("A AND B"), 2), kValueToken);
  setLanguage(2);
  EXPECT_EQ(TokenKind(QStringLiteral("A AND B"), 2), kKeywordToken);
  EXPECT_EQ(TokenKind(QStringLiteral("A ET B"), 2), kValueToken);
  EXPECT_EQ(tokensOf(QStringLiteral("startswith Dup")), (QStringList{"startswith", "Dup"}));
}

TEST_F(TokenizerTest, CellLongerThanTheEditorLimitIsCutInFull) {
  // 400 values joined by OU: far beyond 255 characters, every token is still there.
  QStringList parts;
  for (int i = 0; i < 400; ++i) parts << QStringLiteral("V%1").arg(i);
  const QString text = parts.join(QStringLiteral(" OU "));
  ASSERT_GT(text.size(), 255);
  const CriteriaTokens t = Tokenize(text);
  ASSERT_EQ(t.count(), 799);
  EXPECT_EQ(t.at(799), QStringLiteral("V399"));
  EXPECT_EQ(t.kind(798), kKeywordToken);
  // A single quoted value of 1000 characters stays one token.
  const QString quoted = QLatin1Char('"') + QString(1000, QLatin1Char('x')) + QStringLiteral(" y\"");
  EXPECT_EQ(tokensOf(quoted), QStringList{quoted});
}

struct Translation {
  FieldType type;
  const char* reference;
  const char* text;
  const char* result;  // the single line of the translation, without its leading space
};

class TranslationTest : public SqlTest {
 protected:
  QStringList translate(const QString& text, FieldType type, const QString& reference = QStringLiteral("T1.\"F\"")) {
    return translateCriteriaText(text, reference, type, CriteriaKeywords::current(), today).lines;
  }
};

TEST_F(TranslationTest, ExamplesOfTheLanguage) {
  const QList<Translation> cases = {
      {FieldType::ftString, "T1.\"NOM\"", "Dupont", "( T1.\"NOM\" = \"Dupont\" )"},
      {FieldType::ftString, "T2.\"VILLE\"", "Paris OU Lyon", "( T2.\"VILLE\" = \"Paris\"  OR  T2.\"VILLE\" = \"Lyon\" )"},
      {FieldType::ftFloat, "T1.\"MONTANT\"", "> 1000 ET <= 5000",
       "( T1.\"MONTANT\"> 1000  AND  T1.\"MONTANT\"<= 5000 )"},
      {FieldType::ftString, "T1.\"NOM\"", "COMMENCEPAR Dup", "( T1.\"NOM\" LIKE \"Dup%\" )"},
      {FieldType::ftString, "T1.\"NOM\"", "CONTIENT ont", "( T1.\"NOM\" LIKE \"%ont%\" )"},
      {FieldType::ftBoolean, "T3.\"ACTIF\"", "VRAI", "( T3.\"ACTIF\" = \"TRUE\" )"},
      {FieldType::ftDate, "T1.\"DATEC\"", ">= CEJOUR-30", "( T1.\"DATEC\">= \"03/07/2026\"+(-30) )"},
      // Further forms.
      {FieldType::ftString, "T1.\"NOM\"", "FINIPAR ont", "( T1.\"NOM\" LIKE \"%ont\" )"},
      {FieldType::ftString, "T1.\"NOM\"", "comme D_p", "( T1.\"NOM\" LIKE \"D_p%\" )"},
      {FieldType::ftBoolean, "T1.\"ACTIF\"", "faux", "( T1.\"ACTIF\" = \"FALSE\" )"},
      {FieldType::ftDateTime, "T1.\"D\"", "CEJOUR", "( T1.\"D\" = \"03/07/2026\" )"},
      {FieldType::ftString, "T1.\"NOM\"", "CEJOUR", "( T1.\"NOM\" = \"CEJOUR\" )"},
      {FieldType::ftString, "T1.\"NOM\"", "VRAI", "( T1.\"NOM\" = \"VRAI\" )"},
      {FieldType::ftString, "T1.\"NOM\"", "\"New York\"", "( T1.\"NOM\" = \"New York\" )"},
      {FieldType::ftInteger, "T1.\"N\"", "\"12\"", "( T1.\"N\" = \"12\" )"},
      {FieldType::ftInteger, "T1.\"N\"", "<>0", "( T1.\"N\"<> 0 )"},
      {FieldType::ftString, "T1.\"NOM\"", "\"[S|Nom du client]\"", "( T1.\"NOM\" = \"[S|Nom du client]\" )"},
      {FieldType::ftInteger, "T1.\"N\"", "\"[N|Nombre]\"", "( T1.\"N\" = \"[N|Nombre]\" )"},
      {FieldType::ftString, "T1.\"NOM\"", "(A OU B) ET C",
       "( ( T1.\"NOM\" = \"A\"  OR  T1.\"NOM\" = \"B\" )  AND  T1.\"NOM\" = \"C\" )"},
      // Two values side by side, a keyword left pending at the end: no check, no effect.
      {FieldType::ftString, "T1.\"NOM\"", "A B", "( T1.\"NOM\" = \"A\" T1.\"NOM\" = \"B\" )"},
      {FieldType::ftString, "T1.\"NOM\"", "A COMMENCEPAR", "( T1.\"NOM\" = \"A\" )"},
      {FieldType::ftString, "T1.\"NOM\"", "\"ET\"", "( T1.\"NOM\" = \"ET\" )"},
  };
  for (const Translation& c : cases) {
    const QStringList result = translate(QString::fromUtf8(c.text), c.type, QString::fromUtf8(c.reference));
    EXPECT_EQ(result, QStringList{QLatin1Char(' ') + QString::fromUtf8(c.result)}) << c.text;
  }
}

TEST_F(TranslationTest, EnglishKeywords) {
  setLanguage(2);
  EXPECT_EQ(translate(QStringLiteral("startswith Dup or includes x"), FieldType::ftString),
            QStringList{QStringLiteral(" ( T1.\"F\" LIKE \"Dup%\"  OR  T1.\"F\" LIKE \"%x%\" )")});
  EXPECT_EQ(translate(QStringLiteral("true"), FieldType::ftBoolean), QStringList{QStringLiteral(" ( T1.\"F\" = \"TRUE\" )")});
  // The French words are plain values in English mode.
  EXPECT_EQ(translate(QStringLiteral("VRAI"), FieldType::ftBoolean), QStringList{QStringLiteral(" ( T1.\"F\" = VRAI )")});
}

TEST_F(TranslationTest, EmptyAndSpaceOnlyCellsTranslateToNothing) {
  EXPECT_TRUE(translate(QString(), FieldType::ftString).isEmpty());
  EXPECT_TRUE(translate(QStringLiteral("    "), FieldType::ftString).isEmpty());
}

TEST_F(TranslationTest, MixedAndOrFlag) {
  auto mixed = [&](const char* text) {
    return translateCriteriaText(QString::fromUtf8(text), QStringLiteral("T1.\"N\""), FieldType::ftInteger,
                                 CriteriaKeywords::current(), today)
        .mixedAndOr;
  };
  EXPECT_FALSE(mixed("1 OU 2 OU 3"));
  EXPECT_FALSE(mixed(">1 ET <5"));
  EXPECT_TRUE(mixed("(>1 ET <5) OU 9"));
  EXPECT_FALSE(mixed("\"1 ET 2\" OU 3"));
}

TEST_F(TranslationTest, LongCellTranslatesEveryTokenAndWrapsBefore200) {
  QStringList parts;
  for (int i = 0; i < 60; ++i) parts << QStringLiteral("%1").arg(1000 + i);
  const QString text = parts.join(QStringLiteral(" OU "));
  ASSERT_GT(text.size(), 255);
  const QStringList result = translate(text, FieldType::ftInteger);
  ASSERT_GT(result.size(), 1);
  for (const QString& line : result) EXPECT_LE(line.size(), 201);
  const QString all = result.join(QString());
  EXPECT_EQ(all.count(QStringLiteral(" OR ")), 59);
  EXPECT_TRUE(all.contains(QStringLiteral("T1.\"F\" = 1059 )")));
}

TEST_F(TranslationTest, CellOfTheDocument) {
  QueryTable& t = doc.addTable(table(QStringLiteral("Clients"), QStringLiteral("CLIENTS.DB"),
                                     {field(QStringLiteral("NOM"), FieldType::ftString)}));
  const int c = add(t, QStringLiteral("NOM"));
  ASSERT_TRUE(doc.setCriteria(c, 6, QStringLiteral("Dupont")));
  const CriteriaKeywords kw = CriteriaKeywords::current();
  EXPECT_EQ(TranslateCriteria(doc, c, 6, kw, today).lines,
            QStringList{QStringLiteral(" ( T1.\"NOM\" = \"Dupont\" )")});
  doc.setFieldNameQuoting(false);
  EXPECT_EQ(TranslateCriteria(doc, c, 6, kw, today).lines, QStringList{QStringLiteral(" ( T1.NOM = \"Dupont\" )")});
  // The spare column has no table: nothing.
  EXPECT_TRUE(TranslateCriteria(doc, doc.spareColumn(), 6, kw, today).lines.isEmpty());
  EXPECT_TRUE(rec->boxes.isEmpty());
}

}  // namespace
}  // namespace korvi::sql::testing
