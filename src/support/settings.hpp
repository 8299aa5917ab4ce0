#pragma once

// The two persisted switches, read from and written to the user defaults every time.

#include <string_view>

#include "platform/defaults.hpp"

namespace plumora {

class Settings {
 public:
  static constexpr std::string_view enabledKey = "Enabled";
  static constexpr std::string_view restoreKey = "RestoreOnSecondClick";

  explicit Settings(Defaults& defaults) : defaults_(defaults) {}

  // Both default to true; registering never overwrites a stored value.
  void registerDefaults();

  bool enabled() const { return defaults_.boolForKey(enabledKey); }
  void setEnabled(bool on) { defaults_.setBool(enabledKey, on); }
  bool restoreOnSecondClick() const { return defaults_.boolForKey(restoreKey); }
  void setRestoreOnSecondClick(bool on) { defaults_.setBool(restoreKey, on); }

 private:
  Defaults& defaults_;
};

}  // namespace plumora
