#include "fill/shortcut.hpp"

namespace plumora::Shortcut {

void post(Keyboard& keyboard, std::uint16_t keyCode) {
  // Without a source the events are still made, with none.
  auto source = keyboard.createSource(EventSourceState::HIDSystem);
  auto down = keyboard.createKeyEvent(source.get(), keyCode, true);
  if (!down) return;
  // Never a lone key-down: the system would take the key as held.
  auto up = keyboard.createKeyEvent(source.get(), keyCode, false);
  if (!up) return;
  down->setFlags(kFlags);
  up->setFlags(kFlags);
  keyboard.post(EventTapLocation::HID, *down);
  keyboard.post(EventTapLocation::HID, *up);
}

}  // namespace plumora::Shortcut
