#include "compare/compare_run.hpp"

#include <sstream>
#include <string>
#include <variant>

#include "compare/conversation_diff.hpp"
#include "compare/derived_scenario.hpp"
#include "scenario/scenario_parser.hpp"

namespace plumora::simtool {

ExitStatus compareWithSimulator(const Recording& recording, std::string_view file,
                                std::ostream& out, std::ostream& errors) {
  const std::string scenarioText = derivedScenario(recording);
  auto parsed = parseScenario(scenarioText);
  if (const auto* bad = std::get_if<ParseError>(&parsed)) {
    errors << "plumora-sim: " << file
           << ": the scenario derived from it does not read: " << errorLine("derived", *bad)
           << '\n';
    return kInternalError;
  }
  std::ostringstream timeline, runErrors;
  std::string simulatedText;
  const ExitStatus ran = simulate(std::get<Scenario>(parsed), "derived", true, timeline, runErrors,
                                  nullptr, &simulatedText);
  if (ran == kInternalError || ran == kBadInput) {
    errors << "plumora-sim: " << file
           << ": the scenario derived from it did not run: " << runErrors.str();
    return kInternalError;
  }
  auto simulated = readRecording(simulatedText);
  if (const auto* bad = std::get_if<RecordingError>(&simulated)) {
    errors << "plumora-sim: " << file << ": the simulated run's recording does not read: line "
           << bad->line << ": " << bad->why << '\n';
    return kInternalError;
  }
  const auto found = differences(recording, std::get<Recording>(simulated));
  out << "comparison of " << file << " with the simulated Mac\n"
      << differenceTable(found, recording.events.size());
  return found.empty() ? kAllMet : kExpectationFailed;
}

}  // namespace plumora::simtool
