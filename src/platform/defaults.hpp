#pragma once

// The defaults port: the application's user-defaults domain. Registered values live in the
// process only; stored values persist.

#include <span>
#include <string_view>
#include <utility>

namespace plumora {

class Defaults {
 public:
  virtual ~Defaults() = default;

  virtual void registerDefaults(std::span<const std::pair<std::string_view, bool>> values) = 0;
  // A key with neither a stored nor a registered value reads as false.
  virtual bool boolForKey(std::string_view key) = 0;
  virtual void setBool(std::string_view key, bool value) = 0;
};

}  // namespace plumora
