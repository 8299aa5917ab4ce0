#pragma once

// The event-tap port: Quartz event taps, each served by a thread of its own with its own run loop.

#include "platform/event_tap.hpp"

namespace plumora {

class MacEventTaps final : public EventTaps {
 public:
  std::shared_ptr<EventTap> create(EventTapLocation location, EventTapPlacement placement,
                                   EventTapOptions options, std::uint64_t eventsOfInterest,
                                   TapCallback callback) override;
};

}  // namespace plumora
