#pragma once

// Simulated event taps. The system refuses a tap to a process without the accessibility
// permission, and leaves a tap disabled that such a process tries to enable; a tap runs once
// `run` is called, and events reach its callback directly, as its thread would get them. A
// listen-only tap's verdict is always to pass.

#include <memory>
#include <optional>
#include <string>

#include "platform/event_tap.hpp"
#include "sim/manual_dispatch.hpp"
#include "sim/sim_accessibility.hpp"

namespace plumora::sim {

class SimEventTap : public EventTap {
 public:
  SimEventTap(const SimAccessibility& accessibility, EventTapLocation location,
              EventTapPlacement placement, EventTapOptions options, std::uint64_t mask,
              TapCallback callback, bool failRunLoopSource)
      : location(location),
        placement(placement),
        options(options),
        mask(mask),
        accessibility_(accessibility),
        callback_(std::move(callback)),
        failRunLoopSource_(failRunLoopSource) {}

  void setEnabled(bool on) override;
  bool isEnabled() const override { return enabled; }
  bool run(std::string_view name) override;
  void stop() override;

  // Hands one event to the callback, as the tap's thread would; the verdict is the system's.
  TapVerdict deliver(EventType type, const TapEvent& event);
  // Whether an event of this type goes through the callback now.
  bool intercepts(EventType type) const;

  const EventTapLocation location;
  const EventTapPlacement placement;
  const EventTapOptions options;
  const std::uint64_t mask;
  bool enabled = false;
  bool running = false;
  bool invalidated = false;
  int enables = 0;  // enables that took effect

 private:
  const SimAccessibility& accessibility_;
  TapCallback callback_;
  bool failRunLoopSource_;
};

class SimEventTaps : public EventTaps {
 public:
  SimEventTaps(SimAccessibility& accessibility, ManualDispatch& dispatch)
      : accessibility_(accessibility), dispatch_(dispatch) {}

  std::shared_ptr<EventTap> create(EventTapLocation location, EventTapPlacement placement,
                                   EventTapOptions options, std::uint64_t eventsOfInterest,
                                   TapCallback callback) override;

  // The tap made last, while it has not been stopped.
  std::shared_ptr<SimEventTap> live() const;
  int created() const { return created_; }
  // Hands an event to the live tap on the tap's stand-in thread; nothing when no tap takes it.
  std::optional<TapVerdict> deliver(EventType type, const TapEvent& event);
  // The same for a tap of this program's, live or not.
  std::optional<TapVerdict> deliverTo(const std::shared_ptr<SimEventTap>& tap, EventType type,
                                      const TapEvent& event);

  // Faults: the system refuses the next taps; the next tap's run-loop source cannot be made.
  bool refuse = false;
  bool failRunLoopSource = false;

 private:
  SimAccessibility& accessibility_;
  ManualDispatch& dispatch_;
  std::weak_ptr<SimEventTap> last_;
  int created_ = 0;
};

// A mouse event as the simulated system makes it.
class SimTapEvent : public TapEvent {
 public:
  SimTapEvent(Point location, std::uint64_t flags) : location_(location), flags_(flags) {}
  std::uint64_t flags() const override { return flags_; }
  Point location() const override { return location_; }

 private:
  Point location_;
  std::uint64_t flags_;
};

}  // namespace plumora::sim
