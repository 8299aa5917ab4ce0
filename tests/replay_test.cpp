// A recording of the built-in demo, replayed: damaged or edited copies of it must be refused or
// reported at the right event.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "recording_lines.hpp"
#include "replay/recording_file.hpp"
#include "replay/replay_run.hpp"
#include "run/builtin_scenario.hpp"
#include "run/simulation.hpp"
#include "scenario/scenario_parser.hpp"

namespace plumora::simtool {
namespace {

// Recorded once for all the rows.
const std::string& demoRecording() {
  static const std::string recording = [] {
    const auto parsed = parseScenario(kBuiltinScenario);
    std::ostringstream out, errors;
    std::string text;
    EXPECT_EQ(simulate(std::get<Scenario>(parsed), "demo", true, out, errors, nullptr, &text),
              kAllMet);
    return text;
  }();
  return recording;
}

// The event number a line has once the file is renumbered: the header is line 0.
std::size_t eventAt(std::size_t index) {
  return index;
}

std::size_t nextWriteOnFill(const Lines& lines, std::size_t from) {
  for (std::size_t i = from; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (l.find("\"th\":\"fill\"") == std::string::npos) continue;
    if (l.find("\"ev\":\"ax.set\"") != std::string::npos ||
        l.find("\"ev\":\"ax.perform\"") != std::string::npos ||
        l.find("\"ev\":\"log\"") != std::string::npos ||
        l.find("\"ev\":\"kb.") != std::string::npos ||
        l.find("\"ev\":\"ax.timeout\"") != std::string::npos) {
      return i;
    }
  }
  return lines.size();
}

struct Outcome {
  ExitStatus status;
  std::string errors;
};

Outcome replayed(const std::string& text) {
  auto read = readRecording(text);
  if (const auto* bad = std::get_if<RecordingError>(&read)) {
    return {kBadInput, std::to_string(bad->line) + ": " + bad->why};
  }
  std::ostringstream out, errors;
  const ExitStatus status = replay(std::get<Recording>(read), "r", true, out, errors);
  return {status, errors.str()};
}

TEST(Replay, TheDemoRecordedReplaysWithNoDivergence) {
  const Outcome outcome = replayed(demoRecording());
  EXPECT_EQ(outcome.status, kAllMet) << outcome.errors;
}

// The page of a replay follows the window through what the program read of it: filled after the
// Fill, its old frame outlined, back after the second click.
TEST(Replay, ThePageFollowsTheWindowThroughWhatTheProgramRead) {
  auto read = readRecording(demoRecording());
  ASSERT_TRUE(std::holds_alternative<Recording>(read));
  std::ostringstream out, errors;
  PageContent page;
  ASSERT_EQ(replay(std::get<Recording>(read), "r", true, out, errors, &page), kAllMet);
  const auto stepWith = [&](const std::string& text) -> const Step* {
    for (const Step& step : page.steps) {
      if (step.text.find(text) != std::string::npos) return &step;
    }
    ADD_FAILURE() << "no step with " << text;
    return nullptr;
  };
  const Step* filled = stepWith("Misura dopo Riempi: (0,25 1440x875)");
  const Step* restored = stepWith("Misura di prima rimessa da macOS (200,150 800x600)");
  ASSERT_TRUE(filled && restored);
  ASSERT_TRUE(filled->scene.changedWindow);
  const auto windowIn = [&](const Step& step) -> const DrawnWindow* {
    for (const DrawnWindow& window : step.scene.windows) {
      if (window.name == *filled->scene.changedWindow) return &window;
    }
    return nullptr;
  };
  const DrawnWindow* after = windowIn(*filled);
  const DrawnWindow* back = windowIn(*restored);
  ASSERT_TRUE(after && back);
  EXPECT_EQ(after->frame, Rect::make(0, 25, 1440, 875));
  EXPECT_EQ(filled->scene.before, Rect::make(200, 150, 800, 600));
  EXPECT_EQ(back->frame, Rect::make(200, 150, 800, 600));
  // The green button moved with the window.
  EXPECT_EQ(after->green.origin.x, back->green.origin.x - 200);
  EXPECT_EQ(after->green.origin.y, back->green.origin.y - 125);
}

// Each edit of the conversation, and the event the replay must stop at.
struct Edit {
  const char* name;
  // Edits the lines; gives the index of the line where the divergence is to be reported.
  std::size_t (*apply)(Lines& lines);
  const char* asked;  // part of what the program asked there
};

const Edit kEdits[] = {
    {"an answer changed: the Fill item's press fails",
     [](Lines& lines) {
       const std::size_t press = indexOf(lines, "\"action\":\"AXPress\"");
       lines[press] = std::regex_replace(lines[press], std::regex("\"rc\":0"), "\"rc\":-25204");
       return nextWriteOnFill(lines, press + 1);
     },
     "-25204"},
    {"a request removed: the Fill item's press",
     [](Lines& lines) {
       const std::size_t press = indexOf(lines, "\"action\":\"AXPress\"");
       lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(press));
       return nextWriteOnFill(lines, press);
     },
     "\"action\":\"AXPress\""},
    {"two requests swapped: the first two attribute writes of an activation",
     [](Lines& lines) {
       const std::size_t size = indexOf(lines, "\"ev\":\"ax.set\"");
       const std::size_t position = indexOf(lines, "\"ev\":\"ax.set\"", size + 1);
       std::swap(lines[size], lines[position]);
       return size;
     },
     "\"ev\":\"ax.set\""},
    {"a log line changed",
     [](Lines& lines) {
       const std::size_t log = indexOf(lines, "Riempi dal menu");
       lines[log] =
           std::regex_replace(lines[log], std::regex("Riempi dal menu"), "Riempi dal tasto");
       return log;
     },
     "Riempi dal menu"},
};

class ReplayEdit : public testing::TestWithParam<Edit> {};

TEST_P(ReplayEdit, IsReportedAtItsEventWithExitOne) {
  Lines lines = linesOf(demoRecording());
  const std::size_t at = GetParam().apply(lines);
  const Outcome outcome = replayed(renumbered(lines));
  EXPECT_EQ(outcome.status, kExpectationFailed) << outcome.errors;
  EXPECT_NE(outcome.errors.find("diverged at event " + std::to_string(eventAt(at)) + " "),
            std::string::npos)
      << outcome.errors;
  const std::size_t askedAt = outcome.errors.find("the program asked:");
  ASSERT_NE(askedAt, std::string::npos) << outcome.errors;
  EXPECT_NE(outcome.errors.find(GetParam().asked, askedAt), std::string::npos) << outcome.errors;
  EXPECT_NE(outcome.errors.find("closest recorded:"), std::string::npos);
  EXPECT_NE(outcome.errors.find("the events before it:"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Edits, ReplayEdit, testing::ValuesIn(kEdits),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

// Files that are no whole recording: refused with the line and why, never run.
struct Damage {
  const char* name;
  std::string (*make)(const std::string& whole);
  const char* why;  // "line: why" must contain this
};

const Damage kDamages[] = {
    {"empty", [](const std::string&) { return std::string(); }, "0: the file is empty"},
    {"random bytes",
     [](const std::string&) { return std::string("\x7f\x45\x4c\x46\x02\x01\x01\xff\xfe", 9); },
     "1: not a recording: the first line is not JSON"},
    {"NUL bytes", [](const std::string&) { return std::string(64, '\0'); },
     "0: not a recording: the file holds NUL bytes"},
    {"a scenario instead", [](const std::string&) { return std::string(kBuiltinScenario); },
     "1: not a recording"},
    {"without its closing line",
     [](const std::string& whole) { return whole.substr(0, whole.rfind("{\"end\"")); },
     "cut off: the file ends after"},
    {"cut in the middle of a line",
     [](const std::string& whole) { return whole.substr(0, whole.size() / 2); }, "cut off"},
    {"a newer format",
     [](const std::string& whole) {
       return std::regex_replace(whole, std::regex("\"format\":1"), "\"format\":2");
     },
     "1: format 2 is newer than this reader's"},
    {"the closing count wrong",
     [](const std::string& whole) {
       return std::regex_replace(whole, std::regex("\\{\"end\":[0-9]+\\}"), "{\"end\":3}");
     },
     "the closing line counts 3 events"},
    {"an event number twice",
     [](const std::string& whole) {
       return std::regex_replace(whole, std::regex("\"n\":2\\}"), "\"n\":1}");
     },
     "event number 1 appears twice"},
    {"a line after the closing line",
     [](const std::string& whole) { return whole + "{\"end\":0}\n"; },
     "a line after the closing line"},
};

class ReplayDamage : public testing::TestWithParam<Damage> {};

TEST_P(ReplayDamage, IsRefusedWithItsLineAndWhy) {
  const Outcome outcome = replayed(GetParam().make(demoRecording()));
  EXPECT_EQ(outcome.status, kBadInput);
  EXPECT_NE(outcome.errors.find(GetParam().why), std::string::npos) << outcome.errors;
}

INSTANTIATE_TEST_SUITE_P(Damages, ReplayDamage, testing::ValuesIn(kDamages),
                         [](const auto& info) { return "row" + std::to_string(info.index); });

}  // namespace
}  // namespace plumora::simtool
