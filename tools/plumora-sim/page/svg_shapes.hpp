#pragma once

// The shapes and colours every part of a desktop drawing uses: SVG elements written with their
// numbers as the page writes numbers, and text sized by a rough measure of the font.

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "page/markup_text.hpp"
#include "platform/geometry.hpp"

namespace plumora::simtool::svg {

// Sizes in points of the desktop. Text is larger than on a real screen: the drawing is seen
// at about half size.
inline constexpr double kTitleBarHeight = 28;
inline constexpr double kButtonRadius = 7;
inline constexpr double kMarkRadius = 11;
inline constexpr double kTitleSize = 20;
inline constexpr double kMenuSize = 17;
inline constexpr double kLabelSize = 20;
// Roughly how wide a character of the sans-serif font is, for a font size of 1.
inline constexpr double kCharacterWidth = 0.56;

inline constexpr const char* kFont = "font-family=\"Helvetica Neue, Helvetica, Arial, sans-serif\"";
inline constexpr const char* kBackdrop = "#2d3139";
inline constexpr const char* kWallpaper = "#4f7cac";
inline constexpr const char* kMenuBar = "#e4e8ee";
inline constexpr const char* kDock = "#93a4b8";
inline constexpr const char* kBody = "#fdfcf9";
inline constexpr const char* kTitleBar = "#e6e3dd";
inline constexpr const char* kFullScreen = "#4a4f7a";
inline constexpr const char* kClose = "#ff5f57";
inline constexpr const char* kMinimize = "#febc2e";
inline constexpr const char* kGreen = "#28c840";
inline constexpr const char* kGreenDisabled = "#c4c8c5";
inline constexpr const char* kGreenMark = "#0d5c1e";
inline constexpr const char* kBefore = "#e53935";
inline constexpr const char* kSwallowed = "#8e24aa";
inline constexpr const char* kPassed = "#ef6c00";
inline constexpr const char* kNoTap = "#6d6d6d";
inline constexpr const char* kKeyCap = "#fff4b8";
inline constexpr const char* kKeyCapEdge = "#8a6d00";

inline std::string n(double value) {
  return markupNumber(value);
}

inline void rect(std::string& out, const Rect& r, std::string_view attributes) {
  const Rect s = standardized(r);
  out += "<rect x=\"" + n(s.origin.x) + "\" y=\"" + n(s.origin.y) + "\" width=\"" +
         n(s.size.width) + "\" height=\"" + n(s.size.height) + "\" ";
  out += attributes;
  out += "/>";
}

inline void circle(std::string& out, Point centre, double radius, std::string_view attributes) {
  out += "<circle cx=\"" + n(centre.x) + "\" cy=\"" + n(centre.y) + "\" r=\"" + n(radius) + "\" ";
  out += attributes;
  out += "/>";
}

inline void text(std::string& out, Point at, double size, std::string_view attributes,
                 std::string_view content) {
  out += "<text x=\"" + n(at.x) + "\" y=\"" + n(at.y) + "\" font-size=\"" + n(size) + "\" ";
  out += kFont;
  out += ' ';
  out += attributes;
  out += '>';
  out += escapeMarkup(content);
  out += "</text>";
}

inline Point centreOf(const Rect& r) {
  const Rect s = standardized(r);
  return Point{s.origin.x + s.size.width / 2, s.origin.y + s.size.height / 2};
}

inline bool finite(const Rect& r) {
  return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
         std::isfinite(r.size.height);
}

inline std::size_t codePoints(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

inline double textWidth(std::string_view content, double size) {
  return static_cast<double>(codePoints(content)) * size * kCharacterWidth;
}

inline bool overlaps(const Rect& a, const Rect& b) {
  return minX(a) < maxX(b) && minX(b) < maxX(a) && minY(a) < maxY(b) && minY(b) < maxY(a);
}

}  // namespace plumora::simtool::svg
