#include "library/designer/osqfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/ini/inifile.h"
#include "designerfixture.h"
#include "library/designer/reportsettings.h"
#include "support/testfiles.h"

namespace korvi::designer::testing {
namespace {

using korvi::testing::readAll;
using korvi::testing::writeAll;

class OsqFileTest : public DesignerTest {
 protected:
  void SetUp() override {
    DesignerTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath(QStringLiteral("tmp"));
    modelPath = dir.filePath(QStringLiteral("Demo.MDL"));
    writeAll(modelPath, "[Tables]\nClients=/data/,CLIENTS.DB,1\nCommandes=/data/,commandes.db,2\n");
    context.modelPath = modelPath;
    context.languageCode = QStringLiteral("FR");
    context.temporaryDirectory = dir.filePath(QStringLiteral("tmp"));
    context.allowSave = true;
    // Stands in for the table windows: records each request and adds the table.
    context.openTable = [this](QueryDocument& d, const QueryTable& request) -> QueryTable* {
      opened << request;
      if (refuse.contains(request.longName)) return nullptr;
      QueryTable t = makeTable(request.longName, request.tableName);
      t.location = request.location;
      t.rect = request.rect;
      return &d.addTable(t);
    };
  }

  QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }

  // Two tables and three columns, one criteria line holding commas, one custom width.
  void buildQuery() {
    QueryTable clients = makeTable("Clients", "CLIENTS.DB");
    clients.rect = QRect(0, 0, 140, 170);
    QueryTable orders = makeTable("Commandes", "commandes.db");
    orders.location = QStringLiteral(":DEMO:");
    orders.rect = QRect(200, 30, 0, 0);
    const QueryTable& c = doc.addTable(clients);
    const QueryTable& o = doc.addTable(orders);
    ASSERT_EQ(doc.appendField(c, QStringLiteral("Nom"), false), 1);
    ASSERT_EQ(doc.appendField(o, QStringLiteral("Montant"), false), 2);
    ASSERT_EQ(doc.appendField(c, QStringLiteral("Jour"), false), 3);
    ASSERT_TRUE(doc.setCriteria(1, 6, QStringLiteral("COMMENCEPAR a,b,c")));
    ASSERT_TRUE(doc.setCriteria(1, 7, QStringLiteral("FINIPAR x ")));
    ASSERT_TRUE(doc.setSort(2, SortOrder::Descending));
    ASSERT_TRUE(doc.setCriteria(3, 14, QStringLiteral(">01/01/2020")));
    doc.setColumnWidth(2, 123);
  }

  QTemporaryDir dir;
  QString modelPath;
  OsqContext context;
  QList<QueryTable> opened;
  QStringList refuse;
  QueryDocument loaded{measure};
};

TEST_F(OsqFileTest, SaveThenLoadKeepsEveryCellWidthTableAndState) {
  buildQuery();
  const QString file = path("q1.osq");
  ASSERT_TRUE(Save(doc, file, context));
  EXPECT_EQ(doc.fileName(), file);
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(doc.caption(), QStringLiteral("Korvi Selectra - q1.osq"));

  const QString text = QString::fromUtf8(readAll(file));
  // Sections and keys in the order the format gives them; a window at 0, 0 is kept at 1, 1.
  const QStringList order{"[General]", "NombreTables=2", "NombreColonnes=5", "Modele=demo.mdl", "Language=FR",
                          "[Table1]", "NomTable=CLIENTS.DB", "CheminTable=/data/", "NomLong=Clients",
                          "X=1", "Y=1", "L=140", "H=170", "[Table2]", "[Cellules]",
                          "1=1,1,Nom", "2=1,2,Clients", "[Largeurs]", "[Report]", "RptStyle=Tabular"};
  qsizetype at = 0;
  for (const QString& piece : order) {
    const qsizetype found = text.indexOf(piece, at);
    EXPECT_GE(found, 0) << piece.toStdString() << " missing or out of order in\n" << text.toStdString();
    if (found >= 0) at = found;
  }
  EXPECT_TRUE(text.contains(QStringLiteral("=1,6,COMMENCEPAR a,b,c")));
  EXPECT_TRUE(text.contains(QStringLiteral("=\"1,7,FINIPAR x \"")));  // trailing space protected

  ASSERT_TRUE(Load(loaded, file, context));
  EXPECT_TRUE(rec->boxes.isEmpty()) << rec->texts().join('|').toStdString();
  ASSERT_EQ(loaded.columnCount(), doc.columnCount());
  for (int c = 1; c < doc.columnCount(); ++c) {
    EXPECT_EQ(loaded.columnWidth(c), doc.columnWidth(c)) << "column " << c;
    for (int r = 1; r < QueryDocument::kRowCount; ++r)
      EXPECT_EQ(loaded.cell(c, r), doc.cell(c, r)) << "cell " << c << "," << r;
  }
  ASSERT_EQ(opened.size(), 2);
  EXPECT_EQ(opened[0].rect, QRect(1, 1, 140, 170));
  EXPECT_EQ(opened[1].rect, QRect(200, 30, 0, 0));
  EXPECT_EQ(loaded.longNames(), QStringList({"Clients", "Commandes"}));
  EXPECT_EQ(loaded.tableNames(), QStringList({"CLIENTS.DB", "commandes.db"}));
  EXPECT_EQ(loaded.locations(), QStringList({"/data/", ":DEMO:"}));
  EXPECT_EQ(loaded.tableByNumber(2)->longName, QStringLiteral("Commandes"));
  EXPECT_EQ(loaded.fileName(), file);
  EXPECT_FALSE(loaded.isModified());
  EXPECT_EQ(loaded.caption(), QStringLiteral("Korvi Selectra - q1.osq"));
  EXPECT_TRUE(loaded.toolbarState(true).save);
}

TEST_F(OsqFileTest, SavingOverAnOlderFileRemovesStaleTablesAndKeepsModele) {
  const QString file = path("old.osq");
  QByteArray old = "[General]\nModele=autre.mdl\nNombreTables=5\n[Perso]\nGarde=oui\n[Cellules]\n99=9,9,vieux\n";
  for (int n = 1; n <= 5; ++n) old += "[Table" + QByteArray::number(n) + "]\nNomTable=T" + QByteArray::number(n) + ".DB\n";
  writeAll(file, old);
  doc.addTable(makeTable("A", "A.DB"));
  doc.addTable(makeTable("B", "B.DB"));
  doc.addTable(makeTable("C", "C.DB"));
  ASSERT_TRUE(Save(doc, file, context));

  const IniFile ini(file);
  EXPECT_EQ(ini.readString("General", "Modele"), QStringLiteral("autre.mdl"));
  EXPECT_EQ(ini.readInteger("General", "NombreTables", 0), 3);
  EXPECT_EQ(ini.readString("Table3", "NomTable"), QStringLiteral("C.DB"));
  EXPECT_FALSE(ini.sectionExists("Table4"));
  EXPECT_FALSE(ini.sectionExists("Table5"));
  EXPECT_EQ(ini.readString("Perso", "Garde"), QStringLiteral("oui"));
  EXPECT_FALSE(ini.keyExists("Cellules", "99"));
  EXPECT_TRUE(QDir(dir.path()).entryList({".old.osq*"}, QDir::Hidden | QDir::Files).isEmpty());
}

TEST_F(OsqFileTest, ReportSettingsComeFromTheScratchFileOnlyForAnUnnamedQuery) {
  buildQuery();
  const QString scratch = scratchQueryFile(context.temporaryDirectory);
  ReportSettings scratchSettings;
  scratchSettings.setValue("RptStyle", "Form");
  scratchSettings.setValue("TitleText", "  Ventes \"2024\"  ");
  storeReportSettings(scratchSettings, QString(), context.temporaryDirectory);
  IniFile(scratch).writeString("Report", "LeftMargin", "");  // no value: the default is copied

  const QString first = path("first.osq");
  ASSERT_TRUE(Save(doc, first, context));
  ReportSettings expected = scratchSettings;
  expected.setValue("LeftMargin", "1.27");
  EXPECT_EQ(loadReportSettings(first, context.temporaryDirectory), expected);
  EXPECT_EQ(IniFile(first).readString("Report", "TitleText"), QStringLiteral("  Ventes \"2024\"  "));

  // Now named: its own settings stay, whatever the scratch file says.
  ReportSettings own = expected;
  own.setValue("Orientation", "Landscape");
  storeReportSettings(own, first, context.temporaryDirectory);
  scratchSettings.setValue("RptStyle", "Tabular");
  storeReportSettings(scratchSettings, QString(), context.temporaryDirectory);
  ASSERT_TRUE(Save(doc, first, context));
  EXPECT_EQ(loadReportSettings(first, context.temporaryDirectory), own);

  // Saved under another name, the query takes its settings along.
  const QString second = path("second.osq");
  ASSERT_TRUE(Save(doc, second, context));
  EXPECT_EQ(loadReportSettings(second, context.temporaryDirectory), own);
  EXPECT_EQ(doc.fileName(), second);

  EXPECT_TRUE(removeScratchQueryFile(context.temporaryDirectory));
  EXPECT_FALSE(QFile::exists(scratch));
  EXPECT_EQ(loadReportSettings(QString(), context.temporaryDirectory), ReportSettings());
}

TEST(ReportFontStyleTest, OnlySevenCombinationsHaveAText) {
  EXPECT_EQ(fontStyleText({true, true, false, false}), QStringLiteral(",Bold, Italic"));
  EXPECT_EQ(fontStyleText({false, false, false, true}), QStringLiteral(",StrikeOut"));
  EXPECT_EQ(fontStyleText({true, true, true, false}), QString());
  EXPECT_EQ(parseFontStyle(",Italic, Underline"), (ReportFontStyle{false, true, true, false}));
  EXPECT_EQ(parseFontStyle(",Bold,Italic"), ReportFontStyle());
}

TEST_F(OsqFileTest, SaveDialogAndTheAllowSaveSwitch) {
  buildQuery();
  context.allowSave = false;
  EXPECT_FALSE(Save(doc, path("no.osq"), context));
  EXPECT_FALSE(Save(doc, QString(), context));
  EXPECT_FALSE(QFile::exists(path("no.osq")));
  EXPECT_TRUE(rec->fileRequests.isEmpty());
  EXPECT_TRUE(doc.isModified());

  context.allowSave = true;
  rec->fileAnswers = {QString(), path("chosen.osq")};
  EXPECT_FALSE(Save(doc, QString(), context));  // cancelled
  ASSERT_EQ(rec->fileRequests.size(), 1);
  EXPECT_TRUE(rec->fileRequests[0].save);
  EXPECT_EQ(rec->fileRequests[0].caption, LoadText(186));
  EXPECT_EQ(rec->fileRequests[0].filter, QStringLiteral("Fichiers OSQ (*.osq *.OSQ)"));
  EXPECT_TRUE(doc.fileName().isEmpty());
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).contains(QStringLiteral("Demo.MDL")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

  ASSERT_TRUE(Save(doc, QString(), context));
  EXPECT_EQ(doc.fileName(), path("chosen.osq"));
  EXPECT_TRUE(QFile::exists(path("chosen.osq")));
}

TEST_F(OsqFileTest, SaveThatCannotWriteFailsLoudlyAndKeepsTheQueryAndTheFile) {
  buildQuery();
  EXPECT_THROW(Save(doc, path("nowhere/q.osq"), context), IniWriteError);
  EXPECT_TRUE(doc.isModified());
  EXPECT_TRUE(doc.fileName().isEmpty());

  const QString locked = path("locked.osq");
  writeAll(locked, "[General]\nNombreTables=0\n");
  QFile::setPermissions(locked, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  EXPECT_THROW(Save(doc, locked, context), IniWriteError);
  EXPECT_EQ(readAll(locked), QByteArray("[General]\nNombreTables=0\n"));
  EXPECT_TRUE(doc.fileName().isEmpty());
}

TEST_F(OsqFileTest, ModelQuestion) {
  const QString file = path("m.osq");
  writeAll(file, "[General]\nNombreTables=0\nNombreColonnes=2\nModele=Autre.mdl\nLanguage=FR\n");
  EXPECT_FALSE(Load(loaded, file, context));  // Escape answers No
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].text, LoadText(84) + "\"demo.mdl\". " + LoadText(81));
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Confirmation);
  EXPECT_TRUE(loaded.fileName().isEmpty());

  rec->answers = {mrYes};
  EXPECT_TRUE(Load(loaded, file, context));
  EXPECT_EQ(loaded.fileName(), file);

  // Only the case of the letters a to z is ignored.
  rec->boxes.clear();
  writeAll(file, "[General]\nModele=DEMO.MDL\nLanguage=FR\n");
  EXPECT_TRUE(Load(loaded, file, context));
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST_F(OsqFileTest, EnglishDesignerAsksBeforeLoadingAFrenchQueryAndKeepsItsWords) {
  buildQuery();
  const QString file = path("fr.osq");
  ASSERT_TRUE(Save(doc, file, context));

  setLanguage(2);
  context.languageCode = QStringLiteral("US");
  EXPECT_FALSE(Load(loaded, file, context));
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].text, stringTable().value(2290) + stringTable().value(2081));
  EXPECT_EQ(loaded.tableCount(), 0);

  rec->answers = {mrYes};
  ASSERT_TRUE(Load(loaded, file, context));
  EXPECT_EQ(loaded.cell(2, gridrow::kSort), QStringLiteral("Décroissant"));
  EXPECT_EQ(loaded.cell(1, gridrow::kShow), QStringLiteral("Afficher"));
}

TEST_F(OsqFileTest, MissingFileAndFileWithoutGeneral) {
  EXPECT_FALSE(Load(loaded, path("absent.osq"), context));
  EXPECT_TRUE(rec->boxes.isEmpty());

  const QString file = path("bare.osq");
  writeAll(file, "[Autre]\nx=1\n");
  rec->answers = {mrYes, mrYes};
  ASSERT_TRUE(Load(loaded, file, context));
  ASSERT_EQ(rec->boxes.size(), 2);  // the model question, then the language question
  EXPECT_TRUE(rec->boxes[0].text.startsWith(LoadText(84)));
  EXPECT_TRUE(rec->boxes[1].text.startsWith(LoadText(290)));
  EXPECT_EQ(loaded.columnCount(), 2);
  EXPECT_TRUE(loaded.isEmpty());
}

TEST_F(OsqFileTest, BadCellsAreSkippedAndNamedInOneMessage) {
  const QString file = path("cells.osq");
  const QByteArray longCriteria(256, 'x');
  const QByteArray longName(300, 'n');
  writeAll(file, "[General]\nModele=demo.mdl\nLanguage=FR\nNombreTables=1\nNombreColonnes=3\n"
                  "[Table1]\nNomTable=CLIENTS.DB\nCheminTable=/data/\nNomLong=Clients\n"
                  "[Cellules]\n1=1,1,Nom\n2=1,2,Clients\n3=x,6,a\n4=0,6,a\n5=5000,6,a\n6=1,0,a\n7=1,15,a\n"
                  "8=1,six,a\n9=sans virgule\n10=1;6,a\n11=1,6," + longCriteria + "\n12=1,7,ok\n"
                  "13=7,1,Jour\n14=7,2,Clients\n15=1,3," + longName + "\n16= 1 , 8 ,espaces\n"
                  "[Largeurs]\nL1=90\nL2=abc\nL7=-5\n");
  ASSERT_TRUE(Load(loaded, file, context));
  EXPECT_EQ(loaded.cell(1, 7), QStringLiteral("ok"));
  EXPECT_EQ(loaded.cell(1, 8), QStringLiteral("espaces"));
  EXPECT_EQ(loaded.cell(1, 6), QString());
  EXPECT_EQ(loaded.cell(1, 3), QString::fromLatin1(longName));  // only criteria lines have the 255 limit
  // The grid grew to hold column 7 and keeps a spare column last.
  EXPECT_EQ(loaded.cell(7, 1), QStringLiteral("Jour"));
  EXPECT_EQ(loaded.columnCount(), 9);
  EXPECT_TRUE(loaded.isColumnEmpty(8));
  EXPECT_EQ(loaded.columnWidth(1), 90);

  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Information);
  const QStringList lines = rec->boxes[0].text.split('\n');
  EXPECT_EQ(lines[0], LoadText(631));
  const QStringList expected{"[Cellules] 3=x,6,a - " + LoadText(633),
                             "[Cellules] 4=0,6,a - " + LoadText(633),
                             "[Cellules] 5=5000,6,a - " + LoadText(633),
                             "[Cellules] 6=1,0,a - " + LoadText(634),
                             "[Cellules] 7=1,15,a - " + LoadText(634),
                             "[Cellules] 8=1,six,a - " + LoadText(634),
                             "[Cellules] 9=sans virgule - " + LoadText(640),
                             "[Cellules] 10=1;6,a - " + LoadText(640),
                             "[Largeurs] L2=abc - " + LoadText(638),
                             "[Largeurs] L7=-5 - " + LoadText(638)};
  for (const QString& line : expected) EXPECT_TRUE(lines.contains(line)) << line.toStdString();
  const auto tooLong = std::find_if(lines.begin(), lines.end(), [](const QString& l) { return l.startsWith("[Cellules] 11=1,6,xxx"); });
  ASSERT_NE(tooLong, lines.end());
  EXPECT_TRUE(tooLong->endsWith(LoadText(635).replace("%d", "255")));
  EXPECT_EQ(lines.size(), 1 + expected.size() + 1);
}

TEST_F(OsqFileTest, TablesThatCannotBeOpenedTakeTheirColumnsAlong) {
  const QString file = path("tables.osq");
  writeAll(file, "[General]\nModele=demo.mdl\nLanguage=FR\nNombreTables=4\nNombreColonnes=4\n"
                  "[Table1]\nNomTable=GONE.DB\nCheminTable=/data/\nNomLong=Disparue\n"
                  "[Table2]\nNomTable=clients.db\nCheminTable=/data/\nNomLong=Clients\n"
                  "[Table3]\nNomTable=COMMANDES.DB\nCheminTable=/data/\n"
                  "[Table4]\nNomTable=COMMANDES.DB\nCheminTable=/data/\nNomLong=Commandes\n"
                  "[Cellules]\n1=1,1,Champ\n2=1,2,Disparue\n3=2,1,Nom\n4=2,2,Clients\n5=3,1,Montant\n6=3,2,Commandes\n"
                  "[Largeurs]\nL1=50\nL2=60\nL3=70\n");
  refuse << QStringLiteral("Commandes");  // the window cannot be opened
  ASSERT_TRUE(Load(loaded, file, context));

  ASSERT_EQ(opened.size(), 2);  // the table missing from the model is never opened
  EXPECT_EQ(loaded.tableCount(), 1);
  EXPECT_EQ(loaded.tableByNumber(1)->longName, QStringLiteral("Clients"));
  EXPECT_EQ(loaded.columnCount(), 3);
  EXPECT_EQ(loaded.cell(1, 1), QStringLiteral("Nom"));
  EXPECT_EQ(loaded.columnWidth(1), 60);  // the width of its position in the file
  EXPECT_TRUE(loaded.isColumnEmpty(2));

  ASSERT_EQ(rec->boxes.size(), 1);
  const QString text = rec->boxes[0].text;
  EXPECT_TRUE(text.contains("[Table1] NomTable=GONE.DB - " + LoadText(636)));
  EXPECT_TRUE(text.contains("[Table3] - " + LoadText(637)));
  EXPECT_TRUE(text.contains("[Table4] NomTable=COMMANDES.DB - " + LoadText(636)));
  EXPECT_TRUE(text.contains("[Cellules] 1=Disparue.Champ - " + LoadText(641)));
  EXPECT_TRUE(text.contains("[Cellules] 3=Commandes.Montant - " + LoadText(641)));
}

TEST_F(OsqFileTest, FilesThatAreNoQueryAreRefusedBeforeAnyQuestion) {
  const QString binary = path("image.osq");
  writeAll(binary, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  EXPECT_FALSE(Load(loaded, binary, context));
  const QString text = path("notes.osq");
  writeAll(text, "just some words\nno sections here\n");
  EXPECT_FALSE(Load(loaded, text, context));
  EXPECT_FALSE(Load(loaded, dir.path(), context));
  ASSERT_EQ(rec->boxes.size(), 3);
  EXPECT_EQ(rec->boxes[0].text, LoadText(642) + binary);
  EXPECT_EQ(rec->boxes[1].text, LoadText(642) + text);
  EXPECT_EQ(rec->boxes[2].text, LoadText(643) + dir.path());
  EXPECT_TRUE(loaded.fileName().isEmpty());

  // An empty file is an INI file without [General].
  writeAll(text, "");
  rec->answers = {mrYes, mrYes};
  EXPECT_TRUE(Load(loaded, text, context));
}

TEST_F(OsqFileTest, HugeFileWithAbsurdCountsLoadsWithinTheLimits) {
  const QString file = path("huge.osq");
  QByteArray data = "[General]\nModele=demo.mdl\nLanguage=FR\nNombreTables=999999999\nNombreColonnes=99999999\n[Cellules]\n";
  int key = 0;
  while (data.size() < 10 * 1024 * 1024) {
    ++key;
    data += QByteArray::number(key) + "=" + QByteArray::number(key % 2000 + 1) + ",6,criteria value " +
            QByteArray::number(key) + "\n";
  }
  writeAll(file, data);
  ASSERT_TRUE(Load(loaded, file, context));
  EXPECT_EQ(loaded.columnCount(), osq::kMaxColumnCount);
  EXPECT_EQ(loaded.tableCount(), 0);
  ASSERT_EQ(rec->boxes.size(), 1);
  const QStringList lines = rec->boxes[0].text.split('\n');
  EXPECT_EQ(lines.size(), 1 + osq::kMaxListedEntries + 1);
  EXPECT_TRUE(lines.contains("[General] NombreTables=999999999 - " + LoadText(639)));
  EXPECT_TRUE(lines.last().startsWith("... et "));
}

}  // namespace
}  // namespace korvi::designer::testing
