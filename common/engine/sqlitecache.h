#pragma once
// The SQLite cache database of local tables, kept in the engine's private directory.
//
// Each table file a statement reads is imported into one SQLite table (column names = the
// table's field names), in one transaction, and remembered with the identity of the file
// and of its companion files (.dbt, .mb, .sch): path, size, modification time and inode.
// The table is imported again only when one of them changed. Storage forms:
//   strings, memos TEXT; integer kinds INTEGER; float, currency, BCD REAL; logical INTEGER
//   0/1; dates TEXT 'YYYY-MM-DD'; times TEXT 'HH:MM:SS' ('.zzz' when the milliseconds are
//   not 0); date-times TEXT 'YYYY-MM-DD HH:MM:SS'; binary kinds BLOB; empty fields NULL.

#include <QList>
#include <QString>
#include <QVariant>

#include "common/engine/types.h"

struct sqlite3;
struct sqlite3_stmt;

namespace korvi::engine {

// One prepared statement; finalised on destruction.
class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, const QString& sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  sqlite3_stmt* get() const { return stmt_; }
  // True while a row is available; throws EngineError on failure.
  bool step();
  void reset();
  void bind(int index, const QVariant& value);  // 1-based; null, qint64, double, QString, QByteArray
  void bindText(int index, const QString& text);
  void bindInt(int index, qint64 value);
  QString columnText(int column) const;
  qint64 columnInt(int column) const;
  bool columnIsNull(int column) const;

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  QString sql_;
};

// The text of the connection's last error, for messages.
QString sqliteError(sqlite3* db);
// Runs statements without results; throws EngineError naming `what`.
void sqliteExec(sqlite3* db, const QString& sql, const QString& what = QString());
// The SQLite storage form of an engine value of the given type.
QVariant toStorageValue(const QVariant& value, FieldType type);
// "INTEGER", "REAL", "TEXT" or "BLOB".
QString storageTypeName(FieldType type);
// A double-quoted SQLite identifier.
QString sqliteQuote(const QString& name);

class SqliteCache {
 public:
  // Opens (creating when needed) the cache database in `directory`, made with mode 0700. A
  // cache file that is not a usable database is discarded and made again: it holds nothing
  // that cannot be imported anew. Throws EngineError.
  explicit SqliteCache(const QString& directory);
  ~SqliteCache();
  SqliteCache(const SqliteCache&) = delete;
  SqliteCache& operator=(const SqliteCache&) = delete;

  struct Imported {
    QString sqlName;          // the cache table
    QList<FieldDesc> fields;  // the table file's fields in physical order
    bool reimported = false;  // this call read the file
  };
  // The cache table of a table file, imported when the file is new to the cache or changed.
  Imported import(const QString& tablePath);
  // Forgets a table (its file was replaced through the engine).
  void forget(const QString& tablePath);

  sqlite3* handle() const { return db_; }
  QString databaseFile() const { return file_; }
  // How many imports this object ran (each reads one table file).
  int importCount() const { return imports_; }
  // A fresh name for a temporary table of this connection.
  QString newTemporaryName();

 private:
  void open();
  void prepareSchema();
  QString signatureOf(const QString& tablePath) const;

  QString directory_;
  QString file_;
  sqlite3* db_ = nullptr;
  bool foreignLayout_ = false;
  int imports_ = 0;
  quint64 temporaries_ = 0;
};

}  // namespace korvi::engine
