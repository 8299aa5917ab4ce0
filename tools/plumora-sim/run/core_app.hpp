#pragma once

// The program's own objects over a platform, made as the application makes them: the context,
// the settings, the fill engine, the click watcher and the application shell. The platform is the
// simulated Mac's, a recording of it, or a replay of a recording.

#include <functional>

#include "app/app_controller.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "platform/platform.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"

namespace plumora::simtool {

class CoreApp {
 public:
  // The desktop and the settings must be in place: the click watcher reads the languages as it
  // is made.
  explicit CoreApp(Platform& platform) : platform_(platform) {}
  CoreApp(const CoreApp&) = delete;
  CoreApp& operator=(const CoreApp&) = delete;

  // Main thread, at the start of the run.
  void launch() { controller_.applicationDidFinishLaunching(); }
  // As the application delegate does: the status menu asks the shell before it opens.
  void menuNeedsUpdate() { controller_.menuNeedsUpdate(); }
  // The user chose an item of the status menu; `told` hears of it first, as a recording does.
  void choose(MenuAction action) {
    if (told_) told_(action);
    controller_.perform(action);
  }
  void tellChoices(std::function<void(MenuAction)> told) { told_ = std::move(told); }

 private:
  Platform& platform_;
  Context context_{platform_};
  Settings settings_{platform_.defaults};
  FillAction fill_{context_, settings_};
  Interceptor interceptor_{context_, [this](const GreenClick& click) { fill_.perform(click); }};
  AppController controller_{context_, settings_, interceptor_, fill_};
  std::function<void(MenuAction)> told_;
};

}  // namespace plumora::simtool
