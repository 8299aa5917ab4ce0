// Reading scenario files: what each kind of line becomes, how blocks nest, and the one-line
// error, with its line number, for each way a file can be wrong.
#include "scenario_parser.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace plumora::simtool {
namespace {

using ::testing::ElementsAre;

Scenario parsed(std::string_view text) {
  auto result = parseScenario(text);
  if (const auto* error = std::get_if<ParseError>(&result)) {
    ADD_FAILURE() << "line " << error->line << ": " << error->message;
    return Scenario();
  }
  return std::get<Scenario>(std::move(result));
}

ParseError failure(std::string_view text) {
  auto result = parseScenario(text);
  if (const auto* error = std::get_if<ParseError>(&result)) return *error;
  ADD_FAILURE() << "no error in:\n" << text;
  return ParseError();
}

constexpr std::string_view kDesktop = R"(# A comment line, then a blank one.

screen 0,0 1440x900 visible 0,0 1440x875
screen 1440,0 1920x1080 visible 1440,0 1920x1080
app Editor pid 501 bundle com.example.Editor
  menus without-tiling
  restore-answer elsewhere (300,300 500x400)
  latency 0.07
  activation never
  disable "Window > Minimize"
window Documento of Editor frame 200,150 800x600 title "Documento # 1"
  button green disabled unreadable
  rebound 100,100 600x500 after 0.2 times 2
  unreadable from 3
focus Documento
setting restore off
setting language he-IL en-US
tiling-margin 8
)";

TEST(ScenarioParserTest, DesktopLinesBecomeTheDesktop) {
  const Scenario s = parsed(kDesktop);
  ASSERT_EQ(s.screens.size(), 2u);
  EXPECT_EQ(s.screens[1].frame, Rect::make(1440, 0, 1920, 1080));
  ASSERT_EQ(s.apps.size(), 1u);
  const AppSpec& app = s.apps[0];
  EXPECT_EQ(app.pid, 501);
  EXPECT_EQ(app.bundleId, "com.example.Editor");
  EXPECT_EQ(app.menuBar, MenuBar::StandardWithoutTiling);
  EXPECT_EQ(app.restoreAnswer, sim::RestoreAnswer::Elsewhere);
  EXPECT_EQ(app.elsewhere, Rect::make(300, 300, 500, 400));
  EXPECT_DOUBLE_EQ(app.latency, 0.07);
  EXPECT_FALSE(app.activates);
  EXPECT_DOUBLE_EQ(s.tilingMargin, 8);
  ASSERT_EQ(app.itemChanges.size(), 1u);
  EXPECT_THAT(app.itemChanges[0].path, ElementsAre("Window", "Minimize"));
  EXPECT_EQ(app.itemChanges[0].enabled, false);

  ASSERT_EQ(s.windows.size(), 1u);
  const WindowSpec& w = s.windows[0];
  EXPECT_EQ(w.title, "Documento # 1");  // "#" inside quotes is no comment
  EXPECT_FALSE(w.green.enabled);
  EXPECT_FALSE(w.green.frameReadable);
  EXPECT_TRUE(w.close.enabled);
  ASSERT_TRUE(w.rebound);
  EXPECT_EQ(w.rebound->to, Rect::make(100, 100, 600, 500));
  EXPECT_DOUBLE_EQ(w.rebound->delay, 0.2);
  EXPECT_EQ(w.rebound->times, 2);
  // Readable until 3 s: that is a timed change.
  EXPECT_TRUE(w.frameReadable);
  ASSERT_EQ(s.actions.size(), 1u);
  EXPECT_DOUBLE_EQ(s.actions[0].time, 3.0);
  EXPECT_TRUE(std::holds_alternative<MakeUnreadable>(s.actions[0].what));

  EXPECT_EQ(s.focus, "Documento");
  EXPECT_FALSE(s.restoreOnSecondClick);
  EXPECT_TRUE(s.verbose);
  EXPECT_THAT(s.languages, ElementsAre("he-IL", "en-US"));
}

TEST(ScenarioParserTest, MenusNestByIndentation) {
  const Scenario s = parsed(R"(app Tool pid 9
  menu Tool
    item About
  menu Finestra
    item Riempi key F modifiers 12 does fill
    item "Sposta e ridimensiona"
      item Sinistra
      item Torna id _zoomUntile does restore answers -25204
    item Ultimo disabled
  activation 0.2
)");
  const AppSpec& app = s.apps.at(0);
  EXPECT_EQ(app.menuBar, MenuBar::Custom);
  ASSERT_EQ(app.customMenus.size(), 2u);
  const auto& items = app.customMenus[1].items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].keyEquivalent, "F");
  EXPECT_EQ(items[0].modifiers, 12);
  EXPECT_EQ(items[0].command, sim::TilingCommand::Fill);
  ASSERT_EQ(items[1].submenu.size(), 2u);
  EXPECT_EQ(items[1].submenu[1].identifier, "_zoomUntile");
  EXPECT_EQ(items[1].submenu[1].command, sim::TilingCommand::Restore);
  EXPECT_EQ(items[1].submenu[1].pressAnswer, -25204);
  // Back to the menu's level, then an app property after the menus.
  EXPECT_EQ(items[2].title, "Ultimo");
  EXPECT_FALSE(items[2].enabled);
  EXPECT_EQ(app.activationDelay, 0.2);
}

TEST(ScenarioParserTest, ActionsAndExpectations) {
  const Scenario s = parsed(R"(app Editor pid 501
window Doc of Editor frame 0,0 100x100
at 2 click Doc green with option shift
at 1 press 10,20.5 with option+shift
at 1 tap-disabled input
at 3 remove-screen 0
expect log containing "Riempi" times 2
expect no log "x"
expect frame Doc 1,2 3x4 within 1.5 at 2.5
expect received Editor from 1 press drag release
expect shortcuts none
)");
  ASSERT_EQ(s.actions.size(), 4u);
  // In time order, equal times as written.
  EXPECT_EQ(s.actions[0].line, 4);
  EXPECT_EQ(s.actions[1].line, 5);
  EXPECT_EQ(s.actions[2].line, 3);
  const auto& press = std::get<MouseAction>(s.actions[0].what);
  EXPECT_EQ(press.phase, MousePhase::Press);
  EXPECT_FALSE(press.target.window);
  EXPECT_EQ(press.target.point, (Point{10, 20.5}));
  const auto& click = std::get<MouseAction>(s.actions[2].what);
  EXPECT_EQ(click.target.window, "Doc");
  EXPECT_EQ(click.flags, press.flags);
  EXPECT_EQ(click.flags, 0xA0000u);

  ASSERT_EQ(s.expectations.size(), 5u);
  const auto& log = std::get<LogExpectation>(s.expectations[0].what);
  EXPECT_TRUE(log.containing);
  EXPECT_EQ(log.times, 2);
  EXPECT_FALSE(std::get<LogExpectation>(s.expectations[1].what).present);
  const auto& frame = std::get<FrameExpectation>(s.expectations[2].what);
  EXPECT_DOUBLE_EQ(frame.tolerance, 1.5);
  EXPECT_EQ(frame.at, 2.5);
  EXPECT_THAT(
      std::get<ReceivedExpectation>(s.expectations[3].what).events,
      ElementsAre(EventType::LeftMouseDown, EventType::LeftMouseDragged, EventType::LeftMouseUp));
  EXPECT_TRUE(std::get<ShortcutExpectation>(s.expectations[4].what).shortcuts.empty());

  // The run goes on a little after the last action, or to the end the scenario gives.
  EXPECT_DOUBLE_EQ(endOf(s), 3 + kRunOn);
  EXPECT_DOUBLE_EQ(endOf(parsed("at 1 permission granted\nend 4\n")), 4);
}

struct BadScenario {
  std::string_view text;
  int line;
  std::string_view message;
};

TEST(ScenarioParserTest, EachMistakeIsNamedWithItsLine) {
  constexpr std::string_view kHead = "app Editor pid 501\nwindow Doc of Editor frame 0,0 10x10\n";
  const BadScenario cases[] = {
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
  };
  for (const BadScenario& c : cases) {
    const ParseError error = failure(std::string(kHead) + std::string(c.text) + "\n");
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_EQ(error.message, c.message) << c.text;
  }
}

TEST(ScenarioParserTest, TheErrorLineNamesFileAndLine) {
  EXPECT_EQ(errorLine("scenarios/x.scn", ParseError{12, "unknown action 'clik'"}),
            "scenarios/x.scn:12: unknown action 'clik'");
}

}  // namespace
}  // namespace plumora::simtool
