// Normals, offset contours and outlines of TPolygon32.

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/polygon/Polygon32.h"
#include "platform/rtl/Numbers.h"

namespace {

using TWide = __int128;

TFixed Saturated(TWide v) {
  return static_cast<TFixed>(std::clamp<TWide>(v, std::numeric_limits<TFixed>::min(), std::numeric_limits<TFixed>::max()));
}

// The unit normal (dy, -dx) / length of the edge from a to b; zero for an
// edge of no length.
TFixedPoint EdgeNormal(const TFixedPoint& a, const TFixedPoint& b) {
  const double dx = static_cast<double>(std::int64_t{b.X} - a.X);
  const double dy = static_cast<double>(std::int64_t{b.Y} - a.Y);
  const double length = std::hypot(dx, dy);
  if (length == 0) return TFixedPoint{};
  return TFixedPoint{rtl::Round(dy * 65536 / length), rtl::Round(-dx * 65536 / length)};
}

// Normals of the edges from point i to i + 1, the last to the first. An edge
// of no length (a repeated point) takes the normal of the nearest edge before
// it, or after it at the start, so that a repeated point is an ordinary point
// on a straight run.
TArrayOfFixedPoint ContourNormals(const TArrayOfFixedPoint& contour) {
  const std::size_t n = contour.size();
  TArrayOfFixedPoint normals(n);
  std::vector<bool> known(n);
  for (std::size_t i = 0; i < n; ++i) {
    normals[i] = EdgeNormal(contour[i], contour[i + 1 < n ? i + 1 : 0]);
    known[i] = !(normals[i] == TFixedPoint{});
  }
  const auto firstKnown = std::find(known.begin(), known.end(), true);
  if (firstKnown == known.end()) return normals;
  TFixedPoint carried = normals[static_cast<std::size_t>(firstKnown - known.begin())];
  for (std::size_t i = 0; i < n; ++i) {
    if (known[i]) carried = normals[i];
    else normals[i] = carried;
  }
  return normals;
}

TWide FixedProduct(TWide a, TWide b) { return (a * b) >> 16; }

struct TOffset {
  TWide X, Y;
};

TOffset Scaled(const TFixedPoint& normal, TFixed delta) {
  return TOffset{FixedProduct(normal.X, delta), FixedProduct(normal.Y, delta)};
}

TFixedPoint Moved(const TFixedPoint& p, const TOffset& offset) {
  return TFixedPoint{Saturated(p.X + offset.X), Saturated(p.Y + offset.Y)};
}

// The grown form of one contour of two points or more.
TArrayOfFixedPoint GrownContour(const TArrayOfFixedPoint& contour, const TArrayOfFixedPoint& normals, TFixed delta,
                                std::int64_t limit, bool closed) {
  const std::size_t n = contour.size();
  TArrayOfFixedPoint result;
  result.reserve(2 * n);
  for (std::size_t i = 0; i < n; ++i) {
    const TFixedPoint& p = contour[i];
    const TOffset leaving = Scaled(normals[i], delta);
    const TOffset arriving = Scaled(normals[i > 0 ? i - 1 : n - 1], delta);
    if (!closed && i == 0) {
      result.push_back(Moved(p, leaving));
      continue;
    }
    if (!closed && i == n - 1) {
      result.push_back(Moved(p, arriving));
      continue;
    }
    const TOffset sum{leaving.X + arriving.X, leaving.Y + arriving.Y};
    // q = delta x (1 + cos of the turn): 2 delta on a straight run, delta at
    // a right angle, 0 where the contour turns back on itself. The corner is
    // judged by size whatever the sign of delta, so that shrinking cuts the
    // same corners as growing, and a turn back (q = 0) is always cut.
    const TWide q = (FixedProduct(arriving.X, sum.X) + FixedProduct(arriving.Y, sum.Y)) * 65536 / delta;
    if ((q < 0 ? -q : q) <= (limit < 0 ? -limit : limit)) {
      result.push_back(Moved(p, arriving));
      result.push_back(Moved(p, leaving));
    } else {
      result.push_back(Moved(p, TOffset{sum.X * delta / q, sum.Y * delta / q}));
    }
  }
  return result;
}

}  // namespace

const TArrayOfArrayOfFixedPoint& TPolygon32::GetNormals() const {
  if (!NormalsValid) {
    Normals.clear();
    for (const TArrayOfFixedPoint& contour : Points) Normals.push_back(ContourNormals(contour));
    NormalsValid = true;
  }
  return Normals;
}

std::unique_ptr<TPolygon32> TPolygon32::Grow(TFixed delta, float edgeSharpness) const {
  auto result = std::make_unique<TPolygon32>();
  CopyPropertiesTo(*result);
  if (delta == 0) {
    result->SetPoints(Points);
    return result;
  }
  // A sharpness that is not a number counts as 0.
  const float sharpness = edgeSharpness > 0 ? std::min(edgeSharpness, 0.99f) : 0.0f;
  const std::int64_t limit = rtl::Round64(static_cast<double>(1.0f - sharpness) * delta);
  const TArrayOfArrayOfFixedPoint& normals = GetNormals();
  TArrayOfArrayOfFixedPoint grown;
  for (std::size_t c = 0; c < Points.size(); ++c)
    if (Points[c].size() >= 2) grown.push_back(GrownContour(Points[c], normals[c], delta, limit, Closed));
  result->SetPoints(std::move(grown));
  return result;
}

std::unique_ptr<TPolygon32> TPolygon32::Outline() const {
  auto result = std::make_unique<TPolygon32>();
  CopyPropertiesTo(*result);
  TArrayOfArrayOfFixedPoint traced;
  for (const TArrayOfFixedPoint& contour : Points) {
    if (contour.empty()) continue;
    if (Closed) {
      traced.push_back(contour);
      traced.emplace_back(contour.rbegin(), contour.rend());
    } else {
      // Forward to the last point and back to the first: grown as an open
      // contour, the band ends flat across both end points.
      TArrayOfFixedPoint there(contour);
      there.insert(there.end(), contour.rbegin() + 1, contour.rend());
      traced.push_back(std::move(there));
    }
  }
  result->SetPoints(std::move(traced));
  return result;
}
