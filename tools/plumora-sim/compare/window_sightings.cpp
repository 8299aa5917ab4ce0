// The reading of what a recording shows of the windows: the window list, the title-bar buttons,
// the frames read and full screen.
#include <algorithm>

#include "compare/desktop_reader.hpp"
#include "compare/recorded_values.hpp"

namespace plumora::simtool::recorded {

// The window list, front first: the application in front, each window's first sighting, and
// how a window moved between sightings.
void Reader::walked(const RecordedEvent& e) {
  const JsonValue* value = e.field("v");
  // The list runs from the front: its first window of the normal layer is the frontmost
  // application's, which says which application was in front before the program asked. Not
  // when the one in front has no window seen: an application in front with no window of its own
  // (a Finder with none open) leaves another's window on top.
  const bool frontHasWindows =
      front && std::any_of(desktop.windows.begin(), desktop.windows.end(),
                           [&](const RecordedWindow& w) { return w.pid == *front; });
  for (const JsonValue& entry : value->items) {
    if (entry.items.size() != 5 || entry.items[0].number != 0) continue;
    const auto owner = static_cast<std::int32_t>(entry.items[3].number);
    const auto number = static_cast<std::uint32_t>(entry.items[4].number);
    if (!activation && owner != desktop.ownPid) {
      const RecordedWindow* previous = top ? desktop.window(top->first) : nullptr;
      if (front == owner && previous && previous->pid == owner && top->first != number &&
          !raisedSinceWalk.count(number) && !raisedSinceWalk.count(0)) {
        // Another window of the application in front came on top, the program raising none:
        // the user brought it forward.
        RecordedAction focus;
        focus.kind = RecordedActionKind::Focus;
        focus.time = (top->second + e.before) / 2;
        focus.pid = owner;
        focus.window = number;
        focus.reason = "brought in front of its application's other windows";
        desktop.actions.push_back(focus);
      }
      if (!front || frontHasWindows) frontSeen(owner, number, e.before);
    }
    top = std::make_pair(number, e.before);
    raisedSinceWalk.clear();
    break;
  }
  for (const JsonValue& entry : value->items) {
    if (entry.items.size() != 5) continue;
    const auto ownerPid = static_cast<std::int32_t>(entry.items[3].number);
    RecordedWindow& w = window(static_cast<std::uint32_t>(entry.items[4].number), ownerPid);
    if (!w.walked) {
      w.walked = true;
      w.walkRank = walkRanks++;
      w.layer = static_cast<std::int64_t>(entry.items[0].number);
      w.frame = frameOf(&entry.items[1]);
      if (entry.items[2].kind == JsonValue::Kind::Null) {
        w.alpha.reset();
      } else {
        w.alpha = entry.items[2].number;
      }
    }
    if (const auto f = frameOf(&entry.items[1])) {
      const auto last = seen.find(w.number);
      // A tiling asked for and not looked at since on the queue (a shortcut's): the window
      // list tells how far it went.
      bool tiling = stretch && windowAt(stretch->window) == &w && stretch->before &&
                    lastFrame[stretch->window].first <= stretch->began;
      if (tiling) stretch->reads.emplace_back(e.before, *f);
      for (std::size_t i = 0; i < parked.size(); ++i) {
        if (windowAt(parked[i].window) != &w) continue;
        tiling = true;
        parked[i].reads.emplace_back(e.before, *f);
        if (!same(*f, *parked[i].before)) {
          finishParked(i);
          break;
        }
      }
      const bool writingIt = writing && windowAt(writing->window) == &w;
      if (last != seen.end() && !same(last->second.second, *f) && !tiling && !writingIt) {
        RecordedAction moved;
        moved.kind = RecordedActionKind::Move;
        moved.time = (last->second.first + e.before) / 2;
        moved.window = w.number;
        moved.frame = *f;
        desktop.actions.push_back(moved);
      }
      seen[w.number] = {e.before, *f};
    }
    walkMatch = std::make_pair(w.number, ownerPid);
  }
}

// The hit test's reading of a title-bar button: the window it belongs to, and the button.
void Reader::buttonRead(const RecordedEvent& e) {
  // The hit test's reading of a title-bar button.
  const std::string windowElement = elementOf(slot(e, "AXWindow"));
  if (walkMatch && pidOfElement(windowElement) == walkMatch->second &&
      !windowOfElement.count(windowElement)) {
    windowOfElement[windowElement] = walkMatch->first;
  }
  if (RecordedWindow* w = windowAt(windowElement)) {
    RecordedButton b;
    b.subrole = textOf(slot(e, "AXSubrole"));
    b.enabled = boolOf(slot(e, "AXEnabled")).value_or(true);
    const JsonValue* position = slot(e, "AXPosition");
    const JsonValue* size = slot(e, "AXSize");
    b.readable = position && size && !isError(*position) && !isError(*size);
    if (b.readable) {
      const JsonValue* p = position->find("pt");
      const JsonValue* z = size->find("sz");
      if (p && z && p->items.size() == 2 && z->items.size() == 2) {
        b.frame = Rect::make(p->items[0].number, p->items[1].number, z->items[0].number,
                             z->items[1].number);
      }
    }
    if (b.readable && pressedAt && e.thread == "tap") movedUnderThePress(*w, b, e.after);
    pressedAt.reset();
    if (!b.subrole.empty()) w->buttons.emplace(b.subrole, b);
  }
}

// The button the hit test found under the press, read away from the press: the window moved
// between the two (the user dragged it while a slow application answered). It moved to where
// the button's usual place puts it, as late as the read allows.
void Reader::movedUnderThePress(RecordedWindow& w, const RecordedButton& b, double readAt) {
  const auto last = seen.find(w.number);
  const auto place = std::find_if(std::begin(kButtons), std::end(kButtons),
                                  [&](const ButtonPlace& p) { return p.subrole == b.subrole; });
  if (containsPoint(b.frame, *pressedAt) || last == seen.end() || place == std::end(kButtons)) {
    return;
  }
  const Rect& before = last->second.second;
  const Rect now = Rect::make(minX(b.frame) - place->left, minY(b.frame) - kButtonTop,
                              width(before), height(before));
  if (same(now, before)) return;
  RecordedAction moved;
  moved.kind = RecordedActionKind::Move;
  moved.time = (last->second.first + readAt) / 2;
  moved.window = w.number;
  moved.frame = now;
  moved.reason = "its button was read away from the press";
  desktop.actions.push_back(moved);
  seen[w.number] = {readAt, now};
}

// A window's frame as the program read it: the first one seen, what followed a write of the
// program's own or a tiling, and when it stopped being readable.
void Reader::frameRead(const RecordedEvent& e) {
  const std::string element = textOf(e.field("el"));
  const JsonValue* value = e.field("v");
  const auto rc = numberOf(e.field("rc"));
  const auto frame = rc == 0 ? frameOf(value) : std::nullopt;
  RecordedWindow* w = windowAt(element);
  if (frame) {
    if (w && !w->frame) w->frame = frame;
    if (w) seen[w->number] = {e.before, *frame};
    if (writing && writing->window == element) readAfterWrite(*w, *frame, e.before);
    if (stretch && stretch->window == element && e.thread == "fill") {
      stretch->reads.emplace_back(e.before, *frame);
    }
    for (std::size_t i = 0; i < parked.size(); ++i) {
      if (parked[i].window != element || e.thread != "fill") continue;
      // The program's next look at the window on its queue: what the tiling came to.
      parked[i].reads.emplace_back(e.before, *frame);
      finishParked(i);
      break;
    }
    lastFrame[element] = {e.before, *frame};
  } else if (w && !w->unreadableFrom) {
    const auto last = lastFrame.find(element);
    w->unreadableFrom = last == lastFrame.end() ? 0 : (last->second.first + e.before) / 2;
  }
}

// Whether a window is full screen: as first read, then each change the program did not make.
void Reader::fullScreenSeen(const RecordedEvent& e) {
  const std::string element = textOf(e.field("el"));
  const JsonValue* value = e.field("v");
  RecordedWindow* w = windowAt(element);
  const auto now = boolOf(value);
  if (w && now && !w->fullScreen) {
    w->fullScreen = now;
    // Read full screen first after the window list showed it moved: the move was its entering
    // full screen (a click the app was given, its menu), not a window full screen throughout.
    const auto move = std::find_if(
        desktop.actions.rbegin(), desktop.actions.rend(), [&](const RecordedAction& a) {
          return a.kind == RecordedActionKind::Move && a.window == w->number;
        });
    if (*now && move != desktop.actions.rend()) {
      move->kind = RecordedActionKind::FullScreen;
      move->granted = true;
      w->fullScreen = false;
    }
  } else if (w && now && fullScreenRead[w->number] != *now) {
    // Full screen entered or left where the program did not see it (the app's menu or
    // shortcut, a click while the tap was off): as late as the reads allow, after any click
    // the app was given.
    RecordedAction change;
    change.kind = RecordedActionKind::FullScreen;
    change.time = std::max(e.before - 0.001, 0.0);
    change.window = w->number;
    change.granted = *now;
    desktop.actions.push_back(change);
  }
  if (w && now) fullScreenRead[w->number] = *now;
}

}  // namespace plumora::simtool::recorded
