#include "support/settings.hpp"

#include <gtest/gtest.h>

#include "sim/sim_defaults.hpp"

namespace plumora {
namespace {

TEST(Settings, FreshAccountReadsBothOnWithoutStoringThem) {
  sim::SimDefaults defaults;
  Settings settings(defaults);
  settings.registerDefaults();
  EXPECT_TRUE(settings.enabled());
  EXPECT_TRUE(settings.restoreOnSecondClick());
  EXPECT_EQ(defaults.stored("Enabled"), std::nullopt);
  EXPECT_EQ(defaults.stored("RestoreOnSecondClick"), std::nullopt);
}

TEST(Settings, EachSwitchIsStoredUnderItsOwnKeyAndSurvivesARelaunch) {
  sim::SimDefaults defaults;
  Settings(defaults).registerDefaults();
  Settings(defaults).setEnabled(false);
  Settings(defaults).setRestoreOnSecondClick(false);
  EXPECT_EQ(defaults.stored("Enabled"), false);
  EXPECT_EQ(defaults.stored("RestoreOnSecondClick"), false);
  defaults.relaunch();
  Settings settings(defaults);
  settings.registerDefaults();
  EXPECT_FALSE(settings.enabled());
  EXPECT_FALSE(settings.restoreOnSecondClick());
  settings.setEnabled(true);
  EXPECT_TRUE(settings.enabled());
  EXPECT_FALSE(settings.restoreOnSecondClick());
}

}  // namespace
}  // namespace plumora
