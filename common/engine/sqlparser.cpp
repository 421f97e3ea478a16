#include "common/engine/sqlparser.h"

#include "common/engine/sqllexer.h"

namespace korvi::engine {

namespace {

// Words that never name a field or an alias when written bare.
const char* const kReserved[] = {"SELECT", "DISTINCT", "FROM",  "WHERE", "GROUP", "BY",    "ORDER",
                                 "ASC",    "DESC",     "AND",   "OR",    "NOT",   "LIKE",  "IS",
                                 "NULL",   "TRUE",     "FALSE", "AS",    "COUNT", "SUM",   "MIN",
                                 "MAX",    "AVG",      "HAVING", "UNION", "JOIN", "ON",    "INTO",
                                 "LIMIT",  "OFFSET",   "EXCEPT", "INTERSECT", "ESCAPE"};

// Deeper nesting than this is no generated statement; refusing it keeps the recursion bounded.
constexpr int kMaxDepth = 200;

bool isReserved(const SqlToken& t) {
  if (t.kind != SqlTokenKind::Identifier) return false;
  for (const char* w : kReserved)
    if (t.isWord(w)) return true;
  return false;
}

QString describe(const SqlToken& t) {
  switch (t.kind) {
    case SqlTokenKind::End: return QStringLiteral("the end of the statement");
    case SqlTokenKind::Quoted: return QStringLiteral("\"%1\"").arg(t.text.left(60));
    default: return QStringLiteral("\"%1\"").arg(t.text.left(60));
  }
}

class Parser {
 public:
  explicit Parser(const QString& text) : toks_(tokenizeSql(text)) {}

  std::unique_ptr<SqlSelect> run() {
    const SqlToken& first = peek();
    if (first.kind == SqlTokenKind::End)
      throw EngineError(QStringLiteral("SQL error: the statement is empty"));
    if (!first.isWord("SELECT"))
      throw EngineError(QStringLiteral("SQL error at %1: only a SELECT statement is accepted, found %2")
                            .arg(sqlPosText(first.pos), describe(first)));
    next();
    auto sel = std::make_unique<SqlSelect>();
    if (peek().isWord("DISTINCT")) {
      next();
      sel->distinct = true;
    }
    selectList(*sel);
    expectWord("FROM");
    fromList(*sel);
    if (peek().isWord("WHERE")) {
      next();
      sel->where = condition();
    }
    if (peek().isWord("GROUP")) {
      next();
      expectWord("BY");
      do sel->groupBy.push_back(fieldRef("a field"));
      while (acceptSymbol(","));
    }
    if (peek().isWord("ORDER")) {
      next();
      expectWord("BY");
      do sel->orderBy.push_back(orderItem());
      while (acceptSymbol(","));
    }
    if (peek().isSymbol(";")) {
      next();
      if (peek().kind != SqlTokenKind::End)
        throw EngineError(QStringLiteral("SQL error at %1: only one statement is accepted, found %2 after \";\"")
                              .arg(sqlPosText(peek().pos), describe(peek())));
    }
    if (peek().kind != SqlTokenKind::End) fail("the end of the statement");
    return sel;
  }

 private:
  const SqlToken& peek(int ahead = 0) const {
    const qsizetype i = std::min<qsizetype>(pos_ + ahead, toks_.size() - 1);
    return toks_[i];
  }
  const SqlToken& next() {
    const SqlToken& t = toks_[pos_];
    if (pos_ + 1 < toks_.size()) ++pos_;
    return t;
  }

  [[noreturn]] void fail(const char* expected) const {
    const SqlToken& t = peek();
    throw EngineError(QStringLiteral("SQL syntax error at %1: expected %2, found %3")
                          .arg(sqlPosText(t.pos), QLatin1String(expected), describe(t)));
  }

  void expectWord(const char* w) {
    if (!peek().isWord(w)) fail(w);
    next();
  }
  void expectSymbol(const char* s) {
    if (!peek().isSymbol(s)) {
      const QString quoted = QStringLiteral("\"%1\"").arg(QLatin1String(s));
      const QByteArray what = quoted.toLatin1();
      fail(what.constData());
    }
    next();
  }
  bool acceptSymbol(const char* s) {
    if (!peek().isSymbol(s)) return false;
    next();
    return true;
  }

  void enter(const SqlPos& pos) {
    if (++depth_ > kMaxDepth)
      throw EngineError(QStringLiteral("SQL error at %1: the condition is nested too deeply").arg(sqlPosText(pos)));
  }

  static SqlAggregate aggregateOf(const SqlToken& t) {
    if (t.kind != SqlTokenKind::Identifier) return SqlAggregate::None;
    if (t.isWord("COUNT")) return SqlAggregate::Count;
    if (t.isWord("SUM")) return SqlAggregate::Sum;
    if (t.isWord("MIN")) return SqlAggregate::Min;
    if (t.isWord("MAX")) return SqlAggregate::Max;
    if (t.isWord("AVG")) return SqlAggregate::Avg;
    return SqlAggregate::None;
  }

  void selectList(SqlSelect& sel) {
    if (peek().isSymbol("*")) {
      next();
      sel.selectAll = true;
      return;
    }
    do sel.items.push_back(selectItem());
    while (acceptSymbol(","));
  }

  SqlSelectItem selectItem() {
    SqlSelectItem item;
    item.pos = peek().pos;
    const SqlAggregate agg = aggregateOf(peek());
    if (agg != SqlAggregate::None && peek(1).isSymbol("(")) {
      next();
      next();
      item.aggregate = agg;
      if (agg == SqlAggregate::Count && peek().isSymbol("*")) {
        next();
        item.star = true;
      } else {
        if (peek().isWord("DISTINCT")) {
          next();
          item.distinctArg = true;
        }
        item.field = fieldRef("a field");
      }
      expectSymbol(")");
      return item;
    }
    item.field = fieldRef("a field or an aggregate");
    return item;
  }

  // alias."FIELD", alias.FIELD, "alias"."FIELD" or a bare FIELD.
  SqlFieldRef fieldRef(const char* expected) {
    SqlFieldRef f;
    f.pos = peek().pos;
    const SqlToken& t = peek();
    const bool qualifier = (t.kind == SqlTokenKind::Identifier && !isReserved(t)) || t.kind == SqlTokenKind::Quoted;
    if (qualifier && peek(1).isSymbol(".")) {
      f.qualifier = next().text;
      next();
      const SqlToken& n = peek();
      if (n.kind != SqlTokenKind::Quoted && n.kind != SqlTokenKind::Identifier) fail("a field name");
      if (n.text.isEmpty()) fail("a field name");
      f.name = next().text;
      return f;
    }
    if (t.kind == SqlTokenKind::Identifier && !isReserved(t)) {
      f.name = next().text;
      return f;
    }
    fail(expected);
  }

  void fromList(SqlSelect& sel) {
    do {
      SqlTableRef ref;
      const SqlToken& t = peek();
      ref.pos = t.pos;
      if (t.kind == SqlTokenKind::Quoted || t.kind == SqlTokenKind::AliasTable) {
        ref.text = t.text;
        if (ref.text.trimmed().isEmpty()) fail("a table path or :ALIAS:table");
        // ":ALIAS:table" (quoted or not); anything else is a file path.
        if (ref.text.startsWith(u':')) {
          const qsizetype second = ref.text.indexOf(u':', 1);
          if (second <= 1 || second == ref.text.size() - 1)
            throw EngineError(QStringLiteral("SQL syntax error at %1: malformed table reference \"%2\", expected :ALIAS:table")
                                  .arg(sqlPosText(t.pos), ref.text));
          ref.databaseAlias = ref.text.mid(1, second - 1);
          ref.tableName = ref.text.mid(second + 1);
        } else {
          ref.tableName = ref.text;
        }
        next();
      } else {
        fail("a table path in double quotes or :ALIAS:table");
      }
      if (peek().isWord("AS")) {
        next();
        if (peek().kind != SqlTokenKind::Identifier || isReserved(peek())) fail("an alias");
      }
      if (peek().kind == SqlTokenKind::Identifier && !isReserved(peek())) ref.alias = next().text;
      sel.from.push_back(std::move(ref));
    } while (acceptSymbol(","));
  }

  SqlOrderItem orderItem() {
    SqlOrderItem o;
    o.pos = peek().pos;
    if (peek().kind == SqlTokenKind::Number) {
      bool ok = false;
      const int n = peek().text.toInt(&ok);
      if (!ok || n < 1) fail("a field or a column position");
      o.position = n;
      next();
    } else {
      o.field = fieldRef("a field or a column position");
    }
    if (peek().isWord("DESC")) {
      next();
      o.descending = true;
    } else if (peek().isWord("ASC")) {
      next();
    }
    return o;
  }

  std::unique_ptr<SqlCondition> condition() {
    enter(peek().pos);
    auto left = andCondition();
    if (peek().isWord("OR")) {
      auto node = std::make_unique<SqlCondition>();
      node->kind = SqlCondition::Kind::Or;
      node->pos = left->pos;
      node->children.push_back(std::move(left));
      while (peek().isWord("OR")) {
        next();
        node->children.push_back(andCondition());
      }
      left = std::move(node);
    }
    --depth_;
    return left;
  }

  std::unique_ptr<SqlCondition> andCondition() {
    auto left = notCondition();
    if (peek().isWord("AND")) {
      auto node = std::make_unique<SqlCondition>();
      node->kind = SqlCondition::Kind::And;
      node->pos = left->pos;
      node->children.push_back(std::move(left));
      while (peek().isWord("AND")) {
        next();
        node->children.push_back(notCondition());
      }
      left = std::move(node);
    }
    return left;
  }

  std::unique_ptr<SqlCondition> notCondition() {
    if (peek().isWord("NOT")) {
      enter(peek().pos);
      auto node = std::make_unique<SqlCondition>();
      node->kind = SqlCondition::Kind::Not;
      node->pos = next().pos;
      node->children.push_back(notCondition());
      --depth_;
      return node;
    }
    if (peek().isSymbol("(")) {
      next();
      auto inner = condition();
      expectSymbol(")");
      return inner;
    }
    return predicate();
  }

  std::unique_ptr<SqlCondition> predicate() {
    auto node = std::make_unique<SqlCondition>();
    node->pos = peek().pos;
    node->lhs = operand();
    const SqlToken& t = peek();
    static const char* const ops[] = {"=", "<>", "<", ">", "<=", ">="};
    for (const char* op : ops) {
      if (t.isSymbol(op)) {
        next();
        node->kind = SqlCondition::Kind::Compare;
        node->op = QLatin1String(op);
        node->rhs = operand();
        return node;
      }
    }
    if (t.isWord("NOT") && peek(1).isWord("LIKE")) {
      next();
      node->negated = true;
    }
    if (peek().isWord("LIKE")) {
      next();
      node->kind = SqlCondition::Kind::Like;
      node->rhs = operand();
      return node;
    }
    if (node->negated) fail("LIKE");
    if (t.isWord("IS")) {
      next();
      if (peek().isWord("NOT")) {
        next();
        node->negated = true;
      }
      expectWord("NULL");
      node->kind = SqlCondition::Kind::IsNull;
      return node;
    }
    fail("a comparison sign, LIKE or IS");
  }

  // A value, possibly followed by + (n) / - n days.
  std::unique_ptr<SqlValue> operand() {
    auto v = primary();
    while (peek().isSymbol("+") || peek().isSymbol("-")) {
      const SqlToken& signTok = next();
      const bool minus = signTok.text == u'-';
      qint64 n = 0;
      if (acceptSymbol("(")) {
        n = signedInteger();
        expectSymbol(")");
      } else {
        n = signedInteger();
      }
      if (minus) n = -n;
      auto add = std::make_unique<SqlValue>();
      add->kind = SqlValue::Kind::AddDays;
      add->pos = signTok.pos;
      add->days = n;
      add->base = std::move(v);
      v = std::move(add);
    }
    return v;
  }

  qint64 signedInteger() {
    bool neg = false;
    if (peek().isSymbol("+") || peek().isSymbol("-")) neg = next().text == u'-';
    if (peek().kind != SqlTokenKind::Number) fail("a whole number of days");
    bool ok = false;
    const qint64 n = peek().text.toLongLong(&ok);
    // More than a few million days leaves every calendar.
    if (!ok || n > 10000000)
      throw EngineError(QStringLiteral("SQL error at %1: \"%2\" is not a valid number of days")
                            .arg(sqlPosText(peek().pos), peek().text.left(60)));
    next();
    return neg ? -n : n;
  }

  std::unique_ptr<SqlValue> primary() {
    auto v = std::make_unique<SqlValue>();
    const SqlToken& t = peek();
    v->pos = t.pos;
    if (t.kind == SqlTokenKind::Quoted && !peek(1).isSymbol(".")) {
      v->kind = SqlValue::Kind::String;
      v->text = next().text;
      return v;
    }
    if (t.isWord("TRUE") || t.isWord("FALSE")) {
      v->kind = SqlValue::Kind::Logical;
      v->text = next().text.toUpper();
      return v;
    }
    if (t.kind == SqlTokenKind::Number || ((t.isSymbol("-") || t.isSymbol("+")) && peek(1).kind == SqlTokenKind::Number)) {
      QString text;
      if (t.kind == SqlTokenKind::Symbol) text = next().text == u'-' ? QStringLiteral("-") : QString();
      text += next().text;
      v->kind = SqlValue::Kind::Number;
      v->text = text;
      return v;
    }
    v->kind = SqlValue::Kind::Field;
    v->field = fieldRef("a field or a value");
    return v;
  }

  QList<SqlToken> toks_;
  qsizetype pos_ = 0;
  int depth_ = 0;
};

}  // namespace

std::unique_ptr<SqlSelect> parseSqlSelect(const QString& text) { return Parser(text).run(); }

}  // namespace korvi::engine
