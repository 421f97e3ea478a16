#include "library/sql/criteria.h"

#include <QLocale>
#include <QStringBuilder>
#include <array>

#include "library/designer/querydocument.h"
#include "library/sql/buildsql.h"
#include "library/sql/sqllines.h"

namespace korvi::sql {
namespace {

using engine::FieldType;

constexpr QChar kQuote = QLatin1Char('"');
constexpr QChar kSpace = QLatin1Char(' ');

// What stands at one position of the text: nothing, a space outside quotes (a boundary), or
// the start of a keyword, sign or marker of the given length.
constexpr int kNoStart = 0;
constexpr int kBoundary = -1;

bool isSignStart(QChar c) {
  return c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char('<') || c == QLatin1Char('>');
}

// Whether the keyword's letters stand at index i (compared upper-cased) and are followed by
// a space or the text's end. The caller has checked what precedes index i.
bool keywordAt(const QChar* text, qsizetype length, qsizetype i, const QString& keyword) {
  const qsizetype n = keyword.size();
  if (n == 0 || i + n > length) return false;
  if (i + n < length && text[i + n] != kSpace) return false;
  const QChar* k = keyword.constData();
  for (qsizetype j = 0; j < n; ++j)
    if (text[i + j].toUpper() != k[j]) return false;
  return true;
}

// Per position: kNoStart, kBoundary or the length of the token starting there.
std::vector<int> tokenStarts(const QString& string, const CriteriaKeywords& kw) {
  const qsizetype length = string.size();
  const QChar* text = string.constData();
  const std::array<const QString*, 9> keywords{&kw.today, &kw.trueWord, &kw.falseWord, &kw.startsWith, &kw.andWord,
                                               &kw.orWord, &kw.endsWith, &kw.contains, &kw.like};
  std::vector<int> starts(static_cast<size_t>(length), kNoStart);
  qsizetype quotesBefore = 0;
  for (qsizetype i = 0; i < length; ++i) {
    const QChar c = text[i];
    const bool outside = quotesBefore % 2 == 0;
    int& start = starts[static_cast<size_t>(i)];
    if (c == kSpace) {
      if (outside) start = kBoundary;
    } else if (isSignStart(c) && outside) {
      const QChar next = i + 1 < length ? text[i + 1] : QChar();
      const bool two = ((c == QLatin1Char('>') || c == QLatin1Char('<')) && next == QLatin1Char('=')) ||
                       (c == QLatin1Char('<') && next == QLatin1Char('>'));
      start = two ? 2 : 1;
    } else {
      // A keyword starts a token only outside quotes, at the text's start or after a space.
      if (outside && (i == 0 || text[i - 1] == kSpace)) {
        const QChar upper = c.toUpper();
        for (const QString* keyword : keywords) {
          if (!keyword->isEmpty() && keyword->front() == upper && keywordAt(text, length, i, *keyword)) {
            start = static_cast<int>(keyword->size());
            break;
          }
        }
      }
      if (start == kNoStart && c == kQuote && i + 1 < length && text[i + 1] == QLatin1Char('[')) {
        const qsizetype close = string.indexOf(kQuote, i + 1);
        if (close > 0) start = static_cast<int>(close - i + 1);
      }
    }
    if (c == kQuote) ++quotesBefore;
  }
  return starts;
}

QStringList cutTokens(const QString& text, const CriteriaKeywords& keywords) {
  const std::vector<int> starts = tokenStarts(text, keywords);
  const qsizetype length = text.size();
  QStringList tokens;
  qsizetype i = 0;
  while (true) {
    while (i < length && text[i] == kSpace) ++i;
    if (i >= length) break;
    const int start = starts[static_cast<size_t>(i)];
    qsizetype end = i + 1;
    if (start > 0) {
      end = i + start;
    } else {
      while (end < length && starts[static_cast<size_t>(end)] == kNoStart) ++end;
    }
    QString token = text.mid(i, end - i);
    qsizetype keep = token.size();
    while (keep > 0 && token[keep - 1] == kSpace) --keep;
    token.truncate(keep);
    tokens.append(token);
    i = end;
  }
  return tokens;
}

// The token, upper-cased character by character, starts with or equals the keyword (which
// is upper-cased already); an empty keyword never matches.
bool upperStartsWith(QStringView token, const QString& keyword) {
  if (keyword.isEmpty() || token.size() < keyword.size()) return false;
  for (qsizetype j = 0; j < keyword.size(); ++j)
    if (token[j].toUpper() != keyword[j]) return false;
  return true;
}

bool upperEquals(QStringView token, const QString& keyword) {
  return token.size() == keyword.size() && upperStartsWith(token, keyword);
}

bool isSign(QStringView token) {
  return token == QLatin1String(">") || token == QLatin1String("<") || token == QLatin1String(">=") ||
         token == QLatin1String("<=") || token == QLatin1String("<>");
}

bool isParameterMarker(const QString& token) {
  if (!token.startsWith(QLatin1String("\"["))) return false;
  const qsizetype close = token.indexOf(QLatin1String("]\""));
  return close >= 0 && close == token.size() - 2;
}

bool isDateType(FieldType type) { return type == FieldType::ftDate || type == FieldType::ftDateTime; }

enum class Pending { None, StartsWith, EndsWith, Contains, Like };

}  // namespace

// ---- Tokens ----

bool hasTokens(const QString& text) {
  for (QChar c : text)
    if (c != kSpace) return true;
  return false;
}

CriteriaTokens::CriteriaTokens(const QString& text, const CriteriaKeywords& keywords)
    : tokens_(cutTokens(text, keywords)) {
  kinds_.reserve(static_cast<size_t>(tokens_.size()));
  for (const QString& token : tokens_) kinds_.push_back(classifyToken(token, keywords));
}

QString CriteriaTokens::at(int i) const {
  if (i < 1 || i > count()) return {};
  return tokens_[i - 1];
}

int CriteriaTokens::kind(int i) const {
  if (i < 1 || i > count()) return kValueToken;
  return kinds_[static_cast<size_t>(i - 1)];
}

CriteriaTokens Tokenize(const QString& text, const CriteriaKeywords& keywords) { return {text, keywords}; }

int TokenCount(const QString& text, const CriteriaKeywords& keywords) { return Tokenize(text, keywords).count(); }

QString TokenAt(const QString& text, int i, const CriteriaKeywords& keywords) {
  return Tokenize(text, keywords).at(i);
}

int TokenKind(const QString& text, int i, const CriteriaKeywords& keywords) {
  return Tokenize(text, keywords).kind(i);
}

int classifyToken(const QString& token, const CriteriaKeywords& kw) {
  for (const QString* keyword : {&kw.andWord, &kw.orWord, &kw.startsWith, &kw.endsWith, &kw.contains, &kw.like})
    if (upperEquals(token, *keyword)) return kKeywordToken;
  if (isSign(token)) return kKeywordToken;
  if (isParameterMarker(token)) return kParameterToken;
  return kValueToken;
}

bool isQuotedType(FieldType type) {
  switch (type) {
    case FieldType::ftString:
    case FieldType::ftDate:
    case FieldType::ftTime:
    case FieldType::ftDateTime:
    case FieldType::ftBytes:
    case FieldType::ftVarBytes:
    case FieldType::ftBlob:
    case FieldType::ftMemo:
      return true;
    default:
      return false;
  }
}

// ---- Translation ----

CriteriaTranslation translateCriteriaText(const QString& text, const QString& reference, FieldType type,
                                          const CriteriaKeywords& kw, const QDate& today) {
  CriteriaTranslation result;
  const CriteriaTokens tokens(text, kw);
  const int count = tokens.count();
  if (count == 0) return result;
  QStringList& lines = result.lines;
  AppendFragment(lines, QStringLiteral("("));

  const bool quoted = isQuotedType(type);
  const QString todayText = isDateType(type) ? QLocale::c().toString(today, QStringLiteral("MM/dd/yyyy")) : QString();
  const QString q = quoted ? QString(kQuote) : QString();
  Pending pending = Pending::None;
  bool equalityWanted = true;
  bool sawAnd = false;
  bool sawOr = false;

  for (int i = 1; i <= count; ++i) {
    QString token = tokens.at(i);
    if (quoted && token.size() >= 2 && token.startsWith(kQuote) && token.endsWith(kQuote))
      token = token.mid(1, token.size() - 2);
    const int kind = tokens.kind(i) == kKeywordToken ? kKeywordToken : kValueToken;

    if (kind == kValueToken) {
      if (token == QLatin1String("(") || token == QLatin1String(")")) {
        AppendFragment(lines, token);
      } else {
        QString value = token;
        bool carriesQuotes = false;
        if (isDateType(type) && upperStartsWith(token, kw.today)) {
          value = kQuote % todayText % kQuote;
          if (token.size() > kw.today.size())
            value += QLatin1String("+(") % QStringView(token).mid(kw.today.size()) % QLatin1Char(')');
          carriesQuotes = true;
        } else if (type == FieldType::ftBoolean && upperEquals(token, kw.trueWord)) {
          value = QStringLiteral("\"TRUE\"");
        } else if (type == FieldType::ftBoolean && upperEquals(token, kw.falseWord)) {
          value = QStringLiteral("\"FALSE\"");
        }
        const QString plain = carriesQuotes ? value : QString(q % value % q);
        switch (pending) {
          case Pending::StartsWith:
          case Pending::Like:
            AppendFragment(lines, reference % QLatin1String(" LIKE \"") % value % QLatin1String("%\""));
            break;
          case Pending::EndsWith:
            AppendFragment(lines, reference % QLatin1String(" LIKE \"%") % value % kQuote);
            break;
          case Pending::Contains:
            AppendFragment(lines, reference % QLatin1String(" LIKE \"%") % value % QLatin1String("%\""));
            break;
          case Pending::None:
            AppendFragment(lines, equalityWanted ? QString(reference % QLatin1String(" = ") % plain) : plain);
            break;
        }
      }
    }

    pending = Pending::None;
    equalityWanted = true;

    if (kind == kKeywordToken) {
      bool andOr = false;
      if (upperEquals(token, kw.startsWith)) {
        pending = Pending::StartsWith;
      } else if (upperEquals(token, kw.andWord)) {
        AppendFragment(lines, QStringLiteral(" AND "));
        sawAnd = true;
        andOr = true;
      } else if (upperEquals(token, kw.orWord)) {
        AppendFragment(lines, QStringLiteral(" OR "));
        sawOr = true;
        andOr = true;
      } else if (upperEquals(token, kw.endsWith)) {
        pending = Pending::EndsWith;
      } else if (upperEquals(token, kw.contains)) {
        pending = Pending::Contains;
      } else if (upperEquals(token, kw.like)) {
        pending = Pending::Like;
      } else if (isSign(token)) {
        AppendFragment(lines, reference % token);
      }
      equalityWanted = andOr;
    }
  }

  AppendFragment(lines, QStringLiteral(")"));
  result.mixedAndOr = sawAnd && sawOr;
  return result;
}

CriteriaTranslation TranslateCriteria(const designer::QueryDocument& document, int column, int row,
                                      const CriteriaKeywords& keywords, const QDate& today) {
  const designer::QueryTable* table = document.tableOfColumn(column);
  if (!table) return {};
  const QString text = document.cell(column, row);
  if (!hasTokens(text)) return {};
  return translateCriteriaText(text, columnReference(document, column), document.typeCode(column), keywords, today);
}

}  // namespace korvi::sql
