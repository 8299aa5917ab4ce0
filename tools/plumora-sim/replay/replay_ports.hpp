#pragma once

// Ports that answer from a recording: each request the program makes is written as the recorder
// writes it, looked up in the book, and answered with the recorded result code and value. The
// clock and the queues are the simulated Mac's, so that time moves as it did when recorded.

#include <functional>
#include <memory>
#include <string>

#include "platform/platform.hpp"
#include "recording/recorder.hpp"
#include "replay/replay_book.hpp"
#include "sim/manual_dispatch.hpp"
#include "sim/virtual_clock.hpp"

namespace plumora::simtool {

// What the replayed program did that the timeline shows.
struct ReplayListener {
  std::function<void(LogLevel, std::string_view)> log;
  std::function<void(std::uint16_t keyCode, bool down, std::uint64_t flags)> key;
  std::function<void(std::string_view element, std::string_view what)> wrote;
};

class ReplayPorts {
 public:
  ReplayPorts(ReplayBook& book, sim::VirtualClock& clock, sim::ManualDispatch& dispatch,
              std::string homeFolder);
  ~ReplayPorts();
  ReplayPorts(const ReplayPorts&) = delete;
  ReplayPorts& operator=(const ReplayPorts&) = delete;

  Platform& platform() { return *platform_; }

  // The event tap the program made last and runs, with its callback; null before.
  struct LiveTap {
    TapCallback callback;
    EventTap* tap = nullptr;
  };
  const std::shared_ptr<LiveTap>& liveTap() const;
  // The handler the program gave for the permission notice.
  const std::function<void()>& permissionHandler() const;
  // Called when the program clicks its status item, as the platform opens the menu.
  void onMenuOpen(std::function<void()> open);
  void listen(ReplayListener listener);

  struct Ports;

 private:
  std::unique_ptr<Ports> ports_;
  std::unique_ptr<Platform> platform_;
};

// A recorded value as the port would hand it over.
RawValue rawValueOf(const JsonValue& value, const std::function<ElementRef(std::string)>& element);

}  // namespace plumora::simtool
