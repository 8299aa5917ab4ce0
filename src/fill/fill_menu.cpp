#include "fill/fill_menu.hpp"

#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace plumora::FillMenu {
namespace {

// Read together, one request per menu entry.
constexpr std::array<std::string_view, 3> kEntryAttributes{"AXIdentifier", "AXMenuItemCmdChar",
                                                           "AXMenuItemCmdModifiers"};

// Read together, one request per entry of the restore item's search.
constexpr std::array<std::string_view, 2> kItemAttributes{"AXIdentifier", "AXChildren"};

// Control without Command, Shift or Option, in the accessibility modifier bits
// (1 Shift, 2 Option, 4 Control, 8 no Command).
constexpr std::int64_t kControlOnly = 12;

// "F" or "f" with Control alone: the Fill item's key equivalent.
bool isFillKeyEquivalent(const RawValue& key, const RawValue& modifiers) {
  const auto* text = key.asString();
  if (!text || text->size() != 1 || (*text != "f" && *text != "F")) return false;
  const auto number = modifiers.numeric();
  if (!number || !std::isfinite(*number) || std::fabs(*number) > 9.2e18) return false;
  return (static_cast<std::int64_t>(*number) & 0xF) == kControlOnly;
}

}  // namespace

bool identifierMatches(std::string_view identifier, std::string_view wanted) {
  if (!identifier.empty() && identifier.back() == ':') identifier.remove_suffix(1);
  return identifier == wanted;
}

bool isFillItem(const Element& entry) {
  const auto slots = entry.values(kEntryAttributes);
  const auto* identifier = slots[0].asString();
  return (identifier && identifierMatches(*identifier, fillID)) ||
         isFillKeyEquivalent(slots[1], slots[2]);
}

bool isItem(const Element& entry, std::string_view identifier) {
  const auto id = entry.string("AXIdentifier");
  return id && identifierMatches(*id, identifier);
}

std::optional<Found> locate(const Element& app) {
  const auto menuBar = app.element("AXMenuBar");
  if (!menuBar) return std::nullopt;
  const auto barItems = menuBar->children();
  if (barItems.size() < 2) return std::nullopt;
  // Right to left; the application menu, leftmost, is never searched.
  for (std::size_t i = barItems.size() - 1; i >= 1; --i) {
    const auto menus = barItems[i].children();
    if (menus.empty()) continue;
    const Element& menu = menus.front();
    std::optional<Element> candidate;
    for (const Element& entry : menu.children()) {
      const auto slots = entry.values(kEntryAttributes);
      const auto* identifier = slots[0].asString();
      if (identifier && identifierMatches(*identifier, fillID)) return Found{menu, entry};
      if (!candidate && isFillKeyEquivalent(slots[1], slots[2])) candidate = entry;
    }
    if (candidate) return Found{menu, *candidate};
  }
  return std::nullopt;
}

std::optional<Element> item(std::string_view identifier, const Element& menu, int depth) {
  const auto entries = menu.children();
  // Each entry's submenus, read with its identifier in the same request.
  std::vector<RawValue> submenus;
  submenus.reserve(entries.size());
  for (const Element& entry : entries) {
    auto slots = entry.values(kItemAttributes);
    const auto* id = slots[0].asString();
    if (id && identifierMatches(*id, identifier)) return entry;
    submenus.push_back(std::move(slots[1]));
  }
  if (depth < 1) return std::nullopt;
  for (const RawValue& children : submenus) {
    const auto submenu = axElements(children);
    if (submenu.empty()) continue;
    if (auto found = item(identifier, submenu.front(), depth - 1)) return found;
  }
  return std::nullopt;
}

}  // namespace plumora::FillMenu
