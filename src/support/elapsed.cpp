#include "support/elapsed.hpp"

#include <clocale>
#include <cstdio>
#include <cstring>

namespace plumora {

std::string formatMilliseconds(double milliseconds) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, "%.1f", milliseconds);
  if (n < 0) return "?";
  std::string text(buffer, static_cast<std::size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
  // "%.1f" follows the C locale's decimal point, which a host program may have changed.
  const char* point = std::localeconv()->decimal_point;
  if (point && std::strcmp(point, ".") != 0 && *point) {
    auto at = text.find(point);
    if (at != std::string::npos) text.replace(at, std::strlen(point), ".");
  }
  return text;
}

std::string elapsedMs(Clock& clock, double start) {
  return formatMilliseconds((clock.mediaTime() - start) * 1000.0);
}

}  // namespace plumora
