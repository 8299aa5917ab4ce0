#pragma once

// The fill engine: carries out Fill, or the return to the previous size, for each recognised
// click, one at a time on its own serial queue, and keeps a short memory of the frames windows
// had before Plumora filled them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "accessibility/element.hpp"
#include "fill/assistive_mode.hpp"
#include "fill/fill_menu.hpp"
#include "fill/menu_memory.hpp"
#include "fill/size_steps.hpp"
#include "interception/green_click.hpp"
#include "platform/dispatch.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"

namespace plumora {

// A window's frame before its Fill, and the frame measured shortly after.
struct FillRecord {
  Element window;
  Rect before;
  std::optional<Rect> after;  // empty until measured, and when the measurement failed
  double time;                // when the record was made; also names it to its measurement
};

class FillAction {
 public:
  static constexpr std::string_view kQueueLabel = "Plumora.Fill";
  static constexpr double kRepeatInterval = 0.4;
  static constexpr float kApplicationTimeout = 1.0f;
  static constexpr float kWindowTimeout = 1.5f;
  static constexpr float kMenuItemTimeout = 2.0f;
  static constexpr double kStillFilledTolerance = 6.0;
  static constexpr double kScreenEdgeTolerance = 24.0;
  static constexpr double kKeepFirstFrameWithin = 1.5;
  static constexpr double kRecordLifetime = 8 * 3600.0;
  static constexpr std::size_t kMaxRecords = 40;
  static constexpr double kMeasureAfter = 0.8;
  // How long a quit waits for a run's request about an assistive mode to be answered: the
  // "off" and two tries of "on", each within the application's timeout.
  static constexpr double kQuitPatience = 4.0;

  struct LastDone {
    Element window;
    double time;
  };

  FillAction(Context& context, Settings& settings);
  FillAction(const FillAction&) = delete;
  FillAction& operator=(const FillAction&) = delete;

  // Queues one run for the click and returns at once. Any thread.
  void perform(GreenClick click);
  // Main thread, when asked to quit: what a run has turned off in another application is turned
  // back on, since the run may never finish. True when the process may end now; false when a
  // run's request is on its way, and `ready` is called on the main thread when it may.
  bool applicationShouldTerminate(std::function<void()> ready);
  // Main thread, at quit: the same, without waiting for anything.
  void applicationWillTerminate();

  // What follows runs on the fill queue only. It is public so that tests can drive each step.

  // Activation, measurement, the menu search and the choice between Fill and restore. False
  // when nothing was done because the window could not be activated or measured.
  bool run(const GreenClick& click);

  // The newest record of the window.
  std::optional<FillRecord> record(const Element& window) const;
  // Notes that the window was just filled from `before`, and measures it again a little later.
  void remember(const Element& window, Rect before);
  const std::vector<FillRecord>& records() const { return records_; }
  const std::optional<LastDone>& lastDone() const { return lastDone_; }

  // The visible frame of every screen, top-left origin, read on the main thread.
  std::vector<Rect> visibleFrames();
  // Watches the window until the system has moved it away from `from` and it has come to rest
  // (true), or until it stays put (false).
  bool waitForNativeMove(const Element& window, Rect from);

  std::optional<std::int32_t> frontmostPID();
  // Makes the window the focused or main window of the frontmost application.
  bool bringToFront(const Element& app, const Element& window, std::int32_t pid);

 private:
  void handle(const GreenClick& click);
  bool isActive(const Element& app, const Element& window, std::int32_t pid);
  void raise(const Element& app, const Element& window);
  bool choosesRestore(const GreenClick& click, Rect current, std::optional<FillRecord>& record);
  void fill(const GreenClick& click, const std::optional<FillMenu::Found>& menu, Rect before,
            double start);
  void restore(const Element& app, const GreenClick& click,
               const std::optional<FillMenu::Found>& menu, Rect before, double start);
  void issueRestore(std::int32_t pid, const std::optional<FillMenu::Found>& menu);
  // Writes the window's frame as its application (`app`, the run's element) will take it.
  void writeFrame(const Element& app, const GreenClick& click, Rect frame);
  void forget(const Element& window);
  void measure(const Element& window, double time);
  // What the app made of the system's Fill: the usable area, inset as the window's origin shows.
  void learnSteps(const Element& window, Rect filled);

  Context& context_;
  Settings& settings_;
  std::unique_ptr<SerialQueue> queue_;
  std::optional<LastDone> lastDone_;
  std::vector<FillRecord> records_;  // oldest first
  AssistiveModes assistiveModes_;
  SizeSteps sizeSteps_;
  MenuMemory menus_;
};

// True when the two normalised rectangles agree within the tolerance in x, y, width and height.
bool sameFrame(const Rect& a, const Rect& b, double tolerance);

}  // namespace plumora
