#include "replay/recording_file.hpp"

#include <algorithm>

#include "recording/recorder.hpp"
#include "recording/trace_text.hpp"
#include "run/text_format.hpp"

namespace plumora::simtool {
namespace {

// Times a real session never reaches: a clock that started more than thirty years ago, a
// recording longer than a week. Past them a file is damaged, and replaying it would run a
// virtual clock for ever.
constexpr double kLatestStart = 1e9;
constexpr double kLongestRecording = 7 * 24 * 3600;

bool isAnswerOrStamp(std::string_view key) {
  return key == "rc" || key == "v" || key == "th" || key == "t0" || key == "t1" || key == "n";
}

std::optional<Rect> rectOf(const JsonValue* value) {
  if (!value) return std::nullopt;
  const JsonValue* list = value;
  if (value->kind == JsonValue::Kind::Object) list = value->find("rect");
  if (!list || list->kind != JsonValue::Kind::Array || list->items.size() != 4) return std::nullopt;
  for (const auto& item : list->items) {
    if (item.kind != JsonValue::Kind::Number) return std::nullopt;
  }
  return Rect::make(list->items[0].number, list->items[1].number, list->items[2].number,
                    list->items[3].number);
}

// A control byte or a byte past ASCII is shown as an escape: a message never prints it raw.
std::string shown(std::string_view text, std::size_t limit = 60) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (const char c : text.substr(0, limit)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7f) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  if (text.size() > limit) out += "...";
  return out;
}

std::optional<RecordingError> readHeader(const JsonValue& line, Recording& recording) {
  const JsonValue* kind = line.find("recording");
  if (!kind || kind->kind != JsonValue::Kind::String || kind->text != "plumora") {
    return RecordingError{1, "not a Plumora recording: its first line is no recording header"};
  }
  const JsonValue* format = line.find("format");
  if (!format || format->kind != JsonValue::Kind::Number || !format->integral) {
    return RecordingError{1, "the header has no format version"};
  }
  recording.format = static_cast<int>(format->number);
  if (recording.format > kRecordingFormat || recording.format < 1) {
    return RecordingError{1, "format " + format->text + " is newer than this reader's (" +
                                 std::to_string(kRecordingFormat) + "): use a newer plumora-sim"};
  }
  for (const auto& [key, into] : {std::pair{"plumora", &recording.plumoraVersion},
                                  std::pair{"system", &recording.systemVersion}}) {
    const JsonValue* value = line.find(key);
    if (value && value->kind == JsonValue::Kind::String) *into = value->text;
  }
  if (const JsonValue* screens = line.find("screens");
      screens && screens->kind == JsonValue::Kind::Array) {
    for (const auto& screen : screens->items) {
      const auto frame = rectOf(screen.find("frame"));
      const auto visible = rectOf(screen.find("visible"));
      if (!frame || !visible)
        return RecordingError{1, "a screen of the header is not two rectangles"};
      recording.screens.push_back({*frame, *visible});
    }
  }
  if (const JsonValue* margin = line.find("tilingMargin");
      margin && margin->kind == JsonValue::Kind::Number) {
    recording.tilingMargin = margin->number;
  }
  if (const JsonValue* quirks = line.find("quirks");
      quirks && quirks->kind == JsonValue::Kind::Array) {
    for (const auto& quirk : quirks->items) recording.quirks.push_back(quirk.text);
  }
  if (const JsonValue* start = line.find("start");
      start && start->kind == JsonValue::Kind::Number) {
    recording.start = start->number;
  }
  if (!(recording.start >= 0 && recording.start <= kLatestStart)) {
    return RecordingError{1, "the start time " + numberText(recording.start) +
                                 " s is past any clock's (at most " + numberText(kLatestStart) +
                                 " s)"};
  }
  return std::nullopt;
}

std::optional<RecordingError> readEvent(const JsonValue& line, std::size_t lineNumber,
                                        std::string_view text, Recording& recording) {
  RecordedEvent event;
  event.line = lineNumber;
  const JsonValue* ev = line.find("ev");
  const JsonValue* th = line.find("th");
  const JsonValue* t0 = line.find("t0");
  const JsonValue* t1 = line.find("t1");
  const JsonValue* n = line.find("n");
  if (!ev || ev->kind != JsonValue::Kind::String || !th || th->kind != JsonValue::Kind::String ||
      !t0 || t0->kind != JsonValue::Kind::Number || !t1 || t1->kind != JsonValue::Kind::Number ||
      !n || n->kind != JsonValue::Kind::Number || !n->integral || n->number < 1) {
    return RecordingError{lineNumber,
                          "an event line needs \"ev\", \"th\", \"t0\", \"t1\" and \"n\""};
  }
  if (!(t1->number >= t0->number)) {
    return RecordingError{lineNumber, "the event ends before it starts"};
  }
  if (t0->number < recording.start || t1->number > recording.start + kLongestRecording) {
    return RecordingError{lineNumber, "a time outside the recording: " + t0->text +
                                          " s, where the recording runs from " +
                                          numberText(recording.start) + " s for at most a week"};
  }
  event.event = ev->text;
  event.thread = th->text;
  event.before = t0->number;
  event.after = t1->number;
  event.number = static_cast<std::size_t>(n->number);
  event.request = requestOf(line);
  event.text = std::string(text);
  event.fields = line;
  recording.events.push_back(std::move(event));
  return std::nullopt;
}

}  // namespace

std::string requestOf(const JsonValue& line) {
  std::string out = "{";
  for (const auto& [key, value] : line.members) {
    if (isAnswerOrStamp(key)) continue;
    if (out.size() > 1) out += ',';
    appendJsonString(out, key);
    out += ':';
    value.write(out);
  }
  return out + "}";
}

std::variant<Recording, RecordingError> readRecording(std::string_view text) {
  Recording recording;
  if (text.empty()) return RecordingError{0, "the file is empty"};
  if (text.find('\0') != std::string_view::npos) {
    return RecordingError{0, "not a recording: the file holds NUL bytes"};
  }
  std::size_t lineNumber = 0;
  std::size_t at = 0;
  std::optional<std::size_t> closing;
  bool ended = false;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string_view line = text.substr(at, end - at);
    const bool complete = end < text.size();
    at = end + 1;
    ++lineNumber;
    if (ended) {
      return RecordingError{lineNumber, "a line after the closing line"};
    }
    JsonError error;
    const auto value = parseJson(line, error);
    if (!value || value->kind != JsonValue::Kind::Object) {
      const std::string why = value ? "not a JSON object" : error.why;
      if (lineNumber == 1) {
        return RecordingError{1, "not a recording: the first line is not JSON (" + why + ": '" +
                                     shown(line, 40) + "')"};
      }
      return RecordingError{lineNumber, (complete ? "" : "cut off: ") + why + " at column " +
                                            std::to_string(error.column)};
    }
    if (lineNumber == 1) {
      if (auto bad = readHeader(*value, recording)) return *bad;
      continue;
    }
    if (const JsonValue* count = value->find("end")) {
      if (count->kind != JsonValue::Kind::Number || !count->integral) {
        return RecordingError{lineNumber, "the closing line's count is not a whole number"};
      }
      closing = static_cast<std::size_t>(count->number);
      ended = true;
      continue;
    }
    if (auto bad = readEvent(*value, lineNumber, line, recording)) return *bad;
  }
  if (!closing) {
    return RecordingError{lineNumber, "cut off: the file ends after " +
                                          std::to_string(recording.events.size()) +
                                          " events without its closing line"};
  }
  if (*closing != recording.events.size()) {
    return RecordingError{lineNumber, "the closing line counts " + std::to_string(*closing) +
                                          " events, the file holds " +
                                          std::to_string(recording.events.size())};
  }
  // Lines from several threads may reach the file out of order: their numbers say the order.
  std::stable_sort(
      recording.events.begin(), recording.events.end(),
      [](const RecordedEvent& a, const RecordedEvent& b) { return a.number < b.number; });
  for (std::size_t i = 0; i < recording.events.size(); ++i) {
    if (recording.events[i].number != i + 1) {
      return RecordingError{
          recording.events[i].line,
          "event number " + std::to_string(recording.events[i].number) +
              (recording.events[i].number <= i ? " appears twice" : " skips a number")};
    }
  }
  return recording;
}

}  // namespace plumora::simtool
