#include <gtest/gtest.h>

#include <cmath>

#include "fill_engine_fixture.hpp"

namespace plumora {
namespace {

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

class SettlingTest : public test::FillEngineFixture {
 protected:
  // Runs the wait as the fill queue would and notes when it ended.
  bool wait(Rect from) {
    bool result = false;
    onFillQueue([&] { result = fill.waitForNativeMove(win, from); });
    return result;
  }
};

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

}  // namespace
}  // namespace plumora
