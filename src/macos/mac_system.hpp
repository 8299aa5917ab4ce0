#pragma once

// The system port on Foundation and AppKit. Objective-C++ only.

#import <Foundation/Foundation.h>

#include "platform/system.hpp"

namespace plumora {

class MacSystem final : public System {
 public:
  MacSystem();
  ~MacSystem() override;
  MacSystem(const MacSystem&) = delete;
  MacSystem& operator=(const MacSystem&) = delete;

  std::vector<std::string> preferredLanguages() override;
  LanguageDirection characterDirection(std::string_view language) override;
  std::string homeFolder() override;
  std::int32_t processId() override;

  std::string bundleIdentifier() override;
  std::optional<std::string> bundleShortVersion() override;
  std::string operatingSystemVersion() override;

  void withBundleIdentifier(std::int32_t pid, FunctionRef<void(std::string_view)> use) override;
  std::optional<std::int32_t> frontmostApplicationPid() override;
  std::string applicationName(std::int32_t pid) override;
  std::vector<Screen> screens() override;
  std::vector<std::int32_t> runningApplications(std::string_view bundleIdentifier) override;
  bool openURL(std::string_view url) override;
  void terminate() override;
  void observeAccessibilityChanges(std::function<void()> handler) override;

 private:
  // The notification centre keeps no strong reference to its observers.
  NSMutableArray* observers_;
};

}  // namespace plumora
