#include "support/language.hpp"

#include <gtest/gtest.h>

#include <clocale>

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

TEST_F(LanguageTest, TheFirstPreferredLanguageDecides) {
  EXPECT_TRUE(italianFor({"it-IT", "en-US"}));
  EXPECT_FALSE(italianFor({"en-US", "it-IT"}));
  EXPECT_FALSE(italianFor({}));
  EXPECT_TRUE(italianFor({"IT-it"}));
  EXPECT_TRUE(italianFor({"it"}));
  EXPECT_FALSE(italianFor({""}));
  EXPECT_FALSE(italianFor({"i"}));
}

TEST_F(LanguageTest, TheChoiceIsMadeOnce) {
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
}

TEST(ElapsedMs, KeepsThePointUnderACommaLocale) {
  const char* found = nullptr;
  for (const char* name : {"de_DE.UTF-8", "it_IT.UTF-8", "fr_FR.UTF-8", "de_DE", "it_IT"}) {
    if (std::setlocale(LC_NUMERIC, name)) {
      found = name;
      break;
    }
  }
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
  const std::string text = formatMilliseconds(12.34);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(text, "12.3");
}

}  // namespace
}  // namespace plumora
