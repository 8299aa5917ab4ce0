#pragma once

// The simulated system: this process and its bundle, languages, the frontmost application, the
// screens, running applications, opened URLs, termination and the accessibility notification.
// The calls the real program may make on the main thread only throw std::logic_error anywhere
// else, so a missing hop fails its test.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/system.hpp"
#include "sim/manual_dispatch.hpp"

namespace plumora::sim {

class SimSystem : public System {
 public:
  explicit SimSystem(ManualDispatch& dispatch) : dispatch_(dispatch) {}

  std::vector<std::string> preferredLanguages() override { return languages; }
  LanguageDirection characterDirection(std::string_view language) override;
  std::string homeFolder() override { return home; }
  std::int32_t processId() override { return pid; }
  std::string bundleIdentifier() override { return bundleId; }
  std::optional<std::string> bundleShortVersion() override { return version; }
  std::string operatingSystemVersion() override { return systemVersion; }

  void withBundleIdentifier(std::int32_t pid, FunctionRef<void(std::string_view)> use) override;
  std::optional<std::int32_t> frontmostApplicationPid() override;
  std::string applicationName(std::int32_t pid) override;
  std::vector<Screen> screens() override;
  std::vector<std::int32_t> runningApplications(std::string_view bundleIdentifier) override;
  bool openURL(std::string_view url) override;
  void terminate() override;
  void observeAccessibilityChanges(std::function<void()> handler) override;

  // Delivers the accessibility notification to every observer.
  void postAccessibilityNotification();

  // The simulated state, set by tests and by the desktop.
  std::vector<std::string> languages{"it-IT", "en-US"};
  std::string home = "/nonexistent";
  std::int32_t pid = 900;
  std::string bundleId = "app.plumora.Plumora";
  std::optional<std::string> version = "1.0";
  std::string systemVersion = "Version 15.2 (Build 24C101)";
  std::optional<std::int32_t> frontmost;
  std::vector<Screen> screenList;
  // Other running processes and their bundle identifiers (empty: the bundle has none).
  std::map<std::int32_t, std::string> running;
  // The names the user sees for them.
  std::map<std::int32_t, std::string> names;
  std::vector<std::string> openedURLs;
  bool acceptURLs = true;
  int terminations = 0;

 private:
  void requireMainThread(const char* call) const;

  ManualDispatch& dispatch_;
  std::vector<std::function<void()>> observers_;
};

}  // namespace plumora::sim
