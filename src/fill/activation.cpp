// Making the clicked window the active window of the frontmost application.
#include <string>

#include "accessibility/rect_text.hpp"
#include "fill/fill_action.hpp"

namespace plumora {

std::optional<std::int32_t> FillAction::frontmostPID() {
  std::optional<std::int32_t> pid;
  context_.platform.dispatch.syncMain(
      [&] { pid = context_.platform.system.frontmostApplicationPid(); });
  return pid;
}

bool FillAction::isActive(const Element& app, const Element& window, std::int32_t pid) {
  const auto front = frontmostPID();
  if (!front || *front != pid) return false;
  if (const auto focused = app.element("AXFocusedWindow"); focused && *focused == window) {
    return true;
  }
  const auto main = app.element("AXMainWindow");
  return main && *main == window;
}

void FillAction::raise(const Element& app, const Element& window) {
  // Whether these worked is judged by the activity test alone.
  window.perform("AXRaise");
  window.set("AXMain", RawValue::boolean(true));
  app.set("AXFrontmost", RawValue::boolean(true));
}

bool FillAction::bringToFront(const Element& app, const Element& window, std::int32_t pid) {
  constexpr double kPoll = 0.015;
  constexpr double kSettle = 0.040;
  constexpr double kRaiseAgainAfter = 0.5;
  constexpr double kGiveUpAfter = 2.5;
  if (isActive(app, window, pid)) return true;
  raise(app, window);
  Clock& clock = context_.platform.clock;
  const double t0 = clock.mediaTime();
  bool raisedAgain = false;
  do {
    clock.sleep(kPoll);
    if (isActive(app, window, pid)) {
      // The system reports the window active a moment before it takes keyboard input.
      clock.sleep(kSettle);
      context_.log.debug([&] { return "Finestra attivata in " + context_.elapsedMs(t0) + " ms"; });
      return true;
    }
    if (!raisedAgain && clock.mediaTime() - t0 > kRaiseAgainAfter) {
      raise(app, window);
      raisedAgain = true;
    }
  } while (clock.mediaTime() - t0 < kGiveUpAfter);

  const auto front = frontmostPID();
  const auto focused = app.element("AXFocusedWindow");
  const auto main = app.element("AXMainWindow");
  context_.log.debug([&] {
    auto frameOf = [](const std::optional<Element>& e) {
      return describe(e ? e->frame() : std::nullopt);
    };
    auto titleOf = [](const std::optional<Element>& e) {
      return e ? e->string("AXTitle").value_or("-") : std::string("-");
    };
    // Asked one after the other, so that the requests come in the same order whatever the
    // compiler: the operands of one expression are evaluated in an order each compiler chooses.
    const std::string focusedFrame = frameOf(focused), focusedTitle = titleOf(focused);
    const std::string mainFrame = frameOf(main);
    const std::string clickedFrame = frameOf(window), clickedTitle = titleOf(window);
    return "Finestra non attivata: app in primo piano " +
           (front ? std::to_string(*front) : std::string("-")) + " (attesa " + std::to_string(pid) +
           "), finestra attiva " + focusedFrame + " '" + focusedTitle + "', principale " +
           mainFrame + ", cliccata " + clickedFrame + " '" + clickedTitle + "'";
  });
  return false;
}

}  // namespace plumora
