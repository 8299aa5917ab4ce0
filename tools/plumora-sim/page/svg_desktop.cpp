#include "page/svg_desktop.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "page/markup_text.hpp"

namespace plumora::simtool {
namespace {

// Sizes in points of the desktop. Text is larger than on a real screen: the drawing is seen
// at about half size.
constexpr double kMargin = 40;
constexpr double kTitleBarHeight = 28;
constexpr double kButtonRadius = 7;
constexpr double kMarkRadius = 11;
constexpr double kTitleSize = 16;
constexpr double kMenuSize = 15;
constexpr double kLabelSize = 20;
// Roughly how wide a character of the sans-serif font is, for a font size of 1.
constexpr double kCharacterWidth = 0.56;

constexpr const char* kFont = "font-family=\"Helvetica Neue, Helvetica, Arial, sans-serif\"";
constexpr const char* kBackdrop = "#2d3139";
constexpr const char* kWallpaper = "#4f7cac";
constexpr const char* kMenuBar = "#e4e8ee";
constexpr const char* kDock = "#93a4b8";
constexpr const char* kBody = "#fdfcf9";
constexpr const char* kTitleBar = "#e6e3dd";
constexpr const char* kFullScreen = "#4a4f7a";
constexpr const char* kClose = "#ff5f57";
constexpr const char* kMinimize = "#febc2e";
constexpr const char* kGreen = "#28c840";
constexpr const char* kGreenDisabled = "#c4c8c5";
constexpr const char* kGreenMark = "#0d5c1e";
constexpr const char* kBefore = "#e53935";
constexpr const char* kSwallowed = "#8e24aa";
constexpr const char* kPassed = "#ef6c00";
constexpr const char* kNoTap = "#6d6d6d";

std::string n(double value) {
  return markupNumber(value);
}

void rect(std::string& out, const Rect& r, std::string_view attributes) {
  const Rect s = standardized(r);
  out += "<rect x=\"" + n(s.origin.x) + "\" y=\"" + n(s.origin.y) + "\" width=\"" +
         n(s.size.width) + "\" height=\"" + n(s.size.height) + "\" ";
  out += attributes;
  out += "/>";
}

void circle(std::string& out, Point centre, double radius, std::string_view attributes) {
  out += "<circle cx=\"" + n(centre.x) + "\" cy=\"" + n(centre.y) + "\" r=\"" + n(radius) + "\" ";
  out += attributes;
  out += "/>";
}

void text(std::string& out, Point at, double size, std::string_view attributes,
          std::string_view content) {
  out += "<text x=\"" + n(at.x) + "\" y=\"" + n(at.y) + "\" font-size=\"" + n(size) + "\" ";
  out += kFont;
  out += ' ';
  out += attributes;
  out += '>';
  out += escapeMarkup(content);
  out += "</text>";
}

Point centreOf(const Rect& r) {
  const Rect s = standardized(r);
  return Point{s.origin.x + s.size.width / 2, s.origin.y + s.size.height / 2};
}

bool finite(const Rect& r) {
  return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
         std::isfinite(r.size.height);
}

std::size_t codePoints(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

double textWidth(std::string_view content, double size) {
  return static_cast<double>(codePoints(content)) * size * kCharacterWidth;
}

void drawScreen(std::string& out, const DrawnScreen& screen, std::size_t index) {
  out += "<g data-screen=\"" + std::to_string(index) + "\" data-frame=\"" +
         markupRect(screen.frame) + "\" data-usable=\"" + markupRect(screen.usable) + "\">";
  const Rect frame = standardized(screen.frame);
  text(out, Point{frame.origin.x, frame.origin.y - 10}, kMenuSize, "fill=\"#c9ced6\"",
       "screen " + std::to_string(index));
  rect(out, frame, std::string("fill=\"") + kWallpaper + "\"");
  out += "</g>";
}

bool overlaps(const Rect& a, const Rect& b) {
  return minX(a) < maxX(b) && minX(b) < maxX(a) && minY(a) < maxY(b) && minY(b) < maxY(a);
}

// The menu bar and the Dock lie above the windows, unless a full-screen window is in front on
// that screen: then they hide, as in a full-screen space.
void drawStrips(std::string& out, const DrawnScreen& screen, std::size_t index,
                const Scene& scene) {
  for (auto w = scene.windows.rbegin(); w != scene.windows.rend(); ++w) {
    if (!overlaps(w->frame, standardized(screen.frame))) continue;
    if (w->fullScreen) return;
    break;
  }
  const std::string& frontmost = scene.frontmost;
  out += "<g data-strips-of=\"" + std::to_string(index) + "\">";
  if (const auto bar = menuBarOf(screen)) {
    rect(out, *bar, std::string("data-part=\"menu-bar\" fill=\"") + kMenuBar + "\"");
    if (!frontmost.empty()) {
      const double baseline = bar->origin.y + bar->size.height / 2 + kMenuSize * 0.35;
      text(out, Point{bar->origin.x + 16, baseline}, kMenuSize,
           "font-weight=\"bold\" fill=\"#1d1d1f\"", frontmost);
    }
  }
  for (const Rect& dock : dockOf(screen)) {
    rect(out, dock, std::string("data-part=\"dock\" fill=\"") + kDock + "\"");
    const Point middle = centreOf(dock);
    if (textWidth("Dock", kMenuSize) < dock.size.width && kMenuSize < dock.size.height) {
      text(out, Point{middle.x, middle.y + kMenuSize * 0.35}, kMenuSize,
           "text-anchor=\"middle\" fill=\"#ffffff\"", "Dock");
    }
  }
  out += "</g>";
}

void drawButtons(std::string& out, const DrawnWindow& window) {
  circle(out, centreOf(window.close), kButtonRadius,
         std::string("data-button=\"close\" fill=\"") + kClose + "\"");
  circle(out, centreOf(window.minimize), kButtonRadius,
         std::string("data-button=\"minimize\" fill=\"") + kMinimize + "\"");
  circle(out, centreOf(window.green), kButtonRadius,
         std::string("data-button=\"green\" fill=\"") +
             (window.greenEnabled ? kGreen : kGreenDisabled) + "\"");
  // The button Plumora gives a new meaning to.
  circle(out, centreOf(window.green), kMarkRadius,
         std::string("data-mark=\"green\" fill=\"none\" stroke-width=\"3\" stroke=\"") +
             kGreenMark + "\"");
}

void drawWindow(std::string& out, const DrawnWindow& window) {
  const Rect frame = standardized(window.frame);
  out += "<g data-window=\"" + escapeMarkup(window.name) + "\" data-app=\"" +
         escapeMarkup(window.app) + "\" data-frame=\"" + markupRect(frame) + "\"";
  if (window.fullScreen) out += " data-full-screen=\"true\"";
  if (window.ofFrontmostApp) out += " data-frontmost=\"true\"";
  // A see-through window stays visible enough to be found.
  if (window.alpha < 1) out += " opacity=\"" + n(std::max(window.alpha, 0.3)) + "\"";
  out += '>';
  const double width = frame.size.width;
  if (window.fullScreen) {
    rect(out, frame,
         std::string("data-part=\"frame\" fill=\"") + kFullScreen +
             "\" stroke=\"#b8bde0\" stroke-width=\"3\"");
    const Point middle = centreOf(frame);
    text(out, Point{middle.x, middle.y}, kLabelSize * 1.4,
         "text-anchor=\"middle\" fill=\"#e8e8e8\"",
         fitText(window.title + " (full screen)", width - 40, kLabelSize * 1.4));
  } else {
    const char* border = window.ofFrontmostApp ? "#55595f" : "#a2a6ac";
    rect(out, frame,
         std::string("data-part=\"frame\" fill=\"") + kBody + "\" stroke=\"" + border +
             "\" stroke-width=\"2\"");
    Rect bar = frame;
    bar.size.height = std::min(kTitleBarHeight, frame.size.height);
    rect(out, bar, std::string("fill=\"") + kTitleBar + "\"");
    // The title, centred in the room the buttons leave.
    const double room = width - 2 * 76;
    if (room > kTitleSize) {
      text(out, Point{frame.origin.x + width / 2, frame.origin.y + 19}, kTitleSize,
           std::string("text-anchor=\"middle\" fill=\"") +
               (window.ofFrontmostApp ? "#1d1d1f" : "#8a8d91") + "\"",
           fitText(window.title, room, kTitleSize));
    }
    const Point middle = centreOf(frame);
    if (frame.size.height > kTitleBarHeight + 3 * kLabelSize) {
      text(out, Point{middle.x, middle.y + kTitleBarHeight / 2}, kLabelSize * 1.4,
           "text-anchor=\"middle\" fill=\"#cfccc4\"",
           fitText(window.app, width - 40, kLabelSize * 1.4));
    }
    drawButtons(out, window);
  }
  out += "</g>";
}

void drawBefore(std::string& out, const std::string& window, const Rect& before) {
  rect(out, before,
       "data-before-of=\"" + escapeMarkup(window) + "\" data-frame=\"" + markupRect(before) +
           "\" fill=\"none\" stroke=\"" + kBefore +
           "\" stroke-width=\"4\" stroke-dasharray=\"14 9\"");
  const Rect s = standardized(before);
  text(out, Point{s.origin.x + 8, s.origin.y - 8}, kLabelSize,
       std::string("fill=\"") + kBefore + "\"", "before");
}

std::string markName(DrawnPointer::Mark mark) {
  switch (mark) {
    case DrawnPointer::Mark::Press:
      return "press";
    case DrawnPointer::Mark::Drag:
      return "drag";
    case DrawnPointer::Mark::Release:
      return "release";
    case DrawnPointer::Mark::None:
      break;
  }
  return "none";
}

std::string fateName(DrawnPointer::Fate fate) {
  switch (fate) {
    case DrawnPointer::Fate::Swallowed:
      return "swallowed";
    case DrawnPointer::Fate::Passed:
      return "passed";
    case DrawnPointer::Fate::NoTap:
      return "no-tap";
    case DrawnPointer::Fate::None:
      break;
  }
  return "none";
}

std::string fateText(const DrawnPointer& pointer) {
  std::string text = markName(pointer.mark);
  switch (pointer.fate) {
    case DrawnPointer::Fate::Swallowed:
      return text + ": swallowed by Plumora";
    case DrawnPointer::Fate::Passed:
      text += ": passed";
      break;
    case DrawnPointer::Fate::NoTap:
      text += ": no event tap";
      break;
    case DrawnPointer::Fate::None:
      break;
  }
  return text + ", reached " + (pointer.reached.empty() ? "no application" : pointer.reached);
}

void drawPointer(std::string& out, const DrawnPointer& pointer, const Rect& view) {
  const Point p = pointer.at;
  out += "<g data-pointer=\"" + n(p.x) + "," + n(p.y) + "\" data-mark=\"" + markName(pointer.mark) +
         "\" data-fate=\"" + fateName(pointer.fate) + "\">";
  if (pointer.mark != DrawnPointer::Mark::None) {
    // Swallowed: a solid plum ring; passed: a dashed orange one; no tap at all: grey dots.
    const char* colour = pointer.fate == DrawnPointer::Fate::Swallowed ? kSwallowed
                         : pointer.fate == DrawnPointer::Fate::Passed  ? kPassed
                                                                       : kNoTap;
    const char* dashes = pointer.fate == DrawnPointer::Fate::Swallowed ? ""
                         : pointer.fate == DrawnPointer::Fate::Passed  ? " stroke-dasharray=\"8 5\""
                                                                      : " stroke-dasharray=\"2 5\"";
    // A press fills its ring, a release leaves it empty, a drag is a smaller filled ring.
    const bool filled = pointer.mark != DrawnPointer::Mark::Release;
    const double radius = pointer.mark == DrawnPointer::Mark::Drag ? 15 : 22;
    circle(out, p, radius,
           std::string("fill=\"") + (filled ? colour : "none") +
               "\" fill-opacity=\"0.3\" stroke=\"" + colour + "\" stroke-width=\"5\"" + dashes);
    const std::string label = fateText(pointer);
    const double width = textWidth(label, kLabelSize) + 20;
    const bool onTheLeft = p.x + 30 + width > maxX(view);
    const double left = onTheLeft ? p.x - 30 - width : p.x + 30;
    rect(out, Rect::make(left, p.y + 22, width, kLabelSize + 14),
         std::string("rx=\"6\" fill=\"#ffffff\" fill-opacity=\"0.92\" stroke=\"") + colour +
             "\" stroke-width=\"2\"" + dashes);
    text(out, Point{left + 10, p.y + 22 + kLabelSize + 3}, kLabelSize,
         std::string("fill=\"") + colour + "\"", label);
  }
  // The arrow, its tip on the point.
  const auto at = [&](double dx, double dy) { return n(p.x + dx) + "," + n(p.y + dy); };
  out += "<path d=\"M" + at(0, 0) + " L" + at(0, 26) + " L" + at(7, 20) + " L" + at(12, 31) + " L" +
         at(16, 29) + " L" + at(11, 19) + " L" + at(20, 19) +
         " Z\" fill=\"#111111\" stroke=\"#ffffff\" stroke-width=\"2\" stroke-linejoin=\"round\"/>";
  out += "</g>";
}

}  // namespace

std::optional<Rect> menuBarOf(const DrawnScreen& screen) {
  const Rect frame = standardized(screen.frame);
  const double bottom = std::min(minY(screen.usable), maxY(frame));
  if (bottom <= frame.origin.y) return std::nullopt;
  return Rect::make(frame.origin.x, frame.origin.y, frame.size.width, bottom - frame.origin.y);
}

std::vector<Rect> dockOf(const DrawnScreen& screen) {
  const Rect frame = standardized(screen.frame);
  // The usable area, kept inside the screen.
  const double left = std::clamp(minX(screen.usable), minX(frame), maxX(frame));
  const double right = std::clamp(maxX(screen.usable), left, maxX(frame));
  const double top = std::clamp(minY(screen.usable), minY(frame), maxY(frame));
  const double bottom = std::clamp(maxY(screen.usable), top, maxY(frame));
  std::vector<Rect> strips;
  if (bottom < maxY(frame)) {
    strips.push_back(Rect::make(minX(frame), bottom, frame.size.width, maxY(frame) - bottom));
  }
  if (left > minX(frame)) {
    strips.push_back(Rect::make(minX(frame), top, left - minX(frame), bottom - top));
  }
  if (right < maxX(frame)) {
    strips.push_back(Rect::make(right, top, maxX(frame) - right, bottom - top));
  }
  return strips;
}

Rect viewOf(const std::vector<Step>& steps) {
  constexpr double kFar = std::numeric_limits<double>::infinity();
  double left = kFar, top = kFar, right = -kFar, bottom = -kFar;
  const auto include = [&](const Rect& r) {
    if (!finite(r)) return;
    left = std::min(left, minX(r));
    top = std::min(top, minY(r));
    right = std::max(right, maxX(r));
    bottom = std::max(bottom, maxY(r));
  };
  for (const Step& step : steps) {
    for (const DrawnScreen& screen : step.scene.screens) include(screen.frame);
    for (const DrawnWindow& window : step.scene.windows) include(window.frame);
    if (step.scene.pointer) include(Rect{step.scene.pointer->at, Size{32, 32}});
  }
  if (left > right) return Rect::make(-kMargin, -kMargin, 1440 + 2 * kMargin, 900 + 2 * kMargin);
  return Rect::make(left - kMargin, top - kMargin, right - left + 2 * kMargin,
                    bottom - top + 2 * kMargin);
}

std::string fitText(std::string_view content, double width, double size) {
  if (textWidth(content, size) <= width) return std::string(content);
  const double room = width / (size * kCharacterWidth) - 1;  // one for the ellipsis
  std::string cut;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < content.size(); ++i) {
    const bool starts = (static_cast<unsigned char>(content[i]) & 0xC0) != 0x80;
    if (starts && static_cast<double>(++kept) > room) break;
    cut += content[i];
  }
  return cut + "\xE2\x80\xA6";
}

std::string drawScene(const Scene& scene, const Rect& view, std::string_view attributes) {
  std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"" + n(view.origin.x) +
                    " " + n(view.origin.y) + " " + n(view.size.width) + " " + n(view.size.height) +
                    "\" ";
  out += attributes;
  out += '>';
  rect(out, view, std::string("fill=\"") + kBackdrop + "\"");
  for (std::size_t i = 0; i < scene.screens.size(); ++i) drawScreen(out, scene.screens[i], i);
  for (const DrawnWindow& window : scene.windows) drawWindow(out, window);
  for (std::size_t i = 0; i < scene.screens.size(); ++i) {
    drawStrips(out, scene.screens[i], i, scene);
  }
  if (scene.changedWindow) drawBefore(out, *scene.changedWindow, scene.before);
  if (scene.pointer) drawPointer(out, *scene.pointer, view);
  out += "</svg>";
  return out;
}

}  // namespace plumora::simtool
