#include "sim/sim_window_server.hpp"

namespace plumora::sim {

RawValue SimWindowServer::entry(const WindowInfo& info) {
  RawValue::Dictionary d;
  d.emplace_back("kCGWindowLayer", RawValue::integer(info.layer));
  d.emplace_back("kCGWindowBounds",
                 RawValue::dictionary({{"X", RawValue::number(info.bounds.origin.x)},
                                       {"Y", RawValue::number(info.bounds.origin.y)},
                                       {"Width", RawValue::number(info.bounds.size.width)},
                                       {"Height", RawValue::number(info.bounds.size.height)}}));
  if (info.alpha) d.emplace_back("kCGWindowAlpha", RawValue::number(*info.alpha));
  d.emplace_back("kCGWindowOwnerPID", RawValue::integer(info.ownerPid));
  d.emplace_back("kCGWindowNumber", RawValue::integer(info.number));
  d.emplace_back("kCGWindowOwnerName", RawValue::string(info.ownerName));
  if (!info.name.empty()) d.emplace_back("kCGWindowName", RawValue::string(info.name));
  d.emplace_back("kCGWindowIsOnscreen", RawValue::boolean(info.onScreen));
  return RawValue::dictionary(std::move(d));
}

std::optional<RawValue> SimWindowServer::copyWindowList(std::uint32_t options, std::uint32_t) {
  ++calls_;
  lastOptions_ = options;
  if (unavailable) return std::nullopt;
  if (replaceWith) return replaceWith;
  RawValue::Array list = injected;
  if (source) {
    for (const auto& info : source()) {
      if ((options & kWindowListOnScreenOnly) && !info.onScreen) continue;
      list.push_back(entry(info));
    }
  }
  return RawValue::array(std::move(list));
}

}  // namespace plumora::sim
