// What the user and the system did that the recording shows only by its effects: the
// application in front, the status menu's choices, the event tap lost, input made while the
// tap was busy and the permission's changes, placed in time as the derived run needs them.
#include <algorithm>
#include <cmath>

#include "compare/desktop_reader.hpp"
#include "compare/recorded_values.hpp"

namespace plumora::simtool::recorded {

void Reader::frontSeen(std::int32_t now, std::uint32_t window, double at) {
  if (now == 0) return;
  if (!desktop.frontmost && !front) {
    desktop.frontmost = now;
    desktop.frontWindow = window;
  } else if (front && *front != now) {
    RecordedAction focus;
    focus.kind = RecordedActionKind::Focus;
    focus.time = (frontReadAt + at) / 2;
    focus.pid = now;
    focus.window = window;
    desktop.actions.push_back(focus);
  }
  front = now;
  frontReadAt = at;
}

void Reader::menuChosen(const RecordedEvent& choice) {
  RecordedAction chosen;
  chosen.kind = RecordedActionKind::ChooseItem;
  chosen.time = choice.before;
  chosen.choice = textOf(choice.field("v"));
  chosen.title = textOf(choice.field("title"));
  // Opened for the choice, at once, as a scenario's `choose` does: one action. Chosen after the
  // menu stayed open a while: the opening, then a choice in the menu already open.
  for (auto it = desktop.actions.rbegin(); it != desktop.actions.rend(); ++it) {
    if (it->kind != RecordedActionKind::OpenMenu) continue;
    if (choice.before - openedAt < 0.0005) {
      chosen.time = it->time;
      chosen.takenAt = it->takenAt;
      *it = chosen;
      return;
    }
    if (madeDuringRun) {
      chosen.time = std::max(*madeDuringRun, it->time + 0.001);
      chosen.takenAt = choice.before;
    }
    break;
  }
  chosen.inOpenMenu = true;
  desktop.actions.push_back(chosen);
}

void Reader::placeLostCallbacks() {
  for (const TapCallback& c : lostCallbacks) {
    const double lost = c.disabledAt.value_or(*c.returned) - c.began;
    if (lost > tapKeptFor) {
      tapLostWithin = std::min(tapLostWithin.value_or(lost), lost);
      continue;
    }
    // No timeout the tap outlived a longer callback with: disabled during this one, after the
    // last read that found it on, the notice coming as the callback returns.
    RecordedAction a;
    a.kind = RecordedActionKind::TapDisabled;
    a.reason = "timeout";
    a.time = (std::max(c.enabledUntil, c.began) + c.began + lost) / 2;
    desktop.actions.push_back(a);
  }
}

// A recording that ends as the tap takes input made while a callback ran, with nothing on the
// fill queue after (only main-thread work due earlier): the run ended before the queue took
// that input up. Written when it was made, the input comes before the end, and the end before
// the queue.
void Reader::endedWhileBusy() {
  if (!madeWhileBusy || recording.events.empty()) return;
  const double taken = recording.events.back().before;
  for (auto e = recording.events.rbegin(); e != recording.events.rend(); ++e) {
    if (e->event == "tap.event") break;
    if (e->thread == "fill" || std::fabs(e->before - taken) > 0.0005) return;
  }
  const auto [began, first] = *madeWhileBusy;
  for (std::size_t i = first; i < desktop.actions.size(); ++i) {
    const RecordedActionKind k = desktop.actions[i].kind;
    if (k != RecordedActionKind::Press && k != RecordedActionKind::Release &&
        k != RecordedActionKind::Drag) {
      return;
    }
  }
  for (std::size_t i = first; i < desktop.actions.size(); ++i) desktop.actions[i].time = began;
  desktop.endAt = began + 0.001;
}

// A recording that ends on the fill queue ended during a task there: the run's end came after
// the task began (and after the last action) and before the main thread's next work, such as
// the permission check every 3 s, which never came.
void Reader::endedDuringTask() {
  if (desktop.endAt || recording.events.empty() || recording.events.back().thread != "fill") {
    return;
  }
  double last = fillBegan;
  for (const RecordedAction& a : desktop.actions) last = std::max(last, a.time);
  desktop.endAt = last + 0.001;
}

// A revocation, and the event tap disabled with it: at once, later, or not within the recording.
void Reader::placePermissionChanges() {
  double previous = 0;
  for (std::size_t i = 0; i < permissionChanges.size(); ++i) {
    RecordedAction change = permissionChanges[i];
    // The tap's notice of a revocation comes before the permission is given back, if at all.
    const double regranted =
        i + 1 < permissionChanges.size() ? permissionChanges[i + 1].time : desktop.lastTime + 1;
    if (!change.granted) {
      change.tapNoticeAfter = desktop.lastTime + 1 - change.time;
      for (auto it = desktop.actions.begin(); it != desktop.actions.end(); ++it) {
        if (it->kind != RecordedActionKind::TapDisabled || it->reason != "input" ||
            it->time < previous || it->time > regranted) {
          continue;
        }
        const double time = change.time;
        change.time = std::min(time, it->time);
        change.tapNoticeAfter = it->time - change.time;
        desktop.actions.erase(it);
        break;
      }
    }
    previous = change.time;
    desktop.actions.push_back(change);
  }
}

// A status-menu doing placed early in the run it waited for still comes after what the user did
// to the desktop before the program took it (the application brought to the front that its item
// names): never before another change the derivation put ahead of when it was taken.
void Reader::orderWaitedMenuActions() {
  for (RecordedAction& waited : desktop.actions) {
    if (!waited.takenAt) continue;
    for (const RecordedAction& a : desktop.actions) {
      const bool input = a.kind == RecordedActionKind::Press ||
                         a.kind == RecordedActionKind::Release ||
                         a.kind == RecordedActionKind::Drag;
      if (&a != &waited && !input && !a.takenAt && a.time >= waited.time &&
          a.time < *waited.takenAt) {
        waited.time = a.time + 0.001;
      }
    }
  }
}

}  // namespace plumora::simtool::recorded
