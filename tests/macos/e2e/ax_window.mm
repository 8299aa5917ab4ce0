#include "ax_window.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plumora::e2e {

namespace {

CFRef<CFTypeRef> copy(const Element& element, CFStringRef attribute) {
  CFRef<CFTypeRef> value;
  if (AXUIElementCopyAttributeValue(element.get(), attribute, value.out()) != kAXErrorSuccess) {
    return nullptr;
  }
  return value;
}

std::optional<Element> elementValue(const Element& element, CFStringRef attribute) {
  const auto value = copy(element, attribute);
  if (!value || CFGetTypeID(value.get()) != AXUIElementGetTypeID()) return std::nullopt;
  return Element::retain(static_cast<AXUIElementRef>(value.get()));
}

std::string text(const Element& element, CFStringRef attribute) {
  const auto value = copy(element, attribute);
  if (!value || CFGetTypeID(value.get()) != CFStringGetTypeID()) return {};
  char buffer[256] = {};
  CFStringGetCString(static_cast<CFStringRef>(value.get()), buffer, sizeof buffer,
                     kCFStringEncodingUTF8);
  return buffer;
}

void waitOnRunLoop(double seconds) { CFRunLoopRunInMode(kCFRunLoopDefaultMode, seconds, false); }

double overlap(NSRect a, NSRect b) {
  const NSRect both = NSIntersectionRect(a, b);
  return NSIsEmptyRect(both) ? 0 : both.size.width * both.size.height;
}

}  // namespace

std::string describe(const Frame& f) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "(%.1f, %.1f, %.1f x %.1f)", f.origin.x, f.origin.y,
                f.size.width, f.size.height);
  return buffer;
}

bool sameFrame(const Frame& a, const Frame& b, double tolerance) {
  return std::fabs(a.origin.x - b.origin.x) <= tolerance &&
         std::fabs(a.origin.y - b.origin.y) <= tolerance &&
         std::fabs(a.origin.x + a.size.width - b.origin.x - b.size.width) <= tolerance &&
         std::fabs(a.origin.y + a.size.height - b.origin.y - b.size.height) <= tolerance;
}

std::optional<double> evenInset(const Frame& inner, const Frame& outer, double tolerance,
                                double largest) {
  const double sides[] = {inner.origin.x - outer.origin.x, inner.origin.y - outer.origin.y,
                          outer.origin.x + outer.size.width - inner.origin.x - inner.size.width,
                          outer.origin.y + outer.size.height - inner.origin.y - inner.size.height};
  const double mean = (sides[0] + sides[1] + sides[2] + sides[3]) / 4;
  for (const double side : sides) {
    if (!(std::fabs(side - mean) <= tolerance)) return std::nullopt;
  }
  if (mean < -tolerance || mean > largest + tolerance) return std::nullopt;
  return std::max(0.0, mean);
}

Element applicationElement(pid_t pid) { return Element::adopt(AXUIElementCreateApplication(pid)); }

std::optional<Element> firstWindow(const Element& app, double seconds) {
  NSDate* deadline = [NSDate dateWithTimeIntervalSinceNow:seconds];
  do {
    const auto windows = copy(app, kAXWindowsAttribute);
    if (windows && CFGetTypeID(windows.get()) == CFArrayGetTypeID()) {
      const auto list = static_cast<CFArrayRef>(windows.get());
      for (CFIndex i = 0; i < CFArrayGetCount(list); ++i) {
        const auto window =
            Element::retain(static_cast<AXUIElementRef>(CFArrayGetValueAtIndex(list, i)));
        if (text(window, kAXSubroleAttribute) == "AXStandardWindow") return window;
      }
    }
    waitOnRunLoop(0.2);
  } while ([deadline timeIntervalSinceNow] > 0);
  return std::nullopt;
}

std::optional<Frame> frameOf(const Element& element) {
  const auto position = copy(element, kAXPositionAttribute);
  const auto size = copy(element, kAXSizeAttribute);
  if (!position || !size) return std::nullopt;
  if (CFGetTypeID(position.get()) != AXValueGetTypeID() ||
      CFGetTypeID(size.get()) != AXValueGetTypeID()) {
    return std::nullopt;
  }
  Frame frame;
  if (!AXValueGetValue(static_cast<AXValueRef>(position.get()), kAXValueTypeCGPoint,
                       &frame.origin) ||
      !AXValueGetValue(static_cast<AXValueRef>(size.get()), kAXValueTypeCGSize, &frame.size)) {
    return std::nullopt;
  }
  return frame;
}

bool setFrame(const Element& window, const Frame& frame) {
  const auto position = CFRef<AXValueRef>::adopt(AXValueCreate(kAXValueTypeCGPoint, &frame.origin));
  const auto size = CFRef<AXValueRef>::adopt(AXValueCreate(kAXValueTypeCGSize, &frame.size));
  if (!position || !size) return false;
  // Size, position, size: a window that would cross the screen's edge at its old size is moved
  // first and then takes the size it could not take at its old place.
  const bool first =
      AXUIElementSetAttributeValue(window.get(), kAXSizeAttribute, size.get()) == kAXErrorSuccess;
  const bool moved = AXUIElementSetAttributeValue(window.get(), kAXPositionAttribute,
                                                  position.get()) == kAXErrorSuccess;
  const bool second =
      AXUIElementSetAttributeValue(window.get(), kAXSizeAttribute, size.get()) == kAXErrorSuccess;
  return (first || second) && moved;
}

std::optional<bool> isFullScreen(const Element& window) {
  const auto value = copy(window, CFSTR("AXFullScreen"));
  if (!value || CFGetTypeID(value.get()) != CFBooleanGetTypeID()) return std::nullopt;
  return CFBooleanGetValue(static_cast<CFBooleanRef>(value.get()));
}

bool setFullScreen(const Element& window, bool on) {
  return AXUIElementSetAttributeValue(window.get(), CFSTR("AXFullScreen"),
                                      on ? kCFBooleanTrue : kCFBooleanFalse) == kAXErrorSuccess;
}

std::optional<Element> greenButton(const Element& window) {
  if (auto button = elementValue(window, kAXFullScreenButtonAttribute)) return button;
  return elementValue(window, kAXZoomButtonAttribute);
}

void bringToFront(const Element& app, const Element& window) {
  AXUIElementSetAttributeValue(app.get(), kAXFrontmostAttribute, kCFBooleanTrue);
  AXUIElementPerformAction(window.get(), kAXRaiseAction);
  AXUIElementSetAttributeValue(window.get(), kAXMainAttribute, kCFBooleanTrue);
  waitOnRunLoop(0.5);
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
    const double shared = overlap(window, screen.frame);
    if (shared > bestOverlap) {
      best = screen;
      bestOverlap = shared;
    }
  }
  const NSRect visible = best.visibleFrame;
  Frame result;
  result.origin = CGPointMake(visible.origin.x, primaryHeight - NSMaxY(visible));
  result.size = visible.size;
  return result;
}

}  // namespace plumora::e2e
