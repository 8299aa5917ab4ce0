#include "macos/mac_recording_host.hpp"

#import <AppKit/AppKit.h>
#include <CoreFoundation/CoreFoundation.h>

#include "macos/cf_ref.hpp"
#include "macos/ns_string.hpp"

namespace plumora {

bool MacRecordingHost::optionKeyHeld() {
  // The modifiers of this moment, not of the event being handled: the menu opens from a click
  // whose modifiers were those of the press.
  return ([NSEvent modifierFlags] & NSEventModifierFlagOption) != 0;
}

void MacRecordingHost::revealFile(std::string_view path) {
  NSURL* url = [NSURL fileURLWithPath:toNSString(path)];
  [[NSWorkspace sharedWorkspace] activateFileViewerSelectingURLs:@[ url ]];
}

std::optional<bool> MacRecordingHost::tiledWindowMargins() {
  const auto value = CFRef<CFPropertyListRef>::adopt(CFPreferencesCopyAppValue(
      CFSTR("EnableTiledWindowMargins"), CFSTR("com.apple.WindowManager")));
  if (!value) {
    // Never set: the system's default, on since the release that tiles windows.
    if ([NSProcessInfo processInfo].operatingSystemVersion.majorVersion >= 15) return true;
    return std::nullopt;
  }
  if (CFGetTypeID(value.get()) == CFBooleanGetTypeID()) {
    return CFBooleanGetValue(static_cast<CFBooleanRef>(value.get()));
  }
  if (CFGetTypeID(value.get()) == CFNumberGetTypeID()) {
    int number = 0;
    if (CFNumberGetValue(static_cast<CFNumberRef>(value.get()), kCFNumberIntType, &number)) {
      return number != 0;
    }
  }
  return std::nullopt;
}

}  // namespace plumora
