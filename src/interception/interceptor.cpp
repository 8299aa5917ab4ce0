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
  if (tap_) return true;
  auto tap = context_.platform.eventTaps.create(
      EventTapLocation::Session, EventTapPlacement::HeadInsert, EventTapOptions::Default,
      kEventsOfInterest, [this](EventTap& t, EventType type, const TapEvent& event) {
        return handle(t, type, event);
      });
  if (!tap) {
    context_.log.info("Impossibile osservare i clic: event tap non creato");
    return false;
  }
  // The system-wide element's timeout is the default of every request of the process: it bounds
  // the requests made on the tap's thread.
  systemWide_.setTimeout(kHitTestTimeout);
  tap_ = tap;
  if (!tap->run(kThreadName)) {
    // The tap's thread could not serve it: nothing watches the clicks, so this is no start.
    tap->stop();
    tap_.reset();
    context_.log.info("Impossibile osservare i clic: event tap non creato");
    return false;
  }
  context_.log.info("Osservazione dei clic attiva");
  return true;
}

void Interceptor::stop() {
  if (!tap_) return;
  tap_->stop();
  tap_.reset();
  // A press swallowed before the stop must not make its release, seen by a later tap, a click.
  generation_.fetch_add(1, std::memory_order_release);
  context_.log.info("Osservazione dei clic fermata");
}

TapVerdict Interceptor::handle(EventTap& tap, EventType type, const TapEvent& event) {
  if (const auto now = generation_.load(std::memory_order_acquire); now != clickGeneration_) {
    clickGeneration_ = now;
    forgetClick();
  }
  switch (type) {
    case EventType::TapDisabledByTimeout:
    case EventType::TapDisabledByUserInput:
      return tapDisabled(tap, type);
    case EventType::LeftMouseDown:
      return press(event);
    case EventType::LeftMouseUp:
      return release(event);
    case EventType::LeftMouseDragged:
      return swallowing_ ? TapVerdict::Swallow : TapVerdict::Pass;
    default:
      return TapVerdict::Pass;
  }
}

TapVerdict Interceptor::tapDisabled(EventTap& tap, EventType reason) {
  forgetClick();
  if (!context_.platform.accessibility.isProcessTrusted(false)) {
    // The permission is gone: the system would only disable the tap again. It stays off, and the
    // main thread stops the watcher.
    permissionLost();
    return TapVerdict::Pass;
  }
  // The tap in hand is this thread's own reference: stop() may be clearing tap_ meanwhile.
  tap.setEnabled(true);
  context_.log.info(std::string("Osservazione dei clic riattivata (") +
                    (reason == EventType::TapDisabledByTimeout ? "timeout" : "input") + ")");
  return TapVerdict::Pass;
}

void Interceptor::forgetClick() {
  swallowing_ = false;
  pending_.reset();
}

void Interceptor::permissionLost() {
  if (permissionLost_) context_.platform.dispatch.mainAfter(0, permissionLost_);
}

TapVerdict Interceptor::press(const TapEvent& event) {
  // A click still waiting for its release is abandoned.
  forgetClick();
  // With a modifier held the green button keeps its own action; Caps Lock does not count.
  if (event.flags() & kPassThroughModifiers) return TapVerdict::Pass;
  auto click = detect(event);
  if (!click) return TapVerdict::Pass;
  pending_ = std::move(click);
  swallowing_ = true;
  return TapVerdict::Swallow;
}

TapVerdict Interceptor::release(const TapEvent& event) {
  if (!swallowing_) return TapVerdict::Pass;
  swallowing_ = false;
  std::optional<GreenClick> click = std::move(pending_);
  pending_.reset();
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
