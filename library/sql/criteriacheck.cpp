#include "library/sql/criteriacheck.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

#include "common/text/formats.h"
#include "library/sql/criteria.h"

namespace korvi::sql {
namespace {

using engine::FieldType;

constexpr QChar kQuote = QLatin1Char('"');
constexpr QChar kSlash = QLatin1Char('/');
constexpr QChar kColon = QLatin1Char(':');
constexpr QChar kSpace = QLatin1Char(' ');

// One token as the check sees it: its text as typed, upper-cased for comparisons, and its
// role.
struct Token {
  QString text;   // as typed (the marker's code letter is case-sensitive)
  QString upper;  // for keyword and value comparisons
  int kind = kValueToken;
  bool marker = false;  // begins with a double quote and "[", complete or not

  bool isParen() const { return upper == QLatin1String("(") || upper == QLatin1String(")"); }
  bool isOpen() const { return upper == QLatin1String("("); }
  bool isClose() const { return upper == QLatin1String(")"); }
  // A value for the neighbour rules: parentheses, plain values and markers.
  bool isValue() const { return kind != kKeywordToken; }
  bool isPlainValue() const { return isValue() && !isParen(); }
};

bool isDigits(QStringView s) {
  if (s.isEmpty()) return false;
  for (QChar c : s)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  return true;
}

bool isInteger(const QString& s) {
  bool ok = false;
  s.toLongLong(&ok);
  return ok;
}

bool isReal(const QString& s) {
  bool ok = false;
  const double v = QLocale::c().toDouble(s, &ok);
  return ok && std::isfinite(v);
}

// Only digits, "/", ":" and spaces may stand in a date or time value.
bool onlyDateTimeCharacters(QStringView s) {
  for (QChar c : s)
    if (!(c.isDigit() && c.unicode() < 0x80) && c != kSlash && c != kColon && c != kSpace) return false;
  return true;
}

// A time of two or three groups of one or two digits (hours, minutes, seconds).
bool parsesAsTime(QStringView s) {
  const QList<QStringView> parts = s.split(kColon);
  if (parts.size() < 2 || parts.size() > 3) return false;
  const int limits[] = {24, 60, 60};
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (parts[i].size() > 2 || !isDigits(parts[i])) return false;
    if (parts[i].toInt() >= limits[i]) return false;
  }
  return true;
}

// A date in the short date format, a date followed by a space and a time, or a time.
bool parsesAsDateTime(const QString& s) {
  const qsizetype space = s.indexOf(kSpace);
  if (space < 0) return parseShortDate(s).isValid() || parsesAsTime(s);
  return parseShortDate(s.left(space)).isValid() && parsesAsTime(QStringView(s).sliced(space + 1));
}

// Exactly `wanted` separators: fewer is incomplete, more invalid.
SyntaxState countRule(qsizetype count, qsizetype wanted) {
  if (count < wanted) return kSyntaxIncomplete;
  if (count > wanted) return kSyntaxInvalid;
  return kSyntaxValid;
}

// The today keyword, alone or followed by "+" or "-" and a number of days. Nothing may
// stand before it; a sign with nothing after it is incomplete.
SyntaxState checkToday(const QString& value, const QString& today) {
  if (!value.startsWith(today)) return kSyntaxInvalid;
  const QStringView rest = QStringView(value).sliced(today.size());
  if (rest.isEmpty()) return kSyntaxValid;
  if (rest.front() != QLatin1Char('+') && rest.front() != QLatin1Char('-')) return kSyntaxInvalid;
  if (rest.size() == 1) return kSyntaxIncomplete;
  // Digits only: a second sign would put "--" into the statement, which SQL reads as a
  // comment.
  return isDigits(rest.sliced(1)) ? kSyntaxValid : kSyntaxInvalid;
}

SyntaxState checkDateValue(const QString& value, const QString& today) {
  if (!today.isEmpty() && value.contains(today)) return checkToday(value, today);
  if (!onlyDateTimeCharacters(value) || value.contains(kSpace)) return kSyntaxInvalid;
  const SyntaxState slashes = countRule(value.count(kSlash), 2);
  if (slashes != kSyntaxValid) return slashes;
  return parseShortDate(value).isValid() ? kSyntaxValid : kSyntaxInvalid;
}

SyntaxState checkTimeValue(const QString& value) {
  if (!onlyDateTimeCharacters(value) || value.contains(kSpace)) return kSyntaxInvalid;
  const SyntaxState colons = countRule(value.count(kColon), 2);
  if (colons != kSyntaxValid) return colons;
  return parsesAsTime(value) ? kSyntaxValid : kSyntaxInvalid;
}

SyntaxState checkDateTimeValue(const QString& value, const QString& today) {
  if (!today.isEmpty() && value.contains(today)) return checkToday(value, today);
  if (value.size() >= 2 && value.startsWith(kQuote) && value.endsWith(kQuote)) {
    const QString inner = value.mid(1, value.size() - 2);
    if (!onlyDateTimeCharacters(inner) || inner.count(kSpace) > 1) return kSyntaxInvalid;
    SyntaxState separators = countRule(inner.count(kSlash), 2);
    // With a time part, the colons decide.
    if (inner.contains(kColon)) separators = countRule(inner.count(kColon), 2);
    if (separators != kSyntaxValid) return separators;
    return parsesAsDateTime(inner) ? kSyntaxValid : kSyntaxInvalid;
  }
  const SyntaxState asDate = checkDateValue(value, today);
  return asDate == kSyntaxValid ? asDate : checkTimeValue(value);
}

SyntaxState checkValue(const Token& token, FieldType type, TypeClass cls, const CriteriaKeywords& kw) {
  switch (cls) {
    case TypeClass::Integer:
      return isInteger(token.upper) ? kSyntaxValid : kSyntaxInvalid;
    case TypeClass::Real:
      return isReal(token.upper) ? kSyntaxValid : kSyntaxInvalid;
    case TypeClass::Boolean:
      return token.upper == kw.trueWord || token.upper == kw.falseWord ? kSyntaxValid : kSyntaxInvalid;
    case TypeClass::DateTime:
      if (type == FieldType::ftTime) return checkTimeValue(token.upper);
      if (type == FieldType::ftDateTime) return checkDateTimeValue(token.upper, kw.today);
      return checkDateValue(token.upper, kw.today);
    case TypeClass::Text:
    case TypeClass::None:
      break;
  }
  return kSyntaxValid;
}

bool codeSuitsClass(QChar code, TypeClass cls) {
  auto in = [code](const char* letters) { return QString::fromLatin1(letters).contains(code); };
  switch (cls) {
    case TypeClass::Boolean: return code == QLatin1Char('B');
    case TypeClass::Text: return code == QLatin1Char('S');
    case TypeClass::Real: return in("R1$");
    case TypeClass::DateTime: return in("DHT");
    case TypeClass::Integer: return in("ILW");
    case TypeClass::None: return true;
  }
  return false;
}

SyntaxState checkMarker(const Token& token, TypeClass cls) {
  const QString& m = token.text;
  if (m.size() < 6) return kSyntaxInvalid;
  const QChar code = m.at(2);
  if (!QStringLiteral("$1BDHILRSTW").contains(code) || m.at(3) != QLatin1Char('|')) return kSyntaxInvalid;
  if (!m.endsWith(QLatin1String("]\""))) return kSyntaxIncomplete;
  return codeSuitsClass(code, cls) ? kSyntaxValid : kSyntaxInvalid;
}

struct Roles {
  const CriteriaKeywords& kw;
  bool andOr(const Token& t) const { return t.upper == kw.andWord || t.upper == kw.orWord; }
  bool likeFamily(const Token& t) const {
    return t.upper == kw.startsWith || t.upper == kw.endsWith || t.upper == kw.contains;
  }
  bool sign(const Token& t) const { return t.kind == kKeywordToken && !andOr(t) && !likeFamily(t) && t.upper != kw.like; }
  // and, or, or an opening parenthesis: what may stand before a sign or "(".
  bool opener(const Token& t) const { return andOr(t) || t.isOpen(); }
};

// The rules between a token and the one before it.
SyntaxState checkNeighbours(const Token& prev, const Token& cur, const Roles& r) {
  const bool prevKeyword = prev.kind == kKeywordToken;
  if (cur.isValue() && !cur.marker && prev.isValue() && !cur.isClose() && !prev.isOpen()) return kSyntaxInvalid;
  if (r.andOr(cur) && prevKeyword) return kSyntaxInvalid;  // also and/or after and/or
  if (r.sign(cur) && !r.opener(prev)) return kSyntaxInvalid;
  if (cur.isClose() && prevKeyword) return kSyntaxInvalid;
  if (cur.isOpen() && !r.opener(prev)) return kSyntaxInvalid;
  if (r.likeFamily(cur) && r.likeFamily(prev)) return kSyntaxInvalid;
  if (r.likeFamily(cur) && prev.isPlainValue()) return kSyntaxInvalid;
  // A marker stands where a value would: not after another value, but inside parentheses.
  if (cur.marker && prev.isValue() && !prev.isOpen()) return kSyntaxInvalid;
  return kSyntaxValid;
}

}  // namespace

TypeClass typeClassOf(FieldType type) {
  switch (type) {
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftWord:
    case FieldType::ftAutoInc:
      return TypeClass::Integer;
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
      return TypeClass::Real;
    case FieldType::ftString:
    case FieldType::ftBytes:
    case FieldType::ftVarBytes:
    case FieldType::ftBlob:
    case FieldType::ftMemo:
    case FieldType::ftFmtMemo:
    case FieldType::ftGraphic:
      return TypeClass::Text;
    case FieldType::ftBoolean:
      return TypeClass::Boolean;
    case FieldType::ftDate:
    case FieldType::ftTime:
    case FieldType::ftDateTime:
      return TypeClass::DateTime;
    default:
      return TypeClass::None;
  }
}

SyntaxState CheckCriteriaSyntax(const QString& text, FieldType type, const CriteriaKeywords& keywords) {
  if (text.isEmpty()) return kSyntaxValid;
  if (text.count(kQuote) % 2 != 0 || text.count(QLatin1Char('(')) != text.count(QLatin1Char(')')))
    return kSyntaxIncomplete;

  const CriteriaTokens cut = Tokenize(text, keywords);
  QList<Token> tokens;
  tokens.reserve(cut.count());
  for (int i = 1; i <= cut.count(); ++i) {
    Token t;
    t.text = cut.at(i);
    t.upper = t.text.toUpper();
    t.kind = cut.kind(i);
    t.marker = t.text.startsWith(QLatin1String("\"["));
    tokens.append(t);
  }

  const TypeClass cls = typeClassOf(type);
  const Roles roles{keywords};
  const qsizetype n = tokens.size();
  for (qsizetype i = 0; i < n; ++i) {
    const Token& cur = tokens[i];
    SyntaxState state = kSyntaxValid;
    if (cur.marker) {
      state = checkMarker(cur, cls);
    } else if (cur.kind == kValueToken && !cur.isParen()) {
      state = checkValue(cur, type, cls, keywords);
    } else if (cur.kind == kKeywordToken) {
      if (roles.likeFamily(cur) && cls != TypeClass::Text && cls != TypeClass::None) state = kSyntaxInvalid;
      if (cur.upper == keywords.like && cls != TypeClass::Text) state = kSyntaxInvalid;
    }
    if (state == kSyntaxValid && i == 0 && roles.andOr(cur)) state = kSyntaxInvalid;
    if (state == kSyntaxValid && i == n - 1 && cur.kind == kKeywordToken) state = kSyntaxIncomplete;
    if (state == kSyntaxValid && i > 0) state = checkNeighbours(tokens[i - 1], cur, roles);
    if (state != kSyntaxValid) return state;
  }
  return kSyntaxValid;
}

QChar parameterTypeCode(FieldType type) {
  switch (type) {
    case FieldType::ftString:
    case FieldType::ftBytes:
    case FieldType::ftVarBytes:
    case FieldType::ftBlob:
    case FieldType::ftMemo:
    case FieldType::ftFmtMemo:
      return QLatin1Char('S');
    case FieldType::ftSmallint: return QLatin1Char('I');
    case FieldType::ftInteger:
    case FieldType::ftAutoInc:
      return QLatin1Char('L');
    case FieldType::ftWord: return QLatin1Char('W');
    case FieldType::ftBoolean: return QLatin1Char('B');
    case FieldType::ftFloat: return QLatin1Char('R');
    case FieldType::ftCurrency: return QLatin1Char('$');
    case FieldType::ftBCD: return QLatin1Char('1');
    case FieldType::ftDate: return QLatin1Char('D');
    case FieldType::ftTime: return QLatin1Char('T');
    case FieldType::ftDateTime: return QLatin1Char('H');
    default:
      return QChar();
  }
}

QString parameterMarker(QChar code, const QString& prompt) {
  return QStringLiteral("\"[") + code + QLatin1Char('|') + prompt + QStringLiteral("]\"");
}

}  // namespace korvi::sql
