// The libFuzzer entry of the recording reader: any bytes are read as a recording, and what reads
// as one is replayed. Neither may crash, hang or touch memory it does not own.
#include <cstdint>
#include <sstream>
#include <string_view>

#include "replay/recording_file.hpp"
#include "replay/replay_run.hpp"

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
  double end = recording->start;
  for (const auto& event : recording->events) end = std::max(end, event.after);
  if (end - recording->start > kLongestReplayed) return 0;
  std::ostringstream out, errors;
  plumora::simtool::replay(*recording, "fuzz", true, out, errors);
  return 0;
}
