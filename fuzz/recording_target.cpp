// The libFuzzer entry of the recording reader: any bytes are read as a recording, and what reads
// as one has its desktop derived as a scenario, which is read back, and is replayed. None of it
// may crash, hang or touch memory it does not own.
#include <cstdint>
#include <sstream>
#include <string_view>

#include "compare/derived_scenario.hpp"
#include "replay/recording_file.hpp"
#include "replay/replay_run.hpp"
#include "scenario/scenario_parser.hpp"

namespace {

// Longer recordings are read but not replayed: the virtual clock would tick through the
// program's permission poll for each second of them, which is time, not a fault.
constexpr double kLongestReplayed = 600;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto read = plumora::simtool::readRecording(text);
  auto* recording = std::get_if<plumora::simtool::Recording>(&read);
  if (!recording) return 0;
  // A derived scenario may be refused (a value past what a scenario takes): read, never run.
  (void)plumora::simtool::parseScenario(plumora::simtool::derivedScenario(*recording));
  double end = recording->start;
  for (const auto& event : recording->events) end = std::max(end, event.after);
  if (end - recording->start > kLongestReplayed) return 0;
  std::ostringstream out, errors;
  plumora::simtool::replay(*recording, "fuzz", true, out, errors);
  return 0;
}
