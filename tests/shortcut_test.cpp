#include "fill/shortcut.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/sim_keyboard.hpp"

namespace plumora {
namespace {

using sim::PostedKey;
using ::testing::ElementsAre;

constexpr auto kHID = EventTapLocation::HID;

struct ShortcutTest : ::testing::Test {
  sim::VirtualClock clock;
  sim::SimKeyboard keyboard{clock};
};

TEST_F(ShortcutTest, PostsKeyDownThenKeyUpWithFnAndControlOnly) {
  Shortcut::postFill(keyboard);
  Shortcut::postRestore(keyboard);
  EXPECT_THAT(keyboard.posted(), ElementsAre(PostedKey{3, true, 0x840000, kHID, true, 0},
                                             PostedKey{3, false, 0x840000, kHID, true, 0},
                                             PostedKey{15, true, 0x840000, kHID, true, 0},
                                             PostedKey{15, false, 0x840000, kHID, true, 0}));
  EXPECT_EQ(keyboard.lastSourceState, EventSourceState::HIDSystem);
}

TEST_F(ShortcutTest, WithoutASourceTheEventsAreMadeWithoutOne) {
  keyboard.failSource = true;
  Shortcut::postFill(keyboard);
  const auto noSource = ::testing::Field(&PostedKey::hadSource, false);
  EXPECT_THAT(keyboard.posted(), ElementsAre(noSource, noSource));
}

TEST_F(ShortcutTest, NeverALoneKeyDown) {
  keyboard.failKeyUp = true;
  Shortcut::postFill(keyboard);
  EXPECT_TRUE(keyboard.posted().empty());
  keyboard.failKeyUp = false;
  keyboard.failKeyDown = true;
  Shortcut::postRestore(keyboard);
  EXPECT_TRUE(keyboard.posted().empty());
}

}  // namespace
}  // namespace plumora
