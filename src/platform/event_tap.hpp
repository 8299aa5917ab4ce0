#pragma once

// The event-tap port: an active tap on the system's mouse events, run on a thread of its own.

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/geometry.hpp"
#include "platform/keyboard.hpp"

namespace plumora {

enum class EventType : std::uint32_t {
  Null = 0,
  LeftMouseDown = 1,
  LeftMouseUp = 2,
  RightMouseDown = 3,
  RightMouseUp = 4,
  MouseMoved = 5,
  LeftMouseDragged = 6,
  TapDisabledByTimeout = 0xFFFFFFFE,
  TapDisabledByUserInput = 0xFFFFFFFF,
};

constexpr std::uint64_t eventMaskBit(EventType type) {
  return std::uint64_t{1} << static_cast<std::uint32_t>(type);
}

enum class EventTapPlacement : std::uint32_t { HeadInsert = 0, TailAppend = 1 };
enum class EventTapOptions : std::uint32_t { Default = 0, ListenOnly = 1 };

// The event that reached the tap, valid for the duration of the callback.
class TapEvent {
 public:
  virtual ~TapEvent() = default;
  virtual std::uint64_t flags() const = 0;
  virtual Point location() const = 0;
};

enum class TapVerdict { Pass, Swallow };

class EventTap {
 public:
  virtual ~EventTap() = default;

  // May be called on the tap's thread (to re-enable it) while stop() runs on the main thread.
  virtual void setEnabled(bool enabled) = 0;
  // Whether the system delivers events to the tap now: it may have turned it off on its own.
  virtual bool isEnabled() const = 0;
  // Runs the tap on a new thread with its own run loop and returns once that thread has enabled
  // it; false when the thread could not run it (the tap is then left disabled).
  virtual bool run(std::string_view threadName) = 0;
  // Disables and invalidates the tap and ends its thread's run loop, without waiting for it.
  virtual void stop() = 0;
};

// Called on the tap's thread for every event; `tap` is the tap that received it.
using TapCallback = std::function<TapVerdict(EventTap& tap, EventType type, const TapEvent& event)>;

class EventTaps {
 public:
  virtual ~EventTaps() = default;

  // A disabled tap, which run() enables; null when the system refuses the tap (for one,
  // without the accessibility permission).
  virtual std::shared_ptr<EventTap> create(EventTapLocation location, EventTapPlacement placement,
                                           EventTapOptions options, std::uint64_t eventsOfInterest,
                                           TapCallback callback) = 0;
};

}  // namespace plumora
