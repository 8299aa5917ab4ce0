#pragma once

// A scenario's desktop and settings made real on the simulated Mac, and its names kept so that
// actions, the timeline and the expectations can find what they name.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scenario/scenario.hpp"
#include "sim/sim_mac.hpp"

namespace plumora::simtool {

class World {
 public:
  sim::SimApp* app(const std::string& name) const;
  sim::SimWindow* window(const std::string& name) const;
  // The scenario's name of an application or a window; "pid N" or "window N" when unnamed.
  std::string appName(std::int32_t pid) const;
  std::string windowName(std::uint32_t number) const;

  void add(std::string name, sim::SimApp* app) { apps_.emplace_back(std::move(name), app); }
  void add(std::string name, sim::SimWindow* window) {
    windows_.emplace_back(std::move(name), window);
  }
  const std::vector<std::pair<std::string, sim::SimWindow*>>& windows() const { return windows_; }

 private:
  std::vector<std::pair<std::string, sim::SimApp*>> apps_;
  std::vector<std::pair<std::string, sim::SimWindow*>> windows_;
};

sim::TitleButton& buttonOf(sim::SimWindow& window, ButtonKind kind);

// Screens, applications, windows and focus as the scenario starts, and the settings in the
// defaults and the system; `home` is where the program's log file goes.
World buildDesktop(const Scenario& scenario, sim::SimMac& mac, const std::string& home);

}  // namespace plumora::simtool
