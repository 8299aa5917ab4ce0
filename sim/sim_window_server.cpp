#include "sim/sim_window_server.hpp"

namespace plumora::sim {
namespace {

RawValue boundsDictionary(Rect bounds) {
  return RawValue::dictionary({{"X", RawValue::number(bounds.origin.x)},
                               {"Y", RawValue::number(bounds.origin.y)},
                               {"Width", RawValue::number(bounds.size.width)},
                               {"Height", RawValue::number(bounds.size.height)}});
}

RawValue valueOrNone(const RawValue& entry, std::string_view key) {
  const RawValue* value = entry.find(key);
  return value ? *value : RawValue();
}

}  // namespace

RawValue SimWindowServer::entry(const WindowInfo& info) {
  RawValue::Dictionary d;
  d.emplace_back("kCGWindowLayer", RawValue::integer(info.layer));
  d.emplace_back("kCGWindowBounds", boundsDictionary(info.bounds));
  if (info.alpha) d.emplace_back("kCGWindowAlpha", RawValue::number(*info.alpha));
  d.emplace_back("kCGWindowOwnerPID", RawValue::integer(info.ownerPid));
  d.emplace_back("kCGWindowNumber", RawValue::integer(info.number));
  d.emplace_back("kCGWindowIsOnscreen", RawValue::boolean(info.onScreen));
  return RawValue::dictionary(std::move(d));
}

WindowValues SimWindowServer::valuesOf(const RawValue& entry) {
  return WindowValues{valueOrNone(entry, "kCGWindowLayer"), valueOrNone(entry, "kCGWindowBounds"),
                      valueOrNone(entry, "kCGWindowAlpha"), valueOrNone(entry, "kCGWindowOwnerPID"),
                      valueOrNone(entry, "kCGWindowNumber")};
}

const RawValue& SimWindowServer::boundsOf(std::int64_t number, Rect bounds) {
  auto [cached, made] = bounds_.try_emplace(number, bounds, RawValue());
  if (made || !(cached->second.first == bounds)) {
    cached->second = {bounds, boundsDictionary(bounds)};
  }
  return cached->second.second;
}

void SimWindowServer::walkWindows(std::uint32_t options, std::uint32_t,
                                  FunctionRef<WalkStep(const WindowValues&)> visit) {
  ++calls_;
  lastOptions_ = options;
  lastWalkLength_ = 0;
  if (unavailable) return;
  for (const RawValue& entry : injected) {
    ++lastWalkLength_;
    if (visit(valuesOf(entry)) == WalkStep::Stop) return;
  }
  if (!source) return;
  source([&](const WindowInfo& info) {
    if ((options & kWindowListOnScreenOnly) && !info.onScreen) return WalkStep::Continue;
    ++lastWalkLength_;
    WindowValues values{RawValue::integer(info.layer), boundsOf(info.number, info.bounds),
                        info.alpha ? RawValue::number(*info.alpha) : RawValue(),
                        RawValue::integer(info.ownerPid), RawValue::integer(info.number)};
    return visit(values);
  });
}

}  // namespace plumora::sim
