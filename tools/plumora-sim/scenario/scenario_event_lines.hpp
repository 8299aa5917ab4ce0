#pragma once

// The timed lines of a scenario ("at ...") and its expectations ("expect ..."), read word by
// word. They may name only apps and windows declared above them.

#include "scenario/scenario.hpp"
#include "scenario/scenario_lines.hpp"

namespace plumora::simtool {

// The words after "at".
Action readAction(Words& words, const Scenario& declared);
// The words after "expect".
Expectation readExpectation(Words& words, const Scenario& declared);
// "RECT visible RECT".
ScreenSpec readScreenFrames(Words& words);

}  // namespace plumora::simtool
