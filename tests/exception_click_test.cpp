// Exceptions end to end on the simulated Mac: a green click on an excepted application's window
// reaches it untouched, the status menu's item for the frontmost application, the stored list
// across a relaunch and its bad values.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_controller.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr Point kGreen{255, 164};  // the editor's green button
const std::string kLaunch = "Plumora 1.0 avviato su macOS Version 15.2 (Build 24C101), eccezioni: ";
const std::string kPassed =
    "Eccezione com.example.TextEdit: il tasto verde fa la sua azione normale";
const std::string kNoted = "Tasto verde fermato (pid 501) in 0.0 ms";

// One process of the program over the simulated Mac, as the application makes it.
struct Program {
  explicit Program(sim::SimMac& mac) : context(mac.platform), settings(mac.defaults) {
    mac.statusBar.menuDelegate = [this] { app.menuNeedsUpdate(); };
  }
  Context context;
  Settings settings;
  FillAction fill{context, settings};
  Interceptor interceptor{context, [this](const GreenClick& c) { fill.perform(c); }};
  AppController app{context, settings, interceptor, fill};
};

class ExceptionTest : public test::SimFixture {
 protected:
  Program program{mac};
  AppController& app = program.app;

  void store(std::vector<std::string> ids) { mac.defaults.setStrings(ExceptionList::kKey, ids); }
  std::vector<std::string> stored() {
    std::vector<std::string> ids;
    const RawValue value = mac.defaults.valueForKey(ExceptionList::kKey);
    if (value.asArray()) {
      for (const RawValue& v : *value.asArray()) ids.push_back(v.asString() ? *v.asString() : "?");
    }
    return ids;
  }
  void launched() {
    app.applicationDidFinishLaunching();
    clearLines();
  }
  // Opens the status menu and gives its item for the frontmost application, if any.
  std::optional<MenuItemModel> openMenu() {
    mac.statusBar.last->performClick();
    for (const MenuItemModel& m : mac.statusBar.last->menu) {
      if (m.action == MenuAction::ToggleException) return m;
    }
    return std::nullopt;
  }
  void choose() {
    ASSERT_TRUE(openMenu());
    app.perform(MenuAction::ToggleException);
  }
  // A click on the editor's green button; what reached the editor.
  std::vector<EventType> click() {
    editor->received.clear();
    mac.desktop.click(kGreen);
    std::vector<EventType> types;
    for (const sim::ReceivedEvent& e : editor->received) types.push_back(e.type);
    return types;
  }
};

// The check comes after the press is known to be on a green button, and asks nothing more.
struct ClickRow {
  const char* name;
  std::vector<std::string> exceptions;
  std::optional<std::string> editorBundle;  // set: the editor's bundle identifier instead
  bool passes;
  std::uint64_t requests;  // made of the editor for the press
};

class ExceptionClickTest : public ExceptionTest, public ::testing::WithParamInterface<ClickRow> {};

TEST_P(ExceptionClickTest, PassesUntouchedOnlyForAnException) {
  const ClickRow& row = GetParam();
  store(row.exceptions);
  if (row.editorBundle) mac.system.running[kEditorPid] = *row.editorBundle;
  launched();
  mac.accessibility.resetRequestCounts();
  mac.desktop.mouseDown(kGreen);
  EXPECT_EQ(mac.accessibility.requests(kEditorPid), row.requests);
  mac.desktop.mouseUp(kGreen);
  mac.dispatch.runFor(2);
  if (row.passes) {
    EXPECT_THAT(editor->received, testing::SizeIs(2));
    EXPECT_TRUE(window->fullScreen);
    EXPECT_EQ(lines(), std::vector<std::string>{kPassed});
  } else {
    EXPECT_THAT(editor->received, IsEmpty());
    EXPECT_EQ(window->frame, kUsable);
    EXPECT_EQ(lines().at(0), kNoted);
  }
}

const ClickRow kClickRows[] = {
    {"NoExceptions", {}, std::nullopt, false, 4},
    {"TheEditor", {"com.example.TextEdit"}, std::nullopt, true, 2},
    {"TheEditorInOtherLetters", {"org.x.Y", "COM.EXAMPLE.textedit"}, std::nullopt, true, 2},
    {"AnotherApp", {"com.example.Finder"}, std::nullopt, false, 4},
    {"APrefixOfTheEditor", {"com.example.Text"}, std::nullopt, false, 4},
    {"AnEditorWithoutBundleIdentifier", {"com.example.TextEdit"}, "", false, 4},
};
INSTANTIATE_TEST_SUITE_P(Lists, ExceptionClickTest, ::testing::ValuesIn(kClickRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExceptionTest, AModifierStillPassesWithoutAQuestion) {
  store({"com.example.TextEdit"});
  launched();
  mac.accessibility.resetRequestCounts();
  mac.desktop.click(kGreen, 0x80000);  // Option: zoom
  EXPECT_EQ(mac.accessibility.totalRequests(), 0u);
  EXPECT_EQ(window->frame, kUsable);
  EXPECT_THAT(lines(), IsEmpty());
}

// The item names the frontmost application; it is there only when that is another program.
struct ItemRow {
  const char* name;
  const char* language;
  std::vector<std::string> exceptions;
  std::function<void(sim::SimMac&)> front;
  std::optional<std::string> title;  // none: no item
  bool enabled, checked;
};

class ExceptionItemTest : public ExceptionTest, public ::testing::WithParamInterface<ItemRow> {};

TEST_P(ExceptionItemTest, ShowsTheFrontmostApplication) {
  const ItemRow& row = GetParam();
  mac.system.languages = {row.language};
  store(row.exceptions);
  if (row.front) row.front(mac);
  launched();
  const auto item = openMenu();
  ASSERT_EQ(item.has_value(), row.title.has_value());
  if (!item) return;
  EXPECT_EQ(item->title, *row.title);
  EXPECT_EQ(item->enabled, row.enabled);
  EXPECT_EQ(item->checked, row.checked);
  // The menu's other switches are untouched by it; the item has its own group.
  const auto& menu = mac.statusBar.last->menu;
  EXPECT_TRUE(menu.at(menu.size() - 3).separator);
  EXPECT_EQ(menu.at(menu.size() - 4).action, MenuAction::ToggleException);
}

const auto kNoBundle = [](sim::SimMac& mac) { mac.system.running[501] = ""; };
const auto kNoName = [](sim::SimMac& mac) { mac.system.names.erase(501); };
const auto kNeither = [](sim::SimMac& mac) {
  mac.system.running[501] = "";
  mac.system.names.erase(501);
};
const auto kOurselves = [](sim::SimMac& mac) { mac.system.frontmost = mac.system.pid; };
const auto kNobody = [](sim::SimMac& mac) { mac.system.frontmost.reset(); };
const auto kTooLong = [](sim::SimMac& mac) { mac.system.running[501] = std::string(256, 'x'); };

const ItemRow kItemRows[] = {
    {"NotAnException", "it-IT", {}, nullptr, "Tasto verde normale in «TextEdit»", true, false},
    {"AnException",
     "it-IT",
     {"com.example.TextEdit"},
     nullptr,
     "Tasto verde normale in «TextEdit»",
     true,
     true},
    {"InEnglish",
     "en-GB",
     {"com.example.textedit"},
     nullptr,
     "Normal green button in “TextEdit”",
     true,
     true},
    {"WithoutBundleIdentifier",
     "it-IT",
     {"com.example.TextEdit"},
     kNoBundle,
     "Tasto verde normale in «TextEdit»",
     false,
     false},
    {"WithATooLongOne", "it-IT", {}, kTooLong, "Tasto verde normale in «TextEdit»", false, false},
    {"WithoutName",
     "it-IT",
     {},
     kNoName,
     "Tasto verde normale in «com.example.TextEdit»",
     true,
     false},
    {"WithNeither", "it-IT", {}, kNeither, "Tasto verde normale in «pid 501»", false, false},
    {"PlumoraItself", "it-IT", {}, kOurselves, std::nullopt, false, false},
    {"NoFrontmostApplication", "it-IT", {}, kNobody, std::nullopt, false, false},
};
INSTANTIATE_TEST_SUITE_P(Fronts, ExceptionItemTest, ::testing::ValuesIn(kItemRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExceptionTest, ChoosingTheItemAddsAndRemovesTheFrontmostApplication) {
  store({"org.other.Tool"});
  launched();
  choose();
  EXPECT_THAT(stored(), ElementsAre("org.other.Tool", "com.example.TextEdit"));
  EXPECT_THAT(lines(), ElementsAre("Tasto verde normale in com.example.TextEdit: sì"));
  EXPECT_TRUE(openMenu()->checked);
  EXPECT_THAT(click(), ElementsAre(EventType::LeftMouseDown, EventType::LeftMouseUp));
  EXPECT_TRUE(window->fullScreen);
  mac.desktop.setFullScreen(*window, false);
  mac.desktop.setFrame(*window, kEditorFrame);
  clearLines();
  choose();
  EXPECT_THAT(stored(), ElementsAre("org.other.Tool"));
  EXPECT_THAT(lines(), ElementsAre("Tasto verde normale in com.example.TextEdit: no"));
  EXPECT_FALSE(openMenu()->checked);
  EXPECT_THAT(click(), IsEmpty());
}

TEST_F(ExceptionTest, TheItemActsOnTheApplicationItWasShownFor) {
  auto& other = mac.desktop.addApp(502, "Finder", "com.example.Finder");
  launched();
  ASSERT_TRUE(openMenu());
  // The front changes and the list is edited by hand while the menu is open.
  mac.desktop.activate(other, &mac.desktop.addWindow(other, Rect::make(0, 30, 300, 200), "Dati"));
  store({"org.by.Hand"});
  app.perform(MenuAction::ToggleException);
  EXPECT_THAT(stored(), ElementsAre("org.by.Hand", "com.example.TextEdit"));
}

TEST_F(ExceptionTest, AnItemWithoutBundleIdentifierChangesNothing) {
  mac.system.running[kEditorPid] = "";
  launched();
  choose();
  EXPECT_EQ(mac.defaults.valueForKey(ExceptionList::kKey).kind(), RawValue::Kind::None);
  EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(ExceptionTest, BadStoredValuesAreSaidOnceAndTheItemWritesAGoodList) {
  mac.defaults.setValue(ExceptionList::kKey,
                        RawValue::array({RawValue::string("org.a"), RawValue::integer(7),
                                         RawValue::string("ORG.A"), RawValue::string("org.b")}));
  app.applicationDidFinishLaunching();
  EXPECT_THAT(
      lines(),
      ElementsAre(kLaunch + "2",
                  "Eccezioni, voci di NormalGreenButtonApps ignorate: non testo 1, doppie 1",
                  "Permesso di Accessibilità: concesso", "Osservazione dei clic attiva"));
  clearLines();
  openMenu();
  openMenu();
  EXPECT_THAT(lines(), IsEmpty());
  // A new bad value written by hand is said when the menu next opens.
  mac.defaults.setValue(ExceptionList::kKey, RawValue::number(3.5));
  const auto item = openMenu();
  EXPECT_THAT(
      lines(),
      ElementsAre("Eccezioni: il valore di NormalGreenButtonApps non è una lista, ignorato"));
  EXPECT_FALSE(item->checked);
  clearLines();
  app.perform(MenuAction::ToggleException);
  EXPECT_THAT(stored(), ElementsAre("com.example.TextEdit"));
  EXPECT_THAT(lines(), ElementsAre("Tasto verde normale in com.example.TextEdit: sì"));
}

TEST_F(ExceptionTest, AFullListTakesNoMoreButStillGivesBack) {
  std::vector<std::string> full;
  for (int i = 0; i < 200; ++i) full.push_back("com.example.App" + std::to_string(i));
  store(full);
  launched();
  choose();
  EXPECT_THAT(lines(), ElementsAre("Eccezioni: già 200, com.example.TextEdit non aggiunta"));
  EXPECT_THAT(stored(), ElementsAreArray(full));
  full.back() = "com.example.TextEdit";
  store(full);
  clearLines();
  choose();
  EXPECT_THAT(lines(), ElementsAre("Tasto verde normale in com.example.TextEdit: no"));
  EXPECT_EQ(stored().size(), 199u);
}

TEST_F(ExceptionTest, TheListOutlivesTheProcess) {
  launched();
  choose();
  app.applicationWillTerminate();
  mac.defaults.relaunch();
  clearLines();
  Program next(mac);
  next.app.applicationDidFinishLaunching();
  EXPECT_EQ(lines().at(0), kLaunch + "1");
  EXPECT_THAT(click(), ElementsAre(EventType::LeftMouseDown, EventType::LeftMouseUp));
  EXPECT_EQ(lines().back(), kPassed);
}

}  // namespace
}  // namespace plumora
