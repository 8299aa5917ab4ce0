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

  // The min-size, which no shipped scenario reaches.
  EXPECT_EQ(parsed("app T pid 7\n  min-size 400x300\n").apps.at(0).minimumSize, (Size{400, 300}));

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
at 3 choose "Attivo" in-open-menu
at 4 activate Tool
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
  EXPECT_FALSE(std::get<ChooseMenuItem>(s.actions[1].what).inOpenMenu);
  EXPECT_TRUE(std::get<ChooseMenuItem>(s.actions[2].what).inOpenMenu);
  const auto& activated = std::get<FocusWindow>(s.actions[3].what);
  EXPECT_EQ(std::tie(activated.window, activated.app), std::tuple("", "Tool"));
  EXPECT_EQ(std::get<MenuExpectation>(s.expectations[0].what).state, MenuItemState::Checked);
  EXPECT_EQ(std::get<MenuExpectation>(s.expectations[1].what).state, MenuItemState::Absent);
  EXPECT_EQ(*parsed("setting exceptions-value \"com.a\"\n").exceptions->asString(), "com.a");
  EXPECT_EQ(parsed("setting exceptions\n").exceptions->asArray()->size(), 0u);
  EXPECT_FALSE(parsed("app Editor pid 501\n").exceptions);
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
      {"tiling-margin -1", 3, "a tiling margin in points cannot be negative"},
      {"tiling-margin 101", 3, "a tiling margin in points is at most 100, not '101'"},
      {"app Other pid 502\n  size-step 0x18", 4, "a size step is at least a point wide and high"},
      {"app Other pid 502\n  size-step 9", 4, "expected a size like 9x18, found '9'"},
      {"app Other pid 502\n  min-size 400x-1", 4, "a size cannot be negative"},
      {"at 1 rebuild-menus Editr", 3, "unknown app 'Editr'"},
      {"tap-timeout 0", 3, "a tap timeout is more than 0 seconds"},
      {"  number 0", 3, "a window number is from 1 to 2147483647"},
      {"  number 7\nwindow Other of Editor frame 0,0 5x5\n  number 7", 5,
       "window number 7 is Doc's already"},
      {"setting exceptions 0*com.x", 3, "N*TEXT repeats a text from 1 to 100000 times"},
      {"setting exceptions 100001*com.x", 3, "N*TEXT repeats a text from 1 to 100000 times"},
      {"setting exceptions x*com.x", 3, "N*TEXT repeats a text N times"},
      {"setting exceptions-value 1 2", 3, "unexpected '2' at the end of the line"},
      {"at 1 choose", 3, "expected the title of an item of the status menu at the end of the line"},
      {"at 1 choose \"Attivo\" in-open", 3, "unexpected 'in-open' at the end of the line"},
      {"at 1 activate Doc", 3, "unknown app 'Doc'"},
      {"at 1 full-screen Doc yes", 3, "full-screen is 'on' or 'off', not 'yes'"},
      {"at 1 full-screen Editor on", 3, "unknown window 'Editor'"},
      {"program pid 501", 3, "pid 501 is Editor's"},
      {"setting unified-log info off", 3, "unknown log level 'info'"},
      {"setting login-item on", 3, "unknown login item state 'on'"},
      {"setting login-item enabled registers", 3,
       "expected 'not-registered', 'enabled', 'requires-approval' or 'not-found' at the end of the "
       "line"},
      {"program pid 0", 3, "a process id is a positive 32-bit number"},
      {"program pid 7 bundle x", 3, "unexpected 'bundle' at the end of the line"},
      {"window W of program frame 0,0 5x5", 3, "unknown app 'program'"},
      {"program pid 7\nfocus program", 4, "unknown window 'program'"},
      {"expect menu \"Attivo\" on", 3, "unknown menu item state 'on'"},
      {"app Other pid 502 bundle", 3,
       "expected a bundle identifier, or 'none' at the end of the line"},
  };
  for (const auto& [text, line, message] : cases) {
    const auto error = std::get<ParseError>(parseScenario(kHead + std::string(text) + "\n"));
    EXPECT_EQ(std::tie(error.line, error.message), std::tuple(line, message)) << text;
  }
}

// `text` is refused, at `line`, with `message`.
void expectRefused(const std::string& text, int line, std::string_view message) {
  const auto result = parseScenario(text);
  ASSERT_TRUE(std::holds_alternative<ParseError>(result)) << message;
  const auto& error = std::get<ParseError>(result);
  EXPECT_EQ(std::tie(error.line, error.message), std::tuple(line, message));
}

// A typing slip in a number (an extra digit, an exponent) would make a run last for hours or a
// window larger than any screen: refused, with the word, before anything runs.
TEST(ScenarioParserTest, ValuesPastWhatADesktopReachesAreRefused) {
  const std::string kHead = "app Editor pid 501\nwindow Doc of Editor frame 0,0 10x10\n";
  const std::tuple<std::string_view, int, std::string_view> cases[] = {
      {"at 1e12 click Doc green", 3, "a time in seconds is at most 86400 (a day), not '1e12'"},
      {"at 1000000000 click Doc green", 3,
       "a time in seconds is at most 86400 (a day), not '1000000000'"},
      {"at 1 click Doc green\nend 86400.5", 4,
       "a time in seconds is at most 86400 (a day), not '86400.5'"},
      {"  unreadable from 1e6", 3, "a time in seconds is at most 86400 (a day), not '1e6'"},
      {"expect frame Doc 0,0 10x10 at 1e9", 3,
       "a time in seconds is at most 86400 (a day), not '1e9'"},
      {"expect received Editor from 1e9 nothing", 3,
       "a time in seconds is at most 86400 (a day), not '1e9'"},
      {"app Other pid 502\n  latency 3601", 4,
       "a latency in seconds is at most 3600 (an hour), not '3601'"},
      {"app Other pid 502\n  tiling-delay 1e12", 4,
       "a delay in seconds is at most 3600 (an hour), not '1e12'"},
      {"app Other pid 502\n  activation 86400", 4,
       "a delay in seconds, or 'never' is at most 3600 (an hour), not '86400'"},
      {"at 1 permission revoked tap-notice-after 7200", 3,
       "a delay in seconds is at most 3600 (an hour), not '7200'"},
      {"  rebound 0,0 10x10 after 1e5", 3,
       "a delay in seconds is at most 3600 (an hour), not '1e5'"},
      {"window W of Editor frame 0,0 99999999999x100", 3,
       "a width or height is at most 100000 points, not '99999999999x100'"},
      {"window W of Editor frame 0,0 100x100000.5", 3,
       "a width or height is at most 100000 points, not '100x100000.5'"},
      {"window W of Editor frame (0,-1e9 100x100)", 3,
       "a coordinate is from -100000 to 100000 points, not '(0,-1e9'"},
      {"at 1 click 100001,5", 3, "a coordinate is from -100000 to 100000 points, not '100001,5'"},
      {"screen 0,0 1e7x900 visible 0,0 1440x875", 3,
       "a width or height is at most 100000 points, not '1e7x900'"},
      {"expect frame Doc 0,0 10x10 within 1e6", 3,
       "a tolerance in points is at most 100000, not '1e6'"},
      {"app Other pid 99999999999", 3, "a process id is a 32-bit number, not '99999999999'"},
      {"  layer 2147483648", 3, "a layer number is a 32-bit number, not '2147483648'"},
      {"  layer -99999999999999999999", 3,
       "a layer number is a 32-bit number, not '-99999999999999999999'"},
      {"  alpha 1.5", 3, "an alpha is at most 1, not '1.5'"},
      {"  rebound 0,0 10x10 times 0", 3, "a number of times is from 1 to 1000, not '0'"},
      {"  rebound 0,0 10x10 times 1001", 3, "a number of times is from 1 to 1000, not '1001'"},
      {"expect log \"x\" times 1001", 3, "a number of times is at most 1000"},
  };
  for (const auto& [text, line, message] : cases) {
    expectRefused(kHead + std::string(text) + "\n", line, message);
  }
}

// The limits themselves are allowed: each row is a whole scenario that must be read.
TEST(ScenarioParserTest, ValuesAtTheLimitsAreTaken) {
  const std::string_view cases[] = {
      "app A pid 2147483647\nwindow W of A frame -100000,100000 100000x100000\n"
      "at 86400 click -100000,-100000\nend 86400\n",
      "app A pid 1\n  latency 3600\n  tiling-delay 3600\n  activation 3600\n",
      "app A pid 1\nwindow W of A frame 0,0 1x1\n  alpha 1\n  rebound 0,0 1x1 after 3600 times "
      "1000\nexpect log \"x\" times 1000\nexpect frame W 0,0 1x1 within 100000 at 86400\n",
      "tiling-margin 100\nat 0 permission revoked tap-notice-after 3600\n",
  };
  for (const std::string_view text : cases) {
    const auto result = parseScenario(text);
    const auto* error = std::get_if<ParseError>(&result);
    EXPECT_EQ(error, nullptr) << text << "\n" << (error ? error->message : "");
  }
}

// A desktop far larger than a real one would make a run take minutes: the first line past each
// count is named.
TEST(ScenarioParserTest, TooManyOfAKindIsRefusedAtTheFirstLinePast) {
  const auto repeated = [](std::string_view head, int count, const auto& line) {
    std::string text(head);
    for (int i = 0; i < count; ++i) text += line(i) + "\n";
    return text;
  };
  const auto window = [](int i) { return "window W" + std::to_string(i) + " of A frame 0,0 1x1"; };
  const auto app = [](int i) {
    return "app A" + std::to_string(i) + " pid " + std::to_string(i + 1);
  };
  const auto click = [](int) { return std::string("at 1 click 5,5"); };
  const auto expectation = [](int) { return std::string("expect log \"x\""); };
  const auto screen = [](int) { return std::string("screen standard"); };
  const auto addScreen = [](int) {
    return std::string("at 1 add-screen 0,0 10x10 visible 0,0 10x10");
  };
  const auto item = [](int i) { return "    item I" + std::to_string(i); };
  const auto submenu = [](int i) { return std::string(4 + 2 * i, ' ') + "item I"; };
  const std::tuple<std::string, int, std::string_view> cases[] = {
      {repeated("app A pid 1\n", 1001, window), 1002, "too many windows: at most 1000"},
      {repeated("", 301, app), 301, "too many apps: at most 300"},
      {repeated("", 100001, click), 100001, "too many actions: at most 100000"},
      {repeated("", 501, expectation), 501, "too many expectations: at most 500"},
      {repeated("", 17, screen), 17, "too many screens: at most 16"},
      // The one screen there is when none is given, then fifteen more and one too many.
      {repeated("", 16, addScreen), 16, "too many screens: at most 16"},
      {repeated("app A pid 1\n  menu M\n", 1001, item), 1003,
       "too many items in an app's menus: at most 1000"},
      {repeated("app A pid 1\n  menu M\n", 9, submenu), 11, "menus nest at most 8 deep"},
  };
  for (const auto& [text, line, message] : cases) expectRefused(text, line, message);
  // One fewer of each is taken.
  EXPECT_EQ(parsed(repeated("app A pid 1\n", 200, window)).windows.size(), 200u);
  EXPECT_EQ(parsed(repeated("", 500, click)).actions.size(), 500u);
  EXPECT_EQ(parsed(repeated("", 15, addScreen)).actions.size(), 15u);
  EXPECT_EQ(parsed(repeated("app A pid 1\n  menu M\n", 8, submenu)).apps.size(), 1u);
}

// A file that is not a scenario at all is named as such, and whatever of it the message shows
// is printable: no control byte reaches the terminal, and the quote the message opens closes.
TEST(ScenarioParserTest, AFileThatIsNotTextIsRefusedAsSuch) {
  using namespace std::string_literals;
  const std::tuple<std::string, int, std::string_view> cases[] = {
      {"", 1, "the scenario is empty: nothing to run"},
      {"# nothing but a comment\n\n   \n", 1, "the scenario is empty: nothing to run"},
      {"\0\0\0\0"s, 1, "not a text file: NUL byte"},
      // Found before what the first line lacks.
      {"screen caf\xE9\nscreen standard\n\0"s, 3, "not a text file: NUL byte"},
      {"\x7F"
       "ELF\x02\x01\x01",
       1, "not a text file: control character \\x7F"},
      {"screen standard\n\x1B[31mapp A pid 5", 2, "not a text file: control character \\x1B"},
      {"app A pid 5\nwindow W of A frame 0,0 1x1 title \"a\x07"
       "b\"",
       2, "not a text file: control character \\x07"},
      {"screen\rstandard", 1, "not a text file: control character \\x0D"},
      {"screen standard # caf\xE9", 1, "not UTF-8 text: byte \\xE9 (save the file as UTF-8)"},
      {"scr\xC3\xA9"
       "en standard\nscre\xC3"
       "en",
       2, "not UTF-8 text: byte \\xC3 (save the file as UTF-8)"},
      {"\xC0\xAF", 1, "not UTF-8 text: byte \\xC0 (save the file as UTF-8)"},
      {"\xE0\x80\xAF", 1, "not UTF-8 text: byte \\xE0 (save the file as UTF-8)"},
      {"screen standard\n\xE2\x82 standard", 2,
       "not UTF-8 text: byte \\xE2 (save the file as UTF-8)"},
      {"\xED\xA0\x80", 1, "not UTF-8 text: byte \\xED (save the file as UTF-8)"},
      {"\xF4\x90\x80\x80", 1, "not UTF-8 text: byte \\xF4 (save the file as UTF-8)"},
      // Inside quotes any byte but a control character may be tested; named back escaped.
      {"at 1 focus \"caf\xE9\"", 1, "unknown window 'caf\\xE9'"},
      {"scr\xC3\xA9"
       "en standard",
       1,
       "unknown statement 'scr\xC3\xA9"
       "en'"},
  };
  for (const auto& [text, line, message] : cases) expectRefused(text, line, message);
  // What editors write is text: a byte order mark, Windows line ends, any UTF-8 in a title.
  const Scenario s = parsed(
      "\xEF\xBB\xBF"
      "app A pid 5\r\nwindow W of A frame 0,0 1x1 title \"\xF0\x9F\x8D\x87 "
      "caf\xE9\"\r\n");
  EXPECT_EQ(s.windows.at(0).title, "\xF0\x9F\x8D\x87 caf\xE9");
  // The file's name is printed as safely as its words.
  EXPECT_EQ(errorLine("\x1B[2J.scn", ParseError{3, "m"}), "\\x1B[2J.scn:3: m");
}

}  // namespace
}  // namespace plumora::simtool
