// The SQL display window: its text, the clipboard, keys and the size kept in the settings.

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "common/text/settings.h"
#include "library/results/uaffsql.h"
#include "resultsfixture.h"

namespace korvi::results::testing {
namespace {

class SqlWindowTest : public ResultsTest {};

// Runs the modal window and closes it with the given action once it shows.
void showAndThen(const QStringList& lines, const std::function<void(TFormAfficheSQL&)>& action) {
  QTimer::singleShot(0, [action] {
    auto* w = qobject_cast<TFormAfficheSQL*>(QApplication::activeModalWidget());
    ASSERT_NE(w, nullptr);
    action(*w);
  });
  ShowSqlWindow(lines);
}

TEST_F(SqlWindowTest, ShowsTheLinesAndCopiesThem) {
  const QStringList lines = {" SELECT  T1.\"NOM\"", " FROM   \"/d/c.dbf\" T1 ", "WHERE ( T1.\"AGE\" = \"[I|Age]\" )"};
  QString shown, selected;
  int caret = -1;
  showAndThen(lines, [&](TFormAfficheSQL& w) {
    shown = w.memo()->toPlainText();
    selected = w.memo()->textCursor().selectedText();
    caret = w.memo()->textCursor().position();
    EXPECT_EQ(w.objectName(), "TFormAfficheSQL");
    EXPECT_EQ(w.windowTitle(), LoadText(109));
    EXPECT_TRUE(w.memo()->isReadOnly());
    w.accept();
  });
  EXPECT_EQ(shown, lines.join('\n'));
  EXPECT_TRUE(selected.isEmpty());
  EXPECT_EQ(caret, 0);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), lines.join('\n'));
}

TEST_F(SqlWindowTest, EmptyQueryEmptiesTheClipboard) {
  QGuiApplication::clipboard()->setText("old");
  showAndThen({}, [](TFormAfficheSQL& w) { w.accept(); });
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString());
}

TEST_F(SqlWindowTest, TypingChangesNothingAndEscapeCloses) {
  TFormAfficheSQL w({"SELECT 1"});
  w.show();
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(w.memo(), &a);
  QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
  QApplication::sendEvent(w.memo(), &back);
  EXPECT_EQ(w.memo()->toPlainText(), "SELECT 1");
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(w.okButton(), &esc);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.result(), QDialog::Rejected);
}

TEST_F(SqlWindowTest, SizeIsKeptAndTheButtonCentred) {
  {
    TFormAfficheSQL w({});
    EXPECT_EQ(w.size(), QSize(sqlWindowSize().width, sqlWindowSize().height));
    w.show();
    w.resize(500, 260);
    QApplication::processEvents();
    EXPECT_EQ(w.okButton()->x(), 500 / 2 - w.okButton()->width() / 2);
    w.accept();
  }
  EXPECT_EQ(sqlWindowSize().width, 500);
  EXPECT_EQ(sqlWindowSize().height, 260);
  TFormAfficheSQL again({});
  EXPECT_EQ(again.size(), QSize(500, 260));
}

TEST(SqlCommandTest, VisibleOnlyWithShowSql) {
  LibrarySettings s;
  EXPECT_FALSE(sqlCommandVisible(s));
  s.showSql = true;
  EXPECT_TRUE(sqlCommandVisible(s));
}

}  // namespace
}  // namespace korvi::results::testing
