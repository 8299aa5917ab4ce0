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

// A text between double quotes, as a scenario reads it back; and whether a text can be written
// so (a scenario holds no control characters, quoted or not).
std::string quoted(const std::string& text);
// A name as a word of its own, quoted where it would not read back as one.
std::string word(const std::string& text);
bool quotable(const std::string& text);

// A number as a scenario writes it, to the microsecond, the same in every locale: 0.07, 255.
std::string decimalText(double value);

}  // namespace plumora::simtool
