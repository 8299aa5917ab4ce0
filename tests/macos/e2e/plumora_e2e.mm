// The end-to-end driver: real clicks on real green buttons while Plumora.app runs, checked
// through the accessibility interface and Plumora's own log file.
//
//   plumora-e2e run --log ~/Library/Logs/Plumora/Plumora.log --shots DIR
//       TextEdit must already show a document window, and Plumora must be watching clicks with
//       "RestoreOnSecondClick" and "DebugLog" on. Prints one line per check and a closing
//       "N passed, N failed" line; the exit status is 1 when a check failed.
//   plumora-e2e no-fill-app
//       The driver's own application with a Window menu without Fill (started by `run`).
//
// The process needs the Accessibility permission (and the one to post events).

#import <AppKit/AppKit.h>
#include <ApplicationServices/ApplicationServices.h>
#include <mach-o/dyld.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macos/cf_ref.hpp"

extern char** environ;

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
namespace {

using Element = CFRef<AXUIElementRef>;

// Global top-left coordinates, as the accessibility interface and the window list use.
struct Frame {
  CGPoint origin{};
  CGSize size{};
};

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

// Serves the run loop for `seconds`.
void wait(double seconds) { CFRunLoopRunInMode(kCFRunLoopDefaultMode, seconds, false); }

// Polls `done` every 50 ms for up to `seconds`; true as soon as it holds.
bool waitUntil(double seconds, const std::function<bool()>& done) {
  NSDate* deadline = [NSDate dateWithTimeIntervalSinceNow:seconds];
  while (!done()) {
    if ([deadline timeIntervalSinceNow] <= 0) return false;
    wait(0.05);
  }
  return true;
}

// The application's first standard window, waiting up to `seconds` for one to appear.
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

// Size, position, size: a window that would cross the screen's edge at its old size is moved
// first and then takes the size it could not take at its old place.
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

// Waits for the window to be out of full screen, and for the animation to end.
void leaveFullScreen(const Element& window) {
  AXUIElementSetAttributeValue(window.get(), CFSTR("AXFullScreen"), kCFBooleanFalse);
  waitUntil(4.0, [&] { return !isFullScreen(window).value_or(true); });
  wait(1.0);  // the animation out of full screen ends after the attribute has changed
}

// The centre of the window's green title-bar button.
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

// Raises the window and makes its application frontmost.
void bringToFront(pid_t pid, const Element& window) {
  AXUIElementSetAttributeValue(applicationElement(pid).get(), kAXFrontmostAttribute,
                               kCFBooleanTrue);
  AXUIElementPerformAction(window.get(), kAXRaiseAction);
  AXUIElementSetAttributeValue(window.get(), kAXMainAttribute, kCFBooleanTrue);
  wait(0.5);
}

// The visible frame (without menu bar and Dock) of the screen that holds most of `frame`,
// converted to the top-left space.
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

// The driver's own small application: one document-like window and a Window menu without the
// system's Fill item, so that Plumora has to fall back to the fn-Control-F shortcut on it. Runs
// until it is terminated.
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
    window.title = @"Plumora e2e: no Fill";
    window.releasedWhenClosed = NO;
    [window makeKeyAndOrderFront:nil];
    [app activate];
    [app run];
  }
  return 0;
}

using Lines = std::vector<std::string_view>;
const Lines kFillLines = {"Riempi dal menu: esito ", "Riempi con la scorciatoia fn ⌃ F"};
const Lines kRestoreLines = {"Torna alle dimensioni precedenti"};
const Lines kShortcutChosen = {"Voci di sistema non trovate nei menu dell'app: uso la scorciatoia"};
// The largest margin a Fill may leave around the window and still count as filling the visible
// frame: macOS 15 leaves a few points with "Tiled windows have margins" on, its default.
constexpr double kLargestMargin = 16.0;
constexpr const char* kNoButton = "the window has no readable green button";

std::string describe(const std::optional<Frame>& f) {
  if (!f) return "unreadable";
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "(%.1f, %.1f, %.1f x %.1f)", f->origin.x, f->origin.y,
                f->size.width, f->size.height);
  return buffer;
}

// Every edge within `tolerance` points.
bool sameFrame(const Frame& a, const Frame& b, double tolerance) {
  return std::fabs(a.origin.x - b.origin.x) <= tolerance &&
         std::fabs(a.origin.y - b.origin.y) <= tolerance &&
         std::fabs(a.origin.x + a.size.width - b.origin.x - b.size.width) <= tolerance &&
         std::fabs(a.origin.y + a.size.height - b.origin.y - b.size.height) <= tolerance;
}

// How far `inner` lies inside `outer` when it is the same distance from every edge (each within
// `tolerance` points of the four's mean) and at most `largest` points: the margin a Fill leaves
// with "Tiled windows have margins" on, 0 with it off. Nothing otherwise.
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

// Starts a program and waits for it, or leaves it running when `child` takes its pid.
bool spawn(const std::vector<std::string>& arguments, pid_t* child) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  if (child) *child = pid;
  if (!child) waitpid(pid, nullptr, 0);
  return true;
}

// The options of a run and its tally: one line per check on stdout.
struct Report {
  std::string log;
  std::string shots;
  int passed = 0;
  int failed = 0;

  bool check(bool ok, const std::string& name, const std::string& detail) {
    std::printf("%s %s: %s\n", ok ? "PASS" : "FAIL", name.c_str(), detail.c_str());
    std::fflush(stdout);
    ++(ok ? passed : failed);
    return ok;
  }
  // A precondition: reported only when it fails.
  bool need(bool ok, const std::string& name, const std::string& detail) {
    return ok || check(false, name, detail);
  }
  int finish() const {
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
  }
  // The lines of Plumora's log that contain one of `needles`.
  int count(const Lines& needles) const {
    std::ifstream file(log);
    int found = 0;
    for (std::string line; std::getline(file, line);) {
      found += std::any_of(needles.begin(), needles.end(), [&](std::string_view needle) {
        return line.find(needle) != std::string::npos;
      });
    }
    return found;
  }
  void screenshot(const std::string& name) const {
    if (!shots.empty())
      spawn({"/usr/sbin/screencapture", "-x", shots + "/" + name + ".png"}, nullptr);
  }
};

// A real click, as the hardware would send it: move there, press, release.
void click(CGPoint at, CGEventFlags flags = 0) {
  for (const CGEventType type : {kCGEventMouseMoved, kCGEventLeftMouseDown, kCGEventLeftMouseUp}) {
    const auto event =
        CFRef<CGEventRef>::adopt(CGEventCreateMouseEvent(nullptr, type, at, kCGMouseButtonLeft));
    if (event) {
      CGEventSetFlags(event.get(), flags);
      CGEventPost(kCGHIDEventTap, event.get());
    }
    if (type != kCGEventLeftMouseUp) wait(type == kCGEventMouseMoved ? 0.2 : 0.08);
  }
}

// Puts the window in front at a frame well inside the visible frame of its screen, smaller than
// it; the frame it actually took.
std::optional<Frame> place(Report& report, const std::string& name, pid_t pid,
                           const Element& window) {
  if (isFullScreen(window).value_or(false)) leaveFullScreen(window);
  const auto now = frameOf(window);
  const auto visible = now ? visibleFrameOfScreenHolding(*now) : std::nullopt;
  if (!report.need(visible.has_value(), name, "the window's frame or screen is unreadable")) {
    return std::nullopt;
  }
  const Frame known{CGPointMake(visible->origin.x + 80, visible->origin.y + 60),
                    CGSizeMake(640, 420)};
  setFrame(window, known);
  bringToFront(pid, window);
  wait(0.5);
  const auto placed = frameOf(window);
  report.check(placed && sameFrame(*placed, known, 1.0), name,
               "asked " + describe(known) + ", got " + describe(placed));
  return placed;
}

// The tiling margins setting as the user (or the runner image) left it; unset means the
// system's default, margins on since macOS 15.
std::string tiledWindowMargins() {
  const auto value = CFRef<CFPropertyListRef>::adopt(CFPreferencesCopyAppValue(
      CFSTR("EnableTiledWindowMargins"), CFSTR("com.apple.WindowManager")));
  if (!value) return "not set: the system's default (on since macOS 15)";
  if (CFGetTypeID(value.get()) != CFBooleanGetTypeID()) return "set, but not to a boolean";
  return CFBooleanGetValue(static_cast<CFBooleanRef>(value.get())) ? "on" : "off";
}

// The Fill click and the restoring click on one window. The TextEdit window is expected to fill;
// `fillExpected` false only reports what happened (the fallback shortcut's open question).
void fillAndRestore(Report& report, const std::string& p, const Element& window,
                    const Frame& before, bool fillExpected) {
  const auto button = greenButtonCentre(window);
  if (!report.need(button.has_value(), p + " green button", kNoButton)) return;
  const auto visible = visibleFrameOfScreenHolding(before);
  const int fillsBefore = report.count(kFillLines);
  report.screenshot(p + "-before");

  click(*button);
  // Filled: inside the visible frame by the same margin on every side (none with margins off).
  const auto margin = [&](const std::optional<Frame>& frame) -> std::optional<double> {
    if (!frame || !visible) return std::nullopt;
    return evenInset(*frame, *visible, 1.0, kLargestMargin);
  };
  const bool reached = waitUntil(2.0, [&] { return margin(frameOf(window)).has_value(); });
  // Judged once the window has come to rest, not on a frame passed through on the way.
  wait(reached ? 0.3 : 0.0);
  const auto afterFill = frameOf(window);
  const auto inset = margin(afterFill);
  report.screenshot(p + "-after-fill");
  const bool fullScreen = isFullScreen(window).value_or(false);
  report.check(!fullScreen, p + " click: no full screen",
               std::string("AXFullScreen ") + (fullScreen ? "true" : "false"));
  // What to tell apart a Fill from a near miss on a new system: the margin and the setting.
  char points[64] = "";
  if (inset) std::snprintf(points, sizeof points, ", %.1f points on every side", *inset);
  const std::string fillDetail = "window " + describe(afterFill) + points + ", visible frame " +
                                 describe(visible) +
                                 ", tiled windows have margins: " + tiledWindowMargins();
  if (fillExpected) {
    report.check(inset.has_value(), p + " click: fills the visible frame within 2 s", fillDetail);
  }
  // Unexpected, what the system made of the click is reported along with the log line.
  const std::string outcome = fillExpected
                                  ? ""
                                  : std::string("; the system ") + (inset ? "took" : "ignored") +
                                        " the synthetic fn-Control-F: " + fillDetail;
  const bool logged = waitUntil(1.0, [&] { return report.count(kFillLines) > fillsBefore; });
  report.check(logged, p + " click: Fill line in the log",
               std::to_string(report.count(kFillLines) - fillsBefore) + " new" + outcome);
  if (!inset) return;

  const int restoresBefore = report.count(kRestoreLines);
  wait(0.8);  // past the double-click time: the second click is a click of its own
  const auto buttonNow = greenButtonCentre(window);
  if (!report.need(buttonNow.has_value(), p + " second click", kNoButton)) return;
  click(*buttonNow);
  const bool restored = waitUntil(3.0, [&] {
    const auto now = frameOf(window);
    return now && sameFrame(*now, before, 2.0);
  });
  report.screenshot(p + "-after-restore");
  report.check(restored, p + " second click: back to the frame before",
               "before " + describe(before) + ", now " + describe(frameOf(window)));
  report.check(report.count(kRestoreLines) > restoresBefore,
               p + " second click: restore line in the log", "");
}

void optionClick(Report& report, const Element& window) {
  const auto button = greenButtonCentre(window);
  if (!report.need(button.has_value(), "option-click", kNoButton)) return;
  const auto before = frameOf(window);
  const int fillsBefore = report.count(kFillLines);
  click(*button, kCGEventFlagMaskAlternate);
  wait(2.5);
  report.screenshot("textedit-after-option-click");
  const bool fullScreen = isFullScreen(window).value_or(false);
  const auto after = frameOf(window);
  const bool zoomed = before && after && !sameFrame(*before, *after, 1.0);
  report.check(report.count(kFillLines) == fillsBefore, "option-click: passed through",
               std::to_string(report.count(kFillLines) - fillsBefore) +
                   " Fill lines for it; the system did: " +
                   (fullScreen ? "full screen"
                    : zoomed   ? "zoomed to " + describe(after)
                               : "nothing visible"));
  if (fullScreen) leaveFullScreen(window);
}

std::string ownExecutable() {
  char path[4096];
  std::uint32_t size = sizeof path;
  return _NSGetExecutablePath(path, &size) == 0 ? path : "";
}

void noFillApp(Report& report) {
  pid_t child = 0;
  if (!report.need(spawn({ownExecutable(), "no-fill-app"}, &child), "no-fill app",
                   "could not start it")) {
    return;
  }
  const auto window = firstWindow(child, 10.0);
  report.check(window.has_value(), "no-fill app: window shown", "pid " + std::to_string(child));
  const auto before =
      window ? place(report, "no-fill app: placed at a known frame", child, *window) : std::nullopt;
  if (before) {
    const int chosenBefore = report.count(kShortcutChosen);
    fillAndRestore(report, "no-fill", *window, *before, false);
    // A key the shortcut left down would change every click after it.
    const CGEventFlags held = CGEventSourceFlagsState(kCGEventSourceStateHIDSystemState);
    report.check(report.count(kShortcutChosen) > chosenBefore,
                 "no-fill click: Plumora fell back to the shortcut",
                 std::string("fn held after it: ") +
                     (held & kCGEventFlagMaskSecondaryFn ? "yes" : "no") +
                     ", Control held after it: " + (held & kCGEventFlagMaskControl ? "yes" : "no"));
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
}

int run(Report& report) {
  [NSApplication sharedApplication];
  if (!report.check(AXIsProcessTrusted(), "driver has the Accessibility permission",
                    ownExecutable())) {
    return report.finish();
  }
  NSArray<NSRunningApplication*>* editors =
      [NSRunningApplication runningApplicationsWithBundleIdentifier:@"com.apple.TextEdit"];
  if (!report.check(editors.count > 0, "TextEdit running", "")) return report.finish();
  const pid_t editor = editors.firstObject.processIdentifier;
  const auto window = firstWindow(editor, 10.0);
  if (report.check(window.has_value(), "TextEdit document window", "")) {
    if (const auto before = place(report, "TextEdit placed at a known frame", editor, *window)) {
      fillAndRestore(report, "textedit", *window, *before, true);
      if (place(report, "TextEdit placed again", editor, *window)) optionClick(report, *window);
    }
  }
  noFillApp(report);
  return report.finish();
}

int usage() {
  std::fprintf(stderr, "usage: plumora-e2e run --log FILE [--shots DIR]\n"
                       "       plumora-e2e no-fill-app\n");
  return 2;
}

}  // namespace
}  // namespace plumora::e2e

int main(int argc, char** argv) {
  using namespace plumora::e2e;
  if (argc < 2) return usage();
  const std::string_view command = argv[1];
  if (command == "no-fill-app") return runNoFillApp();
  if (command != "run") return usage();
  Report report;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    if (flag != "--log" && flag != "--shots") return usage();
    (flag == "--log" ? report.log : report.shots) = argv[i + 1];
  }
  if (report.log.empty()) return usage();
  @autoreleasepool {
    return run(report);
  }
}
