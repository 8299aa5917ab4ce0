// The desktop and the settings as the scenario starts, before the timeline.
#include "accessibility/rect_text.hpp"
#include "run/text_format.hpp"
#include "run/timeline.hpp"
#include "support/exception_list.hpp"

namespace plumora::simtool {
namespace {

std::string menusText(MenuBar menus) {
  switch (menus) {
    case MenuBar::StandardWithTiling:
      return "standard menus with Fill";
    case MenuBar::StandardWithoutTiling:
      return "standard menus without Fill";
    case MenuBar::None:
      return "no menu bar";
    case MenuBar::Custom:
      break;
  }
  return "menus of its own";
}

constexpr std::size_t kEntriesShown = 4;

// A stored value as the header prints it: texts quoted, long lists cut short.
std::string storedValueText(const RawValue& value) {
  if (const std::string* text = value.asString()) return "\"" + *text + "\"";
  if (const bool* b = value.asBool()) return *b ? "true" : "false";
  if (const Number* n = value.asNumber()) return numberText(n->value);
  const RawValue::Array* entries = value.asArray();
  if (!entries) return "?";
  std::string text;
  for (std::size_t i = 0; i < entries->size() && i < kEntriesShown; ++i) {
    text += (i ? ", " : "") + storedValueText((*entries)[i]);
  }
  if (entries->size() > kEntriesShown) {
    text += ", ... (" + std::to_string(entries->size()) + " entries)";
  }
  return "[" + text + "]";
}

std::string appText(const AppSpec& described, const sim::SimApp& app) {
  std::string text = described.name + ": pid " + std::to_string(app.pid) + ", " +
                     (app.bundleId.empty() ? "no bundle identifier" : app.bundleId) + ", " +
                     menusText(described.menuBar);
  for (const ItemChange& change : described.itemChanges) {
    std::string path;
    for (const std::string& title : change.path) path += (path.empty() ? "" : " > ") + title;
    if (change.enabled == false) text += ", " + path + " disabled";
    if (change.pressAnswer) {
      text += ", " + path + " answers " + std::to_string(*change.pressAnswer);
    }
  }
  if (!app.shortcuts) text += ", ignores the tiling shortcuts";
  if (described.tilingDelay) text += ", tiles after " + numberText(app.tilingDelay) + " s";
  if (app.restoreAnswer == sim::RestoreAnswer::Ignore) text += ", ignores the restore";
  if (app.restoreAnswer == sim::RestoreAnswer::Elsewhere) {
    text += ", restores to " + describe(app.elsewhere);
  }
  if (described.latency > 0) text += ", answers after " + numberText(described.latency) + " s";
  if (app.enhancedUserInterface) {
    text += *app.enhancedUserInterface ? ", assistive mode on" : ", assistive mode off";
  }
  if (app.sizeStep) {
    text += ", sizes in steps of " + numberText(app.sizeStep->width) + "x" +
            numberText(app.sizeStep->height);
  }
  if (app.minimumSize) {
    text += ", at least " + numberText(app.minimumSize->width) + "x" +
            numberText(app.minimumSize->height);
  }
  if (!app.activates) {
    text += ", never comes to the front";
  } else if (described.activationDelay) {
    text += ", comes to the front after " + numberText(app.activationDelay) + " s";
  }
  return text;
}

std::string windowText(const WindowSpec& described, const sim::SimWindow& window) {
  std::string text = described.name + ": " + described.app + ", " + describe(window.frame);
  if (described.title != described.name) text += ", titled \"" + described.title + "\"";
  if (window.fullScreen) text += ", full screen";
  if (!window.resizable) text += ", not resizable";
  if (window.layer() != 0) text += ", layer " + std::to_string(window.layer());
  if (window.alpha != 1.0) text += ", alpha " + (window.alpha ? numberText(*window.alpha) : "none");
  for (auto [name, button] :
       {std::pair{"close", &described.close}, std::pair{"minimize", &described.minimize},
        std::pair{"green", &described.green}}) {
    if (!button->enabled) text += std::string(", ") + name + " button disabled";
    if (!button->frameReadable) text += std::string(", ") + name + " button frame unreadable";
  }
  if (!window.frameReadable) text += ", frame unreadable";
  if (window.rebound) {
    text += ", moves to " + describe(window.rebound->to) + " after a frame write";
  }
  return text;
}

}  // namespace

void Timeline::header(std::string_view file, const Scenario& scenario) {
  states_.clear();
  for (const auto& [name, window] : world_.windows()) {
    states_.push_back(WindowState{window->fullScreen, window->onScreen});
  }
  if (quiet_) return;
  out_ << "plumora-sim " << PLUMORA_VERSION << ": " << file << '\n';
  out_ << "desktop (top-left coordinates, points)\n";
  for (std::size_t i = 0; i < mac_.desktop.screenCount(); ++i) {
    out_ << "  screen " << i << "    " << describe(mac_.desktop.screenFrame(i)) << ", usable "
         << describe(mac_.desktop.visibleFrame(i)) << '\n';
  }
  if (mac_.desktop.tilingMargin > 0) {
    out_ << "  tiling      margins of " << numberText(mac_.desktop.tilingMargin) << " points\n";
  }
  for (const AppSpec& described : scenario.apps) {
    out_ << "  app         " << appText(described, *world_.app(described.name)) << '\n';
  }
  for (const WindowSpec& described : scenario.windows) {
    out_ << "  window      " << windowText(described, *world_.window(described.name)) << '\n';
  }
  std::string order;
  for (const sim::SimWindow* w : mac_.desktop.windowsFrontToBack()) {
    order += (order.empty() ? "" : ", ") + world_.windowName(w->number);
  }
  if (mac_.system.frontmost) {
    out_ << "  frontmost   " << world_.appName(*mac_.system.frontmost) << '\n';
  }
  if (!order.empty()) out_ << "  stacking    " << order << " (front to back)\n";
  std::string languages;
  for (const std::string& l : scenario.languages) languages += " " + l;
  out_ << "settings: Plumora " << (scenario.enabled ? "on" : "paused")
       << ", restore on second click " << (scenario.restoreOnSecondClick ? "on" : "off")
       << ", verbose log " << (scenario.verbose ? "on" : "off") << ", languages" << languages
       << ", accessibility permission " << (scenario.permission ? "granted" : "denied") << '\n';
  if (scenario.exceptions) {
    out_ << "  stored      " << ExceptionList::kKey << " = "
         << storedValueText(*scenario.exceptions) << '\n';
  }
  out_ << "timeline (virtual seconds)\n";
}

}  // namespace plumora::simtool
