#include "sim/sim_keyboard.hpp"

namespace plumora::sim {
namespace {

class SimEventSource : public EventSource {};

class SimKeyEvent : public KeyEvent {
 public:
  SimKeyEvent(std::uint16_t keyCode, bool down, bool hasSource)
      : keyCode(keyCode), down(down), hasSource(hasSource) {}
  void setFlags(std::uint64_t value) override { flags = value; }

  std::uint16_t keyCode;
  bool down;
  bool hasSource;
  std::uint64_t flags = 0;
};

}  // namespace

std::unique_ptr<EventSource> SimKeyboard::createSource(EventSourceState state) {
  lastSourceState = state;
  if (failSource) return nullptr;
  return std::make_unique<SimEventSource>();
}

std::unique_ptr<KeyEvent> SimKeyboard::createKeyEvent(EventSource* source, std::uint16_t keyCode,
                                                      bool keyDown) {
  if (keyDown ? failKeyDown : failKeyUp) return nullptr;
  return std::make_unique<SimKeyEvent>(keyCode, keyDown, source != nullptr);
}

void SimKeyboard::post(EventTapLocation location, KeyEvent& event) {
  auto& key = static_cast<SimKeyEvent&>(event);
  posted_.push_back(
      PostedKey{key.keyCode, key.down, key.flags, location, key.hasSource, clock_.mediaTime()});
  if (listener_) listener_(posted_.back());
}

}  // namespace plumora::sim
