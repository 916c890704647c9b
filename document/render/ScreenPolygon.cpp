#include "document/render/ScreenPolygon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace document {

std::int32_t ScreenRound(double value) {
  if (!(value == value)) return 0;
  return static_cast<std::int32_t>(std::nearbyint(std::clamp(value, -1.0e9, 1.0e9)));
}

namespace {

// The closed polygon's edges that a ray from the pixel's centre to the right
// crosses: upward ones count +1, downward ones -1.
struct TCrossings {
  int Winding = 0;
  int Count = 0;
};

TCrossings CrossingsRightOf(std::span<const TPoint> polygon, const TPoint& pixel) {
  const double px = pixel.X + 0.5;
  const double py = pixel.Y + 0.5;
  TCrossings crossings;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const TPoint& a = polygon[i];
    const TPoint& b = polygon[(i + 1) % polygon.size()];
    const double side = (static_cast<double>(b.X) - a.X) * (py - a.Y) - (px - a.X) * (static_cast<double>(b.Y) - a.Y);
    if (a.Y <= py && b.Y > py && side > 0) {
      ++crossings.Winding;
      ++crossings.Count;
    }
    if (a.Y > py && b.Y <= py && side < 0) {
      --crossings.Winding;
      ++crossings.Count;
    }
  }
  return crossings;
}

}  // namespace

bool PolygonContainsPixel(std::span<const TPoint> polygon, const TPoint& pixel) {
  return CrossingsRightOf(polygon, pixel).Winding != 0;
}

bool ContoursContainPixel(std::span<const std::vector<TPoint>> contours, const TPoint& pixel) {
  int count = 0;
  for (const std::vector<TPoint>& contour : contours) count += CrossingsRightOf(contour, pixel).Count;
  return count % 2 == 1;
}

namespace {

// Projections of both shapes on one axis overlap with some length.
bool OverlapOnAxis(std::span<const TPoint> polygon, std::span<const TPoint> box, double ax, double ay) {
  auto range = [ax, ay](std::span<const TPoint> points) {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    for (const TPoint& p : points) {
      const double v = ax * p.X + ay * p.Y;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
    return std::pair{lo, hi};
  };
  const auto [polyLo, polyHi] = range(polygon);
  const auto [boxLo, boxHi] = range(box);
  return polyLo < boxHi && boxLo < polyHi;
}

}  // namespace

bool ConvexPolygonMeetsRect(std::span<const TPoint> polygon, const TRect& rect) {
  if (polygon.empty() || rect.IsEmpty()) return false;
  const std::array<TPoint, 4> box{TPoint{rect.Left, rect.Top}, TPoint{rect.Right, rect.Top},
                                  TPoint{rect.Right, rect.Bottom}, TPoint{rect.Left, rect.Bottom}};
  if (!OverlapOnAxis(polygon, box, 1, 0) || !OverlapOnAxis(polygon, box, 0, 1)) return false;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const TPoint& a = polygon[i];
    const TPoint& b = polygon[(i + 1) % polygon.size()];
    if (a == b) continue;
    if (!OverlapOnAxis(polygon, box, -(static_cast<double>(b.Y) - a.Y), static_cast<double>(b.X) - a.X)) return false;
  }
  return true;
}

}  // namespace document
