#include "scenario/desktop_builder.hpp"

#include "support/exception_list.hpp"
#include "support/log.hpp"
#include "support/settings.hpp"

namespace plumora::simtool {
namespace {

void applySettings(const Scenario& scenario, sim::SimMac& mac, const std::string& home) {
  mac.system.home = home;
  mac.system.bundleId = PLUMORA_BUNDLE_ID;
  mac.system.version = scenario.programVersion.value_or(PLUMORA_VERSION);
  if (scenario.systemVersion) mac.system.systemVersion = *scenario.systemVersion;
  mac.loginItem.state = scenario.loginItem;
  mac.loginItem.afterRegister = scenario.loginItemRegistered;
  mac.unifiedLog.setEnabled(LogLevel::Default, scenario.unifiedLogDefault);
  mac.unifiedLog.setEnabled(LogLevel::Debug, scenario.unifiedLogDebug);
  for (const AppSpec& app : scenario.apps) {
    if (app.program) mac.system.pid = app.pid;
  }
  mac.system.languages = scenario.languages;
  mac.defaults.setBool(Log::kVerboseKey, scenario.verbose);
  // Stored only when off, as a user's choice would be: otherwise the registered defaults hold.
  if (!scenario.enabled) mac.defaults.setBool(Settings::enabledKey, false);
  if (!scenario.restoreOnSecondClick) mac.defaults.setBool(Settings::restoreKey, false);
  if (scenario.exceptions) mac.defaults.setValue(ExceptionList::kKey, *scenario.exceptions);
  mac.accessibility.setTrusted(scenario.permission);
}

void addApp(const AppSpec& described, sim::SimMac& mac, World& world) {
  sim::SimApp& app = mac.desktop.addApp(described.pid, described.name, described.bundleId);
  if (described.noBundle) {
    app.bundleId.clear();
    mac.system.running[app.pid].clear();
  }
  if (described.menuBar != MenuBar::None) mac.desktop.setMenus(app, menusOf(described));
  if (described.tilingDelay) app.tilingDelay = *described.tilingDelay;
  app.restoreAnswer = described.restoreAnswer;
  app.elsewhere = described.elsewhere;
  app.shortcuts = described.shortcuts;
  if (described.latency > 0) mac.accessibility.setLatency(described.pid, described.latency);
  if (described.activationDelay) app.activationDelay = *described.activationDelay;
  app.activates = described.activates;
  app.enhancedUserInterface = described.enhancedUserInterface;
  app.sizeStep = described.sizeStep;
  app.minimumSize = described.minimumSize;
  world.add(described.name, &app);
  if (described.program) {
    // Its windows are the program's own; the process is no other application.
    mac.system.running.erase(app.pid);
    mac.system.names.erase(app.pid);
  }
}

void addWindow(const WindowSpec& described, sim::SimMac& mac, World& world) {
  sim::SimWindow& window =
      mac.desktop.addWindow(*world.app(described.app), described.frame, described.title);
  mac.desktop.setLayer(window, described.layer);
  window.alpha = described.alpha;
  if (!described.resizable) mac.desktop.setResizable(window, false);
  if (described.fullScreen) mac.desktop.setFullScreen(window, true);
  for (auto [kind, state] : {std::pair{ButtonKind::Close, described.close},
                             std::pair{ButtonKind::Minimize, described.minimize},
                             std::pair{ButtonKind::Green, described.green}}) {
    sim::TitleButton& b = buttonOf(window, kind);
    mac.desktop.setButtonEnabled(b, state.enabled);
    b.frameReadable = state.frameReadable;
  }
  window.frameReadable = described.frameReadable;
  window.rebound = described.rebound;
  if (described.number) window.number = *described.number;
  world.add(described.name, &window);
}

}  // namespace

sim::TitleButton& buttonOf(sim::SimWindow& window, ButtonKind kind) {
  switch (kind) {
    case ButtonKind::Close:
      return window.close;
    case ButtonKind::Minimize:
      return window.minimize;
    case ButtonKind::Green:
      break;
  }
  return window.zoom;
}

sim::SimApp* World::app(const std::string& name) const {
  for (const auto& [n, a] : apps_) {
    if (n == name) return a;
  }
  return nullptr;
}

sim::SimWindow* World::window(const std::string& name) const {
  for (const auto& [n, w] : windows_) {
    if (n == name) return w;
  }
  return nullptr;
}

std::string World::appName(std::int32_t pid) const {
  for (const auto& [n, a] : apps_) {
    if (a->pid == pid) return n;
  }
  return "pid " + std::to_string(pid);
}

std::string World::windowName(std::uint32_t number) const {
  for (const auto& [n, w] : windows_) {
    if (w->number == number) return n;
  }
  return "window " + std::to_string(number);
}

World buildDesktop(const Scenario& scenario, sim::SimMac& mac, const std::string& home) {
  applySettings(scenario, mac, home);
  mac.desktop.tilingMargin = scenario.tilingMargin;
  if (scenario.tapTimeout) mac.desktop.tapCallbackTimeout = *scenario.tapTimeout;
  if (scenario.screens.empty()) mac.desktop.addStandardScreen();
  for (const ScreenSpec& screen : scenario.screens) {
    mac.desktop.addScreen(screen.frame, screen.visible);
  }
  World world;
  for (const AppSpec& app : scenario.apps) addApp(app, mac, world);
  for (const WindowSpec& window : scenario.windows) addWindow(window, mac, world);

  // Without a focus, the first window's application is in front: never the program's own.
  std::string focus = scenario.focus.value_or("");
  for (const WindowSpec& window : scenario.windows) {
    if (!focus.empty()) break;
    if (!scenario.app(window.app)->program) focus = window.name;
  }
  if (sim::SimWindow* w = world.window(focus)) {
    mac.desktop.activate(*mac.desktop.app(w->pid), w);
  } else if (sim::SimApp* named = world.app(focus)) {
    // An application in front with no window of its own.
    mac.desktop.activate(*named);
  } else {
    for (const AppSpec& app : scenario.apps) {
      if (app.program) continue;
      mac.desktop.activate(*world.app(app.name));
      break;
    }
  }
  return world;
}

}  // namespace plumora::simtool
