#pragma once

// The program's own objects over a platform, made as the application makes them: the context,
// the settings, the fill engine, the click watcher and the application shell. The platform is the
// simulated Mac's, a recording of it, or a replay of a recording.

#include <functional>

#include <vector>

#include "app/app_controller.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "platform/platform.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"

namespace plumora::simtool {

class CoreApp {
 public:
  // The desktop and the settings must be in place: the click watcher reads the languages as it
  // is made.
  explicit CoreApp(Platform& platform) : platform_(platform) {}
  CoreApp(const CoreApp&) = delete;
  CoreApp& operator=(const CoreApp&) = delete;

  // Main thread, at the start of the run.
  void launch() { controller_.applicationDidFinishLaunching(); }
  // As the application delegate does: the status menu asks the shell before it opens.
  void menuNeedsUpdate() {
    if (toldOpen_) toldOpen_();
    controller_.menuNeedsUpdate();
  }
  // The user chose an item of the status menu.
  void choose(MenuAction action) {
    if (toldChoice_) toldChoice_(action);
    controller_.perform(action);
  }
  // The recording of the session the status menu offers to stop, as the Mac's shell gives it.
  void setSession(SessionRecording& session) { controller_.setSessionRecording(&session); }
  // What reaches the program through the shell rather than its ports, told first, as a
  // recording hears of it.
  void tellShell(std::function<void()> opened, std::function<void(MenuAction)> chosen) {
    toldOpen_ = std::move(opened);
    toldChoice_ = std::move(chosen);
  }

 private:
  Platform& platform_;
  Context context_{platform_};
  Settings settings_{platform_.defaults};
  FillAction fill_{context_, settings_};
  Interceptor interceptor_{context_, [this](const GreenClick& click) { fill_.perform(click); }};
  AppController controller_{context_, settings_, interceptor_, fill_};
  std::function<void()> toldOpen_;
  std::function<void(MenuAction)> toldChoice_;
};

}  // namespace plumora::simtool
