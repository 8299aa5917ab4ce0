#import "macos/app_delegate.hpp"

#include "app/app_controller.hpp"

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

- (BOOL)applicationShouldHandleReopen:(NSApplication*)sender hasVisibleWindows:(BOOL)flag {
  return _controller ? _controller->applicationShouldHandleReopen() : YES;
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
