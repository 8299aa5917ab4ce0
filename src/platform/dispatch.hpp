#pragma once

// The dispatch port: serial queues, the synchronous hop to the main thread, and delayed and
// repeating work on the main thread.

#include <functional>
#include <memory>
#include <string_view>

namespace plumora {

enum class QualityOfService { UserInteractive, UserInitiated, Default, Utility, Background };

using Task = std::function<void()>;

class SerialQueue {
 public:
  virtual ~SerialQueue() = default;
  virtual void async(Task task) = 0;
  virtual void after(double seconds, Task task) = 0;
};

// A repeating main-thread timer; it stops when this object is destroyed, which must happen on
// the main thread.
class RepeatingTimer {
 public:
  virtual ~RepeatingTimer() = default;
};

class Dispatch {
 public:
  virtual ~Dispatch() = default;

  virtual std::unique_ptr<SerialQueue> serialQueue(std::string_view label,
                                                   QualityOfService quality) = 0;
  // Runs `block` on the main thread and waits for it. Never call it from the main thread.
  virtual void syncMain(const std::function<void()>& block) = 0;
  virtual void mainAfter(double seconds, Task task) = 0;
  // Fires every `interval` seconds in the main run loop's common modes, so also while a menu
  // is open.
  virtual std::unique_ptr<RepeatingTimer> mainRepeating(double interval, double tolerance,
                                                        Task task) = 0;
};

}  // namespace plumora
