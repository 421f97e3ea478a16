#pragma once
// The engine operations both programs reach their data through: aliases and databases,
// table files and their fields, local SQL execution over the SQLite cache, result sets,
// and creating tables. One session per process, named "Default" (Engine::instance());
// independent engines can be made over other alias files and private directories.
//
// A database name is an alias of the alias file or a directory path ("\" separators are
// accepted). A table reference is a database name plus a table file whose extension picks
// the format; the file is found without regard to case when the exact name does not exist.
// Every failure is an EngineError whose text callers show after "Erreur IDAPI : ".

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "common/engine/aliases.h"
#include "common/engine/resultset.h"
#include "common/engine/types.h"

namespace korvi::engine {

class SqliteCache;
class PgConnection;

// Asked for the user name and password of a server database (the GUI answers it with its
// login dialog). `user` holds the proposed name. False when the user cancelled.
using LoginCallback = std::function<bool(const QString& databaseName, QString& user, QString& password)>;

// An open connection to a database.
class Database {
 public:
  ~Database();
  const QString& connectionName() const { return connectionName_; }
  const QString& databaseName() const { return databaseName_; }
  // "STANDARD" or "POSTGRESQL".
  QString type() const;
  // The directory of a STANDARD database ("/"-terminated).
  const QString& directory() const { return directory_; }
  bool isOpen() const { return open_; }
  void close();

 private:
  friend class Engine;
  Database() = default;
  QString connectionName_;
  QString databaseName_;
  QString directory_;
  bool server_ = false;
  bool open_ = false;
  std::shared_ptr<PgConnection> pg_;
};

// An open table: its fields, and its records for those who read them.
class Table {
 public:
  ~Table();
  const QString& databaseName() const { return databaseName_; }
  const QString& tableName() const { return tableName_; }
  // The table file (empty for a server table).
  const QString& path() const { return path_; }
  const QList<FieldDesc>& fields() const { return fields_; }
  bool isOpen() const { return open_; }
  qint64 recordCount() const;
  bool readRecord(qint64 i, Row& row);
  void close();

 private:
  friend class Engine;
  Table() = default;
  QString databaseName_, tableName_, path_;
  QList<FieldDesc> fields_;
  std::unique_ptr<TableReader> reader_;
  bool open_ = false;
};

// A table being written by CreateTable: Append, SetField by position, Post, ..., Close.
class NewTable {
 public:
  ~NewTable();
  const QString& path() const { return path_; }
  const QList<FieldDesc>& fields() const { return fields_; }
  // Starts a new row with every field empty.
  void Append();
  // Sets field `position` (0-based) of the row being appended.
  void SetField(int position, const QVariant& value);
  // Writes the appended row.
  void Post();
  // Completes the file. A row appended and not posted is posted first.
  void Close();
  bool isOpen() const { return writer_ != nullptr; }
  qint64 rowsWritten() const { return rows_; }

 private:
  friend class Engine;
  NewTable() = default;
  QString path_;
  QList<FieldDesc> fields_;
  std::unique_ptr<TableWriter> writer_;
  std::function<void()> onClose_;
  Row row_;
  bool appending_ = false;
  qint64 rows_ = 0;
};

class Engine {
 public:
  // Over the process's alias file and private directory (korvi::paths).
  Engine();
  Engine(QString aliasFile, QString privateDirectory);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The process's default session.
  static Engine& instance();
  static QString SessionName() { return QStringLiteral("Default"); }

  // The version number of this engine (16 bits).
  static quint16 EngineVersion();

  // Alias names, in the alias file's order.
  QStringList ListAliases() const;
  // Opens a database by alias or directory under a connection name. A server database
  // asks `login` for the password when it needs one (and for the user when it has none).
  std::shared_ptr<Database> OpenDatabase(const QString& databaseName, const QString& connectionName,
                                         const LoginCallback& login = {});
  // Table names of a connection, each with its extension when it has one; no system tables.
  QStringList ListTables(const Database& database) const;
  // "STANDARD" for a directory or a STANDARD alias, "POSTGRESQL" for a server alias.
  QString DescribeDatabase(const QString& databaseName) const;
  // The private directory, created (mode 0700) on demand.
  QString PrivateDirectory() const;

  std::unique_ptr<Table> OpenTable(const QString& databaseName, const QString& tableFile);
  static QList<FieldDesc> GetFieldDescriptions(const Table& table) { return table.fields(); }

  // Runs one SELECT of the local SQL dialect (lines joined by line breaks). Any other
  // statement is refused.
  std::unique_ptr<ResultSet> ExecuteSelect(const QString& sqlText);
  std::unique_ptr<ResultSet> ExecuteSelect(const QStringList& sqlLines);
  static qint64 CountRows(const ResultSet& rs) { return rs.rowCount(); }
  static qint64 RecordSequenceNumber(const ResultSet& rs) { return rs.recNo(); }
  // The current row's field as display text (QString), or for memo and binary fields
  // (graphic, blob, ...) the value's bytes (QByteArray; a memo's text in UTF-8).
  static QVariant ReadField(const ResultSet& rs, int field);

  // Creates a table (replacing an existing one) and opens it for appending rows.
  std::unique_ptr<NewTable> CreateTable(const QString& databaseName, const QString& tableFile,
                                        const QList<FieldDesc>& fields);

  static void Close(Table& table) { table.close(); }
  static void Close(ResultSet& rs) { rs.close(); }
  static void Close(Database& database) { database.close(); }
  static void Close(NewTable& table) { table.Close(); }

  // The login callback used when a statement reaches a server database.
  void setLoginCallback(LoginCallback login) { login_ = std::move(login); }

  // The directory of a STANDARD database name; throws EngineError for a server alias or a
  // directory that does not exist.
  QString databaseDirectory(const QString& databaseName) const;
  // The file of a table reference: the existing file found without regard to case, else
  // the exact name in the database's directory.
  QString tablePath(const QString& databaseName, const QString& tableFile) const;

  // The cache database (opened on first use).
  SqliteCache& cache();
  const QString& aliasFilePath() const { return aliasFile_.path(); }

 private:
  std::shared_ptr<SqliteCache> sharedCache();
  std::optional<Alias> alias(const QString& name) const;
  std::shared_ptr<PgConnection> serverConnection(const Alias& alias, const LoginCallback& login);

  AliasFile aliasFile_;
  QString privateDir_;
  std::shared_ptr<SqliteCache> cache_;
  LoginCallback login_;
  // Server connections made for statements, by alias name (case-folded).
  std::map<QString, std::shared_ptr<PgConnection>> servers_;
};

}  // namespace korvi::engine
