#pragma once

// What the parts of a derived scenario share: how a rectangle, an application and a window are
// named in it, and the writing of the actions.

#include <cstdint>
#include <map>
#include <string>

#include "compare/recorded_desktop.hpp"

namespace plumora::simtool::derived {

// The scenario's names of the applications, by pid: the name the system gave, where it was read
// and can stand in a scenario as it is (it titles the status menu's item for the frontmost
// application), else one made of the pid.
using AppNames = std::map<std::int32_t, std::string>;
AppNames appNames(const RecordedDesktop& d);
std::string appName(const AppNames& names, std::int32_t pid);
std::string windowName(std::uint32_t number);
std::string rectText(const Rect& r);
// A name or title short enough and free of control characters, to write as it is.
bool writable(const std::string& text);

// The window to focus for an application seen in front: the one the window list showed first,
// or else its first window.
const RecordedWindow* windowInFront(const RecordedDesktop& d, std::int32_t pid,
                                    std::uint32_t number);

// Every action, in time order, as `at T` lines.
void writeActions(std::string& out, const RecordedDesktop& d, const AppNames& names);

}  // namespace plumora::simtool::derived
