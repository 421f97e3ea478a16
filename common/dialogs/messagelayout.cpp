#include "common/dialogs/messagelayout.h"

#include <algorithm>

namespace korvi {

MessageLayout layoutMessage(const MessageLayoutInput& in) {
  MessageLayout out;
  const bool hasIcon = !in.icon.isEmpty();
  const int tw = in.text.width();
  const int th = in.text.height();
  const int iw = hasIcon ? in.icon.width() : 0;
  const int ih = hasIcon ? in.icon.height() : 0;

  out.contentWidth = tw + 2 * kMargin + (hasIcon ? iw + kMargin : 0);
  out.contentHeight = hasIcon ? std::max(ih + kMargin, th + kMargin) : th + kMargin;

  int n = 0;
  for (unsigned bit = mbYes; bit <= mbHelp; bit <<= 1)
    if (in.buttons & bit) ++n;
  out.buttonRow = n * kButtonWidth + n * kButtonGap + 22;

  out.client.setWidth(std::max({150, out.contentWidth, out.buttonRow}));
  out.client.setHeight(std::max(55, kButtonHeight + out.contentHeight + 18));

  // The taller of icon and text sits at the top margin; the other is centred on it.
  int labelTop = kMargin;
  int iconTop = 0;
  int bottom = 0;
  if (hasIcon && ih > th) {
    iconTop = kMargin;
    labelTop = iconTop + ih / 2 - th / 2;
    bottom = iconTop + ih;
  } else {
    iconTop = labelTop + th / 2 - ih / 2;
    bottom = labelTop + th;
  }
  const int labelLeft = hasIcon ? kMargin + iw + kMargin : kMargin;
  out.label = QRect(labelLeft, labelTop, tw, th);
  if (hasIcon) out.image = QRect(kMargin, iconTop, iw, ih);

  int left = out.client.width() / 2 - out.buttonRow / 2 + 15;
  const int top = bottom + kMargin;
  for (unsigned bit = mbYes; bit <= mbHelp; bit <<= 1) {
    if (!(in.buttons & bit)) continue;
    out.buttons.append({static_cast<MsgButton>(bit), QRect(left, top, kButtonWidth, kButtonHeight)});
    left += kButtonWidth + kButtonGap;
  }
  return out;
}

int scalePixels(int value, int numerator, int denominator) {
  if (denominator == 0) return value;
  const long long p = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(p >= 0 ? (p + half) / denominator : (p - half) / denominator);
}

namespace {

QRect scaleRect(const QRect& r, int num, int den) {
  if (r.isNull()) return r;
  return QRect(scalePixels(r.x(), num, den), scalePixels(r.y(), num, den),
               scalePixels(r.width(), num, den), scalePixels(r.height(), num, den));
}

}  // namespace

MessageLayout scaleMessageLayout(const MessageLayout& layout, int screenDpi) {
  if (screenDpi <= 0 || screenDpi == kLayoutDpi) return layout;
  MessageLayout out = layout;
  out.client = QSize(scalePixels(layout.client.width(), screenDpi, kLayoutDpi),
                     scalePixels(layout.client.height(), screenDpi, kLayoutDpi));
  out.label = scaleRect(layout.label, screenDpi, kLayoutDpi);
  out.image = scaleRect(layout.image, screenDpi, kLayoutDpi);
  for (PlacedButton& b : out.buttons) b.rect = scaleRect(b.rect, screenDpi, kLayoutDpi);
  out.contentWidth = scalePixels(layout.contentWidth, screenDpi, kLayoutDpi);
  out.contentHeight = scalePixels(layout.contentHeight, screenDpi, kLayoutDpi);
  out.buttonRow = scalePixels(layout.buttonRow, screenDpi, kLayoutDpi);
  return out;
}

InputLayout layoutInput(QSize labelSize, int editHeight, int clientWidth) {
  InputLayout out;
  out.label = QRect(QPoint(kMargin, kMargin), labelSize);
  out.edit = QRect(kMargin, out.label.y() + labelSize.height() + 5, clientWidth - 2 * kMargin, editHeight);
  const int top = out.edit.y() + editHeight + kMargin;
  const int okLeft = clientWidth / 2 - (2 * kButtonWidth + kMargin) / 2;
  out.ok = QRect(okLeft, top, kButtonWidth, kButtonHeight);
  out.cancel = QRect(okLeft + kButtonWidth + kMargin, top, kButtonWidth, kButtonHeight);
  out.client = QSize(clientWidth, top + kButtonHeight + kMargin);
  return out;
}

}  // namespace korvi
