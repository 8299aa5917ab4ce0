#include "page/markup_text.hpp"

#include <cmath>
#include <cstdint>

namespace plumora::simtool {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0 for none or for a
// character XML refuses (U+FFFE and U+FFFF).
std::size_t sequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  if (lead == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE) return 0;
  return length;
}

}  // namespace

std::string markupNumber(double value) {
  // Hundredths fit 64 bits far beyond any desktop; past that a number means nothing to draw.
  if (!std::isfinite(value) || std::fabs(value) >= 1e15) return "0";
  const std::int64_t hundredths = std::llround(value * 100);
  std::uint64_t magnitude = static_cast<std::uint64_t>(hundredths < 0 ? -hundredths : hundredths);
  std::string text = hundredths < 0 ? "-" : "";
  text += std::to_string(magnitude / 100);
  magnitude %= 100;
  if (magnitude != 0) {
    text += '.';
    text += static_cast<char>('0' + magnitude / 10);
    if (magnitude % 10 != 0) text += static_cast<char>('0' + magnitude % 10);
  }
  return text;
}

std::string markupSeconds(double seconds) {
  if (!std::isfinite(seconds) || std::fabs(seconds) >= 1e15) return "0.000";
  const std::int64_t milliseconds = std::llround(seconds * 1000);
  const std::uint64_t magnitude =
      static_cast<std::uint64_t>(milliseconds < 0 ? -milliseconds : milliseconds);
  // Appended piece by piece: GCC 12 takes a prepended literal for an overlapping copy.
  std::string text = milliseconds < 0 ? "-" : "";
  text += std::to_string(magnitude / 1000);
  text += '.';
  const std::string fraction = std::to_string(magnitude % 1000);
  text.append(3 - fraction.size(), '0');
  text += fraction;
  return text;
}

std::string markupRect(const Rect& rect) {
  const Rect r = standardized(rect);
  return markupNumber(r.origin.x) + "," + markupNumber(r.origin.y) + " " +
         markupNumber(r.size.width) + "x" + markupNumber(r.size.height);
}

std::string escapeMarkup(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = sequenceLength(text);
    const char c = text.front();
    const bool control =
        length == 1 && static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n';
    if (length == 0 || control) {
      out += kReplacement;
      text.remove_prefix(1);
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out.append(text.substr(0, length));
    }
    text.remove_prefix(length);
  }
  return out;
}

}  // namespace plumora::simtool
