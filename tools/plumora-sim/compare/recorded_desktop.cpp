#include "compare/recorded_desktop.hpp"

#include <algorithm>
#include <cmath>

#include "compare/desktop_reader.hpp"
#include "compare/recorded_values.hpp"
#include "scenario/scenario_limits.hpp"

namespace plumora::simtool {
namespace recorded {

void Reader::wrote(const std::string& window, const std::string& attribute, const JsonValue* value,
                   double at) {
  if (!writing || writing->window != window) writing = FrameWrite{window, at, at, {}, {}};
  writing->at = at;
  writing->lastRead = at;
  const JsonValue* pair = value ? value->find(attribute == "AXPosition" ? "pt" : "sz") : nullptr;
  if (!pair || pair->items.size() != 2) return;
  if (attribute == "AXPosition")
    writing->position = Point{pair->items[0].number, pair->items[1].number};
  if (attribute == "AXSize") writing->size = Size{pair->items[0].number, pair->items[1].number};
}

void Reader::readAfterWrite(RecordedWindow& window, const Rect& frame, double at) {
  const bool moved = (writing->position && (std::fabs(writing->position->x - minX(frame)) > 1 ||
                                            std::fabs(writing->position->y - minY(frame)) > 1)) ||
                     (writing->size && (std::fabs(writing->size->width - width(frame)) > 1 ||
                                        std::fabs(writing->size->height - height(frame)) > 1));
  if (!moved) {
    if (writing->size) app(window.pid).sized(*writing->size, frame.size);
    writing->lastRead = at;
    return;
  }
  if (writing->size &&
      takenInSteps(Rect{writing->position.value_or(frame.origin), *writing->size}, frame)) {
    // Not moved again: the application took the size in its own steps, at once.
    app(window.pid).sized(*writing->size, frame.size);
    writing.reset();
    return;
  }
  RecordedRebound& r = window.rebound.emplace_back();
  r.frame = frame;
  r.after = ((writing->lastRead - writing->at) + (at - writing->at)) / 2;
  writing.reset();
}

void Reader::closeActivation(bool gaveUp) {
  if (!activation) return;
  if (gaveUp) app(activation->pid).neverActivated = true;
  activation.reset();
}

void Reader::closeStretch() {
  if (!stretch) return;
  const TilingStretch s = *stretch;
  stretch.reset();
  if (!s.item.empty()) {
    // The system's own items are known by their identifiers, even when nothing could be read.
    RecordedItem& item = items[s.item];
    if (!item.pressAnswer && item.enabled && item.identifier == "_zoomFill") {
      item.effect = ItemEffect::Fill;
    }
    if (!item.pressAnswer && item.enabled && item.identifier == "_zoomUntile") {
      item.effect = ItemEffect::Restore;
    }
  }
  const auto pid = pidOfElement(s.window);
  if (!pid || s.reads.empty() || !s.before) return;
  RecordedApp& owner = app(*pid);
  const Rect final = s.reads.back().second;
  const bool changed = !same(final, *s.before);
  // When the window came to rest: the first read of its final frame.
  std::size_t first = s.reads.size() - 1;
  while (first > 0 && same(s.reads[first - 1].second, final)) --first;
  if (changed) {
    const double settled = s.reads[first].first - s.began;
    owner.settledWithin = std::max(owner.settledWithin.value_or(0), settled);
    if (first > 0) {
      // Polled: the change fell between two reads.
      const double delay = (s.reads[first - 1].first - s.began + settled) / 2;
      owner.tilingDelay = std::min(owner.tilingDelay.value_or(delay), delay);
    }
  }
  const bool fillAsked = s.item.empty() ? s.key == 3 : items[s.item].identifier == "_zoomFill";
  const double primary = screens.empty() ? 0 : height(screens.front().frame);
  if (!desktop.tilingMargin && fillAsked && changed) {
    // A Mac does not tell its tiling margin: a Fill that leaves the same gap on every side of a
    // screen's usable area shows it.
    for (const RecordingScreen& screen : screens) {
      const Rect& v = screen.visible;
      const double gap = minX(final) - minX(v);
      const double top = primary - maxY(v);
      const bool even = std::fabs(minY(final) - top - gap) < 0.5 &&
                        std::fabs(maxX(v) - maxX(final) - gap) < 0.5 &&
                        std::fabs(top + height(v) - maxY(final) - gap) < 0.5;
      if (even && gap >= 0 && gap <= limits::kMaxTilingMargin) {
        desktop.tilingMargin = gap;
        desktop.tilingMarginSeen = true;
        break;
      }
    }
  }
  // Whether it was a Fill: the window now covers a screen's usable area, less the margins.
  bool filled = false;
  const double margin = desktop.tilingMargin.value_or(0);
  for (const RecordingScreen& screen : screens) {
    const Rect& v = screen.visible;
    const Rect area = Rect::make(minX(v) + margin, primary - maxY(v) + margin,
                                 width(v) - 2 * margin, height(v) - 2 * margin);
    if (same(final, area) || (fillAsked && changed && takenInSteps(area, final))) {
      filled = true;
      owner.sized(area.size, final.size);
    }
  }
  ItemEffect effect = ItemEffect::None;
  // Outside every screen known, not merely off a screen's usable area: that would be the Mac
  // filling otherwise than the simulator does, a difference to show.
  bool onAScreen = false;
  for (const RecordingScreen& screen : screens) {
    const Rect& f = screen.frame;
    const Rect top = Rect::make(minX(f), primary - maxY(f), width(f), height(f));
    onAScreen = onAScreen || (minX(final) < maxX(top) && minX(top) < maxX(final) &&
                              minY(final) < maxY(top) && minY(top) < maxY(final));
  }
  if (fillAsked && changed && !filled && !onAScreen && clickAt) {
    // A Fill that landed where no known screen is: a screen the program never read, there
    // since before the click.
    const Rect area = Rect::make(minX(final) - margin, primary - maxY(final) - margin,
                                 width(final) + 2 * margin, height(final) + 2 * margin);
    RecordedAction added;
    added.kind = RecordedActionKind::Screens;
    added.time = std::max(0.0, *clickAt - 0.001);
    screens.push_back({area, area});
    added.screens = screens;
    added.inferred = true;
    desktop.actions.push_back(added);
    filled = true;
  }
  if (!s.item.empty()) {
    RecordedItem& item = items[s.item];
    if (item.identifier == "_zoomFill") {
      effect = ItemEffect::Fill;
    } else if (item.identifier == "_zoomUntile") {
      effect = ItemEffect::Restore;
    } else if (changed) {
      effect = filled ? ItemEffect::Fill : ItemEffect::Restore;
    }
    // A press that changed nothing (a Fill of a window already filled) tells nothing of what
    // the item does: what an earlier press showed stands.
    if (!item.pressAnswer && item.enabled && effect != ItemEffect::None) item.effect = effect;
  } else {
    effect = s.key == 3 ? ItemEffect::Fill : ItemEffect::Restore;
    owner.shortcuts = owner.shortcuts.value_or(false) || changed;
  }
  if (effect == ItemEffect::Fill && changed) beforeFill[s.window].push_back(*s.before);
  if (effect == ItemEffect::Restore && (!s.item.empty() ? !items[s.item].pressAnswer : true)) {
    const auto filledFrom = beforeFill.find(s.window);
    if (!changed) {
      owner.restore = RestoreSeen::Ignored;
    } else if (filledFrom != beforeFill.end() &&
               std::any_of(filledFrom->second.begin(), filledFrom->second.end(),
                           [&](const Rect& r) { return takenInSteps(r, final); })) {
      // Put back, as the application takes sizes: the size asked is the one before the Fill.
      owner.restore = RestoreSeen::Restored;
      for (const Rect& r : filledFrom->second) {
        if (takenInSteps(r, final)) {
          owner.sized(r.size, final.size);
          break;
        }
      }
    } else {
      owner.restore = RestoreSeen::Elsewhere;
      owner.restoredTo = final;
    }
  }
}

RecordedItem Reader::buildItem(const std::string& element, int depth) {
  RecordedItem item = items.count(element) ? items[element] : RecordedItem{};
  const auto found = children.find(element);
  if (depth < 8 && found != children.end() && !found->second.empty()) {
    for (const std::string& child : children[found->second.front()]) {
      item.submenu.push_back(buildItem(child, depth + 1));
    }
  }
  return item;
}

std::vector<RecordedMenu> Reader::buildMenus(const std::string& bar) {
  std::vector<RecordedMenu> menus;
  for (const std::string& barItem : children[bar]) {
    RecordedMenu menu;
    const auto found = children.find(barItem);
    if (found != children.end() && !found->second.empty()) {
      for (const std::string& child : children[found->second.front()]) {
        menu.items.push_back(buildItem(child, 0));
      }
    }
    menus.push_back(std::move(menu));
  }
  return menus;
}

namespace {

// How much longer than a request that timed out an application is taken to be: within the
// comparison's tolerance for timings.
constexpr double kBeyondTimeout = 0.05;

// A later reading of an item replaces an earlier one where it read the item at all.
void mergeItems(std::vector<RecordedItem>& into, const std::vector<RecordedItem>& later) {
  for (std::size_t i = 0; i < later.size(); ++i) {
    if (i == into.size()) {
      into.push_back(later[i]);
      continue;
    }
    std::vector<RecordedItem> submenu = std::move(into[i].submenu);
    const RecordedItem earlier = into[i];
    if (later[i].identifier || later[i].key || !earlier.identifier) into[i] = later[i];
    // What pressing it did, seen before it was built again.
    if (into[i].effect == ItemEffect::None) into[i].effect = earlier.effect;
    if (!into[i].pressAnswer) into[i].pressAnswer = earlier.pressAnswer;
    mergeItems(submenu, later[i].submenu);
    into[i].submenu = std::move(submenu);
  }
}

}  // namespace

void mergeMenus(std::vector<RecordedMenu>& into, const std::vector<RecordedMenu>& later) {
  for (std::size_t i = 0; i < later.size(); ++i) {
    if (i == into.size()) into.emplace_back();
    mergeItems(into[i].items, later[i].items);
  }
}

void Reader::finish() {
  endedWhileBusy();
  closeStretch();
  while (!parked.empty()) finishParked(0);
  callbackEnded();
  placeLostCallbacks();
  if (tapLostWithin) {
    desktop.tapKeptFor = tapKeptFor;
    desktop.tapLostWithin = *tapLostWithin;
    desktop.tapTimeout = (tapKeptFor + *tapLostWithin) / 2;
  }
  // Still waiting when the recording ends: given up when the run went on to other requests.
  closeActivation(activation && activation->movedOn);
  for (const auto& [element, hash] : titleHashes) {
    const auto title = loggedTitles.find(hash);
    RecordedWindow* w = windowAt(element);
    if (w && title != loggedTitles.end()) w->title = title->second;
  }
  for (auto& [pid, times] : latencies) {
    if (RecordedApp* a = desktop.app(pid)) a->latency = median(times);
  }
  for (const auto& [pid, waited] : waitedInVain) {
    RecordedApp* a = desktop.app(pid);
    if (!a || (a->latency && *a->latency > waited)) continue;
    // Only known to be longer than the wait: a little longer, so that it times out alike.
    a->latency = waited + kBeyondTimeout;
    a->latencyPastTimeout = true;
  }
  for (RecordedApp& a : desktop.apps) {
    const auto bar = menuBars.find(a.pid);
    if (bar == menuBars.end()) continue;
    // Menus built again hold the same items as new elements: what each search read adds up.
    for (const std::string& earlier : earlierBars[a.pid]) mergeMenus(a.menus, buildMenus(earlier));
    mergeMenus(a.menus, buildMenus(bar->second));
  }
  placePermissionChanges();
  orderWaitedMenuActions();
  endedDuringTask();
  std::stable_sort(
      desktop.actions.begin(), desktop.actions.end(),
      [](const RecordedAction& a, const RecordedAction& b) { return a.time < b.time; });
  std::sort(desktop.windows.begin(), desktop.windows.end(),
            [](const RecordedWindow& a, const RecordedWindow& b) { return a.number < b.number; });
}

}  // namespace recorded

using namespace recorded;

void RecordedApp::sized(const Size& asked, const Size& taken) {
  for (const RecordedSizing& s : sizings) {
    if (s.asked == asked && s.taken == taken) return;
  }
  sizings.push_back({asked, taken});
}

RecordedApp* RecordedDesktop::app(std::int32_t pid) {
  for (RecordedApp& a : apps) {
    if (a.pid == pid) return &a;
  }
  return nullptr;
}

RecordedWindow* RecordedDesktop::window(std::uint32_t number) {
  for (RecordedWindow& w : windows) {
    if (w.number == number) return &w;
  }
  return nullptr;
}

std::optional<Rect> frameOf(const JsonValue* value) {
  if (!value) return std::nullopt;
  if (const JsonValue* d = value->find("dict")) {
    double x = 0, y = 0, w = 0, h = 0;
    int found = 0;
    for (const JsonValue& pair : d->items) {
      if (pair.items.size() != 2) continue;
      const std::string& key = pair.items[0].text;
      const double v = pair.items[1].number;
      if (key == "X") x = v, ++found;
      if (key == "Y") y = v, ++found;
      if (key == "Width") w = v, ++found;
      if (key == "Height") h = v, ++found;
    }
    if (found == 4) return Rect::make(x, y, w, h);
    return std::nullopt;
  }
  if (value->kind != JsonValue::Kind::Array || value->items.size() != 2) return std::nullopt;
  const JsonValue* p = value->items[0].find("pt");
  const JsonValue* s = value->items[1].find("sz");
  if (!p || !s || p->items.size() != 2 || s->items.size() != 2) return std::nullopt;
  return Rect::make(p->items[0].number, p->items[1].number, s->items[0].number, s->items[1].number);
}

RecordedDesktop readDesktop(const Recording& recording) {
  Reader reader{recording};
  reader.desktop.screens = recording.screens;
  reader.screens = recording.screens;
  reader.desktop.tilingMargin = recording.tilingMargin;
  // A Mac's clock counts from its start-up, the simulated Mac's from the program's launch: the
  // desktop's times count from the recording's start.
  for (const RecordedEvent& event : recording.events) {
    RecordedEvent e = event;
    e.before -= recording.start;
    e.after -= recording.start;
    reader.read(e);
  }
  reader.finish();
  return reader.desktop;
}

}  // namespace plumora::simtool
