#pragma once
// Geometry of the message dialog and of the input box, computed without widgets so the
// numbers can be checked directly. Every value is in pixels of a 96 pixels-per-inch layout;
// scaleMessageLayout converts a layout to the screen's resolution.

#include <QList>
#include <QRect>
#include <QSize>

#include "common/text/messages.h"

namespace korvi {

// Fixed values of the message dialog at 96 pixels per inch.
inline constexpr int kButtonWidth = 77;
inline constexpr int kButtonHeight = 27;
inline constexpr int kButtonGap = 8;
inline constexpr int kMargin = 10;
inline constexpr int kMessageFontPixels = 11;  // "MS Sans Serif" at height -11, bold
inline constexpr int kLayoutDpi = 96;

struct MessageLayoutInput {
  QSize text;           // the text measured word-wrapped inside half the screen width
  QSize icon;           // empty when the kind has no icon
  MsgButtons buttons = mbOK;
};

struct PlacedButton {
  MsgButton button;
  QRect rect;
};

struct MessageLayout {
  QSize client;         // client area of the form
  QRect label;          // the "Message" label
  QRect image;          // the "Image" icon; null when there is none
  QList<PlacedButton> buttons;  // in layout order, left to right
  int contentWidth = 0;   // CW
  int contentHeight = 0;  // CH
  int buttonRow = 0;      // BR
};

// Lays out the message dialog from the measured text, the icon and the button set.
MessageLayout layoutMessage(const MessageLayoutInput& input);

// Scales a value by numerator/denominator, rounding to the nearest pixel.
int scalePixels(int value, int numerator, int denominator);
// Scales every rectangle and size of a layout from kLayoutDpi to the given resolution.
MessageLayout scaleMessageLayout(const MessageLayout& layout, int screenDpi);

// The input box: a fixed client width, the prompt label at (10, 10), the edit field 5 below
// it, the OK and Cancel buttons 10 below the edit field, and 10 below the buttons.
inline constexpr int kInputClientWidth = 280;
inline constexpr int kInputInitialHeight = 160;
inline constexpr int kInputMaxLength = 255;

struct InputLayout {
  QSize client;
  QRect label;
  QRect edit;
  QRect ok;
  QRect cancel;
};

InputLayout layoutInput(QSize labelSize, int editHeight, int clientWidth = kInputClientWidth);

}  // namespace korvi
