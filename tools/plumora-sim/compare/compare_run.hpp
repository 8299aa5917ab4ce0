#pragma once

// `plumora-sim --compare`: the scenario derived from a recording run on the simulated Mac with
// the recording on, and the two conversations lined up; the differences printed as a table.

#include <ostream>
#include <string_view>

#include "replay/recording_file.hpp"
#include "run/simulation.hpp"

namespace plumora::simtool {

// kAllMet when the simulated Mac answered as the recording did, kExpectationFailed when it did
// not (the table says where), kInternalError when the derived scenario cannot be run.
ExitStatus compareWithSimulator(const Recording& recording, std::string_view file,
                                std::ostream& out, std::ostream& errors);

}  // namespace plumora::simtool
