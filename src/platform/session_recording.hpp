#pragma once

// Recording this session, as far as the status menu is concerned, and what the platform's shell
// gives the recording. Main thread only.

#include <optional>
#include <string_view>

namespace plumora {

// What the menu asks of the recording of the program's conversation with the system.
class SessionRecording {
 public:
  virtual ~SessionRecording() = default;

  // Whether the user holds Option now, as the menu opens: the menu then offers to record.
  virtual bool optionKeyHeld() = 0;
  virtual bool isRecording() = 0;
  // Starts recording to a new file; false when the file cannot be made.
  virtual bool start() = 0;
  // Stops recording, then shows the file.
  virtual void stop() = 0;
};

// The platform's side of a recording: the keyboard's modifiers, the file viewer, and a system
// setting that decides where Fill puts a window.
class RecordingHost {
 public:
  virtual ~RecordingHost() = default;

  virtual bool optionKeyHeld() = 0;
  // Opens a file viewer window with the file selected.
  virtual void revealFile(std::string_view path) = 0;
  // The system's "tiled windows have margins" switch; none when it cannot be read.
  virtual std::optional<bool> tiledWindowMargins() = 0;
};

}  // namespace plumora
