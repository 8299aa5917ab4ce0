#pragma once

// The click watcher: an active event tap on left-button presses, drags and releases, and the
// recognition of a press and release on a window's green button.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "accessibility/element.hpp"
#include "interception/exception_set.hpp"
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
  // How long a tap the system disabled is kept while its thread has not had the notice: the
  // notice waits for a slow callback, which the hit test's timeouts bound well within this.
  static constexpr double kNoticeWait = 2.0;

  // `perform` receives every click released on its button (the fill engine's perform).
  Interceptor(Context& context, Perform perform);
  Interceptor(const Interceptor&) = delete;
  Interceptor& operator=(const Interceptor&) = delete;

  // Main thread, before start(): `refresh` runs on the main thread, asynchronously, whenever the
  // tap's thread finds that the process has lost the accessibility permission.
  void onPermissionLost(std::function<void()> refresh) { permissionLost_ = std::move(refresh); }

  // Main thread. True when the tap runs (already or now). A tap the system has turned off
  // while the permission was gone is replaced by a new one; one whose notice is still on its
  // way is kept.
  bool start();
  void stop();
  bool isRunning() const { return tap_ != nullptr; }

  // Main thread: the bundle identifiers of the applications whose green button keeps its own
  // action, from the next press on.
  void setExceptions(std::span<const std::string> ids) { exceptions_.publish(ids); }
  const ExceptionSet& exceptions() const { return exceptions_.current(); }

  // The current tap's callback body, as its thread runs it (for tests and benchmarks that feed
  // events by hand; the tap itself calls in with its own recognition state).
  TapVerdict handle(EventTap& tap, EventType type, const TapEvent& event);
  // The recognition of one press.
  std::optional<GreenClick> detect(const TapEvent& press);
  // Whether the application `pid` is an exception; says so in the log when it is. Tap's thread.
  bool isException(std::int32_t pid);

  // The current tap's recognition state; nothing is pending without a tap.
  bool swallowing() const { return recognition_ && recognition_->swallowing; }
  std::optional<GreenClick> pending() const {
    return recognition_ ? recognition_->pending : std::nullopt;
  }

 private:
  // What one tap's thread knows of the click under way. Each tap has its own, which only its
  // thread touches: a callback still running on a stopped tap's thread cannot leave a click for
  // the next tap to complete.
  struct Recognition {
    bool swallowing = false;
    std::optional<GreenClick> pending;
    // Set by the thread when it had the system's notice and left the tap off (the permission
    // was gone); read by the main thread.
    std::atomic<bool> leftOff{false};
    void forget() {
      swallowing = false;
      pending.reset();
    }
  };

  bool makeTap();
  TapVerdict handle(Recognition& recognition, EventTap& tap, EventType type, const TapEvent& event);
  TapVerdict press(Recognition& recognition, const TapEvent& event);
  TapVerdict release(Recognition& recognition, const TapEvent& event);
  TapVerdict tapDisabled(Recognition& recognition, EventTap& tap, EventType reason);
  bool inButtonZone(Point p, const Rect& bounds) const;
  // Hands the main thread a refresh of the permission, without waiting for it.
  void permissionLost();

  Context& context_;
  Perform perform_;
  std::function<void()> permissionLost_;  // set before the tap runs, then only read
  // Main thread only; the tap's callback holds its own references to both.
  std::shared_ptr<EventTap> tap_;
  std::shared_ptr<Recognition> recognition_;
  // When the main thread first found the tap disabled with no word from its thread.
  std::optional<double> disabledSince_;
  Element systemWide_;
  bool rightToLeft_;
  // Written by the main thread, read by the tap's; see exception_set.hpp.
  PublishedExceptions exceptions_;
};

}  // namespace plumora
