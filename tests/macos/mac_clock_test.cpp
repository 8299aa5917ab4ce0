#include "macos/mac_clock.hpp"

#include <gtest/gtest.h>
#include <time.h>

#include <string>

#include "support/log_file.hpp"

namespace plumora {
namespace {

// Seconds since the epoch of a broken-down local time, by the C library's own reckoning.
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

TEST(MacClock, WallStampsHaveTheLogFormat) {
  MacClock clock;
  const std::string stamp = formatTimestamp(clock.localTime());
  ASSERT_EQ(stamp.size(), 23u) << stamp;
  char expected[32];
  const time_t seconds = time(nullptr);
  tm parts{};
  localtime_r(&seconds, &parts);
  strftime(expected, sizeof expected, "%Y-%m-%d %H:", &parts);
  // Equal up to the hour, unless the hour turned between the two reads.
  if (parts.tm_min != 0 || parts.tm_sec > 1) EXPECT_EQ(stamp.substr(0, 14), expected);
  EXPECT_EQ(stamp[19], '.');
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
