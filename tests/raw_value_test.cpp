#include "platform/raw_value.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace plumora {
namespace {

TEST(RawValue, NumbersKnowWhetherTheyAreIntegral) {
  EXPECT_EQ(Number::of(3.0).integer, 3);
  EXPECT_EQ(Number::of(-0.0).integer, 0);
  EXPECT_EQ(Number::of(3.5).integer, std::nullopt);
  EXPECT_EQ(Number::of(std::nan("")).integer, std::nullopt);
  EXPECT_EQ(Number::of(1e30).integer, std::nullopt);
  EXPECT_EQ(Number::of(std::int64_t{1} << 40).integer, std::int64_t{1} << 40);
}

TEST(RawValue, BooleansCountAsNumbers) {
  EXPECT_EQ(RawValue::boolean(true).numeric(), 1.0);
  EXPECT_EQ(RawValue::boolean(false).numeric(), 0.0);
  EXPECT_EQ(RawValue::number(0.5).numeric(), 0.5);
  EXPECT_EQ(RawValue::string("1").numeric(), std::nullopt);
  EXPECT_EQ(RawValue().numeric(), std::nullopt);
}

TEST(RawValue, DictionaryLookupAndCopiesShareNothingMutable) {
  RawValue dict = RawValue::dictionary({{"X", RawValue::integer(1)}, {"Y", RawValue::integer(2)}});
  RawValue copy = dict;
  ASSERT_NE(copy.find("Y"), nullptr);
  EXPECT_EQ(copy.find("Y")->asNumber()->integer, 2);
  EXPECT_EQ(copy.find("Z"), nullptr);
  EXPECT_EQ(RawValue::integer(1).find("X"), nullptr);
  EXPECT_EQ(dict.kind(), RawValue::Kind::Dictionary);
  EXPECT_EQ(RawValue::error(ax::kNoValue).asError()->code, ax::kNoValue);
  EXPECT_EQ(RawValue::other().kind(), RawValue::Kind::Other);
}

}  // namespace
}  // namespace plumora
