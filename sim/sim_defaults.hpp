#pragma once

// User defaults with registered and stored values kept apart: registered values belong to one
// process, stored values survive a relaunch.

#include <map>
#include <optional>
#include <string>

#include "platform/defaults.hpp"

namespace plumora::sim {

class SimDefaults : public Defaults {
 public:
  void registerDefaults(std::span<const std::pair<std::string_view, bool>> values) override;
  bool boolForKey(std::string_view key) override;
  void setBool(std::string_view key, bool value) override;
  RawValue valueForKey(std::string_view key) override;
  void setStrings(std::string_view key, std::span<const std::string> values) override;

  std::optional<bool> stored(std::string_view key) const;
  // Stores any value, as a user's `defaults write` may.
  void setValue(std::string_view key, RawValue value);
  // A new process: registered values are gone, stored ones stay.
  void relaunch() { registered_.clear(); }

 private:
  std::map<std::string, bool, std::less<>> registered_;
  std::map<std::string, bool, std::less<>> stored_;
  // Stored values that are not Bools; a key is in one map at most.
  std::map<std::string, RawValue, std::less<>> values_;
};

}  // namespace plumora::sim
