#include "compare/recorded_desktop.hpp"

#include <algorithm>
#include <cmath>

#include "recording/trace_text.hpp"

namespace plumora::simtool {
namespace {

constexpr std::int64_t kPermissionDenied = -25211;

std::optional<std::int32_t> pidOfElement(const std::string& element) {
  const auto colon = element.find(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  std::int64_t pid = 0;
  for (std::size_t i = 0; i < colon; ++i) {
    if (element[i] < '0' || element[i] > '9' || pid > 1'000'000'000) return std::nullopt;
    pid = pid * 10 + (element[i] - '0');
  }
  return static_cast<std::int32_t>(pid);
}

std::string textOf(const JsonValue* v) {
  return v && v->kind == JsonValue::Kind::String ? v->text : std::string();
}

std::optional<double> numberOf(const JsonValue* v) {
  if (!v || v->kind != JsonValue::Kind::Number) return std::nullopt;
  return v->number;
}

std::optional<bool> boolOf(const JsonValue* v) {
  if (!v || v->kind != JsonValue::Kind::Bool) return std::nullopt;
  return v->boolean;
}

// {"el":"501:3"} as "501:3".
std::string elementOf(const JsonValue* v) {
  if (!v) return {};
  if (v->kind == JsonValue::Kind::String) return v->text;
  return textOf(v->find("el"));
}

std::vector<std::string> elementsOf(const JsonValue* v) {
  std::vector<std::string> out;
  if (v && v->kind == JsonValue::Kind::Array) {
    for (const JsonValue& item : v->items) out.push_back(elementOf(&item));
  }
  return out;
}

std::optional<Rect> rectOf(const JsonValue* v) {
  const JsonValue* r = v ? v->find("rect") : nullptr;
  if (!r || r->items.size() != 4) return std::nullopt;
  return Rect::make(r->items[0].number, r->items[1].number, r->items[2].number, r->items[3].number);
}

bool isError(const JsonValue& v) {
  return v.find("err") != nullptr;
}

// The slot of `attribute` in a multi-attribute reply.
const JsonValue* slot(const RecordedEvent& e, std::string_view attribute) {
  const JsonValue* attrs = e.field("attrs");
  const JsonValue* values = e.field("v");
  if (!attrs || !values || values->kind != JsonValue::Kind::Array) return nullptr;
  for (std::size_t i = 0; i < attrs->items.size() && i < values->items.size(); ++i) {
    if (attrs->items[i].text == attribute) return &values->items[i];
  }
  return nullptr;
}

bool asksFrame(const RecordedEvent& e) {
  const JsonValue* attrs = e.field("attrs");
  return e.event == "ax.copyMany" && attrs && attrs->items.size() == 2 &&
         attrs->items[0].text == "AXPosition" && attrs->items[1].text == "AXSize";
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

bool same(const Rect& a, const Rect& b) {
  return std::fabs(minX(a) - minX(b)) <= 1 && std::fabs(minY(a) - minY(b)) <= 1 &&
         std::fabs(width(a) - width(b)) <= 1 && std::fabs(height(a) - height(b)) <= 1;
}

// A request that makes the system tile a window, and the frames read after it until the next.
struct TilingStretch {
  std::string item;  // the menu item pressed, or empty for a posted shortcut
  std::uint16_t key = 0;
  std::string window;
  double began = 0;
  std::optional<Rect> before;
  std::vector<std::pair<double, Rect>> reads;
};

struct Reader {
  explicit Reader(const Recording& r) : recording(r) {}
  const Recording& recording;
  RecordedDesktop desktop;

  std::map<std::string, std::vector<std::string>> children;
  std::map<std::string, RecordedItem> items;
  std::map<std::int32_t, std::string> menuBars;
  std::map<std::string, std::uint32_t> windowOfElement;
  std::map<std::string, std::pair<double, Rect>> lastFrame;  // by window element
  std::map<std::string, std::vector<Rect>> beforeFill;       // by window element
  std::map<std::int32_t, std::vector<double>> latencies;
  std::optional<std::pair<std::uint32_t, std::int32_t>> walkMatch;
  std::optional<TilingStretch> stretch;
  struct Activation {
    std::int32_t pid;
    std::string window;
    double asked;
    double previousPoll;
    double poll;
  };
  std::string raised;  // the window last raised
  std::optional<Activation> activation;
  std::optional<std::int32_t> front;
  double frontReadAt = 0;
  double screensReadAt = 0;
  std::vector<RecordingScreen> screens;
  std::vector<double> notices;  // the system's notices of a permission change not yet placed
  std::optional<bool> trust;
  std::vector<RecordedAction> permissionChanges;
  std::optional<double> clickAt;  // the last press
  std::map<std::string, bool> settingWritten;
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
  void finish();
  RecordedItem buildItem(const std::string& element, int depth);
};

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
    writing->lastRead = at;
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
  // Whether it was a Fill: the window now covers a screen's usable area, less the margins.
  bool filled = false;
  const double primary = screens.empty() ? 0 : height(screens.front().frame);
  const double margin = desktop.tilingMargin.value_or(0);
  for (const RecordingScreen& screen : screens) {
    const Rect& v = screen.visible;
    const Rect area = Rect::make(minX(v) + margin, primary - maxY(v) + margin,
                                 width(v) - 2 * margin, height(v) - 2 * margin);
    if (same(final, area)) filled = true;
  }
  ItemEffect effect = ItemEffect::None;
  const bool fillAsked = s.item.empty() ? s.key == 3 : items[s.item].identifier == "_zoomFill";
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
    if (!item.pressAnswer && item.enabled) item.effect = effect;
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
                           [&](const Rect& r) { return same(final, r); })) {
      owner.restore = RestoreSeen::Restored;
    } else {
      owner.restore = RestoreSeen::Elsewhere;
      owner.restoredTo = final;
    }
  }
}

void Reader::read(const RecordedEvent& e) {
  desktop.lastTime = std::max(desktop.lastTime, e.after);
  const std::string element = textOf(e.field("el"));
  const std::string attribute = textOf(e.field("attr"));
  const JsonValue* value = e.field("v");
  const auto rc = numberOf(e.field("rc"));
  const auto pid = pidOfElement(element);
  if (pid && e.event.rfind("ax.", 0) == 0 && rc != kPermissionDenied) {
    latencies[*pid].push_back(e.after - e.before);
  }

  if (e.event == "sys.pid") {
    desktop.ownPid = static_cast<std::int32_t>(numberOf(value).value_or(0));
  } else if (e.event == "sys.running") {
    const std::string bundle = textOf(e.field("bundleId"));
    if (value && value->kind == JsonValue::Kind::Array) {
      for (const JsonValue& p : value->items) {
        const auto running = static_cast<std::int32_t>(p.number);
        if (running != desktop.ownPid) app(running).bundleId = bundle;
      }
    }
  } else if (e.event == "sys.languages" && desktop.settings.languages.empty() && value) {
    for (const JsonValue& l : value->items) desktop.settings.languages.push_back(l.text);
  } else if (e.event == "ax.trusted") {
    // A change of the permission shows as a read that differs from the one before; the system's
    // notice of it, when one came first, says when.
    const auto trusted = boolOf(value);
    if (!desktop.settings.permission) {
      desktop.settings.permission = trusted;
    } else if (trusted && trust && *trusted != *trust) {
      RecordedAction change;
      change.kind = RecordedActionKind::Permission;
      change.time = e.before;
      change.granted = *trusted;
      if (!notices.empty() && notices.front() <= e.before) {
        change.time = notices.front();
        notices.erase(notices.begin());
      }
      permissionChanges.push_back(change);
    }
    if (trusted) trust = trusted;
  } else if (e.event == "sys.notice") {
    notices.push_back(e.before);
  } else if (e.event == "defaults.setBool") {
    settingWritten[textOf(e.field("key"))] = true;
  } else if (e.event == "defaults.bool") {
    const std::string key = textOf(e.field("key"));
    const auto on = boolOf(value);
    auto& s = desktop.settings;
    if (!settingWritten[key]) {
      if (key == "Enabled" && !s.enabled) s.enabled = on;
      if (key == "RestoreOnSecondClick" && !s.restore) s.restore = on;
      if (key == "DebugLog" && !s.verbose) s.verbose = on;
    }
  } else if (e.event == "sys.frontmost") {
    const auto now = static_cast<std::int32_t>(numberOf(value).value_or(0));
    if (!desktop.frontmost && !front) desktop.frontmost = now;
    if (activation) {
      activation->previousPoll = activation->poll;
      activation->poll = e.before;
    } else if (front && *front != now && now != 0) {
      RecordedAction focus;
      focus.kind = RecordedActionKind::Focus;
      focus.time = (frontReadAt + e.before) / 2;
      focus.pid = now;
      desktop.actions.push_back(focus);
    }
    front = now;
    frontReadAt = e.before;
  } else if (e.event == "ax.copy" && activation && pid == activation->pid && front == pid &&
             (attribute == "AXFocusedWindow" || attribute == "AXMainWindow") &&
             elementOf(value) == activation->window) {
    // The poll that saw the window active; the one before did not.
    const double delay =
        ((activation->previousPoll - activation->asked) + (activation->poll - activation->asked)) /
        2;
    RecordedApp& a = app(*pid);
    a.activation = std::max(a.activation.value_or(0), std::max(delay, 0.0));
    activation.reset();
  } else if (e.event == "sys.screens" && value) {
    std::vector<RecordingScreen> now;
    for (const JsonValue& s : value->items) {
      if (s.items.size() != 2) continue;
      now.push_back({rectOf(&s.items[0]).value_or(Rect{}), rectOf(&s.items[1]).value_or(Rect{})});
    }
    bool differs = now.size() != screens.size();
    for (std::size_t i = 0; !differs && i < now.size(); ++i) {
      differs = !same(now[i].frame, screens[i].frame) || !same(now[i].visible, screens[i].visible);
    }
    if (differs) {
      RecordedAction change;
      change.kind = RecordedActionKind::Screens;
      change.time = (screensReadAt + e.before) / 2;
      change.screens = now;
      desktop.actions.push_back(change);
      screens = now;
    }
    screensReadAt = e.before;
  } else if (e.event == "tap.event") {
    const std::string type = textOf(e.field("type"));
    RecordedAction a;
    a.time = e.before;
    a.point = {numberOf(e.field("x")).value_or(0), numberOf(e.field("y")).value_or(0)};
    a.flags = static_cast<std::uint64_t>(numberOf(e.field("flags")).value_or(0));
    if (type == "leftDown") {
      closeStretch();
      closeActivation(true);
      writing.reset();
      clickAt = e.before;
      a.kind = RecordedActionKind::Press;
      walkMatch.reset();
    } else if (type == "leftUp") {
      a.kind = RecordedActionKind::Release;
    } else if (type == "leftDragged") {
      a.kind = RecordedActionKind::Drag;
    } else {
      a.kind = RecordedActionKind::TapDisabled;
      a.reason = type == "disabledByTimeout" ? "timeout" : "input";
    }
    desktop.actions.push_back(a);
  } else if (e.event == "ws.walk" && value) {
    for (const JsonValue& entry : value->items) {
      if (entry.items.size() != 5) continue;
      const auto ownerPid = static_cast<std::int32_t>(entry.items[3].number);
      RecordedWindow& w = window(static_cast<std::uint32_t>(entry.items[4].number), ownerPid);
      if (!w.walked) {
        w.walked = true;
        w.layer = static_cast<std::int64_t>(entry.items[0].number);
        w.frame = frameOf(&entry.items[1]);
        if (entry.items[2].kind == JsonValue::Kind::Null) {
          w.alpha.reset();
        } else {
          w.alpha = entry.items[2].number;
        }
      }
      walkMatch = std::make_pair(w.number, ownerPid);
    }
  } else if (e.event == "ax.application") {
    app(static_cast<std::int32_t>(numberOf(e.field("pid")).value_or(0)));
  } else if (e.event == "ax.copyMany" && slot(e, "AXWindow")) {
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
      if (!b.subrole.empty()) w->buttons.emplace(b.subrole, b);
    }
  } else if (asksFrame(e) && rc != kPermissionDenied) {
    const auto frame = rc == 0 ? frameOf(value) : std::nullopt;
    RecordedWindow* w = windowAt(element);
    if (frame) {
      if (w && !w->frame) w->frame = frame;
      if (writing && writing->window == element) readAfterWrite(*w, *frame, e.before);
      if (stretch && stretch->window == element && e.thread == "fill") {
        stretch->reads.emplace_back(e.before, *frame);
      }
      lastFrame[element] = {e.before, *frame};
    } else if (w && !w->unreadableFrom) {
      const auto last = lastFrame.find(element);
      w->unreadableFrom = last == lastFrame.end() ? 0 : (last->second.first + e.before) / 2;
    }
  } else if (e.event == "ax.copy" && attribute == "AXFullScreen") {
    if (RecordedWindow* w = windowAt(element)) w->fullScreen = boolOf(value);
  } else if (e.event == "ax.settable" && attribute == "AXSize") {
    if (RecordedWindow* w = windowAt(element)) w->resizable = boolOf(value);
  } else if (e.event == "ax.copy" && attribute == "AXMenuBar" && pid) {
    const std::string bar = rc == 0 ? elementOf(value) : std::string();
    app(*pid).menuBar = bar.empty() ? MenuBarSeen::None : MenuBarSeen::Read;
    if (!bar.empty()) menuBars[*pid] = bar;
  } else if (e.event == "ax.copy" && attribute == "AXEnhancedUserInterface" && pid && rc == 0) {
    if (!app(*pid).enhancedUserInterface) app(*pid).enhancedUserInterface = boolOf(value);
  } else if (e.event == "ax.copy" && attribute == "AXChildren" && rc == 0) {
    children[element] = elementsOf(value);
  } else if (e.event == "ax.copyMany" && slot(e, "AXIdentifier")) {
    RecordedItem& item = items[element];
    const JsonValue* id = slot(e, "AXIdentifier");
    if (id && !isError(*id)) item.identifier = id->text;
    if (const JsonValue* k = slot(e, "AXMenuItemCmdChar"); k && !isError(*k)) item.key = k->text;
    if (const JsonValue* m = slot(e, "AXMenuItemCmdModifiers"); m && !isError(*m)) {
      item.modifiers = static_cast<std::int64_t>(m->number);
    }
    if (const JsonValue* c = slot(e, "AXChildren"); c && !isError(*c)) {
      children[element] = elementsOf(c);
    }
  } else if (e.event == "ax.copy" && attribute == "AXEnabled" && items.count(element)) {
    items[element].enabled = boolOf(value).value_or(true);
  } else if (e.event == "ax.perform" && textOf(e.field("action")) == "AXPress" &&
             items.count(element)) {
    if (rc && *rc != 0) items[element].pressAnswer = static_cast<std::int64_t>(*rc);
    closeStretch();
    std::string windowElement;
    for (const auto& [el, last] : lastFrame) {
      if (pidOfElement(el) == pid &&
          (windowElement.empty() || last.first >= lastFrame[windowElement].first)) {
        windowElement = el;
      }
    }
    if (!windowElement.empty()) {
      stretch =
          TilingStretch{element, 0, windowElement, e.before, lastFrame[windowElement].second, {}};
    }
  } else if (e.event == "kb.post" && boolOf(e.field("down")).value_or(false)) {
    const auto key = static_cast<std::uint16_t>(numberOf(e.field("key")).value_or(0));
    if (key == 3 || key == 15) {
      closeStretch();
      // The window of the run: the one whose frame was read last on the fill queue.
      std::string windowElement;
      double latest = -1;
      for (const auto& [el, last] : lastFrame) {
        if (last.first >= latest) {
          latest = last.first;
          windowElement = el;
        }
      }
      if (!windowElement.empty()) {
        stretch =
            TilingStretch{{}, key, windowElement, e.before, lastFrame[windowElement].second, {}};
      }
    }
  } else if (e.event == "ax.set" && (attribute == "AXPosition" || attribute == "AXSize")) {
    // The program moving the window itself: what follows is no longer the system's answer.
    closeStretch();
    if (rc == 0) wrote(element, attribute, e.field("value"), e.before);
  } else if (e.event == "ax.perform" && textOf(e.field("action")) == "AXRaise") {
    raised = element;
  } else if (e.event == "ax.set" && attribute == "AXFrontmost" && pid) {
    if (!activation) activation = Activation{*pid, raised, e.before, e.before, e.before};
  } else if (e.event == "ax.copy" && attribute == "AXTitle" && value && value->find("hash")) {
    titleHashes[element] = textOf(value->find("hash"));
  } else if (e.event == "log" && value) {
    // A title the program logged, between single quotes, may be matched to a window by its hash.
    for (std::size_t open = value->text.find('\''); open != std::string::npos;) {
      const std::size_t close = value->text.find('\'', open + 1);
      if (close == std::string::npos) break;
      const std::string quoted = value->text.substr(open + 1, close - open - 1);
      loggedTitles[textHash(quoted)] = quoted;
      open = value->text.find('\'', close + 1);
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

void Reader::finish() {
  closeStretch();
  closeActivation(false);
  for (const auto& [element, hash] : titleHashes) {
    const auto title = loggedTitles.find(hash);
    RecordedWindow* w = windowAt(element);
    if (w && title != loggedTitles.end()) w->title = title->second;
  }
  for (auto& [pid, times] : latencies) {
    if (RecordedApp* a = desktop.app(pid)) a->latency = median(times);
  }
  for (RecordedApp& a : desktop.apps) {
    const auto bar = menuBars.find(a.pid);
    if (bar == menuBars.end()) continue;
    for (const std::string& barItem : children[bar->second]) {
      RecordedMenu menu;
      const auto found = children.find(barItem);
      if (found != children.end() && !found->second.empty()) {
        for (const std::string& child : children[found->second.front()]) {
          menu.items.push_back(buildItem(child, 0));
        }
      }
      a.menus.push_back(std::move(menu));
    }
  }
  // A revocation, and the event tap disabled with it: at once, later, or not within the recording.
  double previous = 0;
  for (RecordedAction change : permissionChanges) {
    if (!change.granted) {
      change.tapNoticeAfter = desktop.lastTime + 1 - change.time;
      for (auto it = desktop.actions.begin(); it != desktop.actions.end(); ++it) {
        if (it->kind != RecordedActionKind::TapDisabled || it->reason != "input" ||
            it->time < previous) {
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
  std::stable_sort(
      desktop.actions.begin(), desktop.actions.end(),
      [](const RecordedAction& a, const RecordedAction& b) { return a.time < b.time; });
  std::sort(desktop.windows.begin(), desktop.windows.end(),
            [](const RecordedWindow& a, const RecordedWindow& b) { return a.number < b.number; });
}

}  // namespace

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
  for (const RecordedEvent& e : recording.events) reader.read(e);
  reader.finish();
  return reader.desktop;
}

}  // namespace plumora::simtool
