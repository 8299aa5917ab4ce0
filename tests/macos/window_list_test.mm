// The live window list, as the window-server adapter hands it to the core: converted from the
// system's objects by rawValueFromCF.

#import <AppKit/AppKit.h>
#include <CoreGraphics/CoreGraphics.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "macos/cf_ref.hpp"
#include "macos/cf_value.hpp"

namespace plumora {
namespace {

TEST(MacWindowList, TheLiveListCarriesWhatTheWatcherReads) {
  [NSApplication sharedApplication];
  const NSRect frame = NSMakeRect(120, 140, 420, 260);
  NSWindow* window = [[NSWindow alloc] initWithContentRect:frame
                                                 styleMask:NSWindowStyleMaskTitled
                                                   backing:NSBackingStoreBuffered
                                                     defer:NO];
  window.releasedWhenClosed = NO;
  [window orderFrontRegardless];
  const NSRect shown = window.frame;

  RawValue list;
  const RawValue* entry = nullptr;
  NSDate* deadline = [NSDate dateWithTimeIntervalSinceNow:3];
  while (!entry && [deadline timeIntervalSinceNow] > 0) {
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.05, true);
    const auto live = CFRef<CFArrayRef>::adopt(CGWindowListCopyWindowInfo(
        kCGWindowListOptionOnScreenOnly | kCGWindowListExcludeDesktopElements, kCGNullWindowID));
    list = rawValueFromCF(live.get());  // none, and no array, when the list was refused
    ASSERT_NE(list.asArray(), nullptr);
    for (const RawValue& any : *list.asArray()) {
      const RawValue* number = any.find("kCGWindowNumber");
      if (number && number->asNumber() && number->asNumber()->integer == window.windowNumber) {
        entry = &any;
      }
    }
  }
  ASSERT_NE(entry, nullptr) << "the test's own window is not in the on-screen list";

  // Every entry has the integral fields the watcher relies on.
  for (const RawValue& any : *list.asArray()) {
    for (const char* key : {"kCGWindowNumber", "kCGWindowOwnerPID", "kCGWindowLayer"}) {
      const RawValue* field = any.find(key);  // none when the entry is not a dictionary
      EXPECT_TRUE(field && field->asNumber() && field->asNumber()->integer) << key;
    }
  }

  EXPECT_EQ(entry->find("kCGWindowOwnerPID")->asNumber()->integer, getpid());
  EXPECT_EQ(entry->find("kCGWindowLayer")->asNumber()->integer, 0);
  const RawValue* bounds = entry->find("kCGWindowBounds");
  ASSERT_NE(bounds, nullptr);
  ASSERT_NE(bounds->asDictionary(), nullptr);
  // The list is in the top-left space of the primary screen, AppKit's frames bottom-left.
  const double primaryHeight = NSScreen.screens.firstObject.frame.size.height;
  EXPECT_EQ(bounds->find("X")->numeric(), shown.origin.x);
  EXPECT_EQ(bounds->find("Y")->numeric(), primaryHeight - NSMaxY(shown));
  EXPECT_EQ(bounds->find("Width")->numeric(), shown.size.width);
  EXPECT_EQ(bounds->find("Height")->numeric(), shown.size.height);
  [window close];
}

}  // namespace
}  // namespace plumora
