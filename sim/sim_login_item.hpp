#pragma once

// The simulated login-item service: what registering does is up to the test.

#include <optional>
#include <string>

#include "platform/login_item.hpp"

namespace plumora::sim {

class SimLoginItem : public LoginItem {
 public:
  LoginItemStatus status() override { return state; }
  std::optional<std::string> registerItem() override {
    ++registrations;
    if (registerError) return registerError;
    state = afterRegister;
    return std::nullopt;
  }
  std::optional<std::string> unregisterItem() override {
    ++unregistrations;
    if (unregisterError) return unregisterError;
    state = LoginItemStatus::NotRegistered;
    return std::nullopt;
  }
  void openSystemSettingsLoginItems() override { ++settingsOpened; }

  LoginItemStatus state = LoginItemStatus::NotRegistered;
  LoginItemStatus afterRegister = LoginItemStatus::Enabled;
  std::optional<std::string> registerError;
  std::optional<std::string> unregisterError;
  int registrations = 0;
  int unregistrations = 0;
  int settingsOpened = 0;
};

}  // namespace plumora::sim
