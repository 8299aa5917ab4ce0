#pragma once

// How far a scenario's values may go: well past anything a real desktop or a real user reaches,
// and short of what would make a run take long. A value past these is a typing mistake (an extra
// digit, an exponent), refused with its line before anything runs. docs/scenarios.md lists them.
//
// With them, a run is bounded: at most a day of virtual time, 200 windows and 500 actions take an
// optimised plumora-sim a fraction of a second (its page, which draws every window at every line,
// some seconds).

#include <cstddef>
#include <cstdint>

namespace plumora::simtool::limits {

// A scenario is text written by hand.
inline constexpr std::size_t kMaxFileBytes = 1 << 20;

// Seconds of virtual time: when something happens, counted from the launch...
inline constexpr double kMaxTime = 86'400;  // a day
// ...and how long something takes: a delay, a latency.
inline constexpr double kMaxDelay = 3'600;  // an hour

// Points. Sixteen of the largest displays side by side are some 100 000 points wide.
inline constexpr double kMaxCoordinate = 100'000;  // either way from the origin
inline constexpr double kMaxLength = 100'000;      // a width, a height, a distance

// How many of each.
inline constexpr std::size_t kMaxScreens = 16;  // at any time
inline constexpr std::size_t kMaxApps = 100;
inline constexpr std::size_t kMaxWindows = 200;
inline constexpr std::size_t kMaxActions = 500;
inline constexpr std::size_t kMaxExpectations = 500;
inline constexpr std::size_t kMaxMenuItems = 1'000;  // in one app's menus, submenus included
inline constexpr int kMaxMenuDepth = 8;              // submenus within submenus
inline constexpr std::int64_t kMaxRepeats = 1'000;   // "times N"

}  // namespace plumora::simtool::limits
