#include "fill/menu_memory.hpp"

#include <algorithm>

namespace plumora {

MenuMemory::App* MenuMemory::find(std::int32_t pid) {
  auto it = std::find_if(apps_.begin(), apps_.end(), [&](const App& a) { return a.pid == pid; });
  return it == apps_.end() ? nullptr : &*it;
}

void MenuMemory::forget(std::int32_t pid) {
  std::erase_if(apps_, [&](const App& a) { return a.pid == pid; });
}

std::optional<FillMenu::Found> MenuMemory::locate(std::int32_t pid, const Element& app) {
  if (const App* known = find(pid); known && FillMenu::isFillItem(known->found.fill)) {
    return known->found;
  }
  forget(pid);
  auto found = FillMenu::locate(app);
  if (!found) return std::nullopt;
  apps_.push_back(App{pid, *found, std::nullopt});
  if (apps_.size() > kMaxApps) apps_.erase(apps_.begin());
  return found;
}

std::optional<Element> MenuMemory::restoreItem(std::int32_t pid, const FillMenu::Found& menu) {
  // `menu` is what locate gave this run, so a remembered entry of the pid is the same menu's.
  App* known = find(pid);
  if (known && known->restore && FillMenu::isItem(*known->restore, FillMenu::restoreID)) {
    return known->restore;
  }
  auto item = FillMenu::item(FillMenu::restoreID, menu.windowMenu, 1);
  if (known) known->restore = item;
  return item;
}

}  // namespace plumora
