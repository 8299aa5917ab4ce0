#pragma once

// The login-item port: the main application as a ServiceManagement login item.

#include "platform/login_item.hpp"

namespace plumora {

class MacLoginItem final : public LoginItem {
 public:
  LoginItemStatus status() override;
  std::optional<std::string> registerItem() override;
  std::optional<std::string> unregisterItem() override;
  void openSystemSettingsLoginItems() override;
};

}  // namespace plumora
