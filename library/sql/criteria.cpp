#include "library/sql/criteria.h"

#include <QLocale>
#include <QStringBuilder>
#include <QStringView>
#include <array>

#include "common/text/formats.h"
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

// Upper case of one character, with a quick path for ASCII letters.
QChar upperOf(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80) return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - 32)) : c;
  return c.toUpper();
}

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
    if (upperOf(text[i + j]) != k[j]) return false;
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
        const QChar upper = upperOf(c);
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

// The tokens of a text as views into it, trailing spaces removed.
std::vector<QStringView> cutTokenViews(const QString& text, const CriteriaKeywords& keywords) {
  const std::vector<int> starts = tokenStarts(text, keywords);
  const qsizetype length = text.size();
  std::vector<QStringView> tokens;
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
    qsizetype keep = end;
    while (keep > i && text[keep - 1] == kSpace) --keep;
    tokens.push_back(QStringView(text).sliced(i, keep - i));
    i = end;
  }
  return tokens;
}

// The token, upper-cased character by character, starts with or equals the keyword (which
// is upper-cased already); an empty keyword never matches.
bool upperStartsWith(QStringView token, const QString& keyword) {
  if (keyword.isEmpty() || token.size() < keyword.size()) return false;
  for (qsizetype j = 0; j < keyword.size(); ++j)
    if (upperOf(token[j]) != keyword[j]) return false;
  return true;
}

bool upperEquals(QStringView token, const QString& keyword) {
  return token.size() == keyword.size() && upperStartsWith(token, keyword);
}

bool isSign(QStringView token) {
  return token == QLatin1String(">") || token == QLatin1String("<") || token == QLatin1String(">=") ||
         token == QLatin1String("<=") || token == QLatin1String("<>");
}

bool isParameterMarker(QStringView token) {
  if (!token.startsWith(QLatin1String("\"["))) return false;
  const qsizetype close = token.indexOf(QLatin1String("]\""));
  return close >= 0 && close == token.size() - 2;
}

bool isDateType(FieldType type) { return type == FieldType::ftDate || type == FieldType::ftDateTime; }

// A date typed in the user's short date format (with an optional time after a space), as
// the engine's month/day/year text; empty when the value is not such a date.
QString engineDateText(QStringView token) {
  const qsizetype space = token.indexOf(QLatin1Char(' '));
  const QDate date = parseShortDate((space < 0 ? token : token.first(space)).toString());
  if (!date.isValid()) return QString();
  QString text = QLocale::c().toString(date, QStringLiteral("MM/dd/yyyy"));
  if (space >= 0) text += token.sliced(space);
  return text;
}

enum class Pending { None, StartsWith, EndsWith, Contains, Like };

}  // namespace

// ---- Tokens ----

bool hasTokens(const QString& text) {
  for (QChar c : text)
    if (c != kSpace) return true;
  return false;
}

CriteriaTokens::CriteriaTokens(const QString& text, const CriteriaKeywords& keywords) {
  const std::vector<QStringView> views = cutTokenViews(text, keywords);
  tokens_.reserve(static_cast<qsizetype>(views.size()));
  kinds_.reserve(views.size());
  for (QStringView token : views) {
    tokens_.append(token.toString());
    kinds_.push_back(classifyToken(token, keywords));
  }
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

int classifyToken(QStringView token, const CriteriaKeywords& kw) {
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
  const std::vector<QStringView> tokens = cutTokenViews(text, kw);
  if (tokens.empty()) return result;
  QStringList& lines = result.lines;
  AppendFragment(lines, {u"("});

  const bool quoted = isQuotedType(type);
  const bool dated = isDateType(type);
  const QString todayText =
      dated ? kQuote + QLocale::c().toString(today, QStringLiteral("MM/dd/yyyy")) + kQuote : QString();
  const QStringView q = quoted ? QStringView(u"\"") : QStringView();
  Pending pending = Pending::None;
  bool equalityWanted = true;
  bool sawAnd = false;
  bool sawOr = false;
  QString value;

  for (const QStringView cut : tokens) {
    // The kind is that of the token as cut: a quoted keyword is a value.
    const int kind = classifyToken(cut, kw) == kKeywordToken ? kKeywordToken : kValueToken;
    QStringView token = cut;
    if (quoted && token.size() >= 2 && token.startsWith(kQuote) && token.endsWith(kQuote))
      token = token.sliced(1, token.size() - 2);

    if (kind == kValueToken) {
      if (token == u"(" || token == u")") {
        AppendFragment(lines, {token});
      } else {
        // The value, and whether it brings its own quotes (today's date does).
        QStringView v = token;
        bool carriesQuotes = false;
        if (dated && upperStartsWith(token, kw.today)) {
          value = todayText;
          if (token.size() > kw.today.size())
            value += QLatin1String("+(") % token.sliced(kw.today.size()) % QLatin1Char(')');
          v = value;
          carriesQuotes = true;
        } else if (type == FieldType::ftBoolean && upperEquals(token, kw.trueWord)) {
          v = u"\"TRUE\"";
        } else if (type == FieldType::ftBoolean && upperEquals(token, kw.falseWord)) {
          v = u"\"FALSE\"";
        } else if (dated) {
          // The engine reads dates as month/day/year; the user types them in the short
          // date format of the interface language (day first in French).
          const QString engineDate = engineDateText(token);
          if (!engineDate.isEmpty()) {
            value = engineDate;
            v = value;
          }
        }
        const QStringView vq = carriesQuotes ? QStringView() : q;
        switch (pending) {
          case Pending::StartsWith:
          case Pending::Like:
            AppendFragment(lines, {reference, u" LIKE \"", v, u"%\""});
            break;
          case Pending::EndsWith:
            AppendFragment(lines, {reference, u" LIKE \"%", v, u"\""});
            break;
          case Pending::Contains:
            AppendFragment(lines, {reference, u" LIKE \"%", v, u"%\""});
            break;
          case Pending::None:
            if (equalityWanted)
              AppendFragment(lines, {reference, u" = ", vq, v, vq});
            else
              AppendFragment(lines, {vq, v, vq});
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
        AppendFragment(lines, {u" AND "});
        sawAnd = true;
        andOr = true;
      } else if (upperEquals(token, kw.orWord)) {
        AppendFragment(lines, {u" OR "});
        sawOr = true;
        andOr = true;
      } else if (upperEquals(token, kw.endsWith)) {
        pending = Pending::EndsWith;
      } else if (upperEquals(token, kw.contains)) {
        pending = Pending::Contains;
      } else if (upperEquals(token, kw.like)) {
        pending = Pending::Like;
      } else if (isSign(token)) {
        AppendFragment(lines, {reference, token});
      }
      equalityWanted = andOr;
    }
  }

  AppendFragment(lines, {u")"});
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
