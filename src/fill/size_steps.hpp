#pragma once

// What each application has shown of how it sizes its windows. Some take a written size only
// in whole steps, rounding it down (terminals and editors size in character cells), and no
// attribute says so: the accessibility interface has no step, only the frame. So the step is
// learned from what the app did with a size it was asked for, whose answer Plumora sees anyway:
// the system's Fill (measured shortly after) and Plumora's own frame writes. An app that kept
// the origin and took a size short by less than the largest plausible step has rounded; the
// largest shortfall seen so far is the least its step can be, and the tolerances of later
// comparisons for that app grow by it. An app never seen rounding keeps the exact tolerances.
//
// Fill queue only: owned by FillAction and touched by its runs and measurements alone.

#include <cstdint>
#include <vector>

#include "platform/geometry.hpp"

namespace plumora {

class SizeSteps {
 public:
  // Larger than a character cell of any text a terminal is read in; a frame short by more did
  // not round, something else changed it.
  static constexpr double kLargestStep = 48.0;
  // Applications remembered at most: the least recently taught goes first (a pid that ended is
  // never told).
  static constexpr std::size_t kMaxApps = 40;

  // The most the application has been seen to round a size down, per axis; 0 for an app never
  // seen rounding.
  Size rounding(std::int32_t pid) const;
  // The application was asked for `asked` and took `got`. True when that is a rounding down (the
  // origin kept, each side short by less than a step, one of them short at all); then the
  // amount is learned.
  bool observe(std::int32_t pid, Rect asked, Rect got);

 private:
  struct App {
    std::int32_t pid;
    Size rounding;
  };
  std::vector<App> apps_;  // the most recently taught last
};

// `got` lies within `tolerance` of `wanted`, or below it by up to `shortfall` more.
bool withinOrShort(double got, double wanted, double tolerance, double shortfall);
// `got` agrees with `asked` within the tolerance, except that each side may also fall short by
// the rounding: where an app that sizes in steps puts a frame it was asked for.
bool sameFrameRounded(const Rect& got, const Rect& asked, double tolerance, Size rounding);

}  // namespace plumora
