#pragma once

// A recording of the simulated Mac to compare with it: a Fill and back, recorded as
// `plumora-sim --record` writes it, and the hand edits that make it differ from the simulated Mac.

#include <gtest/gtest.h>

#include <cstddef>
#include <regex>
#include <sstream>
#include <string>
#include <variant>

#include "recording_lines.hpp"
#include "run/simulation.hpp"
#include "scenario/scenario_parser.hpp"

namespace plumora::simtool {

inline constexpr const char* kFillAndBack = R"(screen standard
app Editor pid 501 bundle com.example.Editor
  menus standard
window Documento of Editor frame 200,150 800x600
at 1.0 click Documento green
at 3.0 click Documento green
)";

inline std::string recordingOf(const std::string& scenario) {
  const auto parsed = parseScenario(scenario);
  if (const auto* bad = std::get_if<ParseError>(&parsed)) {
    ADD_FAILURE() << errorLine("scenario", *bad);
    return {};
  }
  std::ostringstream out, errors;
  std::string text;
  simulate(std::get<Scenario>(parsed), "scenario", true, out, errors, nullptr, &text);
  return text;
}

namespace edits {

// The frame read that measures the window 0.8 s after the Fill.
inline std::size_t measurementAfterFill(const Lines& lines) {
  return indexOf(lines, R"("t0":1.8,"el":"501:2","attrs":["AXPosition","AXSize"])");
}

inline void fillSettledLater(Lines& lines) {
  std::string& line = lines.at(measurementAfterFill(lines));
  line = std::regex_replace(line, std::regex(R"re("t([01])":1\.8,)re"), "\"t$1\":2.2,");
}

inline void frameOffAfterFill(Lines& lines) {
  std::string& line = lines.at(measurementAfterFill(lines));
  line = std::regex_replace(line, std::regex(R"(\{"pt":\[0\.0,25\.0\]\})"), R"({"pt":[8.0,25.0]})");
}

// The window's messaging timeout refused.
inline void timeoutRefused(Lines& lines) {
  std::string& line = lines.at(indexOf(lines, R"("el":"501:2","seconds":1.5,"rc":0)"));
  line = std::regex_replace(line, std::regex(R"("rc":0)"), R"("rc":-25204)");
}

inline void fullScreenCheckDropped(Lines& lines) {
  lines.erase(lines.begin() +
              static_cast<std::ptrdiff_t>(indexOf(lines, R"("attr":"AXFullScreen")")));
}

// The log line of the measurement after the Fill with `words` (in JSON's form) for "dopo".
inline void rewordMeasurement(Lines& lines, const std::string& words) {
  std::string& line = lines.at(indexOf(lines, "Misura dopo Riempi"));
  line.replace(line.find("dopo"), 4, words);
}

inline void logLineReworded(Lines& lines) {
  rewordMeasurement(lines, "prima di");
}

}  // namespace edits

}  // namespace plumora::simtool
