// The simulated platform's own rules, which every other test relies on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "sim/manual_dispatch.hpp"
#include "sim/sim_system.hpp"

namespace plumora::sim {
namespace {

using ::testing::ElementsAre;

class DispatchTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  ManualDispatch dispatch{clock};
  std::unique_ptr<SerialQueue> queue = dispatch.serialQueue("Test", QualityOfService::Default);
  std::vector<std::string> trace;

  auto note(std::string what) {
    return [this, what] { trace.push_back(what + "@" + std::to_string(clock.mediaTime())); };
  }
};

TEST_F(DispatchTest, TasksRunInOrderWhenDueAndDieWithTheirQueue) {
  queue->after(0.5, note("late"));
  queue->async(note("first"));
  queue->async(note("second"));
  EXPECT_TRUE(trace.empty());
  dispatch.runUntil(0.4);
  EXPECT_THAT(trace, ElementsAre("first@0.000000", "second@0.000000"));
  dispatch.runUntil(1.0);
  EXPECT_THAT(trace, ElementsAre("first@0.000000", "second@0.000000", "late@0.500000"));
  EXPECT_DOUBLE_EQ(clock.mediaTime(), 1.0);
  // A destroyed queue drops its tasks.
  queue->after(1.0, note("never"));
  queue.reset();
  dispatch.runFor(2.0);
  EXPECT_EQ(trace.size(), 3u);
  EXPECT_TRUE(dispatch.queues().empty());
}

TEST_F(DispatchTest, SleepingInATaskMovesTimeButRunsNothingElse) {
  bool moved = false;
  clock.at(0.2, [&] { moved = true; });
  queue->after(0.1, note("measure"));
  queue->async([&] {
    clock.sleep(1.0);
    trace.push_back(moved ? "world moved" : "world still");
  });
  dispatch.runUntil(2.0);
  // The delayed task waited behind the sleeping one, as on a busy serial queue.
  EXPECT_THAT(trace, ElementsAre("world moved", "measure@1.000000"));
  // The world changes before a task due at the same moment.
  int value = 0;
  queue->after(1.0, [&] { trace.push_back(std::to_string(value)); });
  clock.at(3.0, [&] { value = 7; });
  dispatch.runFor(1.0);
  EXPECT_THAT(trace, ElementsAre("world moved", "measure@1.000000", "7"));
}

TEST_F(DispatchTest, MainThreadHopsAndMisuseFailLoudly) {
  EXPECT_TRUE(dispatch.isMainThread());
  EXPECT_THROW(dispatch.syncMain([] {}), std::logic_error);
  bool ranOnMain = false;
  dispatch.onWorkerThread([&] {
    EXPECT_FALSE(dispatch.isMainThread());
    dispatch.syncMain([&] { ranOnMain = dispatch.isMainThread(); });
  });
  EXPECT_TRUE(ranOnMain);
  EXPECT_EQ(dispatch.mainHops(), 1);
  queue->async([&] { dispatch.runDue(); });
  EXPECT_THROW(dispatch.runDue(), std::logic_error);
}

TEST_F(DispatchTest, MainThreadServicesRefuseOtherThreads) {
  SimSystem system(dispatch);
  dispatch.onWorkerThread([&] {
    EXPECT_THROW(system.frontmostApplicationPid(), std::logic_error);
    EXPECT_THROW(system.screens(), std::logic_error);
  });
}

}  // namespace
}  // namespace plumora::sim
