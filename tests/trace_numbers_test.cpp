// The recording's numbers and texts: what the event tap's thread writes without the C library
// must read back as the same value, as the library's own form does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "recording/trace_text.hpp"

namespace plumora {
namespace {

struct NumberRow {
  double value;
  const char* text;  // null: any text that reads back the same
};

const NumberRow kNumbers[] = {
    {0.0, "0.0"},
    {-0.0, "-0.0"},
    {1.0, "1.0"},
    {612.5, "612.5"},
    {-2.25, "-2.25"},
    {0.1, "0.1"},
    {0.015, "0.015"},
    {1440.0, "1440.0"},
    {123456.789, "123456.789"},
    {0.000000001, "0.000000001"},
    {0.000000003, "0.000000003"},
    // Past nine decimals, past 2^53, and the extremes: the library's form.
    {1.0 / 3.0, nullptr},
    {1e-10, nullptr},
    {0.1 + 0.2, nullptr},
    {12345.678901234567, nullptr},
    {9007199254740992.0, nullptr},
    {1e300, nullptr},
    {-1e300, nullptr},
    {std::numeric_limits<double>::denorm_min(), nullptr},
    {std::numeric_limits<double>::max(), nullptr},
    {std::nextafter(0.5, 1.0), nullptr},
};

class NumberTest : public ::testing::TestWithParam<NumberRow> {};

TEST_P(NumberTest, ReadsBackAsTheSameDoubleAndLooksLikeOne) {
  const NumberRow& row = GetParam();
  std::string text;
  appendJsonNumber(text, row.value, false);
  if (row.text) {
    EXPECT_EQ(text, row.text);
  }
  char* end = nullptr;
  const double back = std::strtod(text.c_str(), &end);
  EXPECT_EQ(end, text.c_str() + text.size()) << text;
  EXPECT_EQ(back, row.value) << text;
  EXPECT_EQ(std::signbit(back), std::signbit(row.value)) << text;
  // A reader tells a number that was not integral by its point or exponent.
  EXPECT_TRUE(text.find_first_of(".e") != std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Rows, NumberTest, ::testing::ValuesIn(kNumbers));

TEST(TraceNumbers, EveryMillisecondOfAMinuteReadsBack) {
  for (int ms = 0; ms < 60000; ++ms) {
    const double value = ms / 1000.0;
    std::string text;
    appendJsonNumber(text, value, false);
    ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    ASSERT_LE(text.size(), 6u + (ms >= 10000)) << text;
  }
}

TEST(TraceNumbers, IntegersAreWrittenWhole) {
  std::string text;
  appendJsonInteger(text, std::numeric_limits<std::int64_t>::min());
  text += ' ';
  appendJsonNumber(text, 412, true);
  text += ' ';
  appendJsonInteger(text, -7);
  EXPECT_EQ(text, "-9223372036854775808 412 -7");
}

struct StringRow {
  const char *name, *text, *json;
};

const StringRow kStrings[] = {
    {"Plain", "Riempi", "\"Riempi\""},
    {"Empty", "", "\"\""},
    {"QuoteAndBackslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
    {"NewlineAndTab", "x\ny\tz", "\"x\\ny\\tz\""},
    {"ControlsAtTheEnds", "\x01mid\x7f", "\"\\u0001mid\\u007f\""},
    {"Utf8AsItIs", "Finestra «è»", "\"Finestra «è»\""},
};

class StringTest : public ::testing::TestWithParam<StringRow> {};

TEST_P(StringTest, EscapesOnlyWhatJsonNeeds) {
  const StringRow& row = GetParam();
  std::string json = "[";
  appendJsonString(json, row.text);
  EXPECT_EQ(json, std::string("[") + row.json);
}

INSTANTIATE_TEST_SUITE_P(Rows, StringTest, ::testing::ValuesIn(kStrings),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plumora
