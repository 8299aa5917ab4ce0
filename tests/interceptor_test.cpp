#include "interception/interceptor.hpp"
#include "interception/window_list.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/sim_window_server.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The editor's window is (200,150 800x600); its green button's frame is (248,156 14x16).
constexpr Point kGreen{255, 164};
constexpr EventType kDown = EventType::LeftMouseDown, kUp = EventType::LeftMouseUp,
                    kDrag = EventType::LeftMouseDragged;
constexpr TapVerdict kPass = TapVerdict::Pass, kSwallow = TapVerdict::Swallow;
const std::string kNoted = "Tasto verde fermato (pid 501) in 0.0 ms";
// The line for a press in the buttons' zone that hit `what`, not the green button.
std::string hit(const char* what) {
  return std::string("Clic nella zona dei tasti ma non sul tasto verde (") + what + ") in 0.0 ms";
}

class InterceptorTest : public test::SimFixture {
 protected:
  std::vector<GreenClick> performed;
  std::unique_ptr<Interceptor> interceptor = make();

  std::unique_ptr<Interceptor> make() {
    return std::make_unique<Interceptor>(context,
                                         [this](const GreenClick& c) { performed.push_back(c); });
  }
  // An event as the system delivers it: through the live tap, when that tap takes it.
  TapVerdict send(EventType type, Point at, std::uint64_t flags = 0) {
    return mac.eventTaps.deliver(type, sim::SimTapEvent(at, flags)).value_or(kPass);
  }
  void started() {
    ASSERT_TRUE(interceptor->start());
    clearLines();
    mac.accessibility.resetRequestCounts();
  }
  void armed() {
    started();
    ASSERT_EQ(send(kDown, kGreen), kSwallow);
    clearLines();
  }
};

TEST_F(InterceptorTest, StartMakesOneEnabledTapStopEndsItAndAStartReplacesADeafOne) {
  interceptor->stop();  // not running: nothing
  EXPECT_TRUE(interceptor->start());
  EXPECT_TRUE(interceptor->start());  // already running: nothing more
  EXPECT_TRUE(interceptor->isRunning());
  auto first = mac.eventTaps.live();
  ASSERT_TRUE(first);
  EXPECT_EQ(mac.eventTaps.created(), 1);
  // Ahead of every other tap of the session, so that no other tap sees a press we swallow.
  EXPECT_EQ(first->location, EventTapLocation::Session);
  EXPECT_EQ(first->placement, EventTapPlacement::HeadInsert);
  EXPECT_TRUE(first->enabled);
  EXPECT_FLOAT_EQ(mac.accessibility.processTimeout(), 0.25f);
  interceptor->stop();
  interceptor->stop();
  EXPECT_FALSE(interceptor->isRunning());
  EXPECT_TRUE(first->invalidated);
  EXPECT_FALSE(first->enabled);
  EXPECT_THAT(lines(),
              ElementsAre("Osservazione dei clic attiva", "Osservazione dei clic fermata"));
  EXPECT_TRUE(interceptor->start());
  EXPECT_EQ(mac.eventTaps.created(), 2);
  // A tap whose thread had the system's notice while the permission was gone, and left it off,
  // is replaced once the permission is back.
  auto deaf = mac.eventTaps.live();
  mac.accessibility.setTrusted(false);
  mac.accessibility.setTrusted(true);
  ASSERT_FALSE(deaf->enabled);
  clearLines();
  EXPECT_TRUE(interceptor->start());
  EXPECT_TRUE(deaf->invalidated);
  EXPECT_EQ(send(kDown, kGreen), kSwallow);
  EXPECT_THAT(lines(),
              ElementsAre("Osservazione dei clic fermata", "Osservazione dei clic attiva", kNoted));
}

TEST_F(InterceptorTest, NoTapWithoutPermissionOrWhenItsThreadCannotServeIt) {
  for (bool trusted : {false, true}) {
    SCOPED_TRACE(trusted);
    clearLines();
    mac.accessibility.setTrusted(trusted);
    mac.eventTaps.failRunLoopSource = trusted;
    EXPECT_FALSE(interceptor->start());
    EXPECT_FALSE(interceptor->isRunning());
    EXPECT_EQ(mac.eventTaps.live(), nullptr);
    EXPECT_THAT(lines(), ElementsAre("Impossibile osservare i clic: event tap non creato"));
  }
}

// A press is forgotten when the system disables the tap, or the watcher stops, before its
// release.
TEST_F(InterceptorTest, AClickWaitingWhenTheTapIsDisabledOrTheWatcherStopsIsForgotten) {
  armed();
  auto old = mac.eventTaps.live();
  for (auto notice : {EventType::TapDisabledByTimeout, EventType::TapDisabledByUserInput}) {
    old->enabled = false;
    EXPECT_EQ(send(notice, {}), kPass);
    EXPECT_TRUE(old->enabled);
    EXPECT_EQ(send(kUp, kGreen), kPass);
  }
  EXPECT_THAT(lines(), ElementsAre("Osservazione dei clic riattivata (timeout)",
                                   "Osservazione dei clic riattivata (input)"));
  ASSERT_EQ(send(kDown, kGreen), kSwallow);
  interceptor->stop();
  ASSERT_TRUE(interceptor->start());
  // The release of a press made before the stop is the application's, and fills nothing.
  EXPECT_EQ(send(kDrag, kGreen), kPass);
  EXPECT_EQ(send(kUp, kGreen), kPass);
  // Nor does a press the old tap's thread was still judging when the watcher restarted.
  const sim::SimTapEvent press(kGreen, 0);
  mac.dispatch.onWorkerThread([&] { old->deliver(kDown, press); });
  EXPECT_EQ(send(kUp, kGreen), kPass);
  EXPECT_THAT(performed, IsEmpty());
  // The new tap recognises clicks as before.
  EXPECT_EQ(send(kDown, kGreen), kSwallow);
  EXPECT_EQ(send(kUp, kGreen), kSwallow);
  EXPECT_EQ(performed.size(), 1u);
}

// Without the permission, the tap's notice and a refused hit test both leave the tap alone and
// hand the news to the main thread, without waiting for it.
TEST_F(InterceptorTest, ALostPermissionIsTheMainThreadsNews) {
  int refreshes = 0;
  interceptor->onPermissionLost([&] {
    EXPECT_TRUE(mac.dispatch.isMainThread());
    ++refreshes;
  });
  armed();
  auto tap = mac.eventTaps.live();
  mac.desktop.tapNoticeDelay = 100;  // the notice is handed over below instead
  mac.accessibility.setTrusted(false);
  EXPECT_EQ(send(kDown, kGreen), kPass);  // the hit test is refused
  EXPECT_EQ(send(kUp, kGreen), kPass);
  EXPECT_EQ(refreshes, 0);
  mac.dispatch.runFor(0);
  EXPECT_EQ(refreshes, 1);
  tap->enabled = false;
  EXPECT_EQ(send(EventType::TapDisabledByTimeout, {}), kPass);
  EXPECT_FALSE(tap->enabled);
  EXPECT_FALSE(interceptor->pending());
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_EQ(mac.accessibility.promptsShown(), 0);  // asked quietly: it prompts only at launch
  mac.dispatch.runFor(0);
  EXPECT_EQ(refreshes, 2);
}

// What the tap answers to an event when idle or after a press on the green button, and then to
// a release on the button: after a release the next has no press of its own, and a new press
// starts over. (Every idle row also shows a release without a press passing; a scenario shows a
// press dragged off and back.)
TEST_F(InterceptorTest, EventsInEachState) {
  constexpr Point kAway{600, 500};
  constexpr EventType kNull = EventType::Null, kRight = EventType::RightMouseDown,
                      kMoved = EventType::MouseMoved;
  // Armed; the event and where; what the tap answers to it and to the release; a click results.
  const std::tuple<bool, EventType, Point, TapVerdict, TapVerdict, bool> rows[] = {
      {false, kDrag, kGreen, kPass, kPass, false},    {false, kDown, kAway, kPass, kPass, false},
      {false, kRight, kGreen, kPass, kPass, false},   {true, kNull, kGreen, kPass, kSwallow, true},
      {true, kRight, kGreen, kPass, kSwallow, true},  {true, kMoved, kGreen, kPass, kSwallow, true},
      {true, kUp, kGreen, kSwallow, kPass, true},     {true, kDown, kAway, kPass, kPass, false},
      {true, kDown, kGreen, kSwallow, kSwallow, true}};
  for (const auto& [isArmed, type, at, verdict, release, performs] : rows) {
    SCOPED_TRACE(testing::Message() << isArmed << " " << static_cast<int>(type));
    performed.clear();
    interceptor->stop();
    isArmed ? armed() : started();
    EXPECT_EQ(send(type, at), verdict);
    EXPECT_EQ(send(kUp, kGreen), release);
    EXPECT_EQ(performed.size(), performs ? 1u : 0u);
  }
}

TEST_F(InterceptorTest, TheClickIsThePressAsRecordedOrASquareAroundIt) {
  started();
  // The window list's pid is not the one taken: the button's owner is.
  mac.windowServer.injected = {
      sim::SimWindowServer::entry(sim::WindowInfo{0, kEditorFrame, 1.0, 4321, 999, true})};
  mac.clock.advanceTo(3.0);
  send(kDown, kGreen);
  mac.clock.advanceTo(3.4);
  send(kUp, {250, 160});
  ASSERT_EQ(performed.size(), 1u);
  const GreenClick& click = performed[0];
  EXPECT_EQ(click.pid, kEditorPid);
  EXPECT_EQ(click.window, elementOf(*window));
  EXPECT_EQ(click.button, element(window->zoom.node));
  EXPECT_EQ(click.buttonFrame, Rect::make(248, 156, 14, 16));
  EXPECT_DOUBLE_EQ(click.time, 3.0);
  EXPECT_THAT(lines(), ElementsAre(kNoted));
  // A button frame that cannot be read gives a square around the press.
  window->zoom.frameReadable = false;
  send(kDown, {250, 160});
  ASSERT_TRUE(interceptor->pending());
  EXPECT_EQ(interceptor->pending()->buttonFrame, Rect::make(240, 150, 20, 20));
}

TEST_F(InterceptorTest, AModifierLeavesTheButtonItsOwnActionWithoutAQuestion) {
  // Shift, Control, Option, Command and fn; Caps Lock, the numeric pad and Help.
  const std::pair<std::uint64_t, TapVerdict> rows[] = {
      {0x20000, kPass},  {0x40000, kPass},    {0x80000, kPass},     {0x100000, kPass},
      {0x800000, kPass}, {0x10000, kSwallow}, {0x200000, kSwallow}, {0x400000, kSwallow}};
  started();
  for (const auto& [flag, verdict] : rows) {
    SCOPED_TRACE(flag);
    mac.accessibility.resetRequestCounts();
    const int listed = mac.windowServer.calls();
    EXPECT_EQ(send(kDown, kGreen, flag), verdict);
    EXPECT_EQ(mac.accessibility.totalRequests() == 0, verdict == kPass);
    EXPECT_EQ(mac.windowServer.calls() == listed, verdict == kPass);
  }
}

// Where a press is looked at (the window's top-left corner, 220 x 120 points, and for a
// right-to-left first language also its top-right one) and how far from the button its release
// may land (6 points, the far edges excluded).
TEST_F(InterceptorTest, TheButtonZoneAndTheReleaseTolerance) {
  // A right-to-left first language; the press and its release; a question is asked; a click.
  const std::tuple<bool, Point, Point, bool, bool> rows[] = {
      {false, {420, 270}, {420, 270}, true, false}, {false, {420, 270.5}, {}, false, false},
      {false, {420.5, 270}, {}, false, false},      {false, {210, 150}, {}, true, false},
      {false, {200, 160}, {}, true, false},         {false, {780, 200}, {}, false, false},
      {false, {500, 400}, {}, false, false},        {false, {1300, 800}, {}, false, false},
      {true, {780, 200}, {}, true, false},          {true, {779.5, 200}, {}, false, false},
      {true, kGreen, kGreen, true, true},           {false, kGreen, {242, 160}, true, true},
      {false, kGreen, {241, 160}, true, false},     {false, kGreen, {267.9, 160}, true, true},
      {false, kGreen, {268, 160}, true, false},     {false, kGreen, {255, 150}, true, true},
      {false, kGreen, {255, 149}, true, false},     {false, kGreen, {255, 177.9}, true, true},
      {false, kGreen, {255, 178}, true, false},
  };
  for (const auto& [rightToLeft, press, release, asks, performs] : rows) {
    SCOPED_TRACE(testing::Message() << rightToLeft << " " << press.x << "," << press.y << " "
                                    << release.x << "," << release.y);
    interceptor->stop();
    mac.system.languages = {rightToLeft ? "he-IL" : "it-IT", "en-US"};
    interceptor = make();
    performed.clear();
    started();
    send(kDown, press);
    EXPECT_EQ(mac.accessibility.totalRequests() > 0, asks);
    send(kUp, release);
    EXPECT_EQ(performed.size(), performs ? 1u : 0u);
  }
}

// A press on anything but an enabled green button of a resizable window that is not full
// screen passes; the log says why when it is worth saying. (Scenarios show the close and
// minimize buttons, the window body, a disabled button, full screen and a fixed size.)
enum Part { kZoom, kMini, kWin };
// An attribute's new value, or an error: the read fails with it.
using Change = std::tuple<Part, const char*, RawValue>;
struct ButtonRow {
  const char* name;
  std::vector<Change> changes;
  TapVerdict verdict;
  std::string log;  // the only line, if any
  Point press = kGreen;
};

class ButtonTest : public InterceptorTest, public ::testing::WithParamInterface<ButtonRow> {};

TEST_P(ButtonTest, PressOnTheButton) {
  for (const auto& [part, attribute, value] : GetParam().changes) {
    const sim::NodeId node =
        std::array{window->zoom.node, window->minimize.node, window->node}[part];
    if (value.asError()) mac.accessibility.fail(node, attribute, value.asError()->code);
    if (!value.asError()) mac.accessibility.set(node, attribute, value);
  }
  started();
  EXPECT_EQ(send(kDown, GetParam().press), GetParam().verdict);
  EXPECT_EQ(send(kUp, GetParam().press), GetParam().verdict);
  EXPECT_EQ(performed.size(), GetParam().verdict == kSwallow ? 1u : 0u);
  EXPECT_EQ(lines(), std::vector<std::string>(!GetParam().log.empty(), GetParam().log));
}

using R = RawValue;
const RawValue kGone = R::error(ax::kNoValue);
constexpr Point kYellow{235, 164};  // on the minimize button
const ButtonRow kButtonRows[] = {
    {"NoSubrole", {{kMini, "AXSubrole", kGone}}, kPass, hit("AXButton"), kYellow},
    {"NoRoles", {{kMini, "AXSubrole", kGone}, {kMini, "AXRole", kGone}}, kPass, hit("?"), kYellow},
    {"NotAButton", {{kZoom, "AXRole", R::string("AXGroup")}}, kPass, hit("AXFullScreenButton")},
    {"EnabledZero", {{kZoom, "AXEnabled", R::integer(0)}}, kPass, ""},
    {"EnabledNotANumber", {{kZoom, "AXEnabled", R::string("yes")}}, kSwallow, kNoted},
    {"NoWindow", {{kZoom, "AXWindow", R::string("none")}}, kPass, ""},
    {"FullScreenUnread", {{kWin, "AXFullScreen", R::error(ax::kFailure)}}, kSwallow, kNoted},
};
INSTANTIATE_TEST_SUITE_P(NotAGreenClick, ButtonTest, ::testing::ValuesIn(kButtonRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Our own windows are never filled: a panel on a raised layer whose green button lies over the
// editor's (the window list, normal layer only, names the editor; the hit test finds our
// button), and a window of ours in front, about which nothing is even asked.
TEST_F(InterceptorTest, OurOwnWindowsPass) {
  auto& self = mac.desktop.addApp(mac.system.pid, "Plumora");
  auto& panel = mac.desktop.addWindow(self, Rect::make(200, 150, 300, 200), "Informazioni");
  mac.desktop.setLayer(panel, 3);
  started();
  EXPECT_EQ(send(kDown, kGreen), kPass);
  auto& front = mac.desktop.addWindow(self, Rect::make(150, 100, 400, 300), "Impostazioni");
  mac.desktop.activate(self, &front);
  mac.accessibility.resetRequestCounts();
  EXPECT_EQ(send(kDown, mac.desktop.center(front, front.zoom)), kPass);
  EXPECT_EQ(mac.accessibility.totalRequests(), 0u);
  EXPECT_THAT(performed, IsEmpty());
}

// The window list, read from a window server's entries.
class WindowListTest : public ::testing::Test {
 protected:
  sim::SimWindowServer server;
  std::vector<sim::WindowInfo> windows;
  int read = 0;  // the windows of `windows` the walk has asked for

  WindowListTest() {
    server.source = [this](sim::SimWindowServer::Visit visit) {
      for (const sim::WindowInfo& w : windows) {
        ++read;
        if (visit(w) == WalkStep::Stop) return;
      }
    };
  }
  std::optional<std::uint32_t> topAt(Point p) {
    auto entry = WindowList::topNormal(server, p);
    return entry ? std::optional<std::uint32_t>(entry->windowID) : std::nullopt;
  }
  static sim::WindowInfo window(std::int64_t number, Rect bounds, std::int64_t layer = 0) {
    return sim::WindowInfo{layer, bounds, 1.0, 500 + number, number, true};
  }
  // A well-formed entry of window 7 over (0,0 400x400), with the given values changed.
  static RawValue entry(RawValue::Dictionary changes) {
    RawValue::Dictionary d =
        *sim::SimWindowServer::entry(window(7, Rect::make(0, 0, 400, 400))).asDictionary();
    for (auto& [key, value] : d) {
      for (const auto& change : changes) value = key == change.first ? change.second : value;
    }
    return RawValue::dictionary(std::move(d));
  }
};

// The top window at a point among: the menu bar (layer 24), a floating panel (layer 3) over
// (100,100 200x200), window 3 over (150,150 300x300) and window 4 over (0,0 1000x800).
TEST_F(WindowListTest, TheTopOrdinaryWindowAtAPoint) {
  // Window 3's alpha, the point, the top window there.
  const std::tuple<std::optional<double>, Point, std::optional<std::uint32_t>> rows[] = {
      {1.0, {160, 160}, 3u},  {1.0, {120, 120}, 4u},  {1.0, {10, 10}, 4u},
      {1.0, {150, 150}, 3u},  {1.0, {450, 200}, 4u},  {1.0, {200, 450}, 4u},
      {0.0, {160, 160}, 4u},  {0.05, {160, 160}, 3u}, {std::nullopt, {160, 160}, 3u},
      {1.0, {1200, 850}, {}},
  };
  for (const auto& [alpha, at, top] : rows) {
    SCOPED_TRACE(testing::Message() << at.x << "," << at.y);
    windows = {window(1, Rect::make(0, 0, 1440, 25), 24),
               window(2, Rect::make(100, 100, 200, 200), 3),
               window(3, Rect::make(150, 150, 300, 300)), window(4, Rect::make(0, 0, 1000, 800))};
    windows[2].alpha = alpha;
    EXPECT_EQ(topAt(at), top);
    EXPECT_EQ(server.lastOptions(), 0x11u);  // on screen only, without the desktop's own windows
  }
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
    EXPECT_EQ(topAt({10, 10}), 9u);
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
  EXPECT_EQ(topAt({150, 150}), 4u);
  EXPECT_EQ(read, 5);
  EXPECT_EQ(server.lastWalkLength(), 4);
  // With no match, every window is read once.
  read = 0;
  EXPECT_EQ(topAt({2000, 2000}), std::nullopt);
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
