#pragma once

// The program's own objects over the simulated Mac, made as the application makes them: the
// context, the settings, the fill engine, the click watcher and the application shell.

#include <vector>

#include "app/app_controller.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "sim/sim_mac.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"

namespace plumora::simtool {

class CoreApp {
 public:
  // The desktop and the settings must be in place: the click watcher reads the languages as it
  // is made.
  explicit CoreApp(sim::SimMac& mac) : mac_(mac) {
    // As the application delegate does: the status menu asks the shell before it opens.
    mac_.statusBar.menuDelegate = [this] { controller_.menuNeedsUpdate(); };
  }
  CoreApp(const CoreApp&) = delete;
  CoreApp& operator=(const CoreApp&) = delete;

  // Main thread, at the start of the run.
  void launch() { controller_.applicationDidFinishLaunching(); }
  // Main thread: the system's notice that the Accessibility permission changed.
  void permissionChanged() { mac_.system.postAccessibilityNotification(); }
  // Main thread: the user clicks the status item and its menu opens, as the program builds it.
  std::vector<MenuItemModel> openMenu() {
    if (!mac_.statusBar.last) return {};
    mac_.statusBar.last->performClick();
    return mac_.statusBar.last->menu;
  }
  // Main thread: the user chooses an item of the open menu.
  void choose(MenuAction action) { controller_.perform(action); }

 private:
  sim::SimMac& mac_;
  Context context_{mac_.platform};
  Settings settings_{mac_.defaults};
  FillAction fill_{context_, settings_};
  Interceptor interceptor_{context_, [this](const GreenClick& click) { fill_.perform(click); }};
  AppController controller_{context_, settings_, interceptor_, fill_};
};

}  // namespace plumora::simtool
