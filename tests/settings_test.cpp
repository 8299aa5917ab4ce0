#include "support/settings.hpp"

#include <gtest/gtest.h>

#include "sim/sim_defaults.hpp"

namespace plumora {
namespace {

// Both switches read on until chosen; a choice is stored under its own key and survives a
// relaunch, a default never is.
TEST(Settings, DefaultsAreOnAndOnlyChoicesAreStored) {
  sim::SimDefaults defaults;
  Settings(defaults).registerDefaults();
  EXPECT_TRUE(Settings(defaults).enabled());
  EXPECT_TRUE(Settings(defaults).restoreOnSecondClick());
  EXPECT_EQ(defaults.stored("Enabled"), std::nullopt);
  EXPECT_EQ(defaults.stored("RestoreOnSecondClick"), std::nullopt);
  Settings(defaults).setEnabled(false);
  Settings(defaults).setRestoreOnSecondClick(false);
  EXPECT_EQ(defaults.stored("Enabled"), false);
  EXPECT_EQ(defaults.stored("RestoreOnSecondClick"), false);
  defaults.relaunch();
  Settings settings(defaults);
  settings.registerDefaults();
  EXPECT_FALSE(settings.enabled());
  EXPECT_FALSE(settings.restoreOnSecondClick());
}

}  // namespace
}  // namespace plumora
