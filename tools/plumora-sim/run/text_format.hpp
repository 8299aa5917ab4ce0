#pragma once

// The small texts the timeline and the expectations share.

#include <cstdio>
#include <string>

#include "platform/geometry.hpp"
#include "scenario/scenario.hpp"

namespace plumora::simtool {

// A coordinate as short as it can be written exactly enough: 255, 250.5.
inline std::string numberText(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

inline std::string pointText(Point p) {
  std::string text = "(";
  text += numberText(p.x);
  text += ',';
  text += numberText(p.y);
  text += ')';
  return text;
}

inline std::string buttonText(ButtonKind kind) {
  switch (kind) {
    case ButtonKind::Close:
      return "close button";
    case ButtonKind::Minimize:
      return "minimize button";
    case ButtonKind::Green:
      break;
  }
  return "green button";
}

// Virtual seconds, to the millisecond.
inline std::string secondsText(double seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.3f", seconds);
  return buffer;
}

}  // namespace plumora::simtool
