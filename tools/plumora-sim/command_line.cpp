#include "command_line.hpp"

namespace plumora::simtool {

std::optional<CommandLine> readCommandLine(const std::vector<std::string>& arguments,
                                           CommandLineError& error) {
  CommandLine command;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
      command.request = CommandLine::Request::Help;
    } else if (!optionsEnded && argument == "--version") {
      command.request = CommandLine::Request::Version;
    } else if (!optionsEnded && (argument == "--quiet" || argument == "-q")) {
      command.quiet = true;
    } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
      error.message = "unknown option '" + argument + "' (see --help)";
      return std::nullopt;
    } else if (command.file) {
      error.message = "one scenario at a time: '" + *command.file + "' and '" + argument + "'";
      return std::nullopt;
    } else {
      command.file = argument;
    }
  }
  return command;
}

}  // namespace plumora::simtool
