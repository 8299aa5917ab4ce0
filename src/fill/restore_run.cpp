// The return to the previous size: the system's command, then a check of where the window went,
// and Plumora's own frame write when the system left it elsewhere.
#include <string>

#include "accessibility/rect_text.hpp"
#include "fill/fill_action.hpp"
#include "fill/shortcut.hpp"
#include "fill/size_steps.hpp"

namespace plumora {
namespace {

constexpr double kAlreadyThatSize = 4.0;
constexpr double kRestored = 8.0;
constexpr double kScreenMargin = 2.0;

}  // namespace

void FillAction::restore(const Element& app, const GreenClick& click,
                         const std::optional<FillMenu::Found>& menu, Rect before, double start) {
  const Element& window = click.window;
  // Whatever happens next, the next click on this window fills again.
  forget(window);
  const auto now = window.frame();
  if (!now) return;
  issueRestore(click.pid, menu);

  if (sameFrame(*now, before, kAlreadyThatSize)) {
    context_.log.debug([&] {
      return "La finestra era già grande così prima di Riempi, " + context_.elapsedMs(start) +
             " ms";
    });
    return;
  }
  const bool moved = waitForNativeMove(window, *now);
  const auto after = window.frame();
  if (!after) return;
  // An app that sizes in steps takes the earlier frame a little short: still put back, and
  // writing it again would only be rounded again.
  if (sameFrameRounded(*after, before, kRestored, sizeSteps_.rounding(click.pid))) {
    context_.log.debug([&] {
      return "Misura di prima rimessa da macOS " + describe(after) + ", " +
             context_.elapsedMs(start) + " ms";
    });
    return;
  }

  bool fits = false;
  for (const Rect& area : visibleFrames()) {
    if (containsRect(inset(area, -kScreenMargin, -kScreenMargin), before)) {
      fits = true;
      break;
    }
  }
  if (!fits) {
    context_.log.debug([&] {
      return "La misura di prima " + describe(before) +
             " usciva dallo schermo: lasciata come l'ha messa macOS " + describe(after);
    });
    return;
  }

  writeFrame(app, click, before);
  context_.log.debug([&] {
    return "macOS " + (moved ? "l'ha messa a " + describe(after) : std::string("non l'ha mossa")) +
           ": misura di prima rimessa da Plumora " + describe(before) + ", " +
           context_.elapsedMs(start) + " ms";
  });

  if (!waitForNativeMove(window, before)) return;
  const auto final = window.frame();
  if (!final) return;
  // What the app made of our own write: rounded down to its steps, it is where the app wants
  // the window, and a second write would be rounded the same way.
  const bool rounded = sizeSteps_.observe(click.pid, before, *final);
  if (sameFrame(*final, before, kRestored)) return;
  if (rounded) {
    context_.log.debug([&] {
      return "L'app ha arrotondato la misura a " + describe(final) + ", " +
             context_.elapsedMs(start) + " ms";
    });
    return;
  }
  // One more try, and no third: a window the system keeps moving is left where it put it.
  writeFrame(app, click, before);
  context_.log.debug([&] {
    return "macOS l'ha spostata ancora a " + describe(final) + ": rimessa di nuovo, " +
           context_.elapsedMs(start) + " ms";
  });
}

void FillAction::issueRestore(std::int32_t pid, const std::optional<FillMenu::Found>& menu) {
  if (menu) {
    const auto item = menus_.restoreItem(pid, *menu);
    if (item && item->boolean("AXEnabled") != false) {
      item->setTimeout(kMenuItemTimeout);
      const AXError result = item->perform("AXPress");
      context_.log.debug([&] {
        return "Torna alle dimensioni precedenti dal menu: esito " + std::to_string(result);
      });
      if (result == ax::kSuccess || result == ax::kCannotComplete) return;
    }
  }
  Shortcut::postRestore(context_.platform.keyboard);
  context_.log.debug("Torna alle dimensioni precedenti con la scorciatoia fn ⌃ R");
}

void FillAction::writeFrame(const Element& app, const GreenClick& click, Rect frame) {
  // With assistive software attached an application animates frame changes and may drop the
  // second of two quick writes, leaving the new position with the old size: the mode is off
  // around our writes, and back on whatever they gave.
  const AssistiveModePause pause(context_, app, click.pid, assistiveModes_);
  // Size first so the position is not clamped by the old size, then the size again in case the
  // move changed it.
  const Element& window = click.window;
  const RawValue size = RawValue::size(frame.size);
  window.set("AXSize", size);
  window.set("AXPosition", RawValue::point(frame.origin));
  window.set("AXSize", size);
}

}  // namespace plumora
