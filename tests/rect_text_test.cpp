#include "accessibility/rect_text.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace plumora {
namespace {

TEST(Describe, WritesTheStandardisedRectangleTruncated) {
  EXPECT_EQ(describe(std::nullopt), "-");
  EXPECT_EQ(describe(Rect::make(0, 25, 1440, 875)), "(0,25 1440x875)");
  EXPECT_EQ(describe(Rect::make(10.9, -3.7, 100.2, 50.99)), "(10,-3 100x50)");
  // A negative extent is written from the real minimum corner.
  EXPECT_EQ(describe(Rect::make(100, 50, -40, -20)), "(60,30 40x20)");
  EXPECT_EQ(describe(Rect::make(-0.5, -1.5, 0, 0)), "(0,-1 0x0)");
}

TEST(Describe, MarksNumbersThatHaveNoIntegerText) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(describe(kNullRect), "(?,? 0x0)");
  EXPECT_EQ(describe(Rect::make(std::nan(""), 1, 2, 3)), "(?,1 2x3)");
  EXPECT_EQ(describe(Rect::make(1e19, -1e19, inf, 5)), "(?,? ?x5)");
  EXPECT_EQ(describe(Rect::make(-9223372036854775808.0, 0, 1, 1)), "(-9223372036854775808,0 1x1)");
  EXPECT_EQ(describe(Rect::make(9223372036854775808.0, 0, 1, 1)), "(?,0 1x1)");
}

}  // namespace
}  // namespace plumora
