#include "scenario/scenario.hpp"

#include <algorithm>

namespace plumora::simtool {

const AppSpec* Scenario::app(const std::string& name) const {
  for (const AppSpec& a : apps) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

const WindowSpec* Scenario::window(const std::string& name) const {
  for (const WindowSpec& w : windows) {
    if (w.name == name) return &w;
  }
  return nullptr;
}

namespace {

sim::MenuItemSpec* findItem(std::vector<sim::MenuSpec>& menus, const MenuPath& path) {
  std::vector<sim::MenuItemSpec>* level = nullptr;
  for (sim::MenuSpec& menu : menus) {
    if (menu.title == path.front()) level = &menu.items;
  }
  sim::MenuItemSpec* found = nullptr;
  for (std::size_t i = 1; level && i < path.size(); ++i) {
    found = nullptr;
    for (sim::MenuItemSpec& item : *level) {
      if (item.title == path[i]) found = &item;
    }
    level = found ? &found->submenu : nullptr;
  }
  return found;
}

}  // namespace

std::vector<sim::MenuSpec> menusOf(const AppSpec& app, int* missingItemLine) {
  std::vector<sim::MenuSpec> menus;
  switch (app.menuBar) {
    case MenuBar::StandardWithTiling:
      menus = sim::standardMenus(app.name, true);
      break;
    case MenuBar::StandardWithoutTiling:
      menus = sim::standardMenus(app.name, false);
      break;
    case MenuBar::None:
      break;
    case MenuBar::Custom:
      menus = app.customMenus;
      break;
  }
  for (const ItemChange& change : app.itemChanges) {
    sim::MenuItemSpec* item = change.path.size() < 2 ? nullptr : findItem(menus, change.path);
    if (!item) {
      if (missingItemLine && *missingItemLine == 0) *missingItemLine = change.line;
      continue;
    }
    if (change.enabled) item->enabled = *change.enabled;
    if (change.pressAnswer) item->pressAnswer = change.pressAnswer;
  }
  return menus;
}

double endOf(const Scenario& scenario) {
  if (scenario.end) return *scenario.end;
  double last = 0;
  for (const Action& a : scenario.actions) last = std::max(last, a.time);
  for (const Expectation& e : scenario.expectations) {
    if (const auto* frame = std::get_if<FrameExpectation>(&e.what); frame && frame->at) {
      last = std::max(last, *frame->at);
    }
  }
  return last + kRunOn;
}

}  // namespace plumora::simtool
