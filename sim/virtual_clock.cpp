#include "sim/virtual_clock.hpp"

#include <algorithm>
#include <cmath>

namespace plumora::sim {
namespace {

bool later(const auto& a, const auto& b) {
  return a.time != b.time ? a.time > b.time : a.order > b.order;
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

}  // namespace

LocalTime localTimeAt(double mediaTime) {
  // 2026-03-02 09:00:00 as milliseconds since 1970-01-01.
  constexpr std::int64_t kStartDays = 20514;
  constexpr std::int64_t kStartMs = (kStartDays * 86400 + 9 * 3600) * 1000;
  const auto ms = kStartMs + static_cast<std::int64_t>(std::floor(mediaTime * 1000.0));
  const std::int64_t days = ms / 86'400'000;
  std::int64_t rest = ms % 86'400'000;
  LocalTime t;
  civilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3'600'000);
  rest %= 3'600'000;
  t.minute = static_cast<int>(rest / 60'000);
  rest %= 60'000;
  t.second = static_cast<int>(rest / 1000);
  t.millisecond = static_cast<int>(rest % 1000);
  return t;
}

VirtualClock::Ticks VirtualClock::toTicks(double seconds) {
  return static_cast<Ticks>(std::llround(seconds * 1e9));
}

LocalTime VirtualClock::localTime() {
  return localTimeAt(mediaTime());
}

void VirtualClock::sleep(double seconds) {
  if (!(seconds > 0)) return;
  slept_ += seconds;
  ++sleeps_;
  advanceToTicks(now_ + toTicks(seconds));
}

void VirtualClock::at(double time, std::function<void()> event) {
  events_.push_back(Event{std::max(toTicks(time), now_), nextOrder_++, std::move(event)});
  std::push_heap(events_.begin(), events_.end(), later<Event, Event>);
}

std::optional<double> VirtualClock::nextEventTime() const {
  if (events_.empty()) return std::nullopt;
  return fromTicks(events_.front().time);
}

void VirtualClock::advanceTo(double time) {
  advanceToTicks(toTicks(time));
}

void VirtualClock::advanceToTicks(Ticks time) {
  while (!events_.empty() && events_.front().time <= time) {
    std::pop_heap(events_.begin(), events_.end(), later<Event, Event>);
    Event event = std::move(events_.back());
    events_.pop_back();
    now_ = std::max(now_, event.time);
    event.apply();
  }
  now_ = std::max(now_, time);
}

}  // namespace plumora::sim
