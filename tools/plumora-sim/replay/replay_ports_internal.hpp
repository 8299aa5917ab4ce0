#pragma once

// What the replay's ports share, and no one else sees: the book, the clock and the queues they
// answer from, the recorder that writes their requests, and the few readers of a recorded value
// every port uses. The ports themselves sit in files of their own, by what they stand in for.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "replay/json_value.hpp"
#include "replay/recording_file.hpp"
#include "replay/replay_ports.hpp"

namespace plumora::simtool {

// Requests written exactly as the recorder writes them, by a recorder of its own.
class Requests {
 public:
  explicit Requests(Clock& clock) : recorder_(clock, sink_) { recorder_.begin({}); }
  Recorder::Line line(std::string_view event) { return recorder_.line(event); }
  // The line just written, as the book matches it.
  std::string take(Recorder::Line& line) {
    line.done();
    JsonError error;
    const auto parsed = parseJson(sink_.last, error);
    return parsed ? requestOf(*parsed) : sink_.last;
  }

 private:
  struct Capture final : RecordingSink {
    void write(std::string_view line) override { last = line; }
    std::string last;
  } sink_;
  Recorder recorder_;
};

inline std::int64_t integerOf(const JsonValue* value, std::int64_t otherwise = 0) {
  if (!value || value->kind != JsonValue::Kind::Number) return otherwise;
  return static_cast<std::int64_t>(value->number);
}

inline bool boolOf(const JsonValue* value) {
  return value && value->kind == JsonValue::Kind::Bool && value->boolean;
}

inline std::string textOf(const JsonValue* value) {
  return value && value->kind == JsonValue::Kind::String ? value->text : std::string();
}

struct ReplayPorts::Ports {
  Ports(ReplayBook& book, sim::VirtualClock& clock, sim::ManualDispatch& dispatch, std::string home)
      : book(book), clock(clock), dispatch(dispatch), home(std::move(home)), requests(clock) {}

  // Asks the book, then lets the time the request took pass, as it did when recorded.
  const RecordedEvent& read(Recorder::Line& line, std::string_view target);
  const RecordedEvent& write(Recorder::Line& line, std::string payload = {});
  void elapse(const RecordedEvent& answer);
  ElementRef element(std::string id);
  RawValue value(const RecordedEvent& answer);

  // Each file of ports makes its own: the elements', accessibility's and window server's
  // (replay_accessibility_ports.cpp); the system's and the rest (replay_system_ports.cpp).
  void makeAccessibilityPorts();
  void makeSystemPorts();

  ReplayBook& book;
  sim::VirtualClock& clock;
  sim::ManualDispatch& dispatch;
  std::string home;
  Requests requests;
  ReplayListener listener;
  std::shared_ptr<LiveTap> tap;
  std::function<void()> permissionHandler;
  std::function<void()> menuOpen;

  class Accessibility;
  class WindowServer;
  class Defaults;
  class UnifiedLog;
  class System;
  class Keyboard;
  class EventTaps;
  class LoginItem;
  class StatusBar;
  std::unique_ptr<plumora::Accessibility> accessibility;
  std::unique_ptr<plumora::WindowServer> windowServer;
  std::unique_ptr<plumora::Defaults> defaults;
  std::unique_ptr<plumora::UnifiedLog> unifiedLog;
  std::unique_ptr<plumora::System> system;
  std::unique_ptr<plumora::Keyboard> keyboard;
  std::unique_ptr<plumora::EventTaps> eventTaps;
  std::unique_ptr<plumora::LoginItem> loginItem;
  std::unique_ptr<plumora::StatusBar> statusBar;
};

}  // namespace plumora::simtool
