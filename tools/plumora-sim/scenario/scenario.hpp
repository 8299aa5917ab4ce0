#pragma once

// A scenario as read from its file: the desktop to build, the settings, the user's actions and
// the world's changes at their virtual times, and what should be seen. Every part keeps the line
// it came from, so that a failed expectation can point at it.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/event_tap.hpp"
#include "platform/geometry.hpp"
#include "platform/login_item.hpp"
#include "platform/raw_value.hpp"
#include "sim/desktop.hpp"

namespace plumora::simtool {

// Screens as the system gives them: bottom-left origin, y upward.
struct ScreenSpec {
  Rect frame;
  Rect visible;
};

enum class MenuBar { StandardWithTiling, StandardWithoutTiling, None, Custom };

// A menu item reached by titles: the menu's, then the item's, then a submenu item's.
using MenuPath = std::vector<std::string>;

// A change to one item of an application's menus: disabled, or a press that answers an error.
struct ItemChange {
  int line = 0;
  MenuPath path;
  std::optional<bool> enabled;
  std::optional<AXError> pressAnswer;
};

// The name under which a scenario's `program` line gives the program's own process.
inline constexpr const char* kProgramApp = "program";

struct AppSpec {
  int line = 0;
  std::string name;
  bool program = false;  // the program's own process: no application the user sees
  std::int32_t pid = 0;
  std::string bundleId;   // empty: the desktop's made-up one
  bool noBundle = false;  // the application's bundle has no identifier at all
  MenuBar menuBar = MenuBar::StandardWithTiling;
  std::vector<sim::MenuSpec> customMenus;
  std::vector<ItemChange> itemChanges;
  std::optional<double> tilingDelay;
  sim::RestoreAnswer restoreAnswer = sim::RestoreAnswer::Restore;
  Rect elsewhere;
  bool shortcuts = true;
  double latency = 0;
  std::optional<double> activationDelay;
  bool activates = true;
  std::optional<bool> enhancedUserInterface;
  std::optional<Size> sizeStep;
  std::optional<Size> minimumSize;
};

enum class ButtonKind { Close, Minimize, Green };

struct ButtonSpec {
  bool enabled = true;
  bool frameReadable = true;
};

struct WindowSpec {
  int line = 0;
  std::string name;
  std::string app;
  Rect frame;
  std::string title;
  std::int64_t layer = 0;
  std::optional<double> alpha = 1.0;
  bool fullScreen = false;
  bool resizable = true;
  ButtonSpec close, minimize, green;
  bool frameReadable = true;  // "unreadable from T" later is an action at T
  std::optional<sim::SimWindow::Rebound> rebound;
  std::optional<std::uint32_t> number;  // none: the desktop's next, from 100
};

// Where a mouse action lands: a window's title-bar button, or a point.
struct Target {
  std::optional<std::string> window;
  ButtonKind button = ButtonKind::Green;
  Point point;
};

enum class MousePhase { Click, Press, Drag, Release };

struct MouseAction {
  MousePhase phase;
  Target target;
  std::uint64_t flags = 0;
};
struct TapDisabled {
  EventType reason;
};
// The user brings a window to the front with its application; or, with no window named, an
// application alone (one may be frontmost with no window at all).
struct FocusWindow {
  std::string window;
  std::string app;
};
// The window enters or leaves full screen by a way the program never hears of (the app's menu,
// its shortcut, a click while the event tap is off).
struct ChangeFullScreen {
  std::string window;
  bool on = true;
};
struct MoveWindow {
  std::string window;
  Rect frame;
};
struct MakeUnreadable {
  std::string window;
};
struct AddScreen {
  ScreenSpec screen;
};
struct RemoveScreen {
  std::size_t index;
};
// The app builds its menus again: the same items, as new elements.
struct RebuildMenus {
  std::string app;
};
// The user opens the status menu; and opens it to choose the item of this title.
struct OpenStatusMenu {};
struct ChooseMenuItem {
  std::string title;
  // Chosen in the menu as it is already open (opened by an earlier `menu`), not opened for it.
  bool inOpenMenu = false;
};
struct ChangePermission {
  bool granted;
  // How long after a revocation the system disables the program's event tap.
  double tapNoticeAfter = 0;
};

struct Action {
  int line = 0;
  double time = 0;
  std::variant<MouseAction, TapDisabled, FocusWindow, MoveWindow, MakeUnreadable, AddScreen,
               RemoveScreen, ChangePermission, RebuildMenus, OpenStatusMenu, ChooseMenuItem,
               ChangeFullScreen>
      what;
};

struct LogExpectation {
  bool present = true;
  bool containing = false;  // a part of a line rather than a whole line
  std::string text;
  std::optional<int> times;
};
struct FrameExpectation {
  std::string window;
  Rect frame;
  double tolerance = 0;
  std::optional<double> at;  // the end of the run when empty
};
struct ReceivedExpectation {
  std::string app;
  double from = 0;
  std::vector<EventType> events;  // in order; empty: nothing
};
enum class TilingShortcut { Fill, Restore };
struct ShortcutExpectation {
  std::vector<TilingShortcut> shortcuts;  // in order; empty: none
};

// An item of the status menu as it was last opened.
enum class MenuItemState { Checked, Unchecked, Disabled, Absent };
struct MenuExpectation {
  std::string title;
  MenuItemState state = MenuItemState::Checked;
};

struct Expectation {
  int line = 0;
  std::variant<LogExpectation, FrameExpectation, ReceivedExpectation, ShortcutExpectation,
               MenuExpectation>
      what;
};

struct Scenario {
  std::vector<ScreenSpec> screens;  // none: one standard screen
  // The inset a Fill leaves around the window on every side (the system's tiled-window margins).
  double tilingMargin = 0;
  // How long the system waits for the event tap's callback; none: the simulated system's own.
  std::optional<double> tapTimeout;
  std::vector<AppSpec> apps;
  std::vector<WindowSpec> windows;   // front to back
  std::optional<std::string> focus;  // none: the first window
  bool enabled = true;
  bool restoreOnSecondClick = true;
  bool verbose = true;
  bool permission = true;
  // The value stored under the exceptions' key before the launch, as the user wrote it.
  std::optional<RawValue> exceptions;
  std::vector<std::string> languages{"it-IT", "en-US"};
  std::optional<std::string> systemVersion;  // none: the simulated system's
  // The login item as the system has it at launch, and what a registration makes it.
  LoginItemStatus loginItem = LoginItemStatus::NotRegistered;
  LoginItemStatus loginItemRegistered = LoginItemStatus::Enabled;
  bool unifiedLogDefault = true;  // the levels the system's log keeps
  bool unifiedLogDebug = true;
  std::optional<std::string> programVersion;  // none: this build's
  std::vector<Action> actions;                // in time order; equal times in file order
  std::vector<Expectation> expectations;
  std::optional<double> end;

  const AppSpec* app(const std::string& name) const;
  const WindowSpec* window(const std::string& name) const;
};

// The application's menus with its item changes made; the line of the first change whose item
// does not exist, if any.
std::vector<sim::MenuSpec> menusOf(const AppSpec& app, int* missingItemLine = nullptr);

// The last action's time plus this, unless the scenario says when to end: long enough for a
// Fill, its measurement and a restore to complete.
inline constexpr double kRunOn = 5.0;

// When the run ends: the scenario's end, or a little after the last action or expectation time.
double endOf(const Scenario& scenario);

}  // namespace plumora::simtool
