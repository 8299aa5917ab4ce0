#include "compare/stored_exceptions.hpp"

#include <cmath>

#include "compare/derived_scenario.hpp"
#include "scenario/scenario_limits.hpp"

namespace plumora::simtool {
namespace {

// One entry as the scenario language writes it, or nothing where it cannot: a text with control
// characters, a number past what a scenario takes, a list or a dictionary.
std::optional<std::string> entryText(const JsonValue& entry) {
  switch (entry.kind) {
    case JsonValue::Kind::Bool:
      return entry.boolean ? "true" : "false";
    case JsonValue::Kind::Number:
      if (std::fabs(entry.number) > limits::kMaxCoordinate) return std::nullopt;
      return decimalText(entry.number);
    case JsonValue::Kind::String:
      if (!quotable(entry.text)) return std::nullopt;
      return quoted(entry.text);
    case JsonValue::Kind::Null:
    case JsonValue::Kind::Array:
    case JsonValue::Kind::Object:
      break;
  }
  return std::nullopt;
}

}  // namespace

std::string storedExceptionsText(const std::optional<JsonValue>& stored) {
  if (!stored || stored->kind == JsonValue::Kind::Null) return {};
  // What cannot be written stands as `false`: no text either, so that the program leaves it out
  // as it left out the original.
  constexpr const char* kStandIn = "false";
  std::string line;
  std::size_t replaced = 0;
  if (stored->kind == JsonValue::Kind::Array) {
    line = "setting exceptions";
    for (const JsonValue& entry : stored->items) {
      const auto text = entryText(entry);
      line += ' ';
      line += text ? *text : kStandIn;
      if (!text) ++replaced;
    }
  } else {
    const auto text = entryText(*stored);
    line = "setting exceptions-value ";
    line += text ? *text : kStandIn;
    if (!text) ++replaced;
  }
  std::string out;
  if (replaced > 0) {
    out += "# " + std::to_string(replaced) +
           " stored value(s) a scenario cannot write (a list, a dictionary, a text with control "
           "characters, a number past its range) stand as false, which is no text either\n";
  }
  return out + line + '\n';
}

}  // namespace plumora::simtool
