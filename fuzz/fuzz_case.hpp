#pragma once

// One fuzz case: a desktop and settings as a scenario gives them, and timed actions, some of
// which scenarios have no words for (the pause switch, every screen removed at once).

#include <variant>
#include <vector>

#include "scenario/scenario.hpp"

namespace plumora::fuzz {

struct TogglePause {};
struct RemoveAllScreens {};

using ActionKind =
    std::variant<simtool::MouseAction, simtool::TapDisabled, simtool::FocusWindow,
                 simtool::MoveWindow, simtool::MakeUnreadable, simtool::AddScreen,
                 simtool::RemoveScreen, simtool::ChangePermission, TogglePause, RemoveAllScreens>;

struct FuzzAction {
  double time = 0;
  ActionKind what;
};

struct FuzzCase {
  // Screens, applications, windows, focus and settings; its actions and expectations are unused.
  simtool::Scenario desktop;
  std::vector<FuzzAction> actions;  // in time order
};

inline constexpr std::size_t kMaxScreens = 3;
inline constexpr std::size_t kMaxApps = 3;
inline constexpr std::size_t kMaxWindows = 6;
inline constexpr std::size_t kMaxActions = 60;
// The system's tiling margins, in points: none to well past what it leaves by default.
inline constexpr std::size_t kMaxTilingMargin = 32;
// Plumora's own process in the simulation, and the first pid of the other applications.
inline constexpr std::int32_t kOwnPid = 900;
inline constexpr std::int32_t kFirstAppPid = 501;

}  // namespace plumora::fuzz
