#pragma once

// The demo run when no scenario is given.

#include <string_view>

namespace plumora::simtool {

inline constexpr std::string_view kBuiltinScenarioName = "built-in demo";
extern const std::string_view kBuiltinScenario;

}  // namespace plumora::simtool
