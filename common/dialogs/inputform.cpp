#include "common/dialogs/inputform.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "common/dialogs/dialogtexts.h"
#include "common/dialogs/messageform.h"
#include "common/text/messages.h"

namespace korvi {

TInputForm::TInputForm(const QString& caption, const QString& prompt, const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("TInputForm"));
  setModal(true);
  setWindowTitle(caption);
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPointSize(8);
  f.setBold(true);
  setFont(f);
  resize(kInputClientWidth, kInputInitialHeight);

  auto* label = new QLabel(this);
  label->setObjectName(QStringLiteral("Label"));
  label->setTextFormat(Qt::PlainText);
  label->setText(prompt);

  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("Edit"));
  // Typing stops at 255 characters; a longer given text is kept whole rather than cut.
  edit_->setMaxLength(std::max<int>(kInputMaxLength, text.size()));
  edit_->setText(text);
  edit_->selectAll();
  label->setBuddy(edit_);  // the prompt's accelerator focuses the edit field
  label->adjustSize();

  const DialogTexts& texts = dialogTexts();
  ok_ = new QPushButton(texts.ok, this);
  ok_->setObjectName(QStringLiteral("OK"));
  ok_->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton, nullptr, ok_));
  ok_->setDefault(true);
  cancel_ = new QPushButton(texts.cancel, this);
  cancel_->setObjectName(QStringLiteral("CANCEL"));
  cancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton, nullptr, cancel_));
  connect(ok_, &QPushButton::clicked, this, [this] { done(mrOk); });
  connect(cancel_, &QPushButton::clicked, this, [this] { done(mrCancel); });

  layout_ = layoutInput(label->size(), edit_->sizeHint().height());
  label->setGeometry(layout_.label);
  edit_->setGeometry(layout_.edit);
  ok_->setGeometry(layout_.ok);
  cancel_->setGeometry(layout_.cancel);
  setFixedSize(layout_.client);
  edit_->setFocus();

  const QRect screen = screenRect();
  move(screen.x() + (screen.width() - width()) / 2, screen.y() + (screen.height() - height()) / 2);
}

void TInputForm::reject() { done(mrCancel); }

bool TInputForm::ask(const QString& caption, const QString& prompt, QString& text, QWidget* parent) {
  TInputForm form(caption, prompt, text, parent);
  if (form.exec() != mrOk) return false;
  text = form.edit()->text();
  return true;
}

}  // namespace korvi
