#include "common/dialogs/logindialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "common/dialogs/dialogtexts.h"
#include "common/dialogs/unattended.h"
#include "common/dialogs/widgetmessages.h"
#include "common/text/strings.h"

namespace korvi {
namespace {

QString loginCaption() {
  return language().french ? QStringLiteral("Connexion") : QStringLiteral("Database Login");
}

}  // namespace

TLoginForm::TLoginForm(const QString& databaseName, const QString& user, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TLoginForm"));
  setModal(true);
  setWindowTitle(loginCaption());
  const bool fr = language().french;

  auto* database = new QLabel(this);
  database->setObjectName(QStringLiteral("LabelDatabase"));
  database->setTextFormat(Qt::PlainText);
  database->setText((fr ? QStringLiteral("Base de données : %1") : QStringLiteral("Database: %1")).arg(databaseName));

  user_ = new QLineEdit(user, this);
  user_->setObjectName(QStringLiteral("EditUser"));
  password_ = new QLineEdit(this);
  password_->setObjectName(QStringLiteral("EditPassword"));
  password_->setEchoMode(QLineEdit::Password);

  auto* form = new QFormLayout;
  form->addRow(fr ? QStringLiteral("&Utilisateur :") : QStringLiteral("&User name:"), user_);
  form->addRow(fr ? QStringLiteral("&Mot de passe :") : QStringLiteral("&Password:"), password_);

  const DialogTexts& texts = dialogTexts();
  ok_ = new QPushButton(texts.ok, this);
  ok_->setObjectName(QStringLiteral("OK"));
  ok_->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton, nullptr, ok_));
  ok_->setDefault(true);
  auto* cancel = new QPushButton(texts.cancel, this);
  cancel->setObjectName(QStringLiteral("CANCEL"));
  cancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton, nullptr, cancel));
  connect(ok_, &QPushButton::clicked, this, [this] { done(Accepted); });
  connect(cancel, &QPushButton::clicked, this, &TLoginForm::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  auto* main = new QVBoxLayout(this);
  main->addWidget(database);
  main->addLayout(form);
  main->addLayout(buttons);

  // The proposed user only needs a password.
  if (user.isEmpty()) user_->setFocus();
  else password_->setFocus();
}

void TLoginForm::reject() { done(Rejected); }

bool askLogin(const QString& databaseName, QString& user, QString& password) {
  const std::shared_ptr<UnattendedSession> session = unattendedSession();
  QStringList line{QStringLiteral("LOGIN"), loginCaption(), databaseName, QStringLiteral("OK CANCEL")};
  const QString cancel = QStringLiteral("CANCEL");
  if (session && session->answering()) {
    const std::optional<QString> answer = session->takeAnswer();
    if (!answer) {
      session->log(line << cancel << QString::fromLatin1(kNoAnswerLeft));
      return false;
    }
    if (answer->trimmed().compare(cancel, Qt::CaseInsensitive) == 0) {
      session->log(line << cancel);
      return false;
    }
    const qsizetype second = answer->indexOf(QLatin1Char(':'), 3);
    if (!answer->startsWith(QLatin1String("OK:")) || second < 0) {
      // The answer may hold a password: only its shape is logged.
      session->log(line << cancel << wrongAnswerNote(QStringLiteral("?"), QStringLiteral("a login takes OK:<user>:<password> or CANCEL")));
      return false;
    }
    user = answer->mid(3, second - 3);
    password = answer->mid(second + 1);
    session->log(line << QStringLiteral("OK:") + user);
    return true;
  }
  if (!widgetsAvailable()) return false;
  TLoginForm form(databaseName, user, dialogParent());
  const bool ok = form.exec() == QDialog::Accepted;
  if (ok) {
    user = form.userEdit()->text();
    password = form.passwordEdit()->text();
  }
  if (session) session->log(line << (ok ? QStringLiteral("OK:") + user : cancel));
  return ok;
}

}  // namespace korvi
