#include "sim/real_clock.hpp"

#include <algorithm>
#include <thread>

#include "sim/virtual_clock.hpp"

namespace plumora::sim {

double RealClock::mediaTime() {
  return std::chrono::duration<double>(Steady::now() - start_).count() * speed_;
}

void RealClock::sleep(double seconds) {
  if (seconds > 0) std::this_thread::sleep_until(realAfter(seconds));
}

LocalTime RealClock::localTime() {
  return localTimeAt(mediaTime());
}

RealClock::Steady::time_point RealClock::realAfter(double seconds) const {
  const auto real = std::chrono::duration<double>(std::max(0.0, seconds) / speed_);
  return Steady::now() + std::chrono::duration_cast<Steady::duration>(real);
}

}  // namespace plumora::sim
