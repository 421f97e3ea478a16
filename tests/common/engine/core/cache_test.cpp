// The import cache: storage forms, re-import only on change, recovery from a damaged cache.
#include <QDateTime>
#include <QFileInfo>

#include <sqlite3.h>
#include <utime.h>

#include "common/engine/sqlitecache.h"
#include "corefixture.h"

namespace korvi::engine::testing {
namespace {

class CacheTest : public CoreTest {
 protected:
  // Moves a file's modification time, as an edit an instant later would.
  static void touch(const QString& path, int secondsLater) {
    const QFileInfo info(path);
    struct utimbuf t {};
    t.actime = t.modtime = info.lastModified().toSecsSinceEpoch() + secondsLater;
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &t), 0);
  }
  QStringList rowsOf(SqliteCache& cache, const QString& sql) {
    QStringList out;
    SqliteStatement st(cache.handle(), sql);
    while (st.step()) {
      QStringList cols;
      for (int c = 0; c < sqlite3_column_count(st.get()); ++c) cols << (st.columnIsNull(c) ? QStringLiteral("NULL") : st.columnText(c));
      out << cols.join('|');
    }
    return out;
  }
};

TEST_F(CacheTest, ImportStoresTheAgreedForms) {
  writeAscii("forms",
             "[FORMS]\nFiletype=VARYING\nField1=S,Char,10\nField2=I,Short,6\nField3=F,Float,10\nField4=B,Bool,1\n"
             "Field5=D,Date,10\nField6=T,Time,12\nField7=DT,Timestamp,19\nField8=C,Currency,10\n",
             "\"a'b\",-7,2.5,T,12/31/1999,13:14:15.250,01/02/2003 04:05:06,9.99\n\"x\",,,F,,08:00:00,,\n");
  SqliteCache& cache = engine->cache();
  const auto imported = cache.import(data + "forms.txt");
  EXPECT_TRUE(imported.reimported);
  ASSERT_EQ(imported.fields.size(), 8);
  EXPECT_EQ(rowsOf(cache, QStringLiteral("SELECT typeof(S), typeof(I), typeof(F), typeof(B), typeof(D), typeof(T), typeof(DT), typeof(C) FROM \"%1\" LIMIT 1").arg(imported.sqlName)),
            QStringList{"text|integer|real|integer|text|text|text|real"});
  EXPECT_EQ(rowsOf(cache, QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(imported.sqlName)),
            (QStringList{"a'b|-7|2.5|1|1999-12-31|13:14:15.250|2003-01-02 04:05:06|9.99",
                         "x|NULL|NULL|0|NULL|08:00:00|NULL|NULL"}));
  // LIKE is case-sensitive on this connection.
  EXPECT_EQ(rowsOf(cache, QStringLiteral("SELECT count(*) FROM \"%1\" WHERE S LIKE 'A%'").arg(imported.sqlName)), QStringList{"0"});
}

TEST_F(CacheTest, TableIsReadOnceAndAgainOnlyWhenItsFilesChange) {
  writeClients();
  SqliteCache& cache = engine->cache();
  const auto first = cache.import(data + "clients.txt");
  EXPECT_TRUE(first.reimported);
  EXPECT_EQ(cache.importCount(), 1);

  const auto again = cache.import(data + "CLIENTS.TXT");  // the same file under another case
  EXPECT_FALSE(again.reimported);
  EXPECT_EQ(again.sqlName, first.sqlName);
  EXPECT_EQ(again.fields, first.fields);
  EXPECT_EQ(cache.importCount(), 1);

  // A new engine over the same private directory keeps the cache.
  {
    Engine other(tmp.path() + "/aliases.ini", tmp.path() + "/private");
    EXPECT_FALSE(other.cache().import(data + "clients.txt").reimported);
  }

  writeFile(data + "clients.txt", "9,\"Zola\",1,01/01/2000\n");
  touch(data + "clients.txt", 5);
  const auto changed = cache.import(data + "clients.txt");
  EXPECT_TRUE(changed.reimported);
  EXPECT_EQ(changed.sqlName, first.sqlName);
  EXPECT_EQ(rowsOf(cache, QStringLiteral("SELECT NUM, NOM FROM \"%1\"").arg(changed.sqlName)), QStringList{"9|Zola"});

  // A change of the schema beside it is a change of the table too.
  touch(data + "clients.sch", 10);
  EXPECT_TRUE(cache.import(data + "clients.txt").reimported);
  EXPECT_EQ(cache.importCount(), 3);
}

TEST_F(CacheTest, FailedImportKeepsThePreviousContent) {
  writeClients();
  SqliteCache& cache = engine->cache();
  const QString name = cache.import(data + "clients.txt").sqlName;
  writeFile(data + "clients.txt", "1,\"ok\",1,\nbad,\"x\",1,\n");
  touch(data + "clients.txt", 5);
  EXPECT_THROW(cache.import(data + "clients.txt"), EngineError);
  EXPECT_EQ(rowsOf(cache, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(name)), QStringList{"3"});
  writeFile(data + "clients.txt", "1,\"ok\",1,\n");
  touch(data + "clients.txt", 9);
  EXPECT_TRUE(cache.import(data + "clients.txt").reimported);
  EXPECT_EQ(rowsOf(cache, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(name)), QStringList{"1"});
}

TEST_F(CacheTest, DamagedCacheFileIsMadeAgain) {
  QDir().mkpath(tmp.path() + "/private");
  writeFile(tmp.path() + "/private/korvi-cache.sqlite", QByteArray(4096, 'G'));
  writeClients();
  SqliteCache& cache = engine->cache();
  EXPECT_TRUE(cache.import(data + "clients.txt").reimported);
  EXPECT_THROW(cache.import(data + "missing.txt"), EngineError);

  // A cache laid out by another version is made again too.
  const QString other = tmp.path() + "/private2";
  QDir().mkpath(other);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(other + "/korvi-cache.sqlite").constData(), &db), SQLITE_OK);
  sqliteExec(db, "CREATE TABLE korvi_tables(x); PRAGMA user_version = 99;");
  sqlite3_close(db);
  SqliteCache remade(other);
  EXPECT_TRUE(remade.import(data + "clients.txt").reimported);
}

}  // namespace
}  // namespace korvi::engine::testing
