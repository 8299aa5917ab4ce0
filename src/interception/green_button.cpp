// The recognition of a press on a window's green title-bar button.
#include <array>
#include <string>

#include "interception/interceptor.hpp"
#include "interception/window_list.hpp"

namespace plumora {
namespace {

// Fetched from the element under the pointer in one request; the indices are used below.
constexpr std::array<std::string_view, 6> kDetectionAttributes{
    "AXRole", "AXSubrole", "AXWindow", "AXEnabled", "AXPosition", "AXSize"};
enum Slot { kRole, kSubrole, kWindow, kEnabled, kPosition, kSize };

}  // namespace

bool Interceptor::inButtonZone(Point p, const Rect& bounds) const {
  const double dy = p.y - minY(bounds);
  if (!(dy >= 0 && dy <= kZoneHeight)) return false;
  const double dx = p.x - minX(bounds);
  if (dx >= 0 && dx <= kZoneWidth) return true;
  // Right-to-left languages put the title-bar buttons on the right.
  if (!rightToLeft_) return false;
  const double dr = maxX(bounds) - p.x;
  return dr >= 0 && dr <= kZoneWidth;
}

bool Interceptor::isException(std::int32_t pid) {
  const ExceptionSet& exceptions = exceptions_.current();
  if (exceptions.empty()) return false;
  bool excepted = false;
  context_.platform.system.withBundleIdentifier(pid, [&](std::string_view id) {
    if (!exceptions.contains(id)) return;
    excepted = true;
    context_.log.debug([&] {
      return "Eccezione " + std::string(id) + ": il tasto verde fa la sua azione normale";
    });
  });
  return excepted;
}

std::optional<GreenClick> Interceptor::detect(const TapEvent& press) {
  Clock& clock = context_.platform.clock;
  const Point p = press.location();
  const double t0 = clock.mediaTime();

  // The cheap tests first: this runs for every press of every application.
  const auto entry = WindowList::topNormal(context_.platform.windowServer, p);
  if (!entry) return std::nullopt;
  const std::int32_t self = context_.platform.system.processId();
  if (entry->pid == self) return std::nullopt;
  if (!inButtonZone(p, entry->bounds)) return std::nullopt;

  AXError hitTest = ax::kSuccess;
  const auto button =
      systemWide_.elementAt(static_cast<float>(p.x), static_cast<float>(p.y), &hitTest);
  if (hitTest == ax::kAPIDisabled) {
    // The permission went before the system told us: the click is the application's.
    permissionLost();
    return std::nullopt;
  }
  if (!button) return std::nullopt;
  // The application is the button's owner: the window list may name another process, and our
  // own window may lie above the listed one on a higher layer. Never fill our own.
  const std::int32_t pid = button->pid();
  if (pid == self) return std::nullopt;
  const auto slots = button->values(kDetectionAttributes);

  const std::string* role = slots[kRole].asString();
  const std::string* subrole = slots[kSubrole].asString();
  if (!role || *role != "AXButton" || !subrole || *subrole != "AXFullScreenButton") {
    context_.log.debug([&] {
      const std::string name = subrole ? *subrole : role ? *role : std::string("?");
      return "Clic nella zona dei tasti ma non sul tasto verde (" + name + ") in " +
             context_.elapsedMs(t0) + " ms";
    });
    return std::nullopt;
  }
  if (const auto enabled = slots[kEnabled].numeric(); enabled && *enabled == 0) {
    return std::nullopt;
  }
  const auto window = axElement(slots[kWindow]);
  if (!window) return std::nullopt;
  // Here, and not earlier: only a press known to be on an enabled green button is looked up, by
  // the button's owner, so the presses that pass for other reasons cost nothing more, and the
  // log line can say it was the green button. And not later: an exception does without the two
  // requests below. The check itself asks the application nothing.
  if (isException(pid)) return std::nullopt;
  if (window->boolean("AXFullScreen") == true) {
    context_.log.debug("Finestra a schermo intero: il tasto verde fa la sua azione normale");
    return std::nullopt;
  }
  if (!window->isSettable("AXSize")) {
    context_.log.debug("Finestra non ridimensionabile: il tasto verde fa la sua azione normale");
    return std::nullopt;
  }

  const auto origin = axPoint(slots[kPosition]);
  const auto size = axSize(slots[kSize]);
  const Rect frame = origin && size ? Rect{*origin, *size}
                                    : Rect::make(p.x - kFallbackSide / 2, p.y - kFallbackSide / 2,
                                                 kFallbackSide, kFallbackSide);
  context_.log.debug([&] {
    return "Tasto verde fermato (pid " + std::to_string(pid) + ") in " + context_.elapsedMs(t0) +
           " ms";
  });
  return GreenClick(pid, *window, *button, frame, clock);
}

}  // namespace plumora
