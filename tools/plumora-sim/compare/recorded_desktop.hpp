#pragma once

// What a recording shows of the desktop it was made on: the screens, the applications with the
// menus the program read, the windows it saw and their buttons, the timings the applications
// kept, and the user's actions and the system's changes that reached the program. Only what the
// conversation tells is filled in; everything else stays unknown, for the simulator's defaults.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "compare/size_steps.hpp"
#include "platform/geometry.hpp"
#include "replay/recording_file.hpp"

namespace plumora::simtool {

enum class ItemEffect { None, Fill, Restore };

struct RecordedItem {
  std::optional<std::string> identifier;
  std::optional<std::string> key;
  std::optional<std::int64_t> modifiers;
  bool enabled = true;
  std::optional<std::int64_t> pressAnswer;  // a press that failed with this code
  ItemEffect effect = ItemEffect::None;
  std::vector<RecordedItem> submenu;
};

struct RecordedMenu {
  std::vector<RecordedItem> items;
};

enum class MenuBarSeen { NotRead, None, Read };
enum class RestoreSeen { NotSeen, Restored, Ignored, Elsewhere };

struct RecordedApp {
  std::int32_t pid = 0;
  std::optional<std::string> name;  // as the system names it to the user
  std::optional<std::string> bundleId;
  bool bundleless = false;  // the system said its bundle has no identifier
  MenuBarSeen menuBar = MenuBarSeen::NotRead;
  std::vector<RecordedMenu> menus;
  std::optional<double> latency;        // the typical time of its accessibility requests
  bool latencyPastTimeout = false;      // known only as longer than a request waited in vain
  std::optional<double> activation;     // from the request to the front, as the polls bracket it
  bool neverActivated = false;          // the program gave up waiting
  std::optional<double> settledWithin;  // the longest a Fill or restore took to settle
  std::optional<double> tilingDelay;    // bracketed by the polls after a restore
  RestoreSeen restore = RestoreSeen::NotSeen;
  Rect restoredTo;                // where a restore put the window, when elsewhere
  std::optional<bool> shortcuts;  // whether a posted tiling shortcut moved its window
  std::optional<bool> enhancedUserInterface;
  std::vector<RecordedSizing> sizings;  // sizes asked of its windows and the sizes taken

  void sized(const Size& asked, const Size& taken);
};

struct RecordedButton {
  std::string subrole;
  Rect frame;
  bool enabled = true;
  bool readable = true;
};

// The application moving its window again after the program wrote its frame.
struct RecordedRebound {
  Rect frame;
  double after = 0;
};

// Where the simulator puts a window's title-bar buttons, from the window's corner.
constexpr double kButtonTop = 6;
struct ButtonPlace {
  const char* subrole;
  const char* name;
  double left;
};
constexpr ButtonPlace kButtons[] = {
    {"AXCloseButton", "close", 8},
    {"AXMinimizeButton", "minimize", 28},
    {"AXFullScreenButton", "green", 48},
};

struct RecordedWindow {
  std::uint32_t number = 0;
  std::int32_t pid = 0;
  std::optional<Rect> frame;               // as first seen
  std::optional<std::string> title;        // when a log line named it
  std::optional<std::size_t> titleLength;  // as the recording keeps a title otherwise
  std::int64_t layer = 0;
  std::optional<double> alpha = 1.0;
  bool walked = false;
  int walkRank = 0;  // the order windows were first seen in the window list, front first
  std::optional<bool> fullScreen;
  std::optional<bool> resizable;
  std::map<std::string, RecordedButton> buttons;  // by subrole
  std::optional<double> unreadableFrom;           // 0: from the start
  std::vector<RecordedRebound> rebound;           // each time it happened
};

enum class RecordedActionKind {
  Press,
  Drag,
  Release,
  TapDisabled,
  Permission,
  Screens,
  Focus,
  RebuildMenus,
  OpenMenu,    // the user opens the status menu
  ChooseItem,  // the user chooses an item of it
  Move,        // the user moved or resized a window
  FullScreen   // a window entered (`granted`) or left full screen unseen by the program
};

struct RecordedAction {
  double time = 0;
  RecordedActionKind kind = RecordedActionKind::Press;
  Point point;
  std::uint64_t flags = 0;
  std::string reason;             // a disabled tap: "timeout" or "input"; a move, a focus: how seen
  std::optional<double> takenAt;  // a status-menu doing placed before the program took it
  bool granted = true;            // a permission change; full screen entered
  double tapNoticeAfter = 0;      // a revocation: when the system disabled the tap
  std::vector<RecordingScreen> screens;  // the screens after a change
  bool inferred = false;                 // a screen added where a Fill landed, never read
  Rect frame;                            // a move: where the window went
  std::uint32_t window = 0;  // a focus change: a window of the new frontmost application
  std::int32_t pid = 0;      // the focus change's application, or the one that rebuilt its menus
  std::string choice;        // a menu choice: the action's name, and the item's title as shown
  std::string title;
  bool inOpenMenu = false;  // chosen in a menu opened earlier, not opened for it
};

struct RecordedSettings {
  std::optional<bool> enabled, restore, verbose, permission;
  std::vector<std::string> languages;
  std::optional<JsonValue> exceptions;  // the stored list as the program first read it
  std::optional<bool> unifiedLogDefault, unifiedLogDebug;  // the levels the system's log kept
  std::optional<int> loginItem, loginItemRegistered;       // the login item's states
};

struct RecordedDesktop {
  std::vector<RecordingScreen> screens;
  std::optional<double> tilingMargin;
  bool tilingMarginSeen = false;     // not in the recording's header: from where a Fill landed
  std::optional<double> tapTimeout;  // within the callbacks the tap outlived and those it lost
  double tapKeptFor = 0;
  double tapLostWithin = 0;
  std::int32_t ownPid = 0;
  std::optional<std::string> programVersion, systemVersion;  // as the system gave them
  std::optional<std::int32_t> frontmost;                     // at launch
  std::uint32_t frontWindow = 0;        // its window in front, where the window list said
  std::vector<RecordedApp> apps;        // by first sight
  std::vector<RecordedWindow> windows;  // by number
  RecordedSettings settings;
  std::vector<RecordedAction> actions;  // in time order
  double lastTime = 0;
  std::optional<double> endAt;  // before the last event: the run ended with input not taken up

  RecordedApp* app(std::int32_t pid);
  RecordedWindow* window(std::uint32_t number);
};

RecordedDesktop readDesktop(const Recording& recording);

// A frame read as the port answers it: a position and a size, or a window list's bounds.
std::optional<Rect> frameOf(const JsonValue* value);

}  // namespace plumora::simtool
