// The engine operations over aliases, directories and table files.
#include <QFileInfo>

#include <sys/stat.h>

#include "common/engine/aliases.h"
#include "corefixture.h"

namespace korvi::engine::testing {
namespace {

class EngineTest : public CoreTest {
 protected:
  void writeAliases(const QByteArray& text) { writeFile(tmp.path() + "/aliases.ini", text); }
  QString errorOf(const std::function<void()>& f) {
    try {
      f();
    } catch (const EngineError& e) {
      return e.text();
    }
    return QString();
  }
};

TEST_F(EngineTest, AliasesAndDatabaseNames) {
  writeAliases("[VENTES]\nTYPE=STANDARD\nPATH=" + data.toUtf8() +
               "\n[Serveur]\nTYPE=POSTGRESQL\nHOST=127.0.0.1\nPORT=5432\nDATABASE=compta\nUSER=paul\n"
               "[BROKEN]\nTYPE=ORACLE\n[NOPATH]\nTYPE=STANDARD\n");
  EXPECT_EQ(engine->ListAliases(), (QStringList{"VENTES", "Serveur", "BROKEN", "NOPATH"}));
  EXPECT_EQ(Engine::SessionName(), QStringLiteral("Default"));
  EXPECT_GE(Engine::EngineVersion(), 121);

  EXPECT_EQ(engine->DescribeDatabase("VENTES"), QStringLiteral("STANDARD"));
  EXPECT_EQ(engine->DescribeDatabase("ventes"), QStringLiteral("STANDARD"));
  EXPECT_EQ(engine->DescribeDatabase(":VENTES:"), QStringLiteral("STANDARD"));
  EXPECT_EQ(engine->DescribeDatabase("SERVEUR"), QStringLiteral("POSTGRESQL"));
  EXPECT_EQ(engine->DescribeDatabase(data), QStringLiteral("STANDARD"));
  QString windowsForm = data;
  windowsForm.replace('/', '\\');
  EXPECT_EQ(engine->databaseDirectory(windowsForm), data);

  EXPECT_TRUE(errorOf([&] { engine->DescribeDatabase("NOWHERE"); }).contains("NOWHERE"));
  EXPECT_TRUE(errorOf([&] { engine->DescribeDatabase("BROKEN"); }).contains("ORACLE"));
  EXPECT_TRUE(errorOf([&] { engine->DescribeDatabase("NOPATH"); }).contains("PATH"));

  const auto db = engine->OpenDatabase("VENTES", "TEST");
  EXPECT_EQ(db->connectionName(), QStringLiteral("TEST"));
  EXPECT_EQ(db->type(), QStringLiteral("STANDARD"));
  EXPECT_EQ(db->directory(), data);
  Engine::Close(*db);
  EXPECT_FALSE(db->isOpen());
  EXPECT_FALSE(errorOf([&] { engine->ListTables(*db); }).isEmpty());
}

TEST_F(EngineTest, AliasFileWritesAndReadsBack) {
  AliasFile file(tmp.path() + "/sub/aliases.ini");
  Alias a;
  a.name = "DEMO";
  a.path = "C:\\donnees\\demo";
  file.write(a);
  Alias s;
  s.name = "PG";
  s.kind = Alias::Kind::PostgreSql;
  s.host = "db.example";
  s.port = 6543;
  s.database = "sales";
  file.write(s);
  EXPECT_EQ(file.names(), (QStringList{"DEMO", "PG"}));
  EXPECT_EQ(file.find("demo")->path, QStringLiteral("C:/donnees/demo/"));
  const auto pg = file.find("PG");
  ASSERT_TRUE(pg);
  EXPECT_EQ(pg->port, 6543);
  EXPECT_EQ(pg->database, QStringLiteral("sales"));
  EXPECT_EQ(pg->typeName(), QStringLiteral("POSTGRESQL"));
  file.remove("DEMO");
  EXPECT_EQ(file.names(), (QStringList{"PG"}));
  EXPECT_FALSE(file.find("DEMO"));
}

TEST_F(EngineTest, ListTablesShowsTableFilesOnly) {
  for (const char* name : {"b.DBF", "a.db", "A.MB", "memo.dbt", "notes.txt", "readme.md", "z.sch"}) writeFile(data + name, "x");
  writeClients();
  QDir().mkpath(data + "folder.db");
  const auto db = engine->OpenDatabase(data, "DIR");
  // notes.txt has no schema; z.sch has no data file; a directory named like a table is none.
  EXPECT_EQ(engine->ListTables(*db), (QStringList{"a.db", "b.DBF", "clients.txt"}));
}

TEST_F(EngineTest, OpenTableDescribesFieldsAndFindsNamesWithoutCase) {
  writeClients();
  writeAliases("[VENTES]\nTYPE=STANDARD\nPATH=" + data.toUtf8() + "\n");
  for (const QString& db : {data, QStringLiteral("VENTES")}) {
    auto t = engine->OpenTable(db, "CLIENTS.TXT");
    EXPECT_EQ(QFileInfo(t->path()).fileName(), QStringLiteral("clients.txt"));
    const QList<FieldDesc> fields = Engine::GetFieldDescriptions(*t);
    ASSERT_EQ(fields.size(), 4);
    EXPECT_EQ(fields[0], (FieldDesc{"NUM", FieldType::ftInteger, 0, 0}));
    EXPECT_EQ(fields[1], (FieldDesc{"NOM", FieldType::ftString, 20, 0}));
    EXPECT_EQ(fields[2], (FieldDesc{"SOLDE", FieldType::ftFloat, 0, 2}));
    EXPECT_EQ(fields[3], (FieldDesc{"DEPUIS", FieldType::ftDate, 0, 0}));
    EXPECT_EQ(t->recordCount(), 3);
    Engine::Close(*t);
    EXPECT_FALSE(t->isOpen());
  }
  EXPECT_TRUE(errorOf([&] { engine->OpenTable(data, "absent.db"); }).contains("absent.db"));
  writeFile(data + "sheet.xls", "x");
  EXPECT_TRUE(errorOf([&] { engine->OpenTable(data, "sheet.xls"); }).contains("not supported"));
  EXPECT_FALSE(errorOf([&] { engine->OpenTable(data, "../clients.txt"); }).isEmpty());
}

TEST_F(EngineTest, DamagedTableGivesAnEngineErrorNamingIt) {
  writeFile(data + "broken.db", QByteArray(7, '\x01'));
  writeFile(data + "broken.dbf", QByteArray("\x03\x01\x02"));
  writeAscii("broken", "[BROKEN]\nFiletype=VARYING\nField1=N,LongInt,4\n", "12\nnot a number\n");
  for (const char* name : {"broken.db", "broken.dbf"}) {
    const QString text = errorOf([&] { engine->OpenTable(data, name); });
    EXPECT_TRUE(text.contains(name)) << text.toStdString();
  }
  const QString text = errorOf([&] { engine->ExecuteSelect("SELECT T1.\"N\" FROM \"" + data + "broken.txt\" T1"); });
  EXPECT_TRUE(text.contains("broken.txt")) << text.toStdString();
}

TEST_F(EngineTest, PrivateDirectoryIsMadeOnDemandForTheUserOnly) {
  const QString dir = engine->PrivateDirectory();
  EXPECT_EQ(dir, tmp.path() + "/private");
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(Engine("x.ini", QString()).PrivateDirectory().isEmpty());
}

TEST_F(EngineTest, CreateTableReplacesATableAndAppendsRows) {
  const QList<FieldDesc> fields{{"NOM", FieldType::ftString, 20, 0}, {"MONTANT", FieldType::ftCurrency, 0, 0},
                                {"LE", FieldType::ftDate, 0, 0}, {"NOTE", FieldType::ftMemo, 0, 0}};
  EXPECT_TRUE(errorOf([&] { engine->CreateTable(data, "out.txt", fields); }).contains("not supported"));
  EXPECT_TRUE(errorOf([&] { engine->CreateTable(data, "out.db", {}); }).contains("at least one field"));
  EXPECT_TRUE(errorOf([&] { engine->CreateTable(data, "out.db", {fields[0], fields[0]}); }).contains("twice"));

  int formats = 0;
  for (const char* file : {"Korvi___.DB", "export.dbf"}) {
    std::unique_ptr<NewTable> t;
    try {
      t = engine->CreateTable(data, file, fields);
    } catch (const EngineError& e) {
      if (e.notSupported()) continue;  // that format's writer is not there yet
      throw;
    }
    ++formats;
    for (int round = 0; round < 2; ++round) {
      if (round == 1) t = engine->CreateTable(data, QString(file).toLower(), fields);  // replaces it
      for (int i = 0; i < 3 + round; ++i) {
        t->Append();
        t->SetField(0, QStringLiteral("n%1").arg(i));
        t->SetField(1, 1.5 * i);
        t->SetField(2, QDate(2020, 1, 1 + i));
        t->SetField(3, QStringLiteral("long note %1 ").repeated(40).arg(i));
        if (i < 2 + round) t->Post();  // the last row is posted by Close
      }
      EXPECT_FALSE(errorOf([&] { t->SetField(4, 1); }).isEmpty());
      Engine::Close(*t);
      EXPECT_FALSE(t->isOpen());
      EXPECT_FALSE(errorOf([&] { t->Append(); }).isEmpty());

      auto rs = engine->ExecuteSelect(QStringLiteral("SELECT T1.\"NOM\", T1.\"MONTANT\", T1.\"NOTE\" FROM \"%1%2\" T1 ORDER BY T1.\"NOM\"")
                                          .arg(data, QString::fromLatin1(file)));
      ASSERT_EQ(Engine::CountRows(*rs), 3 + round) << file;
      rs->last();
      EXPECT_EQ(rs->value(1).toDouble(), 1.5 * (2 + round)) << file;
      EXPECT_EQ(Engine::ReadField(*rs, 0).toString(), QStringLiteral("n%1").arg(2 + round)) << file;
      EXPECT_EQ(Engine::ReadField(*rs, 2).toByteArray(), QStringLiteral("long note %1 ").repeated(40).arg(2 + round).toUtf8()) << file;
    }
    EXPECT_EQ(QDir(data).entryList({QString(file)}, QDir::Files).size(), 1);  // no second file in another case
  }
  if (formats == 0) GTEST_SKIP() << "no table writer available";
}

}  // namespace
}  // namespace korvi::engine::testing
