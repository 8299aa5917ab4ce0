#pragma once

// The whole program on the simulated Mac: fill engine, click watcher and application shell.

#include "app/app_controller.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "sim_fixture.hpp"

namespace plumora::test {

class AppFixture : public SimFixture {
 protected:
  AppFixture() {
    mac.statusBar.menuDelegate = [this] { app.menuNeedsUpdate(); };
  }

  FillAction fill{context, settings};
  Interceptor interceptor{context, [this](const GreenClick& c) { fill.perform(c); }};
  AppController app{context, settings, interceptor, fill};

  sim::SimStatusItem& item() { return *mac.statusBar.last; }
  std::string symbol() { return item().image ? item().image->name : std::string("(none)"); }
  std::vector<std::string> menuTitles() {
    std::vector<std::string> titles;
    for (const auto& m : item().menu) titles.push_back(m.separator ? "---" : m.title);
    return titles;
  }
  const MenuItemModel& menuItem(MenuAction action) {
    for (const auto& m : item().menu) {
      if (m.action == action) return m;
    }
    throw std::out_of_range("no menu item for that action");
  }
  void launched() {
    app.applicationDidFinishLaunching();
    clearLines();
  }
};

}  // namespace plumora::test
