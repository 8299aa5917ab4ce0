#pragma once

// The clock port: the monotonic media clock of every timing, sleeping, and the local wall-clock
// time that stamps log lines.

namespace plumora {

// A moment of the local wall clock, broken down (Gregorian calendar, the user's time zone).
struct LocalTime {
  int year = 1970;
  int month = 1;  // 1 to 12
  int day = 1;    // 1 to 31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;

  // Seconds of the monotonic media clock.
  virtual double mediaTime() = 0;
  // Blocks the calling thread for this many seconds.
  virtual void sleep(double seconds) = 0;
  virtual LocalTime localTime() = 0;
};

}  // namespace plumora
