#pragma once

// Every port wrapped so that each call is written down by a recorder, then handed to the
// platform's own port unchanged. The same wrappers go around the real Mac and the simulated one;
// the program above them cannot tell. With the recorder stopped, a call costs a check of a flag
// (and elements are still wrapped, so that a recording started later can follow them).

#include <memory>

#include "platform/platform.hpp"
#include "platform/status_bar.hpp"
#include "recording/recorder.hpp"

namespace plumora {

class RecordingPlatform {
 public:
  RecordingPlatform(Platform& inner, Recorder& recorder);
  ~RecordingPlatform();
  RecordingPlatform(const RecordingPlatform&) = delete;
  RecordingPlatform& operator=(const RecordingPlatform&) = delete;

  // The ports to hand to the program.
  Platform& platform() { return *platform_; }

  // What reaches the program from outside the ports, told by the application's shell as it
  // passes it on: the user chose an item of the status menu.
  void menuChosen(MenuAction action);
  // The status menu is about to open (the user clicked the item, or the program did).
  void menuOpened();

  // The header of a recording of this platform, as far as the ports tell it. Main thread.
  RecordingHeader header(std::string plumoraVersion);

 private:
  struct Ports;
  Platform& inner_;
  Recorder& recorder_;
  std::unique_ptr<Ports> ports_;
  std::unique_ptr<Platform> platform_;
};

// The names the recording gives to menu actions and event types, also read back by a replay.
std::string_view menuActionName(MenuAction action);
std::string_view eventTypeName(EventType type);

}  // namespace plumora
