#pragma once

// Points, sizes and rectangles in global display points, with the rectangle rules of the
// platform's geometry functions: every test works on the standardised rectangle (a negative
// width or height moves the origin to the real minimum corner), a point on a minimum edge is
// inside while one on a maximum edge is not, and the null rectangle (an infinite origin) is what
// an empty intersection or an over-large inset gives.

#include <cmath>
#include <limits>

namespace plumora {

struct Point {
  double x = 0;
  double y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  double width = 0;
  double height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
  Point origin;
  Size size;

  static constexpr Rect make(double x, double y, double width, double height) {
    return Rect{{x, y}, {width, height}};
  }
  // Exact field-wise equality, as the platform's CGRectEqualToRect on identical inputs.
  friend bool operator==(const Rect&, const Rect&) = default;
};

inline constexpr Rect kNullRect{
    {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()}, {0, 0}};

inline bool isNull(const Rect& r) {
  return std::isinf(r.origin.x) || std::isinf(r.origin.y);
}

inline Rect standardized(const Rect& r) {
  Rect s = r;
  if (s.size.width < 0) {
    s.origin.x += s.size.width;
    s.size.width = -s.size.width;
  }
  if (s.size.height < 0) {
    s.origin.y += s.size.height;
    s.size.height = -s.size.height;
  }
  return s;
}

inline double minX(const Rect& r) {
  return standardized(r).origin.x;
}
inline double minY(const Rect& r) {
  return standardized(r).origin.y;
}
inline double width(const Rect& r) {
  return std::fabs(r.size.width);
}
inline double height(const Rect& r) {
  return std::fabs(r.size.height);
}
inline double maxX(const Rect& r) {
  return minX(r) + width(r);
}
inline double maxY(const Rect& r) {
  return minY(r) + height(r);
}

// Minimum edges belong to the rectangle, maximum edges do not.
inline bool containsPoint(const Rect& r, Point p) {
  if (isNull(r)) return false;
  return p.x >= minX(r) && p.x < maxX(r) && p.y >= minY(r) && p.y < maxY(r);
}

// True when `inner` lies inside `outer`, shared edges included.
inline bool containsRect(const Rect& outer, const Rect& inner) {
  if (isNull(outer) || isNull(inner)) return false;
  return minX(outer) <= minX(inner) && minY(outer) <= minY(inner) && maxX(inner) <= maxX(outer) &&
         maxY(inner) <= maxY(outer);
}

// Rectangles that only share an edge intersect in a rectangle of zero width or height, which
// is not the null rectangle: they count as intersecting.
inline Rect intersection(const Rect& a, const Rect& b) {
  if (isNull(a) || isNull(b)) return kNullRect;
  const double x1 = std::fmax(minX(a), minX(b));
  const double x2 = std::fmin(maxX(a), maxX(b));
  const double y1 = std::fmax(minY(a), minY(b));
  const double y2 = std::fmin(maxY(a), maxY(b));
  if (!(x1 <= x2) || !(y1 <= y2)) return kNullRect;
  return Rect::make(x1, y1, x2 - x1, y2 - y1);
}

inline bool intersects(const Rect& a, const Rect& b) {
  return !isNull(intersection(a, b));
}

// Moves every edge inwards by dx and dy (outwards when negative); too large an inset gives the
// null rectangle.
inline Rect inset(const Rect& r, double dx, double dy) {
  if (isNull(r)) return kNullRect;
  Rect s = standardized(r);
  s.origin.x += dx;
  s.origin.y += dy;
  s.size.width -= 2 * dx;
  s.size.height -= 2 * dy;
  if (s.size.width < 0 || s.size.height < 0) return kNullRect;
  return s;
}

}  // namespace plumora
