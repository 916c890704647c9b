// The polygon rasterizer against exact geometry: per-pixel areas from
// polygon clipping, total areas, winding numbers at sample points, and
// hand-computed pixel sets.

#include "imaging/Polygon32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "PolygonOracle.h"
#include "imaging/Blend.h"
#include "imaging/CustomBitmap32.h"
#include "imaging/Transformation.h"
#include "platform/rtl/Exception.h"

namespace {

using oracle::TContour;
using oracle::TVec;

constexpr TColor32 kWhite = 0xFFFFFFFF;

TFixedPoint Fx(double x, double y) {
  return TFixedPoint{static_cast<TFixed>(std::lround(x * 65536)), static_cast<TFixed>(std::lround(y * 65536))};
}

TArrayOfFixedPoint Rectangle(double left, double top, double right, double bottom) {
  return {Fx(left, top), Fx(right, top), Fx(right, bottom), Fx(left, bottom)};
}

void AddContour(TPolygon32& polygon, const TArrayOfFixedPoint& points) {
  if (!polygon.GetPoints().back().empty()) polygon.NewLine();
  polygon.AddPoints(points.data(), points.size());
}

std::vector<TContour> Contours(const TPolygon32& polygon) {
  std::vector<TContour> result;
  for (const TArrayOfFixedPoint& c : polygon.GetPoints())
    if (c.size() >= 3) result.push_back(oracle::FromFixed(c));
  return result;
}

// A simple polygon around (cx, cy): corners at jittered, evenly spread angles
// (no two more than half a turn apart) and random radii.
TArrayOfFixedPoint RandomStar(std::mt19937& rng, double cx, double cy, double rMin, double rMax, int n,
                              bool clockwise) {
  std::uniform_real_distribution<double> jitter(0, 0.4), radius(rMin, rMax);
  TArrayOfFixedPoint points;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * (i + jitter(rng)) / n * (clockwise ? 1 : -1);
    const double r = radius(rng);
    points.push_back(Fx(cx + r * std::cos(a), cy + r * std::sin(a)));
  }
  return points;
}

// Coverage of every pixel, 0..1: the polygon filled in opaque white, merged
// onto transparent pixels, leaves its coverage in the alpha channel.
std::vector<double> Coverage(const TPolygon32& polygon, int width, int height) {
  TCustomBitmap32 bitmap;
  bitmap.SetSize(width, height);
  bitmap.Clear(0);
  bitmap.SetCombineMode(cmMerge);
  polygon.DrawFill(bitmap, kWhite);
  std::vector<double> coverage;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) coverage.push_back((bitmap.GetPixel(x, y) >> 24) / 255.0);
  return coverage;
}

std::vector<bool> Filled(const TPolygon32& polygon, int width, int height) {
  TCustomBitmap32 bitmap;
  bitmap.SetSize(width, height);
  bitmap.Clear(0);
  polygon.DrawFill(bitmap, kWhite);
  std::vector<bool> filled;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) filled.push_back(bitmap.GetPixel(x, y) == kWhite);
  return filled;
}

void Antialias(TPolygon32& polygon, TAntialiasMode mode, TPolyFillMode fill = pfEvenOdd) {
  polygon.Antialiased = true;
  polygon.AntialiasMode = mode;
  polygon.FillMode = fill;
}

// Sub-samples per axis of each antialias mode.
int Samples(TAntialiasMode mode) { return 32 >> static_cast<int>(mode); }

// What a pixel may differ from its exact area by, for each edge that passes
// within a sub-sample of it:
// its ends rounded to the sub-sample grid (moving it by up to 0.71 of a
// sub-sample), its crossing of each sub-row rounded to a sub-sample (0.5),
// and crossings taken on the line each sub-row starts at (0.5 of a sub-row);
// then the alpha is quantised.
double Tolerance(TAntialiasMode mode, int edges) { return edges * 1.75 / Samples(mode) + 2 / 255.0; }

const TAntialiasMode kModes[] = {am32times, am16times, am8times, am4times, am2times};

// --- Aliased filling

TEST(PolygonFill, AliasedSquareCoversTheWholePixelsInside) {
  for (TPolyFillMode fill : {pfEvenOdd, pfNonZero}) {
    TPolygon32 polygon;
    polygon.FillMode = fill;
    AddContour(polygon, Rectangle(10, 10, 20, 20));
    const std::vector<bool> filled = Filled(polygon, 32, 32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        EXPECT_EQ(filled[y * 32 + x], x >= 10 && x < 20 && y >= 10 && y < 20) << x << "," << y;
  }
}

TEST(PolygonFill, AliasedPolygonsMatchPointSamplesAtPixelCentres) {
  // Without antialiasing, rows are sampled on the whole row lines the
  // corners are rounded to, and columns at the pixel centres; both fill rules
  // on self-intersecting contours. Centres within 1/256 of an edge may go
  // either way and are not counted.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coordinate(-4, 36);
  int compared = 0;
  for (int trial = 0; trial < 60; ++trial) {
    TPolygon32 polygon;
    polygon.FillMode = trial % 2 ? pfNonZero : pfEvenOdd;
    for (int c = 0; c < 1 + trial % 3; ++c) {
      TArrayOfFixedPoint points;
      for (int i = 0; i < 3 + trial % 7; ++i)
        points.push_back(Fx(std::round(coordinate(rng) * 256) / 256, std::round(coordinate(rng))));
      AddContour(polygon, points);
    }
    const std::vector<TContour> contours = Contours(polygon);
    const std::vector<bool> filled = Filled(polygon, 32, 32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const TVec sample{x + 0.5, static_cast<double>(y)};
        const bool nearEdge = oracle::Inside(contours, TVec{sample.X - 1 / 256.0, sample.Y}, false) !=
                                  oracle::Inside(contours, TVec{sample.X + 1 / 256.0, sample.Y}, false) ||
                              oracle::Winding(contours, TVec{sample.X - 1 / 256.0, sample.Y}) !=
                                  oracle::Winding(contours, TVec{sample.X + 1 / 256.0, sample.Y});
        if (nearEdge) continue;
        ++compared;
        ASSERT_EQ(filled[y * 32 + x], oracle::Inside(contours, sample, polygon.FillMode == pfNonZero))
            << "trial " << trial << " pixel " << x << "," << y;
      }
  }
  EXPECT_GT(compared, 50000);
}

TEST(PolygonFill, AliasedSpansOfTouchingContoursNeitherOverlapNorLeaveGaps) {
  // Two rectangles sharing the edge x = 12.5 (a pixel centre) and a
  // half-transparent colour: every pixel of the band is blended exactly once.
  TPolygon32 polygon;
  polygon.FillMode = pfNonZero;
  AddContour(polygon, Rectangle(4.25, 2, 12.5, 6));
  AddContour(polygon, Rectangle(12.5, 2, 20.75, 6));
  TCustomBitmap32 bitmap;
  bitmap.SetSize(24, 8);
  bitmap.Clear(clBlack32);
  polygon.DrawFill(bitmap, 0x80FFFFFF);
  const TColor32 once = imaging::BlendReg(0x80FFFFFF, clBlack32);
  for (int x = 0; x < 24; ++x) EXPECT_EQ(bitmap.GetPixel(x, 3), x >= 4 && x < 21 ? once : clBlack32) << x;
}

// --- Antialiased filling against exact areas

TEST(PolygonFill, InteriorPixelsAreOpaqueAndHalfPixelEdgesHalfCovered) {
  for (TAntialiasMode mode : kModes) {
    TPolygon32 whole;
    Antialias(whole, mode);
    AddContour(whole, Rectangle(10, 10, 20, 20));
    const std::vector<double> c = Coverage(whole, 32, 32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        EXPECT_NEAR(c[y * 32 + x], x >= 10 && x < 20 && y >= 10 && y < 20 ? 1.0 : 0, 1e-9);

    TPolygon32 shifted;
    Antialias(shifted, mode);
    AddContour(shifted, Rectangle(10.5, 10.5, 20.5, 20.5));
    const std::vector<double> s = Coverage(shifted, 32, 32);
    EXPECT_NEAR(s[15 * 32 + 10], 0.5, Tolerance(mode, 1)) << "left edge, mode " << int(mode);
    EXPECT_NEAR(s[10 * 32 + 15], 0.5, Tolerance(mode, 1)) << "top edge";
    EXPECT_NEAR(s[15 * 32 + 20], 0.5, Tolerance(mode, 1)) << "right edge";
    EXPECT_NEAR(s[10 * 32 + 10], 0.25, Tolerance(mode, 2)) << "corner";
    EXPECT_NEAR(s[15 * 32 + 15], 1.0, 1e-9);
  }
}

TEST(PolygonFill, EveryPixelMatchesTheExactAreaInsideIt) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> centre(14, 26);
  for (TAntialiasMode mode : kModes)
    for (int trial = 0; trial < 12; ++trial) {
      TPolygon32 polygon;
    Antialias(polygon, mode, trial % 2 ? pfNonZero : pfEvenOdd);
      const double cx = centre(rng), cy = centre(rng);
      AddContour(polygon, RandomStar(rng, cx, cy, 2, 13, 3 + trial * 3, trial % 3 == 0));
      const TContour contour = Contours(polygon)[0];
      const std::vector<double> c = Coverage(polygon, 40, 40);
      double absoluteError = 0;
      int boundary = 0;
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
          const int edges = oracle::EdgesMeetingPixel({contour}, x, y, 1.0 / Samples(mode));
          const double exact = oracle::PixelArea(contour, x, y);
          const double got = c[y * 40 + x];
          ASSERT_NEAR(got, exact, Tolerance(mode, edges))
              << "mode " << int(mode) << " trial " << trial << " pixel " << x << "," << y << " edges " << edges;
          if (edges > 0) {
            absoluteError += std::fabs(got - exact);
            ++boundary;
          }
        }
      // On average a boundary pixel is far closer than the bound.
      EXPECT_LT(absoluteError / boundary, 0.5 / Samples(mode) + 1 / 255.0)
          << "mode " << int(mode) << " trial " << trial;
    }
}

// The contour with its corners on the sub-sample grid, as the rasterizer
// takes them: to the nearest grid line, halves down.
TContour Snapped(const TContour& contour, int n) {
  TContour result;
  for (const TVec& p : contour)
    result.push_back(TVec{std::ceil(p.X * n - 0.5) / n, std::ceil(p.Y * n - 0.5) / n});
  return result;
}

TEST(PolygonFill, TotalCoverageOfRandomPolygonsIsTheirArea) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> centre(40, 60);
  for (TAntialiasMode mode : kModes)
    for (int trial = 0; trial < 6; ++trial) {
      TPolygon32 polygon;
      Antialias(polygon, mode);
      const double cx = centre(rng), cy = centre(rng);
      AddContour(polygon, RandomStar(rng, cx, cy, 5, 38, 8 + 6 * trial, trial % 2 == 0));
      const TContour contour = Contours(polygon)[0];
      const int n = Samples(mode);
      double perimeter = 0, height = 0;
      for (std::size_t i = 0; i < contour.size(); ++i) {
        const TVec& a = contour[i];
        const TVec& b = contour[(i + 1) % contour.size()];
        perimeter += std::hypot(b.X - a.X, b.Y - a.Y);
        height += std::fabs(b.Y - a.Y);
      }
      double total = 0;
      for (double v : Coverage(polygon, 100, 100)) total += v;
      // Against the polygon as rasterized: only the roundings of the sub-row
      // crossings remain, each uniform within half a sub-sample; five
      // standard deviations of their sum, plus the alpha quantisation.
      const double crossings = height * n;
      const double quantisation = perimeter * 2 / 255.0;
      EXPECT_NEAR(total, std::fabs(oracle::SignedArea(Snapped(contour, n))),
                  5 * std::sqrt(crossings / 12) / (n * n) + quantisation)
          << "mode " << int(mode) << " trial " << trial;
      // Against the polygon as given: its corners move by up to 0.71 of a
      // sub-sample.
      EXPECT_NEAR(total, std::fabs(oracle::SignedArea(contour)), perimeter * 0.71 / n + quantisation)
          << "mode " << int(mode) << " trial " << trial;
    }
}

TEST(PolygonFill, ContoursFarOutsideTheBitmapAreClampedToItsEdges) {
  // A triangle whose corners lie far left and right: its rows are cut at the
  // clip rectangle but keep their coverage.
  TPolygon32 polygon;
    Antialias(polygon, am8times);
  AddContour(polygon, {Fx(-3000, 0), Fx(3000, 0), Fx(3000, 32)});
  const TContour contour = Contours(polygon)[0];
  const std::vector<double> c = Coverage(polygon, 32, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      ASSERT_NEAR(c[y * 32 + x], oracle::PixelArea(contour, x, y),
                  Tolerance(am8times, oracle::EdgesMeetingPixel({contour}, x, y, 1.0 / 8)));
}

// The documented sampling, sub-sample by sub-sample: corners rounded to the
// grid, each edge crossing every grid row from its upper end to its lower one
// at its x there rounded to the nearest column (halves up), the columns from
// each span start up to each span end counted as inside.
std::vector<int> SubsampleAlphas(const TPolygon32& polygon, int width, int height) {
  const int s = 5 - static_cast<int>(polygon.AntialiasMode), n = 1 << s, shift = 16 - s;
  const auto grid = [&](TFixed v) { return (std::int64_t{v} + (std::int64_t{1} << (shift - 1)) - 1) >> shift; };
  const auto floorDiv = [](std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  std::vector<int> counts(static_cast<std::size_t>(width * height));
  for (std::int64_t row = 0; row < std::int64_t{height} * n; ++row) {
    std::vector<std::pair<std::int64_t, int>> crossings;
    for (const TArrayOfFixedPoint& contour : polygon.GetPoints()) {
      if (contour.size() < 3) continue;
      for (std::size_t i = 0; i < contour.size(); ++i) {
        const TFixedPoint& p = contour[i];
        const TFixedPoint& q = contour[(i + 1) % contour.size()];
        std::int64_t x0 = grid(p.X), y0 = grid(p.Y), x1 = grid(q.X), y1 = grid(q.Y);
        const int direction = y1 < y0 ? 1 : -1;
        if (y1 < y0) {
          std::swap(x0, x1);
          std::swap(y0, y1);
        }
        if (row < y0 || row >= y1) continue;
        const std::int64_t x = x0 + floorDiv(2 * (row - y0) * (x1 - x0) + (y1 - y0), 2 * (y1 - y0));
        crossings.push_back({std::clamp<std::int64_t>(x, 0, std::int64_t{width} * n), direction});
      }
    }
    std::sort(crossings.begin(), crossings.end());
    int winding = 0;
    for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
      winding += crossings[i].second;
      const bool inside = polygon.FillMode == pfNonZero ? winding != 0 : i % 2 == 0;
      if (!inside) continue;
      for (std::int64_t c = crossings[i].first; c < crossings[i + 1].first; ++c)
        ++counts[static_cast<std::size_t>((row >> s) * width + (c >> s))];
    }
  }
  for (int& c : counts) c = c * 255 >> (2 * s);
  return counts;
}

TEST(PolygonFill, AlphaCountsExactlyTheSubsamplesInside) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> coordinate(-6, 30);
  for (TAntialiasMode mode : kModes)
    for (int trial = 0; trial < 30; ++trial) {
      TPolygon32 polygon;
      Antialias(polygon, mode, trial % 2 ? pfNonZero : pfEvenOdd);
      for (int c = 0; c < 1 + trial % 3; ++c) {
        TArrayOfFixedPoint points;
        if (trial % 5 == 0) {
          points = RandomStar(rng, 12, 12, 2, 14, 5 + trial, trial % 2 == 0);
        } else {
          for (int i = 0; i < 3 + trial % 9; ++i) points.push_back(Fx(coordinate(rng), coordinate(rng)));
        }
        AddContour(polygon, points);
      }
      TCustomBitmap32 bitmap;
      bitmap.SetSize(24, 24);
      bitmap.Clear(0);
      bitmap.SetCombineMode(cmMerge);
      polygon.DrawFill(bitmap, kWhite);
      const std::vector<int> expected = SubsampleAlphas(polygon, 24, 24);
      for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
          ASSERT_EQ(static_cast<int>(bitmap.GetPixel(x, y) >> 24), expected[y * 24 + x])
              << "mode " << int(mode) << " trial " << trial << " pixel " << x << "," << y;
    }
}

// --- Fill rules

TEST(PolygonFill, OverlapOfTwoContoursDependsOnTheRuleAndTheirOrientation) {
  const TArrayOfFixedPoint first = Rectangle(4, 4, 16, 16);
  const TArrayOfFixedPoint second = Rectangle(10, 10, 22, 22);
  TArrayOfFixedPoint reversed(second.rbegin(), second.rend());
  struct TCase {
    TPolyFillMode Fill;
    bool SameOrientation;
    bool OverlapFilled;
  } cases[] = {{pfEvenOdd, true, false}, {pfNonZero, true, true}, {pfEvenOdd, false, false},
               {pfNonZero, false, false}};
  for (const TCase& test : cases)
    for (bool antialiased : {false, true}) {
      TPolygon32 polygon;
    Antialias(polygon, am4times, test.Fill);
      polygon.Antialiased = antialiased;
      AddContour(polygon, first);
      AddContour(polygon, test.SameOrientation ? second : reversed);
      const std::vector<double> c = Coverage(polygon, 26, 26);
      EXPECT_EQ(c[12 * 26 + 12], test.OverlapFilled ? 1.0 : 0.0);
      EXPECT_EQ(c[6 * 26 + 6], 1.0);
      EXPECT_EQ(c[19 * 26 + 19], 1.0);
      EXPECT_EQ(c[2 * 26 + 2], 0.0);
    }
}

TEST(PolygonFill, SelfOverlappingStarsFollowTheWindingOfEveryPixel) {
  // Pentagrams and a seven-pointed star drawn through every third corner:
  // the inner regions wind twice or three times. Oracle: winding numbers on a
  // fine sample grid in each pixel.
  struct TStar {
    int Corners, Step;
    double Radius;
  } stars[] = {{5, 2, 15}, {7, 3, 16}, {9, 4, 16.5}};
  for (const TStar& star : stars)
    for (TPolyFillMode fill : {pfEvenOdd, pfNonZero}) {
      TPolygon32 polygon;
    Antialias(polygon, am16times, fill);
      TArrayOfFixedPoint points;
      for (int i = 0; i < star.Corners; ++i) {
        const double a = 2 * std::numbers::pi * (i * star.Step % star.Corners) / star.Corners + 0.1;
        points.push_back(Fx(20.3 + star.Radius * std::cos(a), 19.7 + star.Radius * std::sin(a)));
      }
      AddContour(polygon, points);
      const std::vector<TContour> contours = Contours(polygon);
      const std::vector<double> c = Coverage(polygon, 40, 40);
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
          const int edges = oracle::EdgesMeetingPixel(contours, x, y, 1.0 / 16);
          // The sampled oracle is itself off by up to 2/32 per edge; a pixel
          // no edge comes near is all in or all out.
          const int samples = edges == 0 ? 1 : 32;
          ASSERT_NEAR(c[y * 40 + x], oracle::SampledCoverage(contours, x, y, fill == pfNonZero, samples),
                      Tolerance(am16times, edges) + edges * 2.0 / samples)
              << star.Corners << " corners, rule " << int(fill) << ", pixel " << x << "," << y;
        }
      // The centre winds more than once: filled by non-zero only when the
      // winding is even.
      const int centreWinding = oracle::Winding(contours, TVec{20.5, 20.5});
      EXPECT_GE(std::abs(centreWinding), 2);
      const bool centreFilled = fill == pfNonZero || centreWinding % 2 != 0;
      EXPECT_EQ(c[20 * 40 + 20], centreFilled ? 1.0 : 0.0);
    }
}

// --- Colour, clipping, transformation, notification

TEST(PolygonFill, ColourAlphaWeighsTheFillThroughTheBitmapsCombineMode) {
  for (TCombineMode combine : {cmBlend, cmMerge}) {
    TPolygon32 polygon;
    Antialias(polygon, am8times);
    AddContour(polygon, Rectangle(2, 2, 6.5, 6));
    TCustomBitmap32 bitmap;
    bitmap.SetSize(8, 8);
    bitmap.Clear(0xC0203040);
    bitmap.SetCombineMode(combine);
    const TColor32 color = 0x9080A0F0;
    polygon.DrawFill(bitmap, color);
    const TBlendLineEx blend = imaging::BlendLineExOf(combine);
    // Interior: the colour at full coverage weighed by its own alpha.
    TColor32 expected = 0xC0203040;
    const TColor32 opaque = color | 0xFF000000;
    blend(&opaque, &expected, 1, color >> 24);
    EXPECT_EQ(bitmap.GetPixel(3, 3), expected);
    // The half-covered column: coverage alpha 128 or so, then weighed.
    const TColor32 half = bitmap.GetPixel(6, 3);
    EXPECT_NE(half, expected);
    EXPECT_NE(half, 0xC0203040u);
    EXPECT_EQ(bitmap.GetPixel(7, 3), 0xC0203040u);
  }
}

TEST(PolygonFill, NothingOutsideTheClipRectangleChanges) {
  std::mt19937 rng(3);
  for (bool antialiased : {false, true})
    for (int trial = 0; trial < 10; ++trial) {
      TPolygon32 polygon;
    Antialias(polygon, am4times, trial % 2 ? pfNonZero : pfEvenOdd);
      polygon.Antialiased = antialiased;
      AddContour(polygon, RandomStar(rng, 16, 16, 3, 20, 12, true));
      TCustomBitmap32 full, clipped;
      for (TCustomBitmap32* b : {&full, &clipped}) {
        b->SetSize(32, 32);
        b->Clear(0xFF102030);
      }
      const TRect clip{5 + trial, 3, 27 - trial, 20 + trial};
      clipped.SetClipRect(clip);
      polygon.DrawFill(full, 0xFFFFFFFF);
      polygon.DrawFill(clipped, 0xFFFFFFFF);
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
          const bool inside = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
          ASSERT_EQ(clipped.GetPixel(x, y), inside ? full.GetPixel(x, y) : 0xFF102030u) << x << "," << y;
        }
    }
}

class TTranslation : public TTransformation {
public:
  TTranslation(TFixed dx, TFixed dy) : Dx(dx), Dy(dy) {}
  TFixedPoint Transform(const TFixedPoint& p) const override { return TFixedPoint{p.X + Dx, p.Y + Dy}; }

private:
  TFixed Dx, Dy;
};

TEST(PolygonFill, TransformationMapsThePointsFirst) {
  std::mt19937 rng(9);
  TPolygon32 polygon;
    Antialias(polygon, am8times);
  AddContour(polygon, RandomStar(rng, 10, 10, 2, 8, 9, false));
  const TTranslation move(Fx(7.25, 3.5).X, Fx(7.25, 3.5).Y);
  TCustomBitmap32 transformed, offset;
  for (TCustomBitmap32* b : {&transformed, &offset}) {
    b->SetSize(30, 30);
    b->Clear(clBlack32);
  }
  polygon.DrawFill(transformed, 0xFFFF8000, &move);
  TPolygon32 moved;
  moved.Assign(&polygon);
  moved.Offset(Fx(7.25, 3.5).X, Fx(7.25, 3.5).Y);
  moved.DrawFill(offset, 0xFFFF8000);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) ASSERT_EQ(transformed.GetPixel(x, y), offset.GetPixel(x, y));
  const TFixedRect bounds = polygon.GetBounds(&move);
  const TFixedRect plain = polygon.GetBounds();
  EXPECT_EQ(bounds.Left, plain.Left + Fx(7.25, 0).X);
  EXPECT_EQ(bounds.Bottom, plain.Bottom + Fx(0, 3.5).Y);
}

TEST(PolygonFill, DrawingNotifiesOnceAndMeasuringOnlyReportsTheBounds) {
  TPolygon32 polygon;
    Antialias(polygon, am8times);
  AddContour(polygon, Rectangle(2.5, 3.25, 9.75, 7));
  TCustomBitmap32 bitmap;
  bitmap.SetSize(12, 12);
  bitmap.Clear(clBlack32);
  int changes = 0;
  bitmap.OnChange = [&](TPersistent*) { ++changes; };
  polygon.DrawFill(bitmap, kWhite);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(bitmap.GetUpdateCount(), 0);
  EXPECT_EQ(bitmap.GetPixel(5, 5), imaging::BlendRegEx(kWhite, clBlack32, 255));

  TCustomBitmap32 measured;
  measured.SetSize(12, 12);
  measured.Clear(clBlack32);
  std::vector<TRect> areas;
  measured.BeginMeasuring([&](TPersistent*, const TRect& r, std::uint32_t) { areas.push_back(r); });
  polygon.DrawFill(measured, kWhite);
  measured.EndMeasuring();
  ASSERT_FALSE(areas.empty());
  EXPECT_EQ(areas.front(), (TRect{2, 3, 10, 7}));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) EXPECT_EQ(measured.GetPixel(x, y), clBlack32);
}

// --- Degenerate input

TEST(PolygonFill, DegenerateContoursDrawNothingAndNeverFail) {
  TCustomBitmap32 bitmap;
  bitmap.SetSize(16, 16);
  const auto untouched = [&](const TPolygon32& polygon) {
    bitmap.Clear(clBlack32);
    polygon.DrawFill(bitmap, kWhite);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        if (bitmap.GetPixel(x, y) != clBlack32) return false;
    return true;
  };
  for (bool antialiased : {false, true}) {
    TPolygon32 empty, twoPoints, repeated, line, flat;
    for (TPolygon32* p : {&empty, &twoPoints, &repeated, &line, &flat}) p->Antialiased = antialiased;
    EXPECT_TRUE(untouched(empty));
    twoPoints.Add(Fx(1, 1));  // fewer than three points are not filled
    twoPoints.Add(Fx(12, 12));
    EXPECT_TRUE(untouched(twoPoints));
    for (int i = 0; i < 5; ++i) repeated.Add(Fx(5.5, 5.5));
    EXPECT_TRUE(untouched(repeated));
    // No area: all corners on one diagonal, on whole pixels so that no
    // rounding to the grid bends it.
    for (double t : {0.0, 3.0, 1.0, 9.0}) line.Add(Fx(2 + t, 2 + t));
    EXPECT_TRUE(untouched(line));
    // A horizontal sliver.
    for (double x : {1.0, 14.0, 7.0}) flat.Add(Fx(x, 4.25));
    EXPECT_TRUE(untouched(flat));
  }
}

TEST(PolygonFill, RepeatedPointsChangeNothing) {
  std::mt19937 rng(21);
  for (bool antialiased : {false, true}) {
    TPolygon32 plain, doubled;
    Antialias(plain, am8times);
    Antialias(doubled, am8times);
    plain.Antialiased = doubled.Antialiased = antialiased;
    const TArrayOfFixedPoint star = RandomStar(rng, 16, 16, 4, 14, 11, true);
    AddContour(plain, star);
    for (const TFixedPoint& p : star) {
      doubled.Add(p);
      doubled.Add(p);
    }
    EXPECT_EQ(Coverage(plain, 32, 32), Coverage(doubled, 32, 32));
  }
}

TEST(PolygonFill, EmptyBitmapsEmptyClipsAndHugeCoordinatesAreHarmless) {
  const TFixed big = std::numeric_limits<TFixed>::max(), small = std::numeric_limits<TFixed>::min();
  TPolygon32 huge;
    Antialias(huge, am32times, pfNonZero);
  huge.Add(TFixedPoint{small, small});
  huge.Add(TFixedPoint{big, small});
  huge.Add(TFixedPoint{big, big});
  huge.Add(TFixedPoint{small, big});
  TCustomBitmap32 empty;
  huge.DrawFill(empty, kWhite);
  huge.DrawEdge(empty, kWhite);

  TCustomBitmap32 bitmap;
  bitmap.SetSize(20, 10);
  bitmap.Clear(clBlack32);
  bitmap.SetClipRect(TRect{5, 5, 5, 9});
  huge.DrawFill(bitmap, kWhite);
  EXPECT_EQ(bitmap.GetPixel(5, 5), clBlack32);

  // Covering everything: every pixel, whatever the mode.
  bitmap.SetClipRect(bitmap.BoundsRect());
  for (bool antialiased : {false, true}) {
    huge.Antialiased = antialiased;
    bitmap.Clear(clBlack32);
    const auto start = std::chrono::steady_clock::now();
    huge.DrawFill(bitmap, 0xFF00FF00);
    huge.DrawEdge(bitmap, 0xFF00FF00);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    // Full coverage weighed by the colour's own alpha through the blend.
    TColor32 expected = clBlack32;
    const TColor32 green = 0xFF00FF00;
    if (antialiased) imaging::BlendLineEx(&green, &expected, 1, 255);
    else expected = green;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x) ASSERT_EQ(bitmap.GetPixel(x, y), expected);
  }
}

// --- Edges

TEST(PolygonEdge, PolylinesJoinTheirPointsAndCloseWhenClosed) {
  TPolygon32 polygon;
  polygon.Add(Fx(2, 2));
  polygon.Add(Fx(8, 2));
  polygon.Add(Fx(8, 6));
  for (bool closed : {false, true}) {
    polygon.Closed = closed;
    TCustomBitmap32 bitmap;
    bitmap.SetSize(12, 10);
    bitmap.Clear(clBlack32);
    polygon.DrawEdge(bitmap, kWhite);
    for (int x = 2; x < 8; ++x) EXPECT_EQ(bitmap.GetPixel(x, 2), kWhite) << x;
    for (int y = 2; y < 6; ++y) EXPECT_EQ(bitmap.GetPixel(8, y), kWhite) << y;
    // The diagonal from (8, 6) back to (2, 2) only when closed.
    EXPECT_EQ(bitmap.GetPixel(5, 4), closed ? kWhite : clBlack32);
  }
}

TEST(PolygonEdge, TwoPointContourIsDrawnAndOnePointClosedContourIsADot) {
  TPolygon32 polygon;
  Antialias(polygon, am8times);
  polygon.Add(Fx(1, 1));
  polygon.Add(Fx(9, 1));
  polygon.NewLine();
  polygon.Add(Fx(5, 6));
  TCustomBitmap32 bitmap;
  bitmap.SetSize(12, 10);
  bitmap.Clear(clBlack32);
  polygon.DrawEdge(bitmap, kWhite);
  EXPECT_NE(bitmap.GetPixel(5, 1), clBlack32);
  EXPECT_NE(bitmap.GetPixel(5, 6), clBlack32);
  polygon.Antialiased = false;
  bitmap.Clear(clBlack32);
  polygon.DrawEdge(bitmap, 0x80FFFFFF);
  const TColor32 once = imaging::BlendReg(0x80FFFFFF, clBlack32);
  EXPECT_EQ(bitmap.GetPixel(5, 6), once);
  // Closed: there and back again, so every pixel of the line twice.
  EXPECT_EQ(bitmap.GetPixel(3, 1), imaging::BlendReg(0x80FFFFFF, once));
  polygon.Closed = false;
  bitmap.Clear(clBlack32);
  polygon.DrawEdge(bitmap, 0x80FFFFFF);
  EXPECT_EQ(bitmap.GetPixel(3, 1), once);
  EXPECT_EQ(bitmap.GetPixel(5, 6), clBlack32);
}

// --- Points and properties

TEST(Polygon32, PointOperationsAndAssignment) {
  TPolygon32 polygon;
  ASSERT_EQ(polygon.GetPoints().size(), 1u);
  EXPECT_TRUE(polygon.Closed);
  EXPECT_FALSE(polygon.Antialiased);
  EXPECT_EQ(polygon.AntialiasMode, am8times);
  EXPECT_EQ(polygon.FillMode, pfEvenOdd);
  const TFixedPoint points[] = {Fx(1, 2), Fx(3, 4), Fx(5, 6)};
  polygon.AddPoints(points, 2);
  polygon.NewLine();
  polygon.Add(points[2]);
  polygon.Offset(FixedOne, -FixedOne);
  ASSERT_EQ(polygon.GetPoints().size(), 2u);
  EXPECT_EQ(polygon.GetPoints()[0], (TArrayOfFixedPoint{Fx(2, 1), Fx(4, 3)}));
  EXPECT_EQ(polygon.GetPoints()[1], (TArrayOfFixedPoint{Fx(6, 5)}));
  const TFixedRect bounds = polygon.GetBounds();
  EXPECT_EQ(bounds, (TFixedRect{Fx(2, 0).X, Fx(0, 1).Y, Fx(6, 0).X, Fx(0, 5).Y}));

  polygon.Antialiased = true;
  polygon.AntialiasMode = am2times;
  polygon.FillMode = pfNonZero;
  polygon.Closed = false;
  TPolygon32 copy;
  copy.Assign(&polygon);
  EXPECT_EQ(copy.GetPoints(), polygon.GetPoints());
  EXPECT_TRUE(copy.Antialiased);
  EXPECT_EQ(copy.AntialiasMode, am2times);
  EXPECT_EQ(copy.FillMode, pfNonZero);
  EXPECT_FALSE(copy.Closed);

  polygon.Clear();
  EXPECT_EQ(polygon.GetPoints(), (TArrayOfArrayOfFixedPoint{{}}));
  EXPECT_EQ(polygon.GetBounds(), TFixedRect{});
  polygon.SetPoints({});
  EXPECT_EQ(polygon.GetPoints().size(), 1u);

  TCustomBitmap32 notAPolygon;
  EXPECT_THROW(notAPolygon.Assign(&copy), EConvertError);
}

TEST(Polygon32, OffsetHoldsPointsAtTheEndsOfTheRange) {
  TPolygon32 polygon;
  polygon.Add(TFixedPoint{std::numeric_limits<TFixed>::max() - 5, std::numeric_limits<TFixed>::min() + 5});
  polygon.Offset(100, -100);
  EXPECT_EQ(polygon.GetPoints()[0][0],
            (TFixedPoint{std::numeric_limits<TFixed>::max(), std::numeric_limits<TFixed>::min()}));
}

}  // namespace
