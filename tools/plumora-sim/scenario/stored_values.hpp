#pragma once

// Values stored in the user defaults as a scenario gives them: what a user's `defaults write`
// may leave there, good or bad.

#include "platform/raw_value.hpp"
#include "scenario/scenario_lines.hpp"

namespace plumora::simtool {

// One entry: a number (42, 1.5), true or false, or a text (any other word, or a quoted one).
RawValue readStoredEntry(Words& words);
// The rest of the line as a list of entries; N*TEXT (unquoted) stands for N texts TEXT1 ... TEXTN.
RawValue readStoredList(Words& words);
// The rest of the line as one value that is no list.
RawValue readStoredValue(Words& words);

}  // namespace plumora::simtool
