#pragma once

// The simulated menu bar extra: the item's image, tooltip and menu as the program last set them,
// and the about panel.

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/status_bar.hpp"

namespace plumora::sim {

class SimSymbolImage : public SymbolImage {
 public:
  explicit SimSymbolImage(std::string name) : name(std::move(name)) {}
  void setTemplate(bool value) override { isTemplate = value; }

  const std::string name;
  bool isTemplate = false;
};

class SimStatusItem : public StatusItem {
 public:
  bool hasButton() override { return button; }
  void setImage(std::shared_ptr<SymbolImage> value) override {
    image = std::static_pointer_cast<SimSymbolImage>(value);
    ++imageSets;
  }
  void setToolTip(std::string_view text) override {
    toolTip = text;
    ++toolTipSets;
  }
  void setMenuItems(const std::vector<MenuItemModel>& items) override {
    menu = items;
    if (menuSet) menuSet(items);
  }
  // A click opens the menu, which first asks its delegate to bring it up to date.
  void performClick() override {
    ++clicks;
    if (menuWillOpen) menuWillOpen();
  }

  bool button = true;
  std::shared_ptr<SimSymbolImage> image;
  int imageSets = 0;
  std::string toolTip;
  int toolTipSets = 0;
  std::vector<MenuItemModel> menu;
  int clicks = 0;
  std::function<void()> menuWillOpen;
  std::function<void(const std::vector<MenuItemModel>&)> menuSet;
};

class SimStatusBar : public StatusBar {
 public:
  std::unique_ptr<StatusItem> makeSquareItem() override {
    auto item = std::make_unique<SimStatusItem>();
    item->button = itemsHaveButtons;
    item->menuWillOpen = menuDelegate;
    item->menuSet = [this](const std::vector<MenuItemModel>& items) { lastMenu = items; };
    last = item.get();
    ++itemsMade;
    return item;
  }
  std::shared_ptr<SymbolImage> symbolImage(std::string_view name,
                                           std::string_view description) override {
    lastDescription = description;
    if (missingSymbols.count(std::string(name))) return nullptr;
    return std::make_shared<SimSymbolImage>(std::string(name));
  }
  void showAboutPanel(std::string_view credits) override { aboutCredits.emplace_back(credits); }

  // What the program's menu delegate does when an item's menu is about to open, as the real
  // program's application delegate forwards it.
  std::function<void()> menuDelegate;
  // The item made last; it lives as long as the program keeps it.
  SimStatusItem* last = nullptr;
  // The menu as the program last set it, kept after its item is gone.
  std::vector<MenuItemModel> lastMenu;
  int itemsMade = 0;
  bool itemsHaveButtons = true;
  std::set<std::string> missingSymbols;
  std::string lastDescription;
  std::vector<std::string> aboutCredits;
};

}  // namespace plumora::sim
