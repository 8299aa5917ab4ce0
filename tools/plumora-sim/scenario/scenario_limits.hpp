#pragma once

// How far a scenario's values may go: well past anything a real desktop or a real user reaches,
// and short of what would make a run take long. A value past these is a typing mistake (an extra
// digit, an exponent), refused with its line before anything runs. docs/scenarios.md lists them.
//
// The counts are those of a scenario derived from a long recording of a real Mac, where every
// click and every step of every drag anywhere reaches the event tap, and the window list names
// the menu bar's windows too. With them, a run is bounded: at most a day of virtual time; 50 000
// actions take a build with sanitizers some seconds (its page, which draws every window at every
// line, tens of seconds and hundreds of megabytes).

#include <cstddef>
#include <cstdint>

namespace plumora::simtool::limits {

// A scenario is text, written by hand or derived from a recording.
inline constexpr std::size_t kMaxFileBytes = 16 << 20;

// Seconds of virtual time: when something happens, counted from the launch...
inline constexpr double kMaxTime = 86'400;  // a day
// ...and how long something takes: a delay, a latency.
inline constexpr double kMaxDelay = 3'600;  // an hour

// Points. Sixteen of the largest displays side by side are some 100 000 points wide.
inline constexpr double kMaxCoordinate = 100'000;  // either way from the origin
inline constexpr double kMaxLength = 100'000;      // a width, a height, a distance
// Far beyond the few points the system leaves; the simulated Mac ignores a margin its screen cannot
// hold.
inline constexpr double kMaxTilingMargin = 100;

// How many of each.
inline constexpr std::size_t kMaxScreens = 16;  // at any time
inline constexpr std::size_t kMaxApps = 300;
inline constexpr std::size_t kMaxWindows = 1'000;
inline constexpr std::size_t kMaxActions = 100'000;
inline constexpr std::size_t kMaxExpectations = 500;
inline constexpr std::size_t kMaxMenuItems = 1'000;  // in one app's menus, submenus included
inline constexpr int kMaxMenuDepth = 8;              // submenus within submenus
inline constexpr std::int64_t kMaxRepeats = 1'000;   // "times N"

}  // namespace plumora::simtool::limits
