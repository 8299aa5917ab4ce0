#pragma once

// The keyboard port: synthetic key events through Quartz Event Services.

#include "platform/keyboard.hpp"

namespace plumora {

class MacKeyboard final : public Keyboard {
 public:
  std::unique_ptr<EventSource> createSource(EventSourceState state) override;
  std::unique_ptr<KeyEvent> createKeyEvent(EventSource* source, std::uint16_t keyCode,
                                           bool keyDown) override;
  void post(EventTapLocation location, KeyEvent& event) override;
};

}  // namespace plumora
