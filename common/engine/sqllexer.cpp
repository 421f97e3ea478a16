#include "common/engine/sqllexer.h"

#include <cstring>

namespace korvi::engine {

bool SqlToken::isWord(const char* word) const {
  return kind == SqlTokenKind::Identifier && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool SqlToken::isSymbol(const char* sym) const {
  return kind == SqlTokenKind::Symbol && text == QLatin1String(sym);
}

QString sqlPosText(const SqlPos& pos) {
  return QStringLiteral("line %1, column %2").arg(pos.line).arg(pos.column);
}

namespace {

bool isIdentStart(QChar c) { return c.isLetter() || c == u'_'; }
bool isIdentChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#'; }
// Characters of an unquoted table name after ":ALIAS:".
bool isTableNameChar(QChar c) {
  return c.isLetterOrNumber() || c == u'_' || c == u'.' || c == u'$' || c == u'#' || c == u'~' ||
         c == u'-';
}

class Lexer {
 public:
  explicit Lexer(const QString& text) : s_(text) {}

  QList<SqlToken> run() {
    QList<SqlToken> out;
    for (;;) {
      skipSpace();
      SqlToken t;
      t.pos = here();
      if (i_ >= s_.size()) {
        t.kind = SqlTokenKind::End;
        out.append(t);
        return out;
      }
      const QChar c = s_[i_];
      if (c == u'"') {
        t.kind = SqlTokenKind::Quoted;
        t.text = quoted(t.pos);
      } else if (c == u':' && i_ + 1 < s_.size() && isIdentStart(s_[i_ + 1])) {
        t.kind = SqlTokenKind::AliasTable;
        t.text = aliasTable(t.pos);
      } else if (c.isDigit() || (c == u'.' && i_ + 1 < s_.size() && s_[i_ + 1].isDigit())) {
        t.kind = SqlTokenKind::Number;
        t.text = number(t.pos);
      } else if (isIdentStart(c)) {
        t.kind = SqlTokenKind::Identifier;
        const qsizetype start = i_;
        while (i_ < s_.size() && isIdentChar(s_[i_])) advance();
        t.text = s_.mid(start, i_ - start);
      } else {
        t.kind = SqlTokenKind::Symbol;
        t.text = symbol(t.pos);
      }
      out.append(t);
    }
  }

 private:
  SqlPos here() const { return SqlPos{line_, int(i_ - lineStart_) + 1, int(i_)}; }

  void advance() {
    if (s_[i_] == u'\n') {
      ++line_;
      lineStart_ = i_ + 1;
    }
    ++i_;
  }

  void skipSpace() {
    while (i_ < s_.size()) {
      const QChar c = s_[i_];
      if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v')
        advance();
      else
        break;
    }
  }

  [[noreturn]] void fail(const SqlPos& pos, const QString& what) const {
    throw EngineError(QStringLiteral("SQL syntax error at %1: %2").arg(sqlPosText(pos), what));
  }

  // "..." with "" standing for one quote inside. Line breaks inside are refused: the
  // generator never splits a quoted token, so one means a quote is missing.
  QString quoted(const SqlPos& start) {
    QString out;
    advance();  // opening quote
    for (;;) {
      if (i_ >= s_.size() || s_[i_] == u'\n' || s_[i_] == u'\r')
        fail(start, QStringLiteral("unterminated double-quoted text"));
      const QChar c = s_[i_];
      if (c == QChar(0)) fail(here(), QStringLiteral("NUL character in quoted text"));
      if (c == u'"') {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == u'"') {
          out += u'"';
          advance();
          advance();
          continue;
        }
        advance();
        return out;
      }
      out += c;
      advance();
    }
  }

  QString aliasTable(const SqlPos& start) {
    const qsizetype from = i_;
    advance();  // first colon
    while (i_ < s_.size() && isIdentChar(s_[i_])) advance();
    if (i_ >= s_.size() || s_[i_] != u':')
      fail(start, QStringLiteral("expected \":\" after the alias name of a table reference"));
    advance();
    const qsizetype nameStart = i_;
    while (i_ < s_.size() && isTableNameChar(s_[i_])) advance();
    if (i_ == nameStart) fail(here(), QStringLiteral("expected a table name after the alias"));
    return s_.mid(from, i_ - from);
  }

  QString number(const SqlPos& start) {
    const qsizetype from = i_;
    while (i_ < s_.size() && s_[i_].isDigit()) advance();
    if (i_ < s_.size() && s_[i_] == u'.') {
      advance();
      while (i_ < s_.size() && s_[i_].isDigit()) advance();
    }
    if (i_ < s_.size() && (s_[i_] == u'e' || s_[i_] == u'E')) {
      qsizetype j = i_ + 1;
      if (j < s_.size() && (s_[j] == u'+' || s_[j] == u'-')) ++j;
      if (j < s_.size() && s_[j].isDigit()) {
        while (i_ < j) advance();
        while (i_ < s_.size() && s_[i_].isDigit()) advance();
      }
    }
    if (i_ < s_.size() && isIdentChar(s_[i_]))
      fail(start, QStringLiteral("malformed number \"%1\"").arg(s_.mid(from, i_ - from + 1)));
    // Only ASCII digits make a number the emitter may copy.
    const QString text = s_.mid(from, i_ - from);
    for (QChar c : text)
      if (c.unicode() > 127) fail(start, QStringLiteral("malformed number \"%1\"").arg(text));
    return text;
  }

  QString symbol(const SqlPos& pos) {
    static const char* const two[] = {"<>", "<=", ">="};
    for (const char* t : two) {
      if (i_ + 1 < s_.size() && s_[i_] == QLatin1Char(t[0]) && s_[i_ + 1] == QLatin1Char(t[1])) {
        advance();
        advance();
        return QLatin1String(t);
      }
    }
    const QChar c = s_[i_];
    if (c.unicode() < 128 && c.unicode() != 0 && std::strchr(",.()*;+-=<>", char(c.unicode()))) {
      advance();
      return QString(c);
    }
    if (c == QChar(0)) fail(pos, QStringLiteral("unexpected NUL character"));
    fail(pos, QStringLiteral("unexpected character \"%1\"").arg(c));
  }

  const QString& s_;
  qsizetype i_ = 0;
  qsizetype lineStart_ = 0;
  int line_ = 1;
};

}  // namespace

QList<SqlToken> tokenizeSql(const QString& text) { return Lexer(text).run(); }

}  // namespace korvi::engine
