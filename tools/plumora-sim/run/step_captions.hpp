#pragma once

// The page's caption of each line of the timeline: what happened and why, in plain English
// ("Plumora swallowed the click on Documento's green button and asked Editor to Fill it."). A
// click's caption is completed by the lines that follow it, once they say what it led to.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "page/log_in_english.hpp"
#include "page/scene.hpp"
#include "run/timeline.hpp"
#include "scenario/desktop_builder.hpp"

namespace plumora::simtool {

class StepCaptions {
 public:
  explicit StepCaptions(const World& world) : world_(world) {}

  // The caption of the line `happening` is about, drawn as `scene`; it may complete the
  // caption of an earlier step of `steps`.
  std::string caption(const Happening& happening, const Scene& scene, std::vector<Step>& steps);

 private:
  std::string ofAction(const Action& action, const Scene& scene);
  std::string ofInput(const sim::InputRecord& input, const Scene& scene, std::size_t step);
  std::string ofLog(std::string_view message, std::vector<Step>& steps);
  std::string ofFrame(const Happening::FrameChange& change, const Scene& scene);

  const World& world_;
  // The swallowed press whose caption waits for what it led to, and the window's application.
  std::optional<std::size_t> press_;
  std::string pressApp_;
  LogMeaning::Outcome lastOutcome_ = LogMeaning::Outcome::None;
  // Each window's frame before its last Fill, by window number.
  std::map<std::uint32_t, Rect> beforeFill_;
  // Why the clicks of the current action pass through, as the log or the action tell it.
  std::string why_;
  // Why a click that is coming is dropped, told before its press's line.
  std::string dropped_;
  bool pressPassed_ = false;
};

// Where a point lies on the drawn desktop: "Documento's green button", "Documento's title
// bar", "the menu bar of screen 0", "the desktop".
std::string placeOf(Point at, const Scene& scene);

}  // namespace plumora::simtool
