#include "app/settings.hpp"

#include <gtest/gtest.h>

#include "sim/sim_defaults.hpp"

namespace plumora {
namespace {

TEST(Settings, FreshAccountReadsBothOn) {
  sim::SimDefaults defaults;
  Settings settings(defaults);
  EXPECT_FALSE(settings.enabled());  // nothing registered yet
  settings.registerDefaults();
  EXPECT_TRUE(settings.enabled());
  EXPECT_TRUE(settings.restoreOnSecondClick());
  EXPECT_EQ(defaults.stored("Enabled"), std::nullopt);
  EXPECT_FALSE(defaults.boolForKey("DebugLog"));
}

TEST(Settings, APauseSurvivesARelaunch) {
  sim::SimDefaults defaults;
  Settings(defaults).registerDefaults();
  Settings(defaults).setEnabled(false);
  defaults.relaunch();
  Settings settings(defaults);
  settings.registerDefaults();
  EXPECT_FALSE(settings.enabled());
  EXPECT_TRUE(settings.restoreOnSecondClick());
}

TEST(Settings, TogglingTwiceStoresTheKey) {
  sim::SimDefaults defaults;
  Settings settings(defaults);
  settings.registerDefaults();
  settings.setRestoreOnSecondClick(!settings.restoreOnSecondClick());
  settings.setRestoreOnSecondClick(!settings.restoreOnSecondClick());
  EXPECT_EQ(defaults.stored("RestoreOnSecondClick"), true);
}

}  // namespace
}  // namespace plumora
