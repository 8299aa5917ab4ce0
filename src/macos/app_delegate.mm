#import "macos/app_delegate.hpp"

#include <memory>

#include "app/app_controller.hpp"
#include "macos/mac_dispatch.hpp"
#include "recording/recording_session.hpp"

namespace {

// How long the end waits for the recording's last lines to reach the disk.
constexpr double kRecordingWriteTimeout = 2.0;

}  // namespace

@implementation PlumoraAppDelegate {
  plumora::AppController* _controller;
  plumora::RecordingSession* _recording;
}

- (void)setController:(plumora::AppController*)controller {
  _controller = controller;
}

- (void)setRecording:(plumora::RecordingSession*)recording {
  _recording = recording;
}

// A menu choice reaches the program from outside its ports: the recording hears of it first.
- (void)chose:(plumora::MenuAction)action {
  if (_recording) _recording->menuChosen(action);
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
  if (_controller) _controller->applicationDidFinishLaunching();
}

// Before the process ends, without the main thread waiting: a run giving back another
// application's assistive mode finishes first, so that a recording holds that too; then a
// recording's last lines reach the disk. AppKit hears once both are done, or the recording's
// wait runs out.
- (NSApplicationTerminateReply)applicationShouldTerminate:(NSApplication*)sender {
  plumora::RecordingSession* recording = _recording;
  auto replied = std::make_shared<bool>(false);
  // On the main thread, once.
  auto reply = [replied] {
    if (*replied) return;
    *replied = true;
    [NSApp replyToApplicationShouldTerminate:YES];
  };
  auto replyFromAnywhere = [reply] { plumora::performOnMainRunLoop(reply); };
  // True when nothing is left to write.
  auto finishRecording = [recording, replyFromAnywhere]() -> bool {
    if (!recording || !recording->isRecording()) return true;
    recording->finish(replyFromAnywhere);
    dispatch_after(
        dispatch_time(DISPATCH_TIME_NOW, static_cast<int64_t>(kRecordingWriteTimeout * NSEC_PER_SEC)),
        dispatch_get_global_queue(QOS_CLASS_UTILITY, 0), ^{
          replyFromAnywhere();
        });
    return false;
  };
  if (_controller && !_controller->applicationShouldTerminate([finishRecording, reply] {
        if (finishRecording()) reply();
      })) {
    return NSTerminateLater;
  }
  return finishRecording() ? NSTerminateNow : NSTerminateLater;
}

- (void)applicationWillTerminate:(NSNotification*)notification {
  if (_controller) _controller->applicationWillTerminate();
}

// The controller opens the status menu by clicking its button, and the menu's tracking loop
// runs until the menu closes: inside the reopen Apple event's handler it would hold that event
// the whole time, and inside a main-queue block the main queue (the tap's permission refresh,
// a Fill run's hop to the main thread) would wait for the menu to close. Open it from the run
// loop, once the handler has returned.
- (BOOL)applicationShouldHandleReopen:(NSApplication*)sender hasVisibleWindows:(BOOL)flag {
  plumora::AppController* controller = _controller;
  if (!controller) return YES;
  plumora::performOnMainRunLoop([controller] { controller->applicationShouldHandleReopen(); });
  return NO;
}

- (void)menuNeedsUpdate:(NSMenu*)menu {
  if (_recording) _recording->menuOpened();
  if (_controller) _controller->menuNeedsUpdate();
}

- (void)toggleEnabled:(id)sender {
  [self chose:plumora::MenuAction::ToggleEnabled];
  if (_controller) _controller->toggleEnabled();
}

- (void)toggleRestore:(id)sender {
  [self chose:plumora::MenuAction::ToggleRestore];
  if (_controller) _controller->toggleRestore();
}

- (void)toggleLogin:(id)sender {
  [self chose:plumora::MenuAction::ToggleLogin];
  if (_controller) _controller->toggleLogin();
}

- (void)toggleException:(id)sender {
  [self chose:plumora::MenuAction::ToggleException];
  if (_controller) _controller->toggleException();
}

- (void)openAccessibilitySettings:(id)sender {
  [self chose:plumora::MenuAction::OpenAccessibilitySettings];
  if (_controller) _controller->openAccessibilitySettings();
}

- (void)showAbout:(id)sender {
  [self chose:plumora::MenuAction::ShowAbout];
  if (_controller) _controller->showAbout();
}

- (void)quit:(id)sender {
  [self chose:plumora::MenuAction::Quit];
  if (_controller) _controller->quit();
}

// Not told to the recording: starting one is no part of it, and stopping one is its end.
- (void)toggleRecording:(id)sender {
  if (_controller) _controller->toggleRecording();
}

@end
