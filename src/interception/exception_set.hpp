#pragma once

// The exceptions as the tap's thread reads them: an immutable set of bundle identifiers, and its
// hand-over from the main thread, which edits the list, to the tap's thread, which checks every
// recognised click against it.
//
// The hand-over is one atomic pointer: the tap's callback loads it and never waits, not for a
// lock and not behind a writer, and a check costs no allocation. A set once published is never
// freed while its publisher lives, because no reader says when it is done with one (a callback
// still running on a stopped tap's thread may hold the set it loaded). An equal set published
// again is the kept one: a user who turns an application on and off makes two sets, and the sets
// kept are the distinct lists of one session, each of at most ExceptionList::kMaxEntries.

#include <atomic>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plumora {

class ExceptionSet {
 public:
  ExceptionSet() = default;
  // Sorted for the lookup; the case of the letters does not count.
  explicit ExceptionSet(std::span<const std::string> ids);

  // Any thread; no allocation.
  bool contains(std::string_view id) const;
  bool empty() const { return sorted_.empty(); }
  std::size_t size() const { return sorted_.size(); }
  bool operator==(const ExceptionSet&) const = default;

 private:
  std::vector<std::string> sorted_;
};

class PublishedExceptions {
 public:
  PublishedExceptions();
  PublishedExceptions(const PublishedExceptions&) = delete;
  PublishedExceptions& operator=(const PublishedExceptions&) = delete;

  // Main thread.
  void publish(std::span<const std::string> ids);
  // Any thread: the set in force. It stays valid as long as this object.
  const ExceptionSet& current() const { return *current_.load(std::memory_order_acquire); }

 private:
  std::atomic<const ExceptionSet*> current_;
  std::vector<std::unique_ptr<const ExceptionSet>> kept_;  // main thread only
};

}  // namespace plumora
