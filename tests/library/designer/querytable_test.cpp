#include "library/designer/querytable.h"

#include <gtest/gtest.h>

namespace korvi::designer {
namespace {

TEST(QueryTableTest, DatabaseNameOfAliasAndDirectory) {
  QueryTable t;
  t.location = QStringLiteral(":VENTES:");
  EXPECT_TRUE(t.isAlias());
  EXPECT_EQ(t.databaseName(), "VENTES");
  t.location = QStringLiteral("VENTES:");
  EXPECT_EQ(t.databaseName(), "VENTES");
  t.location = QStringLiteral(":");
  EXPECT_EQ(t.databaseName(), "");
  t.location = QStringLiteral("/srv/donnees/");
  EXPECT_FALSE(t.isAlias());
  EXPECT_EQ(t.databaseName(), "/srv/donnees/");
}

TEST(QueryTableTest, FreePlaceFillsSlotsRowByRow) {
  // Wide enough for two slots per row.
  EXPECT_EQ(findFreePlace(328, {}), QPoint(8, 5));
  EXPECT_EQ(findFreePlace(328, {QRect(8, 5, 136, 167)}), QPoint(164, 5));
  EXPECT_EQ(findFreePlace(328, {QRect(8, 5, 136, 167), QRect(164, 5, 136, 167)}), QPoint(8, 192));
  // Narrower than one slot still has one slot per row.
  EXPECT_EQ(findFreePlace(100, {QRect(8, 5, 136, 167)}), QPoint(8, 192));
}

TEST(QueryTableTest, WindowCoveringACornerTakesTheSlot) {
  // Moved so that it covers only the bottom-right corner of the first slot.
  EXPECT_EQ(findFreePlace(328, {QRect(140, 170, 20, 20)}), QPoint(164, 5));
  // Right and bottom edges lie outside a window: one ending just before the corner leaves it.
  EXPECT_EQ(findFreePlace(328, {QRect(0, 0, 9, 6)}), QPoint(8, 5));
}

TEST(QueryTableTest, NoFreePlaceAfter256Rows) {
  EXPECT_FALSE(findFreePlace(200, {QRect(0, 0, 1000, 256 * 187 + 10)}).has_value());
}

}  // namespace
}  // namespace korvi::designer
