#include "common/dialogs/messageform.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "common/dialogs/dialogtexts.h"

namespace korvi {
namespace {

QStyle::StandardPixmap kindIcon(MsgKind kind) {
  switch (kind) {
    case MsgKind::Warning: return QStyle::SP_MessageBoxWarning;
    case MsgKind::Error: return QStyle::SP_MessageBoxCritical;
    case MsgKind::Information: return QStyle::SP_MessageBoxInformation;
    case MsgKind::Confirmation: return QStyle::SP_MessageBoxQuestion;
    case MsgKind::Plain: break;
  }
  return QStyle::SP_CustomBase;
}

QStyle::StandardPixmap buttonGlyph(MsgButton button) {
  switch (button) {
    case mbYes: return QStyle::SP_DialogYesButton;
    case mbNo: return QStyle::SP_DialogNoButton;
    case mbOK: return QStyle::SP_DialogOkButton;
    case mbCancel: return QStyle::SP_DialogCancelButton;
    case mbAbort: return QStyle::SP_DialogAbortButton;
    case mbRetry: return QStyle::SP_DialogRetryButton;
    case mbIgnore: return QStyle::SP_DialogIgnoreButton;
    case mbAll: return QStyle::SP_DialogYesToAllButton;
    case mbHelp: return QStyle::SP_DialogHelpButton;
  }
  return QStyle::SP_CustomBase;
}

}  // namespace

int screenDpi() {
  const QScreen* s = QGuiApplication::primaryScreen();
  const int dpi = s ? qRound(s->logicalDotsPerInch()) : kLayoutDpi;
  return dpi > 0 ? dpi : kLayoutDpi;
}

QRect screenRect() {
  const QScreen* s = QGuiApplication::primaryScreen();
  const QRect r = s ? s->geometry() : QRect();
  return r.isValid() ? r : QRect(0, 0, 1024, 768);
}

QFont TMessageForm::messageFont(int pixelSize) {
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(pixelSize);
  f.setBold(true);
  return f;
}

QSize TMessageForm::measureText(const QFont& font, const QString& text, int maxWidth) {
  // The label draws plain word-wrapped text through the same formatter.
  const QRect r = QFontMetrics(font).boundingRect(QRect(0, 0, maxWidth, 0),
                                                  Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs, text);
  return r.size();
}

TMessageForm::TMessageForm(const MessageRequest& request, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      set_(request.buttons) {
  setObjectName(QStringLiteral("TMessageForm"));
  setModal(true);
  const int dpi = screenDpi();
  const QRect screen = screenRect();

  // Layout in 96-dpi pixels: the text is measured with the unscaled font inside half the
  // screen width expressed in those pixels.
  const QFont baseFont = messageFont();
  const int halfScreen = scalePixels(screen.width() / 2, kLayoutDpi, dpi);
  MessageLayoutInput in;
  in.text = measureText(baseFont, request.text, halfScreen);
  in.buttons = request.buttons;
  QIcon icon;
  if (request.kind != MsgKind::Plain) {
    icon = style()->standardIcon(kindIcon(request.kind), nullptr, this);
    const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    in.icon = QSize(side, side);
  }
  layout_ = scaleMessageLayout(layoutMessage(in), dpi);

  const QFont font = messageFont(scalePixels(kMessageFontPixels, dpi, kLayoutDpi));
  setFont(font);

  auto* label = new QLabel(this);
  label->setObjectName(QStringLiteral("Message"));
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setText(request.text);
  // Scaling rounds each value on its own; when the scaled font needs more room than the
  // scaled rectangle, the label grows and everything under it moves down, so no line is cut.
  const QSize needed = measureText(font, request.text, layout_.label.width());
  const int extra = needed.height() - layout_.label.height();
  if (extra > 0) {
    layout_.label.setHeight(needed.height());
    for (PlacedButton& b : layout_.buttons) b.rect.translate(0, extra);
    layout_.client.rheight() += extra;
  }
  label->setGeometry(layout_.label);

  if (!layout_.image.isNull()) {
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image"));
    image->setPixmap(icon.pixmap(layout_.image.size()));
    image->setGeometry(layout_.image);
  }

  const DialogTexts& texts = dialogTexts();
  QPushButton* byKind = nullptr;
  for (const PlacedButton& placed : layout_.buttons) {
    auto* b = new QPushButton(this);
    b->setObjectName(buttonName(placed.button));
    b->setText(texts.buttonCaption(placed.button));
    b->setIcon(style()->standardIcon(buttonGlyph(placed.button), nullptr, b));
    b->setAutoDefault(true);
    b->setGeometry(placed.rect);
    buttons_.insert(placed.button, b);
    if (!byKind && (placed.button == mbYes || placed.button == mbOK)) byKind = b;
    const int result = resultOfButton(placed.button);
    if (result != mrNone) connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
  }

  // Escape: Cancel, else No, else OK (the same choice a box takes when never answered).
  for (MsgButton b : {mbCancel, mbNo, mbOK})
    if (!escape_) escape_ = buttons_.value(b);

  QPushButton* def = buttons_.value(request.defaultButton);
  if (!def) def = byKind;
  if (def) {
    def->setDefault(true);
    def->setFocus();
  }

  setWindowTitle(texts.boxCaption(request.kind));
  setFixedSize(layout_.client);

  int x = screen.x() + (screen.width() - layout_.client.width()) / 2;
  int y = screen.y() + (screen.height() - layout_.client.height()) / 2;
  if (request.left >= 0) x = request.left;
  if (request.top >= 0) y = request.top;
  move(x, y);
}

int TMessageForm::run() { return exec(); }

void TMessageForm::reject() {
  // Closing by the window frame answers as Escape would.
  done(escapeResult(set_));
}

void TMessageForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (escape_) escape_->click();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace korvi
