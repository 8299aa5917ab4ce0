#include "scenario_reader_check.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "page/page_writer.hpp"
#include "run/simulation.hpp"
#include "scenario/scenario_limits.hpp"
#include "scenario/scenario_parser.hpp"
#include "scenario/scenario_text.hpp"

namespace plumora::fuzz {
namespace {

using namespace simtool;

[[noreturn]] void broken(const std::string& what) {
  std::fprintf(stderr, "scenario reader: %s\n", what.c_str());
  std::abort();
}

// The run's text is not looked at: it is thrown away as it is written.
class Discard : public std::streambuf {
 protected:
  int overflow(int c) override { return c == traits_type::eof() ? 0 : c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void checkRefusal(std::string_view bytes, const ParseError& error) {
  const auto lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
  if (error.line < 1 || error.line > lines) {
    broken("line " + std::to_string(error.line) + " of " + std::to_string(lines) + ": " +
           printable(error.message));
  }
  if (error.message.empty()) broken("an empty message");
  if (printable(error.message) != error.message) {
    broken("a message that cannot be printed as it is: " + printable(error.message));
  }
}

bool within(const Rect& r) {
  const auto coordinate = [](double v) { return std::abs(v) <= limits::kMaxCoordinate; };
  const auto length = [](double v) { return v >= 0 && v <= limits::kMaxLength; };
  return coordinate(r.origin.x) && coordinate(r.origin.y) && length(r.size.width) &&
         length(r.size.height);
}

void checkLimits(const Scenario& s) {
  if (s.screens.size() > limits::kMaxScreens || s.apps.size() > limits::kMaxApps ||
      s.windows.size() > limits::kMaxWindows || s.actions.size() > limits::kMaxActions ||
      s.expectations.size() > limits::kMaxExpectations) {
    broken("more of a kind than the limits allow");
  }
  if (!(endOf(s) >= 0 && endOf(s) <= limits::kMaxTime + kRunOn)) {
    broken("a run to " + std::to_string(endOf(s)) + " s");
  }
  for (const Action& a : s.actions) {
    if (!(a.time >= 0 && a.time <= limits::kMaxTime)) broken("line " + std::to_string(a.line));
  }
  for (const ScreenSpec& screen : s.screens) {
    if (!within(screen.frame) || !within(screen.visible)) broken("a screen past the limits");
  }
  for (const WindowSpec& w : s.windows) {
    if (!within(w.frame)) broken("the frame of line " + std::to_string(w.line));
  }
  for (const AppSpec& app : s.apps) {
    for (const double delay :
         {app.latency, app.tilingDelay.value_or(0), app.activationDelay.value_or(0)}) {
      if (!(delay >= 0 && delay <= limits::kMaxDelay))
        broken("the delays of line " + std::to_string(app.line));
    }
  }
}

}  // namespace

ReaderOutcome readAndRunScenario(std::string_view bytes) {
  ReaderOutcome outcome;
  // plumora-sim does not read a larger file.
  if (bytes.size() > limits::kMaxFileBytes) return outcome;
  const auto parsed = parseScenario(bytes);
  if (const auto* error = std::get_if<ParseError>(&parsed)) {
    checkRefusal(bytes, *error);
    outcome.refused = true;
    return outcome;
  }
  const Scenario& scenario = std::get<Scenario>(parsed);
  checkLimits(scenario);
  outcome.actions = scenario.actions.size();

  Discard discard;
  std::ostream out(&discard);
  std::ostringstream errors;
  PageContent page;
  outcome.status = simulate(scenario, "fuzz.scn", false, out, errors, &page);
  if (outcome.status != kAllMet && outcome.status != kExpectationFailed) {
    broken("the run stopped: " + errors.str());
  }
  if (writePage(page).empty()) broken("no page");
  return outcome;
}

}  // namespace plumora::fuzz
