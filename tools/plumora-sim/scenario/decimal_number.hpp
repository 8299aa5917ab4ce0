#pragma once

// Decimal numbers as scenarios write them, read the same way on every system and in every
// locale: an optional "-", digits with at most one ".", at least one digit, then optionally "e" or
// "E", an optional sign and digits ("250", "-0.5", ".5", "5.", "1e-3", "2.5E+2"). Nothing else:
// no "+" in front, no spaces, no hexadecimal, no "inf" or "nan".
//
// The standard library's own conversions will not do: std::from_chars for double is missing from
// the C++ library of the macOS versions the app supports, and strtod and streams follow the
// locale (or, imbued with the classic one, differ between libraries on range errors).

#include <optional>
#include <string_view>

namespace plumora::simtool {

// The double nearest the number (ties to even), or nothing when the text does not follow the
// grammar, or when the number is too large for a double or so small, yet not zero, that it would
// read as 0.
std::optional<double> parseDecimal(std::string_view text);

}  // namespace plumora::simtool
