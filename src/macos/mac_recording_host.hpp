#pragma once

// The platform's side of recording a session on AppKit: the Option key, the Finder, and the
// window manager's "tiled windows have margins" setting. Main thread.

#include "platform/session_recording.hpp"

namespace plumora {

class MacRecordingHost final : public RecordingHost {
 public:
  bool optionKeyHeld() override;
  void revealFile(std::string_view path) override;
  std::optional<bool> tiledWindowMargins() override;
};

}  // namespace plumora
