// One click through the fill run: every outcome with its log lines, frame, records, the last
// handled click and the keys posted.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <algorithm>

#include "fill_engine_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FillRunTest : public test::FillEngineFixture {};

TEST_F(FillRunTest, FillsThroughTheMenuItem) {
  clickAt(0);
  runUntil(1.0);
  EXPECT_THAT(lines(),
              ElementsAre("Riempi dal menu: esito 0, misura prima (200,150 800x600), 0.0 ms",
                          "Misura dopo Riempi: (0,25 1440x875)"));
  EXPECT_EQ(window->frame, kUsable);
  ASSERT_EQ(fill.records().size(), 1u);
  EXPECT_EQ(fill.records()[0].before, kEditorFrame);
  EXPECT_EQ(fill.records()[0].after, kUsable);
  EXPECT_EQ(lastDoneTime(), 0.0);
  EXPECT_THAT(keysPressed(), IsEmpty());
  // Runs wait for other applications on behalf of the user: a user-initiated queue of its own.
  const auto queues = mac.dispatch.queues();
  const auto own = std::find_if(queues.begin(), queues.end(),
                                [](const auto& q) { return q.label == "Plumora.Fill"; });
  ASSERT_NE(own, queues.end());
  EXPECT_EQ(own->quality, QualityOfService::UserInitiated);
}

TEST_F(FillRunTest, APressThatTimesOutCountsAsDone) {
  mac.desktop.setMenuItemAnswer(*editor, {"Window", "Fill"}, ax::kCannotComplete);
  clickAt(0);
  runUntil(0.5);
  EXPECT_THAT(lines(),
              ElementsAre("Riempi dal menu: esito -25204, misura prima (200,150 800x600), 0.0 ms"));
  EXPECT_EQ(fill.records().size(), 1u);
  EXPECT_EQ(lastDoneTime(), 0.0);
  EXPECT_THAT(keysPressed(), IsEmpty());
}

TEST_F(FillRunTest, AFailedPressFallsBackToTheShortcut) {
  mac.desktop.setMenuItemAnswer(*editor, {"Window", "Fill"}, ax::kFailure);
  clickAt(0);
  runUntil(1.0);
  EXPECT_THAT(
      lines(),
      ElementsAre("Riempi dal menu: esito -25200, misura prima (200,150 800x600), 0.0 ms",
                  "Riempi con la scorciatoia fn ⌃ F, misura prima (200,150 800x600), 0.0 ms",
                  "Misura dopo Riempi: (0,25 1440x875)"));
  EXPECT_EQ(window->frame, kUsable);
  EXPECT_EQ(fill.records().size(), 1u);
  EXPECT_EQ(lastDoneTime(), 0.0);
  EXPECT_THAT(mac.keyboard.posted(),
              ElementsAre(sim::PostedKey{3, true, kFnControl, EventTapLocation::HID, true, 0},
                          sim::PostedKey{3, false, kFnControl, EventTapLocation::HID, true, 0}));
}

TEST_F(FillRunTest, WithoutTheItemsTheShortcutFillsAndIsRemembered) {
  mac.desktop.removeMenuBar(*editor);
  clickAt(0);
  runUntil(1.0);
  EXPECT_THAT(
      lines(),
      ElementsAre("Voci di sistema non trovate nei menu dell'app: uso la scorciatoia",
                  "Riempi con la scorciatoia fn ⌃ F, misura prima (200,150 800x600), 0.0 ms",
                  "Misura dopo Riempi: (0,25 1440x875)"));
  EXPECT_EQ(window->frame, kUsable);
  EXPECT_EQ(fill.records().size(), 1u);
  EXPECT_THAT(keysPressed(), ElementsAre(3));
}

TEST_F(FillRunTest, ShortcutsThatCannotBeMadeStillLeaveARecord) {
  mac.desktop.removeMenuBar(*editor);
  mac.keyboard.failKeyUp = true;
  clickAt(0);
  runUntil(1.0);
  EXPECT_THAT(keysPressed(), IsEmpty());
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(fill.records().size(), 1u);
  EXPECT_EQ(lines().size(), 3u);
}

TEST_F(FillRunTest, ADisabledFillItemDoesNothingButCountsAsHandled) {
  mac.desktop.setMenuItemEnabled(*editor, {"Window", "Fill"}, false);
  clickAt(0);
  runUntil(1.0);
  EXPECT_THAT(lines(), ElementsAre("Voce Riempi presente ma disattivata: nessuna azione"));
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_THAT(fill.records(), IsEmpty());
  EXPECT_EQ(lastDoneTime(), 0.0);
  EXPECT_THAT(keysPressed(), IsEmpty());
}

TEST_F(FillRunTest, AWindowThatWillNotComeForwardIsLeftAlone) {
  auto& finder = mac.desktop.addApp(777, "Finder");
  mac.desktop.activate(finder);
  editor->activates = false;
  clickAt(0);
  runUntil(3.0);
  ASSERT_EQ(lines().size(), 2u);
  EXPECT_THAT(lines()[0], ::testing::StartsWith("Finestra non attivata: app in primo piano 777"));
  EXPECT_EQ(lines()[1], "La finestra non è diventata attiva: nessuna azione");
  EXPECT_EQ(lastDoneTime(), std::nullopt);
  EXPECT_THAT(fill.records(), IsEmpty());

  // The failed click does not make the next one a repeat.
  editor->activates = true;
  clickAt(3.1);
  runUntil(3.5);
  EXPECT_EQ(lastDoneTime(), 3.1);
  EXPECT_EQ(window->frame, kUsable);
}

TEST_F(FillRunTest, AnUnreadableFrameEndsTheRunSilently) {
  window->frameReadable = false;
  clickAt(0);
  runUntil(1.0);
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_THAT(fill.records(), IsEmpty());
  EXPECT_EQ(lastDoneTime(), std::nullopt);
}

TEST_F(FillRunTest, AfterRaisingTheSuccessLineComesFirst) {
  auto& other = mac.desktop.addWindow(*editor, Rect::make(10, 40, 300, 200), "Altro");
  mac.desktop.activate(*editor, &other);
  clickAt(0);
  runUntil(0.5);
  EXPECT_THAT(lines(),
              ElementsAre("Finestra attivata in 70.0 ms",
                          "Riempi dal menu: esito 0, misura prima (200,150 800x600), 70.0 ms"));
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
  EXPECT_EQ(lines().back(), "La finestra non è diventata attiva: nessuna azione");
}

TEST_F(FillRunTest, TheWindowIsWaitedForOneAndAHalfSecondsNoMore) {
  mac.accessibility.setLatency(kEditorPid, 2.0);
  clickAt(0);
  runUntil(30);
  // The raise gives up at 3.5 (its effect comes at 4.0); the main-window write asked then lands
  // 2 s later.
  std::optional<double> mainWritten;
  for (const auto& w : mac.accessibility.written()) {
    if (w.attribute == "AXMain" && !mainWritten) mainWritten = w.time;
  }
  ASSERT_TRUE(mainWritten);
  EXPECT_NEAR(*mainWritten, 5.5, 1e-9);
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
  EXPECT_THAT(keysPressed(), IsEmpty());
}

// Repeats are judged by when the clicks were made.
TEST_F(FillRunTest, ASecondClickWithinPointFourSecondsIsDropped) {
  clickAt(0);
  clickAt(0.3);
  runUntil(0.35);
  EXPECT_THAT(lines(), ElementsAre(::testing::StartsWith("Riempi dal menu"),
                                   "Secondo clic troppo ravvicinato: ignorato"));
  EXPECT_EQ(lastDoneTime(), 0.0);
}

TEST_F(FillRunTest, ASecondClickPointFourSecondsLaterIsHandled) {
  settings.setRestoreOnSecondClick(false);
  clickAt(0);
  clickAt(0.4);
  runUntil(0.45);
  EXPECT_THAT(lines(), ElementsAre(::testing::StartsWith("Riempi dal menu"),
                                   ::testing::StartsWith("Riempi dal menu")));
  EXPECT_EQ(lastDoneTime(), 0.4);
}

TEST_F(FillRunTest, ADroppedClickDoesNotMoveTheLastHandledOne) {
  settings.setRestoreOnSecondClick(false);
  clickAt(0);
  clickAt(0.3);
  clickAt(0.5);
  runUntil(0.6);
  EXPECT_THAT(lines(), ElementsAre(::testing::StartsWith("Riempi dal menu"),
                                   "Secondo clic troppo ravvicinato: ignorato",
                                   ::testing::StartsWith("Riempi dal menu")));
  EXPECT_EQ(lastDoneTime(), 0.5);
}

TEST_F(FillRunTest, AClickQueuedBehindASlowRunIsJudgedByItsOwnTime) {
  // Each request costs 70 ms: the first run lasts about a second.
  mac.accessibility.setLatency(kEditorPid, 0.07);
  clickAt(0);
  // The second click comes while the first run is under way, and waits for it.
  mac.clock.at(0.2, [&] { fill.perform(clickOn(*window, 0.2)); });
  runUntil(3);
  EXPECT_THAT(lines(), ElementsAre(::testing::StartsWith("Riempi dal menu: esito 0"),
                                   "Secondo clic troppo ravvicinato: ignorato",
                                   ::testing::StartsWith("Misura dopo Riempi")));
  EXPECT_EQ(lastDoneTime(), 0.0);
}

TEST_F(FillRunTest, AClickOnAnotherWindowIsNeverARepeat) {
  settings.setRestoreOnSecondClick(false);
  auto& other = mac.desktop.addWindow(*editor, Rect::make(10, 40, 300, 200), "Altro");
  clickAt(0);
  clickAt(0.1, other);
  runUntil(0.5);
  EXPECT_THAT(lines(),
              ElementsAre(::testing::StartsWith("Riempi dal menu"), "Finestra attivata in 70.0 ms",
                          "Riempi dal menu: esito 0, misura prima (10,40 300x200), 70.0 ms"));
  EXPECT_EQ(lastDoneTime(), 0.1);
}

// Choosing between Fill and restore.
class DecisionTest : public test::FillEngineFixture {
 protected:
  void filledAndMeasured() {
    clickAt(0);
    runUntil(1.0);
    clearLines();
  }
  // Filled at 0.1, then found at `frame` by a click at 0.5, before the measurement at 0.8.
  bool restoresBeforeTheMeasurementAt(Rect frame) {
    clickAt(0);
    runUntil(0.5);
    mac.desktop.setFrame(*window, frame);
    clickAt(0.5);
    runUntil(3);
    return restored();
  }
  bool restored() const {
    for (const auto& l : lines()) {
      if (l.rfind("Torna alle dimensioni precedenti", 0) == 0) return true;
    }
    return false;
  }
};

TEST_F(DecisionTest, WithTheOptionOffEveryClickFills) {
  filledAndMeasured();
  settings.setRestoreOnSecondClick(false);
  clickAt(1.5);
  runUntil(2.5);
  EXPECT_FALSE(restored());
  EXPECT_EQ(fill.records().size(), 1u);
  // The Fill of an already filled window was remembered from its filled frame.
  EXPECT_EQ(fill.records()[0].before, kUsable);
}

TEST_F(DecisionTest, WithinSixPointsOfTheMeasuredFrameRestores) {
  filledAndMeasured();
  mac.desktop.setFrame(*window, Rect::make(6, 31, 1434, 869));
  clickAt(1.5);
  runUntil(4);
  EXPECT_TRUE(restored());
  EXPECT_THAT(fill.records(), IsEmpty());
}

TEST_F(DecisionTest, SevenPointsAwayFillsAgain) {
  filledAndMeasured();
  mac.desktop.setFrame(*window, Rect::make(7, 25, 1433, 875));
  clickAt(1.5);
  runUntil(4);
  EXPECT_FALSE(restored());
  EXPECT_EQ(fill.records().size(), 1u);
}

TEST_F(DecisionTest, BeforeTheMeasurementTheScreenEdgesDecide) {
  clickAt(0);
  runUntil(0.5);  // filled at 0.1, measurement due at 0.8
  mac.desktop.setFrame(*window, Rect::make(24, 1, 1416, 899));  // every edge within 24 points
  clickAt(0.5);
  runUntil(3);
  EXPECT_TRUE(restored());
}

TEST_F(DecisionTest, BeforeTheMeasurementAWindowAwayFromTheEdgesFillsAgain) {
  clickAt(0);
  runUntil(0.5);
  mac.desktop.setFrame(*window, Rect::make(25, 25, 1415, 875));
  clickAt(0.5);
  runUntil(3);
  EXPECT_FALSE(restored());
}

// One edge more than 24 points away from the screen's is enough to fill again.
TEST_F(DecisionTest, BeforeTheMeasurementTheTopEdgeCounts) {
  EXPECT_FALSE(restoresBeforeTheMeasurementAt(Rect::make(0, 50, 1440, 850)));
}
TEST_F(DecisionTest, BeforeTheMeasurementTheRightEdgeCounts) {
  EXPECT_FALSE(restoresBeforeTheMeasurementAt(Rect::make(0, 25, 1415, 875)));
}
TEST_F(DecisionTest, BeforeTheMeasurementTheBottomEdgeCounts) {
  EXPECT_FALSE(restoresBeforeTheMeasurementAt(Rect::make(0, 25, 1440, 850)));
}

TEST_F(DecisionTest, AnUnmeasurableWindowIsJudgedByTheScreenEdgesToo) {
  clickAt(0);
  runUntil(0.5);
  window->frameReadable = false;
  runUntil(1.0);  // measured as unreadable
  window->frameReadable = true;
  ASSERT_FALSE(fill.records()[0].after);
  clickAt(1.5);
  runUntil(4);
  EXPECT_TRUE(restored());
}

TEST_F(DecisionTest, ARecordMadeWithTheOptionOffServesOnceItIsOn) {
  settings.setRestoreOnSecondClick(false);
  filledAndMeasured();
  settings.setRestoreOnSecondClick(true);
  clickAt(1.5);
  runUntil(4);
  EXPECT_TRUE(restored());
}

}  // namespace
}  // namespace plumora
