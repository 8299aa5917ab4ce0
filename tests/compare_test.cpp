// The simulator measured against a recording: a recording of the simulated Mac compares with no
// difference, and each hand-made change to it shows as exactly that difference; the scenario
// derived from a recording carries what the recording shows of the desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "compare/compare_run.hpp"
#include "compare/derived_scenario.hpp"
#include "compare/size_steps.hpp"
#include "compare_fixture.hpp"
#include "recording_lines.hpp"
#include "replay/recording_file.hpp"
#include "replay/replay_run.hpp"
#include "run/simulation.hpp"
#include "scenario/scenario_parser.hpp"

namespace plumora::simtool {
namespace {

Measure measured(const std::string& text) {
  auto read = readRecording(text);
  if (const auto* bad = std::get_if<RecordingError>(&read)) {
    return {{}, std::to_string(bad->line) + ": " + bad->why};
  }
  return measureSimulator(std::get<Recording>(read));
}

TEST(Compare, TheSimulatedMacRecordedComparesWithNoDifference) {
  const Measure measure = measured(recordingOf(kFillAndBack));
  ASSERT_FALSE(measure.failure) << *measure.failure;
  EXPECT_EQ(differenceTable(measure.differences, 0), differenceTable({}, 0));
}

// A Mac's clock counts from its start-up: a recording made there starts days into it.
TEST(Compare, ARecordingOnAMacsClockComparesAsOneFromZero) {
  constexpr double kUptime = 250000.25;
  static const std::regex time(R"re("(t0|t1|start)":([0-9.]+))re");
  std::string text;
  for (const std::string& line : linesOf(recordingOf(kFillAndBack))) {
    std::string shifted;
    auto from = line.cbegin();
    for (std::sregex_iterator it(line.begin(), line.end(), time), end; it != end; ++it) {
      shifted.append(from, (*it)[0].first);
      shifted += '"' + (*it)[1].str() + "\":" + decimalText(std::stod((*it)[2]) + kUptime);
      from = (*it)[0].second;
    }
    text += shifted.append(from, line.cend()) + '\n';
  }
  ASSERT_NE(text.find("\"start\":250000.25"), std::string::npos) << text;
  const Measure measure = measured(text);
  ASSERT_FALSE(measure.failure) << *measure.failure;
  EXPECT_EQ(differenceTable(measure.differences, 0), differenceTable({}, 0));
  const std::string derived = derivedScenario(std::get<Recording>(readRecording(text)));
  EXPECT_NE(derived.find("\nat 1 press "), std::string::npos) << derived;
}

// A Mac writes no tiling margin in the header: the gap the Fill left around the window says it.
TEST(Compare, AMacsUnwrittenTilingMarginIsTakenFromWhereTheFillLanded) {
  std::string scenario = kFillAndBack;
  scenario.insert(scenario.find("app Editor"), "tiling-margin 12\n");
  const std::string text = std::regex_replace(
      recordingOf(scenario), std::regex(R"("tilingMargin":12\.0)"), R"("tilingMargin":null)");
  ASSERT_NE(text.find(R"("tilingMargin":null)"), std::string::npos);
  const std::string derived = derivedScenario(std::get<Recording>(readRecording(text)));
  EXPECT_NE(derived.find("\ntiling-margin 12  # the gap a Fill left"), std::string::npos)
      << derived;
  const Measure measure = measured(text);
  ASSERT_FALSE(measure.failure) << *measure.failure;
  EXPECT_EQ(differenceTable(measure.differences, 0), differenceTable({}, 0));
}

// A Mac's recording is of a session being recorded: its status menu says so and can stop it,
// which ends the file. The simulated Mac recorded shows the same, replays and compares clean.
TEST(Compare, ARecordingStoppedFromTheMenuEndsThereAndComparesClean) {
  std::string scenario = kFillAndBack;
  scenario += "at 2.0 choose \"Ferma la registrazione\"\n";
  const std::string text = recordingOf(scenario);
  EXPECT_NE(text.find("\"Plumora · registrazione in corso !\""), std::string::npos) << text;
  EXPECT_NE(text.find(R"("v":"toggleRecording","title":"Ferma la registrazione")"),
            std::string::npos)
      << text;
  // The second click, at 3.0, came after the end.
  EXPECT_EQ(text.find(R"("t0":3.0)"), std::string::npos) << text;
  const auto read = readRecording(text);
  ASSERT_TRUE(std::holds_alternative<Recording>(read)) << text;
  std::ostringstream out, errors;
  EXPECT_EQ(replay(std::get<Recording>(read), "r", true, out, errors), kAllMet) << errors.str();
  const Measure measure = measured(text);
  ASSERT_FALSE(measure.failure) << *measure.failure;
  EXPECT_EQ(differenceTable(measure.differences, 0), differenceTable({}, 0));
}

// A recording started from the menu holds no launch: the comparison and the derived scenario say
// so before anything else.
TEST(Compare, AMidSessionRecordingSaysWhatItLacks) {
  const std::string text = std::regex_replace(
      recordingOf(kFillAndBack), std::regex(R"("quirks":\[\])"), R"("quirks":["mid-session"])");
  const auto read = readRecording(text);
  ASSERT_TRUE(std::holds_alternative<Recording>(read));
  std::ostringstream out, errors;
  compareWithSimulator(std::get<Recording>(read), "r", out, errors);
  EXPECT_EQ(linesOf(out.str()).at(1).rfind("the recording began mid-session", 0), 0u) << out.str();
  EXPECT_EQ(linesOf(derivedScenario(std::get<Recording>(read))).at(2),
            "# The recording began mid-session: this desktop launches the program at its start,");
}

struct HandEdit {
  const char* name;
  void (*apply)(Lines& lines);
  DifferenceKind kind;
  const char* recorded;   // what the table must say the recording held
  const char* simulated;  // and the simulated Mac
};

const HandEdit kHandEdits[] = {
    {"a Fill that settled 0.4 s later", edits::fillSettledLater, DifferenceKind::Settling, "1.2 s",
     "0.8 s"},
    {"a frame after the Fill 8 points off", edits::frameOffAfterFill, DifferenceKind::Frame,
     "(8,25 1440x875), 8 points off", "(0,25 1440x875)"},
    {"a result code changed: the window's messaging timeout refused", edits::timeoutRefused,
     DifferenceKind::ResultCode, "-25204", "0"},
    {"a request the recording lacks: the full-screen check", edits::fullScreenCheckDropped,
     DifferenceKind::OnlySimulated, "-", "false"},
    {"a log line changed", edits::logLineReworded, DifferenceKind::LogLine,
     "\"Misura prima di Riempi: (0,25 1440x875)\"", "\"Misura dopo Riempi: (0,25 1440x875)\""},
};

class CompareHandEdit : public testing::TestWithParam<HandEdit> {};

TEST_P(CompareHandEdit, GivesExactlyThatDifferenceAndExitOne) {
  const HandEdit& edit = GetParam();
  Lines lines = linesOf(recordingOf(kFillAndBack));
  edit.apply(lines);
  const std::string text = renumbered(lines);
  const Measure measure = measured(text);
  ASSERT_FALSE(measure.failure) << *measure.failure;
  const std::string table = differenceTable(measure.differences, 0);
  ASSERT_EQ(measure.differences.size(), 1u) << table;
  const Difference& d = measure.differences.front();
  EXPECT_EQ(d.kind, edit.kind) << table;
  EXPECT_EQ(d.recordedText, edit.recorded) << table;
  EXPECT_EQ(d.simulatedText, edit.simulated) << table;

  std::ostringstream out, errors;
  const auto read = readRecording(text);
  EXPECT_EQ(compareWithSimulator(std::get<Recording>(read), "r", out, errors), kExpectationFailed);
  EXPECT_NE(out.str().find(kindName(edit.kind)), std::string::npos) << out.str();
}

INSTANTIATE_TEST_SUITE_P(Edits, CompareHandEdit, testing::ValuesIn(kHandEdits),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

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
    {"a window server number as a real Mac gives it",
     "window Nota of Editor frame 1100,600 200x100\n  number 4242\nat 4.0 click Nota green\n",
     "  number 4242"},
    {"an application in front from the start, none of its windows ever seen",
     "app Viewer pid 502\n  menus standard\nwindow Foto of Viewer frame 1000,500 300x300\nfocus "
     "Foto\nat 0.5 menu\nat 0.8 focus Documento\n",
     "at 0 activate Viewer"},
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

TEST(DerivedScenarioNumbers, AreWrittenToTheMicrosecondInEveryLocale) {
  EXPECT_EQ(decimalText(0.07), "0.07");
  EXPECT_EQ(decimalText(255), "255");
  EXPECT_EQ(decimalText(-1055), "-1055");
  EXPECT_EQ(decimalText(3.0700000000000003), "3.07");
  EXPECT_EQ(decimalText(0.0000004), "0");
  EXPECT_EQ(decimalText(-0.25), "-0.25");
}

}  // namespace
}  // namespace plumora::simtool

namespace plumora::simtool {
namespace {

// The sizes an application's windows were asked and took, and the rule derived from them.
struct SizingRow {
  const char* name;
  std::vector<RecordedSizing> sizings;
  std::optional<Size> step;
  std::optional<Size> minimum;
};

const SizingRow kSizings[] = {
    {"nothing rounded: no step", {{{1440, 875}, {1440, 875}}, {{800, 600}, {800, 600}}}, {}, {}},
    {"a terminal's cells, seen in one Fill", {{{1424, 859}, {1422, 840}}}, Size{1422, 840}, {}},
    {"the step divides every size taken, exact ones too",
     {{{1424, 859}, {1422, 840}}, {{810, 600}, {810, 600}}},
     Size{18, 120},
     {}},
    {"a size raised to a least width, the height as asked",
     {{{800, 600}, {1500, 600}}},
     {},
     Size{1500, 0}},
    {"a least size and a step together",
     {{{300, 200}, {450, 240}}, {{1000, 875}, {990, 860}}},
     Size{90, 20},
     Size{450, 240}},
};

class SizeRuleRow : public testing::TestWithParam<SizingRow> {};

TEST_P(SizeRuleRow, ReproducesEverySizeTaken) {
  const SizingRow& row = GetParam();
  const SizeRule rule = sizeRule(row.sizings);
  EXPECT_EQ(rule.step, row.step);
  EXPECT_EQ(rule.minimum, row.minimum);
  // The rule, applied as the simulated Mac applies it, gives back each size taken.
  for (const RecordedSizing& s : row.sizings) {
    const auto axis = [](double asked, double step, double least) {
      const double taken = step > 0 ? std::floor(asked / step) * step : asked;
      return std::max(taken, step > 0 ? std::ceil(least / step) * step : least);
    };
    const Size step = rule.step.value_or(Size{});
    const Size least = rule.minimum.value_or(Size{});
    EXPECT_EQ((Size{axis(s.asked.width, step.width, least.width),
                    axis(s.asked.height, step.height, least.height)}),
              s.taken);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizings, SizeRuleRow, testing::ValuesIn(kSizings),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

// A size taken in steps keeps the corner asked; a window put elsewhere is no rounding.
TEST(TakenInSteps, KeepsTheCornerAndRoundsByLessThanTheSide) {
  const Rect asked = Rect::make(200, 150, 800, 610);
  EXPECT_TRUE(takenInSteps(asked, Rect::make(200, 150, 792, 600)));
  EXPECT_TRUE(takenInSteps(asked, Rect::make(200, 150, 1500, 610)));
  EXPECT_FALSE(takenInSteps(asked, Rect::make(100, 100, 792, 600)));
  EXPECT_FALSE(takenInSteps(asked, Rect::make(200, 150, 300, 600)));
}

}  // namespace
}  // namespace plumora::simtool
