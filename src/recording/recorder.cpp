#include "recording/recorder.hpp"

#include <thread>
#include <vector>

#include "platform/accessibility.hpp"
#include "recording/trace_text.hpp"

namespace plumora {
namespace {

thread_local const char* gThread = "main";

// Buffers of lines made on this thread and done with, their capacity kept for the next ones.
// A few are enough: lines nest only as deep as wrapped calls do.
constexpr std::size_t kKeptBuffers = 8;
constexpr std::size_t kLineCapacity = 256;
thread_local std::vector<std::string> gBuffers;

}  // namespace

RecordingThread::RecordingThread(const char* name) : previous_(gThread) {
  gThread = name;
}
RecordingThread::~RecordingThread() {
  gThread = previous_;
}
const char* RecordingThread::current() {
  return gThread;
}

Recorder::Recorder(Clock& clock, RecordingSink& sink) : clock_(clock), sink_(sink) {}

void Recorder::begin(const RecordingHeader& header) {
  {
    std::lock_guard lock(idsMutex_);
    known_.clear();
  }
  events_.store(0);
  next_.store(1);
  std::string line = "{\"recording\":\"plumora\",\"format\":";
  appendJsonInteger(line, kRecordingFormat);
  line += ",\"plumora\":";
  appendJsonString(line, header.plumoraVersion);
  line += ",\"system\":";
  appendJsonString(line, header.systemVersion);
  line += ",\"screens\":[";
  for (std::size_t i = 0; i < header.screens.size(); ++i) {
    if (i) line += ',';
    line += "{\"frame\":";
    appendJsonRect(line, header.screens[i].frame);
    line += ",\"visible\":";
    appendJsonRect(line, header.screens[i].visibleFrame);
    line += '}';
  }
  line += "],\"tilingMargin\":";
  if (header.tilingMargin) {
    appendJsonNumber(line, *header.tilingMargin, false);
  } else {
    line += "null";
  }
  line += ",\"tiledWindowMargins\":";
  line += !header.tiledWindowMargins ? "null" : *header.tiledWindowMargins ? "true" : "false";
  line += ",\"quirks\":[";
  for (std::size_t i = 0; i < header.quirks.size(); ++i) {
    if (i) line += ',';
    appendJsonString(line, header.quirks[i]);
  }
  line += "],\"start\":";
  appendJsonNumber(line, clock_.mediaTime(), false);
  line += '}';
  sink_.write(std::move(line));
  active_.store(true, std::memory_order_release);
}

void Recorder::finish() {
  if (!active_.exchange(false, std::memory_order_seq_cst)) return;
  // A line another thread is handing to the sink goes before the closing line and in its count.
  // Handing over is a few instructions and never waits for the file, so this waits for nothing
  // longer.
  while (writing_.load(std::memory_order_seq_cst) > 0) std::this_thread::yield();
  std::string line = "{\"end\":";
  appendJsonInteger(line, static_cast<std::int64_t>(events_.load()));
  line += '}';
  sink_.write(std::move(line));
}

std::string Recorder::elementId(const ElementRef& element) {
  if (!element) return "null";
  std::int32_t pid = 0;
  // The system-wide element has no pid of its own.
  if (element->processId(pid) != ax::kSuccess) pid = -1;
  std::lock_guard lock(idsMutex_);
  OfApp& app = known_[pid];
  for (const Known& known : app.elements) {
    if (known.element->equals(*element)) return known.id;
  }
  std::string id = pid == -1 ? "system" : std::to_string(pid) + ":" + std::to_string(++app.count);
  app.elements.push_back({element, id});
  return id;
}

Recorder::Line::Line(Recorder& recorder, std::string_view event) : recorder_(recorder) {
  if (gBuffers.empty()) {
    text_.reserve(kLineCapacity);
  } else {
    text_ = std::move(gBuffers.back());
    gBuffers.pop_back();
  }
  text_ = "{\"ev\":";
  appendJsonString(text_, event);
  text_ += ",\"th\":\"";
  text_ += RecordingThread::current();
  text_ += "\",\"t0\":";
  appendJsonNumber(text_, recorder_.clock_.mediaTime(), false);
}

void Recorder::Line::key(std::string_view key) {
  text_ += ',';
  appendJsonString(text_, key);
  text_ += ':';
}

Recorder::Line::~Line() {
  if (text_.capacity() >= kLineCapacity && gBuffers.size() < kKeptBuffers) {
    gBuffers.push_back(std::move(text_));
  }
}

Recorder::Line& Recorder::Line::text(std::string_view k, std::string_view value) {
  key(k);
  appendJsonString(text_, value);
  return *this;
}

Recorder::Line& Recorder::Line::integer(std::string_view k, std::int64_t value) {
  key(k);
  appendJsonInteger(text_, value);
  return *this;
}

Recorder::Line& Recorder::Line::number(std::string_view k, double value) {
  key(k);
  appendJsonNumber(text_, value, false);
  return *this;
}

Recorder::Line& Recorder::Line::boolean(std::string_view k, bool value) {
  key(k);
  text_ += value ? "true" : "false";
  return *this;
}

Recorder::Line& Recorder::Line::value(std::string_view k, const RawValue& value, bool hideTexts) {
  key(k);
  ValueWriting writing{[this](const ElementRef& e) { return recorder_.elementId(e); }, hideTexts};
  appendRawValue(text_, value, writing);
  return *this;
}

Recorder::Line& Recorder::Line::element(std::string_view k, const ElementRef& element) {
  return text(k, recorder_.elementId(element));
}

Recorder::Line& Recorder::Line::raw(std::string_view k, std::string_view json) {
  key(k);
  text_ += json;
  return *this;
}

void Recorder::Line::done() {
  // Counted as being written before the check, so that finish() sees it either way.
  recorder_.writing_.fetch_add(1, std::memory_order_seq_cst);
  if (!recorder_.active_.load(std::memory_order_seq_cst)) {
    recorder_.writing_.fetch_sub(1, std::memory_order_seq_cst);
    return;
  }
  text_ += ",\"t1\":";
  appendJsonNumber(text_, recorder_.clock_.mediaTime(), false);
  text_ += ",\"n\":";
  appendJsonInteger(text_, static_cast<std::int64_t>(recorder_.next_.fetch_add(1)));
  text_ += '}';
  recorder_.events_.fetch_add(1, std::memory_order_relaxed);
  recorder_.sink_.write(text_);
  recorder_.writing_.fetch_sub(1, std::memory_order_seq_cst);
}

}  // namespace plumora
