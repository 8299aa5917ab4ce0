#include "command_line.hpp"

#include <cstddef>

namespace plumora::simtool {
namespace {

// A step number: decimal digits only, from 1.
std::optional<std::size_t> stepNumber(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::size_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<std::size_t>(c - '0');
  }
  if (number == 0) return std::nullopt;
  return number;
}

}  // namespace

std::optional<CommandLine> readCommandLine(const std::vector<std::string>& arguments,
                                           CommandLineError& error) {
  CommandLine command;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    // An option's value: the next argument, whatever it looks like.
    const auto value = [&](std::optional<std::string>& into, const char* what) {
      if (into) {
        error.message = "option '" + argument + "' given twice";
      } else if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error.message = "option '" + argument + "' needs " + what;
      } else {
        into = arguments[++i];
        return true;
      }
      return false;
    };
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (argument == "--help" || argument == "-h")) {
      command.request = CommandLine::Request::Help;
    } else if (!optionsEnded && argument == "--version") {
      command.request = CommandLine::Request::Version;
    } else if (!optionsEnded && (argument == "--quiet" || argument == "-q")) {
      command.quiet = true;
    } else if (!optionsEnded && argument == "--html") {
      if (!value(command.page, "a file name")) return std::nullopt;
    } else if (!optionsEnded && argument == "--svg") {
      if (!value(command.picture, "a file name")) return std::nullopt;
    } else if (!optionsEnded && argument == "--record") {
      if (!value(command.record, "a file name")) return std::nullopt;
    } else if (!optionsEnded && argument == "--replay") {
      if (!value(command.replay, "a file name")) return std::nullopt;
    } else if (!optionsEnded && argument == "--scenario-from") {
      if (!value(command.derive, "a file name")) return std::nullopt;
    } else if (!optionsEnded && argument == "--compare") {
      if (!value(command.compare, "a file name")) return std::nullopt;
    } else if (!optionsEnded && argument == "--step") {
      if (command.step) {
        error.message = "option '--step' given twice";
        return std::nullopt;
      }
      std::optional<std::string> text;
      if (!value(text, "a step number")) return std::nullopt;
      command.step = stepNumber(*text);
      if (!command.step) {
        error.message = "option '--step' needs a step number from 1, not '" + *text + "'";
        return std::nullopt;
      }
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
  if (command.replay && (command.file || command.record || command.picture)) {
    error.message = "option '--replay' runs a recording alone: no scenario, --record or --svg";
    return std::nullopt;
  }
  if (command.derive && (command.file || command.record || command.page || command.picture ||
                         command.replay || command.quiet || command.compare)) {
    error.message = "option '--scenario-from' reads a recording alone: no scenario or other option";
    return std::nullopt;
  }
  // The comparison's page draws the simulated run: --html is the one output it takes.
  if (command.compare &&
      (command.file || command.record || command.picture || command.replay || command.quiet)) {
    error.message =
        "option '--compare' reads a recording alone: no scenario or other option but --html";
    return std::nullopt;
  }
  if (command.step && !command.picture) {
    error.message = "option '--step' chooses the step of '--svg', which is missing";
    return std::nullopt;
  }
  return command;
}

}  // namespace plumora::simtool
