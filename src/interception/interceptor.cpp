// The event tap's life, and the dispatch of every event it receives.
#include "interception/interceptor.hpp"

#include <string>

namespace plumora {
namespace {

bool rightToLeftFirstLanguage(System& system) {
  return system.characterDirection(firstPreferredLanguage(system)) ==
         LanguageDirection::RightToLeft;
}

}  // namespace

Interceptor::Interceptor(Context& context, Perform perform)
    : context_(context),
      perform_(std::move(perform)),
      systemWide_(context.platform.accessibility.systemWide()),
      rightToLeft_(rightToLeftFirstLanguage(context.platform.system)) {}

bool Interceptor::start() {
  if (tap_) {
    if (tap_->isEnabled()) {
      disabledSince_.reset();
      return true;
    }
    // The system disables a tap whose callback was slow at once, and tells its thread only when
    // the callback has returned: until then the tap is healthy, and its thread turns it back on.
    const double now = context_.now();
    if (!recognition_->leftOff.load(std::memory_order_acquire)) {
      if (!disabledSince_) disabledSince_ = now;
      if (now - *disabledSince_ < kNoticeWait) return true;
    }
    // Its thread left it off because the permission was gone at its notice, and the permission is
    // back; or no notice came. A new tap, so that the watcher never claims to run while deaf.
    stop();
  }
  return makeTap();
}

bool Interceptor::makeTap() {
  auto recognition = std::make_shared<Recognition>();
  auto tap = context_.platform.eventTaps.create(
      EventTapLocation::Session, EventTapPlacement::HeadInsert, EventTapOptions::Default,
      kEventsOfInterest, [this, recognition](EventTap& t, EventType type, const TapEvent& event) {
        return handle(*recognition, t, type, event);
      });
  if (!tap) {
    context_.log.info("Impossibile osservare i clic: event tap non creato");
    return false;
  }
  // The system-wide element's timeout is the default of every request of the process: it bounds
  // the requests made on the tap's thread.
  systemWide_.setTimeout(kHitTestTimeout);
  tap_ = tap;
  recognition_ = std::move(recognition);
  if (!tap->run(kThreadName)) {
    // The tap's thread could not serve it: nothing watches the clicks, so this is no start.
    tap->stop();
    tap_.reset();
    recognition_.reset();
    context_.log.info("Impossibile osservare i clic: event tap non creato");
    return false;
  }
  context_.log.info("Osservazione dei clic attiva");
  return true;
}

void Interceptor::stop() {
  if (!tap_) return;
  tap_->stop();
  // A callback still under way on the old tap's thread keeps its own state alive and alone.
  tap_.reset();
  recognition_.reset();
  disabledSince_.reset();
  context_.log.info("Osservazione dei clic fermata");
}

TapVerdict Interceptor::handle(EventTap& tap, EventType type, const TapEvent& event) {
  if (!recognition_) return TapVerdict::Pass;
  return handle(*recognition_, tap, type, event);
}

TapVerdict Interceptor::handle(Recognition& recognition, EventTap& tap, EventType type,
                               const TapEvent& event) {
  switch (type) {
    case EventType::TapDisabledByTimeout:
    case EventType::TapDisabledByUserInput:
      return tapDisabled(recognition, tap, type);
    case EventType::LeftMouseDown:
      return press(recognition, event);
    case EventType::LeftMouseUp:
      return release(recognition, event);
    case EventType::LeftMouseDragged:
      return recognition.swallowing ? TapVerdict::Swallow : TapVerdict::Pass;
    default:
      return TapVerdict::Pass;
  }
}

TapVerdict Interceptor::tapDisabled(Recognition& recognition, EventTap& tap, EventType reason) {
  recognition.forget();
  if (!context_.platform.accessibility.isProcessTrusted(false)) {
    // The permission is gone: the system would only disable the tap again. It stays off, and the
    // main thread stops the watcher, or replaces the tap should the permission be back by then.
    recognition.leftOff.store(true, std::memory_order_release);
    permissionLost();
    return TapVerdict::Pass;
  }
  // The tap in hand is this thread's own reference: stop() may be clearing tap_ meanwhile.
  recognition.leftOff.store(false, std::memory_order_release);
  tap.setEnabled(true);
  context_.log.info(std::string("Osservazione dei clic riattivata (") +
                    (reason == EventType::TapDisabledByTimeout ? "timeout" : "input") + ")");
  return TapVerdict::Pass;
}

void Interceptor::permissionLost() {
  if (permissionLost_) context_.platform.dispatch.mainAfter(0, permissionLost_);
}

TapVerdict Interceptor::press(Recognition& recognition, const TapEvent& event) {
  // A click still waiting for its release is abandoned.
  recognition.forget();
  // With a modifier held the green button keeps its own action; Caps Lock does not count.
  if (event.flags() & kPassThroughModifiers) return TapVerdict::Pass;
  auto click = detect(event);
  if (!click) return TapVerdict::Pass;
  recognition.pending = std::move(click);
  recognition.swallowing = true;
  return TapVerdict::Swallow;
}

TapVerdict Interceptor::release(Recognition& recognition, const TapEvent& event) {
  if (!recognition.swallowing) return TapVerdict::Pass;
  recognition.swallowing = false;
  std::optional<GreenClick> click = std::move(recognition.pending);
  recognition.pending.reset();
  if (!click) return TapVerdict::Swallow;
  const Rect target = inset(click->buttonFrame, -kReleaseTolerance, -kReleaseTolerance);
  if (containsPoint(target, event.location())) {
    perform_(*click);
  } else {
    context_.log.debug("Clic annullato: rilasciato fuori dal tasto verde");
  }
  return TapVerdict::Swallow;
}

}  // namespace plumora
