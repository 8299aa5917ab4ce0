#include "compare/compare_run.hpp"

#include <algorithm>
#include <sstream>
#include <utility>
#include <variant>

#include "compare/derived_scenario.hpp"
#include "scenario/scenario_parser.hpp"

namespace plumora::simtool {

Measure measureSimulator(const Recording& recording, PageContent* page) {
  const std::string scenarioText = derivedScenario(recording);
  auto parsed = parseScenario(scenarioText);
  if (const auto* bad = std::get_if<ParseError>(&parsed)) {
    return {{}, "the scenario derived from it does not read: " + errorLine("derived", *bad)};
  }
  std::ostringstream timeline, runErrors;
  std::string simulatedText;
  const ExitStatus ran = simulate(std::get<Scenario>(parsed), "derived", true, timeline, runErrors,
                                  page, &simulatedText);
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

namespace {

// The page's heading and table: the same words and values as the printed table.
Comparison comparisonOf(const std::vector<Difference>& found, std::string title,
                        std::size_t eventsCompared) {
  Comparison comparison{std::move(title), differenceHeading(found, eventsCompared), {}};
  for (const Difference& d : found) {
    comparison.rows.push_back({kindName(d.kind), eventText(d.recorded), eventText(d.simulated),
                               d.request, d.recordedText, d.simulatedText});
  }
  return comparison;
}

}  // namespace

ExitStatus compareWithSimulator(const Recording& recording, std::string_view file,
                                std::ostream& out, std::ostream& errors, PageContent* page) {
  const Measure measure = measureSimulator(recording, page);
  const std::string compared = std::string(file) + " with the simulated Mac";
  if (page) page->file = std::string(file);
  if (measure.failure) {
    errors << "plumora-sim: " << file << ": " << *measure.failure << '\n';
    if (page) {
      page->summary = *measure.failure;
      page->allMet = false;
    }
    return kInternalError;
  }
  out << "comparison of " << compared << '\n';
  if (std::find(recording.quirks.begin(), recording.quirks.end(), "mid-session") !=
      recording.quirks.end()) {
    out << "the recording began mid-session: the simulated run starts with a launch it does not "
           "hold, and the program's state from before it is not rebuilt, so differences from "
           "those come before any from the simulated Mac\n";
  }
  out << differenceTable(measure.differences, recording.events.size());
  if (page) {
    std::string title = "Comparison of ";
    title += compared;
    page->comparison = comparisonOf(measure.differences, std::move(title), recording.events.size());
    // The header tells the comparison's outcome; the derived run's expectations stay below.
    const std::size_t count = measure.differences.size();
    page->summary = count == 0   ? "no differences from the recording"
                    : count == 1 ? "1 difference from the recording"
                                 : std::to_string(count) + " differences from the recording";
    page->allMet = count == 0;
  }
  return measure.differences.empty() ? kAllMet : kExpectationFailed;
}

}  // namespace plumora::simtool
