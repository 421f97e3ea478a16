// The designer reaches the pieces built beside it without any hook installed: F2 on a
// criteria cell opens the criteria editor, and cancelling it leaves the query as it was.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "fixture.h"
#include "tools/mkdemo/demodata.h"

namespace korvi::selq::testing {
namespace {

class WiringTest : public LibraryTest {};

TEST_F(WiringTest, CriteriaCellOpensTheEditorAndCancelKeepsTheQuery) {
  TFormPrincipale& d = run();
  designer::QueryDocument& doc = d.document();
  ASSERT_TRUE(doc.dropField(doc.spareColumn(), addTable(d), QStringLiteral("Nom"), false));
  doc.setModified(false);

  QString seen;
  QTimer::singleShot(0, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      seen = modal->objectName();
      if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
    }
  });
  d.openCriteriaEditor(1, 6);
  EXPECT_EQ(seen, QStringLiteral("TFormEdCriteres"));
  EXPECT_FALSE(doc.isModified());
  EXPECT_TRUE(doc.cell(1, 6).isEmpty());
}

}  // namespace
}  // namespace korvi::selq::testing

namespace korvi::selq::testing {
namespace {

// A host runs a saved query of the demo database and shows its rows, through the exports
// alone.
TEST_F(WiringTest, SavedQueryRunsAndShowsItsResultThroughTheExports) {
  QTemporaryDir demoDir;
  demo::writeDemo({demoDir.path(), 40});
  ASSERT_EQ(kvslRun(demoDir.filePath("ventes.mdl").toUtf8().constData()), 0);
  ASSERT_EQ(kvslLoadOSQ(demoDir.filePath("montant_par_client.osq").toUtf8().constData()), 0);
  flushEvents();
  EXPECT_EQ(designer()->document().tableCount(), 2);
  EXPECT_GT(kvslGetSqlLineCount(), 0);
  ASSERT_EQ(kvslExecuteQuery(), 0) << rec_->texts().join('\n').toStdString();
  ASSERT_EQ(kvslDisplayResult(), 0) << rec_->texts().join('\n').toStdString();
  flushEvents();
  QWidget* result = designer()->findChild<QWidget*>(QStringLiteral("TFormVisuResultat"));
  ASSERT_NE(result, nullptr);
  EXPECT_TRUE(designer()->resultWindowOpen());
  kvslExit();
  flushEvents();
}

}  // namespace
}  // namespace korvi::selq::testing
