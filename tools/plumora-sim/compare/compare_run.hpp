#pragma once

// `plumora-sim --compare`: the scenario derived from a recording run on the simulated Mac with
// the recording on, and the two conversations lined up; the differences printed as a table.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "compare/conversation_diff.hpp"
#include "replay/recording_file.hpp"
#include "run/simulation.hpp"

namespace plumora::simtool {

struct Measure {
  std::vector<Difference> differences;
  std::optional<std::string> failure;  // why the derived scenario could not be run
};

// The recording against the simulated Mac set up as the recording shows it. With `page`, the
// simulated run is taken down there for drawing, as `plumora-sim --html` draws a scenario's.
Measure measureSimulator(const Recording& recording, PageContent* page = nullptr);

// kAllMet when the simulated Mac answered as the recording did, kExpectationFailed when it did
// not (the table says where), kInternalError when the derived scenario cannot be run. With `page`,
// the page of the simulated run with the table of differences above it.
ExitStatus compareWithSimulator(const Recording& recording, std::string_view file,
                                std::ostream& out, std::ostream& errors,
                                PageContent* page = nullptr);

}  // namespace plumora::simtool
