#pragma once
// Shared set-up of the designer tests: the library's string table in a chosen language, a
// predictable text measure and tables of the query with a few fields.

#include <gtest/gtest.h>

#include <ostream>

#include "common/text/strings.h"
#include "library/designer/querydocument.h"
#include "support/recordingmessages.h"

// Readable QString values in failure reports.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace korvi::designer::testing {

// Spaces measure 3 pixels, every other character 7.
inline int measure(const QString& text) {
  int width = 0;
  for (QChar c : text) width += c == QLatin1Char(' ') ? 3 : 7;
  return width;
}

inline QueryTable makeTable(const QString& longName, const QString& file,
                            QList<QueryField> fields = {}) {
  QueryTable t;
  t.longName = longName;
  t.tableName = file;
  t.location = QStringLiteral("/data/");
  if (fields.isEmpty()) {
    fields = {{QStringLiteral("Nom"), QStringLiteral("NOM"), engine::FieldType::ftString, 30},
              {QStringLiteral("Montant"), QStringLiteral("MONTANT"), engine::FieldType::ftCurrency, 0},
              {QStringLiteral("Notes"), QStringLiteral("NOTES"), engine::FieldType::ftMemo, 10},
              {QStringLiteral("Jour"), QStringLiteral("JOUR"), engine::FieldType::ftDate, 0}};
  }
  t.fields = fields;
  return t;
}

// The library's texts in French, in place before the document below labels its rows.
struct FrenchTexts {
  FrenchTexts() {
    installed = installStringTable(QStringLiteral(":/strings/library.txt"));
    setLanguage(1);
  }
  ~FrenchTexts() { setLanguage(1); }
  bool installed = false;
};

class DesignerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(texts.installed); }

  FrenchTexts texts;
  ::korvi::testing::ScopedRecorder rec;
  QueryDocument doc{measure};
};

}  // namespace korvi::designer::testing
