#pragma once

// The system's window-tiling items in an application's menus.

#include <optional>
#include <string_view>

#include "accessibility/element.hpp"

namespace plumora::FillMenu {

inline constexpr std::string_view fillID = "_zoomFill";
inline constexpr std::string_view restoreID = "_zoomUntile";

struct Found {
  Element windowMenu;  // the menu that holds the Fill item
  Element fill;
};

// The Fill item, searched in the top-level menus from right to left, leaving out the leftmost
// (the application menu): by identifier, or else by its Control-F key equivalent.
std::optional<Found> locate(const Element& app);
// The first item with the identifier: the menu's own entries first, then each entry's submenu,
// `depth` levels down.
std::optional<Element> item(std::string_view identifier, const Element& menu, int depth = 1);

// Whether an element still is the Fill item (by identifier or key equivalent), or the item with
// the identifier: one request each, to check an item found earlier.
bool isFillItem(const Element& entry);
bool isItem(const Element& entry, std::string_view identifier);

// The identifier rule: one trailing ":" is ignored, case counts.
bool identifierMatches(std::string_view identifier, std::string_view wanted);

}  // namespace plumora::FillMenu
