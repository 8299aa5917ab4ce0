#include "no_fill_app.hpp"

#import <AppKit/AppKit.h>

// Takes the system's tiling items out of a menu each time it is about to be shown or read: on
// macOS 15 AppKit adds them to the application's windows menu on its own.
@interface PlumoraNoFillMenuDelegate : NSObject <NSMenuDelegate>
@end

@implementation PlumoraNoFillMenuDelegate
- (void)menuNeedsUpdate:(NSMenu*)menu {
  for (NSMenuItem* item in [menu.itemArray copy]) {
    if ([item.identifier hasPrefix:@"_zoom"] ||
        ([item.keyEquivalent caseInsensitiveCompare:@"f"] == NSOrderedSame &&
         (item.keyEquivalentModifierMask & NSEventModifierFlagControl))) {
      [menu removeItem:item];
    }
  }
}
@end

namespace plumora::e2e {

int runNoFillApp() {
  @autoreleasepool {
    NSApplication* app = [NSApplication sharedApplication];
    [app setActivationPolicy:NSApplicationActivationPolicyRegular];

    NSMenu* bar = [[NSMenu alloc] initWithTitle:@""];
    NSMenu* appMenu = [[NSMenu alloc] initWithTitle:@"Plumora e2e"];
    [appMenu addItemWithTitle:@"Quit" action:@selector(terminate:) keyEquivalent:@"q"];
    [bar addItemWithTitle:@"" action:nil keyEquivalent:@""].submenu = appMenu;

    // Never registered as the application's windows menu, which is where AppKit puts its
    // tiling items; the delegate removes any that arrive all the same.
    static PlumoraNoFillMenuDelegate* delegate = [[PlumoraNoFillMenuDelegate alloc] init];
    NSMenu* windowMenu = [[NSMenu alloc] initWithTitle:@"Window"];
    windowMenu.delegate = delegate;
    [windowMenu addItemWithTitle:@"Minimize"
                          action:@selector(performMiniaturize:)
                   keyEquivalent:@"m"];
    [bar addItemWithTitle:@"" action:nil keyEquivalent:@""].submenu = windowMenu;
    app.mainMenu = bar;

    NSWindow* window = [[NSWindow alloc]
        initWithContentRect:NSMakeRect(240, 240, 640, 420)
                  styleMask:NSWindowStyleMaskTitled | NSWindowStyleMaskClosable |
                            NSWindowStyleMaskMiniaturizable | NSWindowStyleMaskResizable
                    backing:NSBackingStoreBuffered
                      defer:NO];
    window.title = [NSString stringWithUTF8String:kNoFillWindowTitle];
    window.releasedWhenClosed = NO;
    [window makeKeyAndOrderFront:nil];
    [app activate];
    [app run];
  }
  return 0;
}

}  // namespace plumora::e2e
