#pragma once
// The engine's login dialog for server databases: user name and password.

#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

namespace korvi {

class TLoginForm : public QDialog {
  Q_OBJECT

 public:
  TLoginForm(const QString& databaseName, const QString& user, QWidget* parent = nullptr);

  QLineEdit* userEdit() const { return user_; }
  QLineEdit* passwordEdit() const { return password_; }
  QPushButton* okButton() const { return ok_; }

 public slots:
  void reject() override;

 private:
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// Asks the user name and password for a database. The given user name is proposed. True
// with both filled in on OK; false and both unchanged otherwise. In unattended mode the
// next answer is used: "OK:<user>:<password>" or "CANCEL"; the log never holds the password.
bool askLogin(const QString& databaseName, QString& user, QString& password);

}  // namespace korvi
