#include "common/engine/pgconnection.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>

#include <exception>
#include <vector>

#ifdef KORVI_HAVE_LIBPQ
#include <libpq-fe.h>
#endif

namespace korvi::engine {

FieldType PgConnection::typeOf(const QString& dataType, bool autoIncrement) {
  const QString t = dataType.trimmed().toLower();
  if (t == QLatin1String("smallint")) return autoIncrement ? FieldType::ftAutoInc : FieldType::ftSmallint;
  if (t == QLatin1String("integer") || t == QLatin1String("bigint"))
    return autoIncrement ? FieldType::ftAutoInc : FieldType::ftInteger;
  if (t == QLatin1String("boolean")) return FieldType::ftBoolean;
  if (t == QLatin1String("real") || t == QLatin1String("double precision")) return FieldType::ftFloat;
  if (t == QLatin1String("numeric")) return FieldType::ftBCD;
  if (t == QLatin1String("money")) return FieldType::ftCurrency;
  if (t == QLatin1String("date")) return FieldType::ftDate;
  if (t.startsWith(QLatin1String("time without")) || t == QLatin1String("time")) return FieldType::ftTime;
  if (t.startsWith(QLatin1String("timestamp"))) return FieldType::ftDateTime;
  if (t == QLatin1String("bytea")) return FieldType::ftBlob;
  if (t == QLatin1String("text")) return FieldType::ftMemo;
  return FieldType::ftString;
}

QVariant PgConnection::fromText(const QByteArray& raw, FieldType type) {
  // Binary values come as bytea text in hexadecimal ("\x0102...").
  if (isBinaryType(type)) return raw.startsWith("\\x") ? QByteArray::fromHex(raw.mid(2)) : raw;
  const QString s = QString::fromUtf8(raw);
  switch (type) {
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftWord:
    case FieldType::ftAutoInc: {
      bool ok = false;
      const qint64 v = s.toLongLong(&ok);
      if (ok) return v;
      const double d = s.toDouble(&ok);  // AVG over integers
      return ok ? QVariant(d) : QVariant(s);
    }
    case FieldType::ftFloat:
    case FieldType::ftBCD:
    case FieldType::ftCurrency: {
      QString n = s;
      if (type == FieldType::ftCurrency) n.remove(QRegularExpression(QStringLiteral("[^0-9.\\-]")));
      bool ok = false;
      const double d = n.toDouble(&ok);
      return ok ? QVariant(d) : QVariant(s);
    }
    case FieldType::ftBoolean:
      return s == QLatin1String("t") || s == QLatin1String("true");
    case FieldType::ftDate: {
      const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
      return d.isValid() ? QVariant(d) : QVariant(s);
    }
    case FieldType::ftTime: {
      QTime t = QTime::fromString(s.left(12), QStringLiteral("HH:mm:ss.zzz"));
      if (!t.isValid()) t = QTime::fromString(s.left(8), QStringLiteral("HH:mm:ss"));
      return t.isValid() ? QVariant(t) : QVariant(s);
    }
    case FieldType::ftDateTime: {
      const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
      QTime t = QTime::fromString(s.mid(11, 12), QStringLiteral("HH:mm:ss.zzz"));
      if (!t.isValid()) t = QTime::fromString(s.mid(11, 8), QStringLiteral("HH:mm:ss"));
      return d.isValid() && t.isValid() ? QVariant(QDateTime(d, t)) : QVariant(s);
    }
    default:
      return s;
  }
}

#ifdef KORVI_HAVE_LIBPQ

struct PgConnection::Impl {
  PGconn* conn = nullptr;
  ~Impl() { PQfinish(conn); }
  QString error() const { return QString::fromUtf8(PQerrorMessage(conn)).trimmed(); }
  // A connection the server dropped (restart, idle timeout) is made again once.
  void ensureConnected(const QString& alias) {
    if (PQstatus(conn) == CONNECTION_OK) return;
    PQreset(conn);
    if (PQstatus(conn) != CONNECTION_OK)
      throw EngineError(QStringLiteral("Connection to %1 lost: %2").arg(alias, error()));
  }
  // Runs a read-only catalogue query; when the connection turns out to be dropped, it is
  // made again and the query run once more.
  PGresult* read(const QString& alias, const std::function<PGresult*()>& run) {
    ensureConnected(alias);
    PGresult* r = run();
    if (PQresultStatus(r) != PGRES_TUPLES_OK && PQstatus(conn) != CONNECTION_OK) {
      PQclear(r);
      ensureConnected(alias);
      r = run();
    }
    return r;
  }
};

namespace {

struct ResultGuard {
  PGresult* r;
  ~ResultGuard() { PQclear(r); }
};

}  // namespace

std::shared_ptr<PgConnection> PgConnection::connect(const Alias& alias, const Login& login) {
  QString user = alias.user;
  QString password;
  bool asked = false;
  for (int attempt = 0; attempt < 4; ++attempt) {
    QList<QByteArray> keys, values;
    auto add = [&](const char* k, const QString& v) {
      if (v.isEmpty()) return;
      keys << QByteArray(k);
      values << v.toUtf8();
    };
    add("host", alias.host);
    add("port", alias.port > 0 ? QString::number(alias.port) : QString());
    add("dbname", alias.database);
    add("user", user);
    add("password", password);
    add("client_encoding", QStringLiteral("UTF8"));
    add("options", QStringLiteral("-c DateStyle=ISO -c bytea_output=hex -c IntervalStyle=postgres"));
    add("connect_timeout", QStringLiteral("15"));
    std::vector<const char*> k, v;
    for (qsizetype i = 0; i < keys.size(); ++i) {
      k.push_back(keys[i].constData());
      v.push_back(values[i].constData());
    }
    k.push_back(nullptr);
    v.push_back(nullptr);
    auto impl = std::make_unique<Impl>();
    impl->conn = PQconnectdbParams(k.data(), v.data(), 0);
    if (impl->conn && PQstatus(impl->conn) == CONNECTION_OK) {
      std::shared_ptr<PgConnection> c(new PgConnection);
      c->d_ = std::move(impl);
      c->alias_ = alias.name;
      return c;
    }
    const bool needsPassword = impl->conn && PQconnectionNeedsPassword(impl->conn);
    const QString error = impl->conn ? impl->error() : QStringLiteral("out of memory");
    if (!needsPassword || !login)
      throw EngineError(QStringLiteral("Cannot connect to %1: %2").arg(alias.name, error));
    if (asked && attempt >= 3) throw EngineError(QStringLiteral("Cannot connect to %1: %2").arg(alias.name, error));
    if (!login(alias.name, user, password)) throw EngineError(QStringLiteral("Connection to %1 cancelled").arg(alias.name));
    asked = true;
  }
  throw EngineError(QStringLiteral("Cannot connect to %1").arg(alias.name));
}

PgConnection::~PgConnection() = default;

QStringList PgConnection::listTables() {
  PGconn* conn = d_->conn;
  ResultGuard g{d_->read(alias_, [conn] {
    return PQexec(conn,
        "SELECT table_schema, table_name FROM information_schema.tables"
        " WHERE table_schema NOT IN ('pg_catalog', 'information_schema') AND table_schema NOT LIKE 'pg\\_%'"
        " AND table_type IN ('BASE TABLE', 'VIEW') ORDER BY table_schema <> 'public', table_schema, table_name");
  })};
  if (PQresultStatus(g.r) != PGRES_TUPLES_OK)
    throw EngineError(QStringLiteral("%1: cannot list the tables: %2").arg(alias_, d_->error()));
  QStringList out;
  for (int i = 0; i < PQntuples(g.r); ++i) {
    const QString schema = QString::fromUtf8(PQgetvalue(g.r, i, 0));
    const QString name = QString::fromUtf8(PQgetvalue(g.r, i, 1));
    out << (schema == QLatin1String("public") ? name : schema + QLatin1Char('.') + name);
  }
  return out;
}

QList<FieldDesc> PgConnection::describeTable(const QString& table, QString& schema, QString& name) {
  QString t = table.trimmed();
  const qsizetype dot = t.indexOf(QLatin1Char('.'));
  schema = dot > 0 ? t.left(dot) : QStringLiteral("public");
  name = dot > 0 ? t.mid(dot + 1) : t;
  const QByteArray s = schema.toUtf8(), n = name.toUtf8();
  const char* params[2] = {s.constData(), n.constData()};
  // Exact names first, then without regard to case (as table names are written in models).
  PGconn* conn = d_->conn;
  ResultGuard g{d_->read(alias_, [conn, &params] {
    return PQexecParams(conn,
        "SELECT table_schema, table_name, column_name, data_type, coalesce(character_maximum_length, 0),"
        " coalesce(numeric_precision, 0), coalesce(numeric_scale, 0), coalesce(column_default, '') LIKE 'nextval(%'"
        " FROM information_schema.columns WHERE table_schema = $1 AND (table_name = $2 OR lower(table_name) = lower($2))"
        " ORDER BY table_name = $2 DESC, table_name, ordinal_position",
        2, nullptr, params, nullptr, nullptr, 0);
  })};
  if (PQresultStatus(g.r) != PGRES_TUPLES_OK)
    throw EngineError(QStringLiteral("%1: cannot describe table %2: %3").arg(alias_, table, d_->error()));
  QList<FieldDesc> fields;
  QString matched;
  for (int i = 0; i < PQntuples(g.r); ++i) {
    const QString tn = QString::fromUtf8(PQgetvalue(g.r, i, 1));
    if (matched.isEmpty()) matched = tn;
    if (tn != matched) break;
    FieldDesc f;
    f.name = QString::fromUtf8(PQgetvalue(g.r, i, 2));
    f.type = typeOf(QString::fromUtf8(PQgetvalue(g.r, i, 3)), PQgetvalue(g.r, i, 7)[0] == 't');
    if (f.type == FieldType::ftString) f.size = QByteArray(PQgetvalue(g.r, i, 4)).toInt();
    if (f.type == FieldType::ftBCD) {
      f.size = QByteArray(PQgetvalue(g.r, i, 5)).toInt();
      f.decimals = QByteArray(PQgetvalue(g.r, i, 6)).toInt();
    }
    fields << f;
  }
  if (fields.isEmpty()) throw EngineError(QStringLiteral("%1: table %2 does not exist").arg(alias_, table));
  name = matched;
  return fields;
}

void PgConnection::query(const QString& sql, const QList<FieldType>& types, const std::function<void(Row&)>& sink) {
  d_->ensureConnected(alias_);
  if (!PQsendQuery(d_->conn, sql.toUtf8().constData()))
    throw EngineError(QStringLiteral("%1: %2").arg(alias_, d_->error()));
  PQsetSingleRowMode(d_->conn);
  QString failure;
  Row row;
  // Every result must be consumed before the connection can be used again, even after a
  // failure in the sink.
  std::exception_ptr sinkError;
  while (PGresult* r = PQgetResult(d_->conn)) {
    ResultGuard g{r};
    const ExecStatusType st = PQresultStatus(r);
    if (st == PGRES_SINGLE_TUPLE) {
      if (sinkError || !failure.isEmpty()) continue;
      const int n = PQnfields(r);
      if (n != types.size()) {
        failure = QStringLiteral("the statement gives %1 columns, %2 were described").arg(n).arg(types.size());
        continue;
      }
      row.clear();
      for (int c = 0; c < n; ++c) {
        if (PQgetisnull(r, 0, c)) {
          row << QVariant();
        } else {
          row << fromText(QByteArray(PQgetvalue(r, 0, c), PQgetlength(r, 0, c)), types[c]);
        }
      }
      try {
        sink(row);
      } catch (...) {
        sinkError = std::current_exception();
      }
    } else if (st != PGRES_TUPLES_OK && st != PGRES_COMMAND_OK && failure.isEmpty()) {
      failure = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
    }
  }
  if (sinkError) std::rethrow_exception(sinkError);
  if (!failure.isEmpty()) throw EngineError(QStringLiteral("%1: %2").arg(alias_, failure));
}

#else  // no libpq

struct PgConnection::Impl {};

std::shared_ptr<PgConnection> PgConnection::connect(const Alias& alias, const Login&) {
  throw EngineError(QStringLiteral("%1: server databases are not supported by this build").arg(alias.name), true);
}
PgConnection::~PgConnection() = default;
QStringList PgConnection::listTables() { return {}; }
QList<FieldDesc> PgConnection::describeTable(const QString&, QString&, QString&) { return {}; }
void PgConnection::query(const QString&, const QList<FieldType>&, const std::function<void(Row&)>&) {}

#endif

}  // namespace korvi::engine
