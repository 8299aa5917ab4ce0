#include "run/expectations.hpp"

#include <cmath>
#include <limits>

#include "accessibility/rect_text.hpp"
#include "run/text_format.hpp"
#include "scenario/key_names.hpp"

namespace plumora::simtool {
namespace {

std::string times(std::size_t n) {
  return n == 1 ? "once" : std::to_string(n) + " times";
}

ExpectationResult check(const LogExpectation& e, sim::SimMac& mac) {
  ExpectationResult r;
  r.expected = e.present ? "log line " : "no log line ";
  if (e.containing) r.expected += "containing ";
  r.expected += "\"" + e.text + "\"";
  if (e.times) {
    r.expected += ' ';
    r.expected += times(static_cast<std::size_t>(*e.times));
  }
  std::size_t found = 0;
  double first = 0;
  for (const auto& record : mac.unifiedLog.records()) {
    const bool matches =
        e.containing ? record.message.find(e.text) != std::string::npos : record.message == e.text;
    if (matches && found++ == 0) first = record.time;
  }
  if (!e.present) {
    r.met = found == 0;
    r.seen = "written " + times(found) + ", first at " + secondsText(first);
  } else if (e.times) {
    r.met = found == static_cast<std::size_t>(*e.times);
    r.seen = found == 0 ? std::string("never written") : "written " + times(found);
  } else {
    r.met = found > 0;
    r.seen = "never written";
  }
  return r;
}

bool sameWithin(const Rect& a, const Rect& b, double tolerance) {
  return std::fabs(a.origin.x - b.origin.x) <= tolerance &&
         std::fabs(a.origin.y - b.origin.y) <= tolerance &&
         std::fabs(a.size.width - b.size.width) <= tolerance &&
         std::fabs(a.size.height - b.size.height) <= tolerance;
}

ExpectationResult check(const FrameExpectation& e, const World& world, const FrameHistory& frames) {
  ExpectationResult r;
  // The end is whenever the run stopped, which may be past its planned end.
  const double time = e.at.value_or(std::numeric_limits<double>::infinity());
  r.expected = "frame of " + e.window + " " + describe(e.frame) +
               (e.tolerance > 0 ? " within " + numberText(e.tolerance) : "") +
               (e.at ? " at " + secondsText(*e.at) : " at the end");
  const auto frame = frames.at(world.window(e.window)->number, time);
  r.met = frame && sameWithin(*frame, e.frame, e.tolerance);
  r.seen = "was " + describe(frame);
  return r;
}

std::string eventsText(const std::vector<EventType>& events) {
  if (events.empty()) return "nothing";
  std::string text;
  for (EventType type : events) {
    text += text.empty() ? "" : " ";
    text += type == EventType::LeftMouseDown      ? "press"
            : type == EventType::LeftMouseDragged ? "drag"
            : type == EventType::LeftMouseUp      ? "release"
                                                  : "other";
  }
  return text;
}

ExpectationResult check(const ReceivedExpectation& e, const World& world) {
  ExpectationResult r;
  r.expected = e.app + " received " + eventsText(e.events) +
               (e.from > 0 ? " from " + secondsText(e.from) : "");
  std::vector<EventType> received;
  for (const sim::ReceivedEvent& event : world.app(e.app)->received) {
    if (event.time >= e.from) received.push_back(event.type);
  }
  r.met = received == e.events;
  r.seen = "it received " + eventsText(received);
  return r;
}

ExpectationResult check(const ShortcutExpectation& e, sim::SimMac& mac) {
  const auto text = [](const std::vector<std::string>& names) {
    std::string t;
    for (const std::string& n : names) t += (t.empty() ? "" : " ") + n;
    return t.empty() ? std::string("none") : t;
  };
  std::vector<std::string> expected;
  for (TilingShortcut s : e.shortcuts) {
    expected.push_back(s == TilingShortcut::Fill ? "fill" : "restore");
  }
  std::vector<std::string> posted;
  for (const sim::PostedKey& key : mac.keyboard.posted()) {
    if (!key.down) continue;
    posted.push_back(shortcutName(key.keyCode, key.flags));
  }
  ExpectationResult r;
  r.expected = "shortcuts posted: " + text(expected);
  r.met = posted == expected;
  r.seen = "posted: " + text(posted);
  return r;
}

ExpectationResult check(const MenuExpectation& e, sim::SimMac& mac) {
  static constexpr const char* kStates[] = {"checked", "unchecked", "disabled", "absent"};
  const auto stateOf = [&]() -> MenuItemState {
    for (const MenuItemModel& item : mac.statusBar.lastMenu) {
      if (item.separator || item.title != e.title) continue;
      if (!item.enabled) return MenuItemState::Disabled;
      return item.checked ? MenuItemState::Checked : MenuItemState::Unchecked;
    }
    return MenuItemState::Absent;
  };
  const MenuItemState seen = stateOf();
  ExpectationResult r;
  r.expected = "status menu item \"" + e.title + "\" " + kStates[static_cast<int>(e.state)] +
               " when last opened";
  r.met = seen == e.state;
  r.seen = std::string("it was ") + kStates[static_cast<int>(seen)];
  return r;
}

}  // namespace

std::vector<ExpectationResult> checkExpectations(const Scenario& scenario, sim::SimMac& mac,
                                                 const World& world, const FrameHistory& frames) {
  std::vector<ExpectationResult> results;
  for (const Expectation& e : scenario.expectations) {
    ExpectationResult r = std::visit(
        [&](const auto& what) {
          using T = std::decay_t<decltype(what)>;
          if constexpr (std::is_same_v<T, LogExpectation>) return check(what, mac);
          if constexpr (std::is_same_v<T, FrameExpectation>) return check(what, world, frames);
          if constexpr (std::is_same_v<T, ReceivedExpectation>) return check(what, world);
          if constexpr (std::is_same_v<T, ShortcutExpectation>) return check(what, mac);
          if constexpr (std::is_same_v<T, MenuExpectation>) return check(what, mac);
        },
        e.what);
    r.line = e.line;
    results.push_back(std::move(r));
  }
  return results;
}

}  // namespace plumora::simtool
