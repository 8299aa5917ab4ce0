#pragma once

// The recording of this session as the status menu sees it while a run is recorded: as on a Mac
// recording since its launch, the menu's first line says so and its item stops the recording.
// A run is recorded from its launch and once, so nothing starts another.

#include <functional>
#include <utility>

#include "platform/session_recording.hpp"

namespace plumora::simtool {

class RecordingInProgress final : public SessionRecording {
 public:
  // `stopped` runs once, when the user stops the recording from the menu.
  explicit RecordingInProgress(std::function<void()> stopped) : stopped_(std::move(stopped)) {}

  // Only asked while no recording runs, when the menu would offer one.
  bool optionKeyHeld() override { return false; }
  bool isRecording() override { return recording_; }
  bool start() override { return false; }
  void stop() override {
    if (!recording_) return;
    recording_ = false;
    if (stopped_) stopped_();
  }

 private:
  std::function<void()> stopped_;
  bool recording_ = true;
};

}  // namespace plumora::simtool
