// Squared distances between integer points.

#include <algorithm>
#include <limits>

#include "imaging/docgraphics/BitmapHelpers.h"
#include "platform/rtl/Numbers.h"

namespace imaging {

std::int64_t PointDistanceSqr(const TPoint& a, const TPoint& b) {
  const __int128 dx = std::int64_t{b.X} - a.X, dy = std::int64_t{b.Y} - a.Y;
  return static_cast<std::int64_t>(std::min<__int128>(dx * dx + dy * dy, std::numeric_limits<std::int64_t>::max()));
}

double PointToSegmentDistanceSqr(const TPoint& p, const TPoint& a, const TPoint& b) {
  if (a == b) return static_cast<double>(PointDistanceSqr(p, a));
  const double dx = static_cast<double>(std::int64_t{b.X} - a.X), dy = static_cast<double>(std::int64_t{b.Y} - a.Y);
  const double px = static_cast<double>(std::int64_t{p.X} - a.X), py = static_cast<double>(std::int64_t{p.Y} - a.Y);
  const float t = static_cast<float>(std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0, 1.0));
  // The foot is found in single precision, like the rest of the engine's
  // geometry, then rounded to a pixel.
  const float footX = static_cast<float>(a.X) + t * static_cast<float>(dx);
  const float footY = static_cast<float>(a.Y) + t * static_cast<float>(dy);
  const TPoint foot{rtl::Round(footX), rtl::Round(footY)};
  return static_cast<double>(PointDistanceSqr(p, foot));
}

}  // namespace imaging
