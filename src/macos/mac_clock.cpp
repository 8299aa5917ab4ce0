#include "macos/mac_clock.hpp"

#include <QuartzCore/CABase.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cmath>

namespace plumora {

double MacClock::mediaTime() {
  return CACurrentMediaTime();
}

void MacClock::sleep(double seconds) {
  if (!(seconds > 0)) return;
  // The program's waits are milliseconds long; the cap only keeps the conversion defined.
  const double micros = std::fmin(std::round(seconds * 1e6), 4.0e9);
  usleep(static_cast<useconds_t>(micros));
}

LocalTime MacClock::localTime() {
  timeval now{};
  gettimeofday(&now, nullptr);
  const time_t seconds = now.tv_sec;
  tm parts{};
  localtime_r(&seconds, &parts);
  LocalTime t;
  t.year = parts.tm_year + 1900;
  t.month = parts.tm_mon + 1;
  t.day = parts.tm_mday;
  t.hour = parts.tm_hour;
  t.minute = parts.tm_min;
  t.second = parts.tm_sec;
  t.millisecond = static_cast<int>(now.tv_usec / 1000);
  return t;
}

}  // namespace plumora
