#pragma once

// The command's arguments.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace plumora::simtool {

struct CommandLine {
  enum class Request { Run, Help, Version };
  Request request = Request::Run;
  std::optional<std::string> file;  // none: the built-in demo
  bool quiet = false;
  std::optional<std::string> page;     // --html: where the page of the run goes
  std::optional<std::string> picture;  // --svg: where one step's drawing goes
  std::optional<std::size_t> step;     // --step: which step --svg draws (none: the last)
  std::optional<std::string> record;   // --record: where the recording of the run goes
  std::optional<std::string> replay;   // --replay: the recording to run the program against
  std::optional<std::string> derive;   // --scenario-from: the recording to write a scenario of
  std::optional<std::string> compare;  // --compare: the recording to measure the simulator by
};

struct CommandLineError {
  std::string message;
};

// Arguments after the command's name.
std::optional<CommandLine> readCommandLine(const std::vector<std::string>& arguments,
                                           CommandLineError& error);

inline constexpr const char* kUsage =
    "usage: plumora-sim [--quiet] [--html FILE] [--svg FILE [--step N]] [--record FILE] "
    "[SCENARIO]\n"
    "       plumora-sim [--quiet] [--html FILE] --replay FILE\n"
    "       plumora-sim [--html FILE] --compare FILE\n"
    "       plumora-sim --scenario-from FILE\n"
    "\n"
    "Runs Plumora's core against a simulated Mac in virtual time and prints what happens:\n"
    "the user's actions, what the click watcher decided, what reached each application,\n"
    "the program's log lines and every window frame change. Without SCENARIO it runs a\n"
    "built-in demo. The scenario format is described in docs/scenarios.md.\n"
    "\n"
    "  --quiet      print only the program's log lines, as its log file has them\n"
    "  --html FILE  also write a page that draws the desktop at every line of the timeline,\n"
    "               to step through in a browser; FILE#step=N opens it at line N\n"
    "  --svg FILE   also write the drawing of one line as an SVG picture\n"
    "  --step N     the line --svg draws, counted from 1 as in the page (default: the last)\n"
    "  --record FILE  also write the program's whole conversation with the simulated Mac\n"
    "               there, one JSON line per request (see docs/recordings.md)\n"
    "  --replay FILE  run the program against a recording instead of a scenario: every\n"
    "               request answered from the file, every event at its recorded time\n"
    "  --scenario-from FILE  write a scenario that rebuilds the recorded desktop, its\n"
    "               applications' timings and the user's actions\n"
    "  --compare FILE  run that scenario on the simulated Mac and list where its answers\n"
    "               differ from the recording's: frames, result codes, timings, requests;\n"
    "               with --html, the page of that run with the table of differences above it\n"
    "  --help       print this help\n"
    "  --version    print the version\n"
    "\n"
    "Exit status: 0 when every expectation of the scenario is met, 1 when one is not,\n"
    "2 for a bad argument, a malformed scenario or a file that cannot be written (nothing is\n"
    "run), or a --step past the last line, 3 when the run stopped on an internal error.\n"
    "With --replay: 0 when every request was answered from the file and the log lines are\n"
    "the recorded ones, 1 at the first divergence, 2 for a file that is no whole recording.\n"
    "With --compare: 0 when there is no difference, 1 when there is, 2 as --replay.\n";

}  // namespace plumora::simtool
