#pragma once

// Keys by the names scenarios and the timeline use: the modifiers with their event flags, and
// the system's tiling shortcuts.

#include <cstdint>
#include <string>
#include <string_view>

namespace plumora::simtool {

struct ModifierName {
  std::string_view name;
  std::uint64_t flag;
};

inline constexpr ModifierName kModifierNames[] = {
    {"fn", 0x800000},   {"control", 0x40000},  {"option", 0x80000},
    {"shift", 0x20000}, {"command", 0x100000}, {"capslock", 0x10000},
};

// "option+shift", in the table's order; empty for none.
inline std::string modifierText(std::uint64_t flags) {
  std::string text;
  for (const ModifierName& m : kModifierNames) {
    if (!(flags & m.flag)) continue;
    if (!text.empty()) text += '+';
    text += m.name;
  }
  return text;
}

// As the system takes them: fn-Control-F fills, fn-Control-R returns to the previous size, with
// no other modifier.
inline constexpr std::uint64_t kTilingFlags = 0x840000;
inline constexpr std::uint16_t kFillKeyCode = 3;
inline constexpr std::uint16_t kRestoreKeyCode = 15;

// "fill", "restore", or any other key as "key N".
inline std::string shortcutName(std::uint16_t keyCode, std::uint64_t flags) {
  if (flags == kTilingFlags && keyCode == kFillKeyCode) return "fill";
  if (flags == kTilingFlags && keyCode == kRestoreKeyCode) return "restore";
  return "key " + std::to_string(keyCode);
}

}  // namespace plumora::simtool
