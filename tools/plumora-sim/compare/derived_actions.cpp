// The user's actions and the system's changes a recording shows, as a scenario's `at T` lines.
#include <cstddef>
#include <string>
#include <vector>

#include "compare/derived_scenario.hpp"
#include "compare/derived_text.hpp"
#include "scenario/key_names.hpp"

namespace plumora::simtool::derived {

const RecordedWindow* windowInFront(const RecordedDesktop& d, std::int32_t pid,
                                    std::uint32_t number) {
  const RecordedWindow* first = nullptr;
  for (const RecordedWindow& w : d.windows) {
    if (w.pid != pid) continue;
    if (w.number == number) return &w;
    if (!first) first = &w;
  }
  return first;
}

namespace {

std::string flagsText(std::uint64_t flags) {
  const std::string names = modifierText(flags);
  return names.empty() ? std::string() : " with " + names;
}

void writeAction(std::string& out, const RecordedAction& a, const RecordedDesktop& desktop,
                 const AppNames& names, std::vector<RecordingScreen>& screens) {
  const std::string at = "at " + decimalText(a.time) + ' ';
  const std::string point = decimalText(a.point.x) + "," + decimalText(a.point.y);
  switch (a.kind) {
    case RecordedActionKind::Press:
      out += at + "press " + point + flagsText(a.flags) + '\n';
      break;
    case RecordedActionKind::Drag:
      out += at + "drag " + point + flagsText(a.flags) + '\n';
      break;
    case RecordedActionKind::Release:
      out += at + "release " + point + flagsText(a.flags) + '\n';
      break;
    case RecordedActionKind::TapDisabled:
      out += at + "tap-disabled " + a.reason + '\n';
      break;
    case RecordedActionKind::Permission:
      out += at + "permission " + (a.granted ? "granted" : "revoked");
      if (!a.granted && a.tapNoticeAfter > 0) {
        out += " tap-notice-after " + decimalText(a.tapNoticeAfter);
      }
      out += '\n';
      break;
    case RecordedActionKind::RebuildMenus:
      out += at + "rebuild-menus " + appName(names, a.pid) +
             "  # a menu element found earlier answered as no longer valid\n";
      break;
    case RecordedActionKind::Move:
      out += at + "move " + windowName(a.window) + " " + rectText(a.frame) + "  # " +
             (a.reason.empty() ? "the window list showed it moved" : a.reason) + '\n';
      break;
    case RecordedActionKind::FullScreen:
      out += at + "full-screen " + windowName(a.window) + (a.granted ? " on" : " off") +
             "  # read so, though the program never asked for it\n";
      break;
    case RecordedActionKind::OpenMenu:
      out += at + "menu\n";
      break;
    case RecordedActionKind::ChooseItem:
      if (a.title.empty() || !writable(a.title)) {
        out += "# " + at + "the user chose " + a.choice +
               " in the status menu; the item's title was not recorded\n";
        if (!a.inOpenMenu) out += at + "menu\n";
        break;
      }
      out += at + "choose " + quoted(a.title) + (a.inOpenMenu ? " in-open-menu" : "") + '\n';
      break;
    case RecordedActionKind::Focus: {
      if (const RecordedWindow* w = windowInFront(desktop, a.pid, a.window)) {
        out += at + "focus " + windowName(w->number) + "  # " +
               (a.reason.empty() ? "its application came to the front" : a.reason) + '\n';
      } else {
        out += at + "activate " + appName(names, a.pid) +
               "  # it came to the front with no window seen\n";
      }
      break;
    }
    case RecordedActionKind::Screens: {
      // Screens that went, from the last, then screens that came.
      for (std::size_t i = screens.size(); i-- > 0;) {
        bool kept = false;
        for (const RecordingScreen& s : a.screens) {
          if (s.frame == screens[i].frame) kept = true;
        }
        if (!kept) {
          out += at + "remove-screen " + std::to_string(i) + '\n';
          screens.erase(screens.begin() + static_cast<std::ptrdiff_t>(i));
        }
      }
      for (const RecordingScreen& s : a.screens) {
        bool known = false;
        for (const RecordingScreen& k : screens) {
          if (s.frame == k.frame) known = true;
        }
        if (!known) {
          if (a.inferred) {
            out +=
                "# a Fill landed outside every screen read: a screen there, its usable area "
                "what the Fill covered\n";
          }
          out += at + "add-screen " + rectText(s.frame) + " visible " + rectText(s.visible) + '\n';
          screens.push_back(s);
        }
      }
      break;
    }
  }
}

}  // namespace

void writeActions(std::string& out, const RecordedDesktop& d, const AppNames& names) {
  std::vector<RecordingScreen> screens = d.screens;
  for (const RecordedAction& a : d.actions) writeAction(out, a, d, names, screens);
}

}  // namespace plumora::simtool::derived
