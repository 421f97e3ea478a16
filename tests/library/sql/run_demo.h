#pragma once
// Shared set-up of the tests that run queries: the demo sales database written into a
// temporary directory, its model, and query tables of its files with the model's friendly
// names, ready to be put on a grid.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "common/ini/modelfile.h"
#include "common/text/formats.h"
#include "common/text/settings.h"
#include "common/text/strings.h"
#include "library/designer/querydocument.h"
#include "library/sql/execute.h"
#include "support/recordingmessages.h"
#include "tools/mkdemo/demodata.h"

namespace korvi::sql::testing {

using designer::Operation;
using designer::QueryDocument;
using designer::QueryField;
using designer::QueryTable;
using designer::SortOrder;
using engine::FieldType;

// The library's French texts and formats, with the settings' defaults.
inline void frenchLibrary() {
  ASSERT_TRUE(installStringTable(QStringLiteral(":/strings/library.txt")));
  setLanguage(1);
  startFormats();
}

// Installed before the fixture's document and context read any text.
struct FrenchLibraryTexts {
  FrenchLibraryTexts() {
    installStringTable(QStringLiteral(":/strings/library.txt"));
    setLanguage(1);
    startFormats();
  }
};

class DemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frenchLibrary();
    ASSERT_TRUE(dir.isValid());
    demoDir = dir.path() + QLatin1Char('/');
    korvi::demo::writeDemo({dir.path(), 60});
    model = std::make_unique<ModelFile>(demoDir + QStringLiteral("ventes.mdl"));
    context.document = &doc;
    context.model = model.get();
    context.settings = LibrarySettings();
    context.words = SqlWords::current();
    context.osq.temporaryDirectory = dir.path();
    setRecordCount(0);
  }

  QueryTable demoTable(const QString& longName, const QString& file, const QList<QueryField>& fields) {
    QueryTable t;
    t.longName = longName;
    t.tableName = file;
    t.location = demoDir;
    t.fields = fields;
    return t;
  }
  QueryTable& clients() {
    return doc.addTable(demoTable(QStringLiteral("Clients"), QStringLiteral("clients.dbf"),
                                  {{QStringLiteral("Numéro client"), QStringLiteral("NUMCLI"), FieldType::ftInteger, 0},
                                   {QStringLiteral("Nom"), QStringLiteral("NOM"), FieldType::ftString, 30},
                                   {QStringLiteral("Prénom"), QStringLiteral("PRENOM"), FieldType::ftString, 20},
                                   {QStringLiteral("Code ville"), QStringLiteral("VILLE"), FieldType::ftInteger, 0},
                                   {QStringLiteral("Client depuis"), QStringLiteral("DATECREA"), FieldType::ftDate, 0},
                                   {QStringLiteral("Actif"), QStringLiteral("ACTIF"), FieldType::ftBoolean, 0},
                                   {QStringLiteral("Notes"), QStringLiteral("NOTES"), FieldType::ftMemo, 10}}));
  }
  QueryTable& orders() {
    return doc.addTable(demoTable(QStringLiteral("Commandes"), QStringLiteral("commande.dbf"),
                                  {{QStringLiteral("Numéro de commande"), QStringLiteral("NUMCDE"), FieldType::ftInteger, 0},
                                   {QStringLiteral("Numéro client"), QStringLiteral("NUMCLI"), FieldType::ftInteger, 0},
                                   {QStringLiteral("Date de commande"), QStringLiteral("DATECDE"), FieldType::ftDate, 0},
                                   {QStringLiteral("Payée"), QStringLiteral("PAYEE"), FieldType::ftBoolean, 0},
                                   {QStringLiteral("Montant"), QStringLiteral("MONTANT"), FieldType::ftFloat, 0}}));
  }
  QueryTable& towns() {
    return doc.addTable(demoTable(QStringLiteral("Villes"), QStringLiteral("villes.db"),
                                  {{QStringLiteral("Code ville"), QStringLiteral("CODEVILLE"), FieldType::ftInteger, 0},
                                   {QStringLiteral("Ville"), QStringLiteral("NOMVILLE"), FieldType::ftString, 30},
                                   {QStringLiteral("Code postal"), QStringLiteral("CODEPOST"), FieldType::ftString, 5}}));
  }

  int add(const QueryTable& t, const QString& displayName) {
    const int c = doc.appendField(t, displayName, true);
    EXPECT_GT(c, 0) << displayName.toStdString();
    return c;
  }

  bool run() { return ExecuteQuery(context, query); }

  FrenchLibraryTexts texts;
  ::korvi::testing::ScopedRecorder rec;
  QTemporaryDir dir;
  QString demoDir;
  std::unique_ptr<ModelFile> model;
  QueryDocument doc;
  RunContext context;
  ExecutedQuery query;
};

}  // namespace korvi::sql::testing
