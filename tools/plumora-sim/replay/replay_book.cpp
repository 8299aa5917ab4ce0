#include "replay/replay_book.hpp"

#include <algorithm>
#include <array>

namespace plumora::simtool {
namespace {

constexpr std::size_t kEventsShownBefore = 6;

constexpr std::array kReads = {
    "ax.copy",        "ax.copyMany",    "ax.settable",    "ax.pid",       "ax.hit",
    "ax.systemWide",  "ax.application", "ax.trusted",     "ws.walk",      "sys.languages",
    "sys.direction",  "sys.home",       "sys.pid",        "sys.bundleId", "sys.shortVersion",
    "sys.osVersion",  "sys.frontmost",  "sys.screens",    "sys.running",  "defaults.bool",
    "log.enabled",    "tap.isEnabled",  "item.hasButton", "item.symbol",  "login.status",
    "defaults.value", "sys.bundleOf",   "sys.appName"};
constexpr std::array kInputs = {"tap.event", "sys.notice", "menu.choice", "menu.open"};
// Written down for the reader, not asked by the program: the replay's own clock and queues do
// these again.
constexpr std::array kNotes = {"timer.fire", "timer.tick", "clock.sleep"};
constexpr std::array kPayloads = {
    "log",           "item.toolTip",       "item.menu",   "item.image",
    "item.template", "defaults.setBool",   "tap.verdict", "defaults.register",
    "menu.choice",   "defaults.setStrings"};

template <std::size_t N>
bool in(const std::array<const char*, N>& names, std::string_view event) {
  return std::any_of(names.begin(), names.end(), [&](const char* n) { return event == n; });
}

std::size_t commonPrefix(const std::string& a, const std::string& b) {
  const auto end = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  return static_cast<std::size_t>(end.first - a.begin());
}

// A hidden text comes back as this byte repeated, once per byte of the text: in what the program
// writes, each stands for any one byte (the program logs a window's title in verbose mode).
constexpr char kHiddenByte = '\x01';

bool sameText(std::string_view recorded, std::string_view asked) {
  if (recorded.size() != asked.size()) return false;
  for (std::size_t i = 0; i < asked.size(); ++i) {
    if (asked[i] != recorded[i] && asked[i] != kHiddenByte) return false;
  }
  return true;
}

// Whether the program wrote what the file holds, hidden texts standing for any text of their
// length.
bool samePayload(const RecordedEvent& expected, const std::string& asked) {
  const JsonValue* recorded = expected.field("v");
  if (!recorded) return asked.empty();
  if (recorded->written() == asked) return true;
  if (recorded->kind != JsonValue::Kind::String || asked.find("\\u0001") == std::string::npos) {
    return false;
  }
  JsonError error;
  const auto value = parseJson(asked, error);
  return value && value->kind == JsonValue::Kind::String && sameText(recorded->text, value->text);
}

}  // namespace

EventRole roleOf(std::string_view event) {
  if (in(kReads, event)) return EventRole::Read;
  if (in(kInputs, event)) return EventRole::Input;
  if (in(kNotes, event)) return EventRole::Note;
  return EventRole::Write;
}

bool payloadInValue(std::string_view event) {
  return in(kPayloads, event);
}

std::string targetOf(const JsonValue& line) {
  if (const JsonValue* el = line.find("el")) return "el " + el->text;
  const JsonValue* ev = line.find("ev");
  return ev ? ev->text : std::string();
}

ReplayBook::ReplayBook(const Recording& recording) : recording_(recording) {
  for (const RecordedEvent& event : recording.events) {
    switch (roleOf(event.event)) {
      case EventRole::Read:
        reads_[event.request].events.push_back(&event);
        break;
      case EventRole::Write:
        writes_[event.thread].events.push_back(&event);
        break;
      case EventRole::Input:
        inputs_.push_back(&event);
        break;
      case EventRole::Note:
        break;
    }
  }
}

void ReplayBook::remember(const RecordedEvent& event) {
  ++answered_;
  if (watcher_) watcher_(event);
  recent_.push_back(&event);
  if (recent_.size() > kEventsShownBefore) recent_.pop_front();
}

const RecordedEvent& ReplayBook::write(std::string_view thread, const std::string& request,
                                       const std::string& payload, double now) {
  auto stream = writes_.find(thread);
  const std::string asked = payload.empty() ? request : request + " v=" + payload;
  if (divergence_) return empty_;
  if (stream == writes_.end() || stream->second.next >= stream->second.events.size()) {
    return diverge(nullptr, thread, asked, now);
  }
  const RecordedEvent& expected = *stream->second.events[stream->second.next];
  const bool same = expected.request == request &&
                    (!payloadInValue(expected.event) || samePayload(expected, payload));
  if (!same) return diverge(&expected, thread, asked, now);
  ++stream->second.next;
  lastWrite_[targetOf(expected.fields)] = expected.number;
  remember(expected);
  return expected;
}

const RecordedEvent& ReplayBook::read(std::string_view thread, const std::string& request,
                                      std::string_view target, double now) {
  if (divergence_) return empty_;
  auto answers = reads_.find(request);
  if (answers == reads_.end()) return diverge(nullptr, thread, request, now);
  Answers& a = answers->second;
  if (a.next < a.events.size()) {
    const RecordedEvent& answer = *a.events[a.next++];
    remember(answer);
    return answer;
  }
  // Read more often than recorded: the last answer stands, unless the target was written since.
  const RecordedEvent& last = *a.events.back();
  auto written = lastWrite_.find(target);
  if (written != lastWrite_.end() && written->second > last.number) {
    return diverge(nullptr, thread,
                   request + " (read again after a write to " + std::string(target) + ")", now);
  }
  remember(last);
  return last;
}

void ReplayBook::finish(double now) {
  if (divergence_) return;
  for (const auto& [thread, stream] : writes_) {
    if (stream.next < stream.events.size()) {
      const bool throwing = throwing_;
      throwing_ = false;
      diverge(stream.events[stream.next], thread, "nothing more", now);
      throwing_ = throwing;
      return;
    }
  }
}

std::string ReplayBook::closestTo(const std::string& asked) const {
  const RecordedEvent* best = nullptr;
  std::size_t bestLength = 0;
  for (const RecordedEvent& event : recording_.events) {
    const std::size_t length = commonPrefix(event.request, asked);
    if (length > bestLength) {
      best = &event;
      bestLength = length;
    }
  }
  if (!best) return "none";
  return "event " + std::to_string(best->number) + " " + best->text;
}

const RecordedEvent& ReplayBook::diverge(const RecordedEvent* expected, std::string_view thread,
                                         const std::string& asked, double now) {
  Divergence d;
  d.thread = std::string(thread);
  d.time = now;
  d.asked = asked;
  if (expected) {
    d.event = expected->number;
    d.expected = expected->text;
  } else {
    d.event = recent_.empty() ? 1 : recent_.back()->number + 1;
    d.expected = "no such request";
  }
  d.closest = closestTo(asked);
  for (const RecordedEvent* event : recent_) {
    d.before.push_back(std::to_string(event->number) + " " + event->text);
  }
  divergence_ = d;
  if (throwing_) throw Diverged(std::move(d));
  return empty_;
}

}  // namespace plumora::simtool
