#pragma once

// The part of a comparison's page that lists where the simulated Mac answered otherwise than the
// recording: a heading with the count and the tolerances, and one table row per difference.

#include <string>

#include "page/scene.hpp"

namespace plumora::simtool {

// Appends the section to `out`. Every text is escaped: the recorded values come from a file.
void writeDifferences(std::string& out, const Comparison& comparison);

}  // namespace plumora::simtool
