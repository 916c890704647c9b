// Filling and growing pinned pixel for pixel and point for point: a plain
// reference written from the rules (every grid row gets the crossings of every
// edge, sorted, turned into spans; every sub-sample of a pixel is counted one
// by one) beside the fast fill, over many random scenes: both fill rules,
// every antialias mode, clip rectangles, transformations, both combine
// modes, translucent colours over random backgrounds.

#include "imaging/polygon/Polygon32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/blend/Blend.h"
#include "imaging/polygon/Transformation.h"
#include "tests/imaging/ImagingTestSupport.h"

namespace {

using imagingtest::Fx;
using TContours = TArrayOfArrayOfFixedPoint;

// ---- reference fill

struct TCrossing {
  std::int64_t X;
  int Winding;  // +1 for an edge running upward
};

struct TReferenceGrid {
  int Shift;  // sub-sampling shift, 0 without antialiasing

  int XShift() const { return Shift == 0 ? 8 : 16 - Shift; }
  int YShift() const { return Shift == 0 ? 16 : 16 - Shift; }
  static std::int64_t Round(TFixed v, int shift) { return (std::int64_t{v} + (std::int64_t{1} << (shift - 1)) - 1) >> shift; }
  std::int64_t X(TFixed v) const { return Round(v, XShift()); }
  std::int64_t Y(TFixed v) const { return Round(v, YShift()); }
};

std::int64_t FloorDivision(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return q * b > a ? q - 1 : q;
}

// The crossings of one grid row, each clamped to [left, right], sorted by x.
std::vector<TCrossing> RowCrossings(const std::vector<std::vector<std::pair<std::int64_t, std::int64_t>>>& contours,
                                    std::int64_t row, std::int64_t left, std::int64_t right) {
  std::vector<TCrossing> crossings;
  for (const auto& contour : contours) {
    if (contour.size() < 3) continue;
    for (std::size_t i = 0; i < contour.size(); ++i) {
      auto [x0, y0] = contour[i];
      auto [x1, y1] = contour[(i + 1) % contour.size()];
      if (y0 == y1) continue;
      const int winding = y1 < y0 ? 1 : -1;
      if (y1 < y0) {
        std::swap(x0, x1);
        std::swap(y0, y1);
      }
      if (row < y0 || row >= y1) continue;
      const std::int64_t x = x0 + FloorDivision(2 * (row - y0) * (x1 - x0) + (y1 - y0), 2 * (y1 - y0));
      crossings.push_back({std::clamp(x, left, right), winding});
    }
  }
  std::sort(crossings.begin(), crossings.end(), [](const TCrossing& a, const TCrossing& b) { return a.X < b.X; });
  return crossings;
}

// The inside runs [a, b) of a row by the fill rule.
std::vector<std::pair<std::int64_t, std::int64_t>> Spans(const std::vector<TCrossing>& crossings, bool nonZero) {
  std::vector<std::pair<std::int64_t, std::int64_t>> spans;
  int winding = 0;
  for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
    winding += crossings[i].Winding;
    const bool inside = nonZero ? winding != 0 : i % 2 == 0;
    if (inside && crossings[i].X < crossings[i + 1].X) spans.push_back({crossings[i].X, crossings[i + 1].X});
  }
  return spans;
}

struct TScene {
  int Width = 0, Height = 0;
  TRect Clip{};
  TContours Contours;
  TColor32 Color = 0;
  int Shift = 0;
  bool NonZero = false;
  TCombineMode Combine = cmBlend;
  const TTransformation* Transformation = nullptr;
  std::uint32_t Background = 0;  // seed of the random background
};

std::vector<TColor32> ReferenceFill(const TScene& scene) {
  TCustomBitmap32 background;
  imagingtest::FillRandom(background, scene.Width, scene.Height, scene.Background);
  std::vector<TColor32> pixels = imagingtest::Pixels(background);
  const TReferenceGrid grid{scene.Shift};
  std::vector<std::vector<std::pair<std::int64_t, std::int64_t>>> contours;
  for (const TArrayOfFixedPoint& contour : scene.Contours) {
    contours.emplace_back();
    for (TFixedPoint p : contour) {
      if (scene.Transformation != nullptr) p = scene.Transformation->Transform(p);
      contours.back().push_back({grid.X(p.X), grid.Y(p.Y)});
    }
  }
  const TRect& clip = scene.Clip;
  const int xs = 16 - grid.XShift(), ys = 16 - grid.YShift();
  const std::int64_t left = std::int64_t{clip.Left} << xs, right = std::int64_t{clip.Right} << xs;
  const TColor32 master = scene.Color >> 24;
  if (scene.Shift == 0) {
    for (std::int64_t y = clip.Top; y < clip.Bottom; ++y)
      for (const auto& [a, b] : Spans(RowCrossings(contours, y, left, right), scene.NonZero))
        for (std::int64_t x = (a + 127) >> 8; x < (b + 127) >> 8; ++x) {
          TColor32& pixel = pixels[static_cast<std::size_t>(y * scene.Width + x)];
          if (master == 255) pixel = scene.Color;
          else imaging::BlendMemOf(scene.Combine)(scene.Color, pixel);
        }
    return pixels;
  }
  const int s = scene.Shift;
  const std::int64_t samples = std::int64_t{1} << s;
  std::vector<std::int64_t> counts(static_cast<std::size_t>(scene.Width));
  for (std::int64_t y = clip.Top; y < clip.Bottom; ++y) {
    std::fill(counts.begin(), counts.end(), 0);
    for (std::int64_t row = y << ys; row < (y + 1) << ys; ++row)
      for (const auto& [a, b] : Spans(RowCrossings(contours, row, left, right), scene.NonZero))
        for (std::int64_t x = a >> s; x <= (b - 1) >> s; ++x)
          counts[static_cast<std::size_t>(x)] += std::min(b, (x + 1) * samples) - std::max(a, x * samples);
    for (std::int64_t x = clip.Left; x < clip.Right; ++x) {
      const std::int64_t count = counts[static_cast<std::size_t>(x)];
      if (count == 0) continue;
      const TColor32 color = (scene.Color & 0x00FFFFFF) | static_cast<TColor32>(count * 255 >> (2 * s)) << 24;
      imaging::BlendLineExOf(scene.Combine)(&color, &pixels[static_cast<std::size_t>(y * scene.Width + x)], 1, master);
    }
  }
  return pixels;
}

std::vector<TColor32> ProductFill(const TScene& scene, std::mt19937& rng) {
  TCustomBitmap32 bitmap;
  imagingtest::FillRandom(bitmap, scene.Width, scene.Height, scene.Background);
  bitmap.SetClipRect(scene.Clip);
  bitmap.SetCombineMode(scene.Combine);
  TPolygon32 polygon;
  // Without antialiasing by either switch.
  polygon.Antialiased = scene.Shift != 0 || rng() % 2 == 0;
  polygon.AntialiasMode = static_cast<TAntialiasMode>(scene.Shift == 0 ? (polygon.Antialiased ? 5 : rng() % 6) : 5 - scene.Shift);
  polygon.FillMode = scene.NonZero ? pfNonZero : pfEvenOdd;
  polygon.SetPoints(scene.Contours);
  polygon.DrawFill(bitmap, scene.Color, scene.Transformation);
  return imagingtest::Pixels(bitmap);
}

// ---- random scenes

class TAffine : public TTransformation {
public:
  TAffine(double a, double b, double c, double d, double e, double f) : A(a), B(b), C(c), D(d), E(e), F(f) {}
  TFixedPoint Transform(const TFixedPoint& p) const override {
    const double x = p.X / 65536.0, y = p.Y / 65536.0;
    return Fx(A * x + C * y + E, B * x + D * y + F);
  }

private:
  double A, B, C, D, E, F;
};

TArrayOfFixedPoint Ellipse(double cx, double cy, double rx, double ry, int points) {
  TArrayOfFixedPoint contour;
  for (int i = 0; i < points; ++i) {
    const double a = 2 * std::numbers::pi * i / points;
    contour.push_back(Fx(cx + rx * std::cos(a), cy + ry * std::sin(a)));
  }
  return contour;
}

// Contours of many kinds: random corners (crossing themselves), stars of
// long edges, ellipses of short ones and bands grown around them, scattered
// small contours, points far outside, on the sub-sample grid or off it,
// repeated points, horizontal edges, contours too short to fill.
TContours RandomContours(std::mt19937& rng, int width, int height) {
  std::uniform_real_distribution<double> unit(0, 1);
  const auto coordinate = [&](int size) { return -0.3 * size + 1.6 * size * unit(rng); };
  TContours contours;
  const int kind = static_cast<int>(rng() % 7);
  const int count = kind == 4 ? 20 + static_cast<int>(rng() % 30) : 1 + static_cast<int>(rng() % 3);
  for (int c = 0; c < count; ++c) {
    TArrayOfFixedPoint points;
    const double cx = coordinate(width), cy = coordinate(height);
    switch (kind) {
      case 0:
      case 1:
        for (int i = 0, n = 1 + static_cast<int>(rng() % 12); i < n; ++i) points.push_back(Fx(coordinate(width), coordinate(height)));
        break;
      case 2: {
        const int n = 5 + static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i) {
          const double a = 2 * std::numbers::pi * (i + 0.5 * unit(rng)) / n, r = (0.1 + unit(rng)) * width;
          points.push_back(Fx(width / 2.0 + r * std::cos(a), height / 2.0 + r * std::sin(a)));
        }
        break;
      }
      case 3:
      case 6: {
        TPolygon32 shape;
        const TArrayOfFixedPoint ellipse = Ellipse(width / 2.0, height / 2.0, (0.2 + unit(rng)) * width / 2,
                                                   (0.2 + unit(rng)) * height / 2, 16 + static_cast<int>(rng() % 400));
        if (kind == 3) {
          contours.push_back(ellipse);
          continue;
        }
        shape.SetPoints({ellipse});
        const auto band = shape.Outline()->Grow(static_cast<TFixed>(unit(rng) * 4 * 65536), 0.5f);
        for (const TArrayOfFixedPoint& contour : band->GetPoints()) contours.push_back(contour);
        continue;
      }
      case 4:
        for (int i = 0, n = 3 + static_cast<int>(rng() % 4); i < n; ++i)
          points.push_back(Fx(cx + 3 * unit(rng), cy + 3 * unit(rng)));
        break;
      case 5:
        // On a coarse grid: ties, horizontal edges, repeated points; now and
        // then far outside the bitmap.
        for (int i = 0, n = 3 + static_cast<int>(rng() % 8); i < n; ++i) {
          const double far = rng() % 8 == 0 ? 30000.0 * (unit(rng) - 0.5) : 0;
          points.push_back(Fx(std::round(coordinate(width) * 2) / 2 + far, std::round(coordinate(height) * 4) / 4));
        }
        break;
    }
    contours.push_back(points);
  }
  return contours;
}

TEST(PolygonFillReference, EveryPixelEqualsThePlainRasterizer) {
  std::mt19937 rng(2026);
  const TAffine transformations[] = {{1, 0, 0, 1, 0.3, -0.7}, {0.8, 0.45, -0.3, 0.9, 4.2, -2.1}, {-1.1, 0.2, 0.1, 1.3, 40, 1}};
  std::size_t painted = 0;
  for (int trial = 0; trial < 480; ++trial) {
    TScene scene;
    scene.Shift = trial % 6;
    // Large scenes at the finest grids reach runs of sub-rows where no edge
    // starts, ends or overtakes another.
    const int size = trial % 5 == 0 ? 90 : 40;
    scene.Width = 1 + static_cast<int>(rng() % size);
    scene.Height = 1 + static_cast<int>(rng() % size);
    scene.Clip = TRect{0, 0, scene.Width, scene.Height};
    if (trial % 3 == 1) {
      const int l = static_cast<int>(rng() % scene.Width), t = static_cast<int>(rng() % scene.Height);
      scene.Clip = TRect{l, t, l + 1 + static_cast<int>(rng() % (scene.Width - l)),
                         t + 1 + static_cast<int>(rng() % (scene.Height - t))};
    }
    scene.Contours = RandomContours(rng, scene.Width, scene.Height);
    scene.Color = rng();
    if (trial % 4 == 0) scene.Color |= 0xFF000000u;
    scene.NonZero = rng() % 2 == 0;
    scene.Combine = rng() % 2 == 0 ? cmBlend : cmMerge;
    if (trial % 4 == 3) scene.Transformation = &transformations[rng() % std::size(transformations)];
    scene.Background = rng();
    const std::vector<TColor32> expected = ReferenceFill(scene), got = ProductFill(scene, rng);
    ASSERT_EQ(got.size(), expected.size());
    TCustomBitmap32 background;
    imagingtest::FillRandom(background, scene.Width, scene.Height, scene.Background);
    const std::vector<TColor32> before = imagingtest::Pixels(background);
    for (std::size_t i = 0; i < got.size(); ++i) painted += got[i] != before[i];
    for (std::size_t i = 0; i < got.size(); ++i)
      ASSERT_EQ(got[i], expected[i]) << "trial " << trial << " shift " << scene.Shift << " non-zero " << scene.NonZero
                                     << " pixel " << i % scene.Width << "," << i / scene.Width;
  }
  // The scenes paint plenty.
  EXPECT_GT(painted, 50000u);
}

// ---- reference growing

using TWide = __int128;

TFixed Saturate(TWide v) {
  return static_cast<TFixed>(std::clamp<TWide>(v, std::numeric_limits<TFixed>::min(), std::numeric_limits<TFixed>::max()));
}

TWide FixedMul(TWide a, TWide b) { return (a * b) >> 16; }

// The unit normal (dy, -dx) / length in 16.16 of the edge leaving point i;
// an edge of no length borrows from the nearest edge before it, or after it
// when none before has a length.
TFixedPoint ReferenceNormal(const TArrayOfFixedPoint& contour, std::size_t i) {
  const std::size_t n = contour.size();
  const auto normal = [&](std::size_t k) {
    const double dx = static_cast<double>(std::int64_t{contour[(k + 1) % n].X} - contour[k].X);
    const double dy = static_cast<double>(std::int64_t{contour[(k + 1) % n].Y} - contour[k].Y);
    const double length = std::hypot(dx, dy);
    if (length == 0) return TFixedPoint{};
    return TFixedPoint{static_cast<TFixed>(std::nearbyint(dy * 65536 / length)),
                       static_cast<TFixed>(std::nearbyint(-dx * 65536 / length))};
  };
  for (std::size_t k = i + 1; k-- > 0;)
    if (!(normal(k) == TFixedPoint{})) return normal(k);
  for (std::size_t k = i + 1; k < n; ++k)
    if (!(normal(k) == TFixedPoint{})) return normal(k);
  return TFixedPoint{};
}

TContours ReferenceGrow(const TContours& contours, TFixed d, float sharpness, bool closed) {
  if (d == 0) return contours;
  const float e = std::clamp(sharpness, 0.0f, 0.99f);
  const TWide limit = std::llrint(static_cast<double>(1.0f - e) * d);
  TContours result;
  for (const TArrayOfFixedPoint& contour : contours) {
    const std::size_t n = contour.size();
    if (n < 2) continue;
    TArrayOfFixedPoint grown;
    for (std::size_t i = 0; i < n; ++i) {
      const TFixedPoint p = contour[i], na = ReferenceNormal(contour, i), nb = ReferenceNormal(contour, (i + n - 1) % n);
      const TWide ax = FixedMul(na.X, d), ay = FixedMul(na.Y, d), bx = FixedMul(nb.X, d), by = FixedMul(nb.Y, d);
      const auto at = [&](TWide dx, TWide dy) { return TFixedPoint{Saturate(p.X + dx), Saturate(p.Y + dy)}; };
      if (!closed && (i == 0 || i == n - 1)) {
        grown.push_back(i == 0 ? at(ax, ay) : at(bx, by));
        continue;
      }
      const TWide sx = ax + bx, sy = ay + by;
      const TWide q = (FixedMul(bx, sx) + FixedMul(by, sy)) * 65536 / d;
      if ((q < 0 ? -q : q) <= (limit < 0 ? -limit : limit)) {
        grown.push_back(at(bx, by));
        grown.push_back(at(ax, ay));
      } else {
        grown.push_back(at(sx * d / q, sy * d / q));
      }
    }
    result.push_back(grown);
  }
  return result;
}

TEST(PolygonGrowReference, EveryPointEqualsThePlainOffset) {
  std::mt19937 rng(77);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int trial = 0; trial < 300; ++trial) {
    TPolygon32 polygon;
    polygon.Closed = trial % 3 != 0;
    TContours contours;
    for (int c = 0, count = 1 + static_cast<int>(rng() % 3); c < count; ++c) {
      TArrayOfFixedPoint points =
          trial % 2 == 0 ? Ellipse(50, 40, 5 + 40 * unit(rng), 5 + 30 * unit(rng), 1 + static_cast<int>(rng() % 300))
                         : TArrayOfFixedPoint{};
      for (int i = 0, n = trial % 2 == 0 ? 0 : 1 + static_cast<int>(rng() % 12); i < n; ++i)
        points.push_back(Fx(std::round(100 * unit(rng)), std::round(100 * unit(rng) * 4) / 4));
      if (trial % 5 == 4) {
        // Right angles: with whole-pixel offsets and sharpness 0 their q
        // equals the limit exactly.
        const double l = std::round(50 * unit(rng)), t = std::round(50 * unit(rng));
        points = {Fx(l, t), Fx(l + 20, t), Fx(l + 20, t + 10), Fx(l, t + 10)};
      }
      if (!points.empty() && rng() % 4 == 0) points.insert(points.begin() + rng() % points.size(), points[rng() % points.size()]);
      contours.push_back(points);
    }
    polygon.SetPoints(contours);
    TFixed delta = static_cast<TFixed>((unit(rng) - 0.3) * (trial % 10 == 0 ? 2e9 : 20 * 65536));
    if (trial % 5 == 4) delta = delta / 65536 * 65536;
    const float sharpness = trial % 5 == 4 ? 0.0f : static_cast<float>(unit(rng) * 1.2 - 0.1);
    const TContours expected = ReferenceGrow(contours, delta, sharpness, polygon.Closed);
    ASSERT_EQ(polygon.Grow(delta, sharpness)->GetPoints(), expected.empty() ? TContours(1) : expected) << "trial " << trial;
    TContours traced;
    for (const TArrayOfFixedPoint& contour : contours) {
      if (contour.empty()) continue;
      TArrayOfFixedPoint back(contour.rbegin(), contour.rend());
      if (polygon.Closed) {
        traced.push_back(contour);
        traced.push_back(back);
      } else {
        traced.push_back(contour);
        traced.back().insert(traced.back().end(), back.begin() + 1, back.end());
      }
    }
    const auto outline = polygon.Outline();
    ASSERT_EQ(outline->GetPoints(), traced.empty() ? TContours(1) : traced) << "trial " << trial;
    // An outline grows as any polygon of its points.
    const TContours band = ReferenceGrow(traced, delta, sharpness, polygon.Closed);
    ASSERT_EQ(outline->Grow(delta, sharpness)->GetPoints(), band.empty() ? TContours(1) : band) << "trial " << trial;
  }
}

// Edges whose normal parts lie next to a half between integers, where any
// shortcut in measuring the length would round the other way. For a part
// of m + 1/2 the edge's sine is (m + 1/2) / 65536: long edges (up to 2^31
// grid units) at that angle, each rounded to whole units, are kept when
// their part lies within 10^-8 of the half. Growing an open two-point
// contour by exactly 1.0 moves its first point by the edge's normal.
TEST(PolygonGrowReference, NormalsNextToAHalfEqualTheMeasuredOnes) {
  std::mt19937 rng(31);
  constexpr TFixed kOrigin = -(1 << 30);
  TContours contours;
  for (int angle = 0; angle < 40; ++angle) {
    const long double half = 32768 + static_cast<long double>(rng() % 32767) + 0.5L, sine = half / 65536;
    const long double slope = std::sqrt(1 / (sine * sine) - 1);
    for (std::int64_t dy = (1 << 29) + static_cast<std::int64_t>(rng() % (1 << 28)), end = dy + 40000; dy < end; ++dy) {
      const auto dx = static_cast<std::int64_t>(std::round(static_cast<long double>(dy) * slope));
      const long double part = static_cast<long double>(dy) * 65536 /
                               std::sqrt(static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy);
      if (std::fabs(part - half) >= 1e-8L) continue;
      // Both parts, both signs.
      std::int64_t x = angle % 2 == 1 ? dy : dx, y = angle % 2 == 1 ? dx : dy;
      if (angle % 4 >= 2) x = -x;
      contours.push_back({TFixedPoint{kOrigin, kOrigin},
                          TFixedPoint{static_cast<TFixed>(kOrigin + x), static_cast<TFixed>(kOrigin + y)}});
    }
  }
  EXPECT_GT(contours.size(), 200u);
  TPolygon32 polygon;
  polygon.Closed = false;
  polygon.SetPoints(contours);
  const TContours grown = polygon.Grow(65536)->GetPoints();
  ASSERT_EQ(grown.size(), contours.size());
  for (std::size_t c = 0; c < contours.size(); ++c) {
    const TFixedPoint normal = ReferenceNormal(contours[c], 0);
    ASSERT_EQ(grown[c][0], (TFixedPoint{kOrigin + normal.X, kOrigin + normal.Y})) << "edge " << c;
  }
}

}  // namespace
