#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fill_engine_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using RestoreRecordsTest = test::FillEngineFixture;

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
