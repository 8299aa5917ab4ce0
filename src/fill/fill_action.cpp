// One run per recognised click: the repeat test, activation, measurement, the menu search, the
// choice between Fill and restore, and the Fill itself.
#include "fill/fill_action.hpp"

#include <cmath>
#include <string>

#include "accessibility/rect_text.hpp"
#include "fill/shortcut.hpp"

namespace plumora {
namespace {

// A press that timed out has usually reached the application: counting it as done avoids a
// second Fill through the shortcut.
bool pressDone(AXError result) {
  return result == ax::kSuccess || result == ax::kCannotComplete;
}

bool within(double a, double b, double tolerance) {
  return std::fabs(a - b) <= tolerance;
}

}  // namespace

FillAction::FillAction(Context& context, Settings& settings)
    : context_(context),
      settings_(settings),
      queue_(context.platform.dispatch.serialQueue(kQueueLabel, QualityOfService::UserInitiated)) {}

void FillAction::perform(GreenClick click) {
  queue_->async([this, click = std::move(click)] { handle(click); });
}

bool FillAction::applicationShouldTerminate(std::function<void()> ready) {
  return giveBackAssistiveModes(context_, assistiveModes_, kApplicationTimeout, kQuitPatience,
                                std::move(ready));
}

void FillAction::applicationWillTerminate() {
  giveBackAssistiveModes(context_, assistiveModes_, kApplicationTimeout, 0, nullptr);
}

void FillAction::handle(const GreenClick& click) {
  // Clicks are judged by when they were made, not by when their turn came.
  if (lastDone_ && lastDone_->window == click.window &&
      click.time - lastDone_->time < kRepeatInterval) {
    context_.log.debug("Secondo clic troppo ravvicinato: ignorato");
    return;
  }
  if (run(click)) lastDone_ = LastDone{click.window, click.time};
}

bool FillAction::run(const GreenClick& click) {
  const double start = context_.now();
  const Element app(context_.platform.accessibility.application(click.pid));
  app.setTimeout(kApplicationTimeout);
  click.window.setTimeout(kWindowTimeout);

  if (!bringToFront(app, click.window, click.pid)) {
    context_.log.debug("La finestra non è diventata attiva: nessuna azione");
    return false;
  }
  const auto before = click.window.frame();
  if (!before) return false;
  // Looked up on every run: the restore needs the window menu as much as the Fill does.
  const auto menu = menus_.locate(click.pid, app);

  std::optional<FillRecord> record;
  if (choosesRestore(click, *before, record)) {
    restore(app, click, menu, record->before, start);
  } else {
    fill(click, menu, *before, start);
  }
  return true;
}

bool FillAction::choosesRestore(const GreenClick& click, Rect current,
                                std::optional<FillRecord>& found) {
  if (!settings_.restoreOnSecondClick()) return false;
  found = record(click.window);
  if (!found) return false;
  if (found->after) return sameFrame(current, *found->after, kStillFilledTolerance);
  // Not measured yet (or unmeasurable): does the window cover a screen's usable area? An app
  // seen rounding sizes down may leave the far edges short by up to its step.
  const Size steps = sizeSteps_.rounding(click.pid);
  for (const Rect& area : visibleFrames()) {
    if (intersects(area, current) && within(minX(current), minX(area), kScreenEdgeTolerance) &&
        within(minY(current), minY(area), kScreenEdgeTolerance) &&
        withinOrShort(maxX(current), maxX(area), kScreenEdgeTolerance, steps.width) &&
        withinOrShort(maxY(current), maxY(area), kScreenEdgeTolerance, steps.height)) {
      return true;
    }
  }
  return false;
}

void FillAction::fill(const GreenClick& click, const std::optional<FillMenu::Found>& menu,
                      Rect before, double start) {
  if (!menu) {
    context_.log.debug("Voci di sistema non trovate nei menu dell'app: uso la scorciatoia");
  } else {
    menu->fill.setTimeout(kMenuItemTimeout);
    if (menu->fill.boolean("AXEnabled") == false) {
      context_.log.debug("Voce Riempi presente ma disattivata: nessuna azione");
      return;
    }
    const AXError result = menu->fill.perform("AXPress");
    context_.log.debug([&] {
      return "Riempi dal menu: esito " + std::to_string(result) + ", misura prima " +
             describe(before) + ", " + context_.elapsedMs(start) + " ms";
    });
    if (pressDone(result)) {
      remember(click.window, before);
      return;
    }
  }
  Shortcut::postFill(context_.platform.keyboard);
  remember(click.window, before);
  context_.log.debug([&] {
    return "Riempi con la scorciatoia fn ⌃ F, misura prima " + describe(before) + ", " +
           context_.elapsedMs(start) + " ms";
  });
}

}  // namespace plumora
