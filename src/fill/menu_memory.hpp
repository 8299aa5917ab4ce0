#pragma once

// The system's tiling items as last found in each application's menus. A search reads every
// entry of the menus it walks, one request each, which a big app answers slowly; a remembered
// item is checked with one request instead, and searched for again when the check fails: the
// app rebuilt its menus or removed the item (a stale element answers kAXErrorInvalidUIElement),
// or the pid number now belongs to another process.
//
// Fill queue only: owned by FillAction and read and written by its runs alone, so no lock.

#include <cstdint>
#include <optional>
#include <vector>

#include "accessibility/element.hpp"
#include "fill/fill_menu.hpp"

namespace plumora {

class MenuMemory {
 public:
  // Applications remembered at most: the least recently searched goes first (an app that quit
  // is never told).
  static constexpr std::size_t kMaxApps = 40;

  // The app's Fill item and its menu, as FillMenu::locate finds them.
  std::optional<FillMenu::Found> locate(std::int32_t pid, const Element& app);
  // The return to the previous size in the menu of the Fill item that locate has just given for
  // the pid, as FillMenu::item finds it.
  std::optional<Element> restoreItem(std::int32_t pid, const FillMenu::Found& menu);

 private:
  struct App {
    std::int32_t pid;
    FillMenu::Found found;
    std::optional<Element> restore;
  };
  App* find(std::int32_t pid);
  void forget(std::int32_t pid);

  std::vector<App> apps_;  // the most recently searched last
};

}  // namespace plumora
