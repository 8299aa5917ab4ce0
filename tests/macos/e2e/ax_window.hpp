#pragma once

// The few accessibility requests the end-to-end driver makes on another application's window,
// and the screen geometry it compares against. Objective-C++ only.

#import <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>

#include <functional>
#include <optional>
#include <string>

#include "macos/cf_ref.hpp"

namespace plumora::e2e {

using Element = CFRef<AXUIElementRef>;

// Global top-left coordinates, as the accessibility interface and the window list use.
struct Frame {
  CGPoint origin{};
  CGSize size{};
};

// Serves the run loop for `seconds`.
void wait(double seconds);
// Polls `done` every 50 ms for up to `seconds`; true as soon as it holds.
bool waitUntil(double seconds, const std::function<bool()>& done);

// The application's first standard window, waiting up to `seconds` for one to appear.
std::optional<Element> firstWindow(pid_t pid, double seconds);
std::optional<Frame> frameOf(const Element& element);
// Size, position, size: a window that would cross the screen's edge at its old size is moved
// first and then takes the size it could not take at its old place.
void setFrame(const Element& window, const Frame& frame);
std::optional<bool> isFullScreen(const Element& window);
// Waits for the window to be out of full screen, and for the animation to end.
void leaveFullScreen(const Element& window);
// The centre of the window's green title-bar button.
std::optional<CGPoint> greenButtonCentre(const Element& window);
// Raises the window and makes its application frontmost.
void bringToFront(pid_t pid, const Element& window);

// The visible frame (without menu bar and Dock) of the screen that holds most of `frame`,
// converted to the top-left space.
std::optional<Frame> visibleFrameOfScreenHolding(const Frame& frame);

}  // namespace plumora::e2e
