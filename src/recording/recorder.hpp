#pragma once

// The recorder: one line of text per conversation between the program and the platform (each
// request with its arguments, result code and value, the thread it ran on and the clock before
// and after), handed to a sink that writes it elsewhere. Elements get stable ids: the pid of
// their application and a number given at first sight ("412:3"), never an address.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/clock.hpp"
#include "platform/raw_value.hpp"
#include "platform/system.hpp"

namespace plumora {

// The format of the lines; a reader refuses a newer one.
inline constexpr int kRecordingFormat = 1;

// Where the lines go. Called on any thread, never waiting for a file: a sink that writes to a
// disk hands the lines to a queue of its own. The text is the caller's: a sink copies what it
// keeps.
class RecordingSink {
 public:
  virtual ~RecordingSink() = default;
  virtual void write(std::string_view line) = 0;
};

struct RecordingHeader {
  std::string plumoraVersion;
  std::string systemVersion;
  std::vector<Screen> screens;
  std::optional<double> tilingMargin;  // points; none when the system's setting is unreadable
  // The system's "tiled windows have margins" switch, as the Mac tells it (how many points it
  // leaves it does not tell); none when unreadable.
  std::optional<bool> tiledWindowMargins;
  // Flags that tell a reader how the recording was made ("mid-session": started while the program
  // ran, so the elements it refers to may come from before it).
  std::vector<std::string> quirks;
};

// The thread a call runs on, as the recording names it: "main", "tap", "fill", "log". The
// wrappers that start work on a thread set it for as long as that work runs.
class RecordingThread {
 public:
  explicit RecordingThread(const char* name);
  ~RecordingThread();
  RecordingThread(const RecordingThread&) = delete;
  RecordingThread& operator=(const RecordingThread&) = delete;
  static const char* current();

 private:
  const char* previous_;
};

class Recorder {
 public:
  // `clock` is the platform's own clock (not a recording one): it stamps the lines.
  Recorder(Clock& clock, RecordingSink& sink);
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Writes the header and starts recording; forgets the ids of an earlier recording.
  void begin(const RecordingHeader& header);
  // Stops and writes the closing line with the number of event lines.
  void finish();
  bool active() const { return active_.load(std::memory_order_acquire); }
  std::uint64_t events() const { return events_.load(std::memory_order_relaxed); }

  // One event line, built on the calling thread and handed to the sink by done(). Stamped with
  // the thread and the clock when made, and the clock again when done. Its text is built in a
  // buffer the thread keeps for the next line, so that a line costs no allocation once the
  // thread has made a few (lines nest: a tap event's is open while its callback's are made).
  class Line {
   public:
    Line(Line&&) = default;
    Line& operator=(Line&&) = delete;
    ~Line();
    Line& text(std::string_view key, std::string_view value);
    Line& integer(std::string_view key, std::int64_t value);
    Line& number(std::string_view key, double value);
    Line& boolean(std::string_view key, bool value);
    Line& value(std::string_view key, const RawValue& value, bool hideTexts = false);
    Line& element(std::string_view key, const ElementRef& element);
    // A field whose value is JSON already.
    Line& raw(std::string_view key, std::string_view json);
    void done();

   private:
    friend class Recorder;
    Line(Recorder& recorder, std::string_view event);
    void key(std::string_view key);
    Recorder& recorder_;
    std::string text_;
  };
  Line line(std::string_view event) { return Line(*this, event); }

  // The id of an element handle (as the platform gives it, unwrapped): the same element always
  // gets the same id, compared by the platform's equality.
  std::string elementId(const ElementRef& element);

 private:
  struct Known {
    ElementRef element;
    std::string id;
  };
  // An application's elements, in the order first seen: a lookup compares only with the elements
  // of the same application, so that a long session's thousands of them do not slow the tap.
  struct OfApp {
    std::vector<Known> elements;
    std::uint32_t count = 0;
  };

  Clock& clock_;
  RecordingSink& sink_;
  std::atomic<bool> active_{false};
  std::atomic<std::uint64_t> events_{0};
  std::atomic<std::uint64_t> next_{1};
  std::atomic<int> writing_{0};  // lines between their check of active_ and their sink write
  // Guards the ids only, held for a lookup; the sink never runs under it.
  std::mutex idsMutex_;
  std::unordered_map<std::int32_t, OfApp> known_;
};

}  // namespace plumora
