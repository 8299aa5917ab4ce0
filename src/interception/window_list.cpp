#include "interception/window_list.hpp"

#include <limits>

namespace plumora::WindowList {
namespace {

constexpr double kMinimumAlpha = 0.05;

std::optional<std::int64_t> integral(const RawValue* value) {
  if (!value) return std::nullopt;
  if (const auto* n = value->asNumber()) return n->integer;
  if (const auto* b = value->asBool()) return *b ? 1 : 0;
  return std::nullopt;
}

// As the platform makes a rectangle from a bounds dictionary: four numbers.
std::optional<Rect> rectFrom(const RawValue* value) {
  if (!value || !value->asDictionary()) return std::nullopt;
  double v[4];
  const char* keys[4] = {"X", "Y", "Width", "Height"};
  for (int i = 0; i < 4; ++i) {
    const RawValue* item = value->find(keys[i]);
    const auto number = item ? item->numeric() : std::nullopt;
    if (!number) return std::nullopt;
    v[i] = *number;
  }
  return Rect::make(v[0], v[1], v[2], v[3]);
}

}  // namespace

std::optional<Entry> topNormal(WindowServer& windowServer, Point point) {
  const auto list = windowServer.copyWindowList(
      kWindowListOnScreenOnly | kWindowListExcludeDesktopElements, kNullWindowID);
  if (!list) return std::nullopt;
  const auto* windows = list->asArray();
  if (!windows) return std::nullopt;
  for (const RawValue& window : *windows) {
    if (!window.asDictionary()) continue;
    const auto layer = integral(window.find("kCGWindowLayer"));
    if (!layer || *layer != 0) continue;
    const auto bounds = rectFrom(window.find("kCGWindowBounds"));
    if (!bounds || !containsPoint(*bounds, point)) continue;
    if (const RawValue* alpha = window.find("kCGWindowAlpha")) {
      const auto value = alpha->numeric();
      if (value && !(*value >= kMinimumAlpha)) continue;
    }
    const auto pid = integral(window.find("kCGWindowOwnerPID"));
    if (!pid || *pid < std::numeric_limits<std::int32_t>::min() ||
        *pid > std::numeric_limits<std::int32_t>::max()) {
      continue;
    }
    const auto number = integral(window.find("kCGWindowNumber"));
    if (!number || *number < 0 || *number > std::numeric_limits<std::uint32_t>::max()) continue;
    return Entry{static_cast<std::int32_t>(*pid), *bounds, static_cast<std::uint32_t>(*number)};
  }
  return std::nullopt;
}

}  // namespace plumora::WindowList
