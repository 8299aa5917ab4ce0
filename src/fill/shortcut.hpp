#pragma once

// The system's window-tiling shortcuts, posted as synthetic key events: fn-Control-F fills the
// frontmost window, fn-Control-R returns it to its previous size.

#include <cstdint>

#include "platform/keyboard.hpp"

namespace plumora::Shortcut {

inline constexpr std::uint16_t kFillKey = 3;       // F
inline constexpr std::uint16_t kRestoreKey = 15;   // R
inline constexpr std::uint64_t kFlags = 0x840000;  // fn and Control, nothing else

// Key-down then key-up, or nothing when either event cannot be made.
void post(Keyboard& keyboard, std::uint16_t keyCode);
inline void postFill(Keyboard& keyboard) {
  post(keyboard, kFillKey);
}
inline void postRestore(Keyboard& keyboard) {
  post(keyboard, kRestoreKey);
}

}  // namespace plumora::Shortcut
