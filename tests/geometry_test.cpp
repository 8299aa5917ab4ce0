// Where the platform's rectangle and number rules differ from the obvious ones, and how
// rectangles are written in the log.
#include "platform/geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "accessibility/rect_text.hpp"
#include "platform/raw_value.hpp"

namespace plumora {
namespace {

TEST(Geometry, PointsOnMaximumEdgesAreOutsideButRectanglesOnThemInside) {
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
  // A rectangle that shares an edge is inside.
  const Rect outer = Rect::make(0, 0, 100, 100);
  EXPECT_TRUE(containsRect(outer, outer));
  EXPECT_TRUE(containsRect(outer, Rect::make(0, 50, 100, 50)));
  EXPECT_FALSE(containsRect(outer, Rect::make(0, 50, 100, 50.5)));
  EXPECT_TRUE(containsRect(Rect::make(100, 100, -100, -100), Rect::make(10, 10, 5, 5)));
  EXPECT_FALSE(containsRect(outer, Rect::make(std::nan(""), 0, 1, 1)));
}

TEST(Geometry, RectanglesThatTouchIntersectAndTooLargeInsetsAreNull) {
  const Rect a = Rect::make(0, 0, 10, 10);
  EXPECT_TRUE(intersects(a, Rect::make(10, 0, 10, 10)));
  EXPECT_EQ(intersection(a, Rect::make(10, 0, 10, 10)), Rect::make(10, 0, 0, 10));
  EXPECT_FALSE(intersects(a, Rect::make(10.5, 0, 10, 10)));
  EXPECT_EQ(intersection(a, Rect::make(5, -5, -10, 10)), Rect::make(0, 0, 5, 5));
  EXPECT_FALSE(intersects(a, kNullRect));
  // An inset standardises, and gives null when too large.
  EXPECT_EQ(inset(Rect::make(0, 25, 1440, 875), -2, -2), Rect::make(-2, 23, 1444, 879));
  EXPECT_EQ(inset(Rect::make(10, 10, -10, -10), 1, 1), Rect::make(1, 1, 8, 8));
  EXPECT_TRUE(isNull(inset(Rect::make(0, 0, 10, 10), 6, 0)));
  EXPECT_TRUE(isNull(inset(Rect::make(0, 0, 10, 10), 0, 6)));
  // Either infinite coordinate makes a null rectangle.
  EXPECT_TRUE(isNull(inset(Rect::make(0, std::numeric_limits<double>::infinity(), 10, 10), 1, 1)));
  EXPECT_EQ(inset(Rect::make(0, 0, 10, 10), 5, 5), Rect::make(5, 5, 0, 0));
}

TEST(Describe, WritesTheStandardisedRectangleTruncatedOrMarked) {
  EXPECT_EQ(describe(std::nullopt), "-");
  EXPECT_EQ(describe(Rect::make(0, 25, 1440, 875)), "(0,25 1440x875)");
  EXPECT_EQ(describe(Rect::make(10.9, -3.7, 100.2, 50.99)), "(10,-3 100x50)");
  // A negative extent is written from the real minimum corner.
  EXPECT_EQ(describe(Rect::make(100, 50, -40, -20)), "(60,30 40x20)");
  EXPECT_EQ(describe(Rect::make(-0.5, -1.5, 0, 0)), "(0,-1 0x0)");
  // Numbers that have no integer text are marked.
  constexpr double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(describe(kNullRect), "(?,? 0x0)");
  EXPECT_EQ(describe(Rect::make(std::nan(""), 1, 2, 3)), "(?,1 2x3)");
  EXPECT_EQ(describe(Rect::make(1e19, -1e19, inf, 5)), "(?,? ?x5)");
  EXPECT_EQ(describe(Rect::make(-9223372036854775808.0, 0, 1, 1)), "(-9223372036854775808,0 1x1)");
  EXPECT_EQ(describe(Rect::make(9223372036854775808.0, 0, 1, 1)), "(?,0 1x1)");
}

TEST(RawValue, NumbersKnowWhetherTheyAreIntegral) {
  EXPECT_EQ(Number::of(3.0).integer, 3);
  EXPECT_EQ(Number::of(-0.0).integer, 0);
  EXPECT_EQ(Number::of(3.5).integer, std::nullopt);
  EXPECT_EQ(Number::of(std::nan("")).integer, std::nullopt);
  EXPECT_EQ(Number::of(1e30).integer, std::nullopt);
  // The 64-bit range, both ends: -2^63 fits, 2^63 does not.
  EXPECT_EQ(Number::of(-9223372036854775808.0).integer, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(Number::of(9223372036854775808.0).integer, std::nullopt);
  EXPECT_EQ(Number::of(std::int64_t{1} << 40).integer, std::int64_t{1} << 40);
}

}  // namespace
}  // namespace plumora
