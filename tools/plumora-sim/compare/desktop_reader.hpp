#pragma once

// The reading of a recording, event by event, into what it shows of the desktop: the state kept
// between events (the menus read so far, the window whose tiling is being watched, the
// application being brought forward, the program's last frame write).

#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "compare/recorded_desktop.hpp"

namespace plumora::simtool::recorded {

struct TilingStretch {
  std::string item;  // the menu item pressed, or empty for a posted shortcut
  std::uint16_t key = 0;
  std::string window;
  double began = 0;
  std::optional<Rect> before;
  std::vector<std::pair<double, Rect>> reads;
};

// Menus read again after the application built them afresh, added to those read before.
void mergeMenus(std::vector<RecordedMenu>& into, const std::vector<RecordedMenu>& later);

struct Reader {
  explicit Reader(const Recording& r) : recording(r) {}
  const Recording& recording;
  RecordedDesktop desktop;

  std::map<std::string, std::vector<std::string>> children;
  std::map<std::string, RecordedItem> items;
  std::map<std::int32_t, std::string> menuBars;
  std::map<std::int32_t, std::vector<std::string>> earlierBars;  // before menus built again
  std::map<std::int32_t, bool> menusStale;  // by pid: an element found earlier answered stale
  std::map<std::string, std::uint32_t> windowOfElement;
  std::map<std::string, std::pair<double, Rect>> lastFrame;  // by window element
  std::map<std::string, std::vector<Rect>> beforeFill;       // by window element
  std::map<std::int32_t, std::vector<double>> latencies;
  std::map<std::int32_t, double> waitedInVain;  // the longest request that timed out, by pid
  std::optional<std::pair<std::uint32_t, std::int32_t>> walkMatch;
  std::optional<TilingStretch> stretch;
  std::vector<TilingStretch> parked;  // stretches whose tiling was not seen by their run
  void finishParked(std::size_t i);
  struct Activation {
    std::int32_t pid;
    std::string window;
    double asked;
    double previousPoll;
    double poll;
    bool movedOn = false;  // the run made a request of another kind since: it stopped waiting
  };
  std::string raised;                                   // the window last raised
  std::set<std::uint32_t> raisedSinceWalk;              // by window number, 0 for one not known
  std::optional<std::pair<std::uint32_t, double>> top;  // the window list's first, and when
  std::optional<Activation> activation;
  std::optional<std::int32_t> front;
  // An application seen in front (by the system's answer, or its window first in the window
  // list): at launch, or brought there by the user since it was last seen.
  void frontSeen(std::int32_t pid, std::uint32_t window, double at);
  double frontReadAt = 0;
  double screensReadAt = 0;
  std::vector<RecordingScreen> screens;
  std::vector<double> notices;  // the system's notices of a permission change not yet placed
  std::optional<bool> trust;
  bool noticed = true;
  int walkRanks = 0;
  std::map<std::uint32_t, std::pair<double, Rect>> seen;  // by window number
  std::map<std::uint32_t, bool> fullScreenRead;           // the last answer, by window number
  std::vector<RecordedAction> permissionChanges;
  std::optional<double> clickAt;   // the last press
  std::optional<Point> pressedAt;  // where, until the button under it is read
  void movedUnderThePress(RecordedWindow& w, const RecordedButton& b, double readAt);
  // The event tap's callback under way or last run, on the tap's thread: when it began, when it
  // gave its verdict, and what the program read of the tap meanwhile.
  struct TapCallback {
    double began = 0;
    std::optional<double> returned;
    double enabledUntil = 0;
    std::optional<double> disabledAt;
  };
  std::optional<TapCallback> callback;
  double tapKeptFor = 0;                   // the longest callback the tap stayed on through
  std::optional<double> tapLostWithin;     // the quickest a callback lost the tap to its timeout
  std::vector<TapCallback> lostCallbacks;  // those a timeout notice followed
  // Each callback lost: to the tap's timeout, or, when a longer one kept the tap, to the system
  // disabling it meanwhile for a reason of its own.
  void placeLostCallbacks();
  bool timedOut(const RecordedEvent& notice);
  // Input the tap took only once a long callback returned: when that callback began, and the
  // first of those actions.
  std::optional<std::pair<double, std::size_t>> madeWhileBusy;
  double lastInputAt = 0;
  void inputTaken(double at);
  void endedWhileBusy();
  void endedDuringTask();
  void placePermissionChanges();
  void orderWaitedMenuActions();
  void callbackEnded();
  std::map<std::string, bool> settingWritten;
  bool exceptionsRead = false;
  bool loginRegistered = false;  // the program registered the login item since it last asked
  void menuChosen(const RecordedEvent& choice);
  double openedAt = -1;  // the status menu's last opening, as recorded
  std::string previousThread;
  double fillBegan = 0, fillEnded = 0;              // the last run on the fill queue
  std::optional<double> madeDuringRun;              // for main-thread work that waited for that run
  std::map<std::string, std::string> titleHashes;   // by window element
  std::map<std::string, std::string> loggedTitles;  // by hash

  RecordedApp& app(std::int32_t pid) {
    if (RecordedApp* a = desktop.app(pid)) return *a;
    desktop.apps.push_back({});
    desktop.apps.back().pid = pid;
    return desktop.apps.back();
  }

  RecordedWindow& window(std::uint32_t number, std::int32_t pid) {
    if (RecordedWindow* w = desktop.window(number)) return *w;
    desktop.windows.push_back({});
    desktop.windows.back().number = number;
    desktop.windows.back().pid = pid;
    if (pid != desktop.ownPid) app(pid);
    return desktop.windows.back();
  }

  RecordedWindow* windowAt(const std::string& element) {
    const auto found = windowOfElement.find(element);
    return found == windowOfElement.end() ? nullptr : desktop.window(found->second);
  }

  // The program's last frame write, and whether the application then moved the window again.
  struct FrameWrite {
    std::string window;
    double at = 0;
    double lastRead = 0;
    std::optional<Point> position;
    std::optional<Size> size;
  };
  std::optional<FrameWrite> writing;
  void wrote(const std::string& window, const std::string& attribute, const JsonValue* value,
             double at);
  void readAfterWrite(RecordedWindow& window, const Rect& frame, double at);

  void closeStretch();
  void closeActivation(bool gaveUp);
  void read(const RecordedEvent& e);
  void walked(const RecordedEvent& e);
  void buttonRead(const RecordedEvent& e);
  void frameRead(const RecordedEvent& e);
  void fullScreenSeen(const RecordedEvent& e);
  void finish();
  RecordedItem buildItem(const std::string& element, int depth);
  std::vector<RecordedMenu> buildMenus(const std::string& bar);
};

}  // namespace plumora::simtool::recorded
