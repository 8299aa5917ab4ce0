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

// In front with no window of its own, an application leaves the Editor's window on top of the
// window list: that is not the Editor coming to the front between two reads that say otherwise.
TEST(Compare, AnApplicationInFrontWithNoWindowIsNotTakenForTheOneOnTop) {
  std::string scenario = kFillAndBack;
  scenario.insert(scenario.find("at 1.0"), "app Files pid 400\n  menus standard\n");
  scenario.insert(scenario.find("at 3.0"), "at 2.0 activate Files\nat 2.5 menu\nat 2.9 menu\n");
  const auto read = readRecording(recordingOf(scenario));
  ASSERT_TRUE(std::holds_alternative<Recording>(read));
  const std::string derived = derivedScenario(std::get<Recording>(read));
  EXPECT_NE(derived.find("activate Files  # it came to the front with no window seen"),
            std::string::npos)
      << derived;
  EXPECT_EQ(derived.find("focus window100  # its application came to the front"), std::string::npos)
      << derived;
  const Measure measure = measureSimulator(std::get<Recording>(read));
  ASSERT_FALSE(measure.failure) << *measure.failure;
  EXPECT_EQ(differenceTable(measure.differences, 0), differenceTable({}, 0));
}

// A Mac's recording names its own process, Plumora's version and the system's: the derived
// scenario gives them back, so that they are no difference.
TEST(Compare, TheProgramsProcessAndTheSystemsVersionAreRebuilt) {
  std::string text = recordingOf(kFillAndBack);
  const std::pair<std::string_view, std::string_view> changes[] = {
      {R"("v":900)", R"("v":6543)"},
      {R"("v":[900])", R"("v":[6543])"},
      {"Version 15.2 (Build 24C101)", "Version 15.5 (Build 24F74)"},
      {R"("v":"1.0.0")", R"("v":"1.0.1")"},
      {"Plumora 1.0.0 avviato", "Plumora 1.0.1 avviato"}};
  for (const auto& [from, to] : changes) {
    ASSERT_NE(text.find(from), std::string::npos) << from;
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  const auto read = readRecording(text);
  ASSERT_TRUE(std::holds_alternative<Recording>(read)) << text;
  const std::string derived = derivedScenario(std::get<Recording>(read));
  EXPECT_NE(derived.find("\nsystem-version \"Version 15.5 (Build 24F74)\"\n"), std::string::npos)
      << derived;
  EXPECT_NE(derived.find("\nprogram pid 6543 version \"1.0.1\""), std::string::npos) << derived;
  const Measure measure = measureSimulator(std::get<Recording>(read));
  ASSERT_FALSE(measure.failure) << *measure.failure;
  EXPECT_EQ(differenceTable(measure.differences, 0), differenceTable({}, 0));
}

// A title a recording hides (its length and a hash) is made up in the derived desktop at its
// length: the hashes differ, which is no difference; another length is.
TEST(Compare, AHiddenTitleComparesByItsLength) {
  const std::string scenario = R"(screen standard
setting unified-log debug off
app Finder pid 400
app Editor pid 501
  activation never
window Cartella of Finder frame 40,60 100x80
window Documento of Editor frame 200,150 800x600
focus Cartella
at 1.0 click Documento green
)";
  const std::string text = recordingOf(scenario);
  ASSERT_NE(text.find(R"("attr":"AXTitle","rc":0,"v":{"len":9,)"), std::string::npos) << text;
  const auto read = readRecording(text);
  ASSERT_TRUE(std::holds_alternative<Recording>(read));
  EXPECT_NE(derivedScenario(std::get<Recording>(read)).find(" 800x600 title \"window101\"\n"),
            std::string::npos);
  EXPECT_TRUE(measured(text).differences.empty()) << differenceTable(measured(text).differences, 0);
  // The title read later, and only then, of another length: the window's title changed.
  std::string longer = text;
  const std::size_t last = longer.rfind(R"("v":{"len":9,)");
  ASSERT_NE(last, std::string::npos);
  longer.replace(last, 13, R"("v":{"len":12,)");
  const Measure measure = measured(longer);
  ASSERT_EQ(measure.differences.size(), 1u) << differenceTable(measure.differences, 0);
  EXPECT_EQ(measure.differences.front().kind, DifferenceKind::Answer);
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
