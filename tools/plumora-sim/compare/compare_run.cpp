#include "compare/compare_run.hpp"

#include <sstream>
#include <variant>

#include "compare/derived_scenario.hpp"
#include "scenario/scenario_parser.hpp"

namespace plumora::simtool {

Measure measureSimulator(const Recording& recording) {
  const std::string scenarioText = derivedScenario(recording);
  auto parsed = parseScenario(scenarioText);
  if (const auto* bad = std::get_if<ParseError>(&parsed)) {
    return {{}, "the scenario derived from it does not read: " + errorLine("derived", *bad)};
  }
  std::ostringstream timeline, runErrors;
  std::string simulatedText;
  const ExitStatus ran = simulate(std::get<Scenario>(parsed), "derived", true, timeline, runErrors,
                                  nullptr, &simulatedText);
  if (ran == kInternalError || ran == kBadInput) {
    return {{}, "the scenario derived from it did not run: " + runErrors.str()};
  }
  auto simulated = readRecording(simulatedText);
  if (const auto* bad = std::get_if<RecordingError>(&simulated)) {
    return {{},
            "the simulated run's recording does not read: line " + std::to_string(bad->line) +
                ": " + bad->why};
  }
  return {differences(recording, std::get<Recording>(simulated)), std::nullopt};
}

ExitStatus compareWithSimulator(const Recording& recording, std::string_view file,
                                std::ostream& out, std::ostream& errors) {
  const Measure measure = measureSimulator(recording);
  if (measure.failure) {
    errors << "plumora-sim: " << file << ": " << *measure.failure << '\n';
    return kInternalError;
  }
  out << "comparison of " << file << " with the simulated Mac\n"
      << differenceTable(measure.differences, recording.events.size());
  return measure.differences.empty() ? kAllMet : kExpectationFailed;
}

}  // namespace plumora::simtool
