#pragma once

// An application's assistive mode ("AXEnhancedUserInterface", set when assistive software is
// attached), turned off around Plumora's own frame writes and always given back: by the run, or
// at the latest by the quit.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "accessibility/element.hpp"
#include "support/context.hpp"

namespace plumora {

// The applications whose mode a run has turned off (or is about to, or is reading), shared by
// the fill queue and, at quit, the main thread.
//
// A mutex, not atomics: an entry changes state in steps the quit must see together (named,
// being changed, off), and there may be several entries (a mode a run could not turn back on
// stays named while later runs go on). Nobody holds the lock across a request to another
// application, so the main thread, which takes it only at quit, waits for a few instructions
// at most, never for the fill queue's work.
class AssistiveModes {
 public:
  // What a run may do with an application's mode.
  enum class Claim {
    Refused,  // the quit has begun: leave the mode as it is
    Read,     // read the mode; turn it off only when it is on
    Ours,     // a run turned it off and could not turn it back on: it is still ours
  };

  // The fill queue's steps; `pid` is the run's application throughout.
  Claim claim(std::int32_t pid);
  // After the read, before the "off" request: false when the mode is not on or the quit has
  // begun (the entry goes, the mode is left alone).
  bool beginTurningOff(std::int32_t pid, bool isOn);
  // After the "off" request: false when the quit has begun, and the run turns the mode back on
  // at once.
  bool turnedOff(std::int32_t pid);
  // Before the run's own "on" request: false when the quit has already given the mode back.
  bool beginGivingBack(std::int32_t pid);
  // After the "on" request (or the two tries); the entry stays named when it failed, unless the
  // quit has begun, which nobody would retry after. True when it was the last change the quit
  // waited for: the caller posts `waiter` (moved out) to the main thread.
  bool gaveBack(std::int32_t pid, bool done, std::function<void()>& waiter);

  // The main thread's, at quit: from now on no run turns a mode off. Takes the applications
  // whose mode is off and no request on its way (the caller turns them back on). When a run's
  // request is on its way, `waiter` is kept for the run to post once its request has been
  // answered and `waiting` is set.
  std::vector<std::int32_t> beginQuit(std::function<void()> waiter, bool& waiting);
  // The applications whose request is still on its way.
  std::vector<std::int32_t> changing();

 private:
  enum class State { Reading, Changing, Off };
  struct Entry {
    std::int32_t pid;
    State state;
  };

  Entry* find(std::int32_t pid);
  void erase(std::int32_t pid);
  bool anyChanging() const;

  std::mutex mutex_;
  std::vector<Entry> entries_;
  bool quitting_ = false;
  std::function<void()> waiter_;
};

// While it lives, the application's assistive mode is off when it was on. Made on the fill
// queue with the run's own application element, whose timeout the run has set.
class AssistiveModePause {
 public:
  AssistiveModePause(Context& context, const Element& app, std::int32_t pid, AssistiveModes& modes);
  ~AssistiveModePause();
  AssistiveModePause(const AssistiveModePause&) = delete;
  AssistiveModePause& operator=(const AssistiveModePause&) = delete;

 private:
  // Two tries: a busy application may let the first request time out.
  bool turnOn();
  void giveBack();

  Context& context_;
  const Element& app_;
  std::int32_t pid_;
  AssistiveModes& modes_;
  bool paused_ = false;
};

// At quit, on the main thread: turns back on every mode that a run holds off. True when nothing
// is left to wait for; false when a run's request is on its way, and then `ready` is called on
// the main thread once that run has given back its mode (or could not), or after `patience`
// seconds, with a log line for each application whose mode may still be off. Never waits.
bool giveBackAssistiveModes(Context& context, AssistiveModes& modes, float timeout, double patience,
                            std::function<void()> ready);

}  // namespace plumora
