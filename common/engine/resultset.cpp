#include "common/engine/resultset.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <sqlite3.h>

#include "common/engine/sqlitecache.h"
#include "common/text/strings.h"

namespace korvi::engine {

namespace {

QString dateFormat() { return korvi::language().french ? QStringLiteral("dd/MM/yyyy") : QStringLiteral("MM/dd/yyyy"); }

QTime parseStoredTime(const QString& s) {
  QTime t = QTime::fromString(s, QStringLiteral("HH:mm:ss.zzz"));
  if (!t.isValid()) t = QTime::fromString(s, QStringLiteral("HH:mm:ss"));
  if (!t.isValid()) t = QTime::fromString(s, QStringLiteral("HH:mm"));
  return t;
}

QDateTime parseStoredDateTime(const QString& s) {
  if (s.size() == 10) {
    const QDate d = QDate::fromString(s, QStringLiteral("yyyy-MM-dd"));
    return d.isValid() ? QDateTime(d, QTime(0, 0)) : QDateTime();
  }
  if (s.size() < 16) return QDateTime();
  const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
  const QTime t = parseStoredTime(s.mid(11));
  return d.isValid() && t.isValid() ? QDateTime(d, t) : QDateTime();
}

}  // namespace

QVariant fromStorage(sqlite3_stmt* st, int column, FieldType type) {
  const int storage = sqlite3_column_type(st, column);
  if (storage == SQLITE_NULL) return QVariant();
  auto text = [&] {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
    return QString::fromUtf8(p, sqlite3_column_bytes(st, column));
  };
  auto blob = [&] {
    const void* p = sqlite3_column_blob(st, column);
    return QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(st, column));
  };
  switch (type) {
    case FieldType::ftString:
    case FieldType::ftMemo:
    case FieldType::ftFmtMemo:
      return text();
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftWord:
    case FieldType::ftAutoInc:
      if (storage == SQLITE_FLOAT) {
        // An expression over integers that came out real (AVG): keep its exact value.
        const double d = sqlite3_column_double(st, column);
        if (d != double(qint64(d))) return d;
      }
      return qint64(sqlite3_column_int64(st, column));
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD:
      return sqlite3_column_double(st, column);
    case FieldType::ftBoolean:
      if (storage == SQLITE_TEXT) {
        const QString u = text().trimmed().toUpper();
        return u == QLatin1String("TRUE") || u == QLatin1String("T") || u == QLatin1String("1");
      }
      return sqlite3_column_int64(st, column) != 0;
    case FieldType::ftDate: {
      const QString s = text();
      const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
      return d.isValid() ? QVariant(d) : QVariant(s);
    }
    case FieldType::ftTime: {
      const QString s = text();
      const QTime t = parseStoredTime(s);
      return t.isValid() ? QVariant(t) : QVariant(s);
    }
    case FieldType::ftDateTime: {
      const QString s = text();
      const QDateTime dt = parseStoredDateTime(s);
      return dt.isValid() ? QVariant(dt) : QVariant(s);
    }
    default:
      if (isBinaryType(type)) return blob();
      break;
  }
  // Untyped: by the stored value.
  switch (storage) {
    case SQLITE_INTEGER:
      return qint64(sqlite3_column_int64(st, column));
    case SQLITE_FLOAT:
      return sqlite3_column_double(st, column);
    case SQLITE_BLOB:
      return blob();
    default:
      return text();
  }
}

QString displayText(const QVariant& v, FieldType type) {
  if (!v.isValid() || v.isNull()) return QString();
  switch (v.typeId()) {
    case QMetaType::Bool:
      return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: {
      const double d = v.toDouble();
      if (type == FieldType::ftCurrency) return QString::number(d, 'f', 2);
      // Sums and averages carry binary rounding noise (1405.6000000000001): show the value
      // at 15 significant digits, the precision a double holds for any decimal.
      const double shown = QString::number(d, 'g', 15).toDouble();
      QString s = QString::number(shown, 'f', QLocale::FloatingPointShortest);
      if (s == QLatin1String("-0")) s = QStringLiteral("0");
      return s;
    }
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
      if (type == FieldType::ftCurrency) return QString::number(v.toDouble(), 'f', 2);
      return v.toString();
    case QMetaType::QDate:
      return v.toDate().toString(dateFormat());
    case QMetaType::QTime:
      return v.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime: {
      const QDateTime dt = v.toDateTime();
      return dt.date().toString(dateFormat()) + QLatin1Char(' ') + dt.time().toString(QStringLiteral("HH:mm:ss"));
    }
    case QMetaType::QByteArray:
      if (type == FieldType::ftGraphic) return QStringLiteral("(GRAPHIC)");
      if (type == FieldType::ftMemo || type == FieldType::ftFmtMemo) return QString::fromUtf8(v.toByteArray());
      return QStringLiteral("(BLOB)");
    default:
      return v.toString();
  }
}

// ---------------------------------------------------------------------------------------

ResultSet::ResultSet(std::shared_ptr<SqliteCache> cache, QList<ResultField> fields)
    : cache_(std::move(cache)), fields_(std::move(fields)) {
  for (ResultField& f : fields_)
    if (f.label.isEmpty()) f.label = f.name;
}

ResultSet::~ResultSet() {
  try {
    close();
  } catch (...) {
    // The connection is going away with its temporary tables anyway.
  }
}

void ResultSet::createTable() {
  table_ = cache_->newTemporaryName();
  QStringList columns;
  for (qsizetype i = 0; i < fields_.size(); ++i) columns << QStringLiteral("c%1").arg(i);
  sqliteExec(cache_->handle(), QStringLiteral("CREATE TEMP TABLE %1 (%2)").arg(sqliteQuote(table_), columns.join(QLatin1String(", "))));
  open_ = true;
}

void ResultSet::finishLoad(qint64 rows) {
  count_ = rows;
  const QString cols = [&] {
    QStringList c;
    for (qsizetype i = 0; i < fields_.size(); ++i) c << QStringLiteral("c%1").arg(i);
    return c.join(QLatin1String(", "));
  }();
  rowQuery_ = std::make_unique<SqliteStatement>(cache_->handle(),
      QStringLiteral("SELECT %1 FROM temp.%2 WHERE rowid = ?1").arg(cols, sqliteQuote(table_)));
  pageQuery_ = std::make_unique<SqliteStatement>(cache_->handle(),
      QStringLiteral("SELECT %1 FROM temp.%2 WHERE rowid >= ?1 ORDER BY rowid LIMIT ?2").arg(cols, sqliteQuote(table_)));
  first();
}

std::unique_ptr<ResultSet> ResultSet::fromSelect(std::shared_ptr<SqliteCache> cache, const QString& selectSql,
                                                 QList<ResultField> fields) {
  if (!cache) throw EngineError(QStringLiteral("No cache database"));
  sqlite3* db = cache->handle();
  SqliteStatement select(db, selectSql);
  if (!sqlite3_stmt_readonly(select.get()) || sqlite3_column_count(select.get()) == 0)
    throw EngineError(QStringLiteral("Only a SELECT statement can be executed"));
  const int columns = sqlite3_column_count(select.get());
  const bool untyped = fields.isEmpty();
  if (untyped) {
    for (int c = 0; c < columns; ++c) {
      ResultField f;
      f.name = QString::fromUtf8(sqlite3_column_name(select.get(), c));
      f.label = f.name;
      fields << f;
    }
  } else if (fields.size() != columns) {
    throw EngineError(QStringLiteral("The statement gives %1 columns, %2 were described").arg(columns).arg(fields.size()));
  }

  if (untyped && select.step()) {
    // Untyped columns take the type of the first row's values.
    for (int c = 0; c < columns; ++c) {
      switch (sqlite3_column_type(select.get(), c)) {
        case SQLITE_INTEGER: fields[c].type = FieldType::ftInteger; break;
        case SQLITE_FLOAT: fields[c].type = FieldType::ftFloat; break;
        case SQLITE_BLOB: fields[c].type = FieldType::ftBlob; break;
        case SQLITE_TEXT: fields[c].type = FieldType::ftString; break;
        default: fields[c].type = FieldType::ftUnknown; break;
      }
    }
  }
  select.reset();

  std::unique_ptr<ResultSet> rs(new ResultSet(std::move(cache), std::move(fields)));
  rs->createTable();
  // SQLite copies the rows itself, in the order the statement gives them, so the rowids of
  // the result table are 1..n in that order. The statement was checked above to be one
  // read-only SELECT.
  sqliteExec(db, QStringLiteral("SAVEPOINT korvi_result"));
  qint64 rows = 0;
  try {
    SqliteStatement insert(db, QStringLiteral("INSERT INTO temp.%1 ").arg(sqliteQuote(rs->table_)) + selectSql);
    insert.step();
    rows = sqlite3_changes64(db);
    sqliteExec(db, QStringLiteral("RELEASE korvi_result"));
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK TO korvi_result; RELEASE korvi_result", nullptr, nullptr, nullptr);
    throw;
  }
  rs->finishLoad(rows);
  return rs;
}

std::unique_ptr<ResultSet> ResultSet::fromRows(std::shared_ptr<SqliteCache> cache, QList<ResultField> fields,
                                               const std::function<void(const RowSink&)>& produce) {
  if (!cache) throw EngineError(QStringLiteral("No cache database"));
  if (fields.isEmpty()) throw EngineError(QStringLiteral("A result needs at least one column"));
  sqlite3* db = cache->handle();
  std::unique_ptr<ResultSet> rs(new ResultSet(std::move(cache), std::move(fields)));
  rs->createTable();
  const qsizetype columns = rs->fields_.size();
  QStringList marks;
  for (qsizetype c = 0; c < columns; ++c) marks << QStringLiteral("?%1").arg(c + 1);
  sqliteExec(db, QStringLiteral("SAVEPOINT korvi_result"));
  qint64 rows = 0;
  try {
    SqliteStatement insert(db, QStringLiteral("INSERT INTO temp.%1 VALUES (%2)").arg(sqliteQuote(rs->table_), marks.join(QLatin1Char(','))));
    ResultSet* target = rs.get();
    produce([&](Row& row) {
      if (row.size() != columns)
        throw EngineError(QStringLiteral("A result row holds %1 values for %2 columns").arg(row.size()).arg(columns));
      for (qsizetype c = 0; c < columns; ++c) insert.bind(int(c + 1), toStorageValue(row[c], target->fields_[c].type));
      insert.step();
      insert.reset();
      ++rows;
    });
    sqliteExec(db, QStringLiteral("RELEASE korvi_result"));
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK TO korvi_result; RELEASE korvi_result", nullptr, nullptr, nullptr);
    throw;
  }
  rs->finishLoad(rows);
  return rs;
}

void ResultSet::close() {
  if (!open_) return;
  open_ = false;
  rowQuery_.reset();
  pageQuery_.reset();
  current_.clear();
  currentPos_ = -1;
  sqliteExec(cache_->handle(), QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(sqliteQuote(table_)));
}

void ResultSet::checkOpen() const {
  if (!open_) throw EngineError(QStringLiteral("The result set is closed"));
}

void ResultSet::checkField(int index) const {
  if (index < 0 || index >= fields_.size())
    throw EngineError(QStringLiteral("Field number %1 out of range (0 to %2)").arg(index).arg(fields_.size() - 1));
}

const ResultField& ResultSet::field(int index) const {
  checkField(index);
  return fields_[index];
}

int ResultSet::fieldIndex(const QString& name) const {
  for (qsizetype i = 0; i < fields_.size(); ++i)
    if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
  return -1;
}

void ResultSet::setFieldVisible(int index, bool visible) {
  checkField(index);
  fields_[index].visible = visible;
}

void ResultSet::setFieldLabel(int index, const QString& label) {
  checkField(index);
  fields_[index].label = label;
}

void ResultSet::first() {
  checkOpen();
  pos_ = 0;
  bof_ = true;
  eof_ = count_ == 0;
}

void ResultSet::last() {
  checkOpen();
  pos_ = count_ > 0 ? count_ - 1 : 0;
  eof_ = true;
  bof_ = count_ == 0;
}

void ResultSet::next() {
  checkOpen();
  if (count_ == 0) return;
  if (pos_ + 1 < count_) {
    ++pos_;
    bof_ = false;
    eof_ = false;
  } else {
    eof_ = true;
    bof_ = false;
  }
}

void ResultSet::prior() {
  checkOpen();
  if (count_ == 0) return;
  if (pos_ > 0) {
    --pos_;
    bof_ = false;
    eof_ = false;
  } else {
    bof_ = true;
    eof_ = false;
  }
}

bool ResultSet::moveTo(qint64 recNo) {
  checkOpen();
  if (recNo < 1 || recNo > count_) return false;
  pos_ = recNo - 1;
  bof_ = false;
  eof_ = false;
  return true;
}

Row ResultSet::readRow(sqlite3_stmt* st) const {
  Row row;
  row.reserve(fields_.size());
  for (qsizetype c = 0; c < fields_.size(); ++c) row << fromStorage(st, int(c), fields_[c].type);
  return row;
}

void ResultSet::loadCurrent() const {
  checkOpen();
  if (count_ == 0) {
    current_ = Row(fields_.size());
    currentPos_ = -1;
    return;
  }
  if (currentPos_ == pos_) return;
  rowQuery_->bindInt(1, pos_ + 1);
  if (!rowQuery_->step()) {
    rowQuery_->reset();
    throw EngineError(QStringLiteral("Result row %1 is missing").arg(pos_ + 1));
  }
  current_ = readRow(rowQuery_->get());
  rowQuery_->reset();
  currentPos_ = pos_;
}

QVariant ResultSet::value(int index) const {
  checkField(index);
  loadCurrent();
  return current_.value(index);
}

QVariant ResultSet::value(const QString& name) const {
  const int i = fieldIndex(name);
  if (i < 0) throw EngineError(QStringLiteral("Field \"%1\" not found in the result").arg(name));
  return value(i);
}

QString ResultSet::displayText(int index) const { return korvi::engine::displayText(value(index), fields_[index].type); }

Row ResultSet::currentRow() const {
  loadCurrent();
  return current_;
}

QList<Row> ResultSet::fetchRows(qint64 first, int count) const {
  checkOpen();
  QList<Row> rows;
  if (first < 0 || count <= 0 || first >= count_) return rows;
  rows.reserve(int(std::min<qint64>(count, count_ - first)));
  pageQuery_->bindInt(1, first + 1);
  pageQuery_->bindInt(2, count);
  try {
    while (pageQuery_->step()) rows << readRow(pageQuery_->get());
  } catch (...) {
    pageQuery_->reset();
    throw;
  }
  pageQuery_->reset();
  return rows;
}

}  // namespace korvi::engine
