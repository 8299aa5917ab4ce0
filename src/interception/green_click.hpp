#pragma once

// One recognised click on a window's green button, as the interceptor hands it to the fill
// engine. Copies share the two elements.

#include <cstdint>

#include "accessibility/element.hpp"
#include "platform/clock.hpp"
#include "platform/geometry.hpp"

namespace plumora {

struct GreenClick {
  GreenClick(std::int32_t pid, Element window, Element button, Rect buttonFrame, double time)
      : pid(pid),
        window(std::move(window)),
        button(std::move(button)),
        buttonFrame(buttonFrame),
        time(time) {}
  // Stamped with the clock's media time now.
  GreenClick(std::int32_t pid, Element window, Element button, Rect buttonFrame, Clock& clock)
      : GreenClick(pid, std::move(window), std::move(button), buttonFrame, clock.mediaTime()) {}

  std::int32_t pid;  // the application that owns the button
  Element window;    // the button's window
  Element button;    // the green button itself
  Rect buttonFrame;  // the button's frame at the press, or the fallback square
  double time;       // media time when the press was recognised
};

}  // namespace plumora
