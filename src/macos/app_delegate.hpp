#pragma once

// The application delegate: AppKit's launch, reopen and termination messages, the status menu's
// delegate calls and its items' actions, each passed on to the application controller.
// Objective-C++ only.

#import <AppKit/AppKit.h>

namespace plumora {
class AppController;
class RecordingSession;
}  // namespace plumora

@interface PlumoraAppDelegate : NSObject <NSApplicationDelegate, NSMenuDelegate>

// Set once, before the application runs; the controller outlives the delegate's use of it.
- (void)setController:(plumora::AppController*)controller;
// The recording the menu's choices are told to, and which the program finishes before it ends.
- (void)setRecording:(plumora::RecordingSession*)recording;

- (void)toggleEnabled:(id)sender;
- (void)toggleRestore:(id)sender;
- (void)toggleLogin:(id)sender;
- (void)toggleException:(id)sender;
- (void)openAccessibilitySettings:(id)sender;
- (void)showAbout:(id)sender;
- (void)quit:(id)sender;
- (void)toggleRecording:(id)sender;

@end
