// Placement of new table windows, the fields a table window reads, the tables the add
// dialog offers and the geometry of the drawn links; no window involved.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/engine/engine.h"
#include "common/ini/modelfile.h"
#include "common/text/strings.h"
#include "library/designer/tablelinks.h"
#include "library/designer/tableload.h"
#include "support/recordingmessages.h"
#include "tools/mkdemo/demodata.h"

namespace korvi::designer {
namespace {

QRect slot(int left, int top) { return QRect(left, top, tableplace::kDefaultWidth, tableplace::kDefaultHeight); }

TEST(TablePlacement, FreeSlotsRowByRowAndRequestedPlaces) {
  // First window of an empty query, then the second beside it on a wide designer.
  EXPECT_EQ(placeTableWindow(800, {}, QRect()).rect, slot(8, 5));
  EXPECT_EQ(placeTableWindow(328, {slot(8, 5)}, QRect()).rect, slot(164, 5));
  // One pixel narrower leaves room for a single slot a row: the second goes below.
  EXPECT_EQ(placeTableWindow(327, {slot(8, 5)}, QRect()).rect, slot(8, 192));
  // A designer narrower than one slot still has one slot a row.
  EXPECT_EQ(placeTableWindow(50, {slot(8, 5)}, QRect()).rect, slot(8, 192));

  // A window moved over the bottom-left corner of the second slot makes the next one skip it.
  const QRect moved(160, 160, 20, 20);
  EXPECT_EQ(placeTableWindow(800, {slot(8, 5), moved}, QRect()).rect, slot(320, 5));
  // Touching a slot only with its right edge (outside the rectangle) leaves it free.
  const QRect beside(100, 5, 65, 50);  // right edge at 164, the slot's corner is 165
  EXPECT_EQ(placeTableWindow(800, {slot(8, 5), beside}, QRect()).rect, slot(164, 5));

  // A place from a query file is kept; only a size of 0 takes the default.
  EXPECT_EQ(placeTableWindow(800, {slot(8, 5)}, QRect(8, 5, 200, 0)).rect, QRect(8, 5, 200, 167));
  EXPECT_EQ(placeTableWindow(800, {}, QRect(40, 0, 0, 0)).rect, slot(40, 0));
  // Left and top 0 with a size: a free place, the size kept.
  EXPECT_EQ(placeTableWindow(800, {slot(8, 5)}, QRect(0, 0, 90, 80)).rect, QRect(164, 5, 90, 80));
}

TEST(TablePlacement, NoFreePlaceIsReportedAndTheWindowStillGetsOne) {
  const TablePlacement full = placeTableWindow(800, {QRect(0, 0, 100000, 100000)}, QRect());
  EXPECT_TRUE(full.noFreePlace);
  EXPECT_EQ(full.rect, slot(8, 5));
  EXPECT_FALSE(placeTableWindow(800, {}, QRect()).noFreePlace);
}

// A demo database in a temporary directory, with an engine of its own over an alias file.
class TableFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    dir_ = tmp_.filePath(QStringLiteral("donnees")) + QLatin1Char('/');
    demo::Options options;
    options.directory = dir_;
    options.orders = 3;
    demo::writeDemo(options);
    QFile aliases(tmp_.filePath(QStringLiteral("aliases.ini")));
    ASSERT_TRUE(aliases.open(QIODevice::WriteOnly));
    aliases.write(("[VENTES]\nTYPE=STANDARD\nPATH=" + dir_ + "\n").toUtf8());
    aliases.close();
    engine_ = std::make_unique<engine::Engine>(aliases.fileName(), tmp_.filePath(QStringLiteral("private")));
    ASSERT_TRUE(installStringTable(QStringLiteral(":/strings/library.txt")));
    setLanguage(1);
  }

  QString writeModel(const QByteArray& content) {
    const QString path = tmp_.filePath(QStringLiteral("essai.mdl"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    return path;
  }

  static QueryTable table(const QString& file, const QString& location) {
    QueryTable t;
    t.longName = QStringLiteral("Clients");
    t.tableName = file;
    t.location = location;
    return t;
  }

  QTemporaryDir tmp_;
  QString dir_;
  std::unique_ptr<engine::Engine> engine_;
  korvi::testing::ScopedRecorder rec_;
};

TEST_F(TableFieldsTest, FieldsFollowTheModelsKeyOrderAndResolveByPosition) {
  // Fields 3 and 1 in that file order; 9 names no field of the table and 5 has no name.
  const QString model = writeModel(
      "[Tables]\nClients=:VENTES:,CLIENTS.DBF,7\n[7]\n3=Prénom\n1=Numéro\n9=Fantôme\n5=\n");
  QueryTable t = table(QStringLiteral("CLIENTS.DBF"), QStringLiteral(":VENTES:"));
  const TableReadResult r = readTableFields(t, ModelFile(model), *engine_);
  ASSERT_TRUE(r.opened) << r.error.toStdString();
  EXPECT_EQ(r.modelNumber, QStringLiteral("7"));
  EXPECT_EQ(r.modelKeys, (QStringList{"3", "1", "9", "5"}));
  ASSERT_EQ(t.fields.size(), 2);
  EXPECT_EQ(t.fields[0].displayName, QStringLiteral("Prénom"));
  EXPECT_EQ(t.fields[0].physicalName, QStringLiteral("PRENOM"));
  EXPECT_EQ(t.fields[0].type, engine::FieldType::ftString);
  EXPECT_GT(t.fields[0].size, 0);
  EXPECT_EQ(t.fields[1].displayName, QStringLiteral("Numéro"));
  EXPECT_EQ(t.fields[1].physicalName, QStringLiteral("NUMCLI"));
  EXPECT_FALSE(r.serverDatabase);
  EXPECT_TRUE(rec_->boxes.isEmpty());
}

TEST_F(TableFieldsTest, AliasAndDirectoryLocationsOpenTheSameTable) {
  const QString model = writeModel("[Tables]\nClients=:VENTES:,clients.dbf,1\n[1]\n2=Nom\n");
  QueryTable byAlias = table(QStringLiteral("clients.dbf"), QStringLiteral(":VENTES:"));
  EXPECT_EQ(byAlias.databaseName(), QStringLiteral("VENTES"));
  QueryTable byDirectory = table(QStringLiteral("clients.dbf"), dir_);
  EXPECT_EQ(byDirectory.databaseName(), dir_);
  // A Windows-style directory with backslashes names the same place.
  QString windowsDir = dir_;
  windowsDir.replace(QLatin1Char('/'), QLatin1Char('\\'));
  QueryTable byBackslashes = table(QStringLiteral("CLIENTS.DBF"), windowsDir);

  for (QueryTable* t : {&byAlias, &byDirectory, &byBackslashes}) {
    const TableReadResult r = readTableFields(*t, ModelFile(model), *engine_);
    ASSERT_TRUE(r.opened) << r.error.toStdString();
    ASSERT_EQ(t->fields.size(), 1);
    EXPECT_EQ(t->fields[0].physicalName, QStringLiteral("NOM"));
  }
}

TEST_F(TableFieldsTest, FailuresOfTheEngineAndOfTheModel) {
  const QString model = writeModel("[Tables]\nClients=:VENTES:,clients.dbf,x\nAbsente=:VENTES:,absente.dbf,2\n");
  // A missing table: not opened, the engine's text kept, no field.
  QueryTable missing = table(QStringLiteral("absente.dbf"), QStringLiteral(":VENTES:"));
  missing.fields = {{QStringLiteral("old"), QStringLiteral("OLD"), engine::FieldType::ftString, 1}};
  const TableReadResult r1 = readTableFields(missing, ModelFile(model), *engine_);
  EXPECT_FALSE(r1.opened);
  EXPECT_FALSE(r1.error.isEmpty());
  EXPECT_TRUE(missing.fields.isEmpty());
  EXPECT_EQ(tableOpenErrorText(QStringLiteral("boom")), QStringLiteral("Erreur : \"boom\"."));

  // An invalid number in the model: message 265, the table opens without fields.
  QueryTable clients = table(QStringLiteral("clients.dbf"), QStringLiteral(":VENTES:"));
  const TableReadResult r2 = readTableFields(clients, ModelFile(model), *engine_);
  EXPECT_TRUE(r2.opened);
  EXPECT_TRUE(clients.fields.isEmpty());
  ASSERT_EQ(rec_->boxes.size(), 1);
  EXPECT_TRUE(rec_->boxes[0].text.contains(QStringLiteral("clients.dbf")));
}

TEST(OfferedTables, EachEntryKeepsItsOwnLocationAndFile) {
  QTemporaryDir tmp;
  const QString path = tmp.filePath(QStringLiteral("m.mdl"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  // "Cassée" has no comma and "Vide" an empty value: neither can be opened, and neither
  // may shift "Villes" onto another table's file.
  f.write("[Tables]\nClients=:VENTES:,clients.dbf,1\nCassée=rien\nVide=\nVilles=/d/,villes.db,3\n"
          "Sans numero=/d/,produits.db\n");
  f.close();
  const ModelFile model(path);
  EXPECT_EQ(offeredTables(model, {}),
            (QList<OfferedTable>{{"Clients", ":VENTES:", "clients.dbf"},
                                 {"Villes", "/d/", "villes.db"},
                                 {"Sans numero", "/d/", "produits.db"}}));
  // Tables already in the query are not offered again.
  EXPECT_EQ(offeredTables(model, {"Clients", "Sans numero"}),
            (QList<OfferedTable>{{"Villes", "/d/", "villes.db"}}));
  // A model file that does not exist offers nothing.
  EXPECT_TRUE(offeredTables(ModelFile(tmp.filePath(QStringLiteral("absent.mdl"))), {}).isEmpty());
}

class LinkGeometryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }
  ModelFile model(const QByteArray& content) {
    const QString path = tmp_.filePath(QStringLiteral("l.mdl"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    f.close();
    return ModelFile(path);
  }
  QTemporaryDir tmp_;
  korvi::testing::ScopedRecorder rec_;
};

TEST_F(LinkGeometryTest, CentresOfSlaveAndMasterWindows) {
  EXPECT_EQ(windowCentre(QRect(8, 5, 136, 167)), QPoint(76, 88));
  EXPECT_EQ(windowCentre(QRect(-9, -9, 5, 5)), QPoint(-7, -7));  // truncation toward zero

  const ModelFile m = model(
      "[Tables]\nA=/d/,a.db,1\nB=/d/,b.db,2\nC=/d/,c.db,3\n"
      "[1L]\nN=3\n[1L1]\nT=B.DB\nS=X\nD=Y\n[1L2]\nT=c.db\nS=\nD=Y\n[1L3]\nT=z.db\nS=X\nD=Y\n"
      "[3L]\nN=1\n[3L1]\nT=a.db\nS=P\nD=Q\n");
  const LinkedWindow a{1, "a.db", QRect(8, 5, 136, 167)};
  const LinkedWindow b{2, "b.db", QRect(164, 5, 136, 167)};
  const LinkedWindow c{3, "c.db", QRect(8, 192, 100, 100)};
  // A to B (the master named in another case); the incomplete link to C and the link to a
  // table outside the query draw nothing; C's own link to A draws from C.
  EXPECT_EQ(linkLines({c, b, a}, m), (QList<QLine>{QLine(76, 88, 232, 88), QLine(58, 242, 76, 88)}));
  // Only the tables of the query count.
  EXPECT_EQ(linkLines({a, c}, m), (QList<QLine>{QLine(58, 242, 76, 88)}));
  EXPECT_TRUE(linkLines({b}, m).isEmpty());
  // A moved window moves the end of its line.
  const LinkedWindow movedB{2, "b.db", QRect(300, 300, 136, 167)};
  EXPECT_EQ(linkLines({a, movedB}, m), (QList<QLine>{QLine(76, 88, 368, 383)}));
  EXPECT_TRUE(rec_->boxes.isEmpty());
}

TEST_F(LinkGeometryTest, BrokenNumbersDrawNothingAndNeverAsk) {
  // Drawing runs at every repaint: an invalid number must not raise a message each time.
  const ModelFile m = model("[Tables]\nA=/d/,a.db,x\nB=/d/,b.db,2\n[2L]\nN=1\n[2L1]\nT=a.db\nS=X\nD=Y\n");
  EXPECT_EQ(quietTableNumber(m, QStringLiteral("A.DB")), QString());
  EXPECT_EQ(quietTableNumber(m, QStringLiteral("b.db")), QStringLiteral("2"));
  const QList<QLine> lines = linkLines({{1, "a.db", QRect(0, 0, 10, 10)}, {2, "b.db", QRect(20, 0, 10, 10)}}, m);
  EXPECT_EQ(lines, (QList<QLine>{QLine(25, 5, 5, 5)}));
  // The library's scan stops at a value without its commas.
  const ModelFile cut = model("[Tables]\nX=broken\nB=/d/,b.db,2\n");
  EXPECT_EQ(quietTableNumber(cut, QStringLiteral("b.db")), QString());
  EXPECT_TRUE(rec_->boxes.isEmpty());
}

}  // namespace
}  // namespace korvi::designer
