#pragma once

// The defaults port on the standard user defaults.

#include "platform/defaults.hpp"

namespace plumora {

class MacDefaults final : public Defaults {
 public:
  void registerDefaults(std::span<const std::pair<std::string_view, bool>> values) override;
  bool boolForKey(std::string_view key) override;
  void setBool(std::string_view key, bool value) override;
  RawValue valueForKey(std::string_view key) override;
  void setStrings(std::string_view key, std::span<const std::string> values) override;
};

}  // namespace plumora
