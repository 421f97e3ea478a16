#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "common/ini/modelfile.h"
#include "common/text/strings.h"
#include "support/recordingmessages.h"
#include "support/testfiles.h"

using korvi::CompactModelFile;
using korvi::ModelFile;
using korvi::ModelSide;
using korvi::testing::ScopedRecorder;

namespace {

using korvi::testing::readAll;
using korvi::testing::writeAll;

class ModelFileTest : public ::testing::Test {
 protected:
  void SetUp() override { korvi::installStringTable(QStringLiteral(":/strings/library.txt")); }
  QTemporaryDir dir;
  QString path() const { return dir.filePath(QStringLiteral("ventes.mdl")); }
};

TEST_F(ModelFileTest, MissingModelBehavesAsEmpty) {
  ModelFile model(path());
  EXPECT_EQ(model.NextTableNumber(), "1");
  EXPECT_TRUE(model.tables().isEmpty());
  EXPECT_EQ(model.TableNumberOf("clients.db", ModelSide::Library), "");
  EXPECT_EQ(model.TableFileOf("Clients"), "");
  EXPECT_TRUE(CompactModelFile(path()));
  EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(ModelFileTest, NextTableNumberReusesTheLowestFreeNumber) {
  writeAll(path(), "[Tables]\r\nA=c:\\d\\,a.db,3\r\nB=c:\\d\\,b.db,1\r\nGone=\r\nC=:V:,c.db,x\r\nD=c:\\d\\,d.db,4\r\n");
  ModelFile model(path());
  EXPECT_EQ(model.NextTableNumber(), "2");
  model.ini().writeString("Tables", "E", "c:\\d\\,e.db,2");
  EXPECT_EQ(model.NextTableNumber(), "5");
}

TEST_F(ModelFileTest, TableNumberOfTakesTheFirstMatchCaseInsensitively) {
  writeAll(path(), "[Tables]\r\nClients=c:\\d\\,CLIENTS.DB,4\r\nAutres=c:\\e\\,clients.db,7\r\n");
  ModelFile model(path());
  EXPECT_EQ(model.TableNumberOf("clients.db", ModelSide::Editor), "4");
  EXPECT_EQ(model.TableNumberOf("Clients.Db", ModelSide::Library), "4");
  EXPECT_EQ(model.TableNumberOf("other.db", ModelSide::Library), "");
}

TEST_F(ModelFileTest, SidesStopDifferentlyOnValuesWithoutCommas) {
  writeAll(path(), "[Tables]\r\nBroken=nocomma\r\nClients=c:\\d\\,clients.db,4\r\nHalf=c:\\d\\,half.db\r\nLast=c:\\d\\,last.db,9\r\n");
  ModelFile model(path());
  EXPECT_EQ(model.TableNumberOf("clients.db", ModelSide::Editor), "4");  // skips the broken value
  EXPECT_EQ(model.TableNumberOf("clients.db", ModelSide::Library), "");  // stops at it
  EXPECT_EQ(model.TableNumberOf("last.db", ModelSide::Editor), "");      // stops at one comma
  // The table list never shifts one entry's parts onto another.
  const auto tables = model.tables();
  ASSERT_EQ(tables.size(), 4);
  EXPECT_FALSE(tables[0].complete);
  EXPECT_EQ(tables[1].tableFile, "clients.db");
  EXPECT_EQ(tables[3].location, "c:\\d\\");
  EXPECT_EQ(tables[3].number, "9");
}

TEST_F(ModelFileTest, InvalidNumbersAreReportedWithEachSidesWording) {
  writeAll(path(), "[Tables]\r\nClients=c:\\d\\,clients.db,abc\r\n");
  ModelFile model(path());
  ScopedRecorder rec;
  EXPECT_EQ(model.TableNumberOf("clients.db", ModelSide::Editor), "");
  EXPECT_EQ(model.TableNumberOf("clients.db", ModelSide::Library), "");
  ASSERT_EQ(rec->boxes.size(), 2);
  EXPECT_EQ(rec->boxes[0].text, QString::fromUtf8("Le numéro de la table clients.db dans le fichier .MDL est incorrect."));
  EXPECT_EQ(rec->boxes[0].kind, korvi::MsgKind::Information);
  EXPECT_EQ(rec->boxes[0].buttons, korvi::mbOK);
  EXPECT_TRUE(rec->boxes[1].text.contains("clients.db"));
}

TEST_F(ModelFileTest, LocationsByAliasOrDirectory) {
  writeAll(path(), "[Tables]\r\nClients=c:\\donnees\\,clients.db,1\r\nCommandes=:VENTES:,COMMANDE.DB,2\r\n"
                   "Trailing=VENTES:,x.db,3\r\nRien=,y.db,4\r\n");
  ModelFile model(path());
  ScopedRecorder rec;
  EXPECT_EQ(model.TableLocationOf("clients", ModelSide::Editor), "c:\\donnees\\");
  EXPECT_EQ(model.TableLocationOf("Commandes", ModelSide::Editor), "VENTES");
  EXPECT_EQ(model.TableLocationOf("Commandes", ModelSide::Library), "VENTES");
  EXPECT_EQ(model.TableLocationOf("Trailing", ModelSide::Editor), "VENTES:");
  EXPECT_EQ(model.TableLocationOf("Trailing", ModelSide::Library), "ENTES");  // first and last character go
  EXPECT_TRUE(rec->boxes.isEmpty());
  EXPECT_EQ(model.TableLocationOf("Rien", ModelSide::Editor), "");
  EXPECT_EQ(model.TableLocationOf("Absent", ModelSide::Library), "");
  ASSERT_EQ(rec->boxes.size(), 1);  // only the editor complains
  EXPECT_EQ(rec->boxes[0].text, QString::fromUtf8("Erreur interne : Alias de la table \"Rien\" non trouvé."));
  EXPECT_EQ(model.TableFileOf("COMMANDES"), "COMMANDE.DB");
}

TEST_F(ModelFileTest, FieldNamesAndLinksAsStored) {
  writeAll(path(), "[Tables]\r\nLignes=c:\\d\\,lignes.db,3\r\n[3]\r\n1=Numéro\r\n4=Quantité\r\nx=ignored\r\n"
                   "[3L]\r\nN=2\r\n[3L1]\r\nT=commande.db\r\nS=NUMCDE\r\nD=NUMERO\r\n[3L2]\r\nT=produit.db\r\nS=REF\r\n");
  ModelFile model(path());
  const auto fields = model.fieldNames("3");
  ASSERT_EQ(fields.size(), 2);
  EXPECT_EQ(fields[1].first, 4);
  EXPECT_EQ(fields[1].second, QString::fromUtf8("Quantité"));
  const auto links = model.links("3");
  ASSERT_EQ(links.size(), 2);
  EXPECT_TRUE(links[0].isComplete());
  EXPECT_EQ(links[0].masterField, "NUMERO");
  EXPECT_FALSE(links[1].isComplete());
  EXPECT_TRUE(model.links("").isEmpty());
}

TEST_F(ModelFileTest, CompactionRemovesEmptyKeysOnly) {
  const QByteArray before =
      "; model\r\n[Tables]\r\nClients=\r\nA=c:\\d\\,a.db,1\r\n=\r\n\r\nkept line\r\na=b=\r\n[2]\r\n1=\r\n[3]\r\n1=Nom";
  writeAll(path(), before);
  EXPECT_TRUE(CompactModelFile(path()));
  EXPECT_EQ(readAll(path()), QByteArray("; model\r\n[Tables]\r\nA=c:\\d\\,a.db,1\r\n\r\nkept line\r\na=b=\r\n[2]\r\n[3]\r\n1=Nom"));
  EXPECT_FALSE(QFile::exists(dir.filePath("ventes$$$")));
}

TEST_F(ModelFileTest, CompactionTempNames) {
  EXPECT_EQ(korvi::compactionTempPath("/m/defaut.mdl"), "/m/defaut$$$");
  EXPECT_EQ(korvi::compactionTempPath("/m.d/defaut"), "/m.d/defaut$$$");
}

TEST_F(ModelFileTest, FailedCompactionKeepsTheModelAndSaysSo) {
  korvi::installStringTable(QStringLiteral(":/strings/editor.txt"));
  writeAll(path(), "[Tables]\r\nA=\r\n");
  QFile::setPermissions(path(), QFileDevice::ReadOwner);
  ScopedRecorder rec;
  EXPECT_FALSE(CompactModelFile(path()));
  EXPECT_EQ(readAll(path()), QByteArray("[Tables]\r\nA=\r\n"));
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_TRUE(rec->boxes[0].text.startsWith('"'));
  EXPECT_TRUE(rec->boxes[0].text.contains("compression"));
}

// The editor's operations on a real file: store, delete, reuse, rename.
TEST_F(ModelFileTest, DeletedTableNumberIsReusedWithEmptySections) {
  ModelFile model(path());
  auto& ini = model.ini();
  for (const char* t : {"a", "b", "c"})
    ini.writeString("Tables", t, QStringLiteral("c:\\d\\,%1.db,%2").arg(t, model.NextTableNumber()));
  ini.writeString("2", "1", "Champ");
  ini.writeInteger("2L", "N", 1);
  ini.writeString("2L1", "T", "a.db");
  const QString n = model.TableNumberOf("b.db", ModelSide::Editor);
  ASSERT_EQ(n, "2");
  for (int k = 1; k <= ini.readInteger(n + "L", "N", 0); ++k) ini.eraseSection(n + "L" + QString::number(k));
  ini.eraseSection(n + "L");
  ini.eraseSection(n);
  ini.writeString("Tables", "b", "");
  ASSERT_TRUE(CompactModelFile(path()));
  EXPECT_EQ(model.NextTableNumber(), "2");
  EXPECT_TRUE(model.fieldNames("2").isEmpty());
  EXPECT_TRUE(model.links("2").isEmpty());
  EXPECT_FALSE(readAll(path()).contains("b="));
}

}  // namespace
