#include "run/scenario_runner.hpp"

namespace plumora::simtool {
namespace {

// Where the target is now: a button follows its window.
Point pointOf(const Target& target, sim::SimMac& mac, const World& world) {
  if (!target.window) return target.point;
  sim::SimWindow& window = *world.window(*target.window);
  return mac.desktop.center(window, buttonOf(window, target.button));
}

void mouse(const MouseAction& action, Point at, sim::Desktop& desktop) {
  switch (action.phase) {
    case MousePhase::Click:
      desktop.click(at, action.flags);
      break;
    case MousePhase::Press:
      desktop.mouseDown(at, action.flags);
      break;
    case MousePhase::Drag:
      desktop.mouseDragged(at, action.flags);
      break;
    case MousePhase::Release:
      desktop.mouseUp(at, action.flags);
      break;
  }
}

// A change of the world or a user's action, at its time.
void perform(const Action& action, sim::SimMac& mac, const World& world, Timeline& timeline) {
  sim::Desktop& desktop = mac.desktop;
  if (const auto* m = std::get_if<MouseAction>(&action.what)) {
    const Point at = pointOf(m->target, mac, world);
    timeline.action(action, at);
    timeline.holdWindowChanges(true);
    mouse(*m, at, desktop);
    timeline.holdWindowChanges(false);
    return;
  }
  timeline.action(action, std::nullopt);
  if (const auto* notice = std::get_if<TapDisabled>(&action.what)) {
    desktop.disableTap(notice->reason);
  } else if (const auto* focus = std::get_if<FocusWindow>(&action.what)) {
    if (focus->window.empty()) {
      desktop.activate(*world.app(focus->app));
    } else {
      sim::SimWindow* window = world.window(focus->window);
      desktop.activate(*desktop.app(window->pid), window);
    }
  } else if (const auto* move = std::get_if<MoveWindow>(&action.what)) {
    desktop.setFrame(*world.window(move->window), move->frame);
  } else if (const auto* change = std::get_if<ChangeFullScreen>(&action.what)) {
    desktop.setFullScreen(*world.window(change->window), change->on);
  } else if (const auto* unreadable = std::get_if<MakeUnreadable>(&action.what)) {
    world.window(unreadable->window)->frameReadable = false;
  } else if (const auto* add = std::get_if<AddScreen>(&action.what)) {
    desktop.addScreen(add->screen.frame, add->screen.visible);
  } else if (const auto* remove = std::get_if<RemoveScreen>(&action.what)) {
    desktop.removeScreen(remove->index);
  } else if (const auto* rebuild = std::get_if<RebuildMenus>(&action.what)) {
    desktop.rebuildMenus(*world.app(rebuild->app));
  } else if (const auto* permission = std::get_if<ChangePermission>(&action.what)) {
    desktop.tapNoticeDelay = permission->tapNoticeAfter;
    mac.accessibility.setTrusted(permission->granted);
  }
}

bool isMenuAction(const Action& action) {
  return std::holds_alternative<OpenStatusMenu>(action.what) ||
         std::holds_alternative<ChooseMenuItem>(action.what);
}

// The status menu is the main thread's: opened and chosen from there, never inside a run.
void menuAction(const Action& action, sim::SimMac& mac, CoreApp& core, Timeline& timeline) {
  timeline.action(action, std::nullopt);
  const auto* choice = std::get_if<ChooseMenuItem>(&action.what);
  // The user clicks the status item: its menu opens as the program builds it. A choice in the
  // menu already open takes its items as they are now.
  std::vector<MenuItemModel> items;
  if (mac.statusBar.last) {
    if (!choice || !choice->inOpenMenu) mac.statusBar.last->performClick();
    items = mac.statusBar.last->menu;
  }
  if (!choice || !choice->inOpenMenu) timeline.menu(items);
  if (!choice) return;
  for (const MenuItemModel& item : items) {
    if (item.separator || item.title != choice->title) continue;
    if (item.enabled) {
      core.choose(item.action);
    } else {
      timeline.menuNote("the item is disabled: nothing is chosen");
    }
    return;
  }
  timeline.menuNote("no such item: nothing is chosen");
}

}  // namespace

void runScenario(const Scenario& scenario, sim::SimMac& mac, const World& world, CoreApp& core,
                 Timeline& timeline) {
  const double start = mac.clock.mediaTime();
  for (const Action& action : scenario.actions) {
    if (isMenuAction(action)) {
      mac.dispatch.mainAfter(action.time - start, [&] { menuAction(action, mac, core, timeline); });
      continue;
    }
    mac.clock.at(action.time, [&] { perform(action, mac, world, timeline); });
    // The system's notice of the change reaches the application on its main thread, once that
    // is free.
    if (std::holds_alternative<ChangePermission>(action.what)) {
      mac.dispatch.mainAfter(action.time - start,
                             [&mac] { mac.system.postAccessibilityNotification(); });
    }
  }
  core.launch();
  for (const Action& action : scenario.actions) mac.dispatch.runUntil(action.time);
  mac.dispatch.runUntil(endOf(scenario));
  timeline.end(mac.clock.mediaTime());
}

}  // namespace plumora::simtool
