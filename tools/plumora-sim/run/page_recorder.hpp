#pragma once

// Takes down the desktop at every line of the timeline, for the page that draws the run.

#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "page/scene.hpp"
#include "run/expectations.hpp"
#include "run/step_captions.hpp"
#include "run/timeline.hpp"
#include "scenario/desktop_builder.hpp"
#include "scenario/scenario.hpp"
#include "sim/sim_mac.hpp"

namespace plumora::simtool {

class PageRecorder {
 public:
  // Made once the desktop is built, before anything happens.
  PageRecorder(sim::SimMac& mac, const World& world, std::string_view file,
               const Scenario& scenario);

  void happened(const Happening& happening);
  void finish(const std::vector<ExpectationResult>& results);
  // The run ended early; the page shows it up to there.
  void stopped(std::string_view why);

  // What was taken down, handed over once at the end.
  PageContent take() { return std::move(content_); }

 private:
  Scene scene();
  bool spaceShown(std::uint32_t number, const Rect& frame,
                  const std::vector<DrawnScreen>& screens) const;
  void focusWindow(const sim::SimWindow* window);

  sim::SimMac& mac_;
  const World& world_;
  PageContent content_;
  // Each window's frame as the timeline's lines tell it so far: a change the desktop made during
  // a mouse event shows from its own line on, as in the text.
  std::map<std::uint32_t, Rect> frames_;
  // The same for being on screen and full screen.
  struct Shown {
    bool onScreen;
    bool fullScreen;
  };
  std::map<std::uint32_t, Shown> shown_;
  std::vector<std::uint32_t> order_;  // back to front, as last drawn
  std::optional<Point> pointer_;
  // Full-screen windows, the one brought to the front last at the end: on each screen, the last
  // one there is the space shown over it. Focusing an ordinary window takes its screen's out.
  std::vector<std::uint32_t> spaces_;
  StepCaptions captions_;
};

}  // namespace plumora::simtool
