#include "platform/raw_value.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace plumora {
namespace {

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
