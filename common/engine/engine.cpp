#include "common/engine/engine.h"

#include <QDir>
#include <QFileInfo>

#include "common/engine/filelookup.h"
#include "common/engine/pgconnection.h"
#include "common/engine/sqlemit.h"
#include "common/engine/sqlitecache.h"
#include "common/engine/sqlparser.h"
#include "common/engine/sqlresolve.h"
#include "common/engine/tablefiles.h"
#include "common/text/paths.h"

namespace korvi::engine {

namespace {

bool isBytesValue(FieldType t) {
  return t == FieldType::ftMemo || t == FieldType::ftFmtMemo || isBinaryType(t);
}

bool isLocalTableFile(const QString& fileName, const QDir& dir) {
  const QString ext = QFileInfo(fileName).suffix().toLower();
  if (ext == QLatin1String("db") || ext == QLatin1String("dbf")) return true;
  // A text file is a table only when its schema describes it.
  if (ext == QLatin1String("txt")) return !findCompanion(dir.filePath(fileName), QStringLiteral(".sch")).isEmpty();
  return false;
}

// Resolves the tables of a statement over local files: each is imported into the cache.
class LocalResolver : public SqlTableResolver {
 public:
  LocalResolver(Engine& engine, SqliteCache& cache) : engine_(engine), cache_(cache) {}
  SqlResolvedTable resolveTable(const SqlTableRef& ref) override {
    QString path;
    if (ref.isAliasForm()) {
      path = engine_.tablePath(ref.databaseAlias, ref.tableName);
    } else {
      QString p = ref.tableName;
      p.replace(QLatin1Char('\\'), QLatin1Char('/'));
      const QFileInfo info(p);
      path = engine_.tablePath(info.path(), info.fileName());
    }
    const SqliteCache::Imported imported = cache_.import(path);
    SqlResolvedTable out;
    out.fields = imported.fields;
    out.sqlName = imported.sqlName;
    return out;
  }

 private:
  Engine& engine_;
  SqliteCache& cache_;
};

class ServerResolver : public SqlTableResolver {
 public:
  explicit ServerResolver(PgConnection& pg) : pg_(pg) {}
  SqlResolvedTable resolveTable(const SqlTableRef& ref) override {
    SqlResolvedTable out;
    QString schema, name;
    out.fields = pg_.describeTable(ref.tableName, schema, name);
    out.sqlName = name;
    out.sqlSchema = schema;
    return out;
  }

 private:
  PgConnection& pg_;
};

}  // namespace

// ---------------------------------------------------------------------------------------

Database::~Database() { close(); }

QString Database::type() const { return server_ ? QStringLiteral("POSTGRESQL") : QStringLiteral("STANDARD"); }

void Database::close() {
  open_ = false;
  pg_.reset();
}

Table::~Table() { close(); }

qint64 Table::recordCount() const {
  if (!open_ || !reader_) throw EngineError(QStringLiteral("%1: table is not open for reading").arg(tableName_));
  return reader_->recordCount();
}

bool Table::readRecord(qint64 i, Row& row) {
  if (!open_ || !reader_) throw EngineError(QStringLiteral("%1: table is not open for reading").arg(tableName_));
  return reader_->readRecord(i, row);
}

void Table::close() {
  open_ = false;
  reader_.reset();
}

NewTable::~NewTable() {
  try {
    Close();
  } catch (...) {
    // A table dropped without Close is completed when possible; a failure here has no one
    // to report to.
  }
}

void NewTable::Append() {
  if (!writer_) throw EngineError(QStringLiteral("%1: table is closed").arg(path_));
  if (appending_) Post();
  row_ = Row(fields_.size());
  appending_ = true;
}

void NewTable::SetField(int position, const QVariant& value) {
  if (!writer_) throw EngineError(QStringLiteral("%1: table is closed").arg(path_));
  if (!appending_) throw EngineError(QStringLiteral("%1: no row is being appended").arg(path_));
  if (position < 0 || position >= fields_.size())
    throw EngineError(QStringLiteral("%1: field number %2 out of range").arg(path_).arg(position));
  row_[position] = value;
}

void NewTable::Post() {
  if (!writer_) throw EngineError(QStringLiteral("%1: table is closed").arg(path_));
  if (!appending_) throw EngineError(QStringLiteral("%1: no row is being appended").arg(path_));
  writer_->appendRecord(row_);
  appending_ = false;
  ++rows_;
}

void NewTable::Close() {
  if (!writer_) return;
  if (appending_) Post();
  std::unique_ptr<TableWriter> w = std::move(writer_);
  w->close();
  if (onClose_) onClose_();
}

// ---------------------------------------------------------------------------------------

Engine::Engine() : Engine(paths::aliasFile(), paths::privateDirectory()) {}

Engine::Engine(QString aliasFile, QString privateDirectory)
    : aliasFile_(std::move(aliasFile)), privateDir_(std::move(privateDirectory)) {}

Engine::~Engine() = default;

Engine& Engine::instance() {
  static Engine session;
  return session;
}

quint16 Engine::EngineVersion() { return 500; }

QStringList Engine::ListAliases() const { return aliasFile_.names(); }

std::optional<Alias> Engine::alias(const QString& name) const {
  QString n = name.trimmed();
  // ":ALIAS:" as models write it.
  if (n.size() > 1 && n.startsWith(QLatin1Char(':')) && n.endsWith(QLatin1Char(':'))) n = n.mid(1, n.size() - 2);
  if (n.isEmpty() || n.contains(QLatin1Char('/')) || n.contains(QLatin1Char('\\'))) return std::nullopt;
  return aliasFile_.find(n);
}

QString Engine::databaseDirectory(const QString& databaseName) const {
  if (const auto a = alias(databaseName)) {
    if (a->kind != Alias::Kind::Standard)
      throw EngineError(QStringLiteral("%1 is a server database, not a directory of table files").arg(a->name));
    if (!QFileInfo(a->path).isDir())
      throw EngineError(QStringLiteral("Directory %1 of alias %2 does not exist").arg(a->path, a->name));
    return a->path;
  }
  const QString dir = normaliseDirectory(databaseName);
  if (dir.isEmpty()) throw EngineError(QStringLiteral("No database name given"));
  if (!QFileInfo(dir).isDir())
    throw EngineError(QStringLiteral("Unknown database: %1 is neither an alias nor a directory").arg(databaseName));
  return dir;
}

QString Engine::tablePath(const QString& databaseName, const QString& tableFile) const {
  const QString dir = databaseDirectory(databaseName);
  QString file = tableFile.trimmed();
  file.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (file.isEmpty() || file.contains(QLatin1Char('/')))
    throw EngineError(QStringLiteral("Invalid table name \"%1\"").arg(tableFile));
  const QString exact = QDir(dir).filePath(file);
  const QString found = findFileNoCase(exact);
  return found.isEmpty() ? exact : found;
}

std::shared_ptr<PgConnection> Engine::serverConnection(const Alias& a, const LoginCallback& login) {
  const QString key = a.name.toCaseFolded();
  auto it = servers_.find(key);
  if (it != servers_.end() && it->second) return it->second;
  auto pg = PgConnection::connect(a, login ? login : login_);
  servers_[key] = pg;
  return pg;
}

std::shared_ptr<Database> Engine::OpenDatabase(const QString& databaseName, const QString& connectionName,
                                               const LoginCallback& login) {
  std::shared_ptr<Database> db(new Database);
  db->connectionName_ = connectionName;
  if (const auto a = alias(databaseName)) {
    db->databaseName_ = a->name;
    if (a->kind == Alias::Kind::PostgreSql) {
      db->server_ = true;
      db->pg_ = serverConnection(*a, login);
    } else {
      db->directory_ = databaseDirectory(a->name);
    }
  } else {
    db->databaseName_ = databaseName;
    db->directory_ = databaseDirectory(databaseName);
  }
  db->open_ = true;
  return db;
}

QStringList Engine::ListTables(const Database& database) const {
  if (!database.isOpen()) throw EngineError(QStringLiteral("Connection %1 is not open").arg(database.connectionName()));
  if (database.server_) return database.pg_->listTables();
  const QDir dir(database.directory());
  if (!dir.exists()) throw EngineError(QStringLiteral("Directory %1 does not exist").arg(database.directory()));
  QStringList out;
  for (const QString& entry : dir.entryList(QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase))
    if (isLocalTableFile(entry, dir)) out << entry;
  return out;
}

QString Engine::DescribeDatabase(const QString& databaseName) const {
  if (const auto a = alias(databaseName)) return a->typeName();
  databaseDirectory(databaseName);  // throws for an unknown database
  return QStringLiteral("STANDARD");
}

QString Engine::PrivateDirectory() const {
  if (privateDir_.isEmpty() || !paths::ensurePrivateDir(privateDir_)) return QString();
  return privateDir_;
}

std::unique_ptr<Table> Engine::OpenTable(const QString& databaseName, const QString& tableFile) {
  std::unique_ptr<Table> t(new Table);
  t->databaseName_ = databaseName;
  t->tableName_ = tableFile;
  if (const auto a = alias(databaseName); a && a->kind == Alias::Kind::PostgreSql) {
    auto pg = serverConnection(*a, login_);
    QString schema, name;
    t->fields_ = pg->describeTable(tableFile, schema, name);
  } else {
    t->path_ = tablePath(databaseName, tableFile);
    if (!QFileInfo(t->path_).isFile()) throw EngineError(QStringLiteral("%1: table does not exist").arg(t->path_));
    t->reader_ = openTableFile(t->path_);
    t->fields_ = t->reader_->fields();
  }
  t->open_ = true;
  return t;
}

std::shared_ptr<SqliteCache> Engine::sharedCache() {
  if (!cache_) {
    if (privateDir_.isEmpty()) throw EngineError(QStringLiteral("The engine has no private directory"));
    cache_ = std::make_shared<SqliteCache>(privateDir_);
  }
  return cache_;
}

SqliteCache& Engine::cache() { return *sharedCache(); }

std::unique_ptr<ResultSet> Engine::ExecuteSelect(const QStringList& sqlLines) {
  return ExecuteSelect(sqlLines.join(QLatin1Char('\n')));
}

std::unique_ptr<ResultSet> Engine::ExecuteSelect(const QString& sqlText) {
  std::unique_ptr<SqlSelect> select = parseSqlSelect(sqlText);

  // Local files, or one server database: the statement runs where its tables are.
  std::optional<Alias> server;
  bool local = false;
  for (const SqlTableRef& ref : select->from) {
    std::optional<Alias> a;
    if (ref.isAliasForm()) {
      a = alias(ref.databaseAlias);
      if (!a) throw EngineError(QStringLiteral("Unknown alias %1 (line %2, column %3)").arg(ref.databaseAlias).arg(ref.pos.line).arg(ref.pos.column));
    }
    if (a && a->kind == Alias::Kind::PostgreSql) {
      if (server && server->name.compare(a->name, Qt::CaseInsensitive) != 0)
        throw EngineError(QStringLiteral("A statement over two server databases is not supported"), true);
      server = a;
    } else {
      local = true;
    }
  }
  if (server && local)
    throw EngineError(QStringLiteral("A statement joining server tables with local tables is not supported"), true);

  QList<ResultField> fields;
  auto describe = [&](const SqlCompiled& compiled) {
    for (const SqlOutputColumn& c : compiled.columns) {
      ResultField f;
      f.name = c.name;
      f.type = c.type;
      f.size = c.size;
      f.decimals = c.decimals;
      fields << f;
    }
  };

  auto cache = sharedCache();
  if (server) {
    auto pg = serverConnection(*server, login_);
    ServerResolver resolver(*pg);
    resolveSqlSelect(*select, resolver);
    const SqlCompiled compiled = emitSqlSelect(*select, PostgresDialect());
    describe(compiled);
    QList<FieldType> types;
    for (const ResultField& f : fields) types << f.type;
    return ResultSet::fromRows(cache, fields, [&](const ResultSet::RowSink& sink) { pg->query(compiled.sql, types, sink); });
  }
  LocalResolver resolver(*this, *cache);
  resolveSqlSelect(*select, resolver);
  const SqlCompiled compiled = emitSqlSelect(*select, SqliteDialect());
  describe(compiled);
  return ResultSet::fromSelect(cache, compiled.sql, fields);
}

QVariant Engine::ReadField(const ResultSet& rs, int field) {
  const FieldType type = rs.field(field).type;
  const QVariant v = rs.value(field);
  if (isBytesValue(type)) {
    if (!v.isValid() || v.isNull()) return QByteArray();
    if (v.typeId() == QMetaType::QByteArray) return v.toByteArray();
    return v.toString().toUtf8();
  }
  return displayText(v, type);
}

std::unique_ptr<NewTable> Engine::CreateTable(const QString& databaseName, const QString& tableFile,
                                              const QList<FieldDesc>& fields) {
  if (fields.isEmpty()) throw EngineError(QStringLiteral("%1: a table needs at least one field").arg(tableFile));
  for (qsizetype i = 0; i < fields.size(); ++i) {
    if (fields[i].name.trimmed().isEmpty())
      throw EngineError(QStringLiteral("%1: field %2 has no name").arg(tableFile).arg(i + 1));
    for (qsizetype j = 0; j < i; ++j)
      if (fields[i].name.compare(fields[j].name, Qt::CaseInsensitive) == 0)
        throw EngineError(QStringLiteral("%1: field name \"%2\" is used twice").arg(tableFile, fields[i].name));
  }
  const QString path = tablePath(databaseName, tableFile);
  std::unique_ptr<NewTable> t(new NewTable);
  t->path_ = path;
  t->fields_ = fields;
  t->writer_ = createTableFile(path, fields);
  std::weak_ptr<SqliteCache> cache = cache_;
  t->onClose_ = [cache, path] {
    if (auto c = cache.lock()) c->forget(path);
  };
  return t;
}

}  // namespace korvi::engine
