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
#include "scenario/scenario_limits.hpp"
#include "scenario/scenario_parser.hpp"
#include "scenario/scenario_text.hpp"

using namespace plumora::simtool;

namespace {

// A file's text, or why there is none (`what`: "scenario", "recording"). A file past `limit` is
// not read at all: it is no such file, and reading it would take the time a refusal should not.
std::optional<std::string> readCapped(const std::string& path, std::uintmax_t limit,
                                      const char* what, std::string& why) {
  std::error_code error;
  why = std::string("cannot read the ") + what + " '" + printable(path) + "'";
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  if (std::filesystem::file_size(path, error) > limit) {
    why += ": larger than " + std::to_string(limit >> 20) + " MiB, so not a " + what;
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

// Recordings are capped well below this.
constexpr std::uintmax_t kLargestRecording = std::uintmax_t{256} << 20;

// An output that would overwrite the scenario, or the other output, is a slip of the command line.
bool distinctOutputs(const CommandLine& command) {
  const auto same = [](const std::optional<std::string>& a, const std::optional<std::string>& b) {
    if (!a || !b) return false;
    std::error_code errorA, errorB;
    const auto pathA = std::filesystem::weakly_canonical(*a, errorA);
    const auto pathB = std::filesystem::weakly_canonical(*b, errorB);
    return *a == *b || (!errorA && !errorB && pathA == pathB);
  };
  for (const auto& recording : {command.replay, command.compare}) {
    if (same(command.page, recording)) {
      std::cerr << "plumora-sim: the page would overwrite the recording '" << printable(*recording)
                << "'\n";
      return false;
    }
  }
  if (same(command.page, command.file) || same(command.picture, command.file) ||
      same(command.record, command.file)) {
    std::cerr << "plumora-sim: the output would overwrite the scenario '"
              << printable(*command.file) << "'\n";
    return false;
  }
  if (same(command.record, command.page) || same(command.record, command.picture)) {
    std::cerr << "plumora-sim: --record names the file of another output '"
              << printable(*command.record) << "'\n";
    return false;
  }
  if (same(command.page, command.picture)) {
    std::cerr << "plumora-sim: --html and --svg name the same file '" << printable(*command.page)
              << "'\n";
    return false;
  }
  return true;
}

// Made (and emptied) before the run, so that a place that cannot be written stops it early.
bool openOutput(std::ofstream& out, const std::optional<std::string>& path, const char* what) {
  if (!path) return true;
  out.open(*path, std::ios::binary | std::ios::trunc);
  if (out) return true;
  std::cerr << "plumora-sim: cannot write the " << what << " '" << printable(*path) << "'\n";
  return false;
}

bool writeOutput(std::ofstream& out, const std::string& path, const std::string& bytes,
                 const char* what) {
  out << bytes;
  out.close();
  if (out) return true;
  std::cerr << "plumora-sim: cannot write the " << what << " '" << printable(path) << "'\n";
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
    std::string why;
    const auto read = readCapped(path, kLargestRecording, "recording", why);
    if (!read) {
      std::cerr << "plumora-sim: " << why << "\n";
      return kBadInput;
    }
    auto recording = readRecording(*read);
    if (const auto* bad = std::get_if<RecordingError>(&recording)) {
      std::cerr << "plumora-sim: " << printable(path);
      if (bad->line) std::cerr << ':' << bad->line;
      std::cerr << ": " << bad->why << '\n';
      return kBadInput;
    }
    if (command->derive) {
      std::cout << derivedScenario(std::get<Recording>(recording));
      return kAllMet;
    }
    std::ofstream pageOut;
    if (!distinctOutputs(*command) || !openOutput(pageOut, command->page, "page")) {
      return kBadInput;
    }
    PageContent content;
    PageContent* page = command->page ? &content : nullptr;
    const ExitStatus status =
        command->compare ? compareWithSimulator(std::get<Recording>(recording), printable(path),
                                                std::cout, std::cerr, page)
                         : replay(std::get<Recording>(recording), printable(path), command->quiet,
                                  std::cout, std::cerr, page);
    std::cout.flush();
    if (command->page && !writeOutput(pageOut, *command->page, writePage(content), "page")) {
      return kBadInput;
    }
    return status;
  }

  std::string text(kBuiltinScenario);
  std::string name(kBuiltinScenarioName);
  if (command->file) {
    std::string why;
    const auto read = readCapped(*command->file, limits::kMaxFileBytes, "scenario", why);
    if (!read) {
      std::cerr << "plumora-sim: " << why << "\n";
      return kBadInput;
    }
    text = *read;
    // The name goes into the output: a control character in it must not reach the terminal.
    name = printable(*command->file);
  }
  auto parsed = parseScenario(text);
  if (const auto* bad = std::get_if<ParseError>(&parsed)) {
    std::cerr << errorLine(name, *bad) << '\n';
    return kBadInput;
  }
  // A desktop alone still shows how the program starts on it, which expectations may check.
  if (std::get<Scenario>(parsed).actions.empty()) {
    std::cerr << "plumora-sim: " << name
              << ": no action ('at T ...'): the run shows only the program starting\n";
  }
  std::ofstream pageOut, pictureOut, recordOut;
  if (!distinctOutputs(*command) || !openOutput(pageOut, command->page, "page") ||
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
