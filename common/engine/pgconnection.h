#pragma once
// A connection to a PostgreSQL server database (TYPE=POSTGRESQL aliases) through libpq.
// Built without libpq, connecting throws an EngineError saying "not supported".

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "common/engine/aliases.h"
#include "common/engine/types.h"

namespace korvi::engine {

class PgConnection {
 public:
  using Login = std::function<bool(const QString& databaseName, QString& user, QString& password)>;

  // Connects; when the server asks for a password (or the alias has no user) `login` is
  // asked, and the connection tried again with its answer. A cancelled login throws.
  static std::shared_ptr<PgConnection> connect(const Alias& alias, const Login& login);
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  const QString& aliasName() const { return alias_; }
  // Ordinary tables and views the user can see, outside the system schemas: "name" in the
  // public schema, "schema.name" elsewhere.
  QStringList listTables();
  // The fields of a table ("name" or "schema.name"), in column order; sets the schema.
  QList<FieldDesc> describeTable(const QString& table, QString& schema, QString& name);
  // Runs one statement and hands its rows to `row`, converted by the given types, one row at
  // a time (the whole result is never held in memory).
  void query(const QString& sql, const QList<FieldType>& types, const std::function<void(Row&)>& row);

  // The engine form of one text value of the server by its field type.
  static QVariant fromText(const QByteArray& text, FieldType type);
  // The field type of a server type name (information_schema data_type).
  static FieldType typeOf(const QString& dataType, bool autoIncrement);

 private:
  PgConnection() = default;
  struct Impl;
  std::unique_ptr<Impl> d_;
  QString alias_;
};

}  // namespace korvi::engine
