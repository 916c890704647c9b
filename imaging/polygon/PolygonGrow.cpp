// Normals, offset contours and outlines of TPolygon32.

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/polygon/Polygon32.h"
#include "platform/rtl/Numbers.h"

namespace {

using TWide = __int128;

template <class Int>
TFixed Saturated(Int v) {
  return static_cast<TFixed>(std::clamp<Int>(v, std::numeric_limits<TFixed>::min(), std::numeric_limits<TFixed>::max()));
}

// Nearest integer, halves to the even one, of a value far inside +-2^51:
// added to 1.5 x 2^52 it keeps no fraction bits, so the addition itself rounds
// (the default rounding mode), and taking the constant away again is exact.
double RoundHalfEven(double value) {
  constexpr double kNoFraction = 6755399441055744.0;
  return (value + kNoFraction) - kNoFraction;
}

// The unit normal (dy, -dx) / length of the edge from a to b, measured by
// hypot; zero for an edge of no length. Each part lies within +-65536.
TFixedPoint MeasuredNormal(double dx, double dy) {
  const double length = std::hypot(dx, dy);
  if (length == 0) return TFixedPoint{};
  return TFixedPoint{static_cast<TFixed>(RoundHalfEven(dy * 65536 / length)),
                     static_cast<TFixed>(RoundHalfEven(-dx * 65536 / length))};
}

// Whether v lies so near a half between integers that values within a few
// units in its last place might round to another integer: 2^-40 of it is a
// thousand times their distance.
bool NearHalf(double v) {
  const double fraction = std::fabs(v - RoundHalfEven(v));
  return std::fabs(fraction - 0.5) <= std::fabs(v) * 0x1p-40;
}

// MeasuredNormal, mostly without its dear parts. The length from the square
// root of the sum of squares and the parts from one reciprocal differ from
// hypot's and the exact divisions' by a few units in the last place at
// most, so each part rounds to the same integer unless it lies within that
// of a half; such an edge is measured the slow way.
TFixedPoint EdgeNormal(const TFixedPoint& a, const TFixedPoint& b) {
  const double dx = static_cast<double>(std::int64_t{b.X} - a.X);
  const double dy = static_cast<double>(std::int64_t{b.Y} - a.Y);
  if (dx == 0 && dy == 0) return TFixedPoint{};
  const double scale = 65536 / std::sqrt(dx * dx + dy * dy);
  const double x = dy * scale, y = -dx * scale;
  if (NearHalf(x) || NearHalf(y)) return MeasuredNormal(dx, dy);
  return TFixedPoint{static_cast<TFixed>(RoundHalfEven(x)), static_cast<TFixed>(RoundHalfEven(y))};
}

// Normals of the edges from point i to i + 1, the last to the first, zero
// for edges of no length.
TArrayOfFixedPoint EdgeNormals(const TArrayOfFixedPoint& contour) {
  const std::size_t n = contour.size();
  TArrayOfFixedPoint normals(n);
  for (std::size_t i = 0; i < n; ++i) normals[i] = EdgeNormal(contour[i], contour[i + 1 < n ? i + 1 : 0]);
  return normals;
}

// An edge of no length (a repeated point) takes the normal of the nearest
// edge before it, or after it at the start, so that a repeated point is an
// ordinary point on a straight run.
TArrayOfFixedPoint CarriedOver(TArrayOfFixedPoint normals) {
  const auto firstKnown = std::find_if(normals.begin(), normals.end(), [](const TFixedPoint& n) { return !(n == TFixedPoint{}); });
  if (firstKnown == normals.end()) return normals;
  std::fill(normals.begin(), firstKnown, *firstKnown);
  for (auto i = firstKnown + 1; i != normals.end(); ++i)
    if (*i == TFixedPoint{}) *i = *(i - 1);
  return normals;
}

// The edge normals of a contour traced backwards from those of the contour:
// each edge is one of the contour's the other way round, whose normal is
// exactly the negated one (the length and the rounding are symmetric).
TArrayOfFixedPoint ReversedNormals(const TArrayOfFixedPoint& normals) {
  const std::size_t n = normals.size();
  TArrayOfFixedPoint reversed(n);
  // Point j of the reversed contour is point n - 1 - j: its edge to point
  // j + 1 is the contour's edge n - 2 - j backwards, its last edge the
  // contour's last one.
  const auto negated = [](const TFixedPoint& p) { return TFixedPoint{-p.X, -p.Y}; };
  for (std::size_t j = 0; j + 1 < n; ++j) reversed[j] = negated(normals[n - 2 - j]);
  if (n > 0) reversed[n - 1] = negated(normals[n - 1]);
  return reversed;
}

// The arithmetic of one contour in Int, wide enough for every product of
// the offset: 64 bits for offsets below 2^28 (4096 pixels), 128 otherwise.
template <class Int>
struct TGrowth {
  struct TOffset {
    Int X, Y;
  };

  static Int FixedProduct(Int a, Int b) { return (a * b) >> 16; }

  static TOffset Scaled(const TFixedPoint& normal, TFixed delta) {
    return TOffset{FixedProduct(normal.X, delta), FixedProduct(normal.Y, delta)};
  }

  static TFixedPoint Moved(const TFixedPoint& p, const TOffset& offset) {
    return TFixedPoint{Saturated(p.X + offset.X), Saturated(p.Y + offset.Y)};
  }

  // The grown form of one contour of two points or more.
  static void Grow(const TArrayOfFixedPoint& contour, const TArrayOfFixedPoint& normals, TFixed delta,
                   std::int64_t limit, bool closed, TArrayOfFixedPoint& result) {
    const std::size_t n = contour.size();
    const Int cut = limit < 0 ? -limit : limit;
    TOffset arriving = Scaled(normals[n - 1], delta);
    for (std::size_t i = 0; i < n; ++i) {
      const TFixedPoint& p = contour[i];
      const TOffset leaving = Scaled(normals[i], delta);
      if (!closed && (i == 0 || i == n - 1)) {
        result.push_back(Moved(p, i == 0 ? leaving : arriving));
      } else {
        const TOffset sum{leaving.X + arriving.X, leaving.Y + arriving.Y};
        // q = delta x (1 + cos of the turn): 2 delta on a straight run, delta
        // at a right angle, 0 where the contour turns back on itself. The
        // corner is judged by size whatever the sign of delta, so that
        // shrinking cuts the same corners as growing, and a turn back (q = 0)
        // is always cut.
        const Int q = (FixedProduct(arriving.X, sum.X) + FixedProduct(arriving.Y, sum.Y)) * 65536 / delta;
        if ((q < 0 ? -q : q) <= cut) {
          result.push_back(Moved(p, arriving));
          result.push_back(Moved(p, leaving));
        } else {
          result.push_back(Moved(p, TOffset{sum.X * delta / q, sum.Y * delta / q}));
        }
      }
      arriving = leaving;
    }
  }
};

// The grown form of one contour of two points or more.
TArrayOfFixedPoint GrownContour(const TArrayOfFixedPoint& contour, const TArrayOfFixedPoint& normals, TFixed delta,
                                std::int64_t limit, bool closed) {
  TArrayOfFixedPoint result;
  result.reserve(2 * contour.size());
  constexpr TFixed kNarrow = TFixed{1} << 28;
  if (delta > -kNarrow && delta < kNarrow) TGrowth<std::int64_t>::Grow(contour, normals, delta, limit, closed, result);
  else TGrowth<TWide>::Grow(contour, normals, delta, limit, closed, result);
  return result;
}

}  // namespace

const TArrayOfArrayOfFixedPoint& TPolygon32::GetNormals() const {
  if (!NormalsValid) {
    Normals.clear();
    for (const TArrayOfFixedPoint& contour : Points) Normals.push_back(CarriedOver(EdgeNormals(contour)));
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
  // The normals come along: the traced contours' edges are this polygon's,
  // either way round, so each length is measured once.
  TArrayOfArrayOfFixedPoint traced, normals;
  for (const TArrayOfFixedPoint& contour : Points) {
    if (contour.empty()) continue;
    const TArrayOfFixedPoint forward = EdgeNormals(contour);
    TArrayOfFixedPoint backward = ReversedNormals(forward);
    if (Closed) {
      traced.push_back(contour);
      traced.emplace_back(contour.rbegin(), contour.rend());
      normals.push_back(CarriedOver(forward));
      normals.push_back(CarriedOver(std::move(backward)));
    } else {
      // Forward to the last point and back to the first: grown as an open
      // contour, the band ends flat across both end points. The way back
      // has the reversed contour's edges but its last, and then comes home
      // along an edge of no length.
      TArrayOfFixedPoint there(contour);
      there.insert(there.end(), contour.rbegin() + 1, contour.rend());
      traced.push_back(std::move(there));
      TArrayOfFixedPoint edges(forward.begin(), forward.end() - 1);
      edges.insert(edges.end(), backward.begin(), backward.end() - 1);
      edges.push_back(TFixedPoint{});
      normals.push_back(CarriedOver(std::move(edges)));
    }
  }
  result->SetPoints(std::move(traced));
  if (!normals.empty()) {
    result->Normals = std::move(normals);
    result->NormalsValid = true;
  }
  return result;
}
