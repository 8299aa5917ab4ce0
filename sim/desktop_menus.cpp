// Menu bars as the accessibility interface shows them, and the system's tiling items in them.
#include <stdexcept>

#include "sim/desktop.hpp"

namespace plumora::sim {

std::vector<MenuSpec> standardMenus(const std::string& appName, bool tiling) {
  auto item = [](std::string title, std::string key = "", std::int64_t modifiers = 0) {
    MenuItemSpec s;
    s.title = std::move(title);
    if (!key.empty()) {
      s.keyEquivalent = std::move(key);
      s.modifiers = modifiers;
    }
    return s;
  };
  MenuSpec window{"Window", {item("Minimize", "M"), item("Zoom")}};
  if (tiling) {
    MenuItemSpec fill = item("Fill", "F", 12);  // fn-Control-F: Control (4) without Command (8)
    fill.identifier = "_zoomFill";
    fill.command = TilingCommand::Fill;
    MenuItemSpec center = item("Center", "C", 12);
    center.identifier = "_zoomCenter";
    MenuItemSpec moveResize = item("Move & Resize");
    for (const char* side : {"Left", "Right", "Top", "Bottom"}) {
      moveResize.submenu.push_back(item(side));
    }
    MenuItemSpec back = item("Return to Previous Size", "R", 12);
    back.identifier = "_zoomUntile";
    back.command = TilingCommand::Restore;
    moveResize.submenu.push_back(back);
    window.items.push_back(fill);
    window.items.push_back(center);
    window.items.push_back(moveResize);
  }
  window.items.push_back(item("Bring All to Front"));
  return {
      MenuSpec{appName,
               {item("About " + appName), item("Settings…", ","), item("Quit " + appName, "Q")}},
      MenuSpec{"File", {item("New", "N"), item("Open…", "O"), item("Close", "W")}},
      MenuSpec{"Edit", {item("Undo", "Z"), item("Copy", "C"), item("Paste", "V")}},
      MenuSpec{"View", {item("Show Toolbar"), item("Enter Full Screen", "f", 4)}},
      window,
      MenuSpec{"Help", {item(appName + " Help", "?")}},
  };
}

NodeId Desktop::buildMenu(SimApp& app, const std::vector<MenuItemSpec>& items,
                          std::vector<MenuItemState*>& states) {
  auto& made = menuNodes_[app.pid];
  const NodeId menu = ax_.addNode(app.pid);
  made.push_back(menu);
  ax_.set(menu, "AXRole", RawValue::string("AXMenu"));
  RawValue::Array children;
  for (const MenuItemSpec& model : items) {
    const NodeId node = ax_.addNode(app.pid);
    made.push_back(node);
    menuItems_.push_back(std::make_unique<MenuItemState>(MenuItemState{&app, model, node, {}}));
    MenuItemState* state = menuItems_.back().get();
    states.push_back(state);
    ax_.set(node, "AXRole", RawValue::string("AXMenuItem"));
    ax_.set(node, "AXTitle", RawValue::string(model.title));
    if (model.identifier) ax_.set(node, "AXIdentifier", RawValue::string(*model.identifier));
    if (model.keyEquivalent) {
      ax_.set(node, "AXMenuItemCmdChar", RawValue::string(*model.keyEquivalent));
    }
    if (model.modifiers)
      ax_.set(node, "AXMenuItemCmdModifiers", RawValue::integer(*model.modifiers));
    ax_.setComputed(node, "AXEnabled", [state] { return RawValue::boolean(state->model.enabled); });
    RawValue::Array submenu;
    if (!model.submenu.empty()) {
      submenu.push_back(
          RawValue::element(ax_.handle(buildMenu(app, model.submenu, state->submenu))));
    }
    ax_.set(node, "AXChildren", RawValue::array(std::move(submenu)));
    ax_.setAction(node, "AXPress", [this, state]() -> AXError {
      if (state->model.pressAnswer) return *state->model.pressAnswer;
      if (!state->model.enabled) return ax::kSuccess;  // a disabled item does nothing
      if (state->model.command == TilingCommand::Fill) fill(*state->app);
      if (state->model.command == TilingCommand::Restore) returnToPreviousSize(*state->app);
      return ax::kSuccess;
    });
    children.push_back(RawValue::element(ax_.handle(node)));
  }
  ax_.set(menu, "AXChildren", RawValue::array(std::move(children)));
  return menu;
}

void Desktop::setMenus(SimApp& app, const std::vector<MenuSpec>& menus) {
  dropMenus(app);
  const NodeId bar = ax_.addNode(app.pid);
  menuNodes_[app.pid].push_back(bar);
  ax_.set(bar, "AXRole", RawValue::string("AXMenuBar"));
  RawValue::Array barItems;
  auto& tree = menuTree_[app.pid];
  tree.clear();
  for (const MenuSpec& menu : menus) {
    const NodeId barItem = ax_.addNode(app.pid);
    menuNodes_[app.pid].push_back(barItem);
    ax_.set(barItem, "AXRole", RawValue::string("AXMenuBarItem"));
    ax_.set(barItem, "AXTitle", RawValue::string(menu.title));
    tree.push_back({menu.title, {}});
    ax_.set(barItem, "AXChildren",
            RawValue::array(
                {RawValue::element(ax_.handle(buildMenu(app, menu.items, tree.back().second)))}));
    barItems.push_back(RawValue::element(ax_.handle(barItem)));
  }
  ax_.set(bar, "AXChildren", RawValue::array(std::move(barItems)));
  app.menuBar = bar;
  ax_.set(app.node, "AXMenuBar", RawValue::element(ax_.handle(bar)));
}

void Desktop::removeMenuBar(SimApp& app) {
  dropMenus(app);
  app.menuBar.reset();
  menuTree_.erase(app.pid);
  ax_.remove(app.node, "AXMenuBar");
}

void Desktop::dropMenus(const SimApp& app) {
  auto made = menuNodes_.find(app.pid);
  if (made == menuNodes_.end()) return;
  // As on the platform, a handle to an element of menus that are gone answers every request
  // with kAXErrorInvalidUIElement.
  for (NodeId node : made->second) ax_.vanish(node);
  menuNodes_.erase(made);
}

MenuItemSpec Desktop::specOf(const MenuItemState& item) const {
  MenuItemSpec spec = item.model;
  spec.submenu.clear();
  for (const MenuItemState* child : item.submenu) spec.submenu.push_back(specOf(*child));
  return spec;
}

void Desktop::rebuildMenus(SimApp& app) {
  auto tree = menuTree_.find(app.pid);
  if (tree == menuTree_.end()) return;
  std::vector<MenuSpec> menus;
  for (const auto& [title, items] : tree->second) {
    MenuSpec menu{title, {}};
    for (const MenuItemState* item : items) menu.items.push_back(specOf(*item));
    menus.push_back(std::move(menu));
  }
  setMenus(app, menus);
}

Desktop::MenuItemState* Desktop::findItem(const SimApp& app, const std::vector<std::string>& path) {
  auto menus = menuTree_.find(app.pid);
  if (menus == menuTree_.end() || path.size() < 2) return nullptr;
  const std::vector<MenuItemState*>* level = nullptr;
  for (const auto& [title, items] : menus->second) {
    if (title == path[0]) level = &items;
  }
  MenuItemState* found = nullptr;
  for (std::size_t i = 1; level && i < path.size(); ++i) {
    found = nullptr;
    for (MenuItemState* item : *level) {
      if (item->model.title == path[i]) found = item;
    }
    if (!found) return nullptr;
    level = &found->submenu;
  }
  return found;
}

std::optional<NodeId> Desktop::menuItem(const SimApp& app, const std::vector<std::string>& path) {
  MenuItemState* item = findItem(app, path);
  return item ? std::optional<NodeId>(item->node) : std::nullopt;
}

void Desktop::setMenuItemEnabled(const SimApp& app, const std::vector<std::string>& path,
                                 bool enabled) {
  MenuItemState* item = findItem(app, path);
  if (!item) throw std::out_of_range("no such menu item");
  item->model.enabled = enabled;
}

void Desktop::setMenuItemAnswer(const SimApp& app, const std::vector<std::string>& path,
                                std::optional<AXError> answer) {
  MenuItemState* item = findItem(app, path);
  if (!item) throw std::out_of_range("no such menu item");
  item->model.pressAnswer = answer;
}

}  // namespace plumora::sim
