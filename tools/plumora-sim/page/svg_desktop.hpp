#pragma once

// The desktop of one scene drawn as an SVG element: screens with their menu bar, usable area and
// Dock, windows back to front with their title and title-bar buttons (the green one ringed), the
// pointer with the mouse event of the moment, and a window's frame before a change as a dashed
// outline. Colours are attributes rather than style sheet rules, so that the element looks the
// same inside the page and as a file of its own.
//
// Each drawn thing carries data attributes (data-screen, data-window, data-frame, ...) with its
// values in points, so that a check can read the drawing as data.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/scene.hpp"

namespace plumora::simtool {

// The strips of a screen outside its usable area: the menu bar along the top, and the Dock along
// the bottom, the left or the right edge. None when the usable area reaches that edge.
std::optional<Rect> menuBarOf(const DrawnScreen& screen);
std::vector<Rect> dockOf(const DrawnScreen& screen);

// What every drawing of a run shows: all its screens, windows and pointer positions with a
// margin around them, so that the picture stays put while stepping.
Rect viewOf(const std::vector<Step>& steps);

// What each step's drawing shows. With one screen, viewOf's for every step; with several, the
// screen where the step happens (the pointer's, the changed window's), large enough to read,
// with room below it for an overview of all screens.
std::vector<Rect> viewsOf(const std::vector<Step>& steps);

// `attributes` are written into the <svg> tag as they are (already escaped).
std::string drawScene(const Scene& scene, const Rect& view, std::string_view attributes);

// The text cut to about `width` points at a font size of `size`, ending in "…" when cut.
std::string fitText(std::string_view text, double width, double size);

}  // namespace plumora::simtool
