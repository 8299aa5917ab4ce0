// plumora-sim: Plumora's core against a simulated Mac, driven by a scenario.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "command_line.hpp"
#include "compare/compare_run.hpp"
#include "compare/derived_scenario.hpp"
#include "page/page_writer.hpp"
#include "replay/recording_file.hpp"
#include "replay/replay_run.hpp"
#include "run/builtin_scenario.hpp"
#include "run/simulation.hpp"
#include "scenario/scenario_parser.hpp"

using namespace plumora::simtool;

namespace {

std::optional<std::string> readFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

// Made (and emptied) before the run, so that a place that cannot be written stops it early.
bool openOutput(std::ofstream& out, const std::optional<std::string>& path, const char* what) {
  if (!path) return true;
  out.open(*path, std::ios::binary | std::ios::trunc);
  if (out) return true;
  std::cerr << "plumora-sim: cannot write the " << what << " '" << *path << "'\n";
  return false;
}

bool writeOutput(std::ofstream& out, const std::string& path, const std::string& bytes,
                 const char* what) {
  out << bytes;
  out.close();
  if (out) return true;
  std::cerr << "plumora-sim: cannot write the " << what << " '" << path << "'\n";
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLineError error;
  const auto command = readCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!command) {
    std::cerr << "plumora-sim: " << error.message << '\n';
    return kBadInput;
  }
  if (command->request == CommandLine::Request::Help) {
    std::cout << kUsage;
    return kAllMet;
  }
  if (command->request == CommandLine::Request::Version) {
    std::cout << "plumora-sim " << PLUMORA_VERSION << '\n';
    return kAllMet;
  }

  if (command->replay || command->derive || command->compare) {
    const std::string& path = command->replay   ? *command->replay
                              : command->derive ? *command->derive
                                                : *command->compare;
    const auto read = readFile(path);
    if (!read) {
      std::cerr << "plumora-sim: cannot read the recording '" << path << "'\n";
      return kBadInput;
    }
    auto recording = readRecording(*read);
    if (const auto* bad = std::get_if<RecordingError>(&recording)) {
      std::cerr << "plumora-sim: " << path;
      if (bad->line) std::cerr << ':' << bad->line;
      std::cerr << ": " << bad->why << '\n';
      return kBadInput;
    }
    if (command->derive) {
      std::cout << derivedScenario(std::get<Recording>(recording));
      return kAllMet;
    }
    if (command->compare) {
      return compareWithSimulator(std::get<Recording>(recording), path, std::cout, std::cerr);
    }
    return replay(std::get<Recording>(recording), path, command->quiet, std::cout, std::cerr);
  }

  std::string text(kBuiltinScenario);
  std::string name(kBuiltinScenarioName);
  if (command->file) {
    const auto read = readFile(*command->file);
    if (!read) {
      std::cerr << "plumora-sim: cannot read the scenario '" << *command->file << "'\n";
      return kBadInput;
    }
    text = *read;
    name = *command->file;
  }
  auto parsed = parseScenario(text);
  if (const auto* bad = std::get_if<ParseError>(&parsed)) {
    std::cerr << errorLine(name, *bad) << '\n';
    return kBadInput;
  }
  std::ofstream pageOut, pictureOut, recordOut;
  if (!openOutput(pageOut, command->page, "page") ||
      !openOutput(pictureOut, command->picture, "picture") ||
      !openOutput(recordOut, command->record, "recording")) {
    return kBadInput;
  }
  std::string recording;
  const bool drawn = command->page || command->picture;
  PageContent content;
  const ExitStatus status =
      simulate(std::get<Scenario>(parsed), name, command->quiet, std::cout, std::cerr,
               drawn ? &content : nullptr, command->record ? &recording : nullptr);
  std::cout.flush();
  if (command->record && !writeOutput(recordOut, *command->record, recording, "recording")) {
    return kBadInput;
  }
  if (command->page && !writeOutput(pageOut, *command->page, writePage(content), "page")) {
    return kBadInput;
  }
  if (command->picture) {
    const std::size_t step = command->step.value_or(content.steps.size());
    if (step == 0 || step > content.steps.size()) {
      std::cerr << "plumora-sim: no step " << step << " to draw: the run has "
                << content.steps.size() << "\n";
      // No empty picture left behind.
      pictureOut.close();
      std::error_code ignored;
      std::filesystem::remove(*command->picture, ignored);
      return kBadInput;
    }
    if (!writeOutput(pictureOut, *command->picture, writePicture(content, step, 960), "picture")) {
      return kBadInput;
    }
  }
  return status;
}
