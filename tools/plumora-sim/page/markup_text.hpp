#pragma once

// Numbers and text as the page writes them: the same bytes in every locale and on every
// platform, and text that is safe inside an element or an attribute of HTML and of XML.

#include <string>
#include <string_view>

#include "platform/geometry.hpp"

namespace plumora::simtool {

// A coordinate to the hundredth, without trailing zeros: "255", "250.5", "-0.25". Rounded half
// away from zero by integer arithmetic, so no locale's decimal separator can reach the page. A
// value that is not finite, or too large to matter on any screen, is written "0".
std::string markupNumber(double value);

// Seconds to the millisecond, always with three decimals: "1.100".
std::string markupSeconds(double seconds);

// A rectangle as the page's data attributes give it: "x,y wxh" of the standardised rectangle.
std::string markupRect(const Rect& rect);

// Text with &, <, >, " and ' escaped. Bytes that are not valid UTF-8, and control characters
// other than tab and newline (which XML refuses), become U+FFFD.
std::string escapeMarkup(std::string_view text);

}  // namespace plumora::simtool
