#pragma once

// An application that sizes its windows in whole steps and keeps a least size, as the recording
// shows it: each size the system or the program asked of one of its windows, beside the size
// the window took. Every size taken after rounding down is a whole number of steps and the
// rounding is less than a step, so the greatest common divisor of the sizes taken rounds every
// asked size seen exactly as the application did.

#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.hpp"

namespace plumora::simtool {

struct RecordedSizing {
  Size asked;
  Size taken;
};

struct SizeRule {
  std::optional<Size> step;     // when some size was rounded down
  std::optional<Size> minimum;  // when some size came out larger than asked
};

SizeRule sizeRule(const std::vector<RecordedSizing>& sizings);

// Whether `taken` is `asked` as such an application takes it: the same top-left corner, each
// side rounded down by less than its length or raised to a least size.
bool takenInSteps(const Rect& asked, const Rect& taken);

// The scenario lines for the rule, with a comment saying what they come from; empty without one.
std::string sizeRuleText(const std::vector<RecordedSizing>& sizings);

}  // namespace plumora::simtool
