#pragma once

// Any bytes given to plumora-sim as a scenario: read as it reads them, and, when they are a
// scenario, run as it runs them. A broken promise prints what broke and aborts, so that libFuzzer
// keeps the input:
// - a refusal names a line of the file, in one message that is printable: no control byte, no
//   byte that is not UTF-8;
// - a scenario read keeps within the limits of scenario_limits.hpp, whatever path through the
//   reader it took;
// - its run ends (a hang is caught by libFuzzer's -timeout), without an internal error, and its
//   page is drawn.

#include <cstddef>
#include <string_view>

namespace plumora::fuzz {

struct ReaderOutcome {
  bool refused = false;
  int status = 0;  // the run's exit status when not refused
  std::size_t actions = 0;
};

ReaderOutcome readAndRunScenario(std::string_view bytes);

}  // namespace plumora::fuzz
