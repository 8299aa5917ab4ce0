#pragma once

// The simulated media clock. Time moves only when something sleeps or a test runs the world
// forward; the desktop's timed events (a window moving, an application coming forward) are
// applied, in time order, as the clock reaches them.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/clock.hpp"

namespace plumora::sim {

class VirtualClock : public Clock {
 public:
  explicit VirtualClock(double start = 0.0) : now_(toTicks(start)) {}

  double mediaTime() override { return fromTicks(now_); }
  void sleep(double seconds) override;
  // The wall clock reads 2026-03-02 09:00:00.000 at media time 0 and runs with it, in a time
  // zone of its own, so every run prints the same stamps.
  LocalTime localTime() override;

  // A change of the simulated world at `time` (now, if that is past).
  void at(double time, std::function<void()> event);
  void after(double delay, std::function<void()> event) {
    at(mediaTime() + delay, std::move(event));
  }
  // Moves the clock forward to `time`, applying every event due on the way.
  void advanceTo(double time);
  std::optional<double> nextEventTime() const;

  // Everything the code under test slept, in total, and how many times.
  double totalSlept() const { return slept_; }
  int sleepCount() const { return sleeps_; }

 private:
  // Time is kept in whole nanoseconds, so that repeated sleeps add up exactly: twenty 40 ms
  // polls from 0 make exactly 0.8 s.
  using Ticks = std::int64_t;
  static Ticks toTicks(double seconds);
  static double fromTicks(Ticks ticks) { return static_cast<double>(ticks) / 1e9; }
  void advanceToTicks(Ticks time);

  struct Event {
    Ticks time;
    std::uint64_t order;
    std::function<void()> apply;
  };

  Ticks now_;
  std::uint64_t nextOrder_ = 0;
  std::vector<Event> events_;  // a heap, earliest first
  double slept_ = 0;
  int sleeps_ = 0;
};

LocalTime localTimeAt(double mediaTime);

}  // namespace plumora::sim
