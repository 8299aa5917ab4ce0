#include "macos/mac_dispatch.hpp"

#import <Foundation/Foundation.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <memory>

namespace plumora {
namespace {

// Serves the main queue and run loop, as the application's run loop does, until `done` holds or
// a few seconds have passed.
template <class Done>
bool runMainUntil(Done done, double seconds = 5.0) {
  NSDate* deadline = [NSDate dateWithTimeIntervalSinceNow:seconds];
  while (!done() && [deadline timeIntervalSinceNow] > 0) {
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.01, true);
  }
  return done();
}

// What a task saw, shared with it: it may outlive the test should a wait time out.
struct Flags {
  std::atomic<bool> onMain{false}, inOrder{true}, done{false};
};

// From the main thread (where Google Test runs each test) the hop runs inline; from a queue it
// waits for the main thread.
TEST(MacDispatch, TheMainHopRunsOnTheMainThreadBeforeItReturns) {
  ASSERT_NE(pthread_main_np(), 0);
  // Shared with the task, which may outlive the test should the wait below time out.
  auto dispatch = std::make_shared<MacDispatch>();
  int runs = 0;
  dispatch->syncMain([&runs] {
    EXPECT_NE(pthread_main_np(), 0);
    ++runs;
  });
  EXPECT_EQ(runs, 1);  // done before syncMain returned, without the main queue being served
  auto queue = dispatch->serialQueue("app.plumora.tests.hop", QualityOfService::UserInteractive);
  auto seen = std::make_shared<Flags>();
  queue->async([dispatch, seen] {
    bool blockDone = false;
    dispatch->syncMain([&] {
      seen->onMain = pthread_main_np() != 0;
      blockDone = true;
    });
    seen->inOrder = blockDone;  // syncMain returned only after the block had run
    seen->done = true;
  });
  ASSERT_TRUE(runMainUntil([&] { return seen->done.load(); }));
  EXPECT_TRUE(seen->onMain);
  EXPECT_TRUE(seen->inOrder);
}

TEST(MacDispatch, QueuesKeepOrderAndMainWorkRunsOnTheMainThread) {
  MacDispatch dispatch;
  auto queue = dispatch.serialQueue("app.plumora.tests.order", QualityOfService::Utility);
  auto order = std::make_shared<std::atomic<int>>(0);
  auto seen = std::make_shared<Flags>();
  for (int i = 0; i < 50; ++i) {
    queue->async([order, seen, i] {
      if (order->fetch_add(1) != i) seen->inOrder = false;
    });
  }
  queue->after(0.05, [seen] { seen->done = true; });
  dispatch.mainAfter(0.01, [seen] { seen->onMain = pthread_main_np() != 0; });
  // Main work run elsewhere leaves `onMain` false: the wait times out.
  ASSERT_TRUE(runMainUntil([&] { return seen->done && seen->onMain; }));
  EXPECT_EQ(order->load(), 50);
  EXPECT_TRUE(seen->inOrder);
}

TEST(MacDispatch, ARepeatingTimerFiresUntilDestroyed) {
  MacDispatch dispatch;
  auto fired = std::make_shared<int>(0);
  auto timer = dispatch.mainRepeating(0.02, 0.0, [fired] { ++*fired; });
  ASSERT_TRUE(runMainUntil([&] { return *fired >= 3; }));
  timer.reset();
  const int stoppedAt = *fired;
  runMainUntil([] { return false; }, 0.1);
  EXPECT_EQ(*fired, stoppedAt);
}

// Work that spins a run loop of its own, as a menu's tracking loop does, must leave the main
// queue served: scheduled from a main-queue block, it runs after that block, not inside it.
TEST(MacDispatch, WorkForTheMainRunLoopRunsOutsideTheMainQueue) {
  // Shared with the work, which may outlive the test should a wait below time out.
  auto ran = std::make_shared<bool>(false);
  auto servedMeanwhile = std::make_shared<bool>(false);
  dispatch_async(dispatch_get_main_queue(), ^{
    performOnMainRunLoop([ran, servedMeanwhile] {
      *ran = true;
      auto served = std::make_shared<bool>(false);
      dispatch_async(dispatch_get_main_queue(), ^{
        *served = true;
      });
      *servedMeanwhile = runMainUntil([served] { return *served; }, 2.0);
    });
  });
  ASSERT_TRUE(runMainUntil([ran] { return *ran; }));
  EXPECT_TRUE(*servedMeanwhile);
}

}  // namespace
}  // namespace plumora
