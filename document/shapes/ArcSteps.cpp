#include "document/shapes/ArcSteps.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace document {

std::int32_t ArcSteps(double radius) {
  const double t = std::isnan(radius) ? 0.0 : radius * std::numbers::pi / 2;
  if (t <= 0.5) return 1;
  if (t < 3) return 2;
  if (t < 7) return 3;
  const double steps = t < 100 ? std::ceil(t / 5) : std::ceil(t / 10);
  return static_cast<std::int32_t>(std::min<double>(steps, MaxArcSteps));
}

std::vector<TFloatPoint> QuarterArc(double radius) {
  const std::int32_t n = ArcSteps(radius);
  std::vector<TFloatPoint> points(static_cast<std::size_t>(n) + 1);
  points.front() = {1, 0};
  for (std::int32_t i = 1; i < n; ++i) {
    const double a = double(i) / n * std::numbers::pi / 2;
    points[static_cast<std::size_t>(i)] = {static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a))};
  }
  points.back() = {0, 1};
  return points;
}

}  // namespace document
