#pragma once

// The window-server port: the list of windows as the window server gives it.

#include <cstdint>
#include <optional>

#include "platform/raw_value.hpp"

namespace plumora {

inline constexpr std::uint32_t kWindowListOnScreenOnly = 1 << 0;
inline constexpr std::uint32_t kWindowListExcludeDesktopElements = 1 << 4;
inline constexpr std::uint32_t kNullWindowID = 0;

class WindowServer {
 public:
  virtual ~WindowServer() = default;

  // The window list, front to back, as raw values (normally an array of dictionaries), or
  // nothing when the window server gives none.
  virtual std::optional<RawValue> copyWindowList(std::uint32_t options,
                                                 std::uint32_t relativeToWindow) = 0;
};

}  // namespace plumora
