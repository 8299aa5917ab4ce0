#include "invariants.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "interception/interceptor.hpp"

namespace plumora::fuzz {

void fail(std::string_view what) {
  std::fprintf(stderr, "plumora-fuzz: invariant broken: %.*s\n", static_cast<int>(what.size()),
               what.data());
  std::abort();
}

Invariants::Invariants(sim::SimMac& mac) : mac_(mac) {
  mac_.accessibility.onWrite = [this](const sim::SimAccessibility::Written& w) { written(w); };
}

void Invariants::noteFrame(const sim::SimWindow& window) {
  frames_[window.node].push_back(window.frame);
}

std::optional<Rect> Invariants::greenFrame(const sim::SimWindow* window) const {
  if (!window) return std::nullopt;
  return mac_.desktop.buttonFrame(*window, window->zoom);
}

bool Invariants::outsideEveryZone(Point p) const {
  // Both sides of every window, whatever the language: a press outside all of them is outside
  // the zone the program tests, whichever window it finds.
  for (const sim::SimWindow* w : mac_.desktop.windowsFrontToBack()) {
    if (!w->onScreen) continue;
    const Rect& f = w->frame;
    const double dy = p.y - minY(f);
    if (!(dy >= 0 && dy <= Interceptor::kZoneHeight)) continue;
    const double dx = p.x - minX(f);
    const double dr = maxX(f) - p.x;
    if ((dx >= 0 && dx <= Interceptor::kZoneWidth) || (dr >= 0 && dr <= Interceptor::kZoneWidth)) {
      return false;
    }
  }
  return true;
}

TapVerdict Invariants::event(EventTap& tap, EventType type, const TapEvent& event,
                             const TapCallback& handle) {
  // A real tap handles events one at a time.
  require(!current_, "an event reached the tap inside the callback of another");
  const Point at = event.location();
  current_ = Current{type, at};
  const std::uint64_t requestsBefore = mac_.accessibility.totalRequests();
  const sim::SimWindow* under = nullptr;
  std::optional<Rect> greenBefore;
  // Judged on the windows as they are when the press comes: a slow application's answer lets
  // the clock run inside the callback, and a window may move meanwhile.
  const bool outsideZones = type == EventType::LeftMouseDown && outsideEveryZone(at);
  if (type == EventType::LeftMouseDown) {
    under = mac_.desktop.windowAt(at);
    greenBefore = greenFrame(under);
    // A new press ends the previous click, whatever became of it.
    press_ = Press{};
    press_->tap = &tap;
    press_->at = at;
  }

  const TapVerdict verdict = handle(tap, type, event);

  const bool asked = mac_.accessibility.totalRequests() != requestsBefore;
  const bool swallowed = verdict == TapVerdict::Swallow;
  switch (type) {
    case EventType::TapDisabledByTimeout:
    case EventType::TapDisabledByUserInput:
      if (press_) press_->interrupted = true;
      require(!swallowed, "a tap-disabled notice was swallowed");
      break;
    case EventType::LeftMouseDown:
      if (event.flags() & Interceptor::kPassThroughModifiers) {
        require(!asked, "accessibility request for a press with a pass-through modifier");
        require(!swallowed, "a press with a pass-through modifier was swallowed");
      }
      if (outsideZones) {
        require(!asked, "accessibility request for a press outside every button zone");
        require(!swallowed, "a press outside every button zone was swallowed");
      }
      press_->swallowed = swallowed;
      press_->under = under;
      press_->greenBefore = greenBefore;
      press_->greenAfter = greenFrame(under);
      if (swallowed) ++swallowedPresses_;
      break;
    case EventType::LeftMouseDragged:
      require(!asked, "accessibility request for a drag");
      break;
    case EventType::LeftMouseUp: {
      require(!asked, "accessibility request for a release");
      const bool owed = press_ && press_->swallowed && press_->tap == &tap && !press_->interrupted;
      if (owed) require(swallowed, "the release of a swallowed press was let through");
      if (swallowed) require(owed, "a release was swallowed whose press was not");
      // The click is over: a second release belongs to no press.
      press_.reset();
      break;
    }
    default:
      break;
  }
  current_.reset();
  return verdict;
}

void Invariants::performed(const GreenClick& click) {
  require(current_ && current_->type == EventType::LeftMouseUp,
          "a click was performed other than from a release");
  require(press_ && press_->swallowed && !press_->interrupted,
          "a click was performed whose press was not swallowed");
  require(++press_->performs == 1, "one click was performed twice");
  const std::int32_t own = mac_.system.pid;
  require(click.pid != own, "a click was performed for Plumora's own process");
  require(!press_->under || press_->under->pid != own,
          "a click was performed on a window of Plumora's own process");
  // The frame the program read is the green button's, or the fallback square at the press.
  const Rect fallback = Rect::make(press_->at.x - Interceptor::kFallbackSide / 2,
                                   press_->at.y - Interceptor::kFallbackSide / 2,
                                   Interceptor::kFallbackSide, Interceptor::kFallbackSide);
  require(click.buttonFrame == fallback || click.buttonFrame == press_->greenBefore ||
              click.buttonFrame == press_->greenAfter,
          "the clicked button's frame is neither the green button's nor the fallback square");
  const Rect target =
      inset(click.buttonFrame, -Interceptor::kReleaseTolerance, -Interceptor::kReleaseTolerance);
  require(containsPoint(target, current_->at),
          "a click was performed from a release outside its button grown by the tolerance");
}

void Invariants::written(const sim::SimAccessibility::Written& write) {
  auto it = frames_.find(write.node);
  if (it == frames_.end()) return;  // not a window
  const std::vector<Rect>& had = it->second;
  if (write.attribute == "AXPosition") {
    const Point* p = write.value.asPoint();
    require(p && std::any_of(had.begin(), had.end(), [&](const Rect& r) { return r.origin == *p; }),
            "the program wrote a position the window never had");
  } else if (write.attribute == "AXSize") {
    const Size* s = write.value.asSize();
    require(s && std::any_of(had.begin(), had.end(), [&](const Rect& r) { return r.size == *s; }),
            "the program wrote a size the window never had");
  }
}

std::shared_ptr<EventTap> ObservedTaps::create(EventTapLocation location,
                                               EventTapPlacement placement, EventTapOptions options,
                                               std::uint64_t eventsOfInterest,
                                               TapCallback callback) {
  auto tap = taps_.create(
      location, placement, options, eventsOfInterest,
      [this, handle = std::move(callback)](EventTap& t, EventType type, const TapEvent& e) {
        return invariants_.event(t, type, e, handle);
      });
  if (tap) made_.push_back(tap);
  return tap;
}

}  // namespace plumora::fuzz
