#include "macos/mac_clock.hpp"

#include <gtest/gtest.h>
#include <time.h>

namespace plumora {
namespace {

TEST(MacClock, LocalTimeIsNowInTheUsersZone) {
  MacClock clock;
  const time_t before = time(nullptr);
  const LocalTime now = clock.localTime();
  const time_t after = time(nullptr);
  // Seconds since the epoch by the C library's own reckoning: read in another zone, or with a
  // field off by the C library's offsets (1900, month 0), the time lies far away.
  tm parts{};
  parts.tm_year = now.year - 1900;
  parts.tm_mon = now.month - 1;
  parts.tm_mday = now.day;
  parts.tm_hour = now.hour;
  parts.tm_min = now.minute;
  parts.tm_sec = now.second;
  parts.tm_isdst = -1;
  const time_t read = mktime(&parts);
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
