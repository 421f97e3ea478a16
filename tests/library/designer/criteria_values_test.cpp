// The value picker over a real table file, and the way the editor inserts a picked value.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "common/engine/tablefiles.h"
#include "common/text/paths.h"
#include "designerfixture.h"
#include "library/designer/uedit.h"
#include "library/designer/uvaleurs.h"

namespace korvi::designer::testing {
namespace {

using engine::FieldType;
using selq::TFormEdCriteres;
using selq::TFormValeurs;

class CriteriaValuesTest : public DesignerTest {
 protected:
  void SetUp() override {
    DesignerTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    location = dir.path() + QLatin1Char('/');
    writeTable(QStringLiteral("villes.dbf"), {QStringLiteral("Paris"), QStringLiteral("Le Mans"), QStringLiteral("Lyon"),
                                               QStringLiteral("Paris"), QStringLiteral("Lyon")});
    writeTable(QStringLiteral("vide.dbf"), {});
  }

  void writeTable(const QString& file, const QStringList& towns) {
    auto writer = engine::createTableFile(location + file, {{QStringLiteral("VILLE"), FieldType::ftString, 20, 0},
                                                            {QStringLiteral("NUM"), FieldType::ftInteger, 0, 0}});
    int n = 0;
    for (const QString& town : towns) writer->appendRecord({town, qint64(++n)});
    writer->close();
  }

  static QStringList items(const TFormValeurs& picker) {
    QStringList out;
    for (int i = 0; i < picker.list()->count(); ++i) out << picker.list()->item(i)->text();
    return out;
  }

  QTemporaryDir dir;
  QString location;
};

TEST_F(CriteriaValuesTest, ListsTheDistinctValuesOfTheField) {
  EXPECT_EQ(TFormValeurs::statement(location, QStringLiteral("villes.dbf"), QStringLiteral("\"VILLE\"")),
            QStringList({QStringLiteral("SELECT DISTINCT T1.\"VILLE\" FROM "),
                         QLatin1Char('"') + location + QStringLiteral("villes.dbf\" T1")}));
  TFormValeurs picker(location, QStringLiteral("villes.dbf"), QStringLiteral("\"VILLE\""));
  EXPECT_EQ(picker.objectName(), QStringLiteral("TFormValeurs"));
  EXPECT_EQ(picker.windowTitle(), QStringLiteral("Valeurs du champ "));
  ASSERT_TRUE(picker.loadValues());
  QStringList values = items(picker);
  values.sort();
  EXPECT_EQ(values, QStringList({QStringLiteral("Le Mans"), QStringLiteral("Lyon"), QStringLiteral("Paris")}));
  EXPECT_TRUE(rec->boxes.isEmpty());

  // Choosing a line makes it the chosen value and enables "Coller".
  auto* paste = picker.findChild<QPushButton*>(QStringLiteral("BitBtnColler"));
  ASSERT_NE(paste, nullptr);
  EXPECT_EQ(paste->text(), QStringLiteral("&Coller"));
  EXPECT_FALSE(paste->isEnabled());
  picker.list()->setCurrentRow(static_cast<int>(items(picker).indexOf(QStringLiteral("Lyon"))));
  EXPECT_TRUE(paste->isEnabled());
  EXPECT_EQ(TFormValeurs::chosenValue(), QStringLiteral("Lyon"));

  // A new picker starts with no chosen value.
  TFormValeurs another(location, QStringLiteral("villes.dbf"), QStringLiteral("\"NUM\""));
  EXPECT_TRUE(TFormValeurs::chosenValue().isEmpty());
}

TEST_F(CriteriaValuesTest, StopsAtTheListCapacity) {
  TFormValeurs picker(location, QStringLiteral("villes.dbf"), QStringLiteral("\"VILLE\""));
  picker.setCapacity(2);
  EXPECT_TRUE(picker.loadValues());
  EXPECT_EQ(picker.list()->count(), 2);
  EXPECT_EQ(rec->texts(), QStringList{QStringLiteral(
                              "Trop de valeurs différentes pour ce champ. Seules les premières valeurs seront affichées.")});
}

TEST_F(CriteriaValuesTest, EmptyTableSaysSo) {
  TFormValeurs picker(location, QStringLiteral("vide.dbf"), QStringLiteral("\"VILLE\""));
  EXPECT_FALSE(picker.loadValues());
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].text, QStringLiteral("Il n'y a aucun enregistrement dans cette table ! "));
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Information);
}

TEST_F(CriteriaValuesTest, FailedStatementIsReportedAndWrittenToTheTempDirectory) {
  QString temp;
  ASSERT_TRUE(paths::tempDirectory(temp));
  QFile::remove(temp + QStringLiteral("/VALEURS.SQL"));
  TFormValeurs picker(location, QStringLiteral("absente.dbf"), QStringLiteral("\"VILLE\""));
  EXPECT_FALSE(picker.loadValues());
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Error);
  EXPECT_TRUE(rec->boxes[0].text.startsWith(QStringLiteral("Erreur interne : ")));
  EXPECT_GT(rec->boxes[0].text.size(), QStringLiteral("Erreur interne : ").size());
  QFile file(temp + QStringLiteral("/VALEURS.SQL"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString written = QString::fromUtf8(file.readAll());
  EXPECT_EQ(written, TFormValeurs::statement(location, QStringLiteral("absente.dbf"), QStringLiteral("\"VILLE\""))
                             .join(QLatin1Char('\n')) +
                         QLatin1Char('\n'));
}

TEST_F(CriteriaValuesTest, PickedValuesAreQuotedWhenTheyWouldNotStayOneValue) {
  EXPECT_EQ(TFormEdCriteres::pickedValueText(QStringLiteral("Paris"), FieldType::ftString), QStringLiteral("Paris"));
  EXPECT_EQ(TFormEdCriteres::pickedValueText(QStringLiteral("31/12/1995"), FieldType::ftDate),
            QStringLiteral("31/12/1995"));
  EXPECT_EQ(TFormEdCriteres::pickedValueText(QStringLiteral("Le Mans"), FieldType::ftString),
            QStringLiteral("\"Le Mans\""));
  EXPECT_EQ(TFormEdCriteres::pickedValueText(QStringLiteral("31/12/1995"), FieldType::ftDateTime),
            QStringLiteral("\"31/12/1995\""));
  EXPECT_EQ(TFormEdCriteres::pickedValueText(QStringLiteral("a<b"), FieldType::ftString), QStringLiteral("\"a<b\""));
  EXPECT_EQ(TFormEdCriteres::pickedValueText(QStringLiteral("Ou"), FieldType::ftString), QStringLiteral("\"Ou\""));
  // Logical values arrive as the words of the criteria language.
  EXPECT_EQ(TFormEdCriteres::pickedValueText(QStringLiteral("True"), FieldType::ftBoolean), QStringLiteral("VRAI"));
  EXPECT_EQ(TFormEdCriteres::pickedValueText(QStringLiteral("False"), FieldType::ftBoolean), QStringLiteral("FAUX"));
}

TEST_F(CriteriaValuesTest, EditorInsertsThePickedValue) {
  QueryTable table;
  table.longName = QStringLiteral("Villes");
  table.tableName = QStringLiteral("villes.dbf");
  table.location = location;
  table.fields = {{QStringLiteral("Ville"), QStringLiteral("VILLE"), FieldType::ftString, 20}};
  QueryTable& t = doc.addTable(table);
  ASSERT_TRUE(doc.dropField(1, t, QStringLiteral("Ville"), false));

  TFormEdCriteres ed(doc, 1, 6);
  ed.editor()->setText(QStringLiteral("Paris OU"));
  bool sawPicker = false;
  QTimer::singleShot(0, [&] {
    auto* picker = qobject_cast<TFormValeurs*>(QApplication::activeModalWidget());
    if (!picker) return;
    sawPicker = true;
    for (int i = 0; i < picker->list()->count(); ++i)
      if (picker->list()->item(i)->text() == QStringLiteral("Le Mans")) picker->list()->setCurrentRow(i);
    QTest::mouseClick(picker->findChild<QPushButton*>(QStringLiteral("BitBtnColler")), Qt::LeftButton);
  });
  QTest::mouseClick(ed.findChild<QPushButton*>(QStringLiteral("SpeedButtonValeurs")), Qt::LeftButton);
  ASSERT_TRUE(sawPicker);
  EXPECT_EQ(ed.text(), QStringLiteral("Paris OU \"Le Mans\" "));
  EXPECT_EQ(ed.syntaxState(), sql::kSyntaxValid);
}

}  // namespace
}  // namespace korvi::designer::testing
