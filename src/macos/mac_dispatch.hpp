#pragma once

// The dispatch port on Grand Central Dispatch, with the repeating timer in the main run loop.

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

}  // namespace plumora
