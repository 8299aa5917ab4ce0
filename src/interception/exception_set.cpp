#include "interception/exception_set.hpp"

#include <algorithm>

#include "support/exception_list.hpp"

namespace plumora {

ExceptionSet::ExceptionSet(std::span<const std::string> ids) : sorted_(ids.begin(), ids.end()) {
  std::sort(sorted_.begin(), sorted_.end(), ExceptionList::identifierLess);
  const auto last = std::unique(sorted_.begin(), sorted_.end(), ExceptionList::sameIdentifier);
  sorted_.erase(last, sorted_.end());
}

bool ExceptionSet::contains(std::string_view id) const {
  const auto it = std::lower_bound(
      sorted_.begin(), sorted_.end(), id,
      [](const std::string& a, std::string_view b) { return ExceptionList::identifierLess(a, b); });
  return it != sorted_.end() && ExceptionList::sameIdentifier(*it, id);
}

PublishedExceptions::PublishedExceptions() {
  kept_.push_back(std::make_unique<const ExceptionSet>());
  current_.store(kept_.back().get(), std::memory_order_release);
}

void PublishedExceptions::publish(std::span<const std::string> ids) {
  ExceptionSet next(ids);
  const auto same =
      std::find_if(kept_.begin(), kept_.end(), [&](const auto& kept) { return *kept == next; });
  if (same != kept_.end()) {
    current_.store(same->get(), std::memory_order_release);
    return;
  }
  kept_.push_back(std::make_unique<const ExceptionSet>(std::move(next)));
  current_.store(kept_.back().get(), std::memory_order_release);
}

}  // namespace plumora
