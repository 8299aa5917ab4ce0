#import "macos/app_delegate.hpp"

#include "app/app_controller.hpp"
#include "macos/mac_dispatch.hpp"

@implementation PlumoraAppDelegate {
  plumora::AppController* _controller;
}

- (void)setController:(plumora::AppController*)controller {
  _controller = controller;
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
  if (_controller) _controller->applicationDidFinishLaunching();
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
  if (_controller) _controller->menuNeedsUpdate();
}

- (void)toggleEnabled:(id)sender {
  if (_controller) _controller->toggleEnabled();
}

- (void)toggleRestore:(id)sender {
  if (_controller) _controller->toggleRestore();
}

- (void)toggleLogin:(id)sender {
  if (_controller) _controller->toggleLogin();
}

- (void)toggleException:(id)sender {
  if (_controller) _controller->toggleException();
}

- (void)openAccessibilitySettings:(id)sender {
  if (_controller) _controller->openAccessibilitySettings();
}

- (void)showAbout:(id)sender {
  if (_controller) _controller->showAbout();
}

- (void)quit:(id)sender {
  if (_controller) _controller->quit();
}

@end
