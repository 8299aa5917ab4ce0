#pragma once

// The command's arguments.

#include <optional>
#include <string>
#include <vector>

namespace plumora::simtool {

struct CommandLine {
  enum class Request { Run, Help, Version };
  Request request = Request::Run;
  std::optional<std::string> file;  // none: the built-in demo
  bool quiet = false;
};

struct CommandLineError {
  std::string message;
};

// Arguments after the command's name.
std::optional<CommandLine> readCommandLine(const std::vector<std::string>& arguments,
                                           CommandLineError& error);

inline constexpr const char* kUsage =
    "usage: plumora-sim [--quiet] [SCENARIO]\n"
    "\n"
    "Runs Plumora's core against a simulated Mac in virtual time and prints what happens:\n"
    "the user's actions, what the click watcher decided, what reached each application,\n"
    "the program's log lines and every window frame change. Without SCENARIO it runs a\n"
    "built-in demo. The scenario format is described in docs/scenarios.md.\n"
    "\n"
    "  --quiet    print only the program's log lines, as its log file has them\n"
    "  --help     print this help\n"
    "  --version  print the version\n"
    "\n"
    "Exit status: 0 when every expectation of the scenario is met, 1 when one is not,\n"
    "2 for a bad argument or a malformed scenario (nothing is run), 3 when the run stopped\n"
    "on an internal error.\n";

}  // namespace plumora::simtool
