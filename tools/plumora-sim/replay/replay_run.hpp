#pragma once

// `plumora-sim --replay`: the program run against a recording. Its requests are answered from
// the file and the recorded events reach it at their recorded times; the run is printed as a
// timeline, and the first request the file cannot answer stops it.

#include <ostream>
#include <string_view>

#include "page/scene.hpp"
#include "replay/recording_file.hpp"
#include "run/simulation.hpp"

namespace plumora::simtool {

// kAllMet when every request was answered from the file and the log lines are the recorded
// ones; kExpectationFailed at a divergence, reported on `errors`.
// With `page`, the desktop as far as the recording shows it is taken down at every line.
ExitStatus replay(const Recording& recording, std::string_view file, bool quiet, std::ostream& out,
                  std::ostream& errors, PageContent* page = nullptr);

}  // namespace plumora::simtool
