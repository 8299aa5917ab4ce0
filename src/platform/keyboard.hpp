#pragma once

// The keyboard port: synthetic key events posted to the system. Each step can fail.

#include <cstdint>
#include <memory>

namespace plumora {

enum class EventSourceState : std::int32_t { Private = -1, CombinedSession = 0, HIDSystem = 1 };
enum class EventTapLocation : std::uint32_t { HID = 0, Session = 1, AnnotatedSession = 2 };

class EventSource {
 public:
  virtual ~EventSource() = default;
};

class KeyEvent {
 public:
  virtual ~KeyEvent() = default;
  // Replaces the event's modifier flags.
  virtual void setFlags(std::uint64_t flags) = 0;
};

class Keyboard {
 public:
  virtual ~Keyboard() = default;

  // Null when the source cannot be made.
  virtual std::unique_ptr<EventSource> createSource(EventSourceState state) = 0;
  // `source` may be null; the result is null when the event cannot be made.
  virtual std::unique_ptr<KeyEvent> createKeyEvent(EventSource* source, std::uint16_t keyCode,
                                                   bool keyDown) = 0;
  virtual void post(EventTapLocation location, KeyEvent& event) = 0;
};

}  // namespace plumora
