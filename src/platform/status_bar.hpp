#pragma once

// The status-bar port: the menu-bar item with its image, tooltip and menu, and the about panel.
// Main thread only. The menu's items are rebuilt by the core, from a model, each time the
// platform is about to open it; choosing an item calls back into the core with its action.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plumora {

enum class MenuAction {
  None,
  ToggleEnabled,
  ToggleRestore,
  ToggleLogin,
  ToggleException,  // the frontmost application's green button: normal, or Fill
  OpenAccessibilitySettings,
  ShowAbout,
  Quit,
  ToggleRecording,
};

struct MenuItemModel {
  bool separator = false;
  std::string title;
  MenuAction action = MenuAction::None;
  bool enabled = true;
  bool checked = false;
  std::string keyEquivalent;

  static MenuItemModel separatorItem() {
    MenuItemModel item;
    item.separator = true;
    return item;
  }
};

class SymbolImage {
 public:
  virtual ~SymbolImage() = default;
  virtual void setTemplate(bool isTemplate) = 0;
};

class StatusItem {
 public:
  virtual ~StatusItem() = default;

  virtual bool hasButton() = 0;
  virtual void setImage(std::shared_ptr<SymbolImage> image) = 0;  // null: no image
  virtual void setToolTip(std::string_view toolTip) = 0;
  virtual void setMenuItems(const std::vector<MenuItemModel>& items) = 0;
  // Clicks the item's button, which opens its menu.
  virtual void performClick() = 0;
};

class StatusBar {
 public:
  virtual ~StatusBar() = default;

  // A square item with an empty menu; destroying it removes it from the menu bar.
  virtual std::unique_ptr<StatusItem> makeSquareItem() = 0;
  // Null when the system has no symbol of that name.
  virtual std::shared_ptr<SymbolImage> symbolImage(std::string_view name,
                                                   std::string_view accessibilityDescription) = 0;
  // Brings the application forward and shows the standard about panel with these credits
  // (centred, in the small system font and the label colour).
  virtual void showAboutPanel(std::string_view credits) = 0;
};

}  // namespace plumora
