#pragma once

// A recording read back: its header, its event lines in the order of their numbers, and the
// closing count that tells a whole file from a cut-off one. A file that is not a whole recording
// of a format this reader knows is refused with the line and why.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/geometry.hpp"
#include "replay/json_value.hpp"

namespace plumora::simtool {

struct RecordedEvent {
  std::size_t number = 0;  // "n", from 1
  std::size_t line = 0;    // in the file, from 1
  std::string event;       // "ev"
  std::string thread;      // "th"
  double before = 0;       // "t0"
  double after = 0;        // "t1"
  JsonValue fields;        // the whole line
  // The request without its answer, its thread and its times: what a replayed request is matched
  // by.
  std::string request;
  std::string text;  // the line as written

  const JsonValue* field(std::string_view key) const { return fields.find(key); }
};

struct RecordingScreen {
  Rect frame;
  Rect visible;
};

struct Recording {
  int format = 0;
  std::string plumoraVersion;
  std::string systemVersion;
  std::vector<RecordingScreen> screens;
  std::optional<double> tilingMargin;
  std::vector<std::string> quirks;
  double start = 0;
  std::vector<RecordedEvent> events;
};

struct RecordingError {
  std::size_t line = 0;  // 0: the file as a whole
  std::string why;
};

std::variant<Recording, RecordingError> readRecording(std::string_view text);

// The request part of an event line: every field but the answer ("rc", "v"), the thread and the
// stamps, written back in order.
std::string requestOf(const JsonValue& line);

}  // namespace plumora::simtool
