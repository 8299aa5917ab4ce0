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

  std::optional<bool> stored(std::string_view key) const;
  // A new process: registered values are gone, stored ones stay.
  void relaunch() { registered_.clear(); }

 private:
  std::map<std::string, bool, std::less<>> registered_;
  std::map<std::string, bool, std::less<>> stored_;
};

}  // namespace plumora::sim
