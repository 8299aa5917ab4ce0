#include "fill/fill_menu.hpp"

#include <gtest/gtest.h>

#include "sim_fixture.hpp"

namespace plumora {
namespace {

using sim::MenuItemSpec;
using sim::MenuSpec;

MenuItemSpec entry(std::string title, std::optional<std::string> id = {},
                   std::optional<std::string> key = {}, std::optional<std::int64_t> mods = {}) {
  return MenuItemSpec{std::move(title), std::move(id), std::move(key), mods, true, {}, {}, {}};
}

class FillMenuTest : public test::SimFixture {
 protected:
  // Gives the application these menus, after an application menu of its own.
  std::optional<FillMenu::Found> locateWith(std::vector<MenuSpec> menus) {
    menus.insert(menus.begin(), MenuSpec{"TextEdit", {entry("About")}});
    mac.desktop.setMenus(*editor, menus);
    return FillMenu::locate(appElement(*editor));
  }
  std::string title(const Element& e) { return e.string("AXTitle").value_or("?"); }
};

TEST_F(FillMenuTest, IdentifierIgnoresOneTrailingColonButNotCase) {
  EXPECT_TRUE(FillMenu::identifierMatches("_zoomFill", "_zoomFill"));
  EXPECT_TRUE(FillMenu::identifierMatches("_zoomFill:", "_zoomFill"));
  EXPECT_FALSE(FillMenu::identifierMatches("_zoomFill::", "_zoomFill"));
  EXPECT_FALSE(FillMenu::identifierMatches("_zoomfill", "_zoomFill"));
  EXPECT_FALSE(FillMenu::identifierMatches("", "_zoomFill"));
}

// Menus are searched right to left; in a menu an identifier wins over a key equivalent, and the
// first key equivalent is the candidate.
TEST_F(FillMenuTest, TheFillEntryIsFoundByIdentifierOrKeyEquivalent) {
  const MenuItemSpec fill = entry("Fill", "_zoomFill");
  struct Case {
    std::vector<MenuSpec> menus;
    std::size_t index;  // of Fill in its menu
  };
  // clang-format off
  const Case cases[] = {
      {{{"Window", {entry("lower", "_zoomfill"), entry("Fill", "_zoomFill:")}}}, 1},
      {{{"Window", {entry("Control-F", std::nullopt, "F", 12), entry("Other"), fill}}}, 2},
      {{{"Window", {entry("Fill", std::nullopt, "f", 12), entry("Second", std::nullopt, "F", 12)}}}, 0},
      {{{"View", {entry("View fill", "_zoomFill")}}, {"Window", {entry("Fill", std::nullopt, "f", 12)}}}, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    const auto found = locateWith(c.menus);
    ASSERT_TRUE(found) << c.index;
    EXPECT_EQ(title(found->fill), "Fill");
    EXPECT_EQ(title(found->windowMenu.children().at(c.index)), "Fill");
  }
}

TEST_F(FillMenuTest, KeyEquivalentIsControlFWithoutCommand) {
  struct Case {
    std::string key;
    std::int64_t modifiers;
    bool matches;
  };
  for (const Case& c :
       {Case{"f", 12, true}, Case{"F", 12, true}, Case{"f", 28, true}, Case{"f", 4, false},
        Case{"f", 13, false}, Case{"f", 0, false}, Case{"ff", 12, false}, Case{"g", 12, false}}) {
    auto found =
        locateWith({MenuSpec{"Window", {entry("Candidate", std::nullopt, c.key, c.modifiers)}}});
    EXPECT_EQ(found.has_value(), c.matches) << c.key << " " << c.modifiers;
  }
  // Modifiers that are not a number never match.
  MenuItemSpec odd = entry("Odd", std::nullopt, "f");
  mac.desktop.setMenus(*editor, {MenuSpec{"App", {}}, MenuSpec{"Window", {odd}}});
  EXPECT_FALSE(FillMenu::locate(appElement(*editor)));
}

TEST_F(FillMenuTest, ItemLooksAtTheMenuFirstThenDepthLevelsDown) {
  MenuItemSpec deeper = entry("Deeper");
  deeper.submenu = {entry("Deep restore", "_zoomUntile")};
  MenuItemSpec sub = entry("Move & Resize");
  sub.submenu = {entry("Nested restore", "_zoomUntile"), deeper};
  auto found = locateWith({MenuSpec{"Window", {entry("Fill", "_zoomFill"), sub}}});
  ASSERT_TRUE(found);
  const Element& menu = found->windowMenu;
  EXPECT_FALSE(FillMenu::item("_zoomUntile", menu, 0));
  ASSERT_TRUE(FillMenu::item("_zoomUntile", menu, 1));
  EXPECT_EQ(title(*FillMenu::item("_zoomUntile", menu, 1)), "Nested restore");
  EXPECT_FALSE(FillMenu::item("_zoomMissing", menu, 5));

  // A direct entry wins over one in a submenu, whatever their order.
  found = locateWith({MenuSpec{
      "Window", {sub, entry("Fill", "_zoomFill"), entry("Direct restore", "_zoomUntile:")}}});
  ASSERT_TRUE(found);
  EXPECT_EQ(title(*FillMenu::item("_zoomUntile", found->windowMenu, 1)), "Direct restore");

  // Depth 2 reaches a sub-submenu, depth 1 does not.
  sub.submenu = {deeper};
  found = locateWith({MenuSpec{"Window", {entry("Fill", "_zoomFill"), sub}}});
  ASSERT_TRUE(found);
  EXPECT_FALSE(FillMenu::item("_zoomUntile", found->windowMenu, 1));
  EXPECT_TRUE(FillMenu::item("_zoomUntile", found->windowMenu, 2));
}

TEST_F(FillMenuTest, TheRestoreItemSearchReadsEachEntryOnce) {
  MenuItemSpec moveResize = entry("Move & Resize");
  moveResize.submenu = {entry("Left"), entry("Right"), entry("Top"), entry("Bottom"),
                        entry("Return to Previous Size", "_zoomUntile")};
  MenuSpec window{"Window",
                  {entry("Minimize"), entry("Zoom"), entry("Fill", "_zoomFill"),
                   entry("Center", "_zoomCenter"), moveResize}};
  while (window.items.size() < 20) window.items.push_back(entry("Document"));
  auto found = locateWith({window});
  ASSERT_TRUE(found);

  mac.accessibility.resetRequestCounts();
  const auto restore = FillMenu::item("_zoomUntile", found->windowMenu, 1);
  // The menu's entries (1) and one request per entry (20), then the submenu's entries (1) and
  // one request per entry (5): no second request for an entry's submenu.
  EXPECT_EQ(mac.accessibility.requests(kEditorPid), 27u);
  ASSERT_TRUE(restore);
  EXPECT_EQ(title(*restore), "Return to Previous Size");
}

}  // namespace
}  // namespace plumora
