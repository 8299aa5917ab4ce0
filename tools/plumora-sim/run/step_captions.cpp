#include "run/step_captions.hpp"

#include <cmath>

#include "accessibility/rect_text.hpp"
#include "run/text_format.hpp"
#include "scenario/key_names.hpp"

namespace plumora::simtool {
namespace {

using Outcome = LogMeaning::Outcome;

bool inside(Point p, const Rect& r) {
  const Rect s = standardized(r);
  return p.x >= minX(s) && p.x < maxX(s) && p.y >= minY(s) && p.y < maxY(s);
}

// The buttons are small: a point a few points off still counts as on the button, as the ring
// around the green one shows.
bool near(Point p, const Rect& r) {
  const Rect s = standardized(r);
  return p.x >= minX(s) - 3 && p.x < maxX(s) + 3 && p.y >= minY(s) - 3 && p.y < maxY(s) + 3;
}

std::string possessive(const std::string& name) {
  return name + (!name.empty() && name.back() == 's' ? "'" : "'s");
}

std::string screenText(std::size_t index) {
  return "screen " + std::to_string(index);
}

// "Option", "Shift and Command".
std::string heldText(std::uint64_t flags) {
  std::string text;
  const std::string names = modifierText(flags);
  std::size_t from = 0;
  while (from <= names.size()) {
    const std::size_t plus = std::min(names.find('+', from), names.size());
    std::string name = names.substr(from, plus - from);
    if (name == "fn") name = "Fn";
    if (name == "capslock") name = "Caps Lock";
    if (!name.empty())
      name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (!text.empty()) text += " and ";
    text += name;
    from = plus + 1;
  }
  return text;
}

// The screen whose usable area a frame fills, and the margin it leaves on every side (0 when
// it fills it exactly); none when it does not fill one.
std::optional<std::pair<std::size_t, double>> fills(const Rect& frame, const Scene& scene) {
  for (std::size_t i = 0; i < scene.screens.size(); ++i) {
    const Rect usable = standardized(scene.screens[i].usable);
    const Rect f = standardized(frame);
    const double left = minX(f) - minX(usable), top = minY(f) - minY(usable);
    const double right = maxX(usable) - maxX(f), bottom = maxY(usable) - maxY(f);
    const double margin = left;
    const bool even =
        std::abs(top - margin) < 1 && std::abs(right - margin) < 1 && std::abs(bottom - margin) < 1;
    if (even && margin >= 0 && margin <= 24) return std::make_pair(i, std::round(margin));
  }
  return std::nullopt;
}

bool disabledGreenAt(Point at, const Scene& scene) {
  for (auto w = scene.windows.rbegin(); w != scene.windows.rend(); ++w) {
    if (w->fullScreen && !w->spaceShown) continue;
    if (inside(at, w->frame)) return near(at, w->green) && !w->greenEnabled;
  }
  return false;
}

}  // namespace

std::string placeOf(Point at, const Scene& scene) {
  for (auto w = scene.windows.rbegin(); w != scene.windows.rend(); ++w) {
    if (w->fullScreen && !w->spaceShown) continue;
    if (!inside(at, w->frame)) continue;
    if (near(at, w->green)) return possessive(w->name) + " green button";
    if (near(at, w->close)) return possessive(w->name) + " close button";
    if (near(at, w->minimize)) return possessive(w->name) + " minimize button";
    if (at.y < minY(standardized(w->frame)) + 28) return possessive(w->name) + " title bar";
    return w->name;
  }
  for (std::size_t i = 0; i < scene.screens.size(); ++i) {
    const DrawnScreen& screen = scene.screens[i];
    if (!inside(at, screen.frame)) continue;
    if (at.y < minY(standardized(screen.usable))) return "the menu bar of " + screenText(i);
    return "the desktop";
  }
  return "a point off every screen";
}

std::string StepCaptions::ofAction(const Action& action, const Scene& scene) {
  if (const auto* mouse = std::get_if<MouseAction>(&action.what)) {
    const Point at = scene.pointer ? scene.pointer->at : mouse->target.point;
    const std::string place = mouse->target.window ? possessive(*mouse->target.window) + " " +
                                                         buttonText(mouse->target.button)
                                                   : placeOf(at, scene);
    static constexpr const char* kVerbs[] = {"clicks ", "presses the mouse button on ",
                                             "drags the mouse to ",
                                             "releases the mouse button on "};
    std::string text = std::string("The user ") + kVerbs[static_cast<int>(mouse->phase)] +
                       (mouse->phase == MousePhase::Drag ? pointText(at) : place);
    if (mouse->flags) {
      text += " holding " + heldText(mouse->flags);
      const bool several = modifierText(mouse->flags).find('+') != std::string::npos;
      why_ = heldText(mouse->flags) + (several ? " were" : " was") +
             " held, which asks for the button's usual action";
    }
    return text + ".";
  }
  if (const auto* notice = std::get_if<TapDisabled>(&action.what)) {
    return notice->reason == EventType::TapDisabledByTimeout
               ? "The system turns Plumora's event tap off: it found the tap too slow."
               : "The system turns Plumora's event tap off, as it does during some user input.";
  }
  if (const auto* focus = std::get_if<FocusWindow>(&action.what)) {
    return "The user brings " + (focus->window.empty() ? focus->app : focus->window) +
           " to the front.";
  }
  if (const auto* move = std::get_if<MoveWindow>(&action.what)) {
    return "The user moves " + move->window + " to " + describe(move->frame) + ".";
  }
  if (const auto* change = std::get_if<ChangeFullScreen>(&action.what)) {
    return "The user takes " + change->window + (change->on ? " into" : " out of") +
           " full screen without its green button.";
  }
  if (const auto* unreadable = std::get_if<MakeUnreadable>(&action.what)) {
    return possessive(unreadable->window) + " application stops telling its frame.";
  }
  if (std::holds_alternative<AddScreen>(action.what)) {
    return "A screen is connected; it is " + screenText(scene.screens.size() - 1) + " now.";
  }
  if (const auto* remove = std::get_if<RemoveScreen>(&action.what)) {
    return "The user disconnects " + screenText(remove->index) + ".";
  }
  if (const auto* rebuild = std::get_if<RebuildMenus>(&action.what)) {
    return rebuild->app + " builds its menus again: the menu items Plumora found before are gone.";
  }
  if (std::holds_alternative<OpenStatusMenu>(action.what)) {
    return "The user opens Plumora's menu in the menu bar.";
  }
  if (const auto* choice = std::get_if<ChooseMenuItem>(&action.what)) {
    return "The user chooses \"" + choice->title + "\" in Plumora's menu.";
  }
  const auto& permission = std::get<ChangePermission>(action.what);
  if (permission.granted) return "The user grants Plumora the Accessibility permission.";
  std::string text = "The user revokes Plumora's Accessibility permission";
  if (permission.tapNoticeAfter > 0) {
    text +=
        "; the system tells the event tap " + numberText(permission.tapNoticeAfter) + " s later";
  }
  return text + ".";
}

std::string StepCaptions::ofInput(const sim::InputRecord& input, const Scene& scene,
                                  std::size_t step) {
  const std::string place = placeOf(input.location, scene);
  const std::string reached =
      input.deliveredTo ? world_.appName(*input.deliveredTo) : "no application";
  const bool swallowed = input.verdict == TapVerdict::Swallow;
  switch (input.type) {
    case EventType::LeftMouseDown:
      pressPassed_ = !swallowed;
      if (!input.verdict)
        return "No event tap is watching: the press on " + place + " goes straight to " + reached +
               ".";
      if (swallowed) {
        press_ = step;
        // Told before the press's own line: a click Plumora drops at once.
        if (!dropped_.empty()) {
          press_.reset();
          return "Plumora swallowed the click on " + place + ", then did nothing: " + dropped_ +
                 ".";
        }
        return "Plumora swallowed the click on " + place + ".";
      }
      if (why_.empty() && disabledGreenAt(input.location, scene)) {
        why_ = "that green button is disabled";
      }
      press_.reset();
      return "The press on " + place + " passed to " + reached +
             (why_.empty() ? ": Plumora lets it through." : ", because " + why_ + ".");
    case EventType::LeftMouseUp:
      if (!input.verdict) return "The release goes straight to " + reached + ".";
      if (swallowed) return "Plumora swallowed the release too: no application sees the click.";
      return pressPassed_ ? "The release passed to " + reached + " too: it sees a whole click."
                          : "The release on " + place + " passed to " + reached + ".";
    case EventType::LeftMouseDragged:
      return std::string(swallowed ? "Plumora swallowed the drag to " : "The drag to ") +
             pointText(input.location) + (swallowed ? "." : " reached " + reached + ".");
    case EventType::TapDisabledByTimeout:
    case EventType::TapDisabledByUserInput:
      return "Plumora's event tap hears that the system turned it off.";
    default:
      return "An event of another kind reaches the event tap.";
  }
}

std::string StepCaptions::ofLog(std::string_view message, std::vector<Step>& steps) {
  const LogMeaning meaning = meaningOf(message);
  if (meaning.outcome != Outcome::None) lastOutcome_ = meaning.outcome;
  if (!meaning.why.empty() && meaning.outcome == Outcome::None) why_ = meaning.why;
  if (!press_ && meaning.outcome == Outcome::Nothing) dropped_ = meaning.why;
  if (press_ && *press_ < steps.size() && meaning.outcome != Outcome::None) {
    // The click's caption ends in "."; what it led to goes before it.
    std::string& caption = steps[*press_].caption;
    caption.pop_back();
    switch (meaning.outcome) {
      case Outcome::Fill:
        caption += " and asked " + pressApp_ + " to Fill it.";
        break;
      case Outcome::Restore:
        caption += " and asked " + pressApp_ + " to return it to its previous size.";
        break;
      case Outcome::Nothing:
        caption += ", then did nothing: " + meaning.why + ".";
        break;
      case Outcome::None:
        break;
    }
    press_.reset();
  }
  return meaning.sentence;
}

std::string StepCaptions::ofFrame(const Happening::FrameChange& change, const Scene& scene) {
  const std::string name = world_.windowName(change.window);
  const std::string outline = " (the dashed outline is where it was).";
  if (const auto filled = fills(change.after, scene)) {
    // The frame to come back to, unless the window was filled already.
    if (!fills(change.before, scene)) beforeFill_[change.window] = change.before;
    std::string text = name + " now fills " + screenText(filled->first) + " below the menu bar";
    if (filled->second > 0) {
      text += ", with a margin of " + numberText(filled->second) + " points on every side";
    }
    return text + outline;
  }
  const sim::SimWindow* window = world_.window(name);
  if (window && window->fullScreen) {
    return name + " takes the whole screen, " + describe(change.after) +
           ", as it goes full screen" + outline;
  }
  const auto kept = beforeFill_.find(change.window);
  if (kept != beforeFill_.end() && kept->second == change.after) {
    return name + " is back in its frame from before the Fill, " + describe(change.after) + outline;
  }
  if (kept != beforeFill_.end() && lastOutcome_ == Outcome::Restore) {
    return name + " moves to " + describe(change.after) + ", not its frame from before the Fill, " +
           describe(kept->second) + outline;
  }
  return name + " moves from " + describe(change.before) + " to " + describe(change.after) +
         outline;
}

std::string StepCaptions::caption(const Happening& happening, const Scene& scene,
                                  std::vector<Step>& steps) {
  const std::string_view tag = happening.tag;
  if (happening.action) {
    // A new action: what the last one led to is told.
    // A drag or a release goes on with the press before it.
    const auto* mouse = std::get_if<MouseAction>(&happening.action->what);
    const bool goesOn =
        mouse && (mouse->phase == MousePhase::Drag || mouse->phase == MousePhase::Release);
    if (!goesOn) {
      why_.clear();
      dropped_.clear();
      press_.reset();
    }
    return ofAction(*happening.action, scene);
  }
  if (happening.input) {
    const std::string text = ofInput(*happening.input, scene, steps.size());
    if (press_ == steps.size()) {
      pressApp_ = happening.input->deliveredTo ? world_.appName(*happening.input->deliveredTo)
                                               : scene.frontmost;
      for (auto w = scene.windows.rbegin(); w != scene.windows.rend(); ++w) {
        if (inside(happening.input->location, w->frame)) {
          pressApp_ = w->app;
          break;
        }
      }
    }
    return text;
  }
  if (tag == "log") return ofLog(happening.message, steps);
  if (!happening.keys.empty()) {
    const std::string target = scene.keysWindow.empty() ? scene.frontmost : scene.keysWindow;
    const bool fill = happening.keys.back() == 'F';
    return "Plumora posts the shortcut " + keyCaps(happening.keys) + " (Window > " +
           (fill ? "Fill" : "Return to Previous Size") + ") to " +
           (target.empty() ? std::string("the frontmost application") : target) + ".";
  }
  if (happening.frame) return ofFrame(*happening.frame, scene);
  if (const sim::SimWindow* window = happening.window) {
    const std::string name = world_.windowName(window->number);
    if (!window->onScreen) return name + " closes.";
    if (window->fullScreen) {
      return name + " enters full screen: it is a space of its own over its screen now.";
    }
    // A window that leaves full screen or opens.
    return happening.line.find(" opens") != std::string_view::npos
               ? name + " opens."
               : name + " leaves full screen: the desktop comes back.";
  }
  if (tag == "end") return "The run ends.";
  if (tag == "menu") {
    // The menu as it opened, or what became of the user's choice.
    const std::string_view line = happening.line;
    if (line.find(" | ") != std::string_view::npos) {
      return "Plumora's menu opens, built as the program builds it: checked items are marked [x], "
             "disabled ones in parentheses.";
    }
    if (line.find("disabled") != std::string_view::npos) {
      return "The item is disabled, so choosing it does nothing.";
    }
    return "The menu has no such item, so nothing is chosen.";
  }
  return std::string(happening.line);
}

}  // namespace plumora::simtool
