#include "macos/mac_window_server.hpp"

#include <CoreGraphics/CoreGraphics.h>

#include "macos/cf_ref.hpp"
#include "macos/cf_value.hpp"

namespace plumora {
namespace {

RawValue valueOf(CFDictionaryRef window, CFStringRef key) {
  return rawValueFromCF(CFDictionaryGetValue(window, key));
}

}  // namespace

void MacWindowServer::walkWindows(std::uint32_t options, std::uint32_t relativeToWindow,
                                  FunctionRef<WalkStep(const WindowValues&)> visit) {
  const auto list = CFRef<CFArrayRef>::adopt(CGWindowListCopyWindowInfo(
      static_cast<CGWindowListOption>(options), static_cast<CGWindowID>(relativeToWindow)));
  if (!list || CFGetTypeID(list.get()) != CFArrayGetTypeID()) return;
  const CFIndex count = CFArrayGetCount(list.get());
  for (CFIndex i = 0; i < count; ++i) {
    // Only the five keys the program reads are converted, and only for the windows reached.
    WindowValues values;
    const CFTypeRef item = CFArrayGetValueAtIndex(list.get(), i);
    if (item && CFGetTypeID(item) == CFDictionaryGetTypeID()) {
      const auto window = static_cast<CFDictionaryRef>(item);
      values.layer = valueOf(window, kCGWindowLayer);
      values.bounds = valueOf(window, kCGWindowBounds);
      values.alpha = valueOf(window, kCGWindowAlpha);
      values.ownerPid = valueOf(window, kCGWindowOwnerPID);
      values.number = valueOf(window, kCGWindowNumber);
    }
    if (visit(values) == WalkStep::Stop) return;
  }
}

}  // namespace plumora
