// The timeline's lines as the run goes, and the expectations at the end.
#include "run/timeline.hpp"

#include <cstdio>

#include "accessibility/rect_text.hpp"
#include "run/text_format.hpp"
#include "scenario/key_names.hpp"
#include "sim/virtual_clock.hpp"
#include "support/log_file.hpp"

namespace plumora::simtool {
namespace {

std::string eventText(EventType type) {
  switch (type) {
    case EventType::LeftMouseDown:
      return "press";
    case EventType::LeftMouseDragged:
      return "drag";
    case EventType::LeftMouseUp:
      return "release";
    case EventType::TapDisabledByTimeout:
      return "tap-disabled notice (timeout)";
    case EventType::TapDisabledByUserInput:
      return "tap-disabled notice (input)";
    default:
      return "event " + std::to_string(static_cast<std::uint32_t>(type));
  }
}

std::string keyText(const sim::PostedKey& key) {
  std::string text = modifierText(key.flags);
  text += text.empty() ? "" : "+";
  if (key.keyCode == kFillKeyCode) return text + "F";
  if (key.keyCode == kRestoreKeyCode) return text + "R";
  return text + "key " + std::to_string(key.keyCode);
}

}  // namespace

void Timeline::line(double time, std::string_view tag, const std::string& text, Happening about) {
  if (quiet_ && !listener_) return;
  char column[48];
  std::snprintf(column, sizeof column, "%8.3f  %-8.*s ", time, static_cast<int>(tag.size()),
                tag.data());
  const std::string printed = column + text;
  if (!quiet_) out_ << printed << '\n';
  if (!listener_) return;
  about.time = time;
  about.tag = tag;
  about.line = printed;
  listener_(about);
}

void Timeline::flushKeys() {
  const auto& posted = mac_.keyboard.posted();
  for (; keysPrinted_ < posted.size(); ++keysPrinted_) {
    const sim::PostedKey& key = posted[keysPrinted_];
    if (!key.down) continue;
    Happening about;
    about.keys = keyText(key);
    line(key.time, "keys", "shortcut " + about.keys + " posted", about);
  }
}

std::string Timeline::actionText(const Action& action, std::optional<Point> at) const {
  if (const auto* mouse = std::get_if<MouseAction>(&action.what)) {
    static constexpr const char* kVerbs[] = {"click", "press", "drag", "release"};
    std::string text = kVerbs[static_cast<int>(mouse->phase)];
    if (mouse->target.window) {
      text += ' ';
      text += buttonText(mouse->target.button);
      text += " of ";
      text += *mouse->target.window;
    }
    text += (mouse->phase == MousePhase::Drag ? " to " : " at ") + pointText(at.value_or(Point{}));
    if (mouse->flags) text += " with " + modifierText(mouse->flags);
    return text;
  }
  if (const auto* notice = std::get_if<TapDisabled>(&action.what)) {
    return std::string("the system disables the event tap (") +
           (notice->reason == EventType::TapDisabledByTimeout ? "timeout" : "input") + ")";
  }
  if (const auto* focus = std::get_if<FocusWindow>(&action.what)) {
    return "the user brings " + (focus->window.empty() ? focus->app : focus->window) +
           " to the front";
  }
  if (const auto* move = std::get_if<MoveWindow>(&action.what)) {
    return "the user moves " + move->window + " to " + describe(move->frame);
  }
  if (const auto* change = std::get_if<ChangeFullScreen>(&action.what)) {
    return change->window + (change->on ? " enters" : " leaves") + " full screen";
  }
  if (const auto* unreadable = std::get_if<MakeUnreadable>(&action.what)) {
    return "the frame of " + unreadable->window + " can no longer be read";
  }
  if (const auto* add = std::get_if<AddScreen>(&action.what)) {
    return "a screen is added: " + describe(add->screen.frame) + ", visible " +
           describe(add->screen.visible) + " (system coordinates)";
  }
  if (const auto* remove = std::get_if<RemoveScreen>(&action.what)) {
    return "screen " + std::to_string(remove->index) + " is removed";
  }
  if (const auto* rebuild = std::get_if<RebuildMenus>(&action.what)) {
    return rebuild->app + " builds its menus again";
  }
  if (std::holds_alternative<OpenStatusMenu>(action.what)) return "open the status menu";
  if (const auto* choice = std::get_if<ChooseMenuItem>(&action.what)) {
    return "choose \"" + choice->title + "\" in the status menu" +
           (choice->inOpenMenu ? ", open since before" : "");
  }
  const auto& permission = std::get<ChangePermission>(action.what);
  std::string text = std::string("the accessibility permission is ") +
                     (permission.granted ? "granted" : "revoked");
  if (permission.tapNoticeAfter > 0) {
    text += ", the event tap told " + numberText(permission.tapNoticeAfter) + " s later";
  }
  return text;
}

void Timeline::action(const Action& action, std::optional<Point> at) {
  flushKeys();
  const bool user = std::holds_alternative<MouseAction>(action.what) ||
                    std::holds_alternative<OpenStatusMenu>(action.what) ||
                    std::holds_alternative<ChooseMenuItem>(action.what);
  Happening about;
  about.pointer = at;
  about.action = &action;
  line(action.time, user ? "user" : "world", actionText(action, at), about);
}

void Timeline::log(const sim::LogCapture::Record& record) {
  flushKeys();
  const std::string text = formatTimestamp(sim::localTimeAt(record.time)) + " " + record.message;
  if (quiet_) out_ << text << '\n';
  Happening about;
  about.message = record.message;
  line(record.time, "log", text, about);
}

void Timeline::input(const sim::InputRecord& record) {
  flushKeys();
  const bool mouse = record.type == EventType::LeftMouseDown ||
                     record.type == EventType::LeftMouseUp ||
                     record.type == EventType::LeftMouseDragged;
  std::string text = eventText(record.type);
  if (mouse) text += " at " + pointText(record.location);
  if (!record.verdict) {
    text += ": no event tap";
  } else {
    text += *record.verdict == TapVerdict::Swallow ? ": swallowed by Plumora" : ": passed";
  }
  if (record.deliveredTo) {
    text += ", reached " + world_.appName(*record.deliveredTo);
  } else if (mouse && record.verdict != TapVerdict::Swallow) {
    text += ", reached no application";
  }
  Happening about;
  about.input = &record;
  line(record.time, "input", text, about);
  flushHeld();
  windowStates(record.time);
}

void Timeline::holdWindowChanges(bool hold) {
  holding_ = hold;
  if (!hold) flushHeld();
}

void Timeline::flushHeld() {
  for (const HeldChange& held : held_) {
    Happening about;
    about.frame = held.change;
    line(held.time, "frame", held.text, about);
  }
  held_.clear();
}

void Timeline::windowStates(double time) {
  const auto& windows = world_.windows();
  states_.resize(windows.size(), WindowState{false, true});
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const auto& [name, window] = windows[i];
    WindowState& known = states_[i];
    Happening about;
    about.window = window;
    if (window->fullScreen != known.fullScreen) {
      line(time, "window", name + (window->fullScreen ? " enters" : " leaves") + " full screen",
           about);
    }
    if (window->onScreen != known.onScreen) {
      line(time, "window", name + (window->onScreen ? " opens" : " closes"), about);
    }
    known = WindowState{window->fullScreen, window->onScreen};
  }
}

void Timeline::frameChanged(const sim::SimWindow& window, Rect before) {
  flushKeys();
  std::string text =
      world_.windowName(window.number) + " " + describe(before) + " -> " + describe(window.frame);
  const Happening::FrameChange change{window.number, before, window.frame};
  if (holding_) {
    held_.push_back(HeldChange{mac_.clock.mediaTime(), std::move(text), change});
  } else {
    Happening about;
    about.frame = change;
    line(mac_.clock.mediaTime(), "frame", text, about);
  }
}

void Timeline::menu(const std::vector<MenuItemModel>& items) {
  flushKeys();
  std::string text;
  for (const MenuItemModel& item : items) {
    text += text.empty() ? "" : " | ";
    if (item.separator) {
      text += "---";
      continue;
    }
    const std::string title = (item.checked ? "[x] " : "") + item.title;
    text += item.enabled ? title : "(" + title + ")";
  }
  line(mac_.clock.mediaTime(), "menu", text);
}

void Timeline::menuNote(const std::string& text) {
  line(mac_.clock.mediaTime(), "menu", text);
}

void Timeline::end(double time) {
  flushKeys();
  line(time, "end", "of the run");
}

void Timeline::results(std::string_view file, const std::vector<ExpectationResult>& results,
                       std::ostream& errors) {
  std::size_t met = 0;
  if (!quiet_ && !results.empty()) out_ << "expectations\n";
  for (const ExpectationResult& r : results) {
    const std::string where = std::string(file) + ":" + std::to_string(r.line);
    if (r.met) ++met;
    if (quiet_) {
      if (!r.met)
        errors << where << ": expectation not met: " << r.expected << ": " << r.seen << '\n';
    } else if (r.met) {
      out_ << "  met     " << where << "  " << r.expected << '\n';
    } else {
      out_ << "  FAILED  " << where << "  " << r.expected << ": " << r.seen << '\n';
    }
  }
  if (!quiet_ && !results.empty()) {
    out_ << met << " of " << results.size() << " expectations met\n";
  }
}

}  // namespace plumora::simtool
