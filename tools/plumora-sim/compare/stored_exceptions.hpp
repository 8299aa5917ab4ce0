#pragma once

// The list of applications whose green button keeps its own action, as the user left it in the
// defaults, written back as a scenario's `setting exceptions` line: good or bad, as far as the
// scenario language can say it.

#include <optional>
#include <string>

#include "replay/json_value.hpp"

namespace plumora::simtool {

// The lines for the value the program first read (a recording's `defaults.value`), with a comment
// for what had to be written otherwise; nothing when nothing was stored or it was never read.
std::string storedExceptionsText(const std::optional<JsonValue>& stored);

}  // namespace plumora::simtool
