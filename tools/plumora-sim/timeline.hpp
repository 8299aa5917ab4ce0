#pragma once

// What the simulator prints: the desktop as the scenario starts, then one line per happening in
// virtual time (the user's actions, the world's changes, what the click watcher decided and
// what reached each application, the program's log lines, shortcuts posted, frames changed),
// then the expectations. Quiet, it prints the log lines only, as the log file has them.

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "desktop_builder.hpp"
#include "expectations.hpp"
#include "scenario.hpp"
#include "sim/sim_mac.hpp"

namespace plumora::simtool {

class Timeline {
 public:
  Timeline(std::ostream& out, bool quiet, sim::SimMac& mac, const World& world)
      : out_(out), quiet_(quiet), mac_(mac), world_(world) {}

  void header(std::string_view file, const Scenario& scenario);
  // `at` is where a mouse action lands, worked out when it happens.
  void action(const Action& action, std::optional<Point> at);
  void log(const sim::LogCapture::Record& record);
  // While the desktop carries out a mouse event, its effects on windows are printed after the
  // event itself.
  void holdWindowChanges(bool hold);
  void input(const sim::InputRecord& record);
  void frameChanged(const sim::SimWindow& window, Rect before);
  void end(double time);
  // The results, with the failures on `errors` too when quiet.
  void results(std::string_view file, const std::vector<ExpectationResult>& results,
               std::ostream& errors);

 private:
  void line(double time, std::string_view tag, const std::string& text);
  // Shortcuts are posted from inside the program's runs: they are printed before whatever is
  // printed next, which comes after them.
  void flushKeys();
  std::string actionText(const Action& action, std::optional<Point> at) const;
  // Windows that entered or left full screen, or closed, since the last look.
  void windowStates(double time);

  std::ostream& out_;
  bool quiet_;
  sim::SimMac& mac_;
  const World& world_;
  std::size_t keysPrinted_ = 0;
  bool holding_ = false;
  std::vector<std::pair<double, std::string>> held_;
  struct WindowState {
    bool fullScreen;
    bool onScreen;
  };
  std::vector<WindowState> states_;  // in the world's order
};

}  // namespace plumora::simtool
