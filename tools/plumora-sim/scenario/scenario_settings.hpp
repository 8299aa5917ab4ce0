#pragma once

// A scenario's `setting` lines: Plumora's own settings as the user left them, and the system's
// (the permission, the languages, the login item, the levels its log keeps).

#include "scenario/scenario.hpp"
#include "scenario/scenario_lines.hpp"

namespace plumora::simtool {

// The words after "setting".
void readSetting(Words& words, Scenario& scenario);

}  // namespace plumora::simtool
