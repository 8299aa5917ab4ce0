// Reading scenario files: what each kind of line becomes, how blocks nest, and the one-line
// error, with its line number, for each way a file can be wrong.
#include "scenario/scenario_parser.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

namespace plumora::simtool {
namespace {

using ::testing::ElementsAre;

// An error where none was due, or none where one was, throws std::bad_variant_access: the test
// fails there.
Scenario parsed(std::string_view text) {
  return std::get<Scenario>(parseScenario(text));
}

// What the shipped scenarios cannot show: values that change no outcome of theirs, and forms
// they do not use (a rectangle pasted from the log, several button states on one line).
TEST(ScenarioParserTest, DesktopLinesBecomeTheDesktop) {
  const Scenario s = parsed(R"(# A comment line, then a blank one.

app Editor pid 501 bundle com.example.Editor
  restore-answer elsewhere (300,300 500x400)
window Documento of Editor frame 200,150 800x600 title "Documento # 1"
  button green disabled unreadable
  rebound 100,100 600x500 after 0.2 times 2
focus Documento
setting language he-IL en-US
)");
  ASSERT_EQ(s.apps.size(), 1u);
  EXPECT_EQ(std::tie(s.apps[0].bundleId, s.apps[0].elsewhere),
            std::tuple("com.example.Editor", Rect::make(300, 300, 500, 400)));
  ASSERT_EQ(s.windows.size(), 1u);
  const WindowSpec& w = s.windows[0];
  EXPECT_EQ(w.title, "Documento # 1");  // "#" inside quotes is no comment
  EXPECT_EQ(std::tie(w.green.enabled, w.green.frameReadable, w.close.enabled),
            std::tuple(false, false, true));
  ASSERT_TRUE(w.rebound);
  EXPECT_EQ(std::tie(w.rebound->to, w.rebound->delay, w.rebound->times),
            std::tuple(Rect::make(100, 100, 600, 500), 0.2, 2));
  EXPECT_EQ(s.focus, "Documento");
  EXPECT_THAT(s.languages, ElementsAre("he-IL", "en-US"));
}

// Keys, identifiers and submenus are in a shipped scenario; the forms it does not use are here.
TEST(ScenarioParserTest, MenusNestByIndentation) {
  const Scenario s = parsed(R"(app Tool pid 9
  menu Finestra
    item "Sposta e ridimensiona"
      item Torna does restore answers -25204
    item Ultimo disabled
  activation 0.2
)");
  const AppSpec& app = s.apps.at(0);
  EXPECT_EQ(app.menuBar, MenuBar::Custom);
  ASSERT_EQ(app.customMenus.size(), 1u);
  const auto& items = app.customMenus[0].items;
  ASSERT_EQ(items.size(), 2u);
  ASSERT_EQ(items[0].submenu.size(), 1u);
  EXPECT_EQ(std::tie(items[0].submenu[0].command, items[0].submenu[0].pressAnswer),
            std::tuple(sim::TilingCommand::Restore, -25204));
  // Back to the menu's level, then an app property after the menus.
  EXPECT_EQ(std::tie(items[1].title, items[1].enabled), std::tuple("Ultimo", false));
  EXPECT_EQ(app.activationDelay, 0.2);
}

TEST(ScenarioParserTest, ActionsAndExpectations) {
  const Scenario s = parsed(R"(app Editor pid 501
window Doc of Editor frame 0,0 100x100
at 2 click Doc green with option shift
at 1 press 10,20.5 with option+shift
at 1 tap-disabled input
at 3 remove-screen 0
expect frame Doc 1,2 3x4 within 1.5 at 2.5
expect received Editor from 1 press drag release
)");
  ASSERT_EQ(s.actions.size(), 4u);
  // In time order, equal times as written.
  EXPECT_EQ(std::tie(s.actions[0].line, s.actions[1].line, s.actions[2].line), std::tuple(4, 5, 3));
  const auto& press = std::get<MouseAction>(s.actions[0].what);
  EXPECT_EQ(std::tie(press.phase, press.target.window, press.target.point, press.flags),
            std::tuple(MousePhase::Press, std::nullopt, Point{10, 20.5}, 0xA0000u));
  const auto& click = std::get<MouseAction>(s.actions[2].what);
  EXPECT_EQ(std::tie(click.target.window, click.flags), std::tuple("Doc", 0xA0000u));

  ASSERT_EQ(s.expectations.size(), 2u);
  const auto& frame = std::get<FrameExpectation>(s.expectations[0].what);
  EXPECT_EQ(std::tie(frame.tolerance, frame.at), std::tuple(1.5, 2.5));
  const auto& received = std::get<ReceivedExpectation>(s.expectations[1].what);
  EXPECT_EQ(std::tie(received.app, received.from), std::tuple("Editor", 1.0));
  EXPECT_THAT(received.events, ElementsAre(EventType::LeftMouseDown, EventType::LeftMouseDragged,
                                           EventType::LeftMouseUp));

  // The run goes on a little after the last action, or to the end the scenario gives.
  EXPECT_DOUBLE_EQ(endOf(s), 3 + kRunOn);
  EXPECT_DOUBLE_EQ(endOf(parsed("at 1 permission granted\nend 4\n")), 4);
}

// Stored values as a user's `defaults write` may leave them, the status menu and apps without a
// bundle identifier.
TEST(ScenarioParserTest, StoredValuesTheStatusMenuAndBundles) {
  const Scenario s = parsed(R"(setting exceptions com.a 42 1.5 true false "" "3*x" 3*org.b
app Tool pid 501 bundle none
app Editor pid 502
  bundle none
app Notes pid 503 bundle com.example.Notes
at 1 menu
at 2 choose "Tasto verde normale in «Tool»"
expect menu "Attivo" checked
expect menu "Esci da Plumora" absent
)");
  const RawValue::Array& list = *s.exceptions->asArray();
  ASSERT_EQ(list.size(), 10u);
  EXPECT_EQ(*list[0].asString(), "com.a");
  EXPECT_EQ(*list[1].asNumber()->integer, 42);
  EXPECT_DOUBLE_EQ(list[2].asNumber()->value, 1.5);
  EXPECT_EQ(std::tie(*list[3].asBool(), *list[4].asBool()), std::tuple(true, false));
  EXPECT_EQ(*list[5].asString(), "");
  EXPECT_EQ(*list[6].asString(), "3*x");  // quoted: a text as it is
  EXPECT_EQ(*list[7].asString(), "org.b1");
  EXPECT_EQ(*list[9].asString(), "org.b3");
  EXPECT_TRUE(s.apps[0].noBundle && s.apps[1].noBundle);
  EXPECT_FALSE(s.apps[2].noBundle);
  EXPECT_TRUE(std::holds_alternative<OpenStatusMenu>(s.actions[0].what));
  EXPECT_EQ(std::get<ChooseMenuItem>(s.actions[1].what).title, "Tasto verde normale in «Tool»");
  EXPECT_EQ(std::get<MenuExpectation>(s.expectations[0].what).state, MenuItemState::Checked);
  EXPECT_EQ(std::get<MenuExpectation>(s.expectations[1].what).state, MenuItemState::Absent);
  EXPECT_EQ(*parsed("setting exceptions-value \"com.a\"\n").exceptions->asString(), "com.a");
  EXPECT_EQ(parsed("setting exceptions\n").exceptions->asArray()->size(), 0u);
  EXPECT_FALSE(parsed("").exceptions);
}

TEST(ScenarioParserTest, EachMistakeIsNamedWithItsLine) {
  const std::string kHead = "app Editor pid 501\nwindow Doc of Editor frame 0,0 10x10\n";
  const std::tuple<std::string_view, int, std::string_view> cases[] = {
      {"at 1 clik Doc green", 3, "unknown action 'clik'"},
      {"scren standard", 3, "unknown statement 'scren'"},
      {"expect lg \"x\"", 3, "unknown expectation 'lg'"},
      {"at 1 click Doc zoom", 3, "unknown button 'zoom'"},
      {"at 1 click Dok green", 3, "unknown window 'Dok'"},
      {"at -1 click Doc green", 3, "a time in seconds cannot be negative"},
      {"at 1 click Doc green with hyper", 3, "unknown modifier 'hyper'"},
      {"at 1 click Doc green now", 3, "unexpected 'now' at the end of the line"},
      {"at 1 move Doc 0,0 10", 3, "expected a size like 800x600, found '10'"},
      {"at 1 move Doc", 3, "expected a rectangle like 200,150 800x600 at the end of the line"},
      {"expect frame Doc 0,0 10x10 soon", 3, "expected 'within' or 'at', found 'soon'"},
      {"expect no frame Doc 0,0 10x10", 3, "'expect no' is followed by 'log'"},
      {"expect log \"x", 3, "unterminated quoted text"},
      {"focus Doc\n  latency 1", 4, "an indented line belongs under an app or a window"},
      {"  latency 1", 3, "unknown window property 'latency'"},
      {"window Doc of Editor frame 0,0 1x1", 3, "there is already a window named 'Doc'"},
      {"app Other pid 501", 3, "pid 501 is Editor's"},
      {"app Other pid 502\n  item Fill", 4,
       "an item belongs under a menu line, indented more than it"},
      {"app Other pid 502\n  menus standard\n  menu Extra", 5, "the app's menus are already given"},
      {"app Other pid 502\n\tlatency 1", 4, "indent with spaces, not tabs"},
      {"app Other pid 502\n  disable \"Window > Filll\"", 4, "no such item in Other's menus"},
      {"at 1 remove-screen 1", 3, "there is no screen 1 at that time: screens are numbered 0 to 0"},
      {"at 2 remove-screen 0\nat 1 remove-screen 0", 3, "there is no screen left at that time"},
      {"at 5 click Doc green\nend 4", 4, "the run ends before the action of line 3"},
      {"tiling-margin -1", 3, "a tiling margin is from 0 to 100 points"},
      {"tiling-margin 101", 3, "a tiling margin is from 0 to 100 points"},
      {"setting exceptions 0*com.x", 3, "N*TEXT repeats a text from 1 to 100000 times"},
      {"setting exceptions 100001*com.x", 3, "N*TEXT repeats a text from 1 to 100000 times"},
      {"setting exceptions x*com.x", 3, "N*TEXT repeats a text N times"},
      {"setting exceptions-value 1 2", 3, "unexpected '2' at the end of the line"},
      {"at 1 choose", 3, "expected the title of an item of the status menu at the end of the line"},
      {"expect menu \"Attivo\" on", 3, "unknown menu item state 'on'"},
      {"app Other pid 502 bundle", 3,
       "expected a bundle identifier, or 'none' at the end of the line"},
  };
  for (const auto& [text, line, message] : cases) {
    const auto error = std::get<ParseError>(parseScenario(kHead + std::string(text) + "\n"));
    EXPECT_EQ(std::tie(error.line, error.message), std::tuple(line, message)) << text;
  }
}

}  // namespace
}  // namespace plumora::simtool
