#pragma once

// The application shell: launch, the Accessibility permission that starts and stops the click
// watcher, the status item and its menu. Main thread only; the platform's application delegate
// forwards to it.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "platform/session_recording.hpp"
#include "platform/status_bar.hpp"
#include "support/context.hpp"
#include "support/exception_list.hpp"
#include "support/settings.hpp"

namespace plumora {

class AppController {
 public:
  static constexpr double kTrustPollInterval = 3.0;
  static constexpr double kTrustPollTolerance = 1.0;
  static constexpr double kNotificationDelay = 0.5;

  AppController(Context& context, Settings& settings, Interceptor& interceptor, FillAction& fill);
  AppController(const AppController&) = delete;
  AppController& operator=(const AppController&) = delete;

  // The recording the menu offers (with Option held) and stops; none: the menu has no such item.
  void setSessionRecording(SessionRecording* session) { session_ = session; }

  void applicationDidFinishLaunching();
  // True when the process may end now; else `ready` is called on the main thread when it may
  // (a run is giving back another application's assistive mode).
  bool applicationShouldTerminate(std::function<void()> ready);
  void applicationWillTerminate();
  // Opens the status menu; always false, so the platform does nothing more.
  bool applicationShouldHandleReopen();
  // The platform is about to open the status menu: refresh the permission, rebuild the items.
  void menuNeedsUpdate();
  // The action of a chosen menu item.
  void perform(MenuAction action);

  void toggleEnabled();
  void toggleRestore();
  void toggleLogin();
  // Adds the application the menu was opened over to the exceptions, or removes it.
  void toggleException();
  void openAccessibilitySettings();
  void showAbout();
  void quit();
  void toggleRecording();

  bool trusted() const { return trusted_; }
  // The menu as it is now, for the platform to show.
  std::vector<MenuItemModel> menuItems();

 private:
  void refreshTrust(bool prompt);
  void updateIcon();
  void accessibilityChanged();
  // Reads the stored exceptions and hands them to the click watcher; says once what was left out.
  StoredExceptions loadExceptions();
  void reportSkipped(const StoredExceptions& stored);
  std::optional<MenuItemModel> exceptionItem();

  Context& context_;
  Settings& settings_;
  Interceptor& interceptor_;
  FillAction& fill_;
  SessionRecording* session_ = nullptr;
  std::unique_ptr<StatusItem> statusItem_;
  std::unique_ptr<RepeatingTimer> trustTimer_;
  bool trusted_ = false;
  std::string shownSymbol_;
  std::string shownToolTip_;
  // The application whose item the menu shows, as it was when the menu opened; an empty bundle
  // identifier when it has none.
  struct MenuApp {
    std::string bundleId;
    std::string name;
  };
  std::optional<MenuApp> menuApp_;
  // The last line said about stored exceptions left out, so that the same value is said once.
  std::string skippedSaid_;
};

}  // namespace plumora
