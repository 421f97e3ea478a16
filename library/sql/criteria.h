#pragma once
// The criteria language of the design grid: a cell is cut into tokens (values, keywords and
// comparison signs, parameter markers) and translated into a parenthesised SQL condition on
// its column's field.
//
// Texts of any length are handled: the per-position tables are sized to the text, so a cell
// longer than the 255 characters that the criteria editor allows (a hand-edited query file
// can hold one) is cut and translated in full, never truncated.

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

#include "common/engine/types.h"
#include "library/sql/sqlwords.h"

namespace korvi::designer {
class QueryDocument;
}

namespace korvi::sql {

// Token kinds, as the criteria editor and validation compare them.
enum TokenKindCode : int {
  kValueToken = 0,      // a value, today/true/false, a parenthesis
  kKeywordToken = 1,    // and, or, starts with, ends with, contains, like, or a sign
  kParameterToken = 2,  // "[type|prompt]" between double quotes
};

// The tokens of one text, cut once.
class CriteriaTokens {
 public:
  CriteriaTokens() = default;
  CriteriaTokens(const QString& text, const CriteriaKeywords& keywords);

  int count() const { return static_cast<int>(tokens_.size()); }
  // The i-th token (1-based) without its trailing spaces; empty outside 1..count.
  QString at(int i) const;
  // The kind of the i-th token; kValueToken outside 1..count.
  int kind(int i) const;
  const QStringList& tokens() const { return tokens_; }

 private:
  QStringList tokens_;
  std::vector<int> kinds_;
};

// Cuts a text into tokens with the keywords of the given language (by default the current
// interface language; the words of the other language are ordinary values).
CriteriaTokens Tokenize(const QString& text, const CriteriaKeywords& keywords = CriteriaKeywords::current());
int TokenCount(const QString& text, const CriteriaKeywords& keywords = CriteriaKeywords::current());
QString TokenAt(const QString& text, int i, const CriteriaKeywords& keywords = CriteriaKeywords::current());
int TokenKind(const QString& text, int i, const CriteriaKeywords& keywords = CriteriaKeywords::current());

// Whether the text holds at least one token: anything but spaces.
bool hasTokens(const QString& text);

// The kind of one token as cut: upper-cased, a keyword of the and/or/like family or a sign
// is 1, a parameter marker is 2, anything else 0.
int classifyToken(QStringView token, const CriteriaKeywords& keywords);

// Values compared with fields of these types are written between double quotes.
bool isQuotedType(engine::FieldType type);

struct CriteriaTranslation {
  QStringList lines;        // empty when the cell holds no token
  bool mixedAndOr = false;  // the cell used both the and keyword and the or keyword
};

// Translates a criteria text for a field whose column reference (T<n>.<field>) and type are
// given. Today's date replaces the today keyword on date and date-time fields.
CriteriaTranslation translateCriteriaText(const QString& text, const QString& reference, engine::FieldType type,
                                          const CriteriaKeywords& keywords, const QDate& today);

// Translates the criteria cell (column, row) of the document; empty when the cell has no
// token or the column has no table in the query. The field type is looked up only for a
// cell that has tokens (an unknown field then reports its message once for that cell).
CriteriaTranslation TranslateCriteria(const designer::QueryDocument& document, int column, int row,
                                      const CriteriaKeywords& keywords, const QDate& today);

}  // namespace korvi::sql
