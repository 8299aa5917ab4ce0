#include "page/svg_desktop.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "page/markup_text.hpp"
#include "page/svg_overlays.hpp"
#include "page/svg_shapes.hpp"

namespace plumora::simtool {
namespace {

using namespace svg;  // NOLINT: the drawing's own shapes

constexpr double kMargin = 40;

void drawScreen(std::string& out, const DrawnScreen& screen, std::size_t index) {
  out += "<g data-screen=\"" + std::to_string(index) + "\" data-frame=\"" +
         markupRect(screen.frame) + "\" data-usable=\"" + markupRect(screen.usable) + "\">";
  const Rect frame = standardized(screen.frame);
  text(out, Point{frame.origin.x, frame.origin.y - 10}, kMenuSize, "fill=\"#c9ced6\"",
       "screen " + std::to_string(index));
  rect(out, frame, std::string("fill=\"") + kWallpaper + "\"");
  out += "</g>";
}

// The menu bar and the Dock lie above the windows; a full-screen space shown covers them.
void drawStrips(std::string& out, const DrawnScreen& screen, std::size_t index,
                const Scene& scene) {
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

void drawWindow(std::string& out, const DrawnWindow& window) {
  const Rect frame = standardized(window.frame);
  out += "<g data-window=\"" + escapeMarkup(window.name) + "\" data-app=\"" +
         escapeMarkup(window.app) + "\" data-frame=\"" + markupRect(frame) + "\"";
  if (window.ofFrontmostApp) out += " data-frontmost=\"true\"";
  // A see-through window stays visible enough to be found.
  if (window.alpha < 1) out += " opacity=\"" + n(std::max(window.alpha, 0.3)) + "\"";
  out += '>';
  const double width = frame.size.width;
  {
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
      text(out, Point{frame.origin.x + width / 2, frame.origin.y + 21}, kTitleSize,
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
    drawTitleButtons(out, window, true);
  }
  out += "</g>";
}

// The label on a pale ground, so that it reads over a window as over the wallpaper.
void drawLabel(std::string& out, const Rect& box, std::string_view colour, std::string_view dashes,
               std::string_view content) {
  rect(out, box,
       std::string("rx=\"6\" fill=\"#ffffff\" fill-opacity=\"0.92\" stroke=\"") +
           std::string(colour) + "\" stroke-width=\"2\"" + std::string(dashes));
  text(out, Point{box.origin.x + 10, box.origin.y + kLabelSize + 3}, kLabelSize,
       "fill=\"" + std::string(colour) + "\"", content);
}

Rect labelBox(double left, double top, std::string_view content) {
  return Rect::make(left, top, textWidth(content, kLabelSize) + 20, kLabelSize + 14);
}

void drawBefore(std::string& out, const std::string& window, const Rect& before,
                std::vector<Rect>& taken, const Rect& view) {
  rect(out, before,
       "data-before-of=\"" + escapeMarkup(window) + "\" data-frame=\"" + markupRect(before) +
           "\" fill=\"none\" stroke=\"" + kBefore +
           "\" stroke-width=\"4\" stroke-dasharray=\"14 9\"");
  const Rect s = standardized(before);
  const std::string label = "before";
  const double height = kLabelSize + 14;
  // Above the outline's corner, inside it, below it, then along its bottom edge inside.
  const Rect box = placeLabel(
      {labelBox(minX(s) + 8, minY(s) - height - 6, label),
       labelBox(minX(s) + 10, minY(s) + 10, label), labelBox(minX(s) + 10, maxY(s) + 8, label),
       labelBox(minX(s) + 10, maxY(s) - height - 10, label),
       labelBox(maxX(s) - 100, minY(s) + 10, label)},
      taken, view);
  taken.push_back(box);
  out += "<g data-label=\"before\">";
  drawLabel(out, box, kBefore, "", label);
  out += "</g>";
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

Rect pointerLabel(const DrawnPointer& pointer, const std::vector<Rect>& taken, const Rect& view) {
  const Point p = pointer.at;
  const std::string label = fateText(pointer);
  const double width = textWidth(label, kLabelSize) + 20;
  const double height = kLabelSize + 14;
  return placeLabel(
      {labelBox(p.x + 30, p.y + 22, label), labelBox(p.x - 30 - width, p.y + 22, label),
       labelBox(p.x + 30, p.y + 40, label), labelBox(p.x + 30, p.y - height - 10, label),
       labelBox(p.x - 30 - width, p.y - height - 10, label)},
      taken, view);
}

void drawPointer(std::string& out, const DrawnPointer& pointer, const Rect& box) {
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
    drawLabel(out, box, colour, dashes, fateText(pointer));
  }
  // The arrow, its tip on the point.
  const auto at = [&](double dx, double dy) { return n(p.x + dx) + "," + n(p.y + dy); };
  out += "<path d=\"M" + at(0, 0) + " L" + at(0, 26) + " L" + at(7, 20) + " L" + at(12, 31) + " L" +
         at(16, 29) + " L" + at(11, 19) + " L" + at(20, 19) +
         " Z\" fill=\"#111111\" stroke=\"#ffffff\" stroke-width=\"2\" stroke-linejoin=\"round\"/>";
  out += "</g>";
}

double sharedArea(const Rect& a, const Rect& b) {
  const double w = std::min(maxX(a), maxX(b)) - std::max(minX(a), minX(b));
  const double h = std::min(maxY(a), maxY(b)) - std::max(minY(a), minY(b));
  return w > 0 && h > 0 ? w * h : 0;
}

// The screen most of the view shows; none when it shows none.
std::size_t screenShown(const Scene& scene, const Rect& view) {
  std::size_t shown = scene.screens.size();
  double most = 0;
  for (std::size_t i = 0; i < scene.screens.size(); ++i) {
    const double area = sharedArea(standardized(scene.screens[i].frame), view);
    if (area > most) {
      most = area;
      shown = i;
    }
  }
  return shown;
}

bool containsAll(const Rect& view, const std::vector<DrawnScreen>& screens) {
  return std::all_of(screens.begin(), screens.end(), [&](const DrawnScreen& screen) {
    const Rect s = standardized(screen.frame);
    return minX(s) >= minX(view) && maxX(s) <= maxX(view) && minY(s) >= minY(view) &&
           maxY(s) <= maxY(view);
  });
}

bool holds(const Rect& r, Point p) {
  const Rect s = standardized(r);
  return p.x >= minX(s) && p.x < maxX(s) && p.y >= minY(s) && p.y < maxY(s);
}

// Where a step happens: the pointer of a mouse event or of the user's action, a window that
// changed or got a shortcut; otherwise where the last one happened.
std::optional<Point> placeOfStep(const Step& step) {
  const Scene& scene = step.scene;
  if (scene.pointer && (scene.pointer->mark != DrawnPointer::Mark::None || step.tag == "user")) {
    return scene.pointer->at;
  }
  const std::string* name = scene.changedWindow         ? &*scene.changedWindow
                            : !scene.keysWindow.empty() ? &scene.keysWindow
                                                        : nullptr;
  if (!name) return std::nullopt;
  for (const DrawnWindow& window : scene.windows) {
    if (window.name == *name) return centreOf(window.frame);
  }
  return std::nullopt;
}

}  // namespace

std::vector<Rect> viewsOf(const std::vector<Step>& steps) {
  const Rect all = viewOf(steps);
  const bool several = std::any_of(steps.begin(), steps.end(),
                                   [](const Step& step) { return step.scene.screens.size() > 1; });
  if (!several) return std::vector<Rect>(steps.size(), all);
  std::vector<Rect> views;
  Point at = centreOf(all);
  for (const Step& step : steps) {
    if (const auto placed = placeOfStep(step)) at = *placed;
    const auto& screens = step.scene.screens;
    const auto screen = std::find_if(screens.begin(), screens.end(),
                                     [&](const DrawnScreen& s) { return holds(s.frame, at); });
    if (screens.size() < 2 || screen == screens.end()) {
      // One screen, or a place off every screen: the whole desktop, as a single screen's.
      views.push_back(screens.size() < 2 ? all : viewOf({step}));
      continue;
    }
    const Rect frame = standardized(screen->frame);
    views.push_back(Rect::make(frame.origin.x - kMargin, frame.origin.y - kMargin,
                               frame.size.width + 2 * kMargin,
                               frame.size.height + 1.5 * kMargin + kOverviewHeight));
  }
  return views;
}

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
  for (const DrawnWindow& window : scene.windows) {
    if (!window.fullScreen) drawWindow(out, window);
  }
  for (std::size_t i = 0; i < scene.screens.size(); ++i) {
    drawStrips(out, scene.screens[i], i, scene);
  }
  std::size_t tabs = 0;
  for (const DrawnWindow& window : scene.windows) {
    if (window.fullScreen) drawSpace(out, window, scene.screens, window.spaceShown ? 0 : tabs++);
  }
  if (!scene.keys.empty()) {
    Rect over = scene.screens.empty() ? view : scene.screens.front().frame;
    for (const DrawnWindow& window : scene.windows) {
      if (window.name == scene.keysWindow) over = window.frame;
    }
    drawKeyCaps(out, scene.keys, over);
  }
  std::vector<Rect> taken = textAreasOf(scene);
  // The pointer's arrow is not covered either.
  if (scene.pointer) taken.push_back(Rect{scene.pointer->at, Size{22, 34}});
  const bool marked = scene.pointer && scene.pointer->mark != DrawnPointer::Mark::None;
  const Rect pointerBox = marked ? pointerLabel(*scene.pointer, taken, view) : Rect{};
  if (marked) taken.push_back(pointerBox);
  if (scene.changedWindow) drawBefore(out, *scene.changedWindow, scene.before, taken, view);
  if (scene.pointer) drawPointer(out, *scene.pointer, pointerBox);
  // A drawing of one screen of several shows them all small below it.
  const std::size_t shown = screenShown(scene, view);
  if (shown < scene.screens.size() && !containsAll(view, scene.screens)) {
    drawOverview(out, scene, view, shown);
  }
  out += "</svg>";
  return out;
}

}  // namespace plumora::simtool
