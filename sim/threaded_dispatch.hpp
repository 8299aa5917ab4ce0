#pragma once

// The dispatch port on real threads: each serial queue is a thread of its own, and the main
// thread is whichever thread made this object, running main-thread work only while the test
// drives it (runMainFor). For running the core under ThreadSanitizer.

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "platform/dispatch.hpp"
#include "sim/real_clock.hpp"

namespace plumora::sim {

// Tasks by when they are due, then by when they were given: a serial queue's order.
class TaskList {
 public:
  void add(RealClock::Steady::time_point due, Task task);
  // The first task due by now, if any; else when the next one is due.
  std::optional<Task> takeDue(RealClock::Steady::time_point now,
                              std::optional<RealClock::Steady::time_point>& next);
  bool empty() const { return tasks_.empty(); }
  void clear() { tasks_.clear(); }

 private:
  std::map<std::pair<RealClock::Steady::time_point, std::uint64_t>, Task> tasks_;
  std::uint64_t order_ = 0;
};

class ThreadedDispatch : public Dispatch {
 public:
  explicit ThreadedDispatch(RealClock& clock);
  ~ThreadedDispatch() override;

  std::unique_ptr<SerialQueue> serialQueue(std::string_view label,
                                           QualityOfService quality) override;
  // Waits for the main thread to run the block; from the main thread itself that would never
  // end, so it aborts.
  void syncMain(const std::function<void()>& block) override;
  void mainAfter(double seconds, Task task) override;
  std::unique_ptr<RepeatingTimer> mainRepeating(double interval, double tolerance,
                                                Task task) override;

  bool isMainThread() const { return std::this_thread::get_id() == main_; }
  // Main thread: runs main-thread work as it falls due for this many real seconds.
  void runMainFor(double realSeconds);
  // Main thread: runs main-thread work until no queue has a task waiting or running, or the
  // time is up; true when every queue went idle.
  bool runMainUntilQueuesIdle(double realSeconds);

 private:
  friend class ThreadedQueue;
  void addMain(RealClock::Steady::time_point due, Task task);
  void queueBusy(int change);
  bool pumpMain(double realSeconds, bool untilIdle);

  RealClock& clock_;
  const std::thread::id main_;
  std::mutex mutex_;
  std::condition_variable wake_;
  TaskList mainTasks_;
  int busyQueues_ = 0;  // queues with a task waiting or running
};

}  // namespace plumora::sim
