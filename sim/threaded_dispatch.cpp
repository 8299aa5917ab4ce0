#include "sim/threaded_dispatch.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <future>

namespace plumora::sim {

using Steady = RealClock::Steady;

void TaskList::add(Steady::time_point due, Task task) {
  tasks_.emplace(std::pair{due, order_++}, std::move(task));
}

std::optional<Task> TaskList::takeDue(Steady::time_point now,
                                      std::optional<Steady::time_point>& next) {
  next.reset();
  if (tasks_.empty()) return std::nullopt;
  auto first = tasks_.begin();
  if (first->first.first > now) {
    next = first->first.first;
    return std::nullopt;
  }
  Task task = std::move(first->second);
  tasks_.erase(first);
  return task;
}

// A serial queue: one thread, its tasks one at a time in order.
class ThreadedQueue : public SerialQueue {
 public:
  ThreadedQueue(ThreadedDispatch& dispatch, RealClock& clock)
      : dispatch_(dispatch), clock_(clock), thread_([this] { serve(); }) {}

  ~ThreadedQueue() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      // A task under way makes the queue idle as it ends, with nothing left behind it.
      if (!tasks_.empty() && !running_) dispatch_.queueBusy(-1);
      tasks_.clear();
    }
    wake_.notify_all();
    thread_.join();
  }

  void async(Task task) override { add(Steady::now(), std::move(task)); }
  void after(double seconds, Task task) override {
    add(clock_.realAfter(seconds), std::move(task));
  }

 private:
  void add(Steady::time_point due, Task task) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      if (tasks_.empty() && !running_) dispatch_.queueBusy(+1);
      tasks_.add(due, std::move(task));
    }
    wake_.notify_all();
  }

  void serve() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      std::optional<Steady::time_point> next;
      std::optional<Task> task = tasks_.takeDue(Steady::now(), next);
      if (!task) {
        if (next) {
          wake_.wait_until(lock, *next);
        } else {
          wake_.wait(lock);
        }
        continue;
      }
      running_ = true;
      lock.unlock();
      (*task)();
      task.reset();
      lock.lock();
      running_ = false;
      if (tasks_.empty()) dispatch_.queueBusy(-1);
    }
  }

  ThreadedDispatch& dispatch_;
  RealClock& clock_;
  std::mutex mutex_;
  std::condition_variable wake_;
  TaskList tasks_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread thread_;  // last: it starts once everything above is made
};

class ThreadedTimer : public RepeatingTimer {
 public:
  explicit ThreadedTimer(std::shared_ptr<std::atomic<bool>> cancelled)
      : cancelled_(std::move(cancelled)) {}
  ~ThreadedTimer() override { *cancelled_ = true; }

 private:
  std::shared_ptr<std::atomic<bool>> cancelled_;
};

ThreadedDispatch::ThreadedDispatch(RealClock& clock)
    : clock_(clock), main_(std::this_thread::get_id()) {}

ThreadedDispatch::~ThreadedDispatch() = default;

std::unique_ptr<SerialQueue> ThreadedDispatch::serialQueue(std::string_view, QualityOfService) {
  return std::make_unique<ThreadedQueue>(*this, clock_);
}

void ThreadedDispatch::syncMain(const std::function<void()>& block) {
  if (isMainThread()) {
    std::fprintf(stderr, "synchronous hop to the main thread from the main thread\n");
    std::abort();
  }
  std::promise<void> done;
  addMain(Steady::now(), [&] {
    block();
    done.set_value();
  });
  done.get_future().wait();
}

void ThreadedDispatch::mainAfter(double seconds, Task task) {
  addMain(clock_.realAfter(seconds), std::move(task));
}

std::unique_ptr<RepeatingTimer> ThreadedDispatch::mainRepeating(double interval, double,
                                                                Task task) {
  auto cancelled = std::make_shared<std::atomic<bool>>(false);
  // Each fire queues the next; a cancelled timer's pending fire does nothing.
  auto fire = std::make_shared<std::function<void()>>();
  *fire = [this, interval, cancelled, task = std::move(task), weak = std::weak_ptr(fire)] {
    if (*cancelled) return;
    if (auto self = weak.lock()) mainAfter(interval, [self] { (*self)(); });
    task();
  };
  mainAfter(interval, [fire] { (*fire)(); });
  return std::make_unique<ThreadedTimer>(cancelled);
}

void ThreadedDispatch::addMain(Steady::time_point due, Task task) {
  {
    std::lock_guard lock(mutex_);
    mainTasks_.add(due, std::move(task));
  }
  wake_.notify_all();
}

void ThreadedDispatch::queueBusy(int change) {
  {
    std::lock_guard lock(mutex_);
    busyQueues_ += change;
  }
  wake_.notify_all();
}

void ThreadedDispatch::runMainFor(double realSeconds) {
  pumpMain(realSeconds, false);
}

bool ThreadedDispatch::runMainUntilQueuesIdle(double realSeconds) {
  return pumpMain(realSeconds, true);
}

bool ThreadedDispatch::pumpMain(double realSeconds, bool untilIdle) {
  const auto deadline = Steady::now() + std::chrono::duration_cast<Steady::duration>(
                                            std::chrono::duration<double>(realSeconds));
  std::unique_lock lock(mutex_);
  for (;;) {
    if (untilIdle && busyQueues_ == 0) return true;
    const auto now = Steady::now();
    if (now >= deadline) return busyQueues_ == 0;
    std::optional<Steady::time_point> next;
    std::optional<Task> task = mainTasks_.takeDue(now, next);
    if (task) {
      lock.unlock();
      (*task)();
      task.reset();
      lock.lock();
      continue;
    }
    wake_.wait_until(lock, next ? std::min(*next, deadline) : deadline);
  }
}

}  // namespace plumora::sim
