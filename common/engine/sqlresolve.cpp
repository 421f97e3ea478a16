#include "common/engine/sqlresolve.h"

#include <QRegularExpression>
#include <QSet>
#include <cmath>
#include <optional>

#include "common/engine/sqllexer.h"

namespace korvi::engine {

namespace {

// How values of a field type compare.
enum class TypeClass { Text, Numeric, Logical, Date, Time, DateTime, Other };

TypeClass classOf(FieldType t) {
  switch (t) {
    case FieldType::ftString:
    case FieldType::ftMemo:
    case FieldType::ftFmtMemo: return TypeClass::Text;
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftWord:
    case FieldType::ftAutoInc:
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD: return TypeClass::Numeric;
    case FieldType::ftBoolean: return TypeClass::Logical;
    case FieldType::ftDate: return TypeClass::Date;
    case FieldType::ftTime: return TypeClass::Time;
    case FieldType::ftDateTime: return TypeClass::DateTime;
    default: return TypeClass::Other;
  }
}

bool isIntegerKind(FieldType t) {
  return t == FieldType::ftSmallint || t == FieldType::ftInteger || t == FieldType::ftWord ||
         t == FieldType::ftAutoInc;
}

const char* className(TypeClass c) {
  switch (c) {
    case TypeClass::Text: return "text";
    case TypeClass::Numeric: return "numeric";
    case TypeClass::Logical: return "logical";
    case TypeClass::Date: return "date";
    case TypeClass::Time: return "time";
    case TypeClass::DateTime: return "date-time";
    case TypeClass::Other: break;
  }
  return "binary";
}

QString literalText(const SqlValue& v) {
  switch (v.kind) {
    case SqlValue::Kind::String: return QStringLiteral("\"%1\"").arg(v.text.left(80));
    case SqlValue::Kind::Number:
    case SqlValue::Kind::Logical: return v.text.left(80);
    case SqlValue::Kind::AddDays:
      return QStringLiteral("%1+(%2)").arg(v.base ? literalText(*v.base) : QString()).arg(v.days);
    case SqlValue::Kind::Field: break;
  }
  return v.field.name;
}

[[noreturn]] void fail(const SqlPos& pos, const QString& what, bool notSupported = false) {
  throw EngineError(QStringLiteral("SQL error at %1: %2").arg(sqlPosText(pos), what), notSupported);
}

// month/day/year with a four- or two-digit year (two digits: 19yy), or year-month-day.
std::optional<QDate> parseDate(const QString& s) {
  static const QRegularExpression mdy(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4}|\\d{2})$"));
  static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
  const QString t = s.trimmed();
  if (auto m = mdy.match(t); m.hasMatch()) {
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2) year += 1900;
    const QDate d(year, m.captured(1).toInt(), m.captured(2).toInt());
    if (d.isValid()) return d;
    return std::nullopt;
  }
  if (auto m = iso.match(t); m.hasMatch()) {
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (d.isValid()) return d;
  }
  return std::nullopt;
}

// HH:MM, HH:MM:SS or HH:MM:SS.zzz
std::optional<QTime> parseTime(const QString& s) {
  static const QRegularExpression re(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?$"));
  const auto m = re.match(s.trimmed());
  if (!m.hasMatch()) return std::nullopt;
  int ms = 0;
  if (m.capturedLength(4)) ms = m.captured(4).leftJustified(3, u'0').toInt();
  const QTime t(m.captured(1).toInt(), m.captured(2).toInt(), m.capturedLength(3) ? m.captured(3).toInt() : 0, ms);
  if (!t.isValid()) return std::nullopt;
  return t;
}

// A date, a date and a time separated by spaces, or a date alone (midnight).
std::optional<QDateTime> parseDateTime(const QString& s) {
  const QString t = s.trimmed();
  const qsizetype space = t.indexOf(u' ');
  if (space < 0) {
    if (auto d = parseDate(t)) return QDateTime(*d, QTime(0, 0));
    return std::nullopt;
  }
  auto d = parseDate(t.left(space));
  auto tm = parseTime(t.mid(space + 1));
  if (!d || !tm) return std::nullopt;
  return QDateTime(*d, *tm);
}

// A parameter marker the caller did not replace ("[S|Nom du client]") is no value to search
// for: comparing with it would quietly find nothing.
bool isParameterMarker(const QString& s) {
  return s.size() >= 4 && s.startsWith(u'[') && s.endsWith(u']') && s[2] == u'|';
}

class Resolver {
 public:
  Resolver(SqlSelect& sel, SqlTableResolver& res) : sel_(sel), res_(res) {}

  void run() {
    tables();
    for (SqlSelectItem& item : sel_.items) selectItem(item);
    if (sel_.where) condition(*sel_.where);
    for (SqlFieldRef& f : sel_.groupBy) field(f);
    const qsizetype outputs = sel_.selectAll ? totalFields() : qsizetype(sel_.items.size());
    for (SqlOrderItem& o : sel_.orderBy) {
      if (o.position > 0) {
        if (o.position > outputs)
          fail(o.pos, QStringLiteral("ORDER BY position %1 is beyond the %2 columns of the select list")
                          .arg(o.position).arg(outputs));
      } else {
        field(o.field);
      }
    }
  }

 private:
  qsizetype totalFields() const {
    qsizetype n = 0;
    for (const SqlTableRef& t : sel_.from) n += t.fields.size();
    return n;
  }

  void tables() {
    QSet<QString> aliases;
    for (SqlTableRef& t : sel_.from) {
      if (!t.alias.isEmpty()) {
        const QString key = t.alias.toUpper();
        if (aliases.contains(key)) fail(t.pos, QStringLiteral("the alias %1 is used for two tables").arg(t.alias));
        aliases.insert(key);
      }
      SqlResolvedTable r = res_.resolveTable(t);
      t.fields = r.fields;
      t.sqlName = r.sqlName;
      t.sqlSchema = r.sqlSchema;
    }
  }

  static int findField(const SqlTableRef& t, const QString& name, bool& ambiguous) {
    ambiguous = false;
    for (int i = 0; i < t.fields.size(); ++i)
      if (t.fields[i].name == name) return i;
    int found = -1;
    for (int i = 0; i < t.fields.size(); ++i) {
      if (t.fields[i].name.compare(name, Qt::CaseInsensitive) == 0) {
        if (found >= 0) ambiguous = true;
        found = i;
      }
    }
    return ambiguous ? -1 : found;
  }

  void field(SqlFieldRef& f) {
    bool ambiguous = false;
    if (!f.qualifier.isEmpty()) {
      int table = -1;
      for (int i = 0; i < int(sel_.from.size()); ++i)
        if (sel_.from[i].alias.compare(f.qualifier, Qt::CaseInsensitive) == 0) table = i;
      if (table < 0) fail(f.pos, QStringLiteral("unknown table alias %1").arg(f.qualifier));
      const int idx = findField(sel_.from[table], f.name, ambiguous);
      if (ambiguous)
        fail(f.pos, QStringLiteral("field name \"%1\" is ambiguous in table %2").arg(f.name, f.qualifier));
      if (idx < 0) fail(f.pos, QStringLiteral("unknown field \"%1\" in table %2").arg(f.name, f.qualifier));
      f.table = table;
      f.field = idx;
    } else {
      for (int i = 0; i < int(sel_.from.size()); ++i) {
        const int idx = findField(sel_.from[i], f.name, ambiguous);
        if (ambiguous || (idx >= 0 && f.table >= 0))
          fail(f.pos, QStringLiteral("field name \"%1\" is ambiguous").arg(f.name));
        if (idx >= 0) {
          f.table = i;
          f.field = idx;
        }
      }
      if (f.table < 0) fail(f.pos, QStringLiteral("unknown field \"%1\"").arg(f.name));
    }
    f.desc = sel_.from[f.table].fields[f.field];
  }

  void selectItem(SqlSelectItem& item) {
    if (item.star) return;
    field(item.field);
    const FieldDesc& d = item.field.desc;
    const TypeClass c = classOf(d.type);
    const auto refuse = [&](const char* agg, const char* needs) {
      fail(item.pos, QStringLiteral("%1 of field \"%2\" is not possible: %3 needs %4 field")
                         .arg(QLatin1String(agg), d.name, QLatin1String(agg), QLatin1String(needs)));
    };
    switch (item.aggregate) {
      case SqlAggregate::Sum:
        if (c != TypeClass::Numeric) refuse("SUM", "a numeric");
        break;
      case SqlAggregate::Avg:
        if (c != TypeClass::Numeric) refuse("AVG", "a numeric");
        break;
      case SqlAggregate::Min:
        if (c == TypeClass::Other) refuse("MIN", "a non-binary");
        break;
      case SqlAggregate::Max:
        if (c == TypeClass::Other) refuse("MAX", "a non-binary");
        break;
      case SqlAggregate::Count:
      case SqlAggregate::None: break;
    }
  }

  // Resolves the field of a Field operand or of a date shifted by days over a field; returns
  // it, or null for a literal.
  const FieldDesc* fieldSide(SqlValue& v) {
    if (v.kind == SqlValue::Kind::Field) {
      field(v.field);
      return &v.field.desc;
    }
    if (v.kind == SqlValue::Kind::AddDays && v.base && v.base->kind == SqlValue::Kind::AddDays) {
      // "x + (1) + (2)": fold the inner shift first.
      SqlValue& inner = *v.base;
      v.days += inner.days;
      v.base = std::move(inner.base);
      return fieldSide(v);
    }
    if (v.kind == SqlValue::Kind::AddDays && v.base && v.base->kind == SqlValue::Kind::Field) {
      field(v.base->field);
      const FieldDesc& d = v.base->field.desc;
      if (d.type != FieldType::ftDate && d.type != FieldType::ftDateTime)
        fail(v.pos, QStringLiteral("days can only be added to a date; field \"%1\" is %2")
                        .arg(d.name, QLatin1String(className(classOf(d.type)))));
      return &d;
    }
    return nullptr;
  }

  [[noreturn]] void mismatch(const SqlValue& lit, const FieldDesc& f) {
    fail(lit.pos, QStringLiteral("type mismatch: field \"%1\" (%2) cannot be compared with %3")
                      .arg(f.name, QLatin1String(className(classOf(f.type))), literalText(lit)));
  }

  void numberValue(SqlValue& lit) {
    const bool integral = !lit.text.contains(u'.') && !lit.text.contains(u'e') && !lit.text.contains(u'E');
    bool ok = false;
    if (integral) {
      const qint64 n = lit.text.toLongLong(&ok);
      if (ok) {
        lit.value = n;
        lit.valueType = FieldType::ftInteger;
        return;
      }
    }
    const double d = lit.text.toDouble(&ok);
    if (!ok || !std::isfinite(d)) fail(lit.pos, QStringLiteral("%1 is not a valid number").arg(lit.text.left(80)));
    lit.value = d;
    lit.valueType = FieldType::ftFloat;
  }

  // Gives a literal its value in the form of the field it is compared with.
  void typeLiteral(SqlValue& lit, const FieldDesc& f) {
    const TypeClass c = classOf(f.type);
    if (c == TypeClass::Other)
      fail(lit.pos, QStringLiteral("comparing field \"%1\" of this type is not supported").arg(f.name), true);
    if (lit.kind == SqlValue::Kind::String && isParameterMarker(lit.text))
      fail(lit.pos, QStringLiteral("parameter %1 has no value").arg(literalText(lit)));
    if (lit.kind == SqlValue::Kind::AddDays) {
      addDaysLiteral(lit, f);
      return;
    }
    switch (c) {
      case TypeClass::Text:
        if (lit.kind != SqlValue::Kind::String) mismatch(lit, f);
        lit.value = lit.text;
        lit.valueType = FieldType::ftString;
        return;
      case TypeClass::Numeric:
        if (lit.kind != SqlValue::Kind::Number) mismatch(lit, f);
        numberValue(lit);
        return;
      case TypeClass::Logical: {
        const QString w = lit.text.trimmed().toUpper();
        if ((lit.kind != SqlValue::Kind::Logical && lit.kind != SqlValue::Kind::String) ||
            (w != QLatin1String("TRUE") && w != QLatin1String("FALSE")))
          mismatch(lit, f);
        lit.value = w == QLatin1String("TRUE");
        lit.valueType = FieldType::ftBoolean;
        return;
      }
      case TypeClass::Date: {
        if (lit.kind != SqlValue::Kind::String) mismatch(lit, f);
        const auto d = parseDate(lit.text);
        if (!d)
          fail(lit.pos, QStringLiteral("%1 is not a valid date (month/day/year) for field \"%2\"")
                            .arg(literalText(lit), f.name));
        lit.value = *d;
        lit.valueType = FieldType::ftDate;
        return;
      }
      case TypeClass::Time: {
        if (lit.kind != SqlValue::Kind::String) mismatch(lit, f);
        const auto t = parseTime(lit.text);
        if (!t)
          fail(lit.pos, QStringLiteral("%1 is not a valid time (hours:minutes:seconds) for field \"%2\"")
                            .arg(literalText(lit), f.name));
        lit.value = *t;
        lit.valueType = FieldType::ftTime;
        return;
      }
      case TypeClass::DateTime: {
        if (lit.kind != SqlValue::Kind::String) mismatch(lit, f);
        const auto dt = parseDateTime(lit.text);
        if (!dt)
          fail(lit.pos, QStringLiteral("%1 is not a valid date and time (month/day/year hours:minutes:seconds) "
                                       "for field \"%2\"").arg(literalText(lit), f.name));
        lit.value = *dt;
        lit.valueType = FieldType::ftDateTime;
        return;
      }
      case TypeClass::Other: break;
    }
  }

  // A date literal shifted by days, folded into one literal.
  void addDaysLiteral(SqlValue& lit, const FieldDesc& f) {
    qint64 days = 0;
    SqlValue* base = &lit;
    while (base->kind == SqlValue::Kind::AddDays) {
      days += base->days;
      base = base->base.get();
    }
    if (f.type != FieldType::ftDate && f.type != FieldType::ftDateTime)
      fail(lit.pos, QStringLiteral("type mismatch: days can only be added to a date, but field \"%1\" is %2")
                        .arg(f.name, QLatin1String(className(classOf(f.type)))));
    if (base->kind != SqlValue::Kind::String) mismatch(*base, f);
    typeLiteral(*base, f);
    if (f.type == FieldType::ftDate) {
      const QDate d = base->value.toDate().addDays(days);
      if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        fail(lit.pos, QStringLiteral("%1 leaves the calendar").arg(literalText(lit)));
      lit.value = d;
    } else {
      const QDateTime dt = base->value.toDateTime().addDays(days);
      if (!dt.isValid() || dt.date().year() < 1 || dt.date().year() > 9999)
        fail(lit.pos, QStringLiteral("%1 leaves the calendar").arg(literalText(lit)));
      lit.value = dt;
    }
    lit.valueType = f.type;
  }

  // Two literals compared with one another (as in (1=1)).
  void typeLiteralPair(SqlValue& a, SqlValue& b) {
    const auto natural = [this](SqlValue& v) {
      switch (v.kind) {
        case SqlValue::Kind::String:
          v.value = v.text;
          v.valueType = FieldType::ftString;
          break;
        case SqlValue::Kind::Number: numberValue(v); break;
        case SqlValue::Kind::Logical:
          v.value = v.text == QLatin1String("TRUE");
          v.valueType = FieldType::ftBoolean;
          break;
        default: fail(v.pos, QStringLiteral("days can only be added to a date field or a date compared with one"));
      }
    };
    natural(a);
    natural(b);
    const bool numA = a.valueType == FieldType::ftInteger || a.valueType == FieldType::ftFloat;
    const bool numB = b.valueType == FieldType::ftInteger || b.valueType == FieldType::ftFloat;
    if (numA != numB || (!numA && a.valueType != b.valueType))
      fail(b.pos, QStringLiteral("type mismatch: %1 cannot be compared with %2").arg(literalText(a), literalText(b)));
  }

  void condition(SqlCondition& c) {
    switch (c.kind) {
      case SqlCondition::Kind::And:
      case SqlCondition::Kind::Or:
      case SqlCondition::Kind::Not:
        for (auto& child : c.children) condition(*child);
        return;
      case SqlCondition::Kind::IsNull: {
        if (!fieldSide(*c.lhs)) fail(c.lhs->pos, QStringLiteral("IS NULL needs a field"));
        return;
      }
      case SqlCondition::Kind::Compare:
      case SqlCondition::Kind::Like: break;
    }
    const FieldDesc* l = fieldSide(*c.lhs);
    const FieldDesc* r = fieldSide(*c.rhs);
    if (c.kind == SqlCondition::Kind::Like) {
      for (const auto& [f, v] : {std::pair{l, c.lhs.get()}, std::pair{r, c.rhs.get()}}) {
        if (f && (classOf(f->type) != TypeClass::Text || v->kind != SqlValue::Kind::Field))
          fail(v->pos, QStringLiteral("LIKE needs a text field; field \"%1\" is %2")
                           .arg(f->name, QLatin1String(className(classOf(f->type)))));
      }
    }
    if (l && r) {
      const TypeClass a = classOf(l->type), b = classOf(r->type);
      if (a == TypeClass::Other || b == TypeClass::Other)
        fail(c.pos, QStringLiteral("comparing field \"%1\" of this type is not supported")
                        .arg(a == TypeClass::Other ? l->name : r->name), true);
      if (a != b)
        fail(c.pos, QStringLiteral("type mismatch: field \"%1\" (%2) cannot be compared with field \"%3\" (%4)")
                        .arg(l->name, QLatin1String(className(a)), r->name, QLatin1String(className(b))));
    } else if (l) {
      typeLiteral(*c.rhs, *l);
    } else if (r) {
      typeLiteral(*c.lhs, *r);
    } else if (c.kind == SqlCondition::Kind::Like) {
      if (c.lhs->kind != SqlValue::Kind::String || c.rhs->kind != SqlValue::Kind::String)
        fail(c.pos, QStringLiteral("LIKE needs text on both sides"));
      typeLiteralPair(*c.lhs, *c.rhs);
    } else {
      typeLiteralPair(*c.lhs, *c.rhs);
    }
  }

  SqlSelect& sel_;
  SqlTableResolver& res_;
};

QString aggregateName(SqlAggregate a) {
  switch (a) {
    case SqlAggregate::Count: return QStringLiteral("COUNT");
    case SqlAggregate::Sum: return QStringLiteral("SUM");
    case SqlAggregate::Min: return QStringLiteral("MIN");
    case SqlAggregate::Max: return QStringLiteral("MAX");
    case SqlAggregate::Avg: return QStringLiteral("AVG");
    case SqlAggregate::None: break;
  }
  return QString();
}

}  // namespace

void resolveSqlSelect(SqlSelect& select, SqlTableResolver& resolver) { Resolver(select, resolver).run(); }

QList<SqlOutputColumn> sqlOutputColumns(const SqlSelect& select) {
  QList<SqlOutputColumn> out;
  if (select.selectAll) {
    for (int t = 0; t < int(select.from.size()); ++t) {
      for (const FieldDesc& f : select.from[t].fields)
        out.append(SqlOutputColumn{f.name, f.type, f.size, f.decimals, SqlAggregate::None, t, f.name});
    }
  } else {
    for (const SqlSelectItem& item : select.items) {
      SqlOutputColumn col;
      col.aggregate = item.aggregate;
      if (item.star) {
        col.name = QStringLiteral("COUNT");
        col.type = FieldType::ftInteger;
        out.append(col);
        continue;
      }
      const FieldDesc& d = item.field.desc;
      col.table = item.field.table;
      col.sourceField = d.name;
      col.name = item.aggregate == SqlAggregate::None ? d.name : aggregateName(item.aggregate) + QStringLiteral(" OF ") + d.name;
      col.type = d.type;
      col.size = d.size;
      col.decimals = d.decimals;
      switch (item.aggregate) {
        case SqlAggregate::Count:
          col.type = FieldType::ftInteger;
          col.size = col.decimals = 0;
          break;
        case SqlAggregate::Avg:
          col.type = FieldType::ftFloat;
          col.size = 0;
          break;
        case SqlAggregate::Sum:
          // A sum of integers can outgrow every integer field a result file can hold.
          if (isIntegerKind(d.type)) {
            col.type = FieldType::ftFloat;
            col.size = col.decimals = 0;
          }
          break;
        case SqlAggregate::Min:
        case SqlAggregate::Max:
        case SqlAggregate::None: break;
      }
      out.append(col);
    }
  }
  // Unique names (the backend compares them without regard to case): NOM, NOM_1, NOM_2, ...
  QSet<QString> taken;
  for (const SqlOutputColumn& c : out) taken.insert(c.name.toUpper());
  QSet<QString> used;
  for (SqlOutputColumn& c : out) {
    const QString key = c.name.toUpper();
    if (!used.contains(key)) {
      used.insert(key);
      continue;
    }
    for (int k = 1;; ++k) {
      const QString candidate = QStringLiteral("%1_%2").arg(c.name).arg(k);
      const QString ck = candidate.toUpper();
      if (!used.contains(ck) && !taken.contains(ck)) {
        c.name = candidate;
        used.insert(ck);
        break;
      }
    }
  }
  return out;
}

}  // namespace korvi::engine
