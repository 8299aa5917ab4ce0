#pragma once

#include <string>

#include "platform/clock.hpp"

namespace plumora {

// Milliseconds since `start` (a media-clock time) with one decimal and a "." whatever the
// locale, without a unit: log lines append " ms" themselves.
std::string elapsedMs(Clock& clock, double start);

// The same text for a duration given in milliseconds.
std::string formatMilliseconds(double milliseconds);

}  // namespace plumora
