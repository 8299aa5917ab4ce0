#include "recording/recording_platform.hpp"

#include "recording/recording_ports.hpp"

namespace plumora {

struct RecordingPlatform::Ports {
  Ports(Platform& inner, Recorder& recorder)
      : accessibility(inner.accessibility, recorder),
        clock(inner.clock, recorder),
        dispatch(inner.dispatch, recorder),
        defaults(inner.defaults, recorder),
        unifiedLog(inner.unifiedLog, recorder),
        system(inner.system, recorder),
        keyboard(inner.keyboard, recorder),
        windowServer(inner.windowServer, recorder),
        eventTaps(inner.eventTaps, recorder),
        loginItem(inner.loginItem, recorder),
        statusBar(inner.statusBar, recorder) {}

  recording::RecordingAccessibility accessibility;
  recording::RecordingClock clock;
  recording::RecordingDispatch dispatch;
  recording::RecordingDefaults defaults;
  recording::RecordingUnifiedLog unifiedLog;
  recording::RecordingSystem system;
  recording::RecordingKeyboard keyboard;
  recording::RecordingWindowServer windowServer;
  recording::RecordingEventTaps eventTaps;
  recording::RecordingLoginItem loginItem;
  recording::RecordingStatusBar statusBar;
};

RecordingPlatform::RecordingPlatform(Platform& inner, Recorder& recorder)
    : inner_(inner),
      recorder_(recorder),
      ports_(std::make_unique<Ports>(inner, recorder)),
      platform_(std::make_unique<Platform>(
          Platform{ports_->accessibility, ports_->clock, ports_->dispatch, ports_->defaults,
                   ports_->unifiedLog, ports_->system, ports_->keyboard, ports_->windowServer,
                   ports_->eventTaps, ports_->loginItem, ports_->statusBar})) {}

RecordingPlatform::~RecordingPlatform() = default;

void RecordingPlatform::menuChosen(MenuAction action) {
  if (!recorder_.active()) return;
  recorder_.line("menu.choice")
      .text("v", menuActionName(action))
      .text("title", ports_->statusBar.titleOf(action))
      .done();
}

void RecordingPlatform::menuOpened() {
  if (recorder_.active()) recorder_.line("menu.open").done();
}

RecordingHeader RecordingPlatform::header(std::string plumoraVersion) {
  RecordingHeader header;
  header.plumoraVersion = std::move(plumoraVersion);
  header.systemVersion = inner_.system.operatingSystemVersion();
  header.screens = inner_.system.screens();
  return header;
}

std::string_view menuActionName(MenuAction action) {
  switch (action) {
    case MenuAction::None:
      return "none";
    case MenuAction::ToggleEnabled:
      return "toggleEnabled";
    case MenuAction::ToggleRestore:
      return "toggleRestore";
    case MenuAction::ToggleLogin:
      return "toggleLogin";
    case MenuAction::ToggleException:
      return "toggleException";
    case MenuAction::OpenAccessibilitySettings:
      return "openAccessibilitySettings";
    case MenuAction::ShowAbout:
      return "showAbout";
    case MenuAction::Quit:
      return "quit";
    case MenuAction::ToggleRecording:
      return "toggleRecording";
  }
  return "none";
}

std::string_view eventTypeName(EventType type) {
  switch (type) {
    case EventType::Null:
      return "null";
    case EventType::LeftMouseDown:
      return "leftDown";
    case EventType::LeftMouseUp:
      return "leftUp";
    case EventType::RightMouseDown:
      return "rightDown";
    case EventType::RightMouseUp:
      return "rightUp";
    case EventType::MouseMoved:
      return "moved";
    case EventType::LeftMouseDragged:
      return "leftDragged";
    case EventType::TapDisabledByTimeout:
      return "disabledByTimeout";
    case EventType::TapDisabledByUserInput:
      return "disabledByUserInput";
  }
  return "null";
}

}  // namespace plumora
