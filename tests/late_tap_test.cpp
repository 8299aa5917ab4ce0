// A tap that the system disabled and that its thread has not heard of yet: kept while its notice
// is on its way, replaced when no notice comes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "interception/interceptor.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LateTapTest : public test::SimFixture {
 protected:
  Interceptor interceptor{context, [](const GreenClick&) {}};
  Point green() { return mac.desktop.center(*window, window->zoom); }
};

// The system waits half a second for the callback; telling the green button of an app that takes
// 150 ms a request takes 600 ms. The main thread's refresh comes in between.
TEST_F(LateTapTest, ATapDisabledDuringASlowCallbackIsKeptAndTurnedBackOn) {
  mac.desktop.tapCallbackTimeout = 0.5;
  mac.accessibility.setLatency(editor->pid, 0.15);
  ASSERT_TRUE(interceptor.start());
  clearLines();
  const auto tap = mac.eventTaps.live();
  bool enabledAtTheRefresh = true;
  mac.clock.at(1.0, [&] { mac.desktop.mouseDown(green()); });
  mac.clock.at(1.55, [&] {
    enabledAtTheRefresh = tap->enabled;
    EXPECT_TRUE(interceptor.start());
  });
  mac.dispatch.runUntil(3.0);
  EXPECT_FALSE(enabledAtTheRefresh);
  EXPECT_EQ(mac.eventTaps.created(), 1);
  EXPECT_TRUE(tap->enabled);
  EXPECT_THAT(lines(), ElementsAre("Tasto verde fermato (pid 501) in 600.0 ms",
                                   "Osservazione dei clic riattivata (timeout)"));
}

// A tap found disabled with no notice ever reaching its thread: kept for two seconds from the
// first time the main thread saw it so, then replaced.
struct Wait {
  const char* name;
  std::vector<double> startsAt;
  bool replaced;
};

class NoNoticeTest : public LateTapTest, public ::testing::WithParamInterface<Wait> {};

TEST_P(NoNoticeTest, KeepsTheTapForTwoSecondsThenReplacesIt) {
  mac.dispatch.runUntil(10.0);
  ASSERT_TRUE(interceptor.start());
  clearLines();
  mac.eventTaps.live()->enabled = false;
  for (double at : GetParam().startsAt) {
    mac.dispatch.runUntil(10.0 + at);
    EXPECT_TRUE(interceptor.start());
  }
  EXPECT_EQ(mac.eventTaps.created(), GetParam().replaced ? 2 : 1);
  if (GetParam().replaced) {
    EXPECT_THAT(lines(),
                ElementsAre("Osservazione dei clic fermata", "Osservazione dei clic attiva"));
    EXPECT_TRUE(mac.eventTaps.live()->enabled);
  } else {
    EXPECT_THAT(lines(), IsEmpty());
  }
}

const Wait kWaits[] = {
    {"SeenOnce", {0.0}, false},
    {"SeenAgainJustInside", {0.0, 1.9}, false},
    {"SeenFirstLate", {1.9}, false},
    {"SeenAgainAtTwoSeconds", {0.0, 2.0}, true},
    {"SeenThreeTimes", {0.0, 1.0, 2.5}, true},
};
INSTANTIATE_TEST_SUITE_P(Starts, NoNoticeTest, ::testing::ValuesIn(kWaits),
                         [](const auto& info) { return std::string(info.param.name); });

// The wait starts again once the tap is enabled: a tap that had one late notice and is disabled
// again later gets its two seconds once more.
TEST_F(LateTapTest, TheWaitStartsAgainAfterTheTapWasSeenEnabled) {
  ASSERT_TRUE(interceptor.start());
  clearLines();
  const auto tap = mac.eventTaps.live();
  tap->enabled = false;
  EXPECT_TRUE(interceptor.start());
  tap->enabled = true;
  mac.dispatch.runUntil(5.0);
  EXPECT_TRUE(interceptor.start());
  tap->enabled = false;
  EXPECT_TRUE(interceptor.start());
  mac.dispatch.runUntil(6.0);
  EXPECT_TRUE(interceptor.start());
  EXPECT_EQ(mac.eventTaps.created(), 1);
  EXPECT_THAT(lines(), IsEmpty());
}

}  // namespace
}  // namespace plumora
