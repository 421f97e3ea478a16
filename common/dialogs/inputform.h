#pragma once
// The one-line input box behind AskText.

#include <QDialog>

#include "common/dialogs/messagelayout.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvi {

class TInputForm : public QDialog {
  Q_OBJECT

 public:
  TInputForm(const QString& caption, const QString& prompt, const QString& text, QWidget* parent = nullptr);

  QLineEdit* edit() const { return edit_; }
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }
  const InputLayout& appliedLayout() const { return layout_; }

  // Shows the box modally: true and the edited text on OK, false and the text unchanged
  // otherwise (Cancel, Escape, closing the box).
  static bool ask(const QString& caption, const QString& prompt, QString& text, QWidget* parent = nullptr);

 public slots:
  void reject() override;

 private:
  QLineEdit* edit_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  InputLayout layout_;
};

}  // namespace korvi
