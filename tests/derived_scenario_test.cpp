// The scenario derived from a recording carries what the recording shows of the desktop and of
// what the user and the system did: each row a scenario, the derived line that must carry it,
// and a comparison that must find no difference.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "compare/compare_run.hpp"
#include "compare/derived_scenario.hpp"
#include "compare_fixture.hpp"
#include "recording_lines.hpp"
#include "replay/recording_file.hpp"

namespace plumora::simtool {
namespace {

// What a recording shows of the desktop, and the line of the derived scenario that carries it.
struct Shown {
  const char* name;
  const char* scenario;
  const char* derivedLine;
};

const Shown kShown[] = {
    {"the tiling margins", "tiling-margin 12\n", "tiling-margin 12"},
    {"a slow application", "  latency 0.07\n", "  latency 0.07  # the median of its requests"},
    {"an application that never comes to the front",
     "app Finder pid 400\n  menus standard\nwindow Cartella of Finder frame 40,60 100x80\n"
     "focus Cartella\n  # Editor\n",
     "  activation never"},
    {"a restore the application ignores", "  restore-answer ignore\n", "  restore-answer ignore"},
    {"a restore that lands elsewhere", "  restore-answer elsewhere 300,300 500x400\n",
     "  restore-answer elsewhere 300,300 500x400"},
    {"a Fill item that answers an error", "  press-answer \"Window > Fill\" -25200\n",
     "answers -25200"},
    {"a disabled Fill item", "  disable \"Window > Fill\"\n", "disabled"},
    {"a click with a modifier", "at 5.0 click 600,400 with option\n",
     "at 5 press 600,400 with option"},
    {"an application without a menu bar", "  menus none\n", "  menus none"},
    {"an application in assistive mode, read when the program puts a window back itself",
     "  enhanced-ui on\n  restore-answer elsewhere 300,300 500x400\n", "  enhanced-ui on"},
    {"a restore through the menu that moves the window again",
     "app Viewer pid 502\n  restore-answer ignore\nwindow Foto of Viewer frame 1050,400 "
     "300x300\n  rebound 100,100 600x500 after 0.1 times 2\nat 6.0 click Foto green\nat 8.0 "
     "click Foto green\n",
     "  rebound 100,100 600x500 after 0.1"},
    {"a green button that cannot be read",
     "window Foto of Editor frame 1050,400 300x300\n  button green unreadable\nat 6.0 click "
     "1105,414\n",
     "  button green unreadable"},
    {"a revoked permission", "at 4.5 permission revoked\n", "at 4.5 permission revoked"},
    // The step divides every size taken: 1440x860 from the Fill, 792x600 from the return.
    {"an application sizing its windows in steps", "  size-step 9x20\n", "  size-step 72x20"},
    {"an application keeping a least width", "  min-size 1500x300\n", "  min-size 1500x0"},
    {"an application that builds its menus again between the clicks",
     "at 2.0 rebuild-menus Editor\n", "rebuild-menus app501"},
    // The Fill's callback takes 0.6 s (four requests of 0.15 s): the timeout falls within it.
    {"a tap the system disables during a slow callback",
     "tap-timeout 0.5\napp Slow pid 503\n  latency 0.15\nwindow Lento of Slow frame 1100,600 "
     "200x100\nat 4.0 click Lento green\n",
     "tap-timeout 0.3"},
    {"the exceptions stored, good and bad",
     "setting exceptions com.example.Editor 42 true \"\" COM.EXAMPLE.EDITOR\n",
     "setting exceptions \"com.example.Editor\" 42 true \"\" \"COM.EXAMPLE.EDITOR\""},
    {"a single value where the list belongs", "setting exceptions-value com.example.Other\n",
     "setting exceptions-value \"com.example.Other\""},
    {"an application named with a space, whose bundle has no identifier, in front as the menu "
     "opens",
     "app \"Text Tool\" pid 502 bundle none\nwindow Pannello of \"Text Tool\" frame 1100,600 "
     "200x100\nat 4.0 focus Pannello\nat 5.0 menu\n",
     "app \"Text Tool\" pid 502 bundle none"},
    {"the status menu opened", "at 2.0 menu\n", "at 2 menu"},
    {"an item chosen as the menu opens",
     "at 2.0 choose \"Secondo clic: torna alle dimensioni precedenti\"\n",
     "at 2 choose \"Secondo clic: torna alle dimensioni precedenti\""},
    {"an item chosen in a menu open for a while",
     "at 2.0 menu\nat 2.5 choose \"Attivo\" in-open-menu\n",
     "at 2.5 choose \"Attivo\" in-open-menu"},
    // The first click is an exception's, which asks nothing of the front: the window list shows
    // which application was in front, before the system is asked at the second click.
    {"the application in front as the window list shows it",
     "setting exceptions com.example.Editor\napp Viewer pid 502\nwindow Foto of Viewer frame "
     "1050,400 300x300\nat 2.0 focus Foto\nat 4.0 click Foto green\n",
     "focus window101  # its application came to the front"},
    {"a window the user takes full screen by its app's menu, between the clicks",
     "at 2.0 full-screen Documento on\n", "full-screen window100 on"},
    {"a window the user resizes between the clicks", "at 2.0 move Documento 100,100 600x500\n",
     "move window100 100,100 600x500"},
    {"the program's own menu-bar item, first in the window list",
     "program pid 900\nwindow Item of program frame 1300,0 30x25\n  layer 25\n",
     "window window101 of program frame 1300,0 30x25"},
    {"a system log that keeps no debug lines, as a Mac's until someone streams them",
     "setting unified-log debug off\n", "setting unified-log debug off"},
    {"the login item on at launch, as the menu shows it",
     "setting login-item enabled\nat 2.0 menu\n", "setting login-item enabled registers enabled"},
    {"a login item the system wants approved once the program registers it",
     "setting login-item not-registered registers requires-approval\nat 2.0 choose \"Apri al "
     "login\"\nat 2.5 menu\n",
     "setting login-item not-registered registers requires-approval"},
    {"the application in front when no window was ever seen (Plumora switched off)",
     "setting enabled off\nat 2.0 menu\n", "focus Editor  # in front, with no window seen"},
    // With no second click to restore, the second press of Fill leaves the filled window as it is:
    // the item still fills.
    {"a Fill item without an identifier pressed again on a filled window",
     "setting restore off\napp Scrivano pid 701\n  menu Scrivano\n  menu Finestra\n    item "
     "Riempi key F modifiers 12 does fill\nwindow Bozza of Scrivano frame 300,200 700x500\nat 4.5 "
     "focus Bozza\nat 5.0 click Bozza green\nat 7.0 click Bozza green\n",
     "key \"F\" modifiers 12 does fill"},
    {"a window server number as a real Mac gives it",
     "window Nota of Editor frame 1100,600 200x100\n  number 4242\nat 4.0 click Nota green\n",
     "  number 4242"},
    {"an application in front from the start, none of its windows ever seen",
     "app Viewer pid 502\n  menus standard\nwindow Foto of Viewer frame 1000,500 300x300\nfocus "
     "Foto\nat 0.5 menu\nat 0.8 focus Documento\n",
     "focus Viewer  # in front, with no window seen"},
    // Shift passes the click: the app takes the window full screen after the window list saw it.
    {"a window first read full screen after the window list saw it otherwise",
     "at 0.3 click 600,400\nat 0.5 click Documento green with shift\n", "full-screen window100 on"},
    // Four requests of 0.1 s: the system disables the tap within a callback as long as the next
    // one, which keeps it: no timeout of the tap's would do both.
    {"a tap the system disables during a callback no longer than one it keeps",
     "app Slow pid 503\n  latency 0.1\nwindow Lento of Slow frame 1100,600 200x100\nat 4.0 click "
     "Lento green\nat 4.2 tap-disabled timeout\nat 6.0 click Lento green\n",
     "at 4.2 tap-disabled timeout"},
    {"an application slower than the hit test waits",
     "app Slow pid 503\n  latency 0.3\nwindow Lento of Slow frame 1100,600 200x100\nat 4.0 click "
     "Lento green\n",
     "  latency 0.3  # longer than a request waited"},
    // The menu bar's children are read at 4.57-4.62; the first of them, at 4.62, is stale.
    {"menus built again while the program searches them",
     "app Slow pid 503\n  latency 0.05\nwindow Lento of Slow frame 1100,600 200x100\nat 4.0 click "
     "Lento green\nat 4.6 rebuild-menus Slow\n",
     "rebuild-menus app503"},
    {"a window moved while a slow application answers the hit test",
     "app Slow pid 503\n  latency 0.1\nwindow Lento of Slow frame 1100,600 200x100\nat 4.0 click "
     "Lento green\nat 4.15 move Lento 1000,500 200x100\n",
     "move window101 1000,500 200x100  # its button was read away from the press"},
    {"another window of the application in front brought forward",
     "window Nota of Editor frame 900,500 300x200\nat 5.0 focus Nota\nat 6.0 click Documento "
     "green\n",
     "focus window101  # brought in front"},
    // The run ends while the tap waits for the slow hit test: the queue never takes the click.
    {"a run that ends while a slow application holds up the tap",
     "app Slow pid 503\n  latency 0.2\nwindow Lento of Slow frame 1100,600 200x100\nat 4.0 click "
     "Lento green\nend 4.5\n",
     "end 4.001"},
    // The Fill runs from 4.8 to 7.6; the permission check due at 6.0 never came.
    {"a run the recording ends in",
     "app Slow pid 503\n  latency 0.2\nwindow Lento of Slow frame 1100,600 200x100\nat 4.0 click "
     "Lento green\nend 5.5\n",
     "end 4.801"},
    {"the status menu chosen while a run keeps the main thread",
     "app Slow pid 503 bundle com.example.Slow\n  latency 0.2\nwindow Lento of Slow frame "
     "1100,600 200x100\nat 4.0 click Lento green\nat 4.1 menu\nat 5.5 choose \"Attivo\" "
     "in-open-menu\nat 7.0 click Lento green\n",
     "at 4.801 choose \"Attivo\" in-open-menu"},
    // The Fill's look at the window after it settled is a task of its own, at 9.07: the choice
    // waited for that one, after the user brought Editor forward, not for the Fill.
    {"the status menu chosen while the program looks at a filled window again",
     "app Slow pid 503 bundle com.example.Slow\n  latency 0.2\nwindow Lento of Slow frame "
     "1100,600 200x100\nat 4.0 click Lento green\nat 4.1 menu\nat 8.8 focus Documento\nat 9.15 "
     "choose \"Tasto verde normale in «Editor»\"\n",
     "at 9.071 choose \"Tasto verde normale in «Editor»\""},
    {"the permission taken away and given back between two looks, then taken again",
     "at 4.0 permission revoked tap-notice-after 2\nat 4.5 permission granted\nat 7.0 "
     "permission revoked\n",
     "at 4.5 permission granted"},
};

// Each row's lines go where they belong in the Fill-and-back scenario: the application's
// settings under its line, anything else at the top or the end.
std::string withShown(const Shown& row) {
  const std::string extra = row.scenario;
  std::string text = kFillAndBack;
  if (extra.rfind("  menus", 0) == 0) {
    text.replace(text.find("  menus standard\n"), 17, extra);
  } else if (extra.rfind("  ", 0) == 0) {
    text.insert(text.find("window Documento"), extra);
  } else if (extra.rfind("app Finder", 0) == 0) {
    text.insert(text.find("app Editor"), extra.substr(0, extra.find("window")));
    text.insert(text.find("window Documento"), "  activation never\n");
    text.insert(text.find("at 1.0"),
                extra.substr(extra.find("window"), extra.find("  #") - extra.find("window")));
  } else {
    // Desktop lines before the actions, actions after them.
    const std::size_t actions = extra.rfind("at ", 0) == 0 ? 0 : extra.find("\nat ");
    const std::size_t split = actions == std::string::npos ? extra.size()
                              : actions == 0               ? 0
                                                           : actions + 1;
    text.insert(text.find("at 1.0"), extra.substr(0, split));
    text += extra.substr(split);
  }
  return text;
}

class DerivedScenario : public testing::TestWithParam<Shown> {};

TEST_P(DerivedScenario, CarriesWhatTheRecordingShowsAndComparesClean) {
  const Shown& row = GetParam();
  const std::string recording = recordingOf(withShown(row));
  const auto read = readRecording(recording);
  ASSERT_TRUE(std::holds_alternative<Recording>(read));
  const std::string derived = derivedScenario(std::get<Recording>(read));
  bool found = false;
  for (const std::string& line : linesOf(derived)) {
    found = found || line.find(row.derivedLine) != std::string::npos;
  }
  EXPECT_TRUE(found) << "no line with '" << row.derivedLine << "' in\n" << derived;
  const Measure measure = measureSimulator(std::get<Recording>(read));
  ASSERT_FALSE(measure.failure) << *measure.failure;
  EXPECT_TRUE(measure.differences.empty()) << differenceTable(measure.differences, 0);
}

INSTANTIATE_TEST_SUITE_P(Shown, DerivedScenario, testing::ValuesIn(kShown),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

}  // namespace
}  // namespace plumora::simtool
