#include "support/language.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "comma_locale.hpp"
#include "sim/sim_system.hpp"
#include "support/elapsed.hpp"

namespace plumora {
namespace {

class LanguageTest : public ::testing::Test {
 protected:
  sim::VirtualClock clock;
  sim::ManualDispatch dispatch{clock};
  sim::SimSystem system{dispatch};

  bool italianFor(std::vector<std::string> languages) {
    system.languages = std::move(languages);
    return Language(system).isItalian();
  }
};

TEST_F(LanguageTest, TheFirstPreferredLanguageDecidesOnce) {
  EXPECT_TRUE(italianFor({"it-IT", "en-US"}));
  EXPECT_FALSE(italianFor({"en-US", "it-IT"}));
  EXPECT_FALSE(italianFor({}));
  EXPECT_TRUE(italianFor({"IT-it"}));
  EXPECT_TRUE(italianFor({"it"}));
  EXPECT_FALSE(italianFor({""}));
  EXPECT_FALSE(italianFor({"i"}));
  EXPECT_FALSE(italianFor({"en-IT"}));
  // The choice is made once, when the language is made.
  system.languages = {"it-CH"};
  Language language(system);
  EXPECT_EQ(language.L("Attivo", "Enabled"), "Attivo");
  system.languages = {"en-GB"};
  EXPECT_EQ(language.L("Attivo", "Enabled"), "Attivo");
  EXPECT_EQ(Language(system).L("Attivo", "Enabled"), "Enabled");
}

TEST(ElapsedMs, OneDecimalWithAPoint) {
  sim::VirtualClock clock(100.0);
  EXPECT_EQ(elapsedMs(clock, 100.0 - 0.01234), "12.3");
  EXPECT_EQ(elapsedMs(clock, 97.5), "2500.0");
  EXPECT_EQ(elapsedMs(clock, 100.0), "0.0");
  EXPECT_EQ(elapsedMs(clock, 100.5), "-500.0");
  EXPECT_EQ(formatMilliseconds(1234567.89), "1234567.9");
  EXPECT_EQ(formatMilliseconds(19.96), "20.0");
  EXPECT_EQ(formatMilliseconds(99.0), "99.0");
  // A text that does not fit the buffer (63 characters and its end) is no number.
  EXPECT_EQ(formatMilliseconds(1e61).size(), 63u);
  EXPECT_EQ(formatMilliseconds(5e61), "?");  // exactly 64 characters
}

// A host program may switch the C library to a locale whose decimal separator is a comma.
TEST(ElapsedMs, KeepsThePointUnderACommaLocale) {
  const char* found = test::useCommaLocale(LC_NUMERIC);
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
  char comma[8];
  std::snprintf(comma, sizeof comma, "%.1f", 0.5);
  const std::string positive = formatMilliseconds(12.34);
  const std::string negative = formatMilliseconds(-1999.5);
  std::setlocale(LC_NUMERIC, "C");
  ASSERT_STREQ(comma, "0,5") << found << " has no decimal comma";
  EXPECT_EQ(positive, "12.3");
  EXPECT_EQ(negative, "-1999.5");
}

}  // namespace
}  // namespace plumora
