#pragma once

// The system port: this process and its bundle, the user's languages, the workspace
// (frontmost application, running applications, URLs), the screens, termination and the
// accessibility notification. The workspace, screen and termination calls expect the main
// thread and never hop there themselves: the core makes that hop.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/function_ref.hpp"
#include "platform/geometry.hpp"

namespace plumora {

enum class LanguageDirection {
  Unknown = 0,
  LeftToRight = 1,
  RightToLeft = 2,
  TopToBottom = 3,
  BottomToTop = 4
};

// A screen in the system's bottom-left-origin space, y growing upwards.
struct Screen {
  Rect frame;
  Rect visibleFrame;  // the frame less the menu bar and the Dock
};

class System {
 public:
  virtual ~System() = default;

  // The user's preferred languages, most preferred first (language tags such as "it-IT").
  virtual std::vector<std::string> preferredLanguages() = 0;
  virtual LanguageDirection characterDirection(std::string_view language) = 0;
  virtual std::string homeFolder() = 0;
  virtual std::int32_t processId() = 0;

  virtual std::string bundleIdentifier() = 0;  // empty when the bundle has none
  virtual std::optional<std::string> bundleShortVersion() = 0;
  virtual std::string operatingSystemVersion() = 0;

  // Any thread (the tap's thread asks it of the application under a click): calls `use` with
  // the bundle identifier of the running application `pid`, a view valid during the call only;
  // does not call it when the process is gone or its bundle has no identifier. Nothing is copied.
  virtual void withBundleIdentifier(std::int32_t pid, FunctionRef<void(std::string_view)> use) = 0;

  // Main thread only.
  virtual std::optional<std::int32_t> frontmostApplicationPid() = 0;
  // The name the user sees for a running application; empty when it has none or is gone.
  virtual std::string applicationName(std::int32_t pid) = 0;
  virtual std::vector<Screen> screens() = 0;  // the primary screen first
  virtual std::vector<std::int32_t> runningApplications(std::string_view bundleIdentifier) = 0;
  virtual bool openURL(std::string_view url) = 0;
  virtual void terminate() = 0;
  // Calls `handler` on the main thread at every accessibility-permission notification, for as
  // long as the process runs.
  virtual void observeAccessibilityChanges(std::function<void()> handler) = 0;
};

}  // namespace plumora
