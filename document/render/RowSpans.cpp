#include "document/render/RowSpans.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::int32_t ClampedFloor(double v) { return static_cast<std::int32_t>(std::clamp(std::floor(v), -1.0e9, 1.0e9)); }
std::int32_t ClampedCeil(double v) { return static_cast<std::int32_t>(std::clamp(std::ceil(v), -1.0e9, 1.0e9)); }

}  // namespace

TdocRowSpans::TdocRowSpans(const std::array<TFloatPoint, 4>& corners, double reach) : Corners(corners), Reach(reach) {
  double top = std::numeric_limits<double>::infinity(), bottom = -top;
  for (const TFloatPoint& p : Corners) {
    top = std::min(top, double{p.Y});
    bottom = std::max(bottom, double{p.Y});
  }
  TopRow = ClampedFloor(top - Reach);
  BottomRow = ClampedCeil(bottom + Reach);
}

std::pair<std::int32_t, std::int32_t> TdocRowSpans::Row(std::int32_t y, std::int32_t width) const {
  // The part of every edge inside the band of rows the reach takes in.
  const double low = y - Reach, high = y + 1 + Reach;
  double left = std::numeric_limits<double>::infinity(), right = -left;
  for (std::size_t i = 0; i < Corners.size(); ++i) {
    const TFloatPoint& a = Corners[i];
    const TFloatPoint& b = Corners[(i + 1) % Corners.size()];
    const double dy = double{b.Y} - a.Y;
    double t0 = 0, t1 = 1;
    if (dy == 0) {
      if (a.Y < low || a.Y > high) continue;
    } else {
      const double ta = (low - a.Y) / dy, tb = (high - a.Y) / dy;
      t0 = std::max(t0, std::min(ta, tb));
      t1 = std::min(t1, std::max(ta, tb));
      if (t0 > t1) continue;
    }
    for (const double t : {t0, t1}) {
      const double x = a.X + t * (double{b.X} - a.X);
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  if (left > right) return {0, 0};
  return {std::clamp(ClampedFloor(left - Reach), 0, width), std::clamp(ClampedCeil(right + Reach), 0, width)};
}
