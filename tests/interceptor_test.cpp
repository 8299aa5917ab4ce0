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

class InterceptorTest : public test::SimFixture {
 protected:
  std::vector<GreenClick> performed;
  std::unique_ptr<Interceptor> interceptor = make();

  std::unique_ptr<Interceptor> make() {
    return std::make_unique<Interceptor>(context,
                                         [this](const GreenClick& c) { performed.push_back(c); });
  }
  // The green button's frame is (248,156 14x16).
  Point green() const { return mac.desktop.center(*window, window->zoom); }

  // Hands an event to the interceptor as the tap's thread would.
  TapVerdict send(EventType type, Point at, std::uint64_t flags = 0) {
    auto tap = mac.eventTaps.live();
    EXPECT_TRUE(tap);
    sim::SimTapEvent event(at, flags);
    TapVerdict verdict = TapVerdict::Pass;
    mac.dispatch.onWorkerThread([&] { verdict = interceptor->handle(*tap, type, event); });
    return verdict;
  }
  void started() {
    ASSERT_TRUE(interceptor->start());
    clearLines();
    mac.accessibility.resetRequestCounts();
  }
  void armed() {
    started();
    ASSERT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Swallow);
    clearLines();
  }
};

TEST_F(InterceptorTest, StartMakesAnActiveSessionTapOnItsOwnThread) {
  EXPECT_TRUE(interceptor->start());
  EXPECT_TRUE(interceptor->isRunning());
  auto tap = mac.eventTaps.live();
  ASSERT_TRUE(tap);
  EXPECT_EQ(tap->location, EventTapLocation::Session);
  EXPECT_EQ(tap->placement, EventTapPlacement::HeadInsert);
  EXPECT_EQ(tap->options, EventTapOptions::Default);
  EXPECT_EQ(tap->mask, 0x46u);
  EXPECT_EQ(tap->threadName, "Plumora.EventTap");
  EXPECT_TRUE(tap->enabled);
  EXPECT_FLOAT_EQ(mac.accessibility.processTimeout(), 0.25f);
  EXPECT_THAT(lines(), ElementsAre("Osservazione dei clic attiva"));

  EXPECT_TRUE(interceptor->start());  // already running: nothing more
  EXPECT_EQ(mac.eventTaps.created(), 1);
  EXPECT_EQ(lines().size(), 1u);
}

TEST_F(InterceptorTest, StopEndsTheTapAndStartMakesANewOne) {
  interceptor->stop();  // not running: nothing
  EXPECT_THAT(lines(), IsEmpty());
  interceptor->start();
  auto first = mac.eventTaps.live();
  interceptor->stop();
  EXPECT_FALSE(interceptor->isRunning());
  EXPECT_TRUE(first->invalidated);
  EXPECT_FALSE(first->enabled);
  interceptor->stop();
  EXPECT_THAT(lines(),
              ElementsAre("Osservazione dei clic attiva", "Osservazione dei clic fermata"));
  EXPECT_TRUE(interceptor->start());
  EXPECT_EQ(mac.eventTaps.created(), 2);
}

TEST_F(InterceptorTest, WithoutPermissionThereIsNoTap) {
  mac.accessibility.setTrusted(false);
  EXPECT_FALSE(interceptor->start());
  EXPECT_FALSE(interceptor->isRunning());
  EXPECT_THAT(lines(), ElementsAre("Impossibile osservare i clic: event tap non creato"));
}

TEST_F(InterceptorTest, ATapItsThreadCannotServeIsNoStart) {
  mac.eventTaps.failRunLoopSource = true;
  EXPECT_FALSE(interceptor->start());
  EXPECT_FALSE(interceptor->isRunning());
  EXPECT_EQ(mac.eventTaps.live(), nullptr);
  EXPECT_THAT(lines(), ElementsAre("Impossibile osservare i clic: event tap non creato"));
}

TEST_F(InterceptorTest, AClickWaitingWhenTheWatcherStopsIsForgotten) {
  armed();
  interceptor->stop();
  ASSERT_TRUE(interceptor->start());
  // The release of a press made before the stop is the application's, and fills nothing.
  EXPECT_EQ(send(EventType::LeftMouseDragged, green()), TapVerdict::Pass);
  EXPECT_EQ(send(EventType::LeftMouseUp, green()), TapVerdict::Pass);
  EXPECT_THAT(performed, IsEmpty());
  // The new tap recognises clicks as before.
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Swallow);
  EXPECT_EQ(send(EventType::LeftMouseUp, green()), TapVerdict::Swallow);
  EXPECT_EQ(performed.size(), 1u);
}

TEST_F(InterceptorTest, APressFinishedOnAStoppedTapsThreadLeavesNothingForTheNextTap) {
  started();
  auto old = mac.eventTaps.live();
  interceptor->stop();
  ASSERT_TRUE(interceptor->start());
  // The old tap's thread was still judging a press when the watcher restarted.
  const sim::SimTapEvent press(green(), 0);
  mac.dispatch.onWorkerThread([&] { old->deliver(EventType::LeftMouseDown, press); });
  // The new tap's first release is the application's, not the end of that click.
  EXPECT_EQ(mac.eventTaps.deliver(EventType::LeftMouseUp, press), TapVerdict::Pass);
  EXPECT_THAT(performed, IsEmpty());
}

TEST_F(InterceptorTest, StartReplacesATapTheSystemLeftOff) {
  started();
  auto deaf = mac.eventTaps.live();
  deaf->enabled = false;  // turned off while the permission was gone, never turned back on
  EXPECT_TRUE(interceptor->start());
  auto tap = mac.eventTaps.live();
  ASSERT_NE(tap, deaf);
  EXPECT_TRUE(deaf->invalidated);
  EXPECT_TRUE(tap->intercepts(EventType::LeftMouseDown));
  EXPECT_THAT(lines(),
              ElementsAre("Osservazione dei clic fermata", "Osservazione dei clic attiva"));
}

TEST_F(InterceptorTest, OurOwnWindowAboveAnotherAppsButtonIsNeverFilled) {
  // A panel of ours on a raised layer whose own green button lies over the editor's: the
  // window list (normal layer only) names the editor, the hit test finds our button.
  auto& self = mac.desktop.addApp(mac.system.pid, "Plumora");
  auto& panel = mac.desktop.addWindow(self, Rect::make(200, 150, 300, 200), "Informazioni");
  mac.desktop.setLayer(panel, 3);
  ASSERT_EQ(mac.desktop.center(panel, panel.zoom), green());
  started();
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Pass);
  EXPECT_EQ(send(EventType::LeftMouseUp, green()), TapVerdict::Pass);
  EXPECT_THAT(performed, IsEmpty());
}

TEST_F(InterceptorTest, TapDisabledNoticesReEnableAndForgetTheClick) {
  armed();
  auto tap = mac.eventTaps.live();
  tap->enabled = false;
  EXPECT_EQ(send(EventType::TapDisabledByTimeout, {}), TapVerdict::Pass);
  EXPECT_TRUE(tap->enabled);
  EXPECT_FALSE(interceptor->swallowing());
  EXPECT_FALSE(interceptor->pending());
  tap->enabled = false;
  EXPECT_EQ(send(EventType::TapDisabledByUserInput, {}), TapVerdict::Pass);
  EXPECT_TRUE(tap->enabled);
  EXPECT_THAT(lines(), ElementsAre("Osservazione dei clic riattivata (timeout)",
                                   "Osservazione dei clic riattivata (input)"));
}

TEST_F(InterceptorTest, ANoticeWithoutThePermissionLeavesTheTapOffAndTellsTheMainThread) {
  int refreshes = 0;
  interceptor->onPermissionLost([&] {
    EXPECT_TRUE(mac.dispatch.isMainThread());
    ++refreshes;
  });
  armed();
  auto tap = mac.eventTaps.live();
  mac.desktop.tapNoticeDelay = 100;  // the notice is handed over below instead
  mac.accessibility.setTrusted(false);
  tap->enabled = false;
  EXPECT_EQ(send(EventType::TapDisabledByTimeout, {}), TapVerdict::Pass);
  EXPECT_FALSE(tap->enabled);
  EXPECT_FALSE(interceptor->swallowing());
  EXPECT_FALSE(interceptor->pending());
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_EQ(mac.accessibility.promptsShown(), 0);  // asked quietly: it prompts only at launch
  EXPECT_EQ(refreshes, 0);                         // handed over, never waited for
  mac.dispatch.runFor(0);
  EXPECT_EQ(refreshes, 1);
}

TEST_F(InterceptorTest, IdleStatePassesEverything) {
  started();
  const Point elsewhere{600, 500};
  EXPECT_EQ(send(EventType::LeftMouseDragged, green()), TapVerdict::Pass);
  EXPECT_EQ(send(EventType::LeftMouseUp, green()), TapVerdict::Pass);
  EXPECT_EQ(send(EventType::LeftMouseDown, elsewhere), TapVerdict::Pass);
  for (auto type : {EventType::Null, EventType::RightMouseDown, EventType::RightMouseUp,
                    EventType::MouseMoved}) {
    EXPECT_EQ(send(type, green()), TapVerdict::Pass);
  }
  EXPECT_FALSE(interceptor->swallowing());
  EXPECT_THAT(performed, IsEmpty());
}

TEST_F(InterceptorTest, ArmedStateSwallowsUntilTheRelease) {
  armed();
  for (auto type : {EventType::Null, EventType::RightMouseDown, EventType::MouseMoved}) {
    EXPECT_EQ(send(type, green()), TapVerdict::Pass);
  }
  EXPECT_TRUE(interceptor->swallowing());
  EXPECT_EQ(send(EventType::LeftMouseDragged, {700, 700}), TapVerdict::Swallow);
  EXPECT_EQ(send(EventType::LeftMouseUp, green()), TapVerdict::Swallow);
  EXPECT_FALSE(interceptor->swallowing());
  EXPECT_EQ(performed.size(), 1u);
  // The next release has no press of its own.
  EXPECT_EQ(send(EventType::LeftMouseUp, green()), TapVerdict::Pass);
  EXPECT_EQ(performed.size(), 1u);
}

TEST_F(InterceptorTest, APressWhileArmedStartsOver) {
  armed();
  EXPECT_EQ(send(EventType::LeftMouseDown, {600, 500}), TapVerdict::Pass);
  EXPECT_FALSE(interceptor->swallowing());
  EXPECT_FALSE(interceptor->pending());
  EXPECT_EQ(send(EventType::LeftMouseUp, green()), TapVerdict::Pass);
  EXPECT_THAT(performed, IsEmpty());
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Swallow);
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Swallow);
  EXPECT_EQ(send(EventType::LeftMouseUp, green()), TapVerdict::Swallow);
  EXPECT_EQ(performed.size(), 1u);
}

TEST_F(InterceptorTest, TheClickIsThePressAsRecorded) {
  started();
  mac.clock.advanceTo(3.0);
  send(EventType::LeftMouseDown, green());
  mac.clock.advanceTo(3.4);
  send(EventType::LeftMouseUp, {250, 160});
  ASSERT_EQ(performed.size(), 1u);
  const GreenClick& click = performed[0];
  EXPECT_EQ(click.pid, kEditorPid);
  EXPECT_EQ(click.window, elementOf(*window));
  EXPECT_EQ(click.button, element(window->zoom.node));
  EXPECT_EQ(click.buttonFrame, Rect::make(248, 156, 14, 16));
  EXPECT_DOUBLE_EQ(click.time, 3.0);
  EXPECT_THAT(lines(), ElementsAre("Tasto verde fermato (pid 501) in 0.0 ms"));
}

TEST_F(InterceptorTest, ModifiersOneByOne) {
  started();
  for (auto flag : {kShift, kControl, kOption, kCommand, kFn}) {
    EXPECT_EQ(send(EventType::LeftMouseDown, green(), flag), TapVerdict::Pass) << std::hex << flag;
  }
  // Nothing was asked of anyone.
  EXPECT_EQ(mac.accessibility.totalRequests(), 0u);
  EXPECT_EQ(mac.windowServer.calls(), 0);
  for (auto flag : {kCapsLock, kNumericPad, kHelp}) {
    EXPECT_EQ(send(EventType::LeftMouseDown, green(), flag), TapVerdict::Swallow)
        << std::hex << flag;
  }
}

TEST_F(InterceptorTest, TheButtonZoneIsInclusiveAndLeftFirst) {
  started();
  // The window's top-left corner is (200,150).
  const auto pressAt = [&](double x, double y) {
    mac.accessibility.resetRequestCounts();
    send(EventType::LeftMouseDown, {x, y});
    return mac.accessibility.totalRequests();
  };
  EXPECT_GT(pressAt(420.0, 270.0), 0u);
  EXPECT_EQ(pressAt(420.0, 270.5), 0u);
  EXPECT_EQ(pressAt(420.5, 270.0), 0u);
  EXPECT_EQ(pressAt(780.0, 200.0), 0u);  // near the right edge: only for right-to-left
  EXPECT_THAT(lines(), ElementsAre("Clic nella zona dei tasti ma non sul tasto verde "
                                   "(AXStandardWindow) in 0.0 ms"));
  // The window's own top and left edges are in the zone.
  EXPECT_GT(pressAt(210.0, 150.0), 0u);
  EXPECT_GT(pressAt(200.0, 160.0), 0u);
}

TEST_F(InterceptorTest, RightToLeftLanguagesAlsoUseTheRightCorner) {
  mac.system.languages = {"he-IL", "en-US"};
  interceptor = make();
  started();
  // The window's right edge is at 1000.
  mac.accessibility.resetRequestCounts();
  send(EventType::LeftMouseDown, {780.0, 200.0});
  EXPECT_GT(mac.accessibility.totalRequests(), 0u);
  mac.accessibility.resetRequestCounts();
  send(EventType::LeftMouseDown, {779.5, 200.0});
  EXPECT_EQ(mac.accessibility.totalRequests(), 0u);
  // The left corner still counts.
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Swallow);
}

TEST_F(InterceptorTest, OtherButtonsPassNamingWhatTheyAre) {
  started();
  EXPECT_EQ(send(EventType::LeftMouseDown, mac.desktop.center(*window, window->close)),
            TapVerdict::Pass);
  mac.accessibility.fail(window->minimize.node, "AXSubrole", ax::kNoValue);
  send(EventType::LeftMouseDown, mac.desktop.center(*window, window->minimize));
  mac.accessibility.fail(window->minimize.node, "AXRole", ax::kNoValue);
  send(EventType::LeftMouseDown, mac.desktop.center(*window, window->minimize));
  EXPECT_THAT(
      lines(),
      ElementsAre("Clic nella zona dei tasti ma non sul tasto verde (AXCloseButton) in 0.0 ms",
                  "Clic nella zona dei tasti ma non sul tasto verde (AXButton) in 0.0 ms",
                  "Clic nella zona dei tasti ma non sul tasto verde (?) in 0.0 ms"));
  // The full-screen subrole on something that is not a button is no green button.
  clearLines();
  mac.accessibility.set(window->zoom.node, "AXRole", RawValue::string("AXGroup"));
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Pass);
  EXPECT_THAT(lines(), ElementsAre("Clic nella zona dei tasti ma non sul tasto verde "
                                   "(AXFullScreenButton) in 0.0 ms"));
}

TEST_F(InterceptorTest, GreenButtonsThatKeepTheirOwnAction) {
  started();
  mac.desktop.setButtonEnabled(window->zoom, false);
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Pass);
  mac.accessibility.set(window->zoom.node, "AXEnabled", RawValue::integer(0));
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Pass);
  EXPECT_THAT(lines(), IsEmpty());  // a disabled button passes without a word

  mac.accessibility.set(window->zoom.node, "AXEnabled", RawValue::string("yes"));
  mac.desktop.setResizable(*window, false);
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Pass);
  mac.desktop.setResizable(*window, true);
  window->fullScreen = true;
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Pass);
  EXPECT_THAT(lines(),
              ElementsAre("Finestra non ridimensionabile: il tasto verde fa la sua azione normale",
                          "Finestra a schermo intero: il tasto verde fa la sua azione normale"));
  window->fullScreen = false;
  // A window that cannot say whether it is full screen is taken as not.
  mac.accessibility.fail(window->node, "AXFullScreen", ax::kCannotComplete);
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Swallow);
  clearLines();
  mac.accessibility.set(window->zoom.node, "AXWindow", RawValue::string("no window"));
  EXPECT_EQ(send(EventType::LeftMouseDown, green()), TapVerdict::Pass);
  EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(InterceptorTest, TheProgramsOwnWindowsPass) {
  auto& own = mac.desktop.addApp(mac.system.pid, "Plumora");
  auto& panel = mac.desktop.addWindow(own, Rect::make(150, 100, 400, 300), "Impostazioni");
  mac.desktop.activate(own, &panel);
  started();
  EXPECT_EQ(send(EventType::LeftMouseDown, mac.desktop.center(panel, panel.zoom)),
            TapVerdict::Pass);
  EXPECT_EQ(mac.accessibility.totalRequests(), 0u);
}

TEST_F(InterceptorTest, ThePidIsTheButtonsNotTheWindowLists) {
  started();
  mac.windowServer.injected = {
      sim::SimWindowServer::entry(sim::WindowInfo{0, kEditorFrame, 1.0, 4321, 999, true})};
  send(EventType::LeftMouseDown, green());
  send(EventType::LeftMouseUp, green());
  ASSERT_EQ(performed.size(), 1u);
  EXPECT_EQ(performed[0].pid, kEditorPid);
}

TEST_F(InterceptorTest, AnUnreadableButtonFrameGivesASquareAroundThePress) {
  started();
  window->zoom.frameReadable = false;
  send(EventType::LeftMouseDown, {250, 160});
  ASSERT_TRUE(interceptor->pending());
  EXPECT_EQ(interceptor->pending()->buttonFrame, Rect::make(240, 150, 20, 20));
}

TEST_F(InterceptorTest, ReleaseToleranceOnEachSide) {
  started();
  // The frame is (248,156 14x16): grown by 6 it spans x 242..268 and y 150..178, the far
  // edges excluded.
  struct Case {
    Point release;
    bool performs;
  };
  for (const Case& c : {Case{{242, 160}, true}, Case{{241, 160}, false}, Case{{267.9, 160}, true},
                        Case{{268, 160}, false}, Case{{255, 150}, true}, Case{{255, 149}, false},
                        Case{{255, 177.9}, true}, Case{{255, 178}, false}}) {
    performed.clear();
    clearLines();
    send(EventType::LeftMouseDown, green());
    EXPECT_EQ(send(EventType::LeftMouseUp, c.release), TapVerdict::Swallow);
    EXPECT_EQ(performed.size(), c.performs ? 1u : 0u) << c.release.x << "," << c.release.y;
    if (!c.performs) {
      EXPECT_EQ(lines().back(), "Clic annullato: rilasciato fuori dal tasto verde");
    }
  }
}

}  // namespace
}  // namespace plumora
