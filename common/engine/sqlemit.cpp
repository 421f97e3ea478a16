#include "common/engine/sqlemit.h"

#include <QLocale>

#include "common/engine/sqllexer.h"
#include "common/engine/sqlparser.h"

namespace korvi::engine {

namespace {

// No backend statement may carry a NUL: it would end the text early.
void refuseNul(const QString& s, const char* what) {
  if (s.contains(QChar(0)))
    throw EngineError(QStringLiteral("SQL error: NUL character in %1").arg(QLatin1String(what)));
}

QString isoDate(const QDate& d) {
  return QStringLiteral("%1-%2-%3")
      .arg(d.year(), 4, 10, QLatin1Char('0'))
      .arg(d.month(), 2, 10, QLatin1Char('0'))
      .arg(d.day(), 2, 10, QLatin1Char('0'));
}

// HH:MM:SS, with .zzz only when there are milliseconds (the cache's storage form).
QString isoTime(const QTime& t) {
  return t.msec() ? t.toString(QStringLiteral("HH:mm:ss.zzz")) : t.toString(QStringLiteral("HH:mm:ss"));
}

QString daysText(qint64 days) {
  return QStringLiteral("%1%2 days").arg(days < 0 ? QStringLiteral("-") : QStringLiteral("+")).arg(days < 0 ? -days : days);
}

class Emitter {
 public:
  Emitter(const SqlSelect& sel, const SqlDialect& d) : sel_(sel), d_(d) {
    // The aliases as written when every table has one; otherwise T1..Tn by position for all,
    // so that no written alias can collide with a generated one.
    bool all = true;
    for (const SqlTableRef& t : sel.from) all = all && !t.alias.isEmpty();
    for (int i = 0; i < int(sel.from.size()); ++i)
      aliases_.append(all ? sel.from[i].alias : QStringLiteral("T%1").arg(i + 1));
  }

  SqlCompiled run() {
    SqlCompiled out;
    out.columns = sqlOutputColumns(sel_);
    for (const SqlTableRef& t : sel_.from) out.tables.append(t);

    QString sql = QStringLiteral("SELECT ");
    if (sel_.distinct) sql += QStringLiteral("DISTINCT ");
    QStringList items;
    if (sel_.selectAll) {
      int k = 0;
      for (int t = 0; t < int(sel_.from.size()); ++t)
        for (const FieldDesc& f : sel_.from[t].fields)
          items.append(column(t, f.name) + QStringLiteral(" AS ") + d_.quoteIdentifier(out.columns[k++].name));
    } else {
      for (int i = 0; i < int(sel_.items.size()); ++i)
        items.append(selectItem(sel_.items[i]) + QStringLiteral(" AS ") + d_.quoteIdentifier(out.columns[i].name));
    }
    sql += items.join(QStringLiteral(", "));

    QStringList tables;
    for (int i = 0; i < int(sel_.from.size()); ++i)
      tables.append(d_.tableName(sel_.from[i]) + QStringLiteral(" AS ") + d_.quoteIdentifier(aliases_[i]));
    sql += QStringLiteral(" FROM ") + tables.join(QStringLiteral(", "));

    if (sel_.where) sql += QStringLiteral(" WHERE ") + condition(*sel_.where);

    if (!sel_.groupBy.empty()) {
      QStringList keys;
      for (const SqlFieldRef& f : sel_.groupBy) keys.append(field(f));
      sql += QStringLiteral(" GROUP BY ") + keys.join(QStringLiteral(", "));
    }

    // A statement of aggregates alone without GROUP BY yields one row: its ORDER BY (the
    // count statement keeps the one of the query) orders nothing, and some backends refuse
    // ungrouped sort keys there.
    bool onlyAggregates = !sel_.selectAll && !sel_.items.empty();
    for (const SqlSelectItem& it : sel_.items) onlyAggregates = onlyAggregates && it.aggregate != SqlAggregate::None;
    if (!sel_.orderBy.empty() && !(onlyAggregates && sel_.groupBy.empty())) {
      QStringList keys;
      for (const SqlOrderItem& o : sel_.orderBy) {
        QString k = o.position > 0 ? QString::number(o.position) : field(o.field);
        if (o.descending) k += QStringLiteral(" DESC");
        keys.append(k);
      }
      sql += QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));
    }
    out.sql = sql;
    return out;
  }

 private:
  QString column(int table, const QString& name) const {
    return d_.quoteIdentifier(aliases_[table]) + u'.' + d_.quoteIdentifier(name);
  }

  QString field(const SqlFieldRef& f) const {
    if (f.table < 0 || f.table >= int(sel_.from.size()))
      throw EngineError(QStringLiteral("SQL error at %1: field \"%2\" was not resolved").arg(sqlPosText(f.pos), f.name));
    return column(f.table, f.desc.name);
  }

  QString selectItem(const SqlSelectItem& it) const {
    if (it.star) return QStringLiteral("COUNT(*)");
    const QString f = field(it.field);
    switch (it.aggregate) {
      case SqlAggregate::None: return f;
      case SqlAggregate::Count: return QStringLiteral("COUNT(%1%2)").arg(it.distinctArg ? QStringLiteral("DISTINCT ") : QString(), f);
      case SqlAggregate::Sum: return QStringLiteral("SUM(%1%2)").arg(it.distinctArg ? QStringLiteral("DISTINCT ") : QString(), f);
      case SqlAggregate::Min: return QStringLiteral("MIN(%1)").arg(f);
      case SqlAggregate::Max: return QStringLiteral("MAX(%1)").arg(f);
      case SqlAggregate::Avg: return QStringLiteral("AVG(%1%2)").arg(it.distinctArg ? QStringLiteral("DISTINCT ") : QString(), f);
    }
    return f;
  }

  QString literal(const SqlValue& v) const {
    switch (v.valueType) {
      case FieldType::ftString: return d_.stringLiteral(v.value.toString());
      case FieldType::ftInteger: return QString::number(v.value.toLongLong());
      case FieldType::ftFloat:
        // The shortest text that reads back as the same double; C locale, digits only.
        return QString::number(v.value.toDouble(), 'g', QLocale::FloatingPointShortest);
      case FieldType::ftBoolean: return d_.booleanLiteral(v.value.toBool());
      case FieldType::ftDate: return d_.dateLiteral(v.value.toDate());
      case FieldType::ftTime: return d_.timeLiteral(v.value.toTime());
      case FieldType::ftDateTime: return d_.dateTimeLiteral(v.value.toDateTime());
      default: break;
    }
    throw EngineError(QStringLiteral("SQL error at %1: value was not resolved").arg(sqlPosText(v.pos)));
  }

  QString value(const SqlValue& v) const {
    if (v.kind == SqlValue::Kind::Field) return field(v.field);
    if (v.kind == SqlValue::Kind::AddDays && v.base && v.base->kind == SqlValue::Kind::Field)
      return d_.addDays(field(v.base->field), v.base->field.desc.type, v.days);
    return literal(v);
  }

  QString condition(const SqlCondition& c) const {
    switch (c.kind) {
      case SqlCondition::Kind::And:
      case SqlCondition::Kind::Or: {
        QStringList parts;
        for (const auto& child : c.children) parts.append(wrapped(*child));
        return parts.join(c.kind == SqlCondition::Kind::And ? QStringLiteral(" AND ") : QStringLiteral(" OR "));
      }
      case SqlCondition::Kind::Not: return QStringLiteral("NOT ") + wrapped(*c.children.front());
      case SqlCondition::Kind::Compare: return value(*c.lhs) + u' ' + c.op + u' ' + value(*c.rhs);
      case SqlCondition::Kind::Like: return d_.like(value(*c.lhs), value(*c.rhs), c.negated);
      case SqlCondition::Kind::IsNull:
        return value(*c.lhs) + (c.negated ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL"));
    }
    return QString();
  }

  QString wrapped(const SqlCondition& c) const { return u'(' + condition(c) + u')'; }

  const SqlSelect& sel_;
  const SqlDialect& d_;
  QStringList aliases_;
};

}  // namespace

QString SqlDialect::quoteIdentifier(const QString& name) const {
  refuseNul(name, "an identifier");
  QString s = name;
  s.replace(u'"', QStringLiteral("\"\""));
  return u'"' + s + u'"';
}

QString SqlDialect::tableName(const SqlTableRef& table) const { return quoteIdentifier(table.sqlName); }

QString SqliteDialect::stringLiteral(const QString& text) const {
  refuseNul(text, "a text value");
  QString s = text;
  s.replace(u'\'', QStringLiteral("''"));
  return u'\'' + s + u'\'';
}
QString SqliteDialect::dateLiteral(const QDate& date) const { return u'\'' + isoDate(date) + u'\''; }
QString SqliteDialect::timeLiteral(const QTime& time) const { return u'\'' + isoTime(time) + u'\''; }
QString SqliteDialect::dateTimeLiteral(const QDateTime& dt) const {
  return u'\'' + isoDate(dt.date()) + u' ' + isoTime(dt.time()) + u'\'';
}
QString SqliteDialect::booleanLiteral(bool value) const { return value ? QStringLiteral("1") : QStringLiteral("0"); }
QString SqliteDialect::like(const QString& lhs, const QString& pattern, bool negated) const {
  // Case-sensitive through the connection's case_sensitive_like pragma.
  return lhs + (negated ? QStringLiteral(" NOT LIKE ") : QStringLiteral(" LIKE ")) + pattern;
}
QString SqliteDialect::addDays(const QString& expr, FieldType type, qint64 days) const {
  const QString fn = type == FieldType::ftDateTime ? QStringLiteral("datetime") : QStringLiteral("date");
  return QStringLiteral("%1(%2, '%3')").arg(fn, expr, daysText(days));
}

QString PostgresDialect::tableName(const SqlTableRef& table) const {
  if (table.sqlSchema.isEmpty()) return quoteIdentifier(table.sqlName);
  return quoteIdentifier(table.sqlSchema) + u'.' + quoteIdentifier(table.sqlName);
}
QString PostgresDialect::stringLiteral(const QString& text) const {
  // An escape string reads the same whatever standard_conforming_strings says.
  refuseNul(text, "a text value");
  QString s = text;
  s.replace(u'\\', QStringLiteral("\\\\"));
  s.replace(u'\'', QStringLiteral("''"));
  return QStringLiteral("E'") + s + u'\'';
}
QString PostgresDialect::dateLiteral(const QDate& date) const { return QStringLiteral("DATE '%1'").arg(isoDate(date)); }
QString PostgresDialect::timeLiteral(const QTime& time) const { return QStringLiteral("TIME '%1'").arg(isoTime(time)); }
QString PostgresDialect::dateTimeLiteral(const QDateTime& dt) const {
  return QStringLiteral("TIMESTAMP '%1 %2'").arg(isoDate(dt.date()), isoTime(dt.time()));
}
QString PostgresDialect::booleanLiteral(bool value) const { return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }
QString PostgresDialect::like(const QString& lhs, const QString& pattern, bool negated) const {
  // LIKE is case-sensitive here; an empty ESCAPE keeps the backslash an ordinary character,
  // as it is in the local dialect.
  return lhs + (negated ? QStringLiteral(" NOT LIKE ") : QStringLiteral(" LIKE ")) + pattern + QStringLiteral(" ESCAPE ''");
}
QString PostgresDialect::addDays(const QString& expr, FieldType type, qint64 days) const {
  if (type == FieldType::ftDateTime) return QStringLiteral("(%1 + INTERVAL '%2')").arg(expr, daysText(days));
  return QStringLiteral("(%1 + (%2))").arg(expr).arg(days);
}

SqlCompiled emitSqlSelect(const SqlSelect& select, const SqlDialect& dialect) { return Emitter(select, dialect).run(); }

SqlCompiled compileSqlSelect(const QString& text, SqlTableResolver& resolver, const SqlDialect& dialect) {
  auto sel = parseSqlSelect(text);
  resolveSqlSelect(*sel, resolver);
  return emitSqlSelect(*sel, dialect);
}

}  // namespace korvi::engine
