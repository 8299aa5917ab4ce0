#pragma once

// Which ordinary application window is frontmost under a point, from the window server's list,
// before any accessibility request is made.

#include <cstdint>
#include <optional>

#include "platform/window_server.hpp"

namespace plumora::WindowList {

struct Entry {
  std::int32_t pid;
  Rect bounds;
  std::uint32_t windowID;
};

// The first window, front to back, of layer 0 whose bounds contain the point and whose alpha (when
// given) is at least 0.05, with an integral owner and number. A window whose owner does not fit 32
// signed bits, or whose number does not fit 32 unsigned bits, is not one the program can talk
// to: it is skipped like any other malformed entry. The walk stops at that window.
std::optional<Entry> topNormal(WindowServer& windowServer, Point point);

}  // namespace plumora::WindowList
