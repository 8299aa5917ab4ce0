// The memory of each filled window's frame from before its Fill.
#include <algorithm>
#include <cmath>

#include "accessibility/rect_text.hpp"
#include "fill/fill_action.hpp"

namespace plumora {

std::optional<FillRecord> FillAction::record(const Element& window) const {
  for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
    if (it->window == window) return *it;
  }
  return std::nullopt;
}

void FillAction::remember(const Element& window, Rect before) {
  const double now = context_.now();
  // A Fill repeated at once keeps the frame from before the first one: that is where a restore
  // must go back to.
  Rect kept = before;
  if (const auto previous = record(window);
      previous && now - previous->time < kKeepFirstFrameWithin) {
    kept = previous->before;
  }
  std::erase_if(records_, [&](const FillRecord& r) {
    return r.window == window || now - r.time > kRecordLifetime;
  });
  records_.push_back(FillRecord{window, kept, std::nullopt, now});
  while (records_.size() > kMaxRecords) records_.erase(records_.begin());
  queue_->after(kMeasureAfter, [this, window, now] { measure(window, now); });
}

void FillAction::measure(const Element& window, double time) {
  // The record is named by its window and its exact time: a newer Fill of the window, or a
  // restore, has made this measurement pointless.
  auto it = std::find_if(records_.rbegin(), records_.rend(),
                         [&](const FillRecord& r) { return r.window == window && r.time == time; });
  if (it == records_.rend()) return;
  const auto frame = window.frame();
  // The read may have taken a while, but nothing else runs on this queue meanwhile.
  it->after = frame;
  context_.log.debug([&] { return "Misura dopo Riempi: " + describe(frame); });
  if (frame) learnSteps(window, *frame);
}

void FillAction::learnSteps(const Element& window, Rect filled) {
  // The system filled the window to a screen's usable area, inset by one margin on every side
  // (none without tiled-window margins): the origin shows the margin, the size what the app
  // made of the rest. A window that is not where a Fill puts it teaches nothing.
  for (const Rect& area : visibleFrames()) {
    const double margin = minX(filled) - minX(area);
    if (margin >= 0 && margin <= kScreenEdgeTolerance &&
        std::fabs(minY(filled) - minY(area) - margin) <= 1.0) {
      sizeSteps_.observe(window.pid(), inset(area, margin, margin), filled);
      return;
    }
  }
}

void FillAction::forget(const Element& window) {
  std::erase_if(records_, [&](const FillRecord& r) { return r.window == window; });
}

}  // namespace plumora
