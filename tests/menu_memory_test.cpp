// The tiling items remembered per application: a second run checks them instead of searching,
// and whatever made them stale sends it back to the search with the log lines unchanged.
#include "fill/menu_memory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "fill/fill_action.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const std::vector<std::string> kFillItem{"Window", "Fill"};
const std::vector<std::string> kReturnItem{"Window", "Move & Resize", "Return to Previous Size"};

class MenuMemoryTest : public test::SimFixture {
 protected:
  FillAction fill{context, settings};

  // One click at `time`, run to `until`; the requests it cost.
  std::uint64_t clickAt(double time, double until) {
    mac.dispatch.runUntil(time);
    mac.accessibility.resetRequestCounts();
    fill.perform(clickOn(*window, time));
    mac.dispatch.runUntil(until);
    return mac.accessibility.requests(kEditorPid);
  }
};

// What happens to the app between a first Fill and restore and a second pair, and how the
// second pair presses.
struct Change {
  const char* name;
  std::function<void(sim::SimMac&, sim::SimApp&)> change;
  const char* fillLine;
  const char* restoreLine;
};
const char* const kFilledFromMenu =
    "Riempi dal menu: esito 0, misura prima (200,150 800x600), 0.0 ms";
const char* const kRestoredFromMenu = "Torna alle dimensioni precedenti dal menu: esito 0";
const Change kChanges[] = {
    {"MenusRebuilt", [](sim::SimMac& mac, sim::SimApp& app) { mac.desktop.rebuildMenus(app); },
     kFilledFromMenu, kRestoredFromMenu},
    {"TilingItemsRemoved",
     [](sim::SimMac& mac, sim::SimApp& app) {
       mac.desktop.setMenus(app, sim::standardMenus(app.name, false));
     },
     "Voci di sistema non trovate nei menu dell'app: uso la scorciatoia",
     "Torna alle dimensioni precedenti con la scorciatoia fn ⌃ R"},
    {"ReturnItemGone",
     [](sim::SimMac& mac, sim::SimApp& app) {
       mac.accessibility.vanish(*mac.desktop.menuItem(app, kReturnItem));
     },
     kFilledFromMenu, "Torna alle dimensioni precedenti con la scorciatoia fn ⌃ R"},
    {"FillItemNoLongerFill",
     [](sim::SimMac& mac, sim::SimApp& app) {
       const auto item = *mac.desktop.menuItem(app, kFillItem);
       mac.accessibility.remove(item, "AXIdentifier");
       mac.accessibility.remove(item, "AXMenuItemCmdChar");
     },
     "Voci di sistema non trovate nei menu dell'app: uso la scorciatoia",
     "Torna alle dimensioni precedenti con la scorciatoia fn ⌃ R"},
};

class StaleItemTest : public MenuMemoryTest, public ::testing::WithParamInterface<Change> {};

TEST_P(StaleItemTest, AFailedCheckSearchesTheMenusAgain) {
  const Change& c = GetParam();
  clickAt(0, 1.0);
  clickAt(1.0, 6.0);
  ASSERT_EQ(window->frame, kEditorFrame);
  c.change(mac, *editor);
  clearLines();
  clickAt(6.0, 7.0);
  clickAt(7.0, 12.0);
  const auto log = lines();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0], c.fillLine);
  EXPECT_THAT(log, ::testing::Contains(c.restoreLine));
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_THAT(log, ::testing::Not(::testing::Contains(::testing::HasSubstr("-25202"))));
}
INSTANTIATE_TEST_SUITE_P(BetweenClicks, StaleItemTest, ::testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MenuMemoryTest, ASecondRunChecksTheRememberedItemsInsteadOfSearching) {
  const auto firstFill = clickAt(0, 1.0);
  const auto firstRestore = clickAt(1.0, 6.0);
  clearLines();
  const auto secondFill = clickAt(6.0, 7.0);
  const auto secondRestore = clickAt(7.0, 12.0);
  // The search of the standard menus reads the bar, its items, and the Help and Window menus'
  // entries up to Fill: 10 requests, where the check is 1. The first restore already checks the
  // Fill item; the return item's search reads the Window menu's 6 entries and Move & Resize's 5
  // with both lists: 13 requests, where the check is 1.
  EXPECT_EQ(firstFill - secondFill, 9u);
  EXPECT_EQ(firstRestore - secondRestore, 12u);
  EXPECT_THAT(lines(),
              ElementsAre(kFilledFromMenu, StartsWith("Misura dopo Riempi"), kRestoredFromMenu,
                          StartsWith("Misura di prima rimessa da macOS")));
  EXPECT_THAT(mac.keyboard.posted(), IsEmpty());
}

TEST_F(MenuMemoryTest, EachApplicationHasItsOwnItems) {
  // A second app with the same menus: its run searches its own, and presses its own Fill item.
  sim::SimApp& other = mac.desktop.addApp(777, "Preview", "com.example.Preview");
  mac.desktop.setMenus(other, sim::standardMenus("Preview", true));
  sim::SimWindow& photo = mac.desktop.addWindow(other, Rect::make(100, 100, 500, 400), "Foto");
  clickAt(0, 1.0);
  mac.desktop.activate(other, &photo);
  mac.accessibility.clearJournal();
  fill.perform(clickOn(photo, 2.0));
  mac.dispatch.runUntil(3.0);
  const auto presses = mac.accessibility.performed();
  ASSERT_FALSE(presses.empty());
  EXPECT_EQ(presses.back().node, *mac.desktop.menuItem(other, kFillItem));
  EXPECT_EQ(photo.frame, kUsable);
}

TEST(MenuMemoryBound, TheLeastRecentlySearchedAppGoesFirst) {
  // Forty apps remembered and one more: the first is searched again, the last is checked.
  sim::SimMac mac;
  std::vector<Element> apps;
  for (std::int32_t pid = 1; pid <= static_cast<std::int32_t>(MenuMemory::kMaxApps) + 1; ++pid) {
    sim::SimApp& app = mac.desktop.addApp(pid, "App" + std::to_string(pid));
    mac.desktop.setMenus(app, sim::standardMenus(app.name, true));
    apps.emplace_back(mac.accessibility.handle(app.node));
  }
  MenuMemory memory;
  for (std::int32_t pid = 1; pid <= static_cast<std::int32_t>(apps.size()); ++pid) {
    ASSERT_TRUE(memory.locate(pid, apps[static_cast<std::size_t>(pid - 1)]));
  }
  mac.accessibility.resetRequestCounts();
  memory.locate(static_cast<std::int32_t>(apps.size()), apps.back());
  EXPECT_EQ(mac.accessibility.totalRequests(), 1u);
  mac.accessibility.resetRequestCounts();
  memory.locate(1, apps.front());
  EXPECT_GT(mac.accessibility.totalRequests(), 1u);
}

}  // namespace
}  // namespace plumora
