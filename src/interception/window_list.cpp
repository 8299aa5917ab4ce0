#include "interception/window_list.hpp"

#include <limits>

namespace plumora::WindowList {
namespace {

constexpr double kMinimumAlpha = 0.05;

std::optional<std::int64_t> integral(const RawValue& value) {
  if (const auto* n = value.asNumber()) return n->integer;
  if (const auto* b = value.asBool()) return *b ? 1 : 0;
  return std::nullopt;
}

// As the platform makes a rectangle from a bounds dictionary: four numbers.
std::optional<Rect> rectFrom(const RawValue& value) {
  if (!value.asDictionary()) return std::nullopt;
  double v[4];
  const char* keys[4] = {"X", "Y", "Width", "Height"};
  for (int i = 0; i < 4; ++i) {
    const RawValue* item = value.find(keys[i]);
    const auto number = item ? item->numeric() : std::nullopt;
    if (!number) return std::nullopt;
    v[i] = *number;
  }
  return Rect::make(v[0], v[1], v[2], v[3]);
}

// The window's entry when it is an ordinary window under the point.
std::optional<Entry> normalUnder(const WindowValues& window, Point point) {
  const auto layer = integral(window.layer);
  if (!layer || *layer != 0) return std::nullopt;
  const auto bounds = rectFrom(window.bounds);
  if (!bounds || !containsPoint(*bounds, point)) return std::nullopt;
  if (!window.alpha.isNone()) {
    const auto value = window.alpha.numeric();
    if (value && !(*value >= kMinimumAlpha)) return std::nullopt;
  }
  const auto pid = integral(window.ownerPid);
  if (!pid || *pid < std::numeric_limits<std::int32_t>::min() ||
      *pid > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  const auto number = integral(window.number);
  if (!number || *number < 0 || *number > std::numeric_limits<std::uint32_t>::max()) {
    return std::nullopt;
  }
  return Entry{static_cast<std::int32_t>(*pid), *bounds, static_cast<std::uint32_t>(*number)};
}

}  // namespace

std::optional<Entry> topNormal(WindowServer& windowServer, Point point) {
  std::optional<Entry> found;
  windowServer.walkWindows(kWindowListOnScreenOnly | kWindowListExcludeDesktopElements,
                           kNullWindowID, [&](const WindowValues& window) {
                             found = normalUnder(window, point);
                             return found ? WalkStep::Stop : WalkStep::Continue;
                           });
  return found;
}

}  // namespace plumora::WindowList
