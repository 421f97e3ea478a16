// Geometry of the message dialog and the input box, checked with hand-computed numbers.
#include <gtest/gtest.h>

#include "printers.h"

#include "common/dialogs/messagelayout.h"

using namespace korvi;

namespace {

QList<int> lefts(const MessageLayout& l) {
  QList<int> out;
  for (const PlacedButton& b : l.buttons) out << b.rect.left();
  return out;
}

}  // namespace

TEST(MessageLayout, OneLineConfirmationCentresTextOnTallerIcon) {
  const MessageLayout l = layoutMessage({QSize(200, 13), QSize(32, 32), mbYes | mbNo});
  EXPECT_EQ(l.contentWidth, 262);   // 200 + 20 + 32 + 10
  EXPECT_EQ(l.contentHeight, 42);   // icon 32 + 10
  EXPECT_EQ(l.buttonRow, 192);      // 2 * 77 + 2 * 8 + 22
  EXPECT_EQ(l.client, QSize(262, 87));
  EXPECT_EQ(l.image, QRect(10, 10, 32, 32));
  EXPECT_EQ(l.label, QRect(52, 20, 200, 13));  // 10 + 16 - 6
  ASSERT_EQ(l.buttons.size(), 2);
  EXPECT_EQ(l.buttons[0].button, mbYes);
  EXPECT_EQ(l.buttons[1].button, mbNo);
  EXPECT_EQ(lefts(l), (QList<int>{50, 135}));  // 131 - 96 + 15, then 85 further
  EXPECT_EQ(l.buttons[0].rect.top(), 52);      // icon bottom 42 + 10
  EXPECT_EQ(l.buttons[0].rect.size(), QSize(77, 27));
}

TEST(MessageLayout, WrappedTextTallerThanIconCentresIconOnText) {
  const MessageLayout l = layoutMessage({QSize(400, 65), QSize(32, 32), mbOK});
  EXPECT_EQ(l.client, QSize(462, 120));        // 27 + 75 + 18
  EXPECT_EQ(l.label, QRect(52, 10, 400, 65));
  EXPECT_EQ(l.image, QRect(10, 26, 32, 32));   // 10 + 32 - 16
  EXPECT_EQ(lefts(l), (QList<int>{193}));      // 231 - 53 + 15
  EXPECT_EQ(l.buttons[0].rect.top(), 85);      // label bottom 75 + 10
  // The buttons stay inside the client area.
  EXPECT_LE(l.buttons.last().rect.bottom(), l.client.height());
}

TEST(MessageLayout, PlainBoxHasNoIconAndMinimumWidth) {
  const MessageLayout l = layoutMessage({QSize(100, 13), QSize(), mbOK});
  EXPECT_TRUE(l.image.isNull());
  EXPECT_EQ(l.client, QSize(150, 68));
  EXPECT_EQ(l.label, QRect(10, 10, 100, 13));
  EXPECT_EQ(lefts(l), (QList<int>{37}));
  EXPECT_EQ(l.buttons[0].rect.top(), 33);
  // Nothing measured at all still gives the minimum box.
  EXPECT_EQ(layoutMessage({QSize(0, 0), QSize(), mbOK}).client, QSize(150, 55));
}

TEST(MessageLayout, ButtonRowWiderThanTextSetsWidthSymmetrically) {
  const MessageLayout l = layoutMessage({QSize(50, 13), QSize(32, 32), mbAbort | mbRetry | mbIgnore});
  EXPECT_EQ(l.buttonRow, 277);
  EXPECT_EQ(l.client.width(), 277);
  EXPECT_EQ(lefts(l), (QList<int>{15, 100, 185}));
  EXPECT_EQ(l.client.width() - l.buttons.last().rect.left() - l.buttons.last().rect.width(), 15);
  // Buttons follow the table order whatever order the set is written in.
  const MessageLayout all = layoutMessage({QSize(10, 13), QSize(), mbHelp | mbCancel | mbYes | mbOK | mbNo});
  QList<MsgButton> order;
  for (const PlacedButton& b : all.buttons) order << b.button;
  EXPECT_EQ(order, (QList<MsgButton>{mbYes, mbNo, mbOK, mbCancel, mbHelp}));
}

TEST(MessageLayout, ScalesFrom96DpiRoundingToNearest) {
  const MessageLayout base = layoutMessage({QSize(200, 13), QSize(32, 32), mbYes | mbNo});
  const MessageLayout same = scaleMessageLayout(base, 96);
  EXPECT_EQ(same.client, base.client);
  const MessageLayout l = scaleMessageLayout(base, 120);
  EXPECT_EQ(l.client, QSize(328, 109));  // 327.5 and 108.75
  EXPECT_EQ(l.image, QRect(13, 13, 40, 40));
  EXPECT_EQ(l.buttons[1].rect, QRect(169, 65, 96, 34));
  EXPECT_EQ(scalePixels(11, 144, 96), 17);  // 16.5 rounds up
  EXPECT_EQ(scalePixels(-3, 3, 2), -5);
}

TEST(InputLayout, PlacesEditButtonsAndClientHeight) {
  const InputLayout l = layoutInput(QSize(60, 13), 21);
  EXPECT_EQ(l.label, QRect(10, 10, 60, 13));
  EXPECT_EQ(l.edit, QRect(10, 28, 260, 21));
  EXPECT_EQ(l.ok, QRect(58, 59, 77, 27));       // 140 - 82
  EXPECT_EQ(l.cancel, QRect(145, 59, 77, 27));  // OK + 77 + 10
  EXPECT_EQ(l.client, QSize(280, 96));
}
