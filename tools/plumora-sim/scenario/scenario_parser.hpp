#pragma once

// Reading a scenario file. The format is described in docs/scenarios.md.

#include <string>
#include <string_view>
#include <variant>

#include "scenario/scenario.hpp"

namespace plumora::simtool {

struct ParseError {
  int line = 0;
  std::string message;
};

// The whole text is read before anything is built, so a bad line anywhere stops the run before
// it starts.
std::variant<Scenario, ParseError> parseScenario(std::string_view text);

// "file:line: message", the form editors and terminals link to.
std::string errorLine(std::string_view file, const ParseError& error);

}  // namespace plumora::simtool
