#pragma once

// Recording this session: the program runs on the recording wrappers from its start, and the
// status menu (or a defaults key, for a problem that shows early) starts and stops writing their
// lines to a file of its own in ~/Library/Logs/Plumora/recordings/. A file stops by itself at
// the cap. Starting, stopping and the stop at the cap all happen on the main thread.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/platform.hpp"
#include "platform/session_recording.hpp"
#include "recording/recorder.hpp"
#include "recording/recording_file.hpp"
#include "recording/recording_platform.hpp"

namespace plumora {

class RecordingSession final : public SessionRecording {
 public:
  // On: the program records from its launch.
  static constexpr std::string_view kRecordAtLaunchKey = "RecordAtLaunch";
  // A recording stops by itself at the first line past this size.
  static constexpr std::uintmax_t kCapBytes = 32 * 1024 * 1024;

  // Where the recordings of the user whose home folder is given go.
  static std::filesystem::path folderIn(const std::filesystem::path& home);
  // "plumora-2026-12-08-143005.jsonl": sorted by when they were made, no space to quote.
  static std::string fileName(const LocalTime& time);

  // `inner` is the platform's own ports; the program gets platform() instead.
  RecordingSession(Platform& inner, RecordingHost& host, std::string plumoraVersion,
                   std::uintmax_t capBytes = kCapBytes);
  RecordingSession(const RecordingSession&) = delete;
  RecordingSession& operator=(const RecordingSession&) = delete;

  // The ports, wrapped, for the program: always, so that elements made before a recording
  // starts are known to it.
  Platform& platform() { return platform_.platform(); }
  // The shell passes each chosen menu item on, except the recording's own.
  void menuChosen(MenuAction action) { platform_.menuChosen(action); }
  void menuOpened() { platform_.menuOpened(); }

  // Before the program starts: records from its first request when the defaults key is on.
  void startIfAskedAtLaunch();

  bool optionKeyHeld() override { return host_.optionKeyHeld(); }
  bool isRecording() override { return recorder_.active(); }
  bool start() override;
  void stop() override;
  // Stops without showing the file, as the program ends; `written` runs on the file's queue once
  // the last line is on the disk. Runs `written` at once when nothing is recorded.
  void finish(std::function<void()> written);

  // The file being written, or the last one.
  const std::filesystem::path& file() const { return path_; }

 private:
  bool begin(bool atLaunch);
  // Stops the lines and closes the file; the recorder's count of lines.
  std::uint64_t end(std::function<void()> written);
  void capReached(std::uint64_t generation);
  void log(const std::string& message);

  Platform& inner_;
  RecordingHost& host_;
  const std::string version_;
  const std::uintmax_t capBytes_;
  RecordingFile file_;
  Recorder recorder_;
  RecordingPlatform platform_;
  std::filesystem::path path_;
  // Which file the stop at the cap belongs to: it reaches the main thread after the line that
  // passed the cap, by when the user may have stopped that recording and started another.
  std::atomic<std::uint64_t> generation_{0};
};

}  // namespace plumora
