#pragma once
// Independent geometry for checking the rasterizer: exact areas of polygons
// inside pixel squares (Sutherland-Hodgman clipping and the shoelace formula
// in double precision) and winding numbers at single points.

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/FixedPoint.h"

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

// Keeps the part of the contour where inside(p) holds; cross(a, b) is the
// point where the edge ab meets the boundary.
template <class Inside, class Cross>
TContour ClipHalfPlane(const TContour& c, Inside inside, Cross cross) {
  TContour out;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const TVec& cur = c[i];
    const TVec& prev = c[(i + c.size() - 1) % c.size()];
    const bool curIn = inside(cur), prevIn = inside(prev);
    if (curIn) {
      if (!prevIn) out.push_back(cross(prev, cur));
      out.push_back(cur);
    } else if (prevIn) {
      out.push_back(cross(prev, cur));
    }
  }
  return out;
}

inline TVec AtX(const TVec& a, const TVec& b, double x) {
  const double t = (x - a.X) / (b.X - a.X);
  return TVec{x, a.Y + t * (b.Y - a.Y)};
}

inline TVec AtY(const TVec& a, const TVec& b, double y) {
  const double t = (y - a.Y) / (b.Y - a.Y);
  return TVec{a.X + t * (b.X - a.X), y};
}

// The contour cut to the square [x0, x0 + 1] x [y0, y0 + 1].
inline TContour ClipToPixel(const TContour& c, double x0, double y0) {
  TContour r = ClipHalfPlane(c, [&](const TVec& p) { return p.X >= x0; },
                             [&](const TVec& a, const TVec& b) { return AtX(a, b, x0); });
  r = ClipHalfPlane(r, [&](const TVec& p) { return p.X <= x0 + 1; },
                    [&](const TVec& a, const TVec& b) { return AtX(a, b, x0 + 1); });
  r = ClipHalfPlane(r, [&](const TVec& p) { return p.Y >= y0; },
                    [&](const TVec& a, const TVec& b) { return AtY(a, b, y0); });
  r = ClipHalfPlane(r, [&](const TVec& p) { return p.Y <= y0 + 1; },
                    [&](const TVec& a, const TVec& b) { return AtY(a, b, y0 + 1); });
  return r;
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

// Fraction of pixel (x, y) inside by the fill rule, from n x n samples.
inline double SampledCoverage(const std::vector<TContour>& contours, int x, int y, bool nonZero, int n) {
  int inside = 0;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i)
      if (Inside(contours, TVec{x + (i + 0.5) / n, y + (j + 0.5) / n}, nonZero)) ++inside;
  return static_cast<double>(inside) / (n * n);
}

}  // namespace oracle
