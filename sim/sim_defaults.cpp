#include "sim/sim_defaults.hpp"

namespace plumora::sim {

void SimDefaults::registerDefaults(std::span<const std::pair<std::string_view, bool>> values) {
  for (const auto& [key, value] : values) registered_[std::string(key)] = value;
}

bool SimDefaults::boolForKey(std::string_view key) {
  if (auto it = stored_.find(key); it != stored_.end()) return it->second;
  if (auto it = registered_.find(key); it != registered_.end()) return it->second;
  return false;
}

void SimDefaults::setBool(std::string_view key, bool value) {
  stored_[std::string(key)] = value;
}

std::optional<bool> SimDefaults::stored(std::string_view key) const {
  if (auto it = stored_.find(key); it != stored_.end()) return it->second;
  return std::nullopt;
}

}  // namespace plumora::sim
