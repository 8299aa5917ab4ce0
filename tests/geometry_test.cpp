// Where the platform's rectangle rules differ from the obvious ones.
#include "platform/geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace plumora {
namespace {

TEST(Geometry, PointsOnMinimumEdgesAreInsideAndOnMaximumEdgesOutside) {
  const Rect r = Rect::make(10, 20, 100, 50);
  EXPECT_TRUE(containsPoint(r, {10, 20}));
  EXPECT_FALSE(containsPoint(r, {110, 30}));
  EXPECT_FALSE(containsPoint(r, {50, 70}));
  EXPECT_TRUE(containsPoint(r, {109.999, 69.999}));
  // A negative extent is the same rectangle.
  EXPECT_TRUE(containsPoint(Rect::make(110, 70, -100, -50), {10, 20}));
  EXPECT_FALSE(containsPoint(Rect::make(110, 70, -100, -50), {110, 70}));
  EXPECT_FALSE(containsPoint(Rect::make(0, 0, 0, 10), {0, 5}));
  EXPECT_FALSE(containsPoint(kNullRect, {0, 0}));
}

TEST(Geometry, ContainmentIncludesSharedEdges) {
  const Rect outer = Rect::make(0, 0, 100, 100);
  EXPECT_TRUE(containsRect(outer, outer));
  EXPECT_TRUE(containsRect(outer, Rect::make(0, 50, 100, 50)));
  EXPECT_FALSE(containsRect(outer, Rect::make(0, 50, 100, 50.5)));
  EXPECT_TRUE(containsRect(Rect::make(100, 100, -100, -100), Rect::make(10, 10, 5, 5)));
  EXPECT_FALSE(containsRect(outer, Rect::make(std::nan(""), 0, 1, 1)));
}

TEST(Geometry, RectanglesThatTouchIntersect) {
  const Rect a = Rect::make(0, 0, 10, 10);
  EXPECT_TRUE(intersects(a, Rect::make(10, 0, 10, 10)));
  EXPECT_EQ(intersection(a, Rect::make(10, 0, 10, 10)), Rect::make(10, 0, 0, 10));
  EXPECT_FALSE(intersects(a, Rect::make(10.5, 0, 10, 10)));
  EXPECT_EQ(intersection(a, Rect::make(5, -5, -10, 10)), Rect::make(0, 0, 5, 5));
  EXPECT_FALSE(intersects(a, kNullRect));
}

TEST(Geometry, InsetStandardisesAndGivesNullWhenTooLarge) {
  EXPECT_EQ(inset(Rect::make(0, 25, 1440, 875), -2, -2), Rect::make(-2, 23, 1444, 879));
  EXPECT_EQ(inset(Rect::make(10, 10, -10, -10), 1, 1), Rect::make(1, 1, 8, 8));
  EXPECT_TRUE(isNull(inset(Rect::make(0, 0, 10, 10), 6, 0)));
  EXPECT_TRUE(isNull(inset(Rect::make(0, 0, 10, 10), 0, 6)));
  // Either infinite coordinate makes a null rectangle.
  EXPECT_TRUE(isNull(inset(Rect::make(0, std::numeric_limits<double>::infinity(), 10, 10), 1, 1)));
  EXPECT_EQ(inset(Rect::make(0, 0, 10, 10), 5, 5), Rect::make(5, 5, 0, 0));
}

}  // namespace
}  // namespace plumora
