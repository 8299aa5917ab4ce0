#include "interception/interceptor.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint64_t kShift = 0x20000, kControl = 0x40000, kOption = 0x80000,
                        kCommand = 0x100000, kFn = 0x800000, kCapsLock = 0x10000,
                        kNumericPad = 0x200000, kHelp = 0x400000;
// The editor's window is (200,150 800x600); its green button's frame is (248,156 14x16).
constexpr Point kGreen{255, 164};
constexpr EventType kDown = EventType::LeftMouseDown, kUp = EventType::LeftMouseUp,
                    kDrag = EventType::LeftMouseDragged;
constexpr TapVerdict kPass = TapVerdict::Pass, kSwallow = TapVerdict::Swallow;
const std::string kNoted = "Tasto verde fermato (pid 501) in 0.0 ms";
std::string notGreen(const char* what) {
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

TEST_F(InterceptorTest, StartMakesOneEnabledTapAndStopEndsIt) {
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

TEST_F(InterceptorTest, AClickWaitingWhenTheWatcherStopsIsForgotten) {
  armed();
  auto old = mac.eventTaps.live();
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

TEST_F(InterceptorTest, StartReplacesATapTheSystemLeftOff) {
  started();
  auto deaf = mac.eventTaps.live();
  deaf->enabled = false;  // turned off while the permission was gone, never turned back on
  EXPECT_TRUE(interceptor->start());
  EXPECT_TRUE(deaf->invalidated);
  EXPECT_EQ(send(kDown, kGreen), kSwallow);
  EXPECT_THAT(lines(),
              ElementsAre("Osservazione dei clic fermata", "Osservazione dei clic attiva", kNoted));
}

TEST_F(InterceptorTest, TapDisabledNoticesReEnableAndForgetTheClick) {
  armed();
  auto tap = mac.eventTaps.live();
  for (auto notice : {EventType::TapDisabledByTimeout, EventType::TapDisabledByUserInput}) {
    tap->enabled = false;
    EXPECT_EQ(send(notice, {}), kPass);
    EXPECT_TRUE(tap->enabled);
    EXPECT_EQ(send(kUp, kGreen), kPass);
  }
  EXPECT_THAT(performed, IsEmpty());
  EXPECT_THAT(lines(), ElementsAre("Osservazione dei clic riattivata (timeout)",
                                   "Osservazione dei clic riattivata (input)"));
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
  EXPECT_THAT(performed, IsEmpty());
}

// What the tap answers to an event when idle or after a press on the green button, and then to
// a release on the button: after a release the next has no press of its own, and a new press
// starts over.
TEST_F(InterceptorTest, EventsInEachState) {
  struct Row {
    bool armed;
    EventType type;
    Point at;
    TapVerdict verdict, release;
    bool performs;
  };
  constexpr Point kAway{600, 500};
  constexpr EventType kNull = EventType::Null, kRight = EventType::RightMouseDown,
                      kMoved = EventType::MouseMoved;
  const Row rows[] = {{false, kDrag, kGreen, kPass, kPass, false},
                      {false, kUp, kGreen, kPass, kPass, false},
                      {false, kDown, kAway, kPass, kPass, false},
                      {false, kNull, kGreen, kPass, kPass, false},
                      {false, kRight, kGreen, kPass, kPass, false},
                      {false, kMoved, kGreen, kPass, kPass, false},
                      {true, kNull, kGreen, kPass, kSwallow, true},
                      {true, kRight, kGreen, kPass, kSwallow, true},
                      {true, kMoved, kGreen, kPass, kSwallow, true},
                      {true, kDrag, kAway, kSwallow, kSwallow, true},
                      {true, kUp, kGreen, kSwallow, kPass, true},
                      {true, kDown, kAway, kPass, kPass, false},
                      {true, kDown, kGreen, kSwallow, kSwallow, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.armed << " " << static_cast<int>(row.type));
    performed.clear();
    interceptor->stop();
    row.armed ? armed() : started();
    EXPECT_EQ(send(row.type, row.at), row.verdict);
    EXPECT_EQ(send(kUp, kGreen), row.release);
    EXPECT_EQ(performed.size(), row.performs ? 1u : 0u);
  }
}

TEST_F(InterceptorTest, TheClickIsThePressAsRecorded) {
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
}

TEST_F(InterceptorTest, AnUnreadableButtonFrameGivesASquareAroundThePress) {
  started();
  window->zoom.frameReadable = false;
  send(kDown, {250, 160});
  ASSERT_TRUE(interceptor->pending());
  EXPECT_EQ(interceptor->pending()->buttonFrame, Rect::make(240, 150, 20, 20));
}

TEST_F(InterceptorTest, AModifierLeavesTheButtonItsOwnActionWithoutAQuestion) {
  const std::pair<std::uint64_t, TapVerdict> rows[] = {
      {kShift, kPass}, {kControl, kPass},     {kOption, kPass},        {kCommand, kPass},
      {kFn, kPass},    {kCapsLock, kSwallow}, {kNumericPad, kSwallow}, {kHelp, kSwallow}};
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
  struct Row {
    bool rightToLeft;
    Point press, release;
    bool asks, performs;
  };
  const Row rows[] = {
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
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.rightToLeft << " " << row.press.x << "," << row.press.y
                                    << " " << row.release.x << "," << row.release.y);
    interceptor->stop();
    mac.system.languages = {row.rightToLeft ? "he-IL" : "it-IT", "en-US"};
    interceptor = make();
    performed.clear();
    started();
    send(kDown, row.press);
    EXPECT_EQ(mac.accessibility.totalRequests() > 0, row.asks);
    send(kUp, row.release);
    EXPECT_EQ(performed.size(), row.performs ? 1u : 0u);
  }
}

// A press on anything but an enabled green button of a resizable window that is not full
// screen passes; the log says why when it is worth saying.
enum Part { kZoom, kMinimize, kWindow };
struct Change {
  Part part;
  const char* attribute;
  RawValue value;  // an error: the read fails with it; none: the attribute is read-only
};
Change gone(Part part, const char* attribute) {
  return {part, attribute, RawValue::error(ax::kNoValue)};
}
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
    if (value.isNone()) mac.accessibility.setReadOnly(node, attribute);
    if (!value.asError() && !value.isNone()) mac.accessibility.set(node, attribute, value);
  }
  started();
  EXPECT_EQ(send(kDown, GetParam().press), GetParam().verdict);
  EXPECT_EQ(send(kUp, GetParam().press), GetParam().verdict);
  EXPECT_EQ(performed.size(), GetParam().verdict == kSwallow ? 1u : 0u);
  EXPECT_EQ(lines(), std::vector<std::string>(!GetParam().log.empty(), GetParam().log));
}

const std::string kKeeps = ": il tasto verde fa la sua azione normale";
using R = RawValue;
const RawValue kYes = RawValue::boolean(true);
const ButtonRow kButtonRows[] = {
    {"Close", {}, kPass, notGreen("AXCloseButton"), {215, 164}},
    {"NoSubrole", {gone(kMinimize, "AXSubrole")}, kPass, notGreen("AXButton"), {235, 164}},
    {"NoRoles",
     {gone(kMinimize, "AXSubrole"), gone(kMinimize, "AXRole")},
     kPass,
     notGreen("?"),
     {235, 164}},
    {"WindowBody", {}, kPass, notGreen("AXStandardWindow"), {420, 270}},
    {"NotAButton",
     {{kZoom, "AXRole", R::string("AXGroup")}},
     kPass,
     notGreen("AXFullScreenButton")},
    {"Disabled", {{kZoom, "AXEnabled", R::boolean(false)}}, kPass, ""},
    {"EnabledZero", {{kZoom, "AXEnabled", R::integer(0)}}, kPass, ""},
    {"EnabledNotANumber", {{kZoom, "AXEnabled", R::string("yes")}}, kSwallow, kNoted},
    {"NoWindow", {{kZoom, "AXWindow", R::string("none")}}, kPass, ""},
    {"NotResizable", {{kWindow, "AXSize", R()}}, kPass, "Finestra non ridimensionabile" + kKeeps},
    {"FullScreen", {{kWindow, "AXFullScreen", kYes}}, kPass, "Finestra a schermo intero" + kKeeps},
    {"FullScreenUnread", {{kWindow, "AXFullScreen", R::error(ax::kFailure)}}, kSwallow, kNoted},
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
  EXPECT_EQ(send(kUp, kGreen), kPass);
  auto& front = mac.desktop.addWindow(self, Rect::make(150, 100, 400, 300), "Impostazioni");
  mac.desktop.activate(self, &front);
  mac.accessibility.resetRequestCounts();
  EXPECT_EQ(send(kDown, mac.desktop.center(front, front.zoom)), kPass);
  EXPECT_EQ(mac.accessibility.totalRequests(), 0u);
  EXPECT_THAT(performed, IsEmpty());
}

}  // namespace
}  // namespace plumora
