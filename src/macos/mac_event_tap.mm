#include "macos/mac_event_tap.hpp"

#include <CoreGraphics/CoreGraphics.h>
#import <Foundation/Foundation.h>
#include <dispatch/dispatch.h>
#include <pthread.h>
#include <pthread/qos.h>

#include <string>
#include <utility>

#include "macos/cf_ref.hpp"

namespace plumora {

namespace {

class MacTapEvent final : public TapEvent {
 public:
  explicit MacTapEvent(CGEventRef event) : event_(event) {}

  std::uint64_t flags() const override { return event_ ? CGEventGetFlags(event_) : 0; }
  Point location() const override {
    if (!event_) return {};
    const CGPoint p = CGEventGetLocation(event_);
    return Point{p.x, p.y};
  }

 private:
  CGEventRef event_;  // owned by the system for the duration of the callback
};

// The serving thread holds a strong reference to its tap, so a callback that is still running
// when the tap is stopped and dropped by its owner finds it alive. The callback reads only the
// callback object itself, which never changes after construction.
class MacEventTap final : public EventTap, public std::enable_shared_from_this<MacEventTap> {
 public:
  explicit MacEventTap(TapCallback callback)
      : callback_(std::move(callback)), ready_(dispatch_semaphore_create(0)) {}

  ~MacEventTap() override {
    if (port_) CFMachPortInvalidate(port_.get());
  }

  bool attach(EventTapLocation location, EventTapPlacement placement, EventTapOptions options,
              std::uint64_t eventsOfInterest) {
    port_ = CFRef<CFMachPortRef>::adopt(CGEventTapCreate(
        static_cast<CGEventTapLocation>(location), static_cast<CGEventTapPlacement>(placement),
        static_cast<CGEventTapOptions>(options), static_cast<CGEventMask>(eventsOfInterest),
        &MacEventTap::receive, this));
    if (!port_) return false;
    // A new tap is enabled, but nobody reads it until its thread runs: an active tap that is
    // not served would hold up every event of its mask.
    CGEventTapEnable(port_.get(), false);
    return true;
  }

  void setEnabled(bool enabled) override { CGEventTapEnable(port_.get(), enabled); }
  bool isEnabled() const override { return CGEventTapIsEnabled(port_.get()); }

  bool run(std::string_view threadName) override {
    auto* start = new Start{shared_from_this(), std::string(threadName)};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const int error = pthread_create(&thread, &attributes, &MacEventTap::threadMain, start);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
      delete start;
      return false;
    }
    dispatch_semaphore_wait(ready_, DISPATCH_TIME_FOREVER);
    // Written by the thread before it signalled.
    return served_;
  }

  // The port itself stays until the tap is destroyed: the tap's thread may be using it in a
  // callback (re-enabling after a timeout) at this very moment.
  void stop() override {
    CGEventTapEnable(port_.get(), false);
    CFMachPortInvalidate(port_.get());
    if (runLoop_) CFRunLoopStop(runLoop_.get());
    runLoop_.reset();
  }

 private:
  struct Start {
    std::shared_ptr<MacEventTap> tap;
    std::string name;
  };

  static void* threadMain(void* context) {
    std::unique_ptr<Start> start(static_cast<Start*>(context));
    pthread_setname_np(start->name.c_str());
    pthread_set_qos_class_self_np(QOS_CLASS_USER_INTERACTIVE, 0);
    const std::shared_ptr<MacEventTap> tap = std::move(start->tap);
    start.reset();
    tap->serve();
    return nullptr;
  }

  void serve() {
    @autoreleasepool {
      const auto source = CFRef<CFRunLoopSourceRef>::adopt(
          CFMachPortCreateRunLoopSource(kCFAllocatorDefault, port_.get(), 0));
      if (!source) {
        served_ = false;
        dispatch_semaphore_signal(ready_);
        return;
      }
      runLoop_ = CFRef<CFRunLoopRef>::retain(CFRunLoopGetCurrent());
      CFRunLoopAddSource(runLoop_.get(), source.get(), kCFRunLoopCommonModes);
      CGEventTapEnable(port_.get(), true);
      served_ = true;
      dispatch_semaphore_signal(ready_);
      // Ends at stop(). Should the stop come before the loop starts, the invalidated port has
      // already taken its source out of the loop, which then has nothing to run and returns.
      CFRunLoopRun();
    }
  }

  static CGEventRef receive(CGEventTapProxy, CGEventType type, CGEventRef event, void* info) {
    auto* tap = static_cast<MacEventTap*>(info);
    TapVerdict verdict = TapVerdict::Pass;
    @autoreleasepool {
      const MacTapEvent wrapped(event);
      if (tap->callback_) verdict = tap->callback_(*tap, static_cast<EventType>(type), wrapped);
    }
    return verdict == TapVerdict::Swallow ? nullptr : event;
  }

  const TapCallback callback_;
  CFRef<CFMachPortRef> port_;  // set at creation, before any thread runs
  dispatch_semaphore_t ready_;
  // Set by the tap's thread before it signals `ready_`, read by run() after the wait.
  bool served_ = false;
  CFRef<CFRunLoopRef> runLoop_;
};

}  // namespace

std::shared_ptr<EventTap> MacEventTaps::create(EventTapLocation location,
                                               EventTapPlacement placement, EventTapOptions options,
                                               std::uint64_t eventsOfInterest,
                                               TapCallback callback) {
  auto tap = std::make_shared<MacEventTap>(std::move(callback));
  if (!tap->attach(location, placement, options, eventsOfInterest)) return nullptr;
  return tap;
}

}  // namespace plumora
