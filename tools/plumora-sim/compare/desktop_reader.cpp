#include "compare/desktop_reader.hpp"

#include <algorithm>
#include <cmath>

#include "compare/recorded_values.hpp"
#include "recording/trace_text.hpp"
#include "support/exception_list.hpp"

namespace plumora::simtool::recorded {

void Reader::finishParked(std::size_t i) {
  std::optional<TilingStretch> saved = std::move(stretch);
  stretch = parked[i];
  parked.erase(parked.begin() + static_cast<std::ptrdiff_t>(i));
  closeStretch();
  stretch = std::move(saved);
}

bool Reader::timedOut(const RecordedEvent& notice) {
  // A timeout notice that comes as a callback returns, the callback having taken some time: the
  // system disabled the tap during it and told the tap's thread once it was over.
  if (textOf(notice.field("type")) != "disabledByTimeout" || !callback || !callback->returned ||
      std::fabs(notice.before - *callback->returned) > 0.001 ||
      *callback->returned <= callback->began) {
    return false;
  }
  tapKeptFor = std::max(tapKeptFor, callback->enabledUntil - callback->began);
  lostCallbacks.push_back(*callback);
  callback.reset();
  return true;
}

void Reader::callbackEnded() {
  if (callback && callback->returned) {
    tapKeptFor = std::max(tapKeptFor, *callback->returned - callback->began);
  }
  callback.reset();
}

// Input taken the moment a long callback returned was made while it ran, as was input taken
// with it.
void Reader::inputTaken(double at) {
  const bool waited = callback && callback->returned &&
                      std::fabs(at - *callback->returned) < 0.001 &&
                      *callback->returned > callback->began + 0.001;
  if (waited && !madeWhileBusy) {
    madeWhileBusy = std::make_pair(callback->began, desktop.actions.size());
  } else if (!waited && !(madeWhileBusy && std::fabs(at - lastInputAt) < 0.001)) {
    madeWhileBusy.reset();
  }
  lastInputAt = at;
}

void Reader::read(const RecordedEvent& e) {
  desktop.lastTime = std::max(desktop.lastTime, e.after);
  // The main thread's work that came the moment a run of some length ended waited for it: the
  // user's doing was made during the run.
  const bool afterRun = previousThread == "fill" && e.thread == "main" &&
                        std::fabs(e.before - fillEnded) < 0.0005 && fillEnded > fillBegan + 0.001;
  madeDuringRun = afterRun ? std::optional(fillBegan + 0.001) : std::nullopt;
  // A run on the fill queue starts by asking for the application's element; a look at the
  // window later on, after a pause that left the main thread free, is a task of its own.
  if (e.thread == "fill" && (e.event == "ax.application" || e.before > fillEnded + 0.0005)) {
    fillBegan = e.before;
  }
  if (e.thread == "fill") fillEnded = e.after;
  previousThread = e.thread;
  const std::string element = textOf(e.field("el"));
  const std::string attribute = textOf(e.field("attr"));
  const JsonValue* value = e.field("v");
  const auto rc = numberOf(e.field("rc"));
  const auto pid = pidOfElement(element);
  if (rc == kCannotComplete && e.after > e.before) {
    // Given up on after the messaging timeout: the application answering (the one under the
    // point, for a hit test) takes longer than that.
    const auto slow = pid ? pid : walkMatch ? std::optional(walkMatch->second) : std::nullopt;
    if (slow) waitedInVain[*slow] = std::max(waitedInVain[*slow], e.after - e.before);
  } else if (pid && e.event.rfind("ax.", 0) == 0 && rc != kPermissionDenied) {
    latencies[*pid].push_back(e.after - e.before);
  }

  if (activation && e.thread == "fill" && e.event != "sys.frontmost" &&
      !(e.event == "ax.copy" && (attribute == "AXFocusedWindow" || attribute == "AXMainWindow")) &&
      !(e.event == "ax.perform" && textOf(e.field("action")) == "AXRaise") && e.event != "ax.set") {
    activation->movedOn = true;
  }
  const auto listed = [&] {
    return std::any_of(children.begin(), children.end(), [&](const auto& parent) {
      return std::find(parent.second.begin(), parent.second.end(), element) != parent.second.end();
    });
  };
  if (pid && rc == kInvalidElement &&
      (items.count(element) || children.count(element) || menuBars[*pid] == element || listed())) {
    // A menu element found earlier is no longer valid: the application built its menus again
    // before the first such request, and the program searches them afresh.
    if (!menusStale[*pid]) {
      menusStale[*pid] = true;
      RecordedAction rebuilt;
      rebuilt.kind = RecordedActionKind::RebuildMenus;
      // Within the request, as late as it allows: a slow application's earlier requests,
      // which found their elements valid, end where this one begins.
      rebuilt.time = std::max(0.0, e.after > e.before + 0.001 ? e.after - 0.001 : e.before - 0.001);
      rebuilt.pid = *pid;
      desktop.actions.push_back(rebuilt);
    }
    return;
  }
  if (e.event == "sys.pid") {
    desktop.ownPid = static_cast<std::int32_t>(numberOf(value).value_or(0));
  } else if (e.event == "login.status" && value && value->kind == JsonValue::Kind::Number) {
    // As the system had it at launch, then as a registration of the program's left it.
    auto& known =
        loginRegistered ? desktop.settings.loginItemRegistered : desktop.settings.loginItem;
    if (!known) known = static_cast<int>(value->number);
    loginRegistered = false;
  } else if (e.event == "login.register") {
    loginRegistered = boolOf(value).value_or(false);
  } else if (e.event == "log.enabled" && value && value->kind == JsonValue::Kind::Bool) {
    auto& kept = textOf(e.field("level")) == "debug" ? desktop.settings.unifiedLogDebug
                                                     : desktop.settings.unifiedLogDefault;
    if (!kept) kept = value->boolean;
  } else if (e.event == "sys.shortVersion" && value && value->kind == JsonValue::Kind::String) {
    desktop.programVersion = value->text;
  } else if (e.event == "sys.osVersion" && value && value->kind == JsonValue::Kind::String) {
    desktop.systemVersion = value->text;
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
        noticed = true;
      } else {
        noticed = false;
      }
      permissionChanges.push_back(change);
    } else if (trusted && trust && notices.size() >= 2) {
      // Two notices and the permission as it was: taken away and given back before a look.
      for (const bool granted : {!*trust, *trust}) {
        RecordedAction change;
        change.kind = RecordedActionKind::Permission;
        change.time = notices.front();
        change.granted = granted;
        notices.erase(notices.begin());
        permissionChanges.push_back(change);
      }
    }
    if (trusted) trust = trusted;
  } else if (e.event == "sys.notice") {
    if (!permissionChanges.empty() && !noticed &&
        std::fabs(permissionChanges.back().time - e.before) < 0.001) {
      // The notice of a change the tap's thread had already read and placed.
      noticed = true;
    } else {
      notices.push_back(e.before);
    }
  } else if (e.event == "defaults.setBool" || e.event == "defaults.setStrings") {
    settingWritten[textOf(e.field("key"))] = true;
  } else if (e.event == "defaults.value" && value &&
             textOf(e.field("key")) == ExceptionList::kKey) {
    // What the user stored, good or bad, as read before the program wrote a list of its own.
    const std::string key(ExceptionList::kKey);
    if (!settingWritten[key] && !exceptionsRead) desktop.settings.exceptions = *value;
    exceptionsRead = true;
  } else if ((e.event == "sys.bundleOf" || e.event == "sys.appName") && value) {
    const auto of = static_cast<std::int32_t>(numberOf(e.field("pid")).value_or(0));
    if (of > 0 && of != desktop.ownPid) {
      RecordedApp& a = app(of);
      if (e.event == "sys.appName" && value->kind == JsonValue::Kind::String && !a.name) {
        a.name = value->text;
      } else if (e.event == "sys.bundleOf" && value->kind == JsonValue::Kind::String) {
        if (!a.bundleId) a.bundleId = value->text;
      } else if (e.event == "sys.bundleOf" && value->kind == JsonValue::Kind::Null) {
        a.bundleless = !a.bundleId;
      }
    }
  } else if (e.event == "menu.open") {
    RecordedAction open;
    open.kind = RecordedActionKind::OpenMenu;
    open.time = madeDuringRun.value_or(e.before);
    if (madeDuringRun) open.takenAt = e.before;
    openedAt = e.before;
    desktop.actions.push_back(open);
  } else if (e.event == "menu.choice") {
    menuChosen(e);
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
    if (activation) {
      activation->previousPoll = activation->poll;
      activation->poll = e.before;
      front = now;
      frontReadAt = e.before;
    } else {
      frontSeen(now, 0, e.before);
    }
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
  } else if (e.event == "tap.verdict") {
    if (callback && !callback->returned) callback->returned = e.before;
  } else if (e.event == "tap.isEnabled" && callback && e.before >= callback->began) {
    const bool on = boolOf(value).value_or(true);
    if (on && (!callback->returned || e.before < *callback->returned)) {
      callback->enabledUntil = std::max(callback->enabledUntil, e.before);
    }
    if (!on && !callback->disabledAt) callback->disabledAt = e.before;
  } else if (e.event == "tap.event" && timedOut(e)) {
    // The system's own doing, which the derived run repeats from the tap's timeout.
  } else if (e.event == "tap.event") {
    const std::string type = textOf(e.field("type"));
    if (type == "leftDown" || type == "leftUp" || type == "leftDragged") {
      inputTaken(e.before);
      callbackEnded();
      callback = TapCallback{e.before, {}, e.before, {}};
    }
    RecordedAction a;
    a.time = e.before;
    a.point = {numberOf(e.field("x")).value_or(0), numberOf(e.field("y")).value_or(0)};
    a.flags = static_cast<std::uint64_t>(numberOf(e.field("flags")).value_or(0));
    if (type == "leftDown") {
      writing.reset();
      clickAt = e.before;
      pressedAt = a.point;
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
    walked(e);
  } else if (e.event == "ax.application") {
    if (e.thread == "fill") {
      if (stretch && stretch->before && lastFrame[stretch->window].first <= stretch->began &&
          std::all_of(stretch->reads.begin(), stretch->reads.end(),
                      [&](const auto& r) { return same(r.second, *stretch->before); })) {
        // Not seen tiling yet: later reads of the window, from any thread, still tell when.
        parked.push_back(*stretch);
        stretch.reset();
      } else {
        closeStretch();
      }
      closeActivation(true);
    }
    app(static_cast<std::int32_t>(numberOf(e.field("pid")).value_or(0)));
  } else if (e.event == "ax.copyMany" && slot(e, "AXWindow")) {
    buttonRead(e);
  } else if (readsFrame(e) && rc != kPermissionDenied) {
    frameRead(e);
  } else if (e.event == "ax.copy" && attribute == "AXFullScreen") {
    fullScreenSeen(e);
  } else if (e.event == "ax.settable" && attribute == "AXSize") {
    if (RecordedWindow* w = windowAt(element)) w->resizable = boolOf(value);
  } else if (e.event == "ax.copy" && attribute == "AXMenuBar" && pid) {
    const std::string bar = rc == 0 ? elementOf(value) : std::string();
    app(*pid).menuBar = bar.empty() ? MenuBarSeen::None : MenuBarSeen::Read;
    menusStale[*pid] = false;
    const auto known = menuBars.find(*pid);
    if (!bar.empty() && known != menuBars.end() && known->second != bar) {
      earlierBars[*pid].push_back(known->second);
    }
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
    const RecordedWindow* w = windowAt(element);
    raisedSinceWalk.insert(w ? w->number : 0);
  } else if (e.event == "ax.set" && attribute == "AXFrontmost" && pid) {
    if (!activation) activation = Activation{*pid, raised, e.after, e.after, e.after};
  } else if (e.event == "ax.copy" && attribute == "AXTitle" && value && value->find("hash")) {
    titleHashes[element] = textOf(value->find("hash"));
    if (RecordedWindow* w = windowAt(element); w && !w->titleLength) {
      w->titleLength =
          static_cast<std::size_t>(std::max(0.0, numberOf(value->find("len")).value_or(0)));
    }
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

}  // namespace plumora::simtool::recorded
