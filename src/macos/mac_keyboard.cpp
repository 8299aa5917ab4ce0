#include "macos/mac_keyboard.hpp"

#include <CoreGraphics/CoreGraphics.h>

#include <utility>

#include "macos/cf_ref.hpp"

namespace plumora {

namespace {

class MacEventSource final : public EventSource {
 public:
  explicit MacEventSource(CFRef<CGEventSourceRef> source) : source_(std::move(source)) {}
  CGEventSourceRef source() const { return source_.get(); }

 private:
  CFRef<CGEventSourceRef> source_;
};

class MacKeyEvent final : public KeyEvent {
 public:
  explicit MacKeyEvent(CFRef<CGEventRef> event) : event_(std::move(event)) {}
  CGEventRef event() const { return event_.get(); }

  void setFlags(std::uint64_t flags) override {
    CGEventSetFlags(event_.get(), static_cast<CGEventFlags>(flags));
  }

 private:
  CFRef<CGEventRef> event_;
};

}  // namespace

std::unique_ptr<EventSource> MacKeyboard::createSource(EventSourceState state) {
  auto source =
      CFRef<CGEventSourceRef>::adopt(CGEventSourceCreate(static_cast<CGEventSourceStateID>(state)));
  if (!source) return nullptr;
  return std::make_unique<MacEventSource>(std::move(source));
}

std::unique_ptr<KeyEvent> MacKeyboard::createKeyEvent(EventSource* source, std::uint16_t keyCode,
                                                      bool keyDown) {
  const auto* mac = dynamic_cast<MacEventSource*>(source);
  auto event = CFRef<CGEventRef>::adopt(CGEventCreateKeyboardEvent(
      mac ? mac->source() : nullptr, static_cast<CGKeyCode>(keyCode), keyDown));
  if (!event) return nullptr;
  return std::make_unique<MacKeyEvent>(std::move(event));
}

void MacKeyboard::post(EventTapLocation location, KeyEvent& event) {
  if (auto* mac = dynamic_cast<MacKeyEvent*>(&event)) {
    CGEventPost(static_cast<CGEventTapLocation>(location), mac->event());
  }
}

}  // namespace plumora
