// The real message dialog and input box, driven by key events and clicks.
#include <gtest/gtest.h>

#include "printers.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "common/dialogs/dialogtexts.h"
#include "common/dialogs/inputform.h"
#include "common/dialogs/messageform.h"
#include "common/dialogs/waitcursor.h"
#include "common/dialogs/widgetmessages.h"
#include "common/text/strings.h"
#include "support/recordingmessages.h"

using namespace korvi;

namespace {

MessageRequest request(const QString& text, MsgKind kind, MsgButtons buttons, MsgButton def) {
  MessageRequest r;
  r.text = text;
  r.kind = kind;
  r.buttons = buttons;
  r.defaultButton = def;
  return r;
}

// Sends a key to whatever has the focus inside the form, as a user's key press would reach it.
void press(QWidget& form, Qt::Key key) {
  QWidget* target = form.focusWidget() ? form.focusWidget() : &form;
  QTest::keyClick(target, key);
}

// Captions in a given language and deliverable, restored afterwards.
class LanguageScope {
 public:
  LanguageScope(int lang, DeliverableKind kind) {
    setLanguage(lang);
    EXPECT_TRUE(installStringTable(kind == DeliverableKind::Editor ? QStringLiteral(":/strings/editor.txt")
                                                                  : QStringLiteral(":/strings/library.txt")));
    setDialogTexts(loadDialogTexts(kind));
  }
  ~LanguageScope() {
    setLanguage(1);
    setDialogTexts(DialogTexts::frameworkDefaults());
  }
};

}  // namespace

TEST(MessageForm, EscapeTakesNoThenCancelThenOk) {
  struct Case { MsgButtons buttons; int expected; };
  for (const Case c : {Case{mbYes | mbNo, mrNo}, Case{mbYes | mbNo | mbCancel, mrCancel}, Case{mbOK, mrOk},
                       Case{mbOK | mbHelp, mrOk}}) {
    TMessageForm form(request(QStringLiteral("Continuer ?"), MsgKind::Confirmation, c.buttons, mbYes));
    form.show();
    press(form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible()) << c.buttons;
    EXPECT_EQ(form.result(), c.expected) << c.buttons;
  }
  // With both No and Cancel, Cancel alone reacts to Escape.
  TMessageForm both(request(QStringLiteral("x"), MsgKind::Confirmation, mbYes | mbNo | mbCancel, mbYes));
  EXPECT_EQ(both.escapeButton(), both.button(mbCancel));
  // Without No, Cancel or OK, Escape does nothing and the box stays up.
  TMessageForm none(request(QStringLiteral("x"), MsgKind::Error, mbAbort | mbRetry | mbIgnore, mbRetry));
  none.show();
  press(none, Qt::Key_Escape);
  EXPECT_TRUE(none.isVisible());
  EXPECT_EQ(none.escapeButton(), nullptr);
  // Closing it by its frame still ends it.
  none.close();
  EXPECT_EQ(none.result(), mrCancel);
}

TEST(MessageForm, EnterPressesTheDefaultButton) {
  TMessageForm no(request(QStringLiteral("Supprimer ?"), MsgKind::Confirmation, mbYes | mbNo, mbNo));
  EXPECT_TRUE(no.button(mbNo)->isDefault());
  EXPECT_FALSE(no.button(mbYes)->isDefault());
  no.show();
  EXPECT_EQ(no.focusWidget(), no.button(mbNo));
  press(no, Qt::Key_Return);
  EXPECT_EQ(no.result(), mrNo);

  TMessageForm yes(request(QStringLiteral("Supprimer ?"), MsgKind::Confirmation, mbYes | mbNo, mbYes));
  yes.show();
  press(yes, Qt::Key_Enter);
  EXPECT_EQ(yes.result(), mrYes);

  // A default outside the set leaves Enter to Yes or OK.
  TMessageForm fallback(request(QStringLiteral("x"), MsgKind::Information, mbOK | mbCancel, mbYes));
  EXPECT_TRUE(fallback.button(mbOK)->isDefault());
  // Help has no modal result: clicking it leaves the box open.
  TMessageForm help(request(QStringLiteral("x"), MsgKind::Information, mbOK | mbHelp, mbOK));
  help.show();
  help.button(mbHelp)->click();
  EXPECT_TRUE(help.isVisible());
}

TEST(MessageForm, CaptionsFollowLanguageAndDeliverable) {
  const MessageRequest r = request(QStringLiteral("x"), MsgKind::Confirmation, mbYes | mbNo | mbOK | mbAbort, mbYes);
  {
    // Before any deliverable loads its texts the framework's English captions are shown.
    TMessageForm form(r);
    EXPECT_EQ(form.button(mbYes)->text(), QStringLiteral("&Yes"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Confirm"));
  }
  korvi::testing::ScopedRecorder rec;  // a missing caption would show up as a recorded box
  {
    LanguageScope fr(1, DeliverableKind::Editor);
    TMessageForm form(r);
    EXPECT_EQ(form.button(mbYes)->text(), QStringLiteral("&Oui"));
    EXPECT_EQ(form.button(mbNo)->text(), QStringLiteral("&Non"));
    EXPECT_EQ(form.button(mbAbort)->text(), QStringLiteral("&Abandonner"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Confirmation"));
    TMessageForm error(request(QStringLiteral("x"), MsgKind::Error, mbOK, mbOK));
    EXPECT_EQ(error.windowTitle(), QStringLiteral("Erreur"));
  }
  {
    LanguageScope en(2, DeliverableKind::Editor);
    TMessageForm form(r);
    EXPECT_EQ(form.button(mbOK)->text(), QStringLiteral("&Ok"));
    EXPECT_EQ(form.button(mbAbort)->text(), QStringLiteral("&Abort"));
    TMessageForm warning(request(QStringLiteral("x"), MsgKind::Warning, mbOK, mbOK));
    EXPECT_EQ(warning.windowTitle(), QStringLiteral("Warning"));
  }
  {
    LanguageScope en(2, DeliverableKind::Library);
    TMessageForm form(r);
    EXPECT_EQ(form.button(mbOK)->text(), QStringLiteral("&OK"));
    EXPECT_EQ(form.button(mbAbort)->text(), QStringLiteral("Abort"));
  }
  EXPECT_TRUE(rec->boxes.isEmpty()) << rec->texts().join(QLatin1Char('|')).toStdString();
}

TEST(MessageForm, ComponentsIconAndPlainCaption) {
  TMessageForm form(request(QStringLiteral("Question"), MsgKind::Confirmation, mbYes | mbNo, mbYes));
  EXPECT_EQ(form.objectName(), QStringLiteral("TMessageForm"));
  ASSERT_NE(form.findChild<QLabel*>(QStringLiteral("Image")), nullptr);
  EXPECT_FALSE(form.findChild<QLabel*>(QStringLiteral("Image"))->pixmap().isNull());
  QLabel* message = form.findChild<QLabel*>(QStringLiteral("Message"));
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(message->text(), QStringLiteral("Question"));
  EXPECT_NE(form.findChild<QPushButton*>(QStringLiteral("YES")), nullptr);
  EXPECT_NE(form.findChild<QPushButton*>(QStringLiteral("NO")), nullptr);
  EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("OK")), nullptr);
  EXPECT_EQ(form.font().family(), QStringLiteral("MS Sans Serif"));
  EXPECT_TRUE(form.font().bold());

  // Markup in a message is shown as it stands, not interpreted.
  TMessageForm plain(request(QStringLiteral("<b>a & b</b>"), MsgKind::Plain, mbOK, mbOK));
  EXPECT_EQ(plain.findChild<QLabel*>(QStringLiteral("Image")), nullptr);
  EXPECT_EQ(plain.windowTitle(), QStringLiteral("test_dialogs"));
  EXPECT_EQ(plain.findChild<QLabel*>(QStringLiteral("Message"))->textFormat(), Qt::PlainText);
}

TEST(MessageForm, LongTextWrapsAtHalfScreenAndPositionCanBeGiven) {
  QString text;
  for (int i = 0; i < 80; ++i) text += QStringLiteral("mot%1 ").arg(i);
  MessageRequest r = request(text, MsgKind::Information, mbOK, mbOK);
  r.left = 5;
  r.top = 7;
  TMessageForm form(r);
  const MessageLayout& l = form.appliedLayout();
  const int half = screenRect().width() / 2;
  EXPECT_LE(l.label.width(), half);
  EXPECT_GT(l.label.height(), 3 * QFontMetrics(form.font()).height());
  EXPECT_LE(form.width(), half + 20 + l.image.width() + 10);
  // The whole text fits the label: the form is tall enough for every wrapped line.
  EXPECT_GE(l.label.height(), TMessageForm::measureText(form.font(), text, l.label.width()).height());
  EXPECT_GT(l.buttons[0].rect.top(), l.label.bottom());
  EXPECT_EQ(form.pos(), QPoint(5, 7));

  // Without a position the form is centred on the screen.
  TMessageForm centred(request(QStringLiteral("x"), MsgKind::Information, mbOK, mbOK));
  const QRect s = screenRect();
  EXPECT_EQ(centred.pos(), QPoint(s.x() + (s.width() - centred.width()) / 2, s.y() + (s.height() - centred.height()) / 2));
}

TEST(MessageForm, ShownModallyThroughTheInterface) {
  WidgetMessages widgets;
  WaitCursor busy;  // a box inside a long operation
  Qt::CursorShape during = Qt::WaitCursor;
  QTimer::singleShot(0, [&during] {
    during = QGuiApplication::overrideCursor()->shape();
    if (QWidget* w = QApplication::activeModalWidget()) QTest::keyClick(w->focusWidget() ? w->focusWidget() : w, Qt::Key_Escape);
  });
  EXPECT_EQ(widgets.showMessage(request(QStringLiteral("Quitter ?"), MsgKind::Confirmation, mbYes | mbNo | mbCancel, mbYes)),
            mrCancel);
  EXPECT_EQ(during, Qt::ArrowCursor);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);

  // The framework's plain box: the application title and one OK button, whatever was asked.
  MessageRequest plain = request(QStringLiteral("String Table #17 missing."), MsgKind::Plain, mbYes | mbNo, mbYes);
  plain.style = MsgStyle::FrameworkPlain;
  QString title;
  QStringList names;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    for (QAbstractButton* b : box->buttons()) names << b->objectName();
    box->buttons().first()->click();
  });
  EXPECT_EQ(widgets.showMessage(plain), mrOk);
  EXPECT_EQ(title, applicationTitle());
  EXPECT_EQ(names, QStringList{QStringLiteral("OK")});
}

namespace {

// Runs AskText's box and acts on it once it is up.
bool runInput(QString& text, const std::function<void(TInputForm*)>& act) {
  QTimer::singleShot(0, [act] {
    auto* form = qobject_cast<TInputForm*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    act(form);
  });
  return WidgetMessages().askText(QStringLiteral("Nom"), QStringLiteral("&Nom de la requête :"), text);
}

}  // namespace

TEST(InputForm, OkReturnsEditedTextOthersLeaveItUnchanged) {
  QString empty;
  EXPECT_TRUE(runInput(empty, [](TInputForm* f) { f->okButton()->click(); }));
  EXPECT_TRUE(empty.isEmpty());

  QString text = QStringLiteral("ancien");
  EXPECT_TRUE(runInput(text, [](TInputForm* f) {
    EXPECT_EQ(f->edit()->selectedText(), QStringLiteral("ancien"));
    QTest::keyClicks(f->edit(), QStringLiteral("neuf"));  // typing replaces the selection
    QTest::keyClick(f->edit(), Qt::Key_Return);
  }));
  EXPECT_EQ(text, QStringLiteral("neuf"));

  text = QStringLiteral("garde");
  EXPECT_FALSE(runInput(text, [](TInputForm* f) {
    f->edit()->setText(QStringLiteral("perdu"));
    f->cancelButton()->click();
  }));
  EXPECT_EQ(text, QStringLiteral("garde"));
  EXPECT_FALSE(runInput(text, [](TInputForm* f) { QTest::keyClick(f->edit(), Qt::Key_Escape); }));
  EXPECT_FALSE(runInput(text, [](TInputForm* f) { f->close(); }));
  EXPECT_EQ(text, QStringLiteral("garde"));
}

TEST(InputForm, EditIsLimitedWithoutCuttingTheGivenText) {
  TInputForm form(QStringLiteral("c"), QStringLiteral("p"), QString());
  EXPECT_EQ(form.objectName(), QStringLiteral("TInputForm"));
  EXPECT_EQ(form.edit()->maxLength(), 255);
  EXPECT_EQ(form.okButton()->objectName(), QStringLiteral("OK"));
  EXPECT_EQ(form.cancelButton()->objectName(), QStringLiteral("CANCEL"));
  EXPECT_EQ(form.size(), form.appliedLayout().client);
  const QString longText(300, QLatin1Char('x'));
  TInputForm kept(QStringLiteral("c"), QStringLiteral("p"), longText);
  EXPECT_EQ(kept.edit()->text(), longText);
}
