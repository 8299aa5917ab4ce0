// Frame comparison, the screens' usable areas, and watching a window come to rest.
#include <cmath>

#include "fill/fill_action.hpp"

namespace plumora {

bool sameFrame(const Rect& a, const Rect& b, double tolerance) {
  // Comparisons with NaN are false, so a NaN anywhere fails.
  return std::fabs(minX(a) - minX(b)) <= tolerance && std::fabs(minY(a) - minY(b)) <= tolerance &&
         std::fabs(width(a) - width(b)) <= tolerance &&
         std::fabs(height(a) - height(b)) <= tolerance;
}

std::vector<Rect> FillAction::visibleFrames() {
  std::vector<Rect> frames;
  context_.platform.dispatch.syncMain([&] {
    const auto screens = context_.platform.system.screens();
    if (screens.empty()) return;
    // The primary screen's bottom-left corner is the origin of the system's screen space.
    const double primaryHeight = height(screens.front().frame);
    for (const Screen& screen : screens) {
      const Rect& v = screen.visibleFrame;
      frames.push_back(Rect::make(minX(v), primaryHeight - maxY(v), width(v), height(v)));
    }
  });
  return frames;
}

bool FillAction::waitForNativeMove(const Element& window, Rect from) {
  constexpr double kPoll = 0.040;
  constexpr double kStillFor = 0.8;
  constexpr double kRestAfter = 0.15;
  constexpr double kLimit = 2.0;
  Clock& clock = context_.platform.clock;
  const double began = clock.mediaTime();
  Rect reference = from;
  bool changed = false;
  double lastChange = 0;
  for (;;) {
    clock.sleep(kPoll);
    const double now = clock.mediaTime();
    const auto frame = window.frame();
    if (!frame) return changed;
    if (sameFrame(*frame, reference, 1.0)) {
      if (!changed && now - began > kStillFor) return false;
      if (changed && now - lastChange > kRestAfter) return true;
    } else {
      // Compare the next poll with the newest frame: the window is still on its way.
      changed = true;
      lastChange = now;
      reference = *frame;
    }
    if (now - began > kLimit) return changed;
  }
}

}  // namespace plumora
