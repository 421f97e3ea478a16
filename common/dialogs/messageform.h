#pragma once
// The deliverables' own message dialog: icon, word-wrapped text and a row of buttons laid
// out by layoutMessage, with captions in the interface language.

#include <QDialog>
#include <QMap>

#include "common/dialogs/messagelayout.h"
#include "common/text/messages.h"

class QLabel;
class QPushButton;

namespace korvi {

class TMessageForm : public QDialog {
  Q_OBJECT

 public:
  explicit TMessageForm(const MessageRequest& request, QWidget* parent = nullptr);

  // Shows the form modally and returns the modal result (or the Escape result).
  int run();

  QPushButton* button(MsgButton button) const { return buttons_.value(button); }
  // The button that reacts to Escape, or null when none does.
  QPushButton* escapeButton() const { return escape_; }
  // The layout after scaling to the screen, as applied to the widgets.
  const MessageLayout& appliedLayout() const { return layout_; }

  // The text measured word-wrapped inside maxWidth with the given font.
  static QSize measureText(const QFont& font, const QString& text, int maxWidth);
  // The dialog's font: "MS Sans Serif", bold, at the given pixel height.
  static QFont messageFont(int pixelSize = kMessageFontPixels);

 public slots:
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  MsgButtons set_;
  QMap<MsgButton, QPushButton*> buttons_;
  QPushButton* escape_ = nullptr;
  MessageLayout layout_;
};

// The screen's resolution used for scaling and its width, with sane values when no screen
// is known.
int screenDpi();
QRect screenRect();

}  // namespace korvi
