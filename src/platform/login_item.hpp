#pragma once

// The login-item port: the main application registered to open at login.

#include <optional>
#include <string>

namespace plumora {

enum class LoginItemStatus : int {
  NotRegistered = 0,
  Enabled = 1,
  RequiresApproval = 2,
  NotFound = 3
};

class LoginItem {
 public:
  virtual ~LoginItem() = default;

  virtual LoginItemStatus status() = 0;
  // Each gives the error's localised description when the call fails.
  virtual std::optional<std::string> registerItem() = 0;
  virtual std::optional<std::string> unregisterItem() = 0;
  virtual void openSystemSettingsLoginItems() = 0;
};

}  // namespace plumora
