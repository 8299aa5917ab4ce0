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
#include <string>
#include <string_view>
#include <vector>

#include "ax_window.hpp"
#include "no_fill_app.hpp"

extern char** environ;

namespace plumora::e2e {
namespace {

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

// The options of a run and its tally: one line per check or note on stdout.
struct Report {
  std::string log;
  std::string shots;
  int passed = 0;
  int failed = 0;

  bool check(bool ok, const std::string& name, const std::string& detail) {
    line(ok ? "PASS" : "FAIL", name, detail);
    ++(ok ? passed : failed);
    return ok;
  }
  // A precondition: reported only when it fails.
  bool need(bool ok, const std::string& name, const std::string& detail) {
    return ok || check(false, name, detail);
  }
  void note(const std::string& name, const std::string& detail) { line("NOTE", name, detail); }
  void line(const char* tag, const std::string& name, const std::string& detail) {
    std::printf("%s %s: %s\n", tag, name.c_str(), detail.c_str());
    std::fflush(stdout);
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
  const std::string fillDetail =
      "window " + describe(afterFill) + ", visible frame " + describe(visible);
  if (fillExpected) {
    report.check(inset.has_value(), p + " click: fills the visible frame within 2 s", fillDetail);
  } else {
    report.note(
        p + " click: the system " + (inset ? "took" : "ignored") + " the synthetic fn-Control-F",
        fillDetail);
  }
  if (inset) {
    char points[64];
    std::snprintf(points, sizeof points, "%.1f points on every side", *inset);
    report.note(p + " click: margin around the filled window", points);
  }
  const bool logged = waitUntil(1.0, [&] { return report.count(kFillLines) > fillsBefore; });
  report.check(logged, p + " click: Fill line in the log",
               std::to_string(report.count(kFillLines) - fillsBefore) + " new");
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
  report.note("option-click: what the system did", fullScreen ? "full screen"
                                                   : zoomed   ? "zoomed to " + describe(after)
                                                              : "nothing visible");
  report.check(report.count(kFillLines) == fillsBefore, "option-click: passed through",
               std::to_string(report.count(kFillLines) - fillsBefore) + " Fill lines for it");
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
    report.check(report.count(kShortcutChosen) > chosenBefore,
                 "no-fill click: Plumora fell back to the shortcut", "");
    const CGEventFlags held = CGEventSourceFlagsState(kCGEventSourceStateHIDSystemState);
    report.note("no-fill click: fn held after the shortcut",
                (held & kCGEventFlagMaskSecondaryFn) ? "yes" : "no");
    report.note("no-fill click: Control held after the shortcut",
                (held & kCGEventFlagMaskControl) ? "yes" : "no");
  }
  kill(child, SIGTERM);
  waitpid(child, nullptr, 0);
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

int run(Report& report) {
  [NSApplication sharedApplication];
  report.note("tiled windows have margins (EnableTiledWindowMargins of com.apple.WindowManager)",
              tiledWindowMargins());
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
