// FillAction on the simulated desktop: one click through the fill run (what leaves a record or
// counts as handled, the repeat rule, the timeouts of the requests, the choice between Fill and
// restore), the restore run, bringing the window forward, waiting for the system's move, and the
// restore records.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class FillRunTest : public test::SimFixture {
 protected:
  explicit FillRunTest(bool verbose = true) : SimFixture(verbose) {}

  FillAction fill{context, settings};
  Element win = elementOf(*window);

  // Clicks the window's green button at `time`: the run is queued then.
  void clickAt(double time) {
    mac.dispatch.runUntil(time);
    fill.perform(clickOn(*window, time));
  }
  void runUntil(double time) { mac.dispatch.runUntil(time); }

  std::optional<double> lastDoneTime() const {
    return fill.lastDone() ? std::optional<double>(fill.lastDone()->time) : std::nullopt;
  }
  // How many frame writes (AXSize, AXPosition) the program made.
  std::size_t frameWrites() const {
    return static_cast<std::size_t>(std::count_if(
        mac.accessibility.written().begin(), mac.accessibility.written().end(),
        [](const auto& w) { return w.attribute == "AXSize" || w.attribute == "AXPosition"; }));
  }
  // Fills the window at 0, lets the measurement happen, and clicks again at 1.0.
  void fillThenClickAgain() {
    clickAt(0);
    runUntil(1.0);
    clearLines();
    mac.keyboard.clear();
    mac.accessibility.clearJournal();
    clickAt(1.0);
    runUntil(6.0);
  }
  // Brings the window forward as the fill queue would.
  bool bringToFront() {
    bool result = false;
    onFillQueue([&] { result = fill.bringToFront(appElement(*editor), win, editor->pid); });
    return result;
  }
  std::vector<double> raiseTimes() const {
    std::vector<double> times;
    for (const auto& p : mac.accessibility.performed()) {
      if (p.action == "AXRaise") times.push_back(p.time);
    }
    return times;
  }
  void finder() {
    auto& app = mac.desktop.addApp(777, "Finder");
    mac.desktop.activate(app, &mac.desktop.addWindow(app, Rect::make(0, 25, 600, 400), "Desk"));
  }
  // Runs the wait for the system's move as the fill queue would.
  bool wait(Rect from) {
    bool result = false;
    onFillQueue([&] { result = fill.waitForNativeMove(win, from); });
    return result;
  }
};

TEST_F(FillRunTest, AFillIsRememberedOnAQueueThatActsForTheUser) {
  clickAt(0);
  runUntil(1.0);
  ASSERT_EQ(fill.records().size(), 1u);
  EXPECT_EQ(fill.records()[0].before, kEditorFrame);
  EXPECT_EQ(fill.records()[0].after, kUsable);
  EXPECT_EQ(lastDoneTime(), 0.0);
  // Runs wait for other applications on behalf of the user.
  const auto queues = mac.dispatch.queues();
  EXPECT_TRUE(std::any_of(queues.begin(), queues.end(), [](const auto& q) {
    return q.quality == QualityOfService::UserInitiated;
  }));
}

TEST_F(FillRunTest, APressThatTimesOutCountsAsDone) {
  mac.desktop.setMenuItemAnswer(*editor, {"Window", "Fill"}, ax::kCannotComplete);
  clickAt(0);
  runUntil(0.5);
  EXPECT_THAT(lines(),
              ElementsAre("Riempi dal menu: esito -25204, misura prima (200,150 800x600), 0.0 ms"));
  EXPECT_EQ(fill.records().size(), 1u);
  EXPECT_EQ(lastDoneTime(), 0.0);
  EXPECT_THAT(mac.keyboard.posted(), IsEmpty());
}

TEST_F(FillRunTest, ARunThatCannotStartOrBringTheWindowForwardIsNotHandled) {
  window->frameReadable = false;
  clickAt(0);
  runUntil(1.0);
  EXPECT_THAT(lines(), IsEmpty());
  window->frameReadable = true;
  finder();
  editor->activates = false;
  clickAt(1.0);
  runUntil(4.0);
  EXPECT_EQ(lastDoneTime(), std::nullopt);
  EXPECT_THAT(fill.records(), IsEmpty());
}

TEST_F(FillRunTest, TheApplicationGetsOneSecondAndTheWindowOneAndAHalf) {
  // Every request to the application takes 1.2 s, and the process default is a quarter second.
  Element(mac.accessibility.systemWide()).setTimeout(0.25f);
  mac.accessibility.setLatency(kEditorPid, 1.2);
  clickAt(0);
  runUntil(30);
  // The focused and main windows, asked of the application, time out after 1.0 s each; the
  // raise, asked of the window, is answered after 1.2 s.
  ASSERT_FALSE(mac.accessibility.performed().empty());
  EXPECT_EQ(mac.accessibility.performed()[0].action, "AXRaise");
  EXPECT_NEAR(mac.accessibility.performed()[0].time, 3.2, 1e-9);
}

TEST_F(FillRunTest, TheWindowIsWaitedForOneAndAHalfSecondsNoMore) {
  mac.accessibility.setLatency(kEditorPid, 2.0);
  clickAt(0);
  runUntil(30);
  // The raise gives up at 3.5 (its effect comes at 4.0); the main-window write asked then lands
  // 2 s later.
  const auto& w = mac.accessibility.written();
  const auto main =
      std::find_if(w.begin(), w.end(), [](auto& x) { return x.attribute == "AXMain"; });
  ASSERT_NE(main, w.end());
  EXPECT_NEAR(main->time, 5.5, 1e-9);
}

TEST_F(FillRunTest, ASlowFillItemIsGivenTwoSecondsAndAnUnreadableStateCountsAsEnabled) {
  const auto fillItem = mac.desktop.menuItem(*editor, {"Window", "Fill"});
  ASSERT_TRUE(fillItem);
  mac.accessibility.setLatency(*fillItem, 2.5);
  clickAt(0);
  runUntil(8);
  // Found after 2.5 s, at the default timeout; then its enabled state times out after 2 s, and
  // so does the press, which counts as done.
  EXPECT_THAT(lines(), ElementsAre("Riempi dal menu: esito -25204, misura prima "
                                   "(200,150 800x600), 6500.0 ms",
                                   "Misura dopo Riempi: (0,25 1440x875)"));
  EXPECT_THAT(mac.keyboard.posted(), IsEmpty());
}

// Repeats are judged by when the clicks were made.
TEST_F(FillRunTest, ASecondClickPointFourSecondsLaterIsHandled) {
  settings.setRestoreOnSecondClick(false);
  clickAt(0);
  clickAt(0.4);
  runUntil(0.45);
  EXPECT_THAT(lines(), ElementsAre(StartsWith("Riempi dal menu"), StartsWith("Riempi dal menu")));
  EXPECT_EQ(lastDoneTime(), 0.4);
}

// Choosing between Fill and restore: a click restores a window still at its measured frame
// (within 6 points), or, before the measurement, a window within 24 points of every edge of the
// screen.
struct Decision {
  const char* name;
  bool option;
  double clickAt;  // the measurement is at 0.8
  std::optional<Rect> frameAtClick;
  bool restores;
};
// clang-format off
const Decision kDecisions[] = {
    {"OptionOff", false, 1.5, std::nullopt, false},
    {"SixPointsFromMeasured", true, 1.5, Rect::make(6, 31, 1434, 869), true},
    {"SevenPointsFromMeasured", true, 1.5, Rect::make(7, 25, 1433, 875), false},
    {"EdgesWithin24", true, 0.5, Rect::make(24, 1, 1416, 899), true},
    {"LeftEdge25Away", true, 0.5, Rect::make(25, 25, 1415, 875), false},
    {"TopEdgeAway", true, 0.5, Rect::make(0, 50, 1440, 850), false},
    {"RightEdgeAway", true, 0.5, Rect::make(0, 25, 1415, 875), false},
    {"BottomEdgeAway", true, 0.5, Rect::make(0, 25, 1440, 850), false},
};
// clang-format on

class DecisionTest : public FillRunTest, public ::testing::WithParamInterface<Decision> {};

TEST_P(DecisionTest, RestoresOrFillsAgain) {
  const Decision& d = GetParam();
  clickAt(0);
  runUntil(d.clickAt);
  if (d.frameAtClick) mac.desktop.setFrame(*window, *d.frameAtClick);
  settings.setRestoreOnSecondClick(d.option);
  clearLines();
  clickAt(d.clickAt);
  runUntil(4);
  EXPECT_EQ(::testing::Value(lines(), Contains(StartsWith("Torna alle dimensioni precedenti"))),
            d.restores);
  EXPECT_EQ(fill.records().size(), d.restores ? 0u : 1u);
  // A second Fill more than 1.5 s after the first remembers the frame it found.
  if (!d.restores && d.clickAt > 1) {
    EXPECT_EQ(fill.records()[0].before, d.frameAtClick.value_or(kUsable));
  }
}
INSTANTIATE_TEST_SUITE_P(Clicks, DecisionTest, ::testing::ValuesIn(kDecisions),
                         [](const auto& info) { return std::string(info.param.name); });

const std::vector<std::string> kRestoreItem{"Window", "Move & Resize", "Return to Previous Size"};

using RestoreRunTest = FillRunTest;

TEST_F(RestoreRunTest, TheSystemPutsTheWindowBackAndTheRecordGoes) {
  fillThenClickAgain();
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_THAT(fill.records(), IsEmpty());
  EXPECT_EQ(lastDoneTime(), 1.0);
  EXPECT_EQ(frameWrites(), 0u);
  EXPECT_THAT(mac.keyboard.posted(), IsEmpty());
}

TEST_F(RestoreRunTest, AWindowPutBackOnALargerScreenGetsItsWholeSize) {
  // Taller than the primary screen: the size written there is cut to it until the window has
  // moved to the second screen.
  mac.desktop.addScreen(Rect::make(1440, 0, 1920, 1080), Rect::make(1440, 0, 1920, 1080));
  const Rect tall = Rect::make(1500, -100, 1000, 1000);
  mac.desktop.setFrame(*window, tall);
  editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
  editor->elsewhere = Rect::make(100, 100, 800, 600);
  fillThenClickAgain();
  EXPECT_EQ(window->frame, tall);
  EXPECT_EQ(frameWrites(), 3u);  // in one go, not by the second try
}

TEST_F(RestoreRunTest, ABusyAppInAssistiveModeHasItsModeTurnedOffAndOn) {
  editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
  editor->elsewhere = Rect::make(300, 300, 500, 400);
  editor->enhancedUserInterface = true;
  clickAt(0);
  runUntil(1.0);
  // Slower than the process's default timeout, which the running watcher has set to 0.25 s,
  // well within the run's own for the application.
  Element(mac.accessibility.systemWide()).setTimeout(Interceptor::kHitTestTimeout);
  mac.accessibility.setLatency(editor->node, 0.5);
  clickAt(1.0);
  runUntil(10.0);
  // Left on, the app would drop the position of our quick writes.
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(editor->enhancedUserInterface, true);
}

// Which frames count as the same: the window already had it, the system put it back, it fits
// the screens.
TEST_F(RestoreRunTest, FrameTolerances) {
  struct Case {
    Rect start;
    sim::RestoreAnswer answer;
    std::optional<Rect> elsewhere;
    bool alreadyThatSize;
    std::size_t writes;
  };
  // clang-format off
  const Case cases[] = {
      {Rect::make(2, 27, 1437, 872), sim::RestoreAnswer::Restore, {}, true, 0},
      {Rect::make(4.5, 25, 1440, 875), sim::RestoreAnswer::Restore, {}, false, 0},
      {kEditorFrame, sim::RestoreAnswer::Elsewhere, Rect::make(208.5, 150, 800, 600), false, 3},
      {Rect::make(-2, 23, 700, 500), sim::RestoreAnswer::Ignore, {}, false, 3},
      {Rect::make(-2.5, 23, 700, 500), sim::RestoreAnswer::Ignore, {}, false, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start.origin.x);
    const double t = mac.clock.mediaTime() + 10;
    mac.desktop.setFrame(*window, c.start);
    editor->restoreAnswer = c.answer;
    editor->elsewhere = c.elsewhere.value_or(Rect{});
    clickAt(t);
    runUntil(t + 1.0);
    clearLines();
    mac.accessibility.clearJournal();
    clickAt(t + 1.0);
    runUntil(t + 6.0);
    const auto log = lines();
    EXPECT_EQ(log.size() > 1 && log[1].rfind("La finestra era già grande così", 0) == 0,
              c.alreadyThatSize);
    EXPECT_EQ(frameWrites(), c.writes);
    if (c.writes > 0) {
      EXPECT_EQ(window->frame, c.start);
    }
  }
}

TEST_F(RestoreRunTest, AWindowThatMovesAgainIsWrittenOnceMore) {
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  window->rebound = sim::SimWindow::Rebound{0.1, Rect::make(100, 100, 600, 500), 1};
  fillThenClickAgain();
  EXPECT_THAT(lines(), ::testing::ElementsAre(
                           "Torna alle dimensioni precedenti dal menu: esito 0",
                           "macOS non l'ha mossa: misura di prima rimessa da Plumora "
                           "(200,150 800x600), 840.0 ms",
                           "macOS l'ha spostata ancora a (100,100 600x500): rimessa di nuovo, "
                           "1120.0 ms"));
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(frameWrites(), 6u);
}

TEST_F(RestoreRunTest, AWindowThatComesBackOnItsOwnIsNotWrittenAgain) {
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  // Plumora writes the frame back at about 1.84; the window then wobbles away and back.
  mac.clock.at(2.2, [&] { mac.desktop.setFrame(*window, Rect::make(260, 150, 800, 600)); });
  mac.clock.at(2.3, [&] { mac.desktop.setFrame(*window, kEditorFrame); });
  fillThenClickAgain();
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(frameWrites(), 3u);
}

TEST_F(RestoreRunTest, ASlowRestoreItemIsGivenTwoSecondsAndCountsAsDone) {
  const auto item = *mac.desktop.menuItem(*editor, kRestoreItem);
  mac.accessibility.setLatency(item, 2.5);
  mac.accessibility.fail(item, "AXEnabled", ax::kCannotComplete);
  fillThenClickAgain();
  // An item that cannot say whether it is enabled is pressed; the press times out after 2 s,
  // which counts as done: no shortcut.
  EXPECT_THAT(lines(),
              ElementsAre(StartsWith("Torna alle dimensioni precedenti dal menu: esito -25204"),
                          StartsWith("Misura di prima rimessa")));
  EXPECT_THAT(mac.keyboard.posted(), IsEmpty());
}

using ActivationTest = FillRunTest;

TEST_F(ActivationTest, AnActiveWindowIsTakenAsItIs) {
  EXPECT_TRUE(bringToFront());
  EXPECT_THAT(raiseTimes(), IsEmpty());
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_DOUBLE_EQ(mac.clock.mediaTime(), 0);
  // The main window is active too while a panel of the application has the focus.
  editor->focused = nullptr;
  editor->main = window;
  EXPECT_TRUE(bringToFront());
  EXPECT_THAT(raiseTimes(), IsEmpty());
}

TEST_F(ActivationTest, AnotherWindowOfTheFrontmostApplicationIsRaised) {
  auto& other = mac.desktop.addWindow(*editor, Rect::make(50, 60, 400, 300), "Altro");
  mac.desktop.activate(*editor, &other);
  EXPECT_TRUE(bringToFront());
  EXPECT_THAT(raiseTimes(), ElementsAre(0.0));
  EXPECT_EQ(editor->focused, window);
  // Active at the poll of 30 ms, then the extra 40 ms.
  EXPECT_THAT(lines(), ElementsAre("Finestra attivata in 70.0 ms"));
}

TEST_F(ActivationTest, GivesUpAfterRaisingOnceMore) {
  finder();
  editor->activates = false;
  EXPECT_FALSE(bringToFront());
  // The second raise at the first poll past 0.5 s, the give-up at the first poll at 2.5 s.
  EXPECT_THAT(raiseTimes(), ElementsAre(0.0, ::testing::DoubleNear(0.51, 1e-9)));
  EXPECT_NEAR(mac.clock.mediaTime(), 2.505, 1e-9);
  EXPECT_THAT(lines(), ElementsAre("Finestra non attivata: app in primo piano 777 (attesa 501), "
                                   "finestra attiva (200,150 800x600) 'Documento', principale "
                                   "(200,150 800x600), cliccata (200,150 800x600) 'Documento'"));
}

class QuietActivationTest : public FillRunTest {
 protected:
  QuietActivationTest() : FillRunTest(false) {}
};

TEST_F(QuietActivationTest, TheFailureLinesDetailsAreReadOnlyWhenWritten) {
  finder();
  editor->activates = false;
  mac.accessibility.resetRequestCounts();
  EXPECT_FALSE(bringToFront());
  // Two rounds of three raise writes, then the focused and the main window: nothing more.
  EXPECT_EQ(mac.accessibility.requests(kEditorPid), 8u);
  EXPECT_THAT(lines(), IsEmpty());
}

TEST(SameFrame, ToleranceIsInclusiveAndPerField) {
  const Rect a = Rect::make(10, 20, 300, 200);
  EXPECT_TRUE(sameFrame(a, Rect::make(16, 20, 300, 200), 6));
  EXPECT_FALSE(sameFrame(a, Rect::make(16.01, 20, 300, 200), 6));
  EXPECT_FALSE(sameFrame(a, Rect::make(10, 20, 300, 206.5), 6));
  EXPECT_FALSE(sameFrame(a, Rect::make(10, 26.5, 300, 200), 6));
  EXPECT_FALSE(sameFrame(a, Rect::make(10, 20, 306.5, 200), 6));
  // Far edges are not compared on their own: a wider window shifted left still matches.
  EXPECT_TRUE(sameFrame(a, Rect::make(4, 14, 306, 206), 6));
  // The normalised rectangle is compared.
  EXPECT_TRUE(sameFrame(a, Rect::make(310, 220, -300, -200), 0));
  EXPECT_FALSE(sameFrame(a, Rect::make(std::nan(""), 20, 300, 200), 1e9));
}

using SettlingTest = FillRunTest;

TEST_F(SettlingTest, AWindowThatNeverMovesGivesFalseAtTheFirstPollAfterPointEight) {
  EXPECT_FALSE(wait(kEditorFrame));
  EXPECT_NEAR(mac.clock.mediaTime(), 0.84, 1e-9);
}

TEST_F(SettlingTest, AWindowStillMovingAtTwoSecondsGivesTrue) {
  for (int i = 1; i <= 100; ++i) {
    mac.clock.at(i * 0.04 - 0.01, [this, i] {
      mac.desktop.setFrame(*window, Rect::make(200 + 3 * i, 150, 800, 600));
    });
  }
  EXPECT_TRUE(wait(kEditorFrame));
  EXPECT_NEAR(mac.clock.mediaTime(), 2.04, 1e-9);
}

TEST_F(SettlingTest, MovesOfOnePointOrLessDoNotCount) {
  mac.clock.at(0.1, [&] { mac.desktop.setFrame(*window, Rect::make(201, 149, 801, 599)); });
  EXPECT_FALSE(wait(kEditorFrame));
  // Two points is a move.
  mac.clock.at(mac.clock.mediaTime() + 0.1,
               [&] { mac.desktop.setFrame(*window, Rect::make(203, 151, 801, 599)); });
  EXPECT_TRUE(wait(Rect::make(201, 149, 801, 599)));
}

TEST_F(SettlingTest, AnUnreadableFrameEndsTheWait) {
  mac.clock.at(0.1, [&] { window->frameReadable = false; });
  EXPECT_FALSE(wait(kEditorFrame));
  EXPECT_NEAR(mac.clock.mediaTime(), 0.12, 1e-9);

  window->frameReadable = true;
  const double start = mac.clock.mediaTime();
  mac.clock.at(start + 0.05, [&] { mac.desktop.setFrame(*window, kUsable); });
  mac.clock.at(start + 0.09, [&] { window->frameReadable = false; });
  EXPECT_TRUE(wait(kEditorFrame));
}

using RestoreRecordsTest = FillRunTest;

TEST_F(RestoreRecordsTest, ARepeatWithinOneAndAHalfSecondsKeepsTheFirstFrame) {
  const Rect original = kEditorFrame;
  fill.remember(win, original);
  runUntil(1.0);
  fill.remember(win, kUsable);
  ASSERT_EQ(fill.records().size(), 1u);
  EXPECT_EQ(fill.records()[0].before, original);
  EXPECT_DOUBLE_EQ(fill.records()[0].time, 1.0);
  EXPECT_FALSE(fill.records()[0].after);

  runUntil(2.5);  // 1.5 s after the last one: no longer a repeat
  fill.remember(win, kUsable);
  EXPECT_EQ(fill.record(win)->before, kUsable);
}

TEST_F(RestoreRecordsTest, OnlyTheNewestRecordsMeasurementWrites) {
  fill.remember(win, kEditorFrame);
  runUntil(0.5);
  fill.remember(win, kEditorFrame);
  mac.desktop.setFrame(*window, kUsable);
  runUntil(0.8);  // the first measurement: its record is gone
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_FALSE(fill.record(win)->after);
  runUntil(1.3);
  EXPECT_THAT(lines(), ElementsAre("Misura dopo Riempi: (0,25 1440x875)"));
  EXPECT_EQ(fill.record(win)->after, kUsable);
}

TEST_F(RestoreRecordsTest, FortyRecordsAtMost) {
  std::vector<sim::SimWindow*> windows;
  for (int i = 0; i < 41; ++i) {
    windows.push_back(&mac.desktop.addWindow(*editor, Rect::make(i, i, 100, 100), "W"));
    fill.remember(elementOf(*windows.back()), Rect::make(i, i, 100, 100));
  }
  EXPECT_EQ(fill.records().size(), 40u);
  EXPECT_FALSE(fill.record(elementOf(*windows.front())));
  EXPECT_TRUE(fill.record(elementOf(*windows[1])));
  EXPECT_TRUE(fill.record(elementOf(*windows.back())));
}

TEST_F(RestoreRecordsTest, OldRecordsGoAtTheNextRememberOnly) {
  auto& other = mac.desktop.addWindow(*editor, Rect::make(0, 0, 300, 200), "Altro");
  auto& third = mac.desktop.addWindow(*editor, Rect::make(0, 0, 300, 200), "Terzo");
  fill.remember(win, kEditorFrame);
  runUntil(0.5);
  fill.remember(elementOf(third), kEditorFrame);
  runUntil(8 * 3600.0 + 0.5);
  EXPECT_TRUE(fill.record(win));  // no age limit on lookup
  fill.remember(elementOf(other), kEditorFrame);
  EXPECT_FALSE(fill.record(win));
  EXPECT_TRUE(fill.record(elementOf(third)));  // exactly eight hours old: kept
  EXPECT_EQ(fill.records().size(), 2u);
}

}  // namespace
}  // namespace plumora
