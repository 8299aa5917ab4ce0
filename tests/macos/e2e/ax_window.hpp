#pragma once

// The few accessibility requests the end-to-end driver makes on another application's window,
// and the screen geometry it compares against. Objective-C++ only.

#import <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>

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

std::string describe(const Frame& f);
// Every edge within `tolerance` points.
bool sameFrame(const Frame& a, const Frame& b, double tolerance);
// How far `inner` lies inside `outer` when it is the same distance from every edge (each within
// `tolerance` points of the four's mean) and at most `largest` points: the margin a Fill leaves
// with "Tiled windows have margins" on, 0 with it off. Nothing otherwise.
std::optional<double> evenInset(const Frame& inner, const Frame& outer, double tolerance,
                                double largest);

Element applicationElement(pid_t pid);
// The application's first standard window, waiting up to `seconds` for one to appear.
std::optional<Element> firstWindow(const Element& app, double seconds);
std::optional<Frame> frameOf(const Element& element);
bool setFrame(const Element& window, const Frame& frame);
std::optional<bool> isFullScreen(const Element& window);
bool setFullScreen(const Element& window, bool on);
// The green title-bar button of the window.
std::optional<Element> greenButton(const Element& window);
// Raises the window and makes its application frontmost.
void bringToFront(const Element& app, const Element& window);

// The visible frame (without menu bar and Dock) of the screen that holds most of `frame`,
// converted to the top-left space.
std::optional<Frame> visibleFrameOfScreenHolding(const Frame& frame);

}  // namespace plumora::e2e
