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
  values_.erase(std::string(key));
  stored_[std::string(key)] = value;
}

RawValue SimDefaults::valueForKey(std::string_view key) {
  if (auto it = stored_.find(key); it != stored_.end()) return RawValue::boolean(it->second);
  if (auto it = values_.find(key); it != values_.end()) return it->second;
  return RawValue();
}

void SimDefaults::setStrings(std::string_view key, std::span<const std::string> values) {
  RawValue::Array items;
  for (const std::string& value : values) items.push_back(RawValue::string(value));
  setValue(key, RawValue::array(std::move(items)));
}

void SimDefaults::setValue(std::string_view key, RawValue value) {
  stored_.erase(std::string(key));
  values_[std::string(key)] = std::move(value);
}

std::optional<bool> SimDefaults::stored(std::string_view key) const {
  if (auto it = stored_.find(key); it != stored_.end()) return it->second;
  return std::nullopt;
}

}  // namespace plumora::sim
