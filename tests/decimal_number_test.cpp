// The numbers of scenario files: which texts are numbers, and that each reads as the nearest
// double whatever the C++ library or the locale.

#include "decimal_number.hpp"
#include "comma_locale.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale>
#include <optional>
#include <random>
#include <string>

#if defined(__GLIBCXX__)
#include <charconv>
#endif

namespace plumora::simtool {
namespace {

// The same bits: tells -0 from 0.
bool sameDouble(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// 2^1024 - 2^970, halfway between the largest double and the first power of two beyond it.
constexpr const char* kOverflowTie =
    "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017977"
    "587207096330286416692887910946555547851940402630657488671505820681908902000708383676273854845"
    "817711531764475730270069855571366959622842914819860834936475292719074168444365510704342711559"
    "699508093042880177904174497792";
// 2^-1075, halfway between 0 and the smallest double.
constexpr const char* kUnderflowTie =
    "2."
    "470328229206232720882843964341106861825299013071623822127928412503377536351043759326499181808"
    "1799618989828234772285886546332835517796989819938739800539093906315035659515570226392290858392"
    "4"
    "4910518443593180284993653615250031937045767824921936562366986365848075700158576926990370631192"
    "8"
    "2795585513329278343384093519780155312465972635795746227664652728272200563740064854999770965994"
    "7"
    "0454020828166226237857393450736339007967761930577506740176324673600968951340535537458516661134"
    "2"
    "2376667860416215968046191446729184030053005753084904876539171138659164623952491262365388187963"
    "6"
    "2393732804238910186723484976682350898633885879256283027559956575244555072551893136908362547791"
    "8"
    "6948667994968324049705821028513185451396213837722826145437693412532098591327667236328125e-324";

struct Reading {
  std::string text;
  double value;
};

const Reading kNumbers[] = {
    {"250", 250},
    {"-0.5", -0.5},
    {".5", 0.5},
    {"5.", 5},
    {"-.5", -0.5},
    {"1e5", 1e5},
    {"2.5E+2", 250},
    {"1e-3", 0.001},
    {"000001", 1},
    {"00.00e00", 0},
    {"-0", -0.0},
    {"0e999999", 0},
    {"-0e-99999999999", -0.0},
    {"1e0000000000000000000000000005", 1e5},
    {"0.1", 0x1.999999999999ap-4},
    {"1e23", 0x1.52d02c7e14af6p+76},
    {"123456789012345678901234567890", 0x1.8ee90ff6c373ep+96},
    // Ties go to the even neighbour; anything past the tie goes up.
    {"9007199254740993", 0x1p+53},
    {"9007199254740995", 0x1.0000000000002p+53},
    {"9007199254740993.0000000000000000001", 0x1.0000000000001p+53},
    // The ends of the range, and the step from the numbers below the normal range into it.
    {"1.7976931348623157e308", 0x1.fffffffffffffp+1023},
    {std::string(kOverflowTie, std::strlen(kOverflowTie) - 1) + "1", 0x1.fffffffffffffp+1023},
    {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
    {"2.2250738585072012e-308", 0x1p-1022},
    {"4.9e-324", 0x0.0000000000001p-1022},
    {std::string(kUnderflowTie, std::strlen(kUnderflowTie) - 5) + "1e-324",
     0x0.0000000000001p-1022},
    {"-1e-320", -0x0.00000000007e8p-1022},
};

TEST(DecimalNumber, ReadsTheNearestDouble) {
  for (const auto& [text, value] : kNumbers) {
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
  ASSERT_TRUE(point.has_value());
  EXPECT_EQ(*point, 0.25);
  EXPECT_FALSE(comma.has_value());
}

#if defined(__GLIBCXX__)
// Where the library has std::from_chars for double (libstdc++), the two agree on every text:
// words made of the grammar's own characters, well-formed numbers over the whole range, and the
// texts of random doubles printed near their rounding boundaries.
TEST(DecimalNumber, AgreesWithTheLibrarysConversion) {
  const auto library = [](const std::string& s) -> std::optional<double> {
    double value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size() || !std::isfinite(value)) {
      return std::nullopt;
    }
    return value;
  };
  std::mt19937_64 random(20261207);
  const auto digits = [&](std::string& s, std::uint64_t count) {
    for (std::uint64_t i = 0; i < count; ++i) s += static_cast<char>('0' + random() % 10);
  };
  std::vector<std::string> texts;
  constexpr std::string_view kAlphabet = "0123456789.eE+-";
  for (int i = 0; i < 2000; ++i) {
    std::string s;
    for (std::uint64_t n = 1 + random() % 10; n > 0; --n)
      s += kAlphabet[random() % kAlphabet.size()];
    texts.push_back(s);
  }
  for (int i = 0; i < 2000; ++i) {
    std::string s = random() % 2 ? "-" : "";
    digits(s, random() % 22);
    if (random() % 2) {
      s += '.';
      digits(s, random() % 22);
    }
    if (s.find_first_of("0123456789") == std::string::npos) s += '7';
    if (random() % 3) s += (random() % 2 ? "e" : "E-") + std::to_string(random() % 700);
    texts.push_back(s);
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
    const auto ours = parseDecimal(text);
    const auto theirs = library(text);
    ASSERT_EQ(ours.has_value(), theirs.has_value()) << text;
    if (ours) {
      EXPECT_TRUE(sameDouble(*ours, *theirs)) << text;
    }
  }
}
#endif

}  // namespace
}  // namespace plumora::simtool
