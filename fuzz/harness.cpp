#include "harness.hpp"

#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "app/app_controller.hpp"
#include "case_bytes.hpp"
#include "scenario/desktop_builder.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "invariants.hpp"
#include "sim/sim_mac.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"

namespace plumora::fuzz {
namespace {

constexpr const char* kNoHome = "/nonexistent/plumora-fuzz";

// The program's objects as the application makes them, over the simulated Mac with its taps
// observed.
class Core {
 public:
  Core(sim::SimMac& mac, Invariants& invariants)
      : taps_(mac.eventTaps, invariants),
        platform_{mac.accessibility, mac.clock,    mac.dispatch,     mac.defaults, mac.unifiedLog,
                  mac.system,        mac.keyboard, mac.windowServer, taps_,        mac.loginItem,
                  mac.statusBar},
        invariants_(invariants) {}

  ObservedTaps taps_;
  Platform platform_;
  Invariants& invariants_;
  Context context{platform_};
  Settings settings{platform_.defaults};
  FillAction fill{context, settings};
  Interceptor interceptor{context, [this](const GreenClick& click) {
                            invariants_.performed(click);
                            ++performed;
                            fill.perform(click);
                          }};
  AppController controller{context, settings, interceptor, fill};
  int performed = 0;
};

class Run {
 public:
  Run(const FuzzCase& fuzzCase, const std::filesystem::path& home)
      : case_(fuzzCase), home_(home), invariants_(mac_) {
    // With verbose logging on, the log file goes nowhere: only its absence is checked, and only
    // with verbose logging off.
    world_ = simtool::buildDesktop(case_.desktop, mac_,
                                   case_.desktop.verbose ? kNoHome : home_.string());
    for (const auto& [name, window] : world_.windows()) invariants_.noteFrame(*window);
    mac_.desktop.onFrameChange = [this](const sim::SimWindow& w, Rect) {
      invariants_.noteFrame(w);
    };
    core_ = std::make_unique<Core>(mac_, invariants_);
  }

  void go() {
    const double start = mac_.clock.mediaTime();
    for (const FuzzAction& action : case_.actions) {
      if (std::holds_alternative<TogglePause>(action.what)) {
        // A menu choice, on the main thread.
        mac_.dispatch.mainAfter(action.time - start, [this] { core_->controller.toggleEnabled(); });
        continue;
      }
      mac_.clock.at(action.time, [this, &action] { perform(action); });
      if (std::holds_alternative<simtool::ChangePermission>(action.what)) {
        mac_.dispatch.mainAfter(action.time - start,
                                [this] { mac_.system.postAccessibilityNotification(); });
      }
    }
    core_->controller.applicationDidFinishLaunching();
    afterStep();
    double last = start;
    for (const FuzzAction& action : case_.actions) {
      mac_.dispatch.runUntil(action.time);
      afterStep();
      last = action.time;
    }
    mac_.dispatch.runUntil(last + simtool::kRunOn);
    afterStep();
    settle();
    atRest();
  }

  RunSummary summary() const {
    return RunSummary{invariants_.swallowedPresses(), core_->performed,
                      mac_.unifiedLog.records().size()};
  }

 private:
  sim::SimWindow* window(const std::string& name) const { return world_.window(name); }

  void perform(const FuzzAction& action) {
    sim::Desktop& desktop = mac_.desktop;
    if (const auto* m = std::get_if<simtool::MouseAction>(&action.what)) {
      Point at = m->target.point;
      if (m->target.window) {
        sim::SimWindow* w = window(*m->target.window);
        if (!w) return;
        at = desktop.center(*w, simtool::buttonOf(*w, m->target.button));
      }
      switch (m->phase) {
        case simtool::MousePhase::Click:
          desktop.click(at, m->flags);
          break;
        case simtool::MousePhase::Press:
          desktop.mouseDown(at, m->flags);
          break;
        case simtool::MousePhase::Drag:
          desktop.mouseDragged(at, m->flags);
          break;
        case simtool::MousePhase::Release:
          desktop.mouseUp(at, m->flags);
          break;
      }
    } else if (const auto* notice = std::get_if<simtool::TapDisabled>(&action.what)) {
      desktop.disableTap(notice->reason);
    } else if (const auto* focus = std::get_if<simtool::FocusWindow>(&action.what)) {
      if (sim::SimWindow* w = window(focus->window)) desktop.activate(*desktop.app(w->pid), w);
    } else if (const auto* move = std::get_if<simtool::MoveWindow>(&action.what)) {
      if (sim::SimWindow* w = window(move->window)) desktop.setFrame(*w, move->frame);
    } else if (const auto* unreadable = std::get_if<simtool::MakeUnreadable>(&action.what)) {
      if (sim::SimWindow* w = window(unreadable->window)) w->frameReadable = false;
    } else if (const auto* add = std::get_if<simtool::AddScreen>(&action.what)) {
      desktop.addScreen(add->screen.frame, add->screen.visible);
    } else if (const auto* remove = std::get_if<simtool::RemoveScreen>(&action.what)) {
      if (desktop.screenCount() > 0) desktop.removeScreen(remove->index % desktop.screenCount());
    } else if (std::holds_alternative<RemoveAllScreens>(action.what)) {
      while (desktop.screenCount() > 0) desktop.removeScreen(0);
    } else if (const auto* permission = std::get_if<simtool::ChangePermission>(&action.what)) {
      mac_.accessibility.setTrusted(permission->granted);
    }
  }

  // What must hold at any moment between events.
  void afterStep() {
    require(core_->fill.records().size() <= FillAction::kMaxRecords,
            "more restore records than the limit");
    if (!case_.desktop.verbose) {
      const auto& records = mac_.unifiedLog.records();
      require(std::none_of(records.begin(), records.end(),
                           [](const auto& r) { return r.level == LogLevel::Debug; }),
              "a debug line was written with verbose logging off");
    }
  }

  // Runs on until the program has done nothing for the quiet time; it must get there within
  // its budget.
  void settle() {
    const double deadline = mac_.clock.mediaTime() + kSettleTime +
                            kSettlePerClick * static_cast<double>(invariants_.swallowedPresses());
    auto activity = [this] {
      return mac_.accessibility.totalRequests() + mac_.unifiedLog.records().size();
    };
    std::uint64_t seen = activity();
    double quietSince = mac_.clock.mediaTime();
    while (mac_.clock.mediaTime() - quietSince < kQuietTime) {
      require(mac_.clock.mediaTime() < deadline,
              "the program was still at work after its time budget");
      mac_.dispatch.runFor(kQuietStep);
      afterStep();
      if (activity() != seen) {
        seen = activity();
        quietSince = mac_.clock.mediaTime();
      }
    }
  }

  // With nothing happening, the watcher and the icon agree with the permission and the switch.
  void atRest() {
    const bool trusted = mac_.accessibility.isProcessTrusted(false);
    const bool wanted = trusted && core_->settings.enabled();
    // Watching is what the user would see: a tap the system keeps, enabled, that a press on a
    // green button reaches. The program's own flag is only a claim.
    const auto tap = mac_.eventTaps.live();
    const bool watching = tap && tap->intercepts(EventType::LeftMouseDown);
    require(watching == wanted,
            wanted ? "at rest, the program should watch the clicks but no tap receives a press"
                   : "at rest, a tap receives presses without the permission or while paused");
    require(core_->interceptor.isRunning() == wanted,
            "at rest, the click watcher disagrees with the permission and the pause switch");
    require(core_->controller.trusted() == trusted,
            "at rest, the program's idea of the permission is wrong");
    const sim::SimStatusItem* item = mac_.statusBar.last;
    require(item && item->image, "the status item has no image");
    require((item->image->name == "rectangle.inset.filled") == wanted,
            "at rest, the status icon disagrees with the permission and the pause switch");
    if (!case_.desktop.verbose) {
      std::error_code error;
      require(std::filesystem::is_empty(home_, error) && !error,
              "a log file was written with verbose logging off");
    }
  }

  const FuzzCase& case_;
  std::filesystem::path home_;
  sim::SimMac mac_;
  Invariants invariants_;
  simtool::World world_;
  std::unique_ptr<Core> core_;
};

}  // namespace

RunSummary runCase(const FuzzCase& fuzzCase, const std::filesystem::path& home) {
  RunSummary summary;
  try {
    Run run(fuzzCase, home);
    run.go();
    summary = run.summary();
  } catch (const std::exception& e) {
    fail(std::string("exception: ") + e.what());
  } catch (...) {
    fail("exception of an unknown type");
  }
  // The next case starts with an empty home.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(home, ignored)) {
    std::filesystem::remove_all(entry.path(), ignored);
  }
  return summary;
}

RunSummary runBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& home) {
  return runCase(readCase(bytes), home);
}

}  // namespace plumora::fuzz
