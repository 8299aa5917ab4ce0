#pragma once

// The window-server port: the windows on screen, front to back, as the window server lists them.

#include <cstdint>

#include "platform/function_ref.hpp"
#include "platform/raw_value.hpp"

namespace plumora {

inline constexpr std::uint32_t kWindowListOnScreenOnly = 1 << 0;
inline constexpr std::uint32_t kWindowListExcludeDesktopElements = 1 << 4;
inline constexpr std::uint32_t kNullWindowID = 0;

// The values of one window's entry that the program reads, each as the window server gives it;
// a value the entry lacks (or an entry that is no dictionary) is RawValue::None.
struct WindowValues {
  RawValue layer;     // "kCGWindowLayer"
  RawValue bounds;    // "kCGWindowBounds", normally a dictionary of X, Y, Width and Height
  RawValue alpha;     // "kCGWindowAlpha"
  RawValue ownerPid;  // "kCGWindowOwnerPID"
  RawValue number;    // "kCGWindowNumber"
};

enum class WalkStep { Continue, Stop };

class WindowServer {
 public:
  virtual ~WindowServer() = default;

  // Hands `visit` the values of each window of the list, front to back, until it answers Stop;
  // nothing when the window server gives no list. Only the windows reached are read.
  virtual void walkWindows(std::uint32_t options, std::uint32_t relativeToWindow,
                           FunctionRef<WalkStep(const WindowValues&)> visit) = 0;
};

}  // namespace plumora
