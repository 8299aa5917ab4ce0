#pragma once

// A clock on real time, for running the core on real threads. It may run faster than the wall
// clock: at speed 10 a 0.8-second wait takes 80 ms, so a stress test covers many fill runs.

#include <chrono>

#include "platform/clock.hpp"

namespace plumora::sim {

class RealClock : public Clock {
 public:
  explicit RealClock(double speed = 1.0) : speed_(speed), start_(Steady::now()) {}

  double mediaTime() override;
  void sleep(double seconds) override;
  // The simulation's wall clock at this media time, so stamps look as in every other run.
  LocalTime localTime() override;

  using Steady = std::chrono::steady_clock;
  // The real moment `seconds` of media time from now.
  Steady::time_point realAfter(double seconds) const;

 private:
  const double speed_;
  const Steady::time_point start_;
};

}  // namespace plumora::sim
