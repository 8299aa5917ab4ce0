// The event tap's callback sees every drag and release of every application: those that belong
// to no recognised press must cost no allocation, and so must a press that the window list
// alone sets aside. This binary counts every allocation.
#include <gtest/gtest.h>

#include "counting_new.hpp"
#include "interception/interceptor.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

class AllocationTest : public test::SimFixture {
 protected:
  Interceptor interceptor{context, [](const GreenClick&) {}};
};

TEST_F(AllocationTest, DragsAndReleasesWithoutARecognisedPressAllocateNothing) {
  ASSERT_TRUE(interceptor.start());
  auto tap = mac.eventTaps.live();
  const sim::SimTapEvent drag({600, 500}, 0), release({600, 500}, 0), moved({1, 1}, 0);
  const long before = counting::allocations();
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseDragged, drag), TapVerdict::Pass);
    EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseUp, release), TapVerdict::Pass);
    EXPECT_EQ(interceptor.handle(*tap, EventType::MouseMoved, moved), TapVerdict::Pass);
  }
  EXPECT_EQ(counting::allocations() - before, 0);
}

TEST_F(AllocationTest, APressWithAModifierAllocatesNothing) {
  ASSERT_TRUE(interceptor.start());
  auto tap = mac.eventTaps.live();
  const sim::SimTapEvent press(mac.desktop.center(*window, window->zoom), 0x80000);
  const long before = counting::allocations();
  EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseDown, press), TapVerdict::Pass);
  EXPECT_EQ(counting::allocations() - before, 0);
}

TEST_F(AllocationTest, APressOutsideTheButtonZoneAllocatesNothing) {
  auto& other = mac.desktop.addApp(502, "Finder");
  for (int i = 0; i < 50; ++i) mac.desktop.addWindow(other, kEditorFrame, "Behind");
  ASSERT_TRUE(interceptor.start());
  auto tap = mac.eventTaps.live();
  // In the title bar, right of the zone; and on the desktop, under no window.
  const sim::SimTapEvent titleBar({minX(kEditorFrame) + 400, minY(kEditorFrame) + 10}, 0);
  const sim::SimTapEvent desktop({1400, 880}, 0);
  // The first walk lets the simulated window server make its entries.
  interceptor.handle(*tap, EventType::LeftMouseDown, titleBar);
  interceptor.handle(*tap, EventType::LeftMouseDown, desktop);
  const long before = counting::allocations();
  EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseDown, titleBar), TapVerdict::Pass);
  EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseDown, desktop), TapVerdict::Pass);
  EXPECT_EQ(counting::allocations() - before, 0);
}

TEST_F(AllocationTest, TheCountSeesARecognisedPress) {
  ASSERT_TRUE(interceptor.start());
  auto tap = mac.eventTaps.live();
  const sim::SimTapEvent press(mac.desktop.center(*window, window->zoom), 0);
  const long before = counting::allocations();
  EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseDown, press), TapVerdict::Swallow);
  EXPECT_GT(counting::allocations() - before, 0);
}

}  // namespace
}  // namespace plumora
