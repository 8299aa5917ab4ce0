#include "macos/mac_clock.hpp"

#include <gtest/gtest.h>
#include <time.h>

namespace plumora {
namespace {

// Seconds since the epoch of a broken-down local time, by the C library's own reckoning: read in
// another zone, or with a field off by the C library's offsets (1900, month 0), it lies far away.
time_t secondsOf(const LocalTime& t) {
  tm parts{};
  parts.tm_year = t.year - 1900;
  parts.tm_mon = t.month - 1;
  parts.tm_mday = t.day;
  parts.tm_hour = t.hour;
  parts.tm_min = t.minute;
  parts.tm_sec = t.second;
  parts.tm_isdst = -1;
  return mktime(&parts);
}

TEST(MacClock, LocalTimeIsNowInTheUsersZone) {
  MacClock clock;
  const time_t before = time(nullptr);
  const LocalTime now = clock.localTime();
  const time_t after = time(nullptr);
  const time_t read = secondsOf(now);
  EXPECT_GE(read, before);
  EXPECT_LE(read, after);
  EXPECT_GE(now.millisecond, 0);
  EXPECT_LE(now.millisecond, 999);
}

TEST(MacClock, MediaTimeIsMonotonicAndSleepWaits) {
  MacClock clock;
  const double start = clock.mediaTime();
  clock.sleep(0.02);
  const double slept = clock.mediaTime() - start;
  EXPECT_GE(slept, 0.02);
  EXPECT_LT(slept, 2.0);
  const double again = clock.mediaTime();
  clock.sleep(0);
  clock.sleep(-1);
  EXPECT_LT(clock.mediaTime() - again, 0.01);
}

}  // namespace
}  // namespace plumora
