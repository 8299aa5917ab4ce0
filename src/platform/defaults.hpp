#pragma once

// The defaults port: the application's user-defaults domain. Registered values live in the
// process only; stored values persist.

#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/raw_value.hpp"

namespace plumora {

class Defaults {
 public:
  virtual ~Defaults() = default;

  virtual void registerDefaults(std::span<const std::pair<std::string_view, bool>> values) = 0;
  // A key with neither a stored nor a registered value reads as false.
  virtual bool boolForKey(std::string_view key) = 0;
  virtual void setBool(std::string_view key, bool value) = 0;
  // The stored value of `key` as it is, of whatever type the user wrote there; none when there
  // is none. What a wrong type means is the core's to judge.
  virtual RawValue valueForKey(std::string_view key) = 0;
  // Stores a list of texts under `key`.
  virtual void setStrings(std::string_view key, std::span<const std::string> values) = 0;
};

}  // namespace plumora
