#pragma once

// The page of a run: one self-contained HTML file (style sheet, script and drawings inline) that
// shows the desktop at every line of the timeline, the lines beside it with the current one
// highlighted, and the expectations at the end. Steps are numbered from 1, as the lines are;
// "page.html#step=12" opens step 12. The same content gives the same bytes.

#include <string>

#include "page/scene.hpp"

namespace plumora::simtool {

std::string writePage(const PageContent& content);

// One step's drawing as an SVG file of its own, `width` pixels wide.
std::string writePicture(const PageContent& content, std::size_t step, int width);

}  // namespace plumora::simtool
