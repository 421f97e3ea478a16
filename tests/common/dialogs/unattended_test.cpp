// Unattended mode: the message log, answers from a file, running out and wrong answers.
#include <gtest/gtest.h>

#include "printers.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/dialogs/dialogs.h"
#include "common/dialogs/logindialog.h"
#include "common/dialogs/unattended.h"
#include "common/dialogs/waitcursor.h"
#include "common/text/strings.h"
#include "support/recordingmessages.h"

using namespace korvi;

namespace {

class Unattended : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString logPath() const { return dir.filePath(QStringLiteral("messages.log")); }

  QString writeAnswers(const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("answers.txt"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
    return path;
  }
  QStringList logLines() const {
    QFile f(logPath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
  }
  std::shared_ptr<korvi::testing::RecordingMessages> inner = std::make_shared<korvi::testing::RecordingMessages>();
  std::unique_ptr<UnattendedMessages> make(const QString& answers) {
    session = std::make_shared<UnattendedSession>(logPath(), answers);
    return std::make_unique<UnattendedMessages>(inner, session);
  }
  std::shared_ptr<UnattendedSession> session;

  static MessageRequest box(const QString& text, MsgKind kind, MsgButtons buttons) {
    MessageRequest r;
    r.text = text;
    r.kind = kind;
    r.buttons = buttons;
    r.defaultButton = mbOK;
    return r;
  }
};

}  // namespace

TEST_F(Unattended, AnswersAreTakenInOrderAndLogged) {
  QFile existing(dir.filePath(QStringLiteral("ventes.mdl")));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  auto m = make(writeAnswers("YES\r\n\nno\nOK:premier essai\nCANCEL\nFILE:ventes.mdl\nFILE:sortie\n"));

  EXPECT_EQ(m->showMessage(box(QStringLiteral("Supprimer ?"), MsgKind::Confirmation, mbYes | mbNo)), mrYes);
  EXPECT_EQ(m->showMessage(box(QStringLiteral("Sauver ?"), MsgKind::Confirmation, mbYes | mbNo | mbCancel)), mrNo);
  QString text = QStringLiteral("ancien");
  EXPECT_TRUE(m->askText(QStringLiteral("Nom"), QStringLiteral("Nom :"), text));
  EXPECT_EQ(text, QStringLiteral("premier essai"));
  EXPECT_FALSE(m->askText(QStringLiteral("Nom"), QStringLiteral("Nom :"), text));
  EXPECT_EQ(text, QStringLiteral("premier essai"));

  FileRequest open;
  open.caption = QStringLiteral("Ouvrir");
  open.directory = dir.path();
  QString path;
  EXPECT_TRUE(m->askFile(open, path));
  EXPECT_EQ(path, existing.fileName());
  FileRequest save = open;
  save.save = true;
  save.defaultSuffix = QStringLiteral("dbf");
  EXPECT_TRUE(m->askFile(save, path));
  EXPECT_EQ(path, dir.filePath(QStringLiteral("sortie.dbf")));

  EXPECT_TRUE(inner->boxes.isEmpty());  // nothing was shown
  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 6);
  EXPECT_EQ(lines[0], QStringLiteral("CONFIRMATION\tConfirm\tSupprimer ?\tYES NO\tYES"));
  EXPECT_EQ(lines[1], QStringLiteral("CONFIRMATION\tConfirm\tSauver ?\tYES NO CANCEL\tNO"));
  EXPECT_EQ(lines[2], QStringLiteral("INPUT\tNom\tNom :\tOK CANCEL\tOK:premier essai"));
  EXPECT_EQ(lines[3], QStringLiteral("INPUT\tNom\tNom :\tOK CANCEL\tCANCEL"));
  EXPECT_EQ(lines[4], QStringLiteral("OPEN\tOuvrir\t%1\tFILE CANCEL\tFILE:%2").arg(dir.path(), existing.fileName()));
  EXPECT_TRUE(lines[5].startsWith(QStringLiteral("SAVE\t")));
}

TEST_F(Unattended, RunningOutTakesEscapeResultAndSaysSo) {
  auto m = make(writeAnswers("OK\n"));
  EXPECT_EQ(m->showMessage(box(QStringLiteral("Fait."), MsgKind::Information, mbOK)), mrOk);
  EXPECT_EQ(m->showMessage(box(QStringLiteral("a"), MsgKind::Confirmation, mbYes | mbNo)), mrNo);
  EXPECT_EQ(m->showMessage(box(QStringLiteral("b"), MsgKind::Confirmation, mbYes | mbNo | mbCancel)), mrCancel);
  QString text = QStringLiteral("t");
  EXPECT_FALSE(m->askText(QStringLiteral("c"), QStringLiteral("p"), text));
  EXPECT_EQ(text, QStringLiteral("t"));
  QString path = QStringLiteral("inchangé");
  EXPECT_FALSE(m->askFile(FileRequest{}, path));
  EXPECT_EQ(path, QStringLiteral("inchangé"));
  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 5);
  EXPECT_EQ(lines[1], QStringLiteral("CONFIRMATION\tConfirm\ta\tYES NO\tNO\t") + QLatin1String(kNoAnswerLeft));
  EXPECT_TRUE(lines[4].endsWith(QLatin1String(kNoAnswerLeft)));

  // A missing answers file answers nothing: boxes are still never shown.
  auto missing = make(dir.filePath(QStringLiteral("absent.txt")));
  EXPECT_EQ(missing->showMessage(box(QStringLiteral("x"), MsgKind::Information, mbOK)), mrOk);
  EXPECT_TRUE(inner->boxes.isEmpty());
  EXPECT_TRUE(logLines().filter(QStringLiteral("cannot read the answers file")).size() == 1);
}

TEST_F(Unattended, WrongAnswersAreLoggedAndTakeEscapeResult) {
  auto m = make(writeAnswers("YES\nHELP\nFILE:/x\nOK:" + QByteArray(256, 'a') + "\nFILE:absent.mdl\nFILE:" +
                             QFile::encodeName(dir.path()) + "\nFILE:/nowhere/out.dbf\nOK:ok\n"));
  EXPECT_EQ(m->showMessage(box(QStringLiteral("Seul OK"), MsgKind::Information, mbOK)), mrOk);
  EXPECT_EQ(m->showMessage(box(QStringLiteral("Aide"), MsgKind::Confirmation, mbYes | mbNo | mbHelp)), mrNo);
  QString text = QStringLiteral("t");
  EXPECT_FALSE(m->askText(QStringLiteral("c"), QStringLiteral("p"), text));
  EXPECT_FALSE(m->askText(QStringLiteral("c"), QStringLiteral("p"), text));  // longer than the edit takes
  EXPECT_EQ(text, QStringLiteral("t"));
  FileRequest open;
  open.directory = dir.path();
  QString path;
  EXPECT_FALSE(m->askFile(open, path));  // no such file
  EXPECT_FALSE(m->askFile(open, path));  // a directory
  FileRequest save;
  save.save = true;
  EXPECT_FALSE(m->askFile(save, path));  // no such directory
  EXPECT_TRUE(path.isEmpty());
  // A wrong answer is consumed: the next box gets the next line.
  EXPECT_TRUE(m->askText(QStringLiteral("c"), QStringLiteral("p"), text));
  EXPECT_EQ(text, QStringLiteral("ok"));

  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 8);
  EXPECT_EQ(lines[0], QStringLiteral("INFORMATION\tInformation\tSeul OK\tOK\tOK\t") +
                          wrongAnswerNote(QStringLiteral("YES"), QStringLiteral("not a button of this box")));
  for (int i = 1; i < 7; ++i) EXPECT_TRUE(lines[i].contains(QStringLiteral("wrong answer"))) << i;
  EXPECT_TRUE(lines[3].contains(QStringLiteral("longer than 255")));
}

TEST_F(Unattended, LogOnlyShowsTheBoxesAndEscapesFields) {
  auto m = make(QString());
  inner->answers.push_back(mrRetry);
  inner->textAnswers.push_back({true, QStringLiteral("x")});
  MessageRequest r = box(QStringLiteral("ligne 1\nligne\t2 \\ fin"), MsgKind::Error, mbAbort | mbRetry | mbIgnore);
  EXPECT_EQ(m->showMessage(r), mrRetry);
  QString text;
  EXPECT_TRUE(m->askText(QStringLiteral("c"), QStringLiteral("p"), text));
  MessageRequest plain = box(QStringLiteral("String Table #2017 missing."), MsgKind::Plain, mbYes | mbNo);
  plain.style = MsgStyle::FrameworkPlain;
  EXPECT_EQ(m->showMessage(plain), mrOk);  // the framework's plain box has OK only
  ASSERT_EQ(inner->boxes.size(), 2);
  EXPECT_EQ(inner->boxes[1].buttons, MsgButtons(mbOK));
  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(lines[0], QStringLiteral("ERROR\tError\tligne 1\\nligne\\t2 \\\\ fin\tABORT RETRY IGNORE\tRETRY"));
  EXPECT_EQ(lines[1], QStringLiteral("INPUT\tc\tp\tOK CANCEL\tOK:x"));
  EXPECT_EQ(lines[2], QStringLiteral("MESSAGE\ttest_dialogs\tString Table #2017 missing.\tOK\tOK"));
}

TEST_F(Unattended, LoginAnswersNeverLogThePassword) {
  session = std::make_shared<UnattendedSession>(logPath(), writeAnswers("OK:marie:se:cret\nCANCEL\nOK:secret\n"));
  setUnattendedSession(session);
  QString user = QStringLiteral("proposé"), password;
  EXPECT_TRUE(askLogin(QStringLiteral("VENTES"), user, password));
  EXPECT_EQ(user, QStringLiteral("marie"));
  EXPECT_EQ(password, QStringLiteral("se:cret"));
  EXPECT_FALSE(askLogin(QStringLiteral("VENTES"), user, password));
  EXPECT_FALSE(askLogin(QStringLiteral("VENTES"), user, password));  // malformed
  EXPECT_FALSE(askLogin(QStringLiteral("VENTES"), user, password));  // none left
  EXPECT_EQ(user, QStringLiteral("marie"));
  setUnattendedSession(nullptr);
  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("LOGIN\t")));
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\tVENTES\tOK CANCEL\tOK:marie")));
  for (const QString& l : lines) EXPECT_FALSE(l.contains(QStringLiteral("secret"))) << l.toStdString();
}

TEST_F(Unattended, InstallDialogsAnswersFromTheEnvironment) {
  qputenv("KORVI_ANSWERS", QFile::encodeName(writeAnswers("NO\n")));
  qputenv("KORVI_MESSAGE_LOG", QFile::encodeName(logPath()));
  setLanguage(2);
  installStringTable(QStringLiteral(":/strings/library.txt"));
  installDialogs(DeliverableKind::Library);
  EXPECT_EQ(ShowMessageBox(QStringLiteral("Quitter ?"), MsgKind::Confirmation, mbYes | mbNo, mbYes), mrNo);
  EXPECT_FALSE(AskConfirmation(QStringLiteral("Encore ?")));
  EXPECT_EQ(dialogTexts().ok, QStringLiteral("&OK"));
  qunsetenv("KORVI_ANSWERS");
  qunsetenv("KORVI_MESSAGE_LOG");
  installMessages(nullptr);
  setUnattendedSession(nullptr);
  setLanguage(1);
  setDialogTexts(DialogTexts::frameworkDefaults());
  const QStringList lines = logLines();
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], QStringLiteral("CONFIRMATION\tConfirmation\tQuitter ?\tYES NO\tNO"));
}

TEST(WaitCursor, NestsAndRestoresOnEveryExit) {
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  try {
    WaitCursor outer;
    ASSERT_TRUE(outer.active());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    {
      WaitCursor inner;
      EXPECT_EQ(WaitCursor::depth(), 2);
    }
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    throw std::runtime_error("failure");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(WaitCursor::depth(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
