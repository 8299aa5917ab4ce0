#include "page/svg_overlays.hpp"

#include <algorithm>

#include "page/svg_desktop.hpp"
#include "page/svg_shapes.hpp"

namespace plumora::simtool {
namespace {

using namespace svg;  // NOLINT: the drawing's own shapes

constexpr double kTabWidth = 480;
constexpr double kTabHeight = 26;
constexpr double kCapHeight = 56;
constexpr double kCapSize = 30;

bool inside(const Rect& r, const Rect& view) {
  return minX(r) >= minX(view) && maxX(r) <= maxX(view) && minY(r) >= minY(view) &&
         maxY(r) <= maxY(view);
}

std::string windowAttributes(const DrawnWindow& window, const char* space) {
  std::string out = "<g data-window=\"" + escapeMarkup(window.name) + "\" data-app=\"" +
                    escapeMarkup(window.app) + "\" data-frame=\"" +
                    markupRect(standardized(window.frame)) +
                    "\" data-full-screen=\"true\" data-space=\"" + space + "\"";
  if (window.ofFrontmostApp) out += " data-frontmost=\"true\"";
  return out + ">";
}

}  // namespace

void drawSpace(std::string& out, const DrawnWindow& window, const std::vector<DrawnScreen>& screens,
               std::size_t tabIndex) {
  const Rect frame = standardized(window.frame);
  if (!window.spaceShown) {
    // Above the screen that holds it, after the screen's name.
    Rect screen = frame;
    for (const DrawnScreen& s : screens) {
      if (overlaps(standardized(s.frame), frame)) screen = standardized(s.frame);
    }
    const Rect tab =
        Rect::make(screen.origin.x + 100 + static_cast<double>(tabIndex) * (kTabWidth + 10),
                   screen.origin.y - kTabHeight - 6, kTabWidth, kTabHeight);
    out += windowAttributes(window, "behind");
    rect(out, tab,
         std::string("data-part=\"tab\" rx=\"6\" fill=\"") + kFullScreen +
             "\" stroke=\"#b8bde0\" stroke-width=\"2\"");
    text(out, Point{tab.origin.x + 10, tab.origin.y + 18}, kMenuSize, "fill=\"#ffffff\"",
         fitText(window.title + ": full screen, not in front", kTabWidth - 20, kMenuSize));
    out += "</g>";
    return;
  }
  out += windowAttributes(window, "shown");
  rect(out, frame,
       std::string("data-part=\"frame\" fill=\"") + kFullScreen +
           "\" stroke=\"#b8bde0\" stroke-width=\"3\"");
  // The title bar a full-screen window shows when the pointer reaches the top of the screen.
  Rect bar = frame;
  bar.size.height = std::min(kTitleBarHeight, frame.size.height);
  rect(out, bar, "fill=\"#363a5c\"");
  text(out, Point{frame.origin.x + frame.size.width / 2, frame.origin.y + 21}, kTitleSize,
       "text-anchor=\"middle\" fill=\"#ffffff\"",
       fitText(window.title + " (full screen)", frame.size.width - 2 * 90, kTitleSize));
  const Point middle = centreOf(frame);
  text(out, Point{middle.x, middle.y}, kLabelSize * 1.6, "text-anchor=\"middle\" fill=\"#e8e8f4\"",
       fitText(window.app, frame.size.width - 40, kLabelSize * 1.6));
  text(out, Point{middle.x, middle.y + kLabelSize * 1.8}, kLabelSize,
       "text-anchor=\"middle\" fill=\"#c5c8e6\"",
       fitText("a space of its own over the screen", frame.size.width - 40, kLabelSize));
  drawTitleButtons(out, window, false);
  out += "</g>";
}

void drawTitleButtons(std::string& out, const DrawnWindow& window, bool ringed) {
  circle(out, centreOf(window.close), kButtonRadius,
         std::string("data-button=\"close\" fill=\"") + kClose + "\"");
  circle(out, centreOf(window.minimize), kButtonRadius,
         std::string("data-button=\"minimize\" fill=\"") + kMinimize + "\"");
  circle(out, centreOf(window.green), kButtonRadius,
         std::string("data-button=\"green\" fill=\"") +
             (window.greenEnabled ? kGreen : kGreenDisabled) + "\"");
  if (!ringed) return;
  // The button Plumora gives a new meaning to.
  circle(out, centreOf(window.green), kMarkRadius,
         std::string("data-mark=\"green\" fill=\"none\" stroke-width=\"3\" stroke=\"") +
             kGreenMark + "\"");
}

void drawKeyCaps(std::string& out, std::string_view keys, const Rect& over) {
  std::vector<std::string_view> caps;
  for (std::size_t from = 0; from <= keys.size();) {
    const std::size_t space = std::min(keys.find(' ', from), keys.size());
    if (space > from) caps.push_back(keys.substr(from, space - from));
    from = space + 1;
  }
  std::vector<double> widths;
  double total = 0;
  for (std::string_view cap : caps) {
    widths.push_back(std::max(kCapHeight, textWidth(cap, kCapSize) + 28));
    total += widths.back() + 12;
  }
  const std::string label = "posted by Plumora";
  const double panelWidth = std::max(total + 28, textWidth(label, kLabelSize) + 40);
  const Point middle = centreOf(over);
  // Below the application's name in the window's middle when the window has room for it.
  const double height = kCapHeight + kLabelSize + 48;
  const double below = middle.y + kTitleBarHeight / 2 + 14;
  const double top = below + height <= maxY(standardized(over)) ? below : middle.y - height / 2;
  const Rect panel = Rect::make(middle.x - panelWidth / 2, top, panelWidth, height);
  out += "<g data-keys=\"" + escapeMarkup(keys) + "\">";
  rect(out, panel, "rx=\"12\" fill=\"#1d1d1f\" fill-opacity=\"0.82\"");
  double x = middle.x - (total - 12) / 2;
  for (std::size_t i = 0; i < caps.size(); ++i) {
    const Rect cap = Rect::make(x, panel.origin.y + 14, widths[i], kCapHeight);
    rect(out, cap,
         std::string("data-part=\"key-cap\" rx=\"9\" fill=\"") + kKeyCap + "\" stroke=\"" +
             kKeyCapEdge + "\" stroke-width=\"3\"");
    text(out, Point{x + widths[i] / 2, cap.origin.y + kCapHeight / 2 + kCapSize * 0.36}, kCapSize,
         "text-anchor=\"middle\" font-weight=\"bold\" fill=\"#1d1d1f\"", caps[i]);
    x += widths[i] + 12;
  }
  text(out, Point{middle.x, panel.origin.y + kCapHeight + 14 + kLabelSize + 8}, kLabelSize,
       "text-anchor=\"middle\" fill=\"#ffffff\"", label);
  out += "</g>";
}

std::vector<Rect> textAreasOf(const Scene& scene) {
  std::vector<Rect> areas;
  for (const DrawnScreen& screen : scene.screens) {
    if (const auto bar = menuBarOf(screen)) areas.push_back(*bar);
    const Rect frame = standardized(screen.frame);
    areas.push_back(Rect::make(frame.origin.x, frame.origin.y - 30, 90, 30));  // its name
  }
  for (const DrawnWindow& window : scene.windows) {
    Rect bar = standardized(window.frame);
    if (window.fullScreen && !window.spaceShown) continue;
    // The application's name in the middle.
    const Point middle = centreOf(bar);
    const double width = std::min(textWidth(window.app, kLabelSize * 1.6), bar.size.width);
    areas.push_back(
        Rect::make(middle.x - width / 2, middle.y - kLabelSize * 1.6, width, kLabelSize * 3.6));
    bar.size.height = std::min(kTitleBarHeight, bar.size.height);
    areas.push_back(bar);
  }
  return areas;
}

Rect placeLabel(const std::vector<Rect>& candidates, const std::vector<Rect>& taken,
                const Rect& view) {
  for (const Rect& candidate : candidates) {
    if (!inside(candidate, view)) continue;
    const bool free = std::none_of(taken.begin(), taken.end(),
                                   [&](const Rect& t) { return overlaps(candidate, t); });
    if (free) return candidate;
  }
  return candidates.front();
}

void drawOverview(std::string& out, const Scene& scene, const Rect& view, std::size_t shown) {
  constexpr double kFar = 1e300;
  double left = kFar, top = kFar, right = -kFar, bottom = -kFar;
  for (const DrawnScreen& screen : scene.screens) {
    const Rect f = standardized(screen.frame);
    left = std::min(left, minX(f));
    top = std::min(top, minY(f));
    right = std::max(right, maxX(f));
    bottom = std::max(bottom, maxY(f));
  }
  if (left >= right || top >= bottom) return;
  // The band below the screen drawn, over whatever lies there.
  const Rect band =
      Rect::make(view.origin.x, maxY(view) - kOverviewHeight, view.size.width, kOverviewHeight);
  const Rect area = Rect::make(band.origin.x + 40 + 260, band.origin.y + 20,
                               band.size.width - 80 - 260, band.size.height - 40);
  const double scale =
      std::min(area.size.width / (right - left), area.size.height / (bottom - top));
  const auto small = [&](const Rect& r) {
    const Rect s = standardized(r);
    return Rect::make(area.origin.x + (s.origin.x - left) * scale,
                      area.origin.y + (s.origin.y - top) * scale, s.size.width * scale,
                      s.size.height * scale);
  };
  out += "<g data-overview=\"" + std::to_string(scene.screens.size()) + " screens\">";
  rect(out, band, std::string("fill=\"") + kBackdrop + "\"");
  text(out, Point{band.origin.x + 40, area.origin.y + 30}, kLabelSize, "fill=\"#e0e4ea\"",
       "All " + std::to_string(scene.screens.size()) + " screens:");
  text(out, Point{band.origin.x + 40, area.origin.y + 58}, kMenuSize, "fill=\"#c9ced6\"",
       "the one drawn above");
  text(out, Point{band.origin.x + 40, area.origin.y + 80}, kMenuSize, "fill=\"#c9ced6\"",
       "is outlined in yellow");
  for (std::size_t i = 0; i < scene.screens.size(); ++i) {
    rect(out, small(scene.screens[i].frame), "fill=\"#3c5f86\"");
  }
  for (const DrawnWindow& window : scene.windows) {
    if (window.fullScreen && !window.spaceShown) continue;
    rect(out, small(window.frame),
         std::string("fill=\"") + (window.fullScreen ? kFullScreen : "#d9d6cf") + "\"");
  }
  if (shown < scene.screens.size()) {
    rect(out, small(scene.screens[shown].frame),
         "fill=\"none\" stroke=\"#ffd54f\" stroke-width=\"4\"");
  }
  out += "</g>";
}

}  // namespace plumora::simtool
