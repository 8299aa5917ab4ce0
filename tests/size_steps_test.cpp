// Apps that size in steps: what counts as a rounding, the choice between Fill and restore and the
// restore run with such an app next to an ordinary one, and the simulated app's own rounding.
#include "fill/size_steps.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "fill/fill_action.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

using ::testing::Contains;
using ::testing::Not;
using ::testing::StartsWith;

constexpr Size kCells{9, 20};

// What the app took when asked: a rounding, and the amount learned from it.
struct Observation {
  const char* name;
  Rect asked;
  Rect got;
  bool rounded;
  Size learned;
};
// clang-format off
const Observation kObservations[] = {
    {"ShortOnBothSides", Rect::make(0, 25, 1440, 875), Rect::make(0, 25, 1431, 860), true, {9, 15}},
    {"ShortOnOneSide", Rect::make(0, 25, 1440, 875), Rect::make(0, 25, 1440, 860), true, {0, 15}},
    {"OriginWithinAPoint", Rect::make(8, 33, 1424, 859), Rect::make(9, 32, 1422, 840), true, {2, 19}},
    {"Exact", Rect::make(0, 25, 1440, 875), Rect::make(0, 25, 1440, 875), false, {}},
    {"OriginMoved", Rect::make(200, 150, 800, 610), Rect::make(202, 150, 792, 600), false, {}},
    {"OriginMovedDown", Rect::make(200, 150, 800, 610), Rect::make(200, 152, 792, 600), false, {}},
    {"LargerThanAsked", Rect::make(200, 150, 300, 200), Rect::make(200, 150, 405, 300), false, {}},
    {"ShortByALargestStep", Rect::make(0, 25, 1440, 875), Rect::make(0, 25, 1440, 827), false, {}},
    {"JustUnderALargestStep", Rect::make(0, 25, 1440, 875), Rect::make(0, 25, 1440, 827.5), true, {0, 47.5}},
    {"NotANumber", Rect::make(0, 25, 1440, 875), Rect::make(0, 25, NAN, 860), false, {}},
};
// clang-format on

class ObservationTest : public ::testing::TestWithParam<Observation> {};

TEST_P(ObservationTest, OnlyARoundingDownIsLearned) {
  const Observation& o = GetParam();
  SizeSteps steps;
  EXPECT_EQ(steps.observe(601, o.asked, o.got), o.rounded);
  EXPECT_EQ(steps.rounding(601), o.learned);
  EXPECT_EQ(steps.rounding(602), Size{});  // per application
}
INSTANTIATE_TEST_SUITE_P(Asked, ObservationTest, ::testing::ValuesIn(kObservations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SizeStepsMemory, TheLargestRoundingStaysAndTheLeastRecentAppGoesFirst) {
  SizeSteps steps;
  const Rect asked = Rect::make(0, 25, 1440, 875);
  steps.observe(1, asked, Rect::make(0, 25, 1431, 860));
  steps.observe(1, asked, Rect::make(0, 25, 1435, 870));
  EXPECT_EQ(steps.rounding(1), (Size{9, 15}));
  for (std::int32_t pid = 2; pid <= static_cast<std::int32_t>(SizeSteps::kMaxApps); ++pid) {
    steps.observe(pid, asked, Rect::make(0, 25, 1440, 874));
  }
  steps.observe(1, asked, Rect::make(0, 25, 1440, 874));  // taught again: now the most recent
  steps.observe(99, asked, Rect::make(0, 25, 1440, 874));
  EXPECT_EQ(steps.rounding(1), (Size{9, 15}));
  EXPECT_EQ(steps.rounding(2), Size{});
  EXPECT_EQ(steps.rounding(99), (Size{0, 1}));
}

TEST(SameFrameRounded, OnlyTheSizeMayFallShortAndOnlyByTheRounding) {
  const Rect asked = Rect::make(200, 150, 800, 610);
  const Size rounding{8, 15};
  EXPECT_TRUE(sameFrameRounded(Rect::make(200, 150, 792, 600), asked, 0, rounding));
  EXPECT_TRUE(sameFrameRounded(Rect::make(200, 150, 784, 587), asked, 8, rounding));
  EXPECT_FALSE(sameFrameRounded(Rect::make(200, 150, 783, 600), asked, 8, rounding));
  EXPECT_FALSE(sameFrameRounded(Rect::make(200, 150, 800, 619), asked, 8, rounding));
  EXPECT_FALSE(sameFrameRounded(Rect::make(209, 150, 800, 610), asked, 8, rounding));
  EXPECT_FALSE(sameFrameRounded(Rect::make(200, 150, 792, 600), asked, 8, Size{}));
}

class StepsRunTest : public test::SimFixture {
 protected:
  FillAction fill{context, settings};

  void clickAt(double time) {
    mac.dispatch.runUntil(time);
    fill.perform(clickOn(*window, time));
  }
  std::size_t frameWrites() const {
    return static_cast<std::size_t>(std::count_if(
        mac.accessibility.written().begin(), mac.accessibility.written().end(),
        [](const auto& w) { return w.attribute == "AXSize" || w.attribute == "AXPosition"; }));
  }
  std::size_t restores() const {
    const auto log = lines();
    return static_cast<std::size_t>(std::count_if(log.begin(), log.end(), [](const auto& line) {
      return line.starts_with("Torna alle dimensioni precedenti");
    }));
  }
};

// A second click before the after-Fill measurement: the far edges may fall short of the usable
// area by the rounding the app has shown, and only for an app that has shown one.
struct QuickClick {
  const char* name;
  bool cells;
  Rect frameAtClick;
  bool restores;
};
// clang-format off
const QuickClick kQuickClicks[] = {
    // Where a Fill with 8-point margins leaves a window of 9x20 cells: bottom edge 27 short.
    {"CellsRecognised", true, Rect::make(8, 33, 1422, 840), true},
    {"OrdinaryAppNoSloppier", false, Rect::make(8, 33, 1422, 840), false},
    {"CellsShortBeyondTheirRounding", true, Rect::make(8, 33, 1422, 816), false},
    {"CellsDoNotExcuseAMovedOrigin", true, Rect::make(33, 33, 1397, 840), false},
};
// clang-format on

class QuickClickTest : public StepsRunTest, public ::testing::WithParamInterface<QuickClick> {};

TEST_P(QuickClickTest, FilledWindowOfAnAppInStepsIsRecognised) {
  const QuickClick& q = GetParam();
  mac.desktop.tilingMargin = 8;
  if (q.cells) editor->sizeStep = kCells;
  mac.desktop.setFrame(*window, Rect::make(200, 150, 810, 600));
  // A first Fill, measured, and its restore: what the app shows of its rounding.
  clickAt(0);
  clickAt(1.0);
  mac.dispatch.runUntil(4.0);
  ASSERT_EQ(window->frame, Rect::make(200, 150, 810, 600));
  clickAt(4.0);
  mac.dispatch.runUntil(4.3);
  mac.desktop.setFrame(*window, q.frameAtClick);
  clickAt(4.5);
  mac.dispatch.runUntil(8.0);
  EXPECT_EQ(restores(), q.restores ? 2u : 1u);
}
INSTANTIATE_TEST_SUITE_P(BeforeTheMeasurement, QuickClickTest, ::testing::ValuesIn(kQuickClicks),
                         [](const auto& info) { return std::string(info.param.name); });

// The restore run with the earlier frame (200,150 800x610), which an app in 9x20 cells takes
// as (200,150 792x600).
struct StepsRestore {
  const char* name;
  bool cells;
  sim::RestoreAnswer answer;
  Rect elsewhere;
  std::size_t writes;
  const char* lastLine;
  Rect end;
};
const Rect kEarlier = Rect::make(200, 150, 800, 610);
const Rect kInCells = Rect::make(200, 150, 792, 600);
// clang-format off
const StepsRestore kStepsRestores[] = {
    {"PutBackWithinAStepIsRestored", true, sim::RestoreAnswer::Restore, {}, 0,
     "Misura di prima rimessa da macOS (200,150 792x600), 280.0 ms", kInCells},
    {"OrdinaryAppPutBackShortIsWritten", false, sim::RestoreAnswer::Elsewhere, kInCells, 3,
     "macOS l'ha messa a (200,150 792x600): misura di prima rimessa da Plumora "
     "(200,150 800x610), 280.0 ms", kEarlier},
    {"OwnWriteRoundedIsWrittenOnce", true, sim::RestoreAnswer::Ignore, {}, 3,
     "L'app ha arrotondato la misura a (200,150 792x600), 1040.0 ms", kInCells},
    {"PutElsewhereIsWrittenThenRounded", true, sim::RestoreAnswer::Elsewhere,
     Rect::make(300, 300, 504, 400), 3,
     "L'app ha arrotondato la misura a (200,150 792x600), 480.0 ms", kInCells},
};
// clang-format on

class StepsRestoreTest : public StepsRunTest, public ::testing::WithParamInterface<StepsRestore> {};

TEST_P(StepsRestoreTest, ARoundedFrameIsNotWrittenAgain) {
  const StepsRestore& r = GetParam();
  if (r.cells) editor->sizeStep = kCells;
  editor->restoreAnswer = r.answer;
  editor->elsewhere = r.elsewhere;
  mac.desktop.setFrame(*window, kEarlier);
  clickAt(0);
  mac.dispatch.runUntil(1.0);
  clearLines();
  mac.accessibility.clearJournal();
  clickAt(1.0);
  mac.dispatch.runUntil(6.0);
  EXPECT_EQ(frameWrites(), r.writes);
  ASSERT_FALSE(lines().empty());
  EXPECT_EQ(lines().back(), r.lastLine);
  EXPECT_THAT(lines(), Not(Contains(StartsWith("macOS l'ha spostata ancora"))));
  EXPECT_EQ(window->frame, r.end);
}
INSTANTIATE_TEST_SUITE_P(Restores, StepsRestoreTest, ::testing::ValuesIn(kStepsRestores),
                         [](const auto& info) { return std::string(info.param.name); });

// The simulated app: another program's size write as the app takes it.
TEST_F(StepsRunTest, TheSimulatedAppTakesWholeStepsAndItsMinimum) {
  struct Case {
    std::optional<Size> step, least;
    Size asked, taken;
  };
  const Case cases[] = {
      {kCells, {}, {800, 610}, {792, 600}},
      {kCells, {}, {810, 600}, {810, 600}},
      {kCells, Size{400, 300}, {100, 100}, {405, 300}},
      {{}, Size{400, 300}, {100, 700}, {400, 700}},
      {{}, {}, {100, 100}, {100, 100}},
  };
  const Element win = elementOf(*window);
  for (const Case& c : cases) {
    editor->sizeStep = c.step;
    editor->minimumSize = c.least;
    win.set("AXSize", RawValue::size(c.asked));
    EXPECT_EQ(window->frame.size, c.taken) << c.asked.width << "x" << c.asked.height;
  }
}

}  // namespace
}  // namespace plumora
