#include "macos/mac_event_tap.hpp"

#include <ApplicationServices/ApplicationServices.h>
#include <gtest/gtest.h>

#include "platform/keyboard.hpp"

namespace plumora {
namespace {

// An active tap is what the Accessibility permission guards. A test process usually has no
// permission, but a machine may have granted one to whatever started it: both answers are
// checked against what the system says about this process.
TEST(MacEventTaps, AnActiveTapFollowsThePermission) {
  MacEventTaps taps;
  const bool trusted = AXIsProcessTrusted();
  const std::shared_ptr<EventTap> tap = taps.create(
      EventTapLocation::Session, EventTapPlacement::HeadInsert, EventTapOptions::Default,
      eventMaskBit(EventType::LeftMouseDown) | eventMaskBit(EventType::LeftMouseUp),
      [](EventTap&, EventType, const TapEvent&) { return TapVerdict::Pass; });
  if (!trusted) {
    EXPECT_EQ(tap, nullptr) << "an active tap was created without the Accessibility permission";
    return;
  }
  ASSERT_NE(tap, nullptr) << "the permission is granted, yet the tap was refused";
  EXPECT_TRUE(tap->run("app.plumora.tests.tap"));
  tap->stop();
}

}  // namespace
}  // namespace plumora
