#include "sim/sim_event_tap.hpp"

namespace plumora::sim {

void SimEventTap::setEnabled(bool on) {
  // The system keeps the tap of a process it no longer trusts disabled.
  if (on && !accessibility_.trusted()) return;
  enabled = on;
  if (on) ++enables;
}

bool SimEventTap::run(std::string_view) {
  if (failRunLoopSource_) return false;
  running = true;
  setEnabled(true);
  return true;
}

void SimEventTap::stop() {
  enabled = false;
  invalidated = true;
  running = false;
}

bool SimEventTap::intercepts(EventType type) const {
  if (!running || invalidated) return false;
  // The system's notices that it disabled the tap reach it whatever its mask.
  if (type == EventType::TapDisabledByTimeout || type == EventType::TapDisabledByUserInput) {
    return true;
  }
  return enabled && (mask & eventMaskBit(type)) != 0;
}

TapVerdict SimEventTap::deliver(EventType type, const TapEvent& event) {
  const TapVerdict verdict = callback_(*this, type, event);
  // A listen-only tap sees events but cannot keep them from their application.
  return options == EventTapOptions::ListenOnly ? TapVerdict::Pass : verdict;
}

std::shared_ptr<EventTap> SimEventTaps::create(EventTapLocation location,
                                               EventTapPlacement placement, EventTapOptions options,
                                               std::uint64_t eventsOfInterest,
                                               TapCallback callback) {
  if (refuse || !accessibility_.isProcessTrusted(false)) return nullptr;
  ++created_;
  auto tap =
      std::make_shared<SimEventTap>(accessibility_, location, placement, options, eventsOfInterest,
                                    std::move(callback), failRunLoopSource);
  last_ = tap;
  return tap;
}

std::shared_ptr<SimEventTap> SimEventTaps::live() const {
  auto tap = last_.lock();
  if (!tap || tap->invalidated) return nullptr;
  return tap;
}

std::optional<TapVerdict> SimEventTaps::deliver(EventType type, const TapEvent& event) {
  return deliverTo(live(), type, event);
}

std::optional<TapVerdict> SimEventTaps::deliverTo(const std::shared_ptr<SimEventTap>& tap,
                                                  EventType type, const TapEvent& event) {
  if (!tap || !tap->intercepts(type)) return std::nullopt;
  std::optional<TapVerdict> verdict;
  dispatch_.onWorkerThread([&] { verdict = tap->deliver(type, event); });
  return verdict;
}

}  // namespace plumora::sim
