// The numbers of scenario files: which texts are numbers, and that each reads as the nearest
// double whatever the C++ library or the locale.

#include "scenario/decimal_number.hpp"
#include "comma_locale.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <locale>
#include <optional>
#include <random>
#include <string>
#include <vector>

#if defined(__GLIBCXX__)
#include <charconv>
#endif

namespace plumora::simtool {
namespace {

// The same bits: tells -0 from 0.
bool sameDouble(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The decimal digits of digits × factor^count, for exact numbers no double holds.
std::string times(std::string digits, int factor, int count) {
  for (int i = 0; i < count; ++i) {
    int carry = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
      carry += (*it - '0') * factor;
      *it = static_cast<char>('0' + carry % 10);
      carry /= 10;
    }
    if (carry != 0) digits.insert(0, 1, static_cast<char>('0' + carry));
  }
  return digits;
}

// 2^1024 - 2^970 = (2^54 - 1) × 2^970: halfway between the largest double and the next power of
// two. 2^-1075 = 5^1075 × 10^-1075: halfway between 0 and the smallest double.
const std::string kOverflowTie = times("18014398509481983", 2, 970);
const std::string kUnderflowTie = times("1", 5, 1075) + "e-1075";

// A row whose text is also a C++ literal: the compiler's correctly rounded reading is the answer.
#define NUMBER(literal) Row(#literal, literal)

TEST(DecimalNumber, ReadsTheNearestDouble) {
  using Row = std::pair<std::string, double>;
  const Row numbers[] = {
      NUMBER(250.), NUMBER(-0.5), NUMBER(.5), NUMBER(5.), NUMBER(-.5), NUMBER(1e5), NUMBER(2.5E+2),
      NUMBER(1e-3), NUMBER(00.00e00), NUMBER(0e999999), NUMBER(-0e-99999999999), NUMBER(0.1),
      NUMBER(1e0000000000000000000000000005), NUMBER(1e23), Row("000001", 1), Row("-0", -0.0),
      Row("123456789012345678901234567890", 0x1.8ee90ff6c373ep+96),
      // Ties go to the even neighbour; anything past the tie goes up.
      Row("9007199254740993", 0x1p+53), Row("9007199254740995", 0x1.0000000000002p+53),
      NUMBER(9007199254740993.0000000000000000001),
      // The ends of the range, and the step from the numbers below the normal range into it.
      NUMBER(1.7976931348623157e308), NUMBER(2.2250738585072011e-308),
      NUMBER(2.2250738585072012e-308), NUMBER(4.9e-324), NUMBER(-1e-320),
      Row(kOverflowTie.substr(0, kOverflowTie.size() - 1) + "1", 0x1.fffffffffffffp+1023),
      Row(times("1", 5, 1075) + "1e-1076", 0x0.0000000000001p-1022)};
  for (const auto& [text, value] : numbers) {
    const auto read = parseDecimal(text);
    ASSERT_TRUE(read.has_value()) << text;
    EXPECT_TRUE(sameDouble(*read, value)) << text << " read as " << *read;
  }
}

TEST(DecimalNumber, RefusesWhatIsNoNumberOrOutOfRange) {
  const std::string refused[] = {"", "+1", ".", "-", "-.", "e5", ".e5", "1e", "1e+", "1..2",
                                 "1.2.3", "1 ", " 1", "0x10", "1,5", "inf", "-inf", "nan", "nan(1)",
                                 "infinity", "1e5.0", "--1", "1-", "1e--5", "\xef\xbc\x91",
                                 // Past the largest double, or not zero yet rounding to it.
                                 "1e309", "1.8e308", "-1.8e308", kOverflowTie, "1e-400",
                                 "2.4703282292062327e-324", kUnderflowTie,
                                 "0.1e-99999999999999999999", "1e99999999999999999999999"};
  for (const auto& text : refused) {
    const auto read = parseDecimal(text);
    EXPECT_FALSE(read.has_value()) << "'" << text << "' read as " << *read;
  }
}

// A host program may switch the C library, or the C++ global locale, to a locale whose decimal
// separator is a comma; numbers keep their point.
TEST(DecimalNumber, KeepsThePointUnderACommaLocale) {
  const char* found = test::useCommaLocale(LC_ALL);
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
  const auto previous = std::locale::global(std::locale(found));
  const auto point = parseDecimal("2.5e-1");
  const auto comma = parseDecimal("0,25");
  std::locale::global(previous);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(point, 0.25);
  EXPECT_FALSE(comma.has_value());
}

#if defined(__GLIBCXX__)
// Where the library has std::from_chars for double (libstdc++), the two agree on every text:
// words made of the grammar's own characters, well-formed numbers over the whole range, and the
// texts of random doubles printed near their rounding boundaries.
TEST(DecimalNumber, AgreesWithTheLibrarysConversion) {
  std::mt19937_64 random(20261207);
  const auto digits = [&](std::string& s, std::uint64_t count) {
    for (std::uint64_t i = 0; i < count; ++i) s += static_cast<char>('0' + random() % 10);
  };
  std::vector<std::string> texts;
  for (int i = 0; i < 2000; ++i) {
    std::string& s = texts.emplace_back();
    for (std::uint64_t n = 1 + random() % 10; n > 0; --n) s += "0123456789.eE+-"[random() % 15];
  }
  for (int i = 0; i < 2000; ++i) {
    std::string& s = texts.emplace_back(random() % 2 ? "-" : "");
    digits(s, random() % 22);
    if (random() % 2) digits(s += '.', random() % 22);
    if (s.find_first_of("0123456789") == std::string::npos) s += '7';
    if (random() % 3) s += (random() % 2 ? "e" : "E-") + std::to_string(random() % 700);
  }
  for (int i = 0; i < 2000; ++i) {
    double x = 0;
    do {
      const std::uint64_t bits = random();
      std::memcpy(&x, &bits, sizeof x);
    } while (!std::isfinite(x));
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", static_cast<int>(14 + random() % 12), x);
    texts.push_back(text);
  }
  for (const auto& text : texts) {
    double theirs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), theirs);
    const bool read =
        error == std::errc() && end == text.data() + text.size() && std::isfinite(theirs);
    const auto ours = parseDecimal(text);
    ASSERT_EQ(ours.has_value(), read) << text;
    EXPECT_TRUE(!ours || sameDouble(*ours, theirs)) << text;
  }
}
#endif

}  // namespace
}  // namespace plumora::simtool
