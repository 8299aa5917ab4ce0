// One click through the fill run: what leaves a record or counts as handled, the repeat rule, the
// timeouts of the requests, and the choice between Fill and restore.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fill_engine_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class FillRunTest : public test::FillEngineFixture {};

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
  EXPECT_THAT(keysPressed(), IsEmpty());
}

TEST_F(FillRunTest, ARunThatCannotStartIsNotHandled) {
  window->frameReadable = false;
  clickAt(0);
  runUntil(1.0);
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_THAT(fill.records(), IsEmpty());
  EXPECT_EQ(lastDoneTime(), std::nullopt);
}

TEST_F(FillRunTest, AWindowThatWillNotComeForwardIsNotHandled) {
  mac.desktop.activate(mac.desktop.addApp(777, "Finder"));
  editor->activates = false;
  clickAt(0);
  runUntil(3.0);
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
  EXPECT_THAT(keysPressed(), IsEmpty());
}

// Repeats are judged by when the clicks were made.
TEST_F(FillRunTest, ASecondClickPointFourSecondsLaterIsHandled) {
  settings.setRestoreOnSecondClick(false);
  clickAt(0);
  clickAt(0.4);
  runUntil(0.45);
  expectLinesStarting({"Riempi dal menu", "Riempi dal menu"});
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

class DecisionTest : public test::FillEngineFixture,
                     public ::testing::WithParamInterface<Decision> {};

TEST_P(DecisionTest, RestoresOrFillsAgain) {
  const Decision& d = GetParam();
  clickAt(0);
  runUntil(d.clickAt);
  if (d.frameAtClick) mac.desktop.setFrame(*window, *d.frameAtClick);
  settings.setRestoreOnSecondClick(d.option);
  clearLines();
  clickAt(d.clickAt);
  runUntil(4);
  const auto log = lines();
  const bool restored = std::any_of(log.begin(), log.end(), [](const std::string& l) {
    return l.rfind("Torna alle dimensioni precedenti", 0) == 0;
  });
  EXPECT_EQ(restored, d.restores);
  EXPECT_EQ(fill.records().size(), d.restores ? 0u : 1u);
  // A second Fill more than 1.5 s after the first remembers the frame it found.
  if (!d.restores && d.clickAt > 1) {
    EXPECT_EQ(fill.records()[0].before, d.frameAtClick.value_or(kUsable));
  }
}
INSTANTIATE_TEST_SUITE_P(Clicks, DecisionTest, ::testing::ValuesIn(kDecisions),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plumora
