#pragma once

// The simulated Mac made safe to call from real threads: every port call, and every request
// through an element handle, holds the one lock of the simulated world, as the real system
// serialises its own state. The event tap's callback runs outside the lock, on the thread that
// delivers the event, as a real tap's does.

#include <memory>
#include <mutex>

#include "platform/platform.hpp"
#include "sim/sim_mac.hpp"
#include "sim/threaded_dispatch.hpp"

namespace plumora::sim {

using WorldLock = std::recursive_mutex;

// An element handle whose requests hold the world's lock; elements it hands out are locked too.
ElementRef lockedElement(ElementRef element, WorldLock& world);

class LockedAccessibility : public Accessibility {
 public:
  LockedAccessibility(Accessibility& inner, WorldLock& world) : inner_(inner), world_(world) {}
  ElementRef systemWide() override;
  ElementRef application(std::int32_t pid) override;
  bool isProcessTrusted(bool prompt) override;

 private:
  Accessibility& inner_;
  WorldLock& world_;
};

class LockedWindowServer : public WindowServer {
 public:
  LockedWindowServer(WindowServer& inner, WorldLock& world) : inner_(inner), world_(world) {}
  void walkWindows(std::uint32_t options, std::uint32_t relativeToWindow,
                   FunctionRef<WalkStep(const WindowValues&)> visit) override;

 private:
  WindowServer& inner_;
  WorldLock& world_;
};

// The system, with its main-thread calls refused (aborting) on any other real thread.
class LockedSystem : public System {
 public:
  LockedSystem(System& inner, WorldLock& world, const ThreadedDispatch& dispatch)
      : inner_(inner), world_(world), dispatch_(dispatch) {}
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
  void requireMainThread(const char* call) const;
  System& inner_;
  WorldLock& world_;
  const ThreadedDispatch& dispatch_;
};

class LockedKeyboard : public Keyboard {
 public:
  LockedKeyboard(Keyboard& inner, WorldLock& world) : inner_(inner), world_(world) {}
  std::unique_ptr<EventSource> createSource(EventSourceState state) override;
  std::unique_ptr<KeyEvent> createKeyEvent(EventSource* source, std::uint16_t keyCode,
                                           bool keyDown) override;
  void post(EventTapLocation location, KeyEvent& event) override;

 private:
  Keyboard& inner_;
  WorldLock& world_;
};

class LockedDefaults : public Defaults {
 public:
  LockedDefaults(Defaults& inner, WorldLock& world) : inner_(inner), world_(world) {}
  void registerDefaults(std::span<const std::pair<std::string_view, bool>> values) override;
  bool boolForKey(std::string_view key) override;
  void setBool(std::string_view key, bool value) override;
  RawValue valueForKey(std::string_view key) override;
  void setStrings(std::string_view key, std::span<const std::string> values) override;

 private:
  Defaults& inner_;
  WorldLock& world_;
};

class LockedUnifiedLog : public UnifiedLog {
 public:
  LockedUnifiedLog(UnifiedLog& inner, WorldLock& world) : inner_(inner), world_(world) {}
  bool isEnabled(LogLevel level) override;
  void write(LogLevel level, std::string_view message) override;

 private:
  UnifiedLog& inner_;
  WorldLock& world_;
};

class LockedLoginItem : public LoginItem {
 public:
  LockedLoginItem(LoginItem& inner, WorldLock& world) : inner_(inner), world_(world) {}
  LoginItemStatus status() override;
  std::optional<std::string> registerItem() override;
  std::optional<std::string> unregisterItem() override;
  void openSystemSettingsLoginItems() override;

 private:
  LoginItem& inner_;
  WorldLock& world_;
};

// Main thread only, as on the platform: the lock keeps the test's own reads in order.
class LockedStatusBar : public StatusBar {
 public:
  LockedStatusBar(StatusBar& inner, WorldLock& world) : inner_(inner), world_(world) {}
  std::unique_ptr<StatusItem> makeSquareItem() override;
  std::shared_ptr<SymbolImage> symbolImage(std::string_view name,
                                           std::string_view description) override;
  void showAboutPanel(std::string_view credits) override;

 private:
  StatusBar& inner_;
  WorldLock& world_;
};

class LockedEventTaps : public EventTaps {
 public:
  LockedEventTaps(EventTaps& inner, WorldLock& world) : inner_(inner), world_(world) {}
  std::shared_ptr<EventTap> create(EventTapLocation location, EventTapPlacement placement,
                                   EventTapOptions options, std::uint64_t eventsOfInterest,
                                   TapCallback callback) override;

 private:
  EventTaps& inner_;
  WorldLock& world_;
};

// The simulated Mac's ports on real threads: a real clock, real queues, the world locked.
class ThreadedMac {
 public:
  ThreadedMac(SimMac& mac, double speed);

  // Main thread: brings the simulated world's clock (its timed events: activation, tiling,
  // windows moving) up to the real clock.
  void advanceWorld();

  SimMac& mac;
  WorldLock world;
  RealClock clock;
  ThreadedDispatch dispatch{clock};
  LockedAccessibility accessibility{mac.accessibility, world};
  LockedDefaults defaults{mac.defaults, world};
  LockedUnifiedLog unifiedLog{mac.unifiedLog, world};
  LockedSystem system{mac.system, world, dispatch};
  LockedKeyboard keyboard{mac.keyboard, world};
  LockedWindowServer windowServer{mac.windowServer, world};
  LockedEventTaps eventTaps{mac.eventTaps, world};
  LockedLoginItem loginItem{mac.loginItem, world};
  LockedStatusBar statusBar{mac.statusBar, world};

  Platform platform{accessibility, clock,        dispatch,  defaults,  unifiedLog, system,
                    keyboard,      windowServer, eventTaps, loginItem, statusBar};
};

}  // namespace plumora::sim
