#pragma once

// The simulated shell's side of a recording: the Option key as the test holds it, the files
// shown in the file viewer, and the tiled-window margins switch.

#include <optional>
#include <string>
#include <vector>

#include "platform/session_recording.hpp"

namespace plumora::sim {

class SimRecordingHost : public RecordingHost {
 public:
  bool optionKeyHeld() override { return optionHeld; }
  void revealFile(std::string_view path) override { revealed.emplace_back(path); }
  std::optional<bool> tiledWindowMargins() override { return margins; }

  bool optionHeld = false;
  std::vector<std::string> revealed;
  std::optional<bool> margins = true;
};

}  // namespace plumora::sim
