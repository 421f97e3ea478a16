// Execution against the demo database: rows, labels and hidden extra columns, the record
// count methods, engine failures and their log.

#include <QDir>
#include <QFile>

#include "common/engine/tablefiles.h"
#include "common/text/paths.h"
#include "library/sql/failurelog.h"
#include "run_demo.h"

namespace korvi::sql::testing {
namespace {

namespace row = designer::gridrow;

QStringList labels(const engine::ResultSet& rs, bool visibleOnly = true) {
  QStringList out;
  for (const engine::ResultField& f : rs.fields())
    if (f.visible || !visibleOnly) out << f.displayName();
  return out;
}

class ExecuteTest : public DemoTest {
 protected:
  QString tempDir() {
    QString d;
    EXPECT_TRUE(paths::tempDirectory(d));
    return d;
  }
  void clearLogs() {
    QDir d(tempDir());
    for (const QString& f : d.entryList({"osq*"}, QDir::Files)) d.remove(f);
  }
};

TEST_F(ExecuteTest, OneTableRunsWithoutWhere) {
  QueryTable& c = clients();
  const int nom = add(c, "Nom");
  add(c, "Prénom");
  ASSERT_TRUE(doc.setSort(nom, SortOrder::Ascending));
  ASSERT_TRUE(run()) << rec->texts().join("\n").toStdString();
  EXPECT_TRUE(rec->boxes.isEmpty()) << rec->texts().join("\n").toStdString();
  EXPECT_FALSE(query.sql().join(" ").contains("WHERE"));
  ASSERT_TRUE(query.isOpen());
  engine::ResultSet& rs = *query.resultSet();
  EXPECT_EQ(rs.rowCount(), 12);
  EXPECT_EQ(recordCount(), 12);
  EXPECT_EQ(labels(rs), (QStringList{"Nom", "Prénom"}));
  rs.first();
  EXPECT_EQ(rs.displayText(0), "Bérard");
}

TEST_F(ExecuteTest, OperationsLabelTheirColumnsAndGroupingComesFirst) {
  QueryTable& c = clients();
  QueryTable& o = orders();
  const int sum = add(o, "Montant");
  const int nom = add(c, "Nom");
  const int count = add(o, "Numéro de commande");
  ASSERT_TRUE(doc.setOperation(sum, Operation::Sum));
  ASSERT_TRUE(doc.setOperation(nom, Operation::Group));
  ASSERT_TRUE(doc.setOperation(count, Operation::Count));
  ASSERT_TRUE(run()) << rec->texts().join("\n").toStdString();
  engine::ResultSet& rs = *query.resultSet();
  EXPECT_EQ(labels(rs), (QStringList{"Nom", "Somme de Montant", "Nombre de Numéro de commande"}));
  EXPECT_EQ(rs.rowCount(), 12);  // one row per name
  // The grid shows the move that validation made.
  EXPECT_EQ(doc.cell(1, row::kField), "Nom");
}

TEST_F(ExecuteTest, TablesWithoutAColumnAreJoinedThroughHiddenExtraColumns) {
  QueryTable& c = clients();
  towns();
  add(c, "Nom");
  ASSERT_TRUE(run()) << rec->texts().join("\n").toStdString();
  engine::ResultSet& rs = *query.resultSet();
  ASSERT_GT(rs.fieldCount(), 1);
  EXPECT_EQ(labels(rs), QStringList{"Nom"});
  EXPECT_FALSE(rs.field(rs.fieldCount() - 1).visible);
  EXPECT_EQ(rs.rowCount(), 12);  // every client has one town
}

TEST_F(ExecuteTest, RecordCountMethods) {
  QueryTable& o = orders();
  const int paid = add(o, "Payée");
  add(o, "Montant");
  ASSERT_TRUE(doc.setCriteria(paid, 6, QStringLiteral("VRAI")));
  ASSERT_TRUE(run());
  const int rows = int(query.resultSet()->rowCount());
  ASSERT_GT(rows, 0);
  ASSERT_LT(rows, 60);
  EXPECT_EQ(recordCount(), rows);

  context.settings.nbRecordMethod = 2;  // a counting statement
  setRecordCount(-5);
  ASSERT_TRUE(run());
  EXPECT_EQ(recordCount(), rows);

  context.settings.nbRecordMethod = 3;  // no method: the count stays
  setRecordCount(77);
  ASSERT_TRUE(run());
  EXPECT_EQ(recordCount(), 77);

  context.settings.showNbRecord = false;
  ASSERT_TRUE(run());
  EXPECT_EQ(recordCount(), -1);
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST_F(ExecuteTest, ParametersAreAskedAndTheCountStatementFailsQuietly) {
  QueryTable& o = orders();
  const int num = add(o, "Numéro de commande");
  ASSERT_TRUE(doc.setCriteria(num, 6, QStringLiteral("> \"[L|Après]\"")));
  context.settings.nbRecordMethod = 2;
  rec->textAnswers.push_back({true, "1049"});
  ASSERT_TRUE(run()) << rec->texts().join("\n").toStdString();
  EXPECT_EQ(query.resultSet()->rowCount(), 10);  // 1050 .. 1059
  EXPECT_EQ(recordCount(), -1);
  EXPECT_TRUE(query.sql().join(" ").contains("> 1049"));
  EXPECT_TRUE(rec->boxes.isEmpty());

  // Cancelling the value leaves no result and no SQL text behind.
  rec->textAnswers.push_back({false, QString()});
  EXPECT_FALSE(run());
  EXPECT_FALSE(query.isOpen());
  EXPECT_EQ(rec->texts().last(), LoadText(52));
}

TEST_F(ExecuteTest, ValidationFailureLeavesThePreviousResult) {
  QueryTable& c = clients();
  const int nom = add(c, "Nom");
  ASSERT_TRUE(run());
  ASSERT_TRUE(doc.setShown(nom, false));
  EXPECT_FALSE(run());
  EXPECT_EQ(rec->texts(), QStringList{LoadText(31)});
  EXPECT_TRUE(query.isOpen());
}

TEST_F(ExecuteTest, EngineErrorsAreShownAndLoggedBesideTheQuery) {
  clearLogs();
  QFile::remove(demoDir + "clients.dbf");
  QueryTable& c = clients();
  add(c, "Nom");
  doc.setFileName(demoDir + "mine.osq");
  doc.setModified(true);
  setRecordCount(33);
  EXPECT_FALSE(run());
  ASSERT_EQ(rec->boxes.size(), 2) << rec->texts().join("\n").toStdString();
  EXPECT_TRUE(rec->boxes[0].text.startsWith(LoadText(107))) << rec->boxes[0].text.toStdString();
  EXPECT_GT(rec->boxes[0].text.size(), LoadText(107).size());
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Error);
  const QString base = QDir(tempDir()).filePath("osq0");
  EXPECT_EQ(rec->boxes[1].text, fillPlaceholders(LoadText(39), {base}));
  EXPECT_EQ(recordCount(), 0);
  EXPECT_FALSE(query.isOpen());

  QFile sql(base + ".SQL");
  ASSERT_TRUE(sql.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(sql.readAll()), query.sql().join('\n') + '\n');
  EXPECT_TRUE(QFile::exists(base + ".osq"));
  EXPECT_EQ(doc.fileName(), demoDir + "mine.osq");
  EXPECT_TRUE(doc.isModified());

  // The next failure takes the next number.
  rec->boxes.clear();
  EXPECT_FALSE(run());
  EXPECT_TRUE(QFile::exists(QDir(tempDir()).filePath("osq1.SQL")));
  EXPECT_TRUE(QFile::exists(QDir(tempDir()).filePath("osq1.osq")));

  // Without "Dump", or without "AllowSave", nothing is logged.
  for (auto off : {&LibrarySettings::dump, &LibrarySettings::allowSave}) {
    context.settings = LibrarySettings();
    context.settings.*off = false;
    rec->boxes.clear();
    EXPECT_FALSE(run());
    EXPECT_EQ(rec->boxes.size(), 1);
    EXPECT_FALSE(QFile::exists(QDir(tempDir()).filePath("osq2.SQL")));
  }
  context.settings = LibrarySettings();
  context.settings.showNbRecord = false;
  EXPECT_FALSE(run());
  EXPECT_EQ(recordCount(), -1);
}

TEST_F(ExecuteTest, UnsupportedComparisonsHaveTheirOwnMessage) {
  clearLogs();
  // A binary field cannot be compared with a value.
  const QList<engine::FieldDesc> fields = {{"ID", FieldType::ftInteger, 0, 0}, {"DATA", FieldType::ftBlob, 10, 0}};
  auto writer = engine::createTableFile(demoDir + "blobs.db", fields);
  writer->appendRecord({qint64(1), QByteArray("abc")});
  writer->close();
  QueryTable& b = doc.addTable(demoTable("Blobs", "blobs.db",
                                         {{"Id", "ID", FieldType::ftInteger, 0}, {"Data", "DATA", FieldType::ftBlob, 10}}));
  add(b, "Id");
  const int data = add(b, "Data");
  ASSERT_TRUE(doc.setCriteria(data, 6, QStringLiteral("\"x\"")));
  EXPECT_FALSE(run());
  ASSERT_EQ(rec->texts(), QStringList{LoadText(36)});
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Information);
  EXPECT_FALSE(QFile::exists(QDir(tempDir()).filePath("osq0.SQL")));
}

TEST_F(ExecuteTest, ReplacingTheResultTellsItsViewers) {
  QueryTable& c = clients();
  add(c, "Nom");
  ASSERT_TRUE(run());
  int told = 0;
  QObject::connect(&query, &ExecutedQuery::aboutToClose, [&] { ++told; });
  ASSERT_TRUE(run());
  EXPECT_EQ(told, 1);
  query.clear();
  EXPECT_EQ(told, 2);
  EXPECT_TRUE(query.sql().isEmpty());
  EXPECT_EQ(query.objectName(), "QueryOSQ");
}

TEST(FailureLogTest, NumbersAndAnUnusableDirectory) {
  frenchLibrary();
  ::korvi::testing::ScopedRecorder rec;
  QTemporaryDir dir;
  const QString logs = dir.filePath("logs");
  ASSERT_TRUE(QDir().mkpath(logs));
  EXPECT_EQ(firstFreeLogNumber(logs), 0);
  for (const char* name : {"osq0.SQL", "osq1.SQL", "osq3.SQL"}) QFile(QDir(logs).filePath(name)).open(QIODevice::WriteOnly);
  EXPECT_EQ(firstFreeLogNumber(logs), 2);

  // A directory that is a file: message 38 names it in place of the Windows one.
  const QString blocked = dir.filePath("blocked");
  QFile(blocked).open(QIODevice::WriteOnly);
  const QByteArray saved = qgetenv("KORVI_TEMP");
  qputenv("KORVI_TEMP", QFile::encodeName(blocked));
  QueryDocument doc;
  RunContext context;
  context.document = &doc;
  context.settings = LibrarySettings();
  EXPECT_EQ(LogFailedQuery(context, {"SELECT 1"}), QString());
  qputenv("KORVI_TEMP", saved);
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Error);
  EXPECT_EQ(rec->boxes[0].text, "Impossible d'accéder au répertoire " + blocked + " pour loguer l'erreur.");
}

}  // namespace
}  // namespace korvi::sql::testing
