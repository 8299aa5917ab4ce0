#include "compare/derived_scenario.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>

#include "compare/derived_text.hpp"
#include "compare/stored_exceptions.hpp"
#include "scenario/scenario.hpp"
#include "scenario/scenario_text.hpp"

namespace plumora::simtool {
namespace derived {

std::string rectText(const Rect& r) {
  return decimalText(minX(r)) + "," + decimalText(minY(r)) + " " + decimalText(width(r)) + "x" +
         decimalText(height(r));
}

bool writable(const std::string& text) {
  constexpr std::size_t kLongestName = 200;
  return !text.empty() && text.size() <= kLongestName && quotable(text);
}

AppNames appNames(const RecordedDesktop& d) {
  AppNames names;
  std::set<std::string> taken;
  for (const RecordedApp& app : d.apps) {
    if (app.pid != d.ownPid) taken.insert("app" + std::to_string(app.pid));
  }
  taken.insert(kProgramApp);
  names[d.ownPid] = kProgramApp;
  for (const RecordedApp& app : d.apps) {
    if (app.pid == d.ownPid) continue;
    const bool own = app.name && writable(*app.name) && taken.insert(*app.name).second;
    names[app.pid] = own ? *app.name : "app" + std::to_string(app.pid);
  }
  return names;
}

std::string appName(const AppNames& names, std::int32_t pid) {
  const auto found = names.find(pid);
  return word(found == names.end() ? "app" + std::to_string(pid) : found->second);
}
std::string windowName(std::uint32_t number) {
  return "window" + std::to_string(number);
}

}  // namespace derived

namespace {

using namespace derived;

void writeItems(std::string& out, const std::vector<RecordedItem>& items, int depth, int& counter) {
  for (const RecordedItem& item : items) {
    out += std::string(static_cast<std::size_t>(2 * depth), ' ');
    out += "item " + quoted("item " + std::to_string(++counter));
    if (item.identifier) out += " id " + quoted(*item.identifier);
    if (item.key) out += " key " + quoted(*item.key);
    if (item.modifiers) out += " modifiers " + std::to_string(*item.modifiers);
    if (!item.enabled) out += " disabled";
    if (item.effect == ItemEffect::Fill) out += " does fill";
    if (item.effect == ItemEffect::Restore) out += " does restore";
    if (item.pressAnswer) out += " answers " + std::to_string(*item.pressAnswer);
    out += '\n';
    writeItems(out, item.submenu, depth + 1, counter);
  }
}

void writeApp(std::string& out, const RecordedApp& app, const AppNames& names) {
  out += "app " + appName(names, app.pid) + " pid " + std::to_string(app.pid);
  if (app.bundleId && quotable(*app.bundleId)) {
    out += " bundle " + word(*app.bundleId);
  } else if (app.bundleless) {
    out += " bundle none";
  }
  out += '\n';
  if (!app.name || appName(names, app.pid) != word(*app.name)) {
    out += "  # its name was not read, or cannot stand here as it is: made up\n";
  }
  if (!app.bundleId && !app.bundleless) {
    out += "  # its bundle identifier was not read: the simulator's own\n";
  }
  switch (app.menuBar) {
    case MenuBarSeen::NotRead:
      out += "  # its menus were not read: the simulator's standard ones\n  menus standard\n";
      break;
    case MenuBarSeen::None:
      out += "  menus none\n";
      break;
    case MenuBarSeen::Read: {
      out += "  # the menus as far as they were read; titles are never read, so made up\n";
      int counter = 0;
      for (std::size_t i = 0; i < app.menus.size(); ++i) {
        out += "  menu " + quoted("menu " + std::to_string(i + 1)) + '\n';
        writeItems(out, app.menus[i].items, 2, counter);
      }
      break;
    }
  }
  if (app.latency && *app.latency > 0) {
    out += "  latency " + decimalText(*app.latency) +
           (app.latencyPastTimeout ? "  # longer than a request waited before it timed out\n"
                                   : "  # the median of its requests\n");
  }
  if (app.neverActivated) {
    out += "  activation never  # the program gave up waiting for it to come to the front\n";
  } else if (app.activation) {
    out += "  activation " + decimalText(*app.activation) +
           "  # between the two polls that saw it come to the front\n";
  } else {
    out += "  # it was never asked to come to the front: the simulator's activation time\n";
  }
  if (app.tilingDelay) {
    out += "  tiling-delay " + decimalText(*app.tilingDelay) +
           "  # between the two polls that saw the window move\n";
  } else if (app.settledWithin) {
    out += "  # a Fill or restore settled within " + decimalText(*app.settledWithin) +
           " s, not polled more closely: the simulator's tiling delay\n";
  }
  switch (app.restore) {
    case RestoreSeen::NotSeen:
      break;
    case RestoreSeen::Restored:
      out += "  restore-answer restore\n";
      break;
    case RestoreSeen::Ignored:
      out += "  restore-answer ignore\n";
      break;
    case RestoreSeen::Elsewhere:
      out += "  restore-answer elsewhere " + rectText(app.restoredTo) + '\n';
      break;
  }
  out += sizeRuleText(app.sizings);
  if (app.shortcuts) out += std::string("  shortcuts ") + (*app.shortcuts ? "on" : "off") + '\n';
  if (app.enhancedUserInterface) {
    out += std::string("  enhanced-ui ") + (*app.enhancedUserInterface ? "on" : "off") + '\n';
  }
}

void writeWindow(std::string& out, const RecordedWindow& w, const AppNames& names) {
  const Rect frame = w.frame.value_or(Rect::make(0, 0, 0, 0));
  out += "window " + windowName(w.number) + " of " + appName(names, w.pid) + " frame " +
         rectText(frame);
  constexpr std::size_t kLongestMadeUpTitle = 1000;
  if (w.title && quotable(*w.title)) {
    out += " title " + quoted(*w.title);
  } else if (w.titleLength && *w.titleLength <= kLongestMadeUpTitle) {
    // Made up, of the length read: all the recording keeps of it.
    std::string madeUp = windowName(w.number);
    madeUp.resize(*w.titleLength, '-');
    out += " title " + quoted(madeUp);
  }
  out += "\n  number " + std::to_string(w.number) + '\n';
  if (!w.frame) out += "  # its frame was never read: a placeholder\n";
  if (!w.title) out += "  # its title is written in the recording as a hash only\n";
  if (w.layer != 0) out += "  layer " + std::to_string(w.layer) + '\n';
  if (!w.alpha) {
    out += "  alpha none\n";
  } else if (*w.alpha != 1.0) {
    out += "  alpha " + decimalText(*w.alpha) + '\n';
  }
  if (w.fullScreen.value_or(false)) out += "  full-screen\n";
  if (!w.resizable.value_or(true)) out += "  not-resizable\n";
  for (const ButtonPlace& place : kButtons) {
    const auto found = w.buttons.find(place.subrole);
    if (found == w.buttons.end()) continue;
    const RecordedButton& b = found->second;
    if (!b.enabled) out += std::string("  button ") + place.name + " disabled\n";
    if (!b.readable) out += std::string("  button ") + place.name + " unreadable\n";
    if (b.readable && (std::fabs(minX(b.frame) - minX(frame) - place.left) > 0.5 ||
                       std::fabs(minY(b.frame) - minY(frame) - kButtonTop) > 0.5)) {
      out += std::string("  # its ") + place.name + " button was read at " + rectText(b.frame) +
             ": the simulator puts it in its usual place\n";
    }
  }
  if (!w.rebound.empty()) {
    // The simulator moves it to one place, as often as it was seen, after the longest delay.
    double after = 0;
    for (const RecordedRebound& r : w.rebound) after = std::max(after, r.after);
    out += "  rebound " + rectText(w.rebound.back().frame) + " after " + decimalText(after) +
           " times " + std::to_string(w.rebound.size()) + '\n';
  }
  if (w.unreadableFrom && *w.unreadableFrom <= 0) out += "  unreadable\n";
  if (w.unreadableFrom && *w.unreadableFrom > 0) {
    out += "  unreadable from " + decimalText(*w.unreadableFrom) + '\n';
  }
}

}  // namespace

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string word(const std::string& text) {
  const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
  });
  return plain ? text : quoted(text);
}

bool quotable(const std::string& text) {
  return std::none_of(text.begin(), text.end(), isControl);
}

std::string decimalText(double value) {
  const long long micro = std::llround(value * 1e6);
  const unsigned long long magnitude = static_cast<unsigned long long>(micro < 0 ? -micro : micro);
  std::string text = std::to_string(magnitude / 1000000);
  std::string fraction = std::to_string(magnitude % 1000000);
  fraction.insert(0, 6 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return micro < 0 ? "-" + text : text;
}

std::string derivedScenario(const Recording& recording) {
  std::string out = derivedScenario(readDesktop(recording));
  if (std::find(recording.quirks.begin(), recording.quirks.end(), "mid-session") !=
      recording.quirks.end()) {
    out.insert(
        out.find('\n', out.find('\n') + 1) + 1,
        "# The recording began mid-session: this desktop launches the program at its start,\n"
        "# and what the program knew from before is not in it.\n");
  }
  return out;
}

std::string derivedScenario(const RecordedDesktop& d) {
  std::string out =
      "# The desktop of a recording, rebuilt as far as the recording shows it. Names are made\n"
      "# up: the recording keeps pids and window numbers, never titles.\n";
  for (const RecordingScreen& s : d.screens) {
    out += "screen " + rectText(s.frame) + " visible " + rectText(s.visible) + '\n';
  }
  if (d.tilingMargin) {
    out +=
        "tiling-margin " + decimalText(*d.tilingMargin) +
        (d.tilingMarginSeen ? "  # the gap a Fill left on every side of the usable area\n" : "\n");
  } else {
    out += "# the tiling margins could not be read: the simulator's default\n";
  }
  if (d.tapTimeout) {
    out += "tap-timeout " + decimalText(*d.tapTimeout) + "  # the tap outlived a callback of " +
           decimalText(d.tapKeptFor) + " s and was lost in one within " +
           decimalText(d.tapLostWithin) + " s\n";
  }
  const auto setting = [&](const char* name, const std::optional<bool>& value, const char* on,
                           const char* off) {
    if (value) {
      out += std::string("setting ") + name + ' ' + (*value ? on : off) + '\n';
    } else {
      out += std::string("# setting ") + name + " was not read: the default\n";
    }
  };
  setting("enabled", d.settings.enabled, "on", "off");
  setting("restore", d.settings.restore, "on", "off");
  setting("verbose", d.settings.verbose, "on", "off");
  setting("permission", d.settings.permission, "granted", "denied");
  std::string languages;
  for (const std::string& l : d.settings.languages) {
    if (writable(l)) languages += ' ' + word(l);
  }
  if (!languages.empty()) out += "setting language" + languages + '\n';
  if (d.settings.loginItem || d.settings.loginItemRegistered) {
    constexpr const char* kStates[] = {"not-registered", "enabled", "requires-approval",
                                       "not-found"};
    const auto state = [&](const std::optional<int>& s, int otherwise) {
      return kStates[s && *s >= 0 && *s <= 3 ? *s : otherwise];
    };
    out += std::string("setting login-item ") + state(d.settings.loginItem, 0) + " registers " +
           state(d.settings.loginItemRegistered, 1) + '\n';
  }
  if (d.settings.unifiedLogDefault == false) out += "setting unified-log default off\n";
  if (d.settings.unifiedLogDebug == false) out += "setting unified-log debug off\n";
  out += storedExceptionsText(d.settings.exceptions);
  out += '\n';
  if (d.systemVersion && quotable(*d.systemVersion)) {
    out += "system-version " + quoted(*d.systemVersion) + '\n';
  }
  const AppNames names = appNames(d);
  if (d.ownPid > 0) {
    out += "program pid " + std::to_string(d.ownPid);
    if (d.programVersion && quotable(*d.programVersion)) {
      out += " version " + quoted(*d.programVersion);
    }
    out += "  # the program's own process\n";
  }
  for (const RecordedApp& app : d.apps) {
    if (app.pid == d.ownPid) continue;
    if (app.pid <= 0) {
      out += "# pid " + std::to_string(app.pid) + " owns windows the list named: no scenario app\n";
      continue;
    }
    writeApp(out, app, names);
  }
  out += '\n';
  // The simulator stacks an application's windows together, each new one in front of its
  // application's others, and applications in the order their first window comes: written so
  // that the stacking is the one the window list showed first.
  std::map<std::int32_t, int> appRank;
  for (const RecordedWindow& w : d.windows) {
    const auto found = appRank.find(w.pid);
    if (found == appRank.end() || w.walkRank < found->second) appRank[w.pid] = w.walkRank;
  }
  std::vector<const RecordedWindow*> stacked;
  for (const RecordedWindow& w : d.windows) stacked.push_back(&w);
  std::stable_sort(stacked.begin(), stacked.end(),
                   [&](const RecordedWindow* a, const RecordedWindow* b) {
                     if (a->pid != b->pid) return appRank[a->pid] < appRank[b->pid];
                     return a->walkRank > b->walkRank;
                   });
  for (const RecordedWindow* w : stacked) {
    if (w->pid > 0 && (w->pid != d.ownPid || d.ownPid > 0)) writeWindow(out, *w, names);
  }
  // An application in front with none of its windows seen is put there with no window: the
  // status menu names it, and the window list puts the others' windows first.
  if (d.frontmost) {
    if (const RecordedWindow* w = windowInFront(d, *d.frontmost, d.frontWindow)) {
      out += "focus " + windowName(w->number) + '\n';
    } else if (*d.frontmost != d.ownPid && names.count(*d.frontmost)) {
      out += "focus " + appName(names, *d.frontmost) + "  # in front, with no window seen\n";
    } else {
      out += "# pid " + std::to_string(*d.frontmost) +
             " was frontmost, with no window seen: the first window's application instead\n";
    }
  }
  out += '\n';
  writeActions(out, d, names);
  out += "end " + decimalText(d.endAt.value_or(d.lastTime + 0.001)) + '\n';
  return out;
}

}  // namespace plumora::simtool
