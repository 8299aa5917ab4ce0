#include "ax_window.hpp"

namespace plumora::e2e {

namespace {

CFRef<CFTypeRef> copy(const Element& element, CFStringRef attribute) {
  CFRef<CFTypeRef> value;
  if (AXUIElementCopyAttributeValue(element.get(), attribute, value.out()) != kAXErrorSuccess) {
    return nullptr;
  }
  return value;
}

// The value of a geometry attribute; false when it is missing or of another kind.
bool copyBox(const Element& element, CFStringRef attribute, AXValueType type, void* out) {
  const auto value = copy(element, attribute);
  return value && CFGetTypeID(value.get()) == AXValueGetTypeID() &&
         AXValueGetValue(static_cast<AXValueRef>(value.get()), type, out);
}

Element applicationElement(pid_t pid) { return Element::adopt(AXUIElementCreateApplication(pid)); }

}  // namespace

void wait(double seconds) { CFRunLoopRunInMode(kCFRunLoopDefaultMode, seconds, false); }

bool waitUntil(double seconds, const std::function<bool()>& done) {
  NSDate* deadline = [NSDate dateWithTimeIntervalSinceNow:seconds];
  while (!done()) {
    if ([deadline timeIntervalSinceNow] <= 0) return false;
    wait(0.05);
  }
  return true;
}

std::optional<Element> firstWindow(pid_t pid, double seconds) {
  const Element app = applicationElement(pid);
  std::optional<Element> found;
  waitUntil(seconds, [&] {
    const auto windows = copy(app, kAXWindowsAttribute);
    if (!windows || CFGetTypeID(windows.get()) != CFArrayGetTypeID()) return false;
    const auto list = static_cast<CFArrayRef>(windows.get());
    for (CFIndex i = 0; i < CFArrayGetCount(list) && !found; ++i) {
      const auto window =
          Element::retain(static_cast<AXUIElementRef>(CFArrayGetValueAtIndex(list, i)));
      const auto subrole = copy(window, kAXSubroleAttribute);
      if (subrole && CFEqual(subrole.get(), kAXStandardWindowSubrole)) found = window;
    }
    return found.has_value();
  });
  return found;
}

std::optional<Frame> frameOf(const Element& element) {
  Frame frame;
  if (!copyBox(element, kAXPositionAttribute, kAXValueTypeCGPoint, &frame.origin) ||
      !copyBox(element, kAXSizeAttribute, kAXValueTypeCGSize, &frame.size)) {
    return std::nullopt;
  }
  return frame;
}

void setFrame(const Element& window, const Frame& frame) {
  const auto position = CFRef<AXValueRef>::adopt(AXValueCreate(kAXValueTypeCGPoint, &frame.origin));
  const auto size = CFRef<AXValueRef>::adopt(AXValueCreate(kAXValueTypeCGSize, &frame.size));
  AXUIElementSetAttributeValue(window.get(), kAXSizeAttribute, size.get());
  AXUIElementSetAttributeValue(window.get(), kAXPositionAttribute, position.get());
  AXUIElementSetAttributeValue(window.get(), kAXSizeAttribute, size.get());
}

std::optional<bool> isFullScreen(const Element& window) {
  const auto value = copy(window, CFSTR("AXFullScreen"));
  if (!value || CFGetTypeID(value.get()) != CFBooleanGetTypeID()) return std::nullopt;
  return CFBooleanGetValue(static_cast<CFBooleanRef>(value.get()));
}

void leaveFullScreen(const Element& window) {
  AXUIElementSetAttributeValue(window.get(), CFSTR("AXFullScreen"), kCFBooleanFalse);
  waitUntil(4.0, [&] { return !isFullScreen(window).value_or(true); });
  wait(1.0);  // the animation out of full screen ends after the attribute has changed
}

std::optional<CGPoint> greenButtonCentre(const Element& window) {
  auto button = copy(window, kAXFullScreenButtonAttribute);
  const auto isElement = [&] {
    return button && CFGetTypeID(button.get()) == AXUIElementGetTypeID();
  };
  if (!isElement()) button = copy(window, kAXZoomButtonAttribute);
  if (!isElement()) return std::nullopt;
  const auto frame = frameOf(Element::retain(static_cast<AXUIElementRef>(button.get())));
  if (!frame) return std::nullopt;
  return CGPointMake(frame->origin.x + frame->size.width / 2,
                     frame->origin.y + frame->size.height / 2);
}

void bringToFront(pid_t pid, const Element& window) {
  AXUIElementSetAttributeValue(applicationElement(pid).get(), kAXFrontmostAttribute,
                               kCFBooleanTrue);
  AXUIElementPerformAction(window.get(), kAXRaiseAction);
  AXUIElementSetAttributeValue(window.get(), kAXMainAttribute, kCFBooleanTrue);
  wait(0.5);
}

std::optional<Frame> visibleFrameOfScreenHolding(const Frame& frame) {
  NSArray<NSScreen*>* screens = [NSScreen screens];
  if (screens.count == 0) return std::nullopt;
  const double primaryHeight = screens[0].frame.size.height;
  // The window's frame in AppKit's bottom-left space, to compare with the screens' frames.
  const NSRect window =
      NSMakeRect(frame.origin.x, primaryHeight - frame.origin.y - frame.size.height,
                 frame.size.width, frame.size.height);
  NSScreen* best = screens[0];
  double bestOverlap = -1;
  for (NSScreen* screen in screens) {
    const NSRect both = NSIntersectionRect(window, screen.frame);
    const double shared = NSIsEmptyRect(both) ? 0 : both.size.width * both.size.height;
    if (shared > bestOverlap) {
      best = screen;
      bestOverlap = shared;
    }
  }
  const NSRect visible = best.visibleFrame;
  return Frame{CGPointMake(visible.origin.x, primaryHeight - NSMaxY(visible)), visible.size};
}

}  // namespace plumora::e2e
