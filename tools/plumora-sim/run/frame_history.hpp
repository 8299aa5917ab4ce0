#pragma once

// Every frame each window had, with when it got it, so that a frame can be asked for at any
// moment of the run after it is over.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/geometry.hpp"

namespace plumora::simtool {

class FrameHistory {
 public:
  void record(double time, std::uint32_t window, Rect frame) {
    changes_.push_back(Change{time, window, frame});
  }
  // The frame the window had at `time`, changes made at that very moment included.
  std::optional<Rect> at(std::uint32_t window, double time) const {
    std::optional<Rect> frame;
    for (const Change& c : changes_) {
      if (c.window == window && c.time <= time) frame = c.frame;
    }
    return frame;
  }

 private:
  struct Change {
    double time;
    std::uint32_t window;
    Rect frame;
  };
  std::vector<Change> changes_;  // in time order
};

}  // namespace plumora::simtool
