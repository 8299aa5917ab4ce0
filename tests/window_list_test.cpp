#include "interception/window_list.hpp"

#include <gtest/gtest.h>

#include <algorithm>

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
    return WindowInfo{layer, bounds, 1.0, 500 + number, number, true};
  }
  // A well-formed entry of window 7 of pid 42 over (0,0 400x400), with the given values changed.
  static RawValue entry(RawValue::Dictionary changes) {
    RawValue::Dictionary d =
        *sim::SimWindowServer::entry(WindowInfo{0, Rect::make(0, 0, 400, 400), 1.0, 42, 7, true})
             .asDictionary();
    for (const auto& change : changes) {
      std::find_if(d.begin(), d.end(), [&](const auto& e) {
        return e.first == change.first;
      })->second = change.second;
    }
    return RawValue::dictionary(std::move(d));
  }
};

// The top window at a point among: the menu bar (layer 24), a floating panel (layer 3) over
// (100,100 200x200), window 3 over (150,150 300x300) and window 4 over (0,0 1000x800).
TEST_F(WindowListTest, TheTopOrdinaryWindowAtAPoint) {
  struct Row {
    std::optional<double> alpha;  // window 3's
    Point at;
    std::optional<std::uint32_t> top;
  };
  const Row rows[] = {
      {1.0, {160, 160}, 3u},  {1.0, {120, 120}, 4u},  {1.0, {10, 10}, 4u},
      {1.0, {150, 150}, 3u},  {1.0, {450, 200}, 4u},  {1.0, {200, 450}, 4u},
      {0.0, {160, 160}, 4u},  {0.05, {160, 160}, 3u}, {std::nullopt, {160, 160}, 3u},
      {1.0, {1200, 850}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.at.x << "," << row.at.y);
    windows = {window(1, Rect::make(0, 0, 1440, 25), 24),
               window(2, Rect::make(100, 100, 200, 200), 3),
               window(3, Rect::make(150, 150, 300, 300)), window(4, Rect::make(0, 0, 1000, 800))};
    windows[2].alpha = row.alpha;
    EXPECT_EQ(hit(row.at), row.top);
  }
  windows.resize(3);
  auto found = WindowList::topNormal(server, {160, 160});
  ASSERT_TRUE(found);
  EXPECT_EQ(found->pid, 503);
  EXPECT_EQ(found->bounds, Rect::make(150, 150, 300, 300));
  EXPECT_EQ(server.lastOptions(), 0x11u);  // on screen only, without the desktop's own windows
}

TEST_F(WindowListTest, MalformedEntriesAreSkipped) {
  windows = {window(9, Rect::make(0, 0, 400, 400))};
  const RawValue rows[] = {
      RawValue::string("not a window"),
      entry({{"kCGWindowLayer", RawValue::number(0.5)}}),
      entry({{"kCGWindowLayer", RawValue::string("0")}}),
      entry({{"kCGWindowLayer", RawValue::integer(-1)}}),
      entry({{"kCGWindowLayer", RawValue::boolean(true)}}),
      entry({{"kCGWindowBounds", RawValue::dictionary({{"X", RawValue::integer(0)}})}}),
      entry({{"kCGWindowAlpha", RawValue::number(0.01)}}),
      entry({{"kCGWindowOwnerPID", RawValue::number(42.5)}}),
      entry({{"kCGWindowOwnerPID", RawValue::integer(std::int64_t{1} << 31)}}),
      entry({{"kCGWindowOwnerPID", RawValue::integer(-(std::int64_t{1} << 31) - 1)}}),
      entry({{"kCGWindowNumber", RawValue::integer(std::int64_t{1} << 32)}}),
      entry({{"kCGWindowNumber", RawValue::integer(-1)}}),
  };
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    server.injected = {rows[i]};
    EXPECT_EQ(hit({10, 10}), 9u);
  }
  // The largest values that fit are kept, as is an alpha that is not a number.
  server.injected = {entry({{"kCGWindowOwnerPID", RawValue::integer(-(std::int64_t{1} << 31))},
                            {"kCGWindowNumber", RawValue::integer(0xFFFFFFFF)},
                            {"kCGWindowAlpha", RawValue::string("opaque")}})};
  auto found = WindowList::topNormal(server, {10, 10});
  ASSERT_TRUE(found);
  EXPECT_EQ(found->pid, -2147483647 - 1);
  EXPECT_EQ(found->windowID, 0xFFFFFFFFu);
}

TEST_F(WindowListTest, TheWalkStopsAtTheFirstMatchAndLeavesOutWindowsOffScreen) {
  windows = {window(1, Rect::make(0, 0, 1440, 25), 24),  // skipped: a raised layer
             window(2, Rect::make(100, 100, 200, 200)),  // skipped: transparent
             window(3, Rect::make(500, 500, 100, 100)),  // skipped: elsewhere
             window(5, Rect::make(0, 0, 400, 400)),      // off screen: not even walked
             window(4, Rect::make(0, 0, 1000, 800))};    // the match
  windows[1].alpha = 0.0;
  windows[3].onScreen = false;
  for (int i = 0; i < 1000; ++i) windows.push_back(window(10 + i, Rect::make(0, 0, 1440, 900)));
  EXPECT_EQ(hit({150, 150}), 4u);
  EXPECT_EQ(read, 5);
  EXPECT_EQ(server.lastWalkLength(), 4);
  // With no match, every window is read once.
  read = 0;
  EXPECT_EQ(hit({2000, 2000}), std::nullopt);
  EXPECT_EQ(read, 1005);
}

// The simulated desktop lists raised layers first, whatever the order the windows were made,
// raised or given their layer in.
class DesktopWindowListTest : public test::SimFixture {};

TEST_F(DesktopWindowListTest, RaisedLayersComeFirstAndTheWalkStopsAtTheMatch) {
  auto& other = mac.desktop.addApp(502, "Finder");
  auto& behind = mac.desktop.addWindow(other, kEditorFrame, "Behind");
  auto& panel = mac.desktop.addWindow(other, Rect::make(150, 100, 400, 300), "Panel");
  const auto top = [&](std::int64_t number, int walked) {
    EXPECT_EQ(WindowList::topNormal(mac.windowServer, {300, 200})->windowID, number);
    EXPECT_EQ(mac.windowServer.lastWalkLength(), walked);
  };
  top(window->number, 1);
  // A layer given after the window was made, then the panel's application brought forward.
  mac.desktop.setLayer(panel, 3);
  mac.desktop.activate(other, &behind);
  top(behind.number, 2);  // the panel, then the match
  mac.desktop.activate(*editor, window);
  top(window->number, 2);
  mac.desktop.closeWindow(panel);
  top(window->number, 1);
}

}  // namespace
}  // namespace plumora
