#pragma once

// The dispatch port on Grand Central Dispatch, with the repeating timer in the main run loop.

#include <functional>

#include "platform/dispatch.hpp"

namespace plumora {

class MacDispatch final : public Dispatch {
 public:
  std::unique_ptr<SerialQueue> serialQueue(std::string_view label,
                                           QualityOfService quality) override;
  void syncMain(const std::function<void()>& block) override;
  void mainAfter(double seconds, Task task) override;
  std::unique_ptr<RepeatingTimer> mainRepeating(double interval, double tolerance,
                                                Task task) override;
};

// Runs `work` on the main thread from its run loop, in any common mode, and never inside a block
// of the main queue: work that spins a run loop of its own (a menu's tracking loop) leaves the
// main queue served meanwhile.
void performOnMainRunLoop(std::function<void()> work);

}  // namespace plumora
