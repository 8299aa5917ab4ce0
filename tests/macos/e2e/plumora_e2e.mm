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

#include <cstdio>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "ax_window.hpp"
#include "no_fill_app.hpp"

extern char** environ;

namespace plumora::e2e {
namespace {

constexpr std::string_view kFillLines[] = {"Riempi dal menu: esito ",
                                           "Riempi con la scorciatoia fn ⌃ F"};
constexpr std::string_view kRestoreLines[] = {"Torna alle dimensioni precedenti"};
constexpr std::string_view kShortcutChosen[] = {
    "Voci di sistema non trovate nei menu dell'app: uso la scorciatoia"};
// The largest margin a Fill may leave around the window and still count as filling the visible
// frame: macOS 15 leaves a few points with "Tiled windows have margins" on, its default.
constexpr double kLargestMargin = 16.0;

struct Options {
  std::string log;
  std::string shots;
};

class Report {
 public:
  void check(bool ok, std::string_view name, const std::string& detail) {
    std::printf("%s %.*s: %s\n", ok ? "PASS" : "FAIL", static_cast<int>(name.size()), name.data(),
                detail.c_str());
    std::fflush(stdout);
    ++(ok ? passed_ : failed_);
  }
  void note(std::string_view name, const std::string& detail) {
    std::printf("NOTE %.*s: %s\n", static_cast<int>(name.size()), name.data(), detail.c_str());
    std::fflush(stdout);
  }
  int finish() const {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    return failed_ == 0 ? 0 : 1;
  }

 private:
  int passed_ = 0;
  int failed_ = 0;
};

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

int countLines(const std::string& path, std::initializer_list<std::string_view> needles) {
  std::ifstream file(path);
  int count = 0;
  for (std::string line; std::getline(file, line);) {
    for (const std::string_view needle : needles) {
      if (line.find(needle) != std::string::npos) {
        ++count;
        break;
      }
    }
  }
  return count;
}
int countFillLines(const std::string& path) {
  return countLines(path, {kFillLines[0], kFillLines[1]});
}

bool spawn(const std::vector<std::string>& arguments, pid_t* child) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  if (child) {
    *child = pid;
  } else {
    int status = 0;
    waitpid(pid, &status, 0);
  }
  return true;
}

void screenshot(const Options& options, const std::string& name) {
  if (options.shots.empty()) return;
  spawn({"/usr/sbin/screencapture", "-x", options.shots + "/" + name + ".png"}, nullptr);
}

void post(CGEventType type, CGPoint at, CGEventFlags flags) {
  const auto event =
      CFRef<CGEventRef>::adopt(CGEventCreateMouseEvent(nullptr, type, at, kCGMouseButtonLeft));
  if (!event) return;
  CGEventSetFlags(event.get(), flags);
  CGEventPost(kCGHIDEventTap, event.get());
}

// A real click, as the hardware would send it: move there, press, release.
void click(CGPoint at, CGEventFlags flags = 0) {
  post(kCGEventMouseMoved, at, flags);
  wait(0.2);
  post(kCGEventLeftMouseDown, at, flags);
  wait(0.08);
  post(kCGEventLeftMouseUp, at, flags);
}

std::optional<CGPoint> greenButtonCentre(const Element& window) {
  const auto button = greenButton(window);
  if (!button) return std::nullopt;
  const auto frame = frameOf(*button);
  if (!frame) return std::nullopt;
  return CGPointMake(frame->origin.x + frame->size.width / 2,
                     frame->origin.y + frame->size.height / 2);
}

// A frame well inside the visible frame of the screen the window is on, smaller than it.
std::optional<Frame> knownFrameFor(const Element& window) {
  const auto now = frameOf(window);
  if (!now) return std::nullopt;
  const auto visible = visibleFrameOfScreenHolding(*now);
  if (!visible) return std::nullopt;
  Frame known;
  known.origin = CGPointMake(visible->origin.x + 80, visible->origin.y + 60);
  known.size = CGSizeMake(640, 420);
  return known;
}

std::string frameText(const std::optional<Frame>& frame) {
  return frame ? describe(*frame) : std::string("unreadable");
}

// Puts the window at a known frame and in front; the frame it actually took.
std::optional<Frame> place(Report& report, std::string_view name, const Element& app,
                           const Element& window) {
  if (isFullScreen(window).value_or(false)) {
    setFullScreen(window, false);
    wait(2.0);
  }
  const auto known = knownFrameFor(window);
  if (!known) {
    report.check(false, name, "the window's frame or screen is unreadable");
    return std::nullopt;
  }
  setFrame(window, *known);
  bringToFront(app, window);
  wait(0.5);
  const auto placed = frameOf(window);
  report.check(placed && sameFrame(*placed, *known, 1.0), name,
               "asked " + describe(*known) + ", got " + frameText(placed));
  return placed;
}

// The Fill click and the restoring click on one window. The TextEdit window is expected to fill;
// `fillExpected` false only reports what happened (the fallback shortcut's open question).
void fillAndRestore(Report& report, const Options& options, std::string_view prefix,
                    const Element& window, const Frame& before, bool fillExpected) {
  const std::string p(prefix);
  const auto button = greenButtonCentre(window);
  if (!button) {
    report.check(false, p + " green button", "the window has no readable green button");
    return;
  }
  const auto visible = visibleFrameOfScreenHolding(before);
  const int fillsBefore = countFillLines(options.log);
  screenshot(options, p + "-before");

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
  const bool filled = inset.has_value();
  screenshot(options, p + "-after-fill");
  report.check(
      !isFullScreen(window).value_or(false), p + " click: no full screen",
      "AXFullScreen " + std::string(isFullScreen(window).value_or(false) ? "true" : "false"));
  const std::string fillDetail =
      "window " + frameText(afterFill) + ", visible frame " + frameText(visible);
  if (fillExpected) {
    report.check(filled, p + " click: fills the visible frame within 2 s", fillDetail);
  } else {
    report.note(
        p + " click: the system " + (filled ? "took" : "ignored") + " the synthetic fn-Control-F",
        fillDetail);
  }
  if (inset) {
    char points[32];
    std::snprintf(points, sizeof points, "%.1f", *inset);
    report.note(p + " click: margin around the filled window",
                std::string(points) + " points on every side");
  }
  const bool logged = waitUntil(1.0, [&] { return countFillLines(options.log) > fillsBefore; });
  report.check(logged, p + " click: Fill line in the log",
               std::to_string(countFillLines(options.log) - fillsBefore) + " new");
  if (!filled) return;

  const int restoresBefore = countLines(options.log, {kRestoreLines[0]});
  wait(0.8);  // past the double-click time: the second click is a click of its own
  const auto buttonNow = greenButtonCentre(window);
  if (!buttonNow) {
    report.check(false, p + " second click", "the filled window has no readable green button");
    return;
  }
  click(*buttonNow);
  const bool restored = waitUntil(3.0, [&] {
    const auto now = frameOf(window);
    return now && sameFrame(*now, before, 2.0);
  });
  screenshot(options, p + "-after-restore");
  report.check(restored, p + " second click: back to the frame before",
               "before " + describe(before) + ", now " + frameText(frameOf(window)));
  report.check(countLines(options.log, {kRestoreLines[0]}) > restoresBefore,
               p + " second click: restore line in the log", "");
}

void optionClick(Report& report, const Options& options, const Element& window) {
  const auto button = greenButtonCentre(window);
  if (!button) {
    report.check(false, "option-click", "the window has no readable green button");
    return;
  }
  const auto before = frameOf(window);
  const int fillsBefore = countFillLines(options.log);
  click(*button, kCGEventFlagMaskAlternate);
  wait(2.5);
  screenshot(options, "textedit-after-option-click");
  const bool fullScreen = isFullScreen(window).value_or(false);
  const auto after = frameOf(window);
  report.note("option-click: what the system did",
              fullScreen ? std::string("full screen")
                         : (before && after && !sameFrame(*before, *after, 1.0)
                                ? "zoomed to " + describe(*after)
                                : std::string("nothing visible")));
  report.check(countFillLines(options.log) == fillsBefore, "option-click: passed through",
               std::to_string(countFillLines(options.log) - fillsBefore) + " Fill lines for it");
  if (fullScreen) {
    setFullScreen(window, false);
    waitUntil(4.0, [&] { return !isFullScreen(window).value_or(true); });
    wait(1.0);
  }
}

std::string ownExecutable() {
  char path[4096];
  std::uint32_t size = sizeof path;
  if (_NSGetExecutablePath(path, &size) != 0) return {};
  return path;
}

void noFillApp(Report& report, const Options& options) {
  pid_t child = 0;
  if (!spawn({ownExecutable(), "no-fill-app"}, &child)) {
    report.check(false, "no-fill app", "could not start it");
    return;
  }
  const Element app = applicationElement(child);
  const auto window = firstWindow(app, 10.0);
  report.check(window.has_value(), "no-fill app: window shown", "pid " + std::to_string(child));
  if (window) {
    const auto before = place(report, "no-fill app: placed at a known frame", app, *window);
    if (before) {
      const int chosenBefore = countLines(options.log, {kShortcutChosen[0]});
      fillAndRestore(report, options, "no-fill", *window, *before, false);
      report.check(countLines(options.log, {kShortcutChosen[0]}) > chosenBefore,
                   "no-fill click: Plumora fell back to the shortcut", "");
      const CGEventFlags held = CGEventSourceFlagsState(kCGEventSourceStateHIDSystemState);
      report.note("no-fill click: fn held after the shortcut",
                  (held & kCGEventFlagMaskSecondaryFn) ? "yes" : "no");
      report.note("no-fill click: Control held after the shortcut",
                  (held & kCGEventFlagMaskControl) ? "yes" : "no");
    }
  }
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
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

int run(const Options& options) {
  Report report;
  [NSApplication sharedApplication];
  report.note("tiled windows have margins (EnableTiledWindowMargins of com.apple.WindowManager)",
              tiledWindowMargins());
  const bool trusted = AXIsProcessTrusted();
  report.check(trusted, "driver has the Accessibility permission", ownExecutable());
  if (!trusted) return report.finish();

  NSArray<NSRunningApplication*>* editors =
      [NSRunningApplication runningApplicationsWithBundleIdentifier:@"com.apple.TextEdit"];
  report.check(editors.count > 0, "TextEdit running", "");
  if (editors.count == 0) return report.finish();
  const Element app = applicationElement(editors.firstObject.processIdentifier);
  const auto window = firstWindow(app, 10.0);
  report.check(window.has_value(), "TextEdit document window", "");
  if (window) {
    const auto before = place(report, "TextEdit placed at a known frame", app, *window);
    if (before) {
      fillAndRestore(report, options, "textedit", *window, *before, true);
      if (const auto again = place(report, "TextEdit placed again", app, *window)) {
        optionClick(report, options, *window);
      }
    }
  }
  noFillApp(report, options);
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
  Options options;
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string_view flag = argv[i];
    if (flag == "--log") {
      options.log = argv[i + 1];
    } else if (flag == "--shots") {
      options.shots = argv[i + 1];
    } else {
      return usage();
    }
  }
  if (options.log.empty()) return usage();
  @autoreleasepool {
    return run(options);
  }
}
