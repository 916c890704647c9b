#pragma once
// Independent geometry for checking the rasterizer: exact areas of polygons
// inside pixel squares (Sutherland-Hodgman clipping and the shoelace formula
// in double precision) and winding numbers at single points.

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/core/FixedPoint.h"

namespace oracle {

struct TVec {
  double X, Y;
};
using TContour = std::vector<TVec>;

inline TContour FromFixed(const TArrayOfFixedPoint& points) {
  TContour result;
  for (const TFixedPoint& p : points) result.push_back(TVec{p.X / 65536.0, p.Y / 65536.0});
  return result;
}

inline double SignedArea(const TContour& c) {
  double twice = 0;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const TVec& a = c[i];
    const TVec& b = c[(i + 1) % c.size()];
    twice += a.X * b.Y - b.X * a.Y;
  }
  return twice / 2;
}

// The contour cut to the square [x0, x0 + 1] x [y0, y0 + 1], one side after
// the other (Sutherland-Hodgman).
inline TContour ClipToPixel(TContour c, double x0, double y0) {
  for (int side = 0; side < 4; ++side) {
    const bool vertical = side < 2;  // sides x = x0, x = x0 + 1, y = y0, y = y0 + 1
    const double bound = (vertical ? x0 : y0) + side % 2, sign = side % 2 ? -1 : 1;
    const auto along = [&](const TVec& p) { return vertical ? p.X : p.Y; };
    const auto inside = [&](const TVec& p) { return sign * (along(p) - bound) >= 0; };
    TContour out;
    for (std::size_t i = 0; i < c.size(); ++i) {
      const TVec& prev = c[(i + c.size() - 1) % c.size()];
      const TVec& cur = c[i];
      if (inside(cur) != inside(prev)) {
        const double t = (bound - along(prev)) / (along(cur) - along(prev));
        out.push_back(TVec{prev.X + t * (cur.X - prev.X), prev.Y + t * (cur.Y - prev.Y)});
      }
      if (inside(cur)) out.push_back(cur);
    }
    c = std::move(out);
  }
  return c;
}

// Area of a simple polygon inside pixel (x, y).
inline double PixelArea(const TContour& c, int x, int y) {
  const TContour clipped = ClipToPixel(c, x, y);
  return clipped.size() < 3 ? 0 : std::fabs(SignedArea(clipped));
}

// Whether segment ab meets the closed square of pixel (x, y) grown by margin
// on every side (Liang-Barsky).
inline bool SegmentMeetsPixel(const TVec& a, const TVec& b, int x, int y, double margin) {
  double t0 = 0, t1 = 1;
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.X - x + margin, x + 1 + margin - a.X, a.Y - y + margin, y + 1 + margin - a.Y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
  }
  return t0 <= t1;
}

inline int EdgesMeetingPixel(const std::vector<TContour>& contours, int x, int y, double margin) {
  int count = 0;
  for (const TContour& c : contours)
    for (std::size_t i = 0; i < c.size(); ++i)
      if (SegmentMeetsPixel(c[i], c[(i + 1) % c.size()], x, y, margin)) ++count;
  return count;
}

// Winding number of the contours around p (upward crossings count +1).
inline int Winding(const std::vector<TContour>& contours, const TVec& p) {
  int winding = 0;
  for (const TContour& c : contours)
    for (std::size_t i = 0; i < c.size(); ++i) {
      const TVec& a = c[i];
      const TVec& b = c[(i + 1) % c.size()];
      if ((a.Y <= p.Y) == (b.Y <= p.Y)) continue;
      const double x = a.X + (p.Y - a.Y) * (b.X - a.X) / (b.Y - a.Y);
      if (x > p.X) winding += b.Y < a.Y ? 1 : -1;
    }
  return winding;
}

inline bool Inside(const std::vector<TContour>& contours, const TVec& p, bool nonZero) {
  const int w = Winding(contours, p);
  return nonZero ? w != 0 : (w & 1) != 0;
}

}  // namespace oracle
