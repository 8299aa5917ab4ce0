#include "interception/window_list.hpp"

#include <gtest/gtest.h>

#include "sim/sim_window_server.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

using sim::WindowInfo;

class WindowListTest : public ::testing::Test {
 protected:
  sim::SimWindowServer server;
  std::vector<WindowInfo> windows;
  int read = 0;  // the windows of `windows` the walk has asked for

  WindowListTest() {
    server.source = [this](sim::SimWindowServer::Visit visit) {
      for (const WindowInfo& w : windows) {
        ++read;
        if (visit(w) == WalkStep::Stop) return;
      }
    };
  }
  std::optional<std::uint32_t> hit(Point p) {
    auto entry = WindowList::topNormal(server, p);
    return entry ? std::optional<std::uint32_t>(entry->windowID) : std::nullopt;
  }
  static WindowInfo window(std::int64_t number, Rect bounds, std::int64_t layer = 0) {
    WindowInfo w;
    w.number = number;
    w.bounds = bounds;
    w.layer = layer;
    w.ownerPid = 500 + number;
    return w;
  }
};

TEST_F(WindowListTest, OrdinaryWindowsFrontToBackUnderOtherLayers) {
  windows = {window(1, Rect::make(0, 0, 1440, 25), 24),     // the menu bar
             window(2, Rect::make(100, 100, 200, 200), 3),  // a floating panel
             window(3, Rect::make(150, 150, 300, 300)),     // an ordinary window
             window(4, Rect::make(0, 0, 1000, 800))};       // another, behind it
  EXPECT_EQ(hit({160, 160}), 3u);                           // under the panel
  EXPECT_EQ(hit({120, 120}), 4u);
  EXPECT_EQ(hit({10, 10}), 4u);               // under the menu bar
  EXPECT_EQ(hit({1200, 850}), std::nullopt);  // the desktop only
  auto entry = WindowList::topNormal(server, {160, 160});
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->pid, 503);
  EXPECT_EQ(entry->bounds, Rect::make(150, 150, 300, 300));
  EXPECT_EQ(server.lastOptions(), 0x11u);
}

TEST_F(WindowListTest, EdgesAndTransparency) {
  windows = {window(1, Rect::make(100, 100, 100, 100)), window(2, Rect::make(0, 0, 400, 400))};
  EXPECT_EQ(hit({100, 100}), 1u);
  EXPECT_EQ(hit({200, 150}), 2u);  // the right edge is outside
  EXPECT_EQ(hit({150, 200}), 2u);  // so is the bottom edge
  windows[0].alpha = 0.0;
  EXPECT_EQ(hit({150, 150}), 2u);
  windows[0].alpha = 0.05;
  EXPECT_EQ(hit({150, 150}), 1u);
  windows[0].alpha.reset();  // no alpha at all does not skip
  EXPECT_EQ(hit({150, 150}), 1u);
}

TEST_F(WindowListTest, MalformedEntriesAreSkipped) {
  windows = {window(9, Rect::make(0, 0, 400, 400))};
  auto entry = [](RawValue::Dictionary d) { return RawValue::dictionary(std::move(d)); };
  auto bounds = RawValue::dictionary({{"X", RawValue::integer(0)},
                                      {"Y", RawValue::integer(0)},
                                      {"Width", RawValue::integer(400)},
                                      {"Height", RawValue::integer(400)}});
  auto good = [&](RawValue::Dictionary changes) {
    RawValue::Dictionary d{{"kCGWindowLayer", RawValue::integer(0)},
                           {"kCGWindowBounds", bounds},
                           {"kCGWindowOwnerPID", RawValue::integer(42)},
                           {"kCGWindowNumber", RawValue::integer(7)}};
    for (auto& [key, value] : changes) {
      bool replaced = false;
      for (auto& entry : d) {
        if (entry.first == key) {
          entry.second = value;
          replaced = true;
        }
      }
      if (!replaced) d.emplace_back(key, value);
    }
    return entry(d);
  };
  server.injected = {
      RawValue::string("not a window"),
      good({{"kCGWindowLayer", RawValue::number(0.5)}}),
      good({{"kCGWindowLayer", RawValue::string("0")}}),
      good({{"kCGWindowLayer", RawValue::integer(-1)}}),
      good({{"kCGWindowLayer", RawValue::boolean(true)}}),
      good({{"kCGWindowBounds", RawValue::dictionary({{"X", RawValue::integer(0)}})}}),
      good({{"kCGWindowAlpha", RawValue::number(0.01)}}),
      good({{"kCGWindowOwnerPID", RawValue::number(42.5)}}),
      good({{"kCGWindowOwnerPID", RawValue::integer(std::int64_t{1} << 31)}}),
      good({{"kCGWindowOwnerPID", RawValue::integer(-(std::int64_t{1} << 31) - 1)}}),
      good({{"kCGWindowNumber", RawValue::integer(std::int64_t{1} << 32)}}),
      good({{"kCGWindowNumber", RawValue::integer(-1)}}),
  };
  EXPECT_EQ(hit({10, 10}), 9u);
  // The largest values that fit are kept, as is an alpha that is not a number.
  server.injected.push_back(
      good({{"kCGWindowOwnerPID", RawValue::integer(-(std::int64_t{1} << 31))},
            {"kCGWindowNumber", RawValue::integer(0xFFFFFFFF)},
            {"kCGWindowAlpha", RawValue::string("opaque")}}));
  auto found = WindowList::topNormal(server, {10, 10});
  ASSERT_TRUE(found);
  EXPECT_EQ(found->pid, -2147483647 - 1);
  EXPECT_EQ(found->windowID, 0xFFFFFFFFu);
}

TEST_F(WindowListTest, NoListGivesNothing) {
  windows = {window(1, Rect::make(0, 0, 400, 400))};
  server.unavailable = true;
  EXPECT_EQ(hit({10, 10}), std::nullopt);
  EXPECT_EQ(read, 0);
}

TEST_F(WindowListTest, TheWalkStopsAtTheFirstMatch) {
  windows = {window(1, Rect::make(0, 0, 1440, 25), 24),  // skipped: a raised layer
             window(2, Rect::make(100, 100, 200, 200)),  // skipped: transparent
             window(3, Rect::make(500, 500, 100, 100)),  // skipped: elsewhere
             window(4, Rect::make(0, 0, 1000, 800))};    // the match
  windows[1].alpha = 0.0;
  for (int i = 0; i < 1000; ++i) windows.push_back(window(10 + i, Rect::make(0, 0, 1440, 900)));
  EXPECT_EQ(hit({150, 150}), 4u);
  EXPECT_EQ(read, 4);
  EXPECT_EQ(server.lastWalkLength(), 4);
  // With no match, every window is read once.
  read = 0;
  EXPECT_EQ(hit({2000, 2000}), std::nullopt);
  EXPECT_EQ(read, 1004);
}

TEST_F(WindowListTest, WindowsOffScreenAreLeftOutOfTheWalk) {
  windows = {window(1, Rect::make(0, 0, 400, 400)), window(2, Rect::make(0, 0, 400, 400))};
  windows[0].onScreen = false;
  EXPECT_EQ(hit({10, 10}), 2u);
  EXPECT_EQ(server.lastWalkLength(), 1);
}

// The simulated desktop lists raised layers first, whatever the order the windows were made,
// raised or given their layer in.
class DesktopWindowListTest : public test::SimFixture {};

TEST_F(DesktopWindowListTest, RaisedLayersComeFirstAndTheWalkStopsAtTheMatch) {
  auto& other = mac.desktop.addApp(502, "Finder");
  auto& behind = mac.desktop.addWindow(other, kEditorFrame, "Behind");
  auto& panel = mac.desktop.addWindow(other, Rect::make(150, 100, 400, 300), "Panel");
  EXPECT_EQ(WindowList::topNormal(mac.windowServer, {300, 200})->windowID, window->number);
  EXPECT_EQ(mac.windowServer.lastWalkLength(), 1);
  // A layer given after the window was made, then the panel's application brought forward.
  mac.desktop.setLayer(panel, 3);
  mac.desktop.activate(other, &behind);
  EXPECT_EQ(WindowList::topNormal(mac.windowServer, {300, 200})->windowID, behind.number);
  EXPECT_EQ(mac.windowServer.lastWalkLength(), 2);  // the panel, then the match
  mac.desktop.activate(*editor, window);
  EXPECT_EQ(WindowList::topNormal(mac.windowServer, {300, 200})->windowID, window->number);
  EXPECT_EQ(mac.windowServer.lastWalkLength(), 2);
  mac.desktop.closeWindow(panel);
  EXPECT_EQ(WindowList::topNormal(mac.windowServer, {300, 200})->windowID, window->number);
  EXPECT_EQ(mac.windowServer.lastWalkLength(), 1);
}

}  // namespace
}  // namespace plumora
