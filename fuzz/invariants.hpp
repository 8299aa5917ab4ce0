#pragma once

// What must hold whatever the user and the system do, checked as the run goes. A broken rule
// prints what broke and aborts, so that the fuzzer keeps the input that broke it.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "interception/green_click.hpp"
#include "platform/event_tap.hpp"
#include "sim/sim_mac.hpp"

namespace plumora::fuzz {

[[noreturn]] void fail(std::string_view what);
inline void require(bool holds, std::string_view what) {
  if (!holds) fail(what);
}

class Invariants {
 public:
  explicit Invariants(sim::SimMac& mac);
  Invariants(const Invariants&) = delete;
  Invariants& operator=(const Invariants&) = delete;

  // Every frame a window has, from its first on: the program may write back only those.
  void noteFrame(const sim::SimWindow& window);
  // Around each event the tap's callback handles; `handle` is the program's callback.
  TapVerdict event(EventTap& tap, EventType type, const TapEvent& event, const TapCallback& handle);
  // The program asks the fill engine to act on a click.
  void performed(const GreenClick& click);

  int swallowedPresses() const { return swallowedPresses_; }

 private:
  struct Press {
    const EventTap* tap = nullptr;
    Point at;
    bool swallowed = false;
    bool interrupted = false;  // a tap-disabled notice came after it
    int performs = 0;
    const sim::SimWindow* under = nullptr;
    std::optional<Rect> greenBefore, greenAfter;
  };
  struct Current {
    EventType type;
    Point at;
  };

  bool outsideEveryZone(Point p) const;
  std::optional<Rect> greenFrame(const sim::SimWindow* window) const;
  void written(const sim::SimAccessibility::Written& write);

  sim::SimMac& mac_;
  std::map<sim::NodeId, std::vector<Rect>> frames_;
  std::optional<Press> press_;
  std::optional<Current> current_;
  int swallowedPresses_ = 0;
};

// The event-tap port with every tap's callback observed by the invariants.
class ObservedTaps : public EventTaps {
 public:
  ObservedTaps(EventTaps& taps, Invariants& invariants) : taps_(taps), invariants_(invariants) {}

  std::shared_ptr<EventTap> create(EventTapLocation location, EventTapPlacement placement,
                                   EventTapOptions options, std::uint64_t eventsOfInterest,
                                   TapCallback callback) override;

 private:
  EventTaps& taps_;
  Invariants& invariants_;
  // Kept alive, so that no later tap can share an address with an earlier one.
  std::vector<std::shared_ptr<EventTap>> made_;
};

}  // namespace plumora::fuzz
