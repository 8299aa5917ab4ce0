#pragma once

#include <optional>
#include <string>

#include "platform/geometry.hpp"

namespace plumora {

// The one text of a rectangle in log lines: "(x,y wxh)" of the standardised rectangle, each
// number truncated toward zero, or "-" for no rectangle. A coordinate that is not finite or does
// not fit 64 signed bits (the null rectangle's, for one) is written "?".
std::string describe(const std::optional<Rect>& rect);

}  // namespace plumora
