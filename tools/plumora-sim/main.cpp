// plumora-sim: Plumora's core against a simulated Mac, driven by a scenario.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "builtin_scenario.hpp"
#include "command_line.hpp"
#include "scenario_parser.hpp"
#include "simulation.hpp"

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
  return simulate(std::get<Scenario>(parsed), name, command->quiet, std::cout, std::cerr);
}
