#include "accessibility/rect_text.hpp"

#include <cmath>
#include <cstdint>

namespace plumora {
namespace {

void append(std::string& out, double v) {
  if (!std::isfinite(v) || !(v >= -9223372036854775808.0 && v < 9223372036854775808.0)) {
    out += '?';
    return;
  }
  out += std::to_string(static_cast<std::int64_t>(v));
}

}  // namespace

std::string describe(const std::optional<Rect>& rect) {
  if (!rect) return "-";
  // Standardised by hand rather than through minX() and width(): for a non-finite rectangle
  // those would mix an infinite origin into the size.
  double x = rect->origin.x, y = rect->origin.y, w = rect->size.width, h = rect->size.height;
  if (w < 0) {
    x += w;
    w = -w;
  }
  if (h < 0) {
    y += h;
    h = -h;
  }
  std::string out = "(";
  append(out, x);
  out += ',';
  append(out, y);
  out += ' ';
  append(out, w);
  out += 'x';
  append(out, h);
  out += ')';
  return out;
}

}  // namespace plumora
