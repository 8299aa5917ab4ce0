#pragma once

// What a desktop drawing puts over the windows: full-screen spaces, the keys of a posted
// shortcut, labels placed where they cover no text, and an overview of every screen when the
// drawing shows one of them.

#include <string>
#include <string_view>
#include <vector>

#include "page/scene.hpp"

namespace plumora::simtool {

// The band below a drawing of one screen that holds the overview of all.
inline constexpr double kOverviewHeight = 220;

// A full-screen window whose space is shown covers its screen, with a title bar that tells its
// title; one whose space is not shown is a tab above its screen, so that it never vanishes.
void drawSpace(std::string& out, const DrawnWindow& window, const std::vector<DrawnScreen>& screens,
               std::size_t tabIndex);

// The close, minimize and green buttons at their places; the green one `ringed`, as on a window
// whose green button Plumora watches (not on a full-screen window's, which it leaves alone).
void drawTitleButtons(std::string& out, const DrawnWindow& window, bool ringed);

// The keys ("fn ⌃ F") as key caps in the middle of `over`, with what posted them.
void drawKeyCaps(std::string& out, std::string_view keys, const Rect& over);

// Where text lies in a scene: menu bars, title bars, labels already placed. A label goes where
// it meets none of them.
std::vector<Rect> textAreasOf(const Scene& scene);

// The first of `candidates` (text boxes) inside `view` that meets none of `taken`; the first
// one when every one does.
Rect placeLabel(const std::vector<Rect>& candidates, const std::vector<Rect>& taken,
                const Rect& view);

// Every screen and window small, in the corner of `view`, the screen `shown` outlined.
void drawOverview(std::string& out, const Scene& scene, const Rect& view, std::size_t shown);

}  // namespace plumora::simtool
