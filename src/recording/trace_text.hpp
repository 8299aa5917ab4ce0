#pragma once

// The text of a recording's lines: JSON values appended to a line being built. Numbers are
// written so that they read back as the same double and keep whether they were integral, in any
// C locale; raw values keep their kind.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/raw_value.hpp"
#include "platform/status_bar.hpp"

namespace plumora {

void appendJsonString(std::string& line, std::string_view text);
// Integral values as integers ("12"), others with a decimal point or an exponent ("12.0",
// "0.1", "1e+300"), so that the reader can tell them apart.
void appendJsonNumber(std::string& line, double value, bool integral);
void appendJsonInteger(std::string& line, std::int64_t value);

// Elements inside a value are written as the id `nameElement` gives them. Texts that `hide`
// asks to hide are written as their length and a hash.
struct ValueWriting {
  std::function<std::string(const ElementRef&)> nameElement;
  bool hideTexts = false;
};
void appendRawValue(std::string& line, const RawValue& value, const ValueWriting& writing);

// A rectangle as [x,y,width,height].
void appendJsonRect(std::string& line, const Rect& rect);

// What the user sees of the status menu's items, as a JSON array: each title, then " +" when
// checked and " !" when disabled; "-" for a separator.
std::string menuText(const std::vector<MenuItemModel>& items);

// The defaults registered at launch, as a JSON array of [key, value] pairs.
std::string registeredDefaultsText(std::span<const std::pair<std::string_view, bool>> values);

// A 64-bit FNV-1a hash, as sixteen hex digits: enough to tell two texts apart in a report,
// without the text.
std::string textHash(std::string_view text);

}  // namespace plumora
