// The designer reaches the pieces built beside it without any hook installed: F2 on a
// criteria cell opens the criteria editor, and cancelling it leaves the query as it was.

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "fixture.h"

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
