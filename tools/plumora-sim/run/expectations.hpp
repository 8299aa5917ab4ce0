#pragma once

// Checking a scenario's expectations once its run is over.

#include <string>
#include <vector>

#include "run/frame_history.hpp"
#include "scenario/desktop_builder.hpp"
#include "scenario/scenario.hpp"
#include "sim/sim_mac.hpp"

namespace plumora::simtool {

struct ExpectationResult {
  int line = 0;
  bool met = false;
  std::string expected;  // what the line asks for, in words
  std::string seen;      // what the run did instead, when not met
};

std::vector<ExpectationResult> checkExpectations(const Scenario& scenario, sim::SimMac& mac,
                                                 const World& world, const FrameHistory& frames);

}  // namespace plumora::simtool
