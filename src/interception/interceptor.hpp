#pragma once

// The click watcher: an active event tap on left-button presses, drags and releases, and the
// recognition of a press and release on a window's green button.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "accessibility/element.hpp"
#include "interception/green_click.hpp"
#include "platform/event_tap.hpp"
#include "support/context.hpp"

namespace plumora {

class Interceptor {
 public:
  using Perform = std::function<void(const GreenClick&)>;

  static constexpr std::uint64_t kEventsOfInterest = eventMaskBit(EventType::LeftMouseDown) |
                                                     eventMaskBit(EventType::LeftMouseUp) |
                                                     eventMaskBit(EventType::LeftMouseDragged);
  static constexpr std::uint64_t kPassThroughModifiers = 0x9E0000;
  static constexpr float kHitTestTimeout = 0.25f;
  static constexpr double kZoneHeight = 120.0;
  static constexpr double kZoneWidth = 220.0;
  static constexpr double kFallbackSide = 20.0;
  static constexpr double kReleaseTolerance = 6.0;
  static constexpr std::string_view kThreadName = "Plumora.EventTap";

  // `perform` receives every click released on its button (the fill engine's perform).
  Interceptor(Context& context, Perform perform);
  Interceptor(const Interceptor&) = delete;
  Interceptor& operator=(const Interceptor&) = delete;

  // Main thread, before start(): `refresh` runs on the main thread, asynchronously, whenever the
  // tap's thread finds that the process has lost the accessibility permission.
  void onPermissionLost(std::function<void()> refresh) { permissionLost_ = std::move(refresh); }

  // Main thread. True when the tap runs (already or now).
  bool start();
  void stop();
  bool isRunning() const { return tap_ != nullptr; }

  // The tap's callback body, on the tap's thread.
  TapVerdict handle(EventTap& tap, EventType type, const TapEvent& event);
  // The recognition of one press.
  std::optional<GreenClick> detect(const TapEvent& press);

  bool swallowing() const { return swallowing_; }
  const std::optional<GreenClick>& pending() const { return pending_; }

 private:
  TapVerdict press(const TapEvent& event);
  TapVerdict release(const TapEvent& event);
  TapVerdict tapDisabled(EventTap& tap, EventType reason);
  bool inButtonZone(Point p, const Rect& bounds) const;
  void forgetClick();
  // Hands the main thread a refresh of the permission, without waiting for it.
  void permissionLost();

  Context& context_;
  Perform perform_;
  std::function<void()> permissionLost_;  // set before the tap runs, then only read
  std::shared_ptr<EventTap> tap_;         // main thread only
  Element systemWide_;
  bool rightToLeft_;
  // Bumped by every stop(): a click the tap's thread was waiting on from before it is stale.
  std::atomic<std::uint32_t> generation_{0};
  // Tap thread only.
  std::uint32_t clickGeneration_ = 0;
  bool swallowing_ = false;
  std::optional<GreenClick> pending_;
};

}  // namespace plumora
