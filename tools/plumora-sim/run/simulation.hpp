#pragma once

// One scenario from start to finish: the desktop built, the program launched over it, the run
// printed, and the expectations checked.

#include <ostream>
#include <string_view>

#include "page/scene.hpp"
#include "scenario/scenario.hpp"

namespace plumora::simtool {

enum ExitStatus : int {
  kAllMet = 0,
  kExpectationFailed = 1,
  kBadInput = 2,
  kInternalError = 3,
};

// `file` names the scenario in the output. With `page`, the desktop at every line of the
// timeline is taken down there too, for drawing. With `recording`, the program runs over the
// recording ports and the recording's lines are left there.
ExitStatus simulate(const Scenario& scenario, std::string_view file, bool quiet, std::ostream& out,
                    std::ostream& errors, PageContent* page = nullptr,
                    std::string* recording = nullptr);

}  // namespace plumora::simtool
