#pragma once

// An application's assistive mode ("AXEnhancedUserInterface", set when assistive software is
// attached), turned off around Plumora's own frame writes and always given back.

#include <atomic>
#include <cstdint>

#include "accessibility/element.hpp"
#include "support/context.hpp"

namespace plumora {

// Names the application whose mode a run has turned off, 0 for none. A run turns off one
// application's mode at a time; the main thread reads it at quit, so it is atomic.
using AssistiveModeOff = std::atomic<std::int32_t>;

// While it lives, the application's assistive mode is off when it was on. Made on the fill
// queue with the run's own application element, whose timeout the run has set.
class AssistiveModePause {
 public:
  AssistiveModePause(Context& context, const Element& app, std::int32_t pid, AssistiveModeOff& off);
  ~AssistiveModePause();
  AssistiveModePause(const AssistiveModePause&) = delete;
  AssistiveModePause& operator=(const AssistiveModePause&) = delete;

 private:
  Context& context_;
  const Element& app_;
  std::int32_t pid_;
  AssistiveModeOff& off_;
  bool paused_ = false;
};

// At quit, on the main thread: turns back on the mode a run still holds off. The run itself may
// never get to it.
void giveBackAssistiveMode(Context& context, AssistiveModeOff& off, float timeout);

}  // namespace plumora
