#pragma once

// Queues on the virtual clock, run by the test. One thread: a task runs only when no other task
// is running, tasks run in the order they became due, and a delayed task becomes due when the
// clock reaches its time. Sleeping inside a task moves the clock but runs no other task, as a
// busy serial queue would.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch.hpp"
#include "sim/virtual_clock.hpp"

namespace plumora::sim {

class ManualDispatch : public Dispatch {
 public:
  struct QueueInfo {
    std::string label;
    QualityOfService quality;
  };
  struct TimerInfo {
    double interval;
    double tolerance;
  };

  explicit ManualDispatch(VirtualClock& clock) : clock_(clock) {}
  ~ManualDispatch() override;

  std::unique_ptr<SerialQueue> serialQueue(std::string_view label,
                                           QualityOfService quality) override;
  // Runs the block inline as the main thread; from the main thread itself this would deadlock
  // the real program, so here it throws std::logic_error.
  void syncMain(const std::function<void()>& block) override;
  void mainAfter(double seconds, Task task) override;
  std::unique_ptr<RepeatingTimer> mainRepeating(double interval, double tolerance,
                                                Task task) override;

  // Runs every task due up to `time`, in order, applying the clock's events between them; the
  // clock ends at `time`, or later when a task slept past it. Throws std::logic_error when
  // called from inside a task.
  void runUntil(double time);
  void runFor(double seconds) { runUntil(clock_.mediaTime() + seconds); }
  // Runs what is due now, including what those tasks queue for now.
  void runDue() { runUntil(clock_.mediaTime()); }
  // Runs `block` as a thread other than the main thread would (the event-tap thread, a test's
  // stand-in for a queue).
  void onWorkerThread(const std::function<void()>& block);

  bool isMainThread() const { return current_ == kMain; }
  std::size_t pendingTasks() const { return pending_.size(); }
  std::vector<QueueInfo> queues() const;
  std::vector<TimerInfo> timers() const;
  // How often the main thread was entered synchronously from elsewhere.
  int mainHops() const { return mainHops_; }

 private:
  friend class ManualQueue;
  friend class ManualTimer;
  using Owner = std::uint64_t;
  static constexpr Owner kMain = 0;
  static constexpr Owner kWorker = ~Owner{0};

  struct Pending {
    double ready;
    std::uint64_t order;
    Owner owner;  // the queue, or kMain
    Owner timer;  // the timer that made it, or 0
    Task task;
  };

  void submit(Owner owner, double ready, Task task, Owner timer = 0);
  void forget(Owner ownerOrTimer, bool isTimer);
  void fireTimer(Owner timer);

  VirtualClock& clock_;
  std::vector<Pending> pending_;
  std::map<Owner, QueueInfo> queues_;
  struct Timer {
    TimerInfo info;
    Task task;
  };
  std::map<Owner, Timer> timers_;
  Owner nextId_ = 1;
  std::uint64_t nextOrder_ = 0;
  Owner current_ = kMain;
  bool running_ = false;
  int mainHops_ = 0;
};

}  // namespace plumora::sim
