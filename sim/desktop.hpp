#pragma once

// The simulated desktop: screens, applications with menu bars, windows with their title-bar
// buttons, focus, the system's window tiling and mouse input. It keeps the accessibility tree,
// the window list and the frontmost application of the simulated platform in step with itself,
// and answers what the program does through them: raising a window, pressing a menu item,
// posting a shortcut, writing a frame.
//
// Windows and points are in the top-left-origin space of the window list and the accessibility
// interface; screens are given as the system gives them, bottom-left origin.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/event_tap.hpp"
#include "sim/sim_accessibility.hpp"
#include "sim/sim_event_tap.hpp"
#include "sim/sim_keyboard.hpp"
#include "sim/sim_system.hpp"
#include "sim/sim_window_server.hpp"

namespace plumora::sim {

// What the system does when a menu item is pressed or its shortcut posted.
enum class TilingCommand { None, Fill, Restore };
// How an application answers the return to the previous size.
enum class RestoreAnswer { Restore, Ignore, Elsewhere };

struct MenuItemSpec {
  std::string title;
  std::optional<std::string> identifier;     // "AXIdentifier"
  std::optional<std::string> keyEquivalent;  // "AXMenuItemCmdChar"
  std::optional<std::int64_t> modifiers;     // "AXMenuItemCmdModifiers"
  bool enabled = true;
  TilingCommand command = TilingCommand::None;
  // When set, a press answers this code and does nothing.
  std::optional<AXError> pressAnswer;
  std::vector<MenuItemSpec> submenu;
};

struct MenuSpec {
  std::string title;
  std::vector<MenuItemSpec> items;
};

// An application's usual menus: the application menu, File, Edit, View, Window, Help. With
// `tiling`, the Window menu has the system's Fill item and, in its Move & Resize submenu, the
// return to the previous size.
std::vector<MenuSpec> standardMenus(const std::string& appName, bool tiling);

struct TitleButton {
  NodeId node = 0;
  std::string subrole;
  Rect offset;  // relative to the window's origin
  bool enabled = true;
  bool frameReadable = true;
};

struct SimWindow {
  std::int32_t pid = 0;
  std::uint32_t number = 0;
  NodeId node = 0;
  Rect frame;
  std::string title;
  bool titleReadable = true;
  std::optional<double> alpha = 1.0;
  bool onScreen = true;
  bool fullScreen = false;
  bool resizable = true;
  bool frameReadable = true;
  TitleButton close, minimize, zoom;
  // The frame the system remembers from before it tiled the window, and the frame it tiled to.
  std::optional<Rect> untiled;
  std::optional<Rect> tiledTo;
  // The frame before an Option-click zoom.
  std::optional<Rect> unzoomed;
  // After a frame write by another program, the window moves here after a delay, `times` times.
  struct Rebound {
    double delay = 0.1;
    Rect to;
    int times = 1;
  };
  std::optional<Rebound> rebound;
  bool reboundPending = false;
  // When another program's frame write last took effect.
  std::optional<double> lastFrameWrite;

  // Set through Desktop::setLayer, which keeps the order of the window list.
  std::int64_t layer() const { return layer_; }

 private:
  friend class Desktop;
  std::int64_t layer_ = 0;
};

// A mouse event that reached an application.
struct ReceivedEvent {
  EventType type;
  Point location;
  std::uint64_t flags;
  std::uint32_t window;  // the window under the pointer, 0 for none
  double time;
};

struct SimApp {
  std::int32_t pid = 0;
  std::string name;
  std::string bundleId;
  NodeId node = 0;
  std::optional<NodeId> menuBar;
  std::vector<SimWindow*> windows;  // front to back
  SimWindow* focused = nullptr;
  SimWindow* main = nullptr;
  // Activation: how long the system takes to carry out a raise, a main or a frontmost write;
  // never, when `activates` is false.
  double activationDelay = 0.03;
  bool activates = true;
  // The system's tiling of this application's windows.
  double tilingDelay = 0.1;
  RestoreAnswer restoreAnswer = RestoreAnswer::Restore;
  Rect elsewhere;
  bool shortcuts = true;
  // A size the app is asked to take (another program's write, the system's tiling) is rounded
  // down to whole steps, as terminals size in character cells, and raised to the minimum.
  std::optional<Size> sizeStep;
  std::optional<Size> minimumSize;
  // "AXEnhancedUserInterface", set by assistive software (none: the app has no such attribute).
  // While it is true the app animates frame changes and drops a frame write that comes within
  // 0.1 s of the one before.
  std::optional<bool> enhancedUserInterface;
  std::vector<ReceivedEvent> received;
};

// One user action as the desktop carried it out.
struct InputRecord {
  EventType type;
  Point location;
  std::uint64_t flags;
  std::optional<TapVerdict> verdict;  // empty when no tap saw it
  std::optional<std::int32_t> deliveredTo;
  double time;
};

class Desktop {
 public:
  Desktop(VirtualClock& clock, SimAccessibility& accessibility, SimSystem& system,
          SimKeyboard& keyboard, SimWindowServer& windowServer, SimEventTaps& taps);
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;
  ~Desktop();

  // Screens, bottom-left origin; the first is the primary screen.
  void addScreen(Rect frame, Rect visibleFrame);
  // A 1440 x 900 screen with a 25-point menu bar and no Dock.
  void addStandardScreen();
  void removeScreen(std::size_t index);
  // A screen's frames in the top-left-origin space.
  Rect screenFrame(std::size_t index) const;
  Rect visibleFrame(std::size_t index) const;
  std::size_t screenCount() const;

  SimApp& addApp(std::int32_t pid, const std::string& name, const std::string& bundleId = "");
  // A new window in front of its application's others; frontmost overall when its application is.
  SimWindow& addWindow(SimApp& app, Rect frame, const std::string& title);
  // Menus given anew replace the old ones, whose elements answer kAXErrorInvalidUIElement from
  // then on.
  void setMenus(SimApp& app, const std::vector<MenuSpec>& menus);
  void removeMenuBar(SimApp& app);
  // The app builds its menus again, as they are now: the same items as new elements.
  void rebuildMenus(SimApp& app);
  // The menu item reached by titles: the menu's title, then an item's, then a submenu item's.
  std::optional<NodeId> menuItem(const SimApp& app, const std::vector<std::string>& path);
  void setMenuItemEnabled(const SimApp& app, const std::vector<std::string>& path, bool enabled);
  // From now on a press of the item answers `answer` and does nothing (none: works again).
  void setMenuItemAnswer(const SimApp& app, const std::vector<std::string>& path,
                         std::optional<AXError> answer);

  SimApp* app(std::int32_t pid);
  SimWindow* window(std::uint32_t number);
  std::vector<SimWindow*> windowsFrontToBack() const;

  // Focus, at once: the application becomes frontmost, the window (or its first) focused, main
  // and frontmost on screen.
  void activate(SimApp& app, SimWindow* window = nullptr);
  void setFocusedWindow(SimApp& app, SimWindow* window);

  void setFrame(SimWindow& window, Rect frame);
  // Menus, panels and other raised layers lie above the ordinary windows (layer 0).
  void setLayer(SimWindow& window, std::int64_t layer);
  void setResizable(SimWindow& window, bool resizable);
  void setFullScreen(SimWindow& window, bool fullScreen);
  void setButtonEnabled(TitleButton& button, bool enabled);
  void closeWindow(SimWindow& window);

  // The system's tiling of an application's focused window, after the application's delay.
  void fill(SimApp& app);
  void returnToPreviousSize(SimApp& app);

  // Mouse input: each event goes through the event tap, when one runs, and on to the
  // application under the pointer unless the tap swallowed it. Input made while the tap's
  // callback is busy with an earlier event is handled after it, in order.
  void mouseDown(Point at, std::uint64_t flags = 0);
  void mouseDragged(Point at, std::uint64_t flags = 0);
  void mouseUp(Point at, std::uint64_t flags = 0);
  void click(Point at, std::uint64_t flags = 0) {
    mouseDown(at, flags);
    mouseUp(at, flags);
  }
  // The system disables the event tap and tells it so (also when the permission is revoked).
  void disableTap(EventType reason);

  Rect buttonFrame(const SimWindow& window, const TitleButton& button) const;
  Point center(const SimWindow& window, const TitleButton& button) const;
  // The window a mouse event at `p` reaches: the frontmost on screen there, raised layers first.
  SimWindow* windowAt(Point p) const;

  // How long after a revocation of the permission the system disables the program's tap; until
  // then the tap still sees clicks while every accessibility request is refused.
  double tapNoticeDelay = 0;
  // How long the system waits for the tap's callback: past it, the system disables the tap (it
  // reads as disabled from then on) and tells the tap's thread once the callback has returned.
  double tapCallbackTimeout = 1.0;
  // The inset, in points, that a Fill leaves between the window and its screen's visible frame on
  // every side: the system setting "Tiled windows have margins" (0: off).
  double tilingMargin = 0;

  // Observers, for the simulator's timeline.
  std::function<void(const SimWindow&, Rect before)> onFrameChange;
  std::function<void(const InputRecord&)> onInput;

 private:
  struct MenuItemState {
    SimApp* app;
    MenuItemSpec model;
    NodeId node;
    std::vector<MenuItemState*> submenu;
  };

  void walkWindowList(SimWindowServer::Visit visit) const;
  // Sorts the windows into the window list's order again, after any change of order or layer.
  void restack();
  std::optional<NodeId> hitTest(Point p) const;
  void bindApp(SimApp& app);
  void bindWindow(SimWindow& window);
  void bindButton(SimWindow& window, TitleButton& button, const std::string& subrole, Rect offset);
  NodeId buildMenu(SimApp& app, const std::vector<MenuItemSpec>& items,
                   std::vector<MenuItemState*>& states);
  MenuItemState* findItem(const SimApp& app, const std::vector<std::string>& path);
  MenuItemSpec specOf(const MenuItemState& item) const;
  void dropMenus(const SimApp& app);
  void raiseLater(SimApp& app, SimWindow* window);
  void bringForward(SimApp& app, SimWindow* window);
  // Whether another program's frame write takes effect now; an app in assistive mode drops quick
  // successive writes.
  bool acceptsFrameWrite(SimWindow& window);
  void frameWritten(SimWindow& window);
  std::size_t screenOf(const SimWindow& window) const;
  std::size_t screenOf(Rect frame) const;
  // A frame write as the system takes it: the window stays within the usable area of the screen
  // it lands on, as far as its size allows.
  Rect keptOnScreen(Rect frame) const;
  Size fittedToScreen(const SimWindow& window, Size size) const;
  // The size the window's application takes when asked for `size`: whole steps, not below its
  // minimum.
  Size takenByApp(const SimWindow& window, Size size);
  Rect takenByApp(const SimWindow& window, Rect frame) {
    return Rect{frame.origin, takenByApp(window, frame.size)};
  }
  void keyPosted(const PostedKey& key);
  struct QueuedInput {
    EventType type;
    Point at;
    std::uint64_t flags;
    std::shared_ptr<SimEventTap> tap;  // a notice's own tap; the live tap when empty
  };
  void deliver(EventType type, Point at, std::uint64_t flags);
  void queueInput(const QueuedInput& input);
  void deliverNow(EventType type, Point at, std::uint64_t flags);
  // The event through the live tap's callback, timed as the system times it.
  std::optional<TapVerdict> throughTap(EventType type, const TapEvent& event);
  void noticeNow(EventType reason, const std::shared_ptr<SimEventTap>& to);
  void nativeButtonClick(SimWindow& window, TitleButton& button, std::uint64_t flags);
  double primaryHeight() const;

  VirtualClock& clock_;
  SimAccessibility& ax_;
  SimSystem& system_;
  SimWindowServer& windowServer_;
  SimEventTaps& taps_;
  std::vector<std::unique_ptr<SimApp>> apps_;
  std::vector<std::unique_ptr<SimWindow>> windows_;
  std::vector<SimWindow*> z_;  // front to back
  // The window list's order: z_ by layer, highest first. Kept up to date by restack() so that
  // reading the list or hit testing costs no sort.
  std::vector<SimWindow*> stack_;
  std::uint32_t nextWindowNumber_ = 100;
  std::vector<std::unique_ptr<MenuItemState>> menuItems_;
  // Each application's menus by title, for tests to reach an item.
  std::map<std::int32_t, std::vector<std::pair<std::string, std::vector<MenuItemState*>>>>
      menuTree_;
  // Every element of each application's menu bar, to be invalidated when the menus go.
  std::map<std::int32_t, std::vector<NodeId>> menuNodes_;
  // The press that reached an application, for its release to complete a native click.
  struct Press {
    std::uint32_t window;
    TitleButton* button;
    std::uint64_t flags;
  };
  std::optional<Press> press_;
  std::deque<QueuedInput> input_;
  bool handlingInput_ = false;
  // The callback under way (0: none), and the tap the system disabled while it ran.
  std::uint64_t callbackUnderWay_ = 0;
  std::uint64_t callbacks_ = 0;
  std::shared_ptr<SimEventTap> timedOut_;
};

}  // namespace plumora::sim
