#pragma once

// What makes a file text, and text safe to print: a scenario is UTF-8 without control
// characters, and a complaint about one never sends a raw control byte to the terminal.

#include <cstddef>
#include <string>
#include <string_view>

namespace plumora::simtool {

// The length of the UTF-8 sequence `text` starts with, 1 to 4, or 0 when it starts with none: a
// stray continuation byte, a sequence cut short, an overlong form, a surrogate, a code point past
// U+10FFFF, or nothing at all.
std::size_t utf8SequenceLength(std::string_view text);

// The C0 controls and DEL.
constexpr bool isControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

// The text as it can be printed: control characters and bytes that are not UTF-8 written as
// \xNN, everything else as it is.
std::string printable(std::string_view text);

}  // namespace plumora::simtool
