// The event tap's callback sees every drag and release of every application: those that belong
// to no recognised press must cost no allocation, and so must a press that the window list
// alone sets aside, also on the recording's wrappers while nothing is recorded (the program runs
// on them from its launch). This binary counts every allocation.
#include <gtest/gtest.h>

#include "counting_new.hpp"
#include "interception/interceptor.hpp"
#include "recording/recording_platform.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

class NoLines final : public RecordingSink {
 public:
  void write(std::string_view) override { ADD_FAILURE() << "a line while nothing is recorded"; }
};

// The parameter: the program on the recording's wrappers, stopped, instead of the ports.
class AllocationTest : public test::SimFixture, public ::testing::WithParamInterface<bool> {
 protected:
  NoLines noLines;
  Recorder recorder{mac.clock, noLines};
  RecordingPlatform wrapped{mac.platform, recorder};
  Context wrappedContext{wrapped.platform()};
  Interceptor interceptor{GetParam() ? wrappedContext : context, [](const GreenClick&) {}};

  // The allocations made while the live tap's callback takes these events, with their verdict.
  long allocationsOf(std::initializer_list<std::pair<EventType, sim::SimTapEvent>> events,
                     TapVerdict verdict) {
    auto tap = mac.eventTaps.live();
    const long before = counting::allocations();
    for (const auto& [type, event] : events) EXPECT_EQ(tap->deliver(type, event), verdict);
    return counting::allocations() - before;
  }
};

TEST_P(AllocationTest, EventsThatAreNoGreenClickAllocateNothingAndAClickDoes) {
  auto& other = mac.desktop.addApp(502, "Finder");
  for (int i = 0; i < 50; ++i) mac.desktop.addWindow(other, kEditorFrame, "Behind");
  ASSERT_TRUE(interceptor.start());
  const sim::SimTapEvent away({600, 500}, 0), moved({1, 1}, 0);
  // In the title bar right of the zone, on the desktop under no window, and with Option held.
  const sim::SimTapEvent titleBar({minX(kEditorFrame) + 400, minY(kEditorFrame) + 10}, 0),
      desktop({1400, 880}, 0), option(mac.desktop.center(*window, window->zoom), 0x80000);
  // The first walk lets the simulated window server make its entries.
  allocationsOf({{EventType::LeftMouseDown, titleBar}, {EventType::LeftMouseDown, desktop}},
                TapVerdict::Pass);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(allocationsOf({{EventType::LeftMouseDragged, away},
                             {EventType::LeftMouseUp, away},
                             {EventType::MouseMoved, moved},
                             {EventType::LeftMouseDown, titleBar},
                             {EventType::LeftMouseDown, desktop},
                             {EventType::LeftMouseDown, option}},
                            TapVerdict::Pass),
              0);
  }
  // The count does see a recognised press.
  const sim::SimTapEvent press(mac.desktop.center(*window, window->zoom), 0);
  EXPECT_GT(allocationsOf({{EventType::LeftMouseDown, press}}, TapVerdict::Swallow), 0);
}

INSTANTIATE_TEST_SUITE_P(Ports, AllocationTest, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "RecordingWrappersStopped" : "PlatformPorts");
});

// With exceptions in force, the events above still allocate nothing, also on an excepted
// application's window; the check itself allocates nothing either way, and an excepted press
// costs less than a recognised one. Verbose logging off, as the program runs by default.
class ExceptionAllocationTest : public AllocationTest {
 protected:
  ExceptionAllocationTest() { mac.defaults.setBool("DebugLog", false); }
};

TEST_P(ExceptionAllocationTest, TheCheckAllocatesNothing) {
  const std::vector<std::string> ids{"com.example.Finder", "com.example.TextEdit", "org.other.App"};
  interceptor.setExceptions(ids);
  ASSERT_TRUE(interceptor.start());
  const sim::SimTapEvent away({600, 500}, 0);
  const sim::SimTapEvent titleBar({minX(kEditorFrame) + 400, minY(kEditorFrame) + 10}, 0),
      option(mac.desktop.center(*window, window->zoom), 0x80000),
      green(mac.desktop.center(*window, window->zoom), 0);
  allocationsOf({{EventType::LeftMouseDown, titleBar}, {EventType::LeftMouseDown, green}},
                TapVerdict::Pass);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(allocationsOf({{EventType::LeftMouseDragged, away},
                             {EventType::LeftMouseUp, away},
                             {EventType::LeftMouseDown, titleBar},
                             {EventType::LeftMouseDown, option}},
                            TapVerdict::Pass),
              0);
  }
  mac.system.running[503] = "com.example.Other";
  for (const auto& [pid, excepted] : {std::pair(kEditorPid, true), std::pair(503, false)}) {
    const long before = counting::allocations();
    EXPECT_EQ(interceptor.isException(pid), excepted);
    EXPECT_EQ(counting::allocations() - before, 0) << pid;
  }
  const long excepted = allocationsOf({{EventType::LeftMouseDown, green}}, TapVerdict::Pass);
  interceptor.setExceptions({});
  EXPECT_LT(excepted, allocationsOf({{EventType::LeftMouseDown, green}}, TapVerdict::Swallow));
}

INSTANTIATE_TEST_SUITE_P(Ports, ExceptionAllocationTest, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "RecordingWrappersStopped" : "PlatformPorts");
});

}  // namespace
}  // namespace plumora
