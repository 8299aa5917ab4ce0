#pragma once

// A scenario that rebuilds a recorded desktop on the simulated Mac: what the recording shows is
// written in the scenario language, and what it cannot tell is said in a comment, leaving the
// simulator's default.

#include <string>

#include "compare/recorded_desktop.hpp"
#include "replay/recording_file.hpp"

namespace plumora::simtool {

std::string derivedScenario(const Recording& recording);
std::string derivedScenario(const RecordedDesktop& desktop);

// A number as a scenario writes it, to the microsecond, the same in every locale: 0.07, 255.
std::string decimalText(double value);

}  // namespace plumora::simtool
