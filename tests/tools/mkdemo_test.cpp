#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/engine/engine.h"
#include "common/ini/modelfile.h"
#include "tools/mkdemo/demodata.h"

using namespace korvi;

namespace {

// The demo database must open in the designer: every table of its model readable through
// the engine, its friendly fields naming real positions, its links naming real fields.
TEST(DemoDatabase, ModelTablesFieldsAndLinksAreConsistent) {
  QTemporaryDir dir;
  demo::writeDemo({dir.path(), 120});
  ModelFile model(dir.filePath("ventes.mdl"));
  engine::Engine eng(dir.filePath("aliases.ini"), dir.filePath("private"));
  const auto tables = model.tables();
  ASSERT_EQ(tables.size(), 5);
  for (const ModelTableEntry& t : tables) {
    SCOPED_TRACE(t.tableFile.toStdString());
    ASSERT_TRUE(t.complete);
    auto table = eng.OpenTable(ModelFile::databaseNameOf(t.location, ModelSide::Library), t.tableFile);
    const auto fields = table->fields();
    for (const auto& [position, name] : model.fieldNames(t.number)) {
      EXPECT_GE(position, 1);
      EXPECT_LE(position, fields.size());
      EXPECT_FALSE(name.isEmpty());
    }
    for (const ModelLink& link : model.links(t.number)) {
      ASSERT_TRUE(link.isComplete());
      const QString masterNumber = model.TableNumberOf(link.masterFile, ModelSide::Library);
      ASSERT_FALSE(masterNumber.isEmpty());
      auto master = eng.OpenTable(dir.path(), link.masterFile);
      const auto hasField = [](const QList<engine::FieldDesc>& list, const QString& name) {
        for (const auto& f : list)
          if (f.name.compare(name, Qt::CaseInsensitive) == 0) return true;
        return false;
      };
      EXPECT_TRUE(hasField(fields, link.slaveField)) << link.slaveField.toStdString();
      EXPECT_TRUE(hasField(master->fields(), link.masterField)) << link.masterField.toStdString();
    }
  }
}

TEST(DemoDatabase, RowsScaleAndJoinThroughTheEngine) {
  QTemporaryDir dir;
  demo::writeDemo({dir.path(), 300});
  engine::Engine eng(dir.filePath("aliases.ini"), dir.filePath("private"));
  const QString d = dir.path() + "/";
  auto orders = eng.ExecuteSelect("SELECT T1.\"NUMCDE\"\nFROM \"" + d + "commande.dbf\" T1");
  EXPECT_EQ(orders->rowCount(), 300);
  auto joined = eng.ExecuteSelect("SELECT T1.\"NOM\", SUM(T2.\"MONTANT\")\nFROM \"" + d + "clients.dbf\" T1, \"" + d +
                                  "commande.dbf\" T2\nWHERE (T2.\"NUMCLI\" = T1.\"NUMCLI\")\nGROUP BY T1.\"NOM\"");
  EXPECT_GT(joined->rowCount(), 0);
  auto accented = eng.ExecuteSelect("SELECT T1.\"NOMVILLE\"\nFROM \"" + d + "villes.db\" T1\nWHERE (T1.\"NOMVILLE\" LIKE \"Besan%\")");
  ASSERT_EQ(accented->rowCount(), 1);
  EXPECT_EQ(engine::Engine::ReadField(*accented, 0).toString(), QString::fromUtf8("Besançon"));
}

}  // namespace
