// A model made with the model editor's own operations opens in the designer with the same
// tables, friendly names and links: the two programs share nothing but the file.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "common/engine/engine.h"
#include "common/engine/tablefiles.h"
#include "common/ini/modelfile.h"
#include "common/text/strings.h"
#include "editor/uchamps.h"
#include "editor/uglobal.h"
#include "editor/ulier.h"
#include "editor/utables.h"
#include "library/designer/querydocument.h"
#include "library/designer/tableload.h"
#include "library/sql/buildsql.h"
#include "support/recordingmessages.h"

namespace korvi {
namespace {

using engine::FieldDesc;
using engine::FieldType;

void makeTable(const QString& path, const QList<FieldDesc>& fields) {
  auto writer = engine::createTableFile(path, fields);
  writer->close();
}

TEST(RelmapToDesigner, TablesNamesAndLinksSurviveTheFile) {
  QTemporaryDir dir;
  const QString d = dir.path() + "/";
  makeTable(d + "clients.dbf", {{"CODE", FieldType::ftInteger, 0, 0}, {"NOM", FieldType::ftString, 30, 0}});
  makeTable(d + "commande.db", {{"NUM", FieldType::ftInteger, 0, 0}, {"CLIENT", FieldType::ftInteger, 0, 0},
                                {"MONTANT", FieldType::ftCurrency, 0, 0}});
  const QString modelPath = d + "ventes.mdl";

  // The editor: two tables named, their fields named by position, one link.
  {
    installStringTable(QStringLiteral(":/strings/editor.txt"));
    setLanguage(1);
    testing::ScopedRecorder rec;
    relmap::Session& s = relmap::session();
    s = relmap::Session{};
    s.ProgramDir = dir.path();
    s.ModelDir = dir.path();
    s.ModelName = QStringLiteral("ventes.mdl");
    s.ModelPath = modelPath;
    s.bindModel(modelPath);

    relmap::TableNaming grid;
    grid.load();
    rec->textAnswers.push_back({true, QString::fromUtf8("Clients")});
    grid.addFromDirectoryPath(d + "clients.dbf");
    rec->textAnswers.push_back({true, QString::fromUtf8("Commandes passées")});
    grid.addFromDirectoryPath(d + "commande.db");
    grid.storeNewTables();

    relmap::FieldNaming clients;
    clients.load("Clients");
    clients.row(1).friendly = QString::fromUtf8("Numéro");
    clients.row(2).friendly = "Nom du client";
    clients.store();
    relmap::FieldNaming orders;
    orders.load(QString::fromUtf8("Commandes passées"));
    orders.row(1).friendly = QString::fromUtf8("N° commande");
    orders.row(3).friendly = "Montant";  // field 2 stays without a name
    orders.store();

    relmap::LinkEditor links;
    links.chooseMaster("Clients");
    links.chooseSlave(QString::fromUtf8("Commandes passées"));
    links.selectSlaveField(1);   // CLIENT
    links.selectMasterField(0);  // CODE
    ASSERT_TRUE(links.addEnabled);
    links.add();
    s = relmap::Session{};
    ASSERT_TRUE(CompactModelFile(modelPath));
  }

  // The designer: what its add dialog offers, what its table windows list, how it joins.
  installStringTable(QStringLiteral(":/strings/library.txt"));
  testing::ScopedRecorder rec;
  ModelFile model(modelPath);
  const auto offered = designer::offeredTables(model, {});
  ASSERT_EQ(offered.size(), 2);
  EXPECT_EQ(offered[0].longName, "Clients");
  EXPECT_EQ(offered[1].longName, QString::fromUtf8("Commandes passées"));
  EXPECT_EQ(offered[1].tableFile, "commande.db");

  engine::Engine eng(dir.filePath("aliases.ini"), dir.filePath("private"));
  designer::QueryDocument doc;
  QList<const designer::QueryTable*> tables;
  for (const auto& o : offered) {
    designer::QueryTable t;
    t.longName = o.longName;
    t.location = o.location;
    t.tableName = o.tableFile;
    const auto read = designer::readTableFields(t, model, eng);
    ASSERT_TRUE(read.opened) << read.error.toStdString();
    tables << &doc.addTable(t);
  }
  ASSERT_EQ(tables[0]->fields.size(), 2);
  EXPECT_EQ(tables[0]->fields[1].displayName, "Nom du client");
  EXPECT_EQ(tables[0]->fields[1].physicalName, "NOM");
  ASSERT_EQ(tables[1]->fields.size(), 2);
  EXPECT_EQ(tables[1]->fields[1].displayName, "Montant");
  EXPECT_EQ(tables[1]->fields[1].physicalName, "MONTANT");

  doc.appendField(*tables[0], "Nom du client", false);
  doc.appendField(*tables[1], "Montant", false);
  const QString sql = sql::CurrentSqlLines(doc, model).join('\n');
  EXPECT_TRUE(sql.contains("T2.\"CLIENT\" = T1.\"CODE\"") || sql.contains("T1.\"CODE\" = T2.\"CLIENT\"")) << qPrintable(sql);
  EXPECT_TRUE(rec->boxes.isEmpty());
  // And the statement runs.
  auto rs = eng.ExecuteSelect(sql);
  EXPECT_EQ(rs->rowCount(), 0);
}

}  // namespace
}  // namespace korvi
