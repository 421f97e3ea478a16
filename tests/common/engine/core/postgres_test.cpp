// Server databases: a throwaway PostgreSQL cluster on 127.0.0.1, made and stopped by the
// test (as an unprivileged user when the tests run as root). Skipped when the server
// programs are not installed.
#ifdef KORVI_HAVE_LIBPQ

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <libpq-fe.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "corefixture.h"

namespace korvi::engine::testing {
namespace {

constexpr uid_t kNobody = 65534;

QString serverProgram(const QString& name) {
  QDir lib(QStringLiteral("/usr/lib/postgresql"));
  QStringList versions = lib.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
  for (const QString& v : versions) {
    const QString p = lib.filePath(v + QStringLiteral("/bin/") + name);
    if (QFileInfo(p).isExecutable()) return p;
  }
  return QString();
}

// Runs a program, as the unprivileged user when we are root.
QStringList asServerUser(const QString& program, const QStringList& args) {
  if (::geteuid() != 0) return QStringList{program} + args;
  return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(kNobody), QStringLiteral("--regid=%1").arg(kNobody),
                     QStringLiteral("--clear-groups"), program} + args;
}

class Cluster {
 public:
  bool start(QString& why) {
    const QString initdb = serverProgram(QStringLiteral("initdb"));
    const QString postgres = serverProgram(QStringLiteral("postgres"));
    if (initdb.isEmpty() || postgres.isEmpty()) {
      why = QStringLiteral("PostgreSQL server programs not installed");
      return false;
    }
    root_ = QDir::tempPath() + QStringLiteral("/korvi-pg-%1").arg(::getpid());
    QDir(root_).removeRecursively();
    QDir().mkpath(root_);
    QFile pw(root_ + QStringLiteral("/pw"));
    pw.open(QIODevice::WriteOnly);
    pw.write("secret\n");
    pw.close();
    if (::geteuid() == 0 && ::chown(QFile::encodeName(root_).constData(), kNobody, kNobody) != 0) {
      why = QStringLiteral("cannot hand the cluster directory to the server user");
      return false;
    }
    if (::geteuid() == 0) ::chown(QFile::encodeName(pw.fileName()).constData(), kNobody, kNobody);
    const QStringList init = asServerUser(initdb, {QStringLiteral("-D"), root_ + QStringLiteral("/data"), QStringLiteral("-U"),
                                                   QStringLiteral("korvi"), QStringLiteral("--auth=scram-sha-256"),
                                                   QStringLiteral("--pwfile=") + pw.fileName(), QStringLiteral("-E"), QStringLiteral("UTF8"),
                                                   QStringLiteral("--no-sync"), QStringLiteral("--locale=C")});
    QProcess p;
    p.start(init.first(), init.mid(1));
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
      why = QStringLiteral("initdb failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
      return false;
    }
    for (int attempt = 0; attempt < 5; ++attempt) {
      port_ = 20000 + (::getpid() * 7 + attempt * 131) % 20000;
      const QStringList run = asServerUser(postgres, {QStringLiteral("-D"), root_ + QStringLiteral("/data"), QStringLiteral("-h"),
                                                      QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(port_),
                                                      QStringLiteral("-k"), root_, QStringLiteral("-F")});
      server_.setStandardOutputFile(QProcess::nullDevice());
      server_.setStandardErrorFile(QProcess::nullDevice());
      server_.start(run.first(), run.mid(1));
      if (!server_.waitForStarted(10000)) continue;
      const QByteArray conninfo = QStringLiteral("host=127.0.0.1 port=%1 dbname=postgres user=korvi").arg(port_).toUtf8();
      for (int i = 0; i < 100 && server_.state() == QProcess::Running; ++i) {
        if (PQping(conninfo.constData()) == PQPING_OK) return true;
        QThread::msleep(100);
      }
      stop();
    }
    why = QStringLiteral("the server did not start");
    return false;
  }

  void stop() {
    if (server_.state() != QProcess::NotRunning) {
      const qint64 pid = server_.processId();
      if (pid > 0) ::kill(pid_t(pid), SIGINT);  // fast shutdown of that server only
      if (!server_.waitForFinished(20000) && pid > 0) ::kill(pid_t(pid), SIGKILL);
      server_.waitForFinished(5000);
    }
  }

  void remove() {
    if (!root_.isEmpty()) QDir(root_).removeRecursively();
  }

  // Runs statements as the cluster's owner.
  bool exec(const char* sql) {
    const QByteArray conninfo = QStringLiteral("host=127.0.0.1 port=%1 dbname=postgres user=korvi password=secret").arg(port_).toUtf8();
    PGconn* c = PQconnectdb(conninfo.constData());
    bool ok = PQstatus(c) == CONNECTION_OK;
    if (ok) {
      PGresult* r = PQexec(c, sql);
      ok = PQresultStatus(r) == PGRES_COMMAND_OK || PQresultStatus(r) == PGRES_TUPLES_OK;
      PQclear(r);
    }
    PQfinish(c);
    return ok;
  }

  int port() const { return port_; }

 private:
  QString root_;
  int port_ = 0;
  QProcess server_;
};

Cluster* cluster = nullptr;
QString skipReason;

class PostgresTest : public CoreTest {
 protected:
  static void SetUpTestSuite() {
    cluster = new Cluster;
    if (!cluster->start(skipReason)) return;
    if (!cluster->exec("CREATE TABLE clients(num integer PRIMARY KEY, nom varchar(20), solde numeric(10,2),"
                       " depuis date, actif boolean, note text, photo bytea);"
                       "CREATE SCHEMA compta; CREATE TABLE compta.factures(id serial, montant double precision);"
                       "INSERT INTO clients VALUES (1, 'Dupont', 12.50, '1995-03-31', true, 'long text', '\\x0102'),"
                       " (2, 'Durand', -3, '2001-12-01', false, NULL, NULL), (3, 'martin', NULL, NULL, NULL, NULL, NULL);"))
      skipReason = QStringLiteral("cannot create the test tables");
  }
  static void TearDownTestSuite() {
    cluster->stop();
    cluster->remove();
    delete cluster;
    cluster = nullptr;
  }
  void SetUp() override {
    CoreTest::SetUp();
    if (!skipReason.isEmpty()) GTEST_SKIP() << skipReason.toStdString();
    writeFile(tmp.path() + "/aliases.ini",
              QStringLiteral("[PG]\nTYPE=POSTGRESQL\nHOST=127.0.0.1\nPORT=%1\nDATABASE=postgres\nUSER=korvi\n").arg(cluster->port()).toUtf8());
    engine->setLoginCallback(login());
  }
  LoginCallback login(int* asked = nullptr, bool cancel = false) {
    return [asked, cancel](const QString& db, QString& user, QString& password) {
      if (asked) ++*asked;
      EXPECT_EQ(db, QStringLiteral("PG"));
      EXPECT_EQ(user, QStringLiteral("korvi"));
      password = QStringLiteral("secret");
      return !cancel;
    };
  }
};

TEST_F(PostgresTest, ConnectsWithTheLoginAndListsTables) {
  EXPECT_EQ(engine->DescribeDatabase("PG"), QStringLiteral("POSTGRESQL"));
  int asked = 0;
  const auto db = engine->OpenDatabase("PG", "TEST", login(&asked));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(db->type(), QStringLiteral("POSTGRESQL"));
  EXPECT_EQ(engine->ListTables(*db), (QStringList{"clients", "compta.factures"}));

  // A connection the server dropped is made again (with the password given at login).
  ASSERT_TRUE(cluster->exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                            " WHERE pid <> pg_backend_pid() AND usename = 'korvi'"));
  QThread::msleep(200);
  EXPECT_EQ(engine->ListTables(*db).size(), 2);

  Engine other(tmp.path() + "/aliases.ini", tmp.path() + "/private2");
  try {
    other.OpenDatabase("PG", "TEST", login(nullptr, true));
    FAIL() << "a cancelled login must not connect";
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.text().contains("cancelled")) << e.text().toStdString();
  }
}

TEST_F(PostgresTest, TablesAreDescribedAndQueried) {
  auto t = engine->OpenTable("PG", "CLIENTS");
  const QList<FieldDesc> f = Engine::GetFieldDescriptions(*t);
  ASSERT_EQ(f.size(), 7);
  EXPECT_EQ(f[0], (FieldDesc{"num", FieldType::ftInteger, 0, 0}));
  EXPECT_EQ(f[1], (FieldDesc{"nom", FieldType::ftString, 20, 0}));
  EXPECT_EQ(f[2], (FieldDesc{"solde", FieldType::ftBCD, 10, 2}));
  EXPECT_EQ(f[3].type, FieldType::ftDate);
  EXPECT_EQ(f[4].type, FieldType::ftBoolean);
  EXPECT_EQ(f[5].type, FieldType::ftMemo);
  EXPECT_EQ(f[6].type, FieldType::ftBlob);
  EXPECT_EQ(engine->OpenTable("PG", "compta.factures")->fields()[0].type, FieldType::ftAutoInc);

  auto rs = engine->ExecuteSelect(QStringList{"SELECT T1.\"nom\", T1.\"solde\", T1.\"depuis\", T1.\"actif\", T1.\"photo\"",
                                              "FROM \":PG:clients\" T1", "WHERE T1.\"num\" < 3", "ORDER BY T1.\"nom\" DESC"});
  ASSERT_EQ(Engine::CountRows(*rs), 2);
  EXPECT_EQ(rs->value(0).toString(), QStringLiteral("Durand"));
  EXPECT_EQ(rs->value(1).toDouble(), -3.0);
  EXPECT_EQ(rs->value(3), QVariant(false));
  rs->next();
  EXPECT_EQ(rs->value(2).toDate(), QDate(1995, 3, 31));
  EXPECT_EQ(Engine::ReadField(*rs, 4), QVariant(QByteArray("\x01\x02", 2)));

  try {
    engine->ExecuteSelect("SELECT T1.\"nom\" FROM \":PG:nothere\" T1");
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.text().contains("nothere")) << e.text().toStdString();
  }
}

TEST_F(PostgresTest, ServerAndLocalTablesDoNotMix) {
  writeClients();
  try {
    engine->ExecuteSelect("SELECT T1.\"nom\" FROM \":PG:clients\" T1, \"" + data + "clients.txt\" T2 WHERE T1.\"num\" = T2.\"NUM\"");
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.notSupported());
    EXPECT_TRUE(e.text().contains("not supported"));
  }
}

}  // namespace
}  // namespace korvi::engine::testing

#endif  // KORVI_HAVE_LIBPQ
