#pragma once

// The recording as a book of answers. The program's requests are matched against it: writes,
// presses, posted keys, tap verdicts and log lines in order on their thread; reads by their
// request (the target and attribute), each answered in turn, and answered again with the last
// answer when the program reads more often than the recording did, as long as nothing was written
// to the same target since. The first request the book cannot answer is a divergence.

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "replay/recording_file.hpp"

namespace plumora::simtool {

struct Divergence {
  std::size_t event = 0;  // the number of the recorded event where it happened (0: none left)
  std::string thread;
  double time = 0;
  std::string expected;             // what the file holds there
  std::string asked;                // what the program asked
  std::string closest;              // the recorded request most like it, with its number
  std::vector<std::string> before;  // the events answered last, oldest first
};

// Thrown out of the program's call into a replayed port: the run cannot go on.
class Diverged : public std::runtime_error {
 public:
  explicit Diverged(Divergence d)
      : std::runtime_error("replay diverged"), divergence(std::move(d)) {}
  Divergence divergence;
};

enum class EventRole { Read, Write, Input, Note };
EventRole roleOf(std::string_view event);

class ReplayBook {
 public:
  explicit ReplayBook(const Recording& recording);

  // A write on `thread`: the next recorded write there must be this one. `payload` is what the
  // program wrote where the line keeps it in "v" (a log line, a tooltip), else empty.
  const RecordedEvent& write(std::string_view thread, const std::string& request,
                             const std::string& payload, double now);
  const RecordedEvent& read(std::string_view thread, const std::string& request,
                            std::string_view target, double now);
  // Inputs the replay delivers by itself, in time order.
  const std::vector<const RecordedEvent*>& inputs() const { return inputs_; }
  void delivered(const RecordedEvent& input) { remember(input); }
  // After the run: a recorded write the program never made is a divergence too.
  void finish(double now);

  std::size_t answered() const { return answered_; }
  // The first divergence. Only the first one throws: the program's objects may still call the
  // ports while they are taken down, and get an empty answer then.
  const std::optional<Divergence>& divergence() const { return divergence_; }
  // From now on a divergence is kept, not thrown: for requests made while the program's objects
  // are destroyed, where nothing may throw.
  void stopThrowing() { throwing_ = false; }
  // Told of every event answered or delivered, in order (the page follows the desktop so).
  void watch(std::function<void(const RecordedEvent&)> watcher) { watcher_ = std::move(watcher); }

 private:
  const RecordedEvent& diverge(const RecordedEvent* expected, std::string_view thread,
                               const std::string& asked, double now);
  void remember(const RecordedEvent& event);
  std::string closestTo(const std::string& asked) const;

  const Recording& recording_;
  struct Stream {
    std::vector<const RecordedEvent*> events;
    std::size_t next = 0;
  };
  std::map<std::string, Stream, std::less<>> writes_;  // by thread
  struct Answers {
    std::vector<const RecordedEvent*> events;
    std::size_t next = 0;
  };
  std::map<std::string, Answers, std::less<>> reads_;          // by request
  std::map<std::string, std::size_t, std::less<>> lastWrite_;  // by target: its event number
  std::vector<const RecordedEvent*> inputs_;
  std::deque<const RecordedEvent*> recent_;
  std::size_t answered_ = 0;
  std::optional<Divergence> divergence_;
  RecordedEvent empty_;
  bool throwing_ = true;
  std::function<void(const RecordedEvent&)> watcher_;
};

// The target of a request: the element it is about, else the kind of request.
std::string targetOf(const JsonValue& line);
// Whether a write keeps what was written in "v" (compared) rather than an answer.
bool payloadInValue(std::string_view event);

}  // namespace plumora::simtool
