#include "scenario/scenario_event_lines.hpp"

#include "scenario/key_names.hpp"
#include "scenario/scenario_limits.hpp"

namespace plumora::simtool {
namespace {

std::string windowName(Words& w, const Scenario& declared) {
  std::string name = w.text("a window's name");
  if (!declared.window(name)) w.fail("unknown window '" + name + "'");
  return name;
}

std::string appName(Words& w, const Scenario& declared) {
  std::string name = w.text("an app's name");
  if (!declared.app(name)) w.fail("unknown app '" + name + "'");
  return name;
}

Target target(Words& w, const Scenario& declared) {
  Target t;
  if (w.nextIsPoint()) {
    t.point = w.point();
    return t;
  }
  t.window = windowName(w, declared);
  const std::string button = w.keyword("'green', 'close' or 'minimize'");
  if (button == "green") {
    t.button = ButtonKind::Green;
  } else if (button == "close") {
    t.button = ButtonKind::Close;
  } else if (button == "minimize") {
    t.button = ButtonKind::Minimize;
  } else {
    w.fail("unknown button '" + button + "'");
  }
  return t;
}

// "with option shift", or "with option+shift", to the end of the line.
std::uint64_t modifiers(Words& w) {
  if (!w.accept("with")) return 0;
  std::uint64_t flags = 0;
  do {
    const std::string words = w.keyword("a modifier key");
    std::size_t start = 0;
    for (;;) {
      const auto plus = words.find('+', start);
      const std::string name = words.substr(start, plus - start);
      bool known = false;
      for (const ModifierName& m : kModifierNames) {
        if (m.name == name) {
          flags |= m.flag;
          known = true;
        }
      }
      if (!known) w.fail("unknown modifier '" + name + "'");
      if (plus == std::string::npos) break;
      start = plus + 1;
    }
  } while (!w.atEnd());
  return flags;
}

EventType mouseEvent(Words& w) {
  const std::string name = w.keyword("'press', 'drag' or 'release'");
  if (name == "press") return EventType::LeftMouseDown;
  if (name == "drag") return EventType::LeftMouseDragged;
  if (name == "release") return EventType::LeftMouseUp;
  w.fail("unknown mouse event '" + name + "'");
}

}  // namespace

ScreenSpec readScreenFrames(Words& w) {
  ScreenSpec screen;
  screen.frame = w.rect();
  w.require("visible");
  screen.visible = w.rect();
  return screen;
}

Action readAction(Words& w, const Scenario& declared) {
  Action action;
  action.line = w.lineNumber();
  action.time = w.seconds("a time in seconds");
  const std::string verb = w.keyword("an action");
  const auto mouse = [&](MousePhase phase) {
    MouseAction m{phase, target(w, declared), 0};
    m.flags = modifiers(w);
    return m;
  };
  if (verb == "click") {
    action.what = mouse(MousePhase::Click);
  } else if (verb == "press") {
    action.what = mouse(MousePhase::Press);
  } else if (verb == "drag") {
    action.what = mouse(MousePhase::Drag);
  } else if (verb == "release") {
    action.what = mouse(MousePhase::Release);
  } else if (verb == "tap-disabled") {
    const std::string reason = w.keyword("'timeout' or 'input'");
    if (reason != "timeout" && reason != "input") w.fail("unknown reason '" + reason + "'");
    action.what = TapDisabled{reason == "timeout" ? EventType::TapDisabledByTimeout
                                                  : EventType::TapDisabledByUserInput};
  } else if (verb == "focus") {
    action.what = FocusWindow{windowName(w, declared), {}};
  } else if (verb == "activate") {
    action.what = FocusWindow{{}, appName(w, declared)};
  } else if (verb == "move") {
    std::string window = windowName(w, declared);
    action.what = MoveWindow{std::move(window), w.rect()};
  } else if (verb == "full-screen") {
    ChangeFullScreen change{windowName(w, declared), true};
    const std::string state = w.keyword("'on' or 'off'");
    if (state != "on" && state != "off")
      w.fail("full-screen is 'on' or 'off', not '" + state + "'");
    change.on = state == "on";
    action.what = change;
  } else if (verb == "unreadable") {
    action.what = MakeUnreadable{windowName(w, declared)};
  } else if (verb == "add-screen") {
    action.what = AddScreen{readScreenFrames(w)};
  } else if (verb == "remove-screen") {
    const std::int64_t index = w.integer("a screen number");
    if (index < 0) w.fail("screens are numbered from 0");
    action.what = RemoveScreen{static_cast<std::size_t>(index)};
  } else if (verb == "rebuild-menus") {
    action.what = RebuildMenus{appName(w, declared)};
  } else if (verb == "menu") {
    action.what = OpenStatusMenu{};
  } else if (verb == "choose") {
    ChooseMenuItem choice{w.text("the title of an item of the status menu")};
    choice.inOpenMenu = w.accept("in-open-menu");
    action.what = choice;
  } else if (verb == "permission") {
    const std::string change = w.keyword("'granted' or 'revoked'");
    if (change != "granted" && change != "revoked") {
      w.fail("unknown permission change '" + change + "'");
    }
    ChangePermission permission{change == "granted"};
    if (!permission.granted && w.accept("tap-notice-after")) {
      permission.tapNoticeAfter = w.delay("a delay in seconds");
    }
    action.what = permission;
  } else {
    w.fail("unknown action '" + verb + "'");
  }
  return action;
}

Expectation readExpectation(Words& w, const Scenario& declared) {
  Expectation e;
  e.line = w.lineNumber();
  const bool negated = w.accept("no");
  const std::string what = w.keyword("what to expect");
  if (what == "log") {
    LogExpectation log;
    log.present = !negated;
    log.containing = w.accept("containing");
    log.text = w.text("the text of a log line");
    if (!negated && w.accept("times")) {
      const std::int64_t times = w.integer("a number of times");
      if (times < 1) w.fail("'times' counts from 1: use 'expect no log' for none");
      if (times > limits::kMaxRepeats) {
        w.fail("a number of times is at most " + std::to_string(limits::kMaxRepeats));
      }
      log.times = static_cast<int>(times);
    }
    e.what = std::move(log);
  } else if (negated) {
    w.fail("'expect no' is followed by 'log'");
  } else if (what == "frame") {
    FrameExpectation frame;
    frame.window = windowName(w, declared);
    frame.frame = w.rect();
    while (!w.atEnd()) {
      if (w.accept("within")) {
        frame.tolerance = w.length("a tolerance in points");
      } else if (w.accept("at")) {
        frame.at = w.seconds("a time in seconds");
      } else {
        w.unexpected("'within' or 'at'");
      }
    }
    e.what = std::move(frame);
  } else if (what == "received") {
    ReceivedExpectation received;
    received.app = appName(w, declared);
    if (w.accept("from")) received.from = w.seconds("a time in seconds");
    if (!w.accept("nothing")) {
      do {
        received.events.push_back(mouseEvent(w));
      } while (!w.atEnd());
    }
    e.what = std::move(received);
  } else if (what == "menu") {
    MenuExpectation menu;
    menu.title = w.text("the title of an item of the status menu");
    const std::string state = w.keyword("'checked', 'unchecked', 'disabled' or 'absent'");
    if (state == "checked") {
      menu.state = MenuItemState::Checked;
    } else if (state == "unchecked") {
      menu.state = MenuItemState::Unchecked;
    } else if (state == "disabled") {
      menu.state = MenuItemState::Disabled;
    } else if (state == "absent") {
      menu.state = MenuItemState::Absent;
    } else {
      w.fail("unknown menu item state '" + state + "'");
    }
    e.what = std::move(menu);
  } else if (what == "shortcuts") {
    ShortcutExpectation shortcuts;
    if (!w.accept("none")) {
      do {
        const std::string name = w.keyword("'fill' or 'restore'");
        if (name == "fill") {
          shortcuts.shortcuts.push_back(TilingShortcut::Fill);
        } else if (name == "restore") {
          shortcuts.shortcuts.push_back(TilingShortcut::Restore);
        } else {
          w.fail("unknown shortcut '" + name + "'");
        }
      } while (!w.atEnd());
    }
    e.what = std::move(shortcuts);
  } else {
    w.fail("unknown expectation '" + what + "'");
  }
  return e;
}

}  // namespace plumora::simtool
