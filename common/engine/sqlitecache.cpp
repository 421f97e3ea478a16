#include "common/engine/sqlitecache.h"

#include <cstdio>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>

#include <sqlite3.h>
#include <sys/stat.h>

#include "common/engine/filelookup.h"
#include "common/engine/tablefiles.h"
#include "common/text/paths.h"

namespace korvi::engine {

namespace {
constexpr int kLayoutVersion = 1;  // PRAGMA user_version of a cache made by this code
const char* const kCacheFileName = "korvi-cache.sqlite";
}  // namespace

// ---------------------------------------------------------------------------------------
// Small helpers over the C API

QString sqliteError(sqlite3* db) {
  return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("no database");
}

QString sqliteQuote(const QString& name) {
  QString q = name;
  q.replace(QLatin1Char('"'), QLatin1String("\"\""));
  return QLatin1Char('"') + q + QLatin1Char('"');
}

void sqliteExec(sqlite3* db, const QString& sql, const QString& what) {
  char* err = nullptr;
  const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    const QString msg = err ? QString::fromUtf8(err) : sqliteError(db);
    sqlite3_free(err);
    throw EngineError(what.isEmpty() ? msg : QStringLiteral("%1: %2").arg(what, msg));
  }
}

SqliteStatement::SqliteStatement(sqlite3* db, const QString& sql) : db_(db), sql_(sql) {
  const QByteArray utf8 = sql.toUtf8();
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &stmt_, &tail) != SQLITE_OK) {
    const QString msg = sqliteError(db);
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    throw EngineError(QStringLiteral("SQL error: %1").arg(msg));
  }
  if (!stmt_) throw EngineError(QStringLiteral("SQL error: empty statement"));
  if (tail) {
    for (const char* p = tail; *p; ++p) {
      if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';') {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw EngineError(QStringLiteral("SQL error: only one statement can be executed"));
      }
    }
  }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

bool SqliteStatement::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  throw EngineError(QStringLiteral("SQL error: %1").arg(sqliteError(db_)));
}

void SqliteStatement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

void SqliteStatement::bindText(int index, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bindInt(int index, qint64 value) { sqlite3_bind_int64(stmt_, index, value); }

void SqliteStatement::bind(int index, const QVariant& v) {
  if (!v.isValid() || v.isNull()) {
    sqlite3_bind_null(stmt_, index);
    return;
  }
  switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Bool:
      sqlite3_bind_int64(stmt_, index, v.toLongLong());
      return;
    case QMetaType::ULongLong:
      sqlite3_bind_int64(stmt_, index, qint64(v.toULongLong()));
      return;
    case QMetaType::Double:
    case QMetaType::Float:
      sqlite3_bind_double(stmt_, index, v.toDouble());
      return;
    case QMetaType::QByteArray: {
      const QByteArray b = v.toByteArray();
      sqlite3_bind_blob64(stmt_, index, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
      return;
    }
    default:
      bindText(index, v.toString());
  }
}

QString SqliteStatement::columnText(int column) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return p ? QString::fromUtf8(p, sqlite3_column_bytes(stmt_, column)) : QString();
}

qint64 SqliteStatement::columnInt(int column) const { return sqlite3_column_int64(stmt_, column); }

bool SqliteStatement::columnIsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

QString storageTypeName(FieldType type) {
  if (isBinaryType(type)) return QStringLiteral("BLOB");
  switch (type) {
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftWord:
    case FieldType::ftAutoInc:
    case FieldType::ftBoolean:
      return QStringLiteral("INTEGER");
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
      return QStringLiteral("REAL");
    default:
      return QStringLiteral("TEXT");
  }
}

namespace {

// Fixed-width storage texts, formatted by hand: QDate::toString parses its format text on
// every call, which dominated the import of date columns.
QString isoDate(const QDate& d) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year(), d.month(), d.day());
  return QString::fromLatin1(buf);
}

QString isoTime(const QTime& t) {
  char buf[16];
  if (t.msec())
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d", t.hour(), t.minute(), t.second(), t.msec());
  else
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour(), t.minute(), t.second());
  return QString::fromLatin1(buf);
}

}  // namespace

QVariant toStorageValue(const QVariant& v, FieldType type) {
  if (!v.isValid() || v.isNull()) return QVariant();
  if (isBinaryType(type)) return QVariant(v.toByteArray());
  switch (type) {
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftWord:
    case FieldType::ftAutoInc:
      return QVariant(v.toLongLong());
    case FieldType::ftBoolean:
      return QVariant(qint64(v.toBool() ? 1 : 0));
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
      return QVariant(v.toDouble());
    case FieldType::ftDate: {
      const QDate d = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
      return d.isValid() && d.year() > 0 ? QVariant(isoDate(d)) : QVariant();
    }
    case FieldType::ftTime: {
      const QTime t = v.typeId() == QMetaType::QDateTime ? v.toDateTime().time() : v.toTime();
      if (!t.isValid()) return QVariant();
      return QVariant(isoTime(t));
    }
    case FieldType::ftDateTime: {
      const QDateTime dt = v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0)) : v.toDateTime();
      return dt.isValid() && dt.date().year() > 0
                 ? QVariant(isoDate(dt.date()) + QLatin1Char(' ') + isoTime(QTime(dt.time().hour(), dt.time().minute(), dt.time().second())))
                 : QVariant();
    }
    default:
      return QVariant(v.toString());
  }
}

// ---------------------------------------------------------------------------------------
// The cache

SqliteCache::SqliteCache(const QString& directory) : directory_(directory) {
  if (directory_.isEmpty()) throw EngineError(QStringLiteral("The engine has no private directory"));
  if (!paths::ensurePrivateDir(directory_))
    throw EngineError(QStringLiteral("Cannot create the private directory %1").arg(directory_));
  file_ = QDir(directory_).filePath(QLatin1String(kCacheFileName));
  try {
    open();
    prepareSchema();
  } catch (const EngineError&) {
    // A damaged file, or one laid out by another version, holds nothing that cannot be
    // imported again: start with an empty one. Any other failure (a cache busy in another
    // process, no permission) is reported, and the file left alone.
    const int code = db_ ? sqlite3_errcode(db_) : SQLITE_OK;
    if (!foreignLayout_ && code != SQLITE_CORRUPT && code != SQLITE_NOTADB) {
      sqlite3_close(db_);
      db_ = nullptr;
      throw;
    }
    foreignLayout_ = false;
    sqlite3_close(db_);
    db_ = nullptr;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(file_ + QLatin1String(suffix));
    open();
    prepareSchema();
  }
}

SqliteCache::~SqliteCache() { sqlite3_close(db_); }

void SqliteCache::open() {
  const int rc = sqlite3_open_v2(QFile::encodeName(file_).constData(), &db_,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const QString msg = sqliteError(db_);
    sqlite3_close(db_);
    db_ = nullptr;
    throw EngineError(QStringLiteral("%1: %2").arg(file_, msg));
  }
  ::chmod(QFile::encodeName(file_).constData(), 0600);
  sqlite3_busy_timeout(db_, 10000);
  sqlite3_extended_result_codes(db_, 0);
  sqliteExec(db_, QStringLiteral("PRAGMA case_sensitive_like = ON; PRAGMA temp_store = FILE;"), file_);
}

void SqliteCache::prepareSchema() {
  int version = 0;
  {
    SqliteStatement st(db_, QStringLiteral("PRAGMA user_version"));
    if (st.step()) version = int(st.columnInt(0));
  }
  if (version != 0 && version != kLayoutVersion) {
    foreignLayout_ = true;
    throw EngineError(QStringLiteral("%1: cache made by another version").arg(file_));
  }
  sqliteExec(db_, QStringLiteral("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA cache_size = -65536;"), file_);
  if (version == 0) {
    sqliteExec(db_, QStringLiteral(
        "BEGIN IMMEDIATE;"
        "CREATE TABLE IF NOT EXISTS korvi_tables(id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE,"
        "  name TEXT NOT NULL UNIQUE, signature TEXT NOT NULL);"
        "CREATE TABLE IF NOT EXISTS korvi_fields(path TEXT NOT NULL, position INTEGER NOT NULL,"
        "  name TEXT NOT NULL, type INTEGER NOT NULL, size INTEGER NOT NULL, decimals INTEGER NOT NULL,"
        "  PRIMARY KEY(path, position));"
        "PRAGMA user_version = %1;"
        "COMMIT;").arg(kLayoutVersion), file_);
  }
}

namespace {

QString fileStamp(const QString& path) {
  struct stat st {};
  if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0) return QStringLiteral("-");
  return QStringLiteral("%1:%2.%3:%4")
      .arg(qint64(st.st_size))
      .arg(qint64(st.st_mtim.tv_sec))
      .arg(qint64(st.st_mtim.tv_nsec))
      .arg(quint64(st.st_ino));
}

}  // namespace

QString SqliteCache::signatureOf(const QString& tablePath) const {
  QString sig = fileStamp(tablePath);
  for (const char* companion : {".dbt", ".mb", ".sch"}) {
    const QString c = findCompanion(tablePath, QLatin1String(companion));
    sig += QLatin1Char('|') + QLatin1String(companion) + QLatin1Char('=') + fileStamp(c);
  }
  return sig;
}

SqliteCache::Imported SqliteCache::import(const QString& given) {
  const QString found = findFileNoCase(given);
  if (found.isEmpty() || !QFileInfo(found).isFile())
    throw EngineError(QStringLiteral("%1: table does not exist").arg(given));
  const QString path = QFileInfo(found).canonicalFilePath();
  const QString signature = signatureOf(path);

  Imported out;
  QString name;
  {
    SqliteStatement st(db_, QStringLiteral("SELECT name, signature FROM korvi_tables WHERE path = ?1"));
    st.bindText(1, path);
    if (st.step()) {
      name = st.columnText(0);
      if (st.columnText(1) == signature) {
        out.sqlName = name;
        SqliteStatement fs(db_, QStringLiteral(
            "SELECT name, type, size, decimals FROM korvi_fields WHERE path = ?1 ORDER BY position"));
        fs.bindText(1, path);
        while (fs.step()) {
          FieldDesc f;
          f.name = fs.columnText(0);
          const qint64 t = fs.columnInt(1);
          f.type = (t >= 0 && t <= qint64(FieldType::ftTypedBinary)) ? FieldType(t) : FieldType::ftUnknown;
          f.size = int(fs.columnInt(2));
          f.decimals = int(fs.columnInt(3));
          out.fields << f;
        }
        if (!out.fields.isEmpty()) return out;
      }
    }
  }

  // Read the file (its reader checks the whole layout before any row is stored).
  std::unique_ptr<TableReader> reader = openTableFile(path);
  const QList<FieldDesc> fields = reader->fields();
  if (fields.isEmpty()) throw EngineError(QStringLiteral("%1: table has no fields").arg(path));
  for (qsizetype i = 0; i < fields.size(); ++i)
    for (qsizetype j = 0; j < i; ++j)
      if (fields[i].name.compare(fields[j].name, Qt::CaseInsensitive) == 0)
        throw EngineError(QStringLiteral("%1: field name \"%2\" is used twice").arg(path, fields[i].name));

  sqliteExec(db_, QStringLiteral("BEGIN IMMEDIATE"), file_);
  try {
    if (name.isEmpty()) {
      SqliteStatement st(db_, QStringLiteral("SELECT coalesce(max(id), 0) + 1 FROM korvi_tables"));
      st.step();
      name = QStringLiteral("tbl_%1").arg(st.columnInt(0));
    }
    QStringList columns;
    for (const FieldDesc& f : fields) columns << sqliteQuote(f.name) + QLatin1Char(' ') + storageTypeName(f.type);
    sqliteExec(db_, QStringLiteral("DROP TABLE IF EXISTS main.%1").arg(sqliteQuote(name)), path);
    sqliteExec(db_, QStringLiteral("CREATE TABLE main.%1 (%2)").arg(sqliteQuote(name), columns.join(QLatin1String(", "))), path);

    QStringList marks;
    for (qsizetype i = 0; i < fields.size(); ++i) marks << QStringLiteral("?%1").arg(i + 1);
    SqliteStatement insert(db_, QStringLiteral("INSERT INTO main.%1 VALUES (%2)").arg(sqliteQuote(name), marks.join(QLatin1Char(','))));
    Row row;
    const qint64 count = reader->recordCount();
    for (qint64 r = 0; r < count; ++r) {
      row.clear();
      if (!reader->readRecord(r, row)) continue;  // deleted record
      if (row.size() != fields.size())
        throw EngineError(QStringLiteral("%1: record %2 holds %3 values for %4 fields").arg(path).arg(r + 1).arg(row.size()).arg(fields.size()));
      for (qsizetype i = 0; i < fields.size(); ++i) insert.bind(int(i + 1), toStorageValue(row[i], fields[i].type));
      insert.step();
      insert.reset();
    }

    SqliteStatement delFields(db_, QStringLiteral("DELETE FROM korvi_fields WHERE path = ?1"));
    delFields.bindText(1, path);
    delFields.step();
    SqliteStatement addField(db_, QStringLiteral("INSERT INTO korvi_fields VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    for (qsizetype i = 0; i < fields.size(); ++i) {
      addField.bindText(1, path);
      addField.bindInt(2, i);
      addField.bindText(3, fields[i].name);
      addField.bindInt(4, int(fields[i].type));
      addField.bindInt(5, fields[i].size);
      addField.bindInt(6, fields[i].decimals);
      addField.step();
      addField.reset();
    }
    SqliteStatement meta(db_, QStringLiteral(
        "INSERT INTO korvi_tables(path, name, signature) VALUES (?1, ?2, ?3)"
        " ON CONFLICT(path) DO UPDATE SET name = excluded.name, signature = excluded.signature"));
    meta.bindText(1, path);
    meta.bindText(2, name);
    meta.bindText(3, signature);
    meta.step();
    sqliteExec(db_, QStringLiteral("COMMIT"), file_);
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  ++imports_;
  out.sqlName = name;
  out.fields = fields;
  out.reimported = true;
  return out;
}

void SqliteCache::forget(const QString& tablePath) {
  const QString found = findFileNoCase(tablePath);
  const QString path = found.isEmpty() ? QFileInfo(tablePath).absoluteFilePath() : QFileInfo(found).canonicalFilePath();
  SqliteStatement st(db_, QStringLiteral("UPDATE korvi_tables SET signature = '' WHERE path = ?1"));
  st.bindText(1, path);
  st.step();
}

QString SqliteCache::newTemporaryName() { return QStringLiteral("korvi_result_%1").arg(++temporaries_); }

}  // namespace korvi::engine
