#pragma once

// The run itself: the scenario's actions scheduled on the virtual clock, the program launched,
// and the simulated Mac run forward through every action to the end.

#include "run/core_app.hpp"
#include "run/timeline.hpp"
#include "scenario/desktop_builder.hpp"
#include "scenario/scenario.hpp"
#include "sim/sim_mac.hpp"

namespace plumora::simtool {

void runScenario(const Scenario& scenario, sim::SimMac& mac, const World& world, CoreApp& core,
                 Timeline& timeline);

}  // namespace plumora::simtool
