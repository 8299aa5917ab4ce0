#include "support/elapsed.hpp"

#include <cstdio>

namespace plumora {

std::string formatMilliseconds(double milliseconds) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, "%.1f", milliseconds);
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof buffer) return "?";
  // "%.1f" follows the C locale's decimal point, which a host program may have changed: whatever
  // stands between the whole part and the last digit becomes ".".
  const std::size_t length = static_cast<std::size_t>(n);
  std::size_t whole = 0;
  if (buffer[whole] == '-') ++whole;
  while (whole < length && buffer[whole] >= '0' && buffer[whole] <= '9') ++whole;
  const bool shaped = whole > (buffer[0] == '-' ? 1u : 0u) && whole + 1 < length &&
                      buffer[length - 1] >= '0' && buffer[length - 1] <= '9';
  if (!shaped) return std::string(buffer, length);  // not a finite number
  std::string text(buffer, whole);
  text += '.';
  text += buffer[length - 1];
  return text;
}

std::string elapsedMs(Clock& clock, double start) {
  return formatMilliseconds((clock.mediaTime() - start) * 1000.0);
}

}  // namespace plumora
