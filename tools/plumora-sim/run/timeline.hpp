#pragma once

// What the simulator prints: the desktop as the scenario starts, then one line per happening in
// virtual time (the user's actions, the world's changes, what the click watcher decided and
// what reached each application, the program's log lines, shortcuts posted, frames changed),
// then the expectations. Quiet, it prints the log lines only, as the log file has them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "run/expectations.hpp"
#include "scenario/desktop_builder.hpp"
#include "scenario/scenario.hpp"
#include "sim/sim_mac.hpp"

namespace plumora::simtool {

// One line of the timeline with what it is about, for a listener that draws the run.
struct Happening {
  struct FrameChange {
    std::uint32_t window = 0;
    Rect before;
    Rect after;
  };
  double time = 0;
  std::string_view tag;
  std::string_view line;                    // as printed, without its newline
  std::optional<Point> pointer;             // where a mouse action of the scenario lands
  const sim::InputRecord* input = nullptr;  // the event the desktop carried out
  std::optional<FrameChange> frame;
  const sim::SimWindow* window = nullptr;  // a window that entered or left full screen, or closed
  const Action* action = nullptr;          // the scenario's action of a "user" or "world" line
  std::string_view message;                // a log line's message, without its timestamp
  std::string keys;                        // a posted shortcut, as printed: "fn+control+F"
};

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
  // The status menu as it opened: its items in order, "[x]" before a checked one, a disabled one
  // in parentheses; and a word about the choice made in it.
  void menu(const std::vector<MenuItemModel>& items);
  void menuNote(const std::string& text);
  void end(double time);
  // The results, with the failures on `errors` too when quiet.
  void results(std::string_view file, const std::vector<ExpectationResult>& results,
               std::ostream& errors);
  // Told of every line as it comes, printed or not (quiet).
  void listen(std::function<void(const Happening&)> listener) { listener_ = std::move(listener); }

 private:
  void line(double time, std::string_view tag, const std::string& text, Happening about = {});
  // Shortcuts are posted from inside the program's runs: they are printed before whatever is
  // printed next, which comes after them.
  void flushKeys();
  // Frame changes held during a mouse event, printed after it.
  void flushHeld();
  std::string actionText(const Action& action, std::optional<Point> at) const;
  // Windows that entered or left full screen, or closed, since the last look.
  void windowStates(double time);

  std::ostream& out_;
  bool quiet_;
  sim::SimMac& mac_;
  const World& world_;
  std::size_t keysPrinted_ = 0;
  bool holding_ = false;
  struct HeldChange {
    double time;
    std::string text;
    Happening::FrameChange change;
  };
  std::vector<HeldChange> held_;
  std::function<void(const Happening&)> listener_;
  struct WindowState {
    bool fullScreen;
    bool onScreen;
  };
  std::vector<WindowState> states_;  // in the world's order
};

}  // namespace plumora::simtool
