#include "sim/manual_dispatch.hpp"

#include <algorithm>
#include <stdexcept>

namespace plumora::sim {

class ManualQueue : public SerialQueue {
 public:
  ManualQueue(ManualDispatch& dispatch, ManualDispatch::Owner id) : dispatch_(dispatch), id_(id) {}
  ~ManualQueue() override { dispatch_.forget(id_, false); }

  void async(Task task) override {
    dispatch_.submit(id_, dispatch_.clock_.mediaTime(), std::move(task));
  }
  void after(double seconds, Task task) override {
    dispatch_.submit(id_, dispatch_.clock_.mediaTime() + std::max(0.0, seconds), std::move(task));
  }

 private:
  ManualDispatch& dispatch_;
  ManualDispatch::Owner id_;
};

class ManualTimer : public RepeatingTimer {
 public:
  ManualTimer(ManualDispatch& dispatch, ManualDispatch::Owner id) : dispatch_(dispatch), id_(id) {}
  ~ManualTimer() override { dispatch_.forget(id_, true); }

 private:
  ManualDispatch& dispatch_;
  ManualDispatch::Owner id_;
};

ManualDispatch::~ManualDispatch() = default;

std::unique_ptr<SerialQueue> ManualDispatch::serialQueue(std::string_view label,
                                                         QualityOfService quality) {
  const Owner id = nextId_++;
  queues_[id] = QueueInfo{std::string(label), quality};
  return std::make_unique<ManualQueue>(*this, id);
}

void ManualDispatch::syncMain(const std::function<void()>& block) {
  if (current_ == kMain) {
    throw std::logic_error("synchronous hop to the main thread from the main thread");
  }
  ++mainHops_;
  const Owner saved = current_;
  current_ = kMain;
  try {
    block();
  } catch (...) {
    current_ = saved;
    throw;
  }
  current_ = saved;
}

void ManualDispatch::mainAfter(double seconds, Task task) {
  submit(kMain, clock_.mediaTime() + std::max(0.0, seconds), std::move(task));
}

std::unique_ptr<RepeatingTimer> ManualDispatch::mainRepeating(double interval, double tolerance,
                                                              Task task) {
  const Owner id = nextId_++;
  timers_[id] = Timer{TimerInfo{interval, tolerance}, std::move(task)};
  submit(
      kMain, clock_.mediaTime() + interval, [this, id] { fireTimer(id); }, id);
  return std::make_unique<ManualTimer>(*this, id);
}

void ManualDispatch::fireTimer(Owner id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  // The next fire is queued first, so that a task that ends the timer also cancels it.
  submit(
      kMain, clock_.mediaTime() + it->second.info.interval, [this, id] { fireTimer(id); }, id);
  Task task = it->second.task;
  task();
}

void ManualDispatch::submit(Owner owner, double ready, Task task, Owner timer) {
  pending_.push_back(Pending{ready, nextOrder_++, owner, timer, std::move(task)});
}

void ManualDispatch::forget(Owner id, bool isTimer) {
  std::erase_if(pending_,
                [&](const Pending& p) { return isTimer ? p.timer == id : p.owner == id; });
  if (isTimer) {
    timers_.erase(id);
  } else {
    queues_.erase(id);
  }
}

void ManualDispatch::onWorkerThread(const std::function<void()>& block) {
  const Owner saved = current_;
  current_ = kWorker;
  try {
    block();
  } catch (...) {
    current_ = saved;
    throw;
  }
  current_ = saved;
}

void ManualDispatch::runUntil(double time) {
  if (running_) throw std::logic_error("runUntil called from inside a task");
  running_ = true;
  struct Reset {
    ManualDispatch& d;
    ~Reset() {
      d.running_ = false;
      d.current_ = kMain;
    }
  } reset{*this};

  for (;;) {
    auto next =
        std::min_element(pending_.begin(), pending_.end(), [](const auto& a, const auto& b) {
          return a.ready != b.ready ? a.ready < b.ready : a.order < b.order;
        });
    const auto event = clock_.nextEventTime();
    const bool taskDue = next != pending_.end() && next->ready <= time;
    // The world changes first: a task due at the same moment sees the change.
    if (event && *event <= time && (!taskDue || *event <= next->ready)) {
      clock_.advanceTo(*event);
      continue;
    }
    if (!taskDue) break;
    Pending task = std::move(*next);
    pending_.erase(next);
    clock_.advanceTo(task.ready);
    current_ = task.owner;
    task.task();
    current_ = kMain;
  }
  clock_.advanceTo(time);
}

std::vector<ManualDispatch::QueueInfo> ManualDispatch::queues() const {
  std::vector<QueueInfo> result;
  for (const auto& [id, info] : queues_) result.push_back(info);
  return result;
}

std::vector<ManualDispatch::TimerInfo> ManualDispatch::timers() const {
  std::vector<TimerInfo> result;
  for (const auto& [id, timer] : timers_) result.push_back(timer.info);
  return result;
}

}  // namespace plumora::sim
