// The polygon rasterizer against exact geometry: per-pixel areas from
// polygon clipping, the sub-samples inside counted one by one, winding
// numbers at sample points, and hand-computed pixel sets. Offset contours and
// outlines: squares grow into squares of side + 2d, corners are cut or
// mitred by the sharpness, grown outlines fill bands of the expected area.

#include "imaging/polygon/Polygon32.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "tests/imaging/ImagingTestSupport.h"
#include "tests/imaging/polygon/PolygonOracle.h"
#include "imaging/blend/Blend.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/polygon/Transformation.h"

namespace {

using imagingtest::Fx;
using imagingtest::Pixels;
using imagingtest::Solid;
using oracle::TContour;
using oracle::TVec;
using TContours = std::vector<TArrayOfFixedPoint>;

constexpr TColor32 kWhite = 0xFFFFFFFF;
constexpr TAntialiasMode kModes[] = {am32times, am16times, am8times, am4times, am2times};

TArrayOfFixedPoint Rectangle(double left, double top, double right, double bottom) {
  return {Fx(left, top), Fx(right, top), Fx(right, bottom), Fx(left, bottom)};
}

// The contours as one polygon; amNone draws without antialiasing.
std::unique_ptr<TPolygon32> Polygon(const TContours& contours, TAntialiasMode mode, TPolyFillMode fill = pfEvenOdd) {
  auto polygon = std::make_unique<TPolygon32>();
  polygon->Antialiased = mode != amNone;
  polygon->AntialiasMode = mode == amNone ? am8times : mode;
  polygon->FillMode = fill;
  for (const TArrayOfFixedPoint& points : contours) {
    if (!polygon->GetPoints().back().empty()) polygon->NewLine();
    polygon->AddPoints(points.data(), points.size());
  }
  return polygon;
}

// A simple polygon around (cx, cy): corners at jittered, evenly spread angles
// (no two more than half a turn apart) and random radii.
TArrayOfFixedPoint RandomStar(std::mt19937& rng, double cx, double cy, double rMin, double rMax, int n,
                              bool clockwise) {
  std::uniform_real_distribution<double> jitter(0, 0.4), radius(rMin, rMax);
  TArrayOfFixedPoint points;
  for (int i = 0; i < n; ++i) {
    const double a = 2 * std::numbers::pi * (i + jitter(rng)) / n * (clockwise ? 1 : -1), r = radius(rng);
    points.push_back(Fx(cx + r * std::cos(a), cy + r * std::sin(a)));
  }
  return points;
}

// The polygon filled in opaque white, merged onto transparent pixels: the
// alpha channel holds the coverage.
std::vector<TColor32> Drawn(const TPolygon32& polygon, int width, int height) {
  TCustomBitmap32 bitmap;
  Solid(bitmap, width, height, 0);
  bitmap.SetCombineMode(cmMerge);
  polygon.DrawFill(bitmap, kWhite);
  return Pixels(bitmap);
}

double Coverage(TColor32 pixel) { return (pixel >> 24) / 255.0; }

// Sub-samples per axis of each antialias mode.
int Samples(TAntialiasMode mode) { return 32 >> static_cast<int>(mode); }

// What a pixel may differ from its exact area by, for each edge that passes
// within a sub-sample of it: its ends rounded to the sub-sample grid (moving
// it by up to 0.71 of a sub-sample), its crossing of each sub-row rounded to
// a sub-sample (0.5), and crossings taken on the line each sub-row starts at
// (0.5 of a sub-row); then the alpha is quantised.
double Tolerance(TAntialiasMode mode, int edges) { return edges * 1.75 / Samples(mode) + 2 / 255.0; }

// --- Aliased filling

TEST(PolygonFill, AliasedPolygonsMatchPointSamplesAtPixelCentres) {
  // Rows are sampled on the whole row lines the corners are rounded to, and
  // columns at the pixel centres; both fill rules on self-intersecting
  // contours. Centres within 1/256 of an edge may go either way.
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coordinate(-4, 36);
  int compared = 0;
  for (int trial = 0; trial < 60; ++trial) {
    TContours contours(static_cast<std::size_t>(1 + trial % 3));
    for (TArrayOfFixedPoint& points : contours)
      for (int i = 0; i < 3 + trial % 7; ++i)
        points.push_back(Fx(std::round(coordinate(rng) * 256) / 256, std::round(coordinate(rng))));
    const auto polygon = Polygon(contours, amNone, trial % 2 ? pfNonZero : pfEvenOdd);
    std::vector<TContour> exact;
    for (const TArrayOfFixedPoint& points : contours) exact.push_back(oracle::FromFixed(points));
    const std::vector<TColor32> drawn = Drawn(*polygon, 32, 32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) {
        const TVec sample{x + 0.5, static_cast<double>(y)}, left{sample.X - 1 / 256.0, sample.Y},
            right{sample.X + 1 / 256.0, sample.Y};
        if (oracle::Winding(exact, left) != oracle::Winding(exact, right)) continue;
        ++compared;
        ASSERT_EQ(drawn[y * 32 + x] == kWhite, oracle::Inside(exact, sample, polygon->FillMode == pfNonZero))
            << "trial " << trial << " pixel " << x << "," << y;
      }
  }
  EXPECT_GT(compared, 50000);
}

// --- Antialiased filling against exact areas

TEST(PolygonFill, EveryPixelMatchesTheExactAreaInsideIt) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> centre(14, 26);
  for (TAntialiasMode mode : kModes)
    for (int trial = 0; trial < 15; ++trial) {
      // A square in whole pixels, one shifted by half a pixel (half-covered
      // edges), a triangle reaching far outside the bitmap, random stars.
      const TArrayOfFixedPoint fixed[] = {Rectangle(10, 10, 20, 20), Rectangle(10.5, 10.5, 20.5, 20.5),
                                          {Fx(-3000, 0), Fx(3000, 0), Fx(3000, 32)}};
      const TArrayOfFixedPoint contour =
          trial < 3 ? fixed[trial] : RandomStar(rng, centre(rng), centre(rng), 2, 13, 3 * trial - 6, trial % 3 == 0);
      const auto polygon = Polygon({contour}, mode, trial % 2 ? pfNonZero : pfEvenOdd);
      const TContour exact = oracle::FromFixed(contour);
      const std::vector<TColor32> drawn = Drawn(*polygon, 40, 40);
      double absoluteError = 0;
      int boundary = 0;
      for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
          const int edges = oracle::EdgesMeetingPixel({exact}, x, y, 1.0 / Samples(mode));
          const double area = oracle::PixelArea(exact, x, y), got = Coverage(drawn[y * 40 + x]);
          ASSERT_NEAR(got, area, edges == 0 ? 1e-9 : Tolerance(mode, edges))
              << "mode " << int(mode) << " trial " << trial << " pixel " << x << "," << y << " edges " << edges;
          absoluteError += std::fabs(got - area);
          boundary += edges > 0;
        }
      // On average a boundary pixel is far closer than the bound.
      EXPECT_LT(absoluteError / boundary, 0.5 / Samples(mode) + 1 / 255.0) << "mode " << int(mode) << " " << trial;
    }
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
      if (polygon.FillMode == pfNonZero ? winding == 0 : i % 2 != 0) continue;
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
      // Some trials scatter many small contours, like a line of glyphs: edges
      // start and end on most rows, many of them on the same row.
      const bool scattered = trial % 5 == 2;
      TContours contours(static_cast<std::size_t>(scattered ? 40 : 1 + trial % 3));
      for (TArrayOfFixedPoint& points : contours) {
        const double x = coordinate(rng), y = coordinate(rng);
        if (trial % 5 == 0) points = RandomStar(rng, 12, 12, 2, 14, 5 + trial, trial % 2 == 0);
        else if (scattered)
          for (int i = 0; i < 3 + trial % 4; ++i) points.push_back(Fx(x + coordinate(rng) / 8, y + coordinate(rng) / 8));
        else
          for (int i = 0; i < 3 + trial % 9; ++i) points.push_back(Fx(coordinate(rng), coordinate(rng)));
      }
      const auto polygon = Polygon(contours, mode, trial % 2 ? pfNonZero : pfEvenOdd);
      const std::vector<TColor32> drawn = Drawn(*polygon, 24, 24);
      const std::vector<int> expected = SubsampleAlphas(*polygon, 24, 24);
      for (std::size_t i = 0; i < drawn.size(); ++i)
        ASSERT_EQ(static_cast<int>(drawn[i] >> 24), expected[i]) << "mode " << int(mode) << " trial " << trial
                                                                 << " pixel " << i % 24 << "," << i / 24;
    }
}

// --- Colour, clipping, transformation

class TTranslation : public TTransformation {
public:
  explicit TTranslation(TFixedPoint d) : D(d) {}
  TFixedPoint Transform(const TFixedPoint& p) const override { return TFixedPoint{p.X + D.X, p.Y + D.Y}; }

private:
  TFixedPoint D;
};

TEST(PolygonFill, ClipRectanglesAndTransformationsAgreeWithPlainDrawing) {
  std::mt19937 rng(3);
  const TFixedPoint move = Fx(7.25, 3.5);
  for (TAntialiasMode mode : {amNone, am4times})
    for (int trial = 0; trial < 10; ++trial) {
      const auto polygon = Polygon({RandomStar(rng, 12, 12, 3, 20, 12, true)}, mode, trial % 2 ? pfNonZero : pfEvenOdd);
      TCustomBitmap32 full, clipped, transformed, offset;
      for (TCustomBitmap32* b : {&full, &clipped, &transformed, &offset}) Solid(*b, 32, 32, 0xFF102030);
      const TRect clip{5 + trial, 3, 27 - trial, 20 + trial};
      clipped.SetClipRect(clip);
      polygon->DrawFill(full, kWhite);
      polygon->DrawFill(clipped, kWhite);
      for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
          const bool inside = x >= clip.Left && x < clip.Right && y >= clip.Top && y < clip.Bottom;
          ASSERT_EQ(clipped.GetPixel(x, y), inside ? full.GetPixel(x, y) : 0xFF102030u) << x << "," << y;
        }
      // A transformation maps the points first: as if they had been moved.
      const TTranslation translation(move);
      polygon->DrawFill(transformed, kWhite, &translation);
      polygon->Offset(move.X, move.Y);
      polygon->DrawFill(offset, kWhite);
      ASSERT_EQ(Pixels(transformed), Pixels(offset));
    }
}

// --- Degenerate input

TEST(PolygonFill, DegenerateContoursAndRepeatedPointsChangeNothing) {
  std::mt19937 rng(21);
  for (TAntialiasMode mode : {amNone, am8times}) {
    const std::vector<TColor32> nothing(16 * 16, 0);
    EXPECT_EQ(Drawn(*Polygon({}, mode), 16, 16), nothing);
    EXPECT_EQ(Drawn(*Polygon({{Fx(1, 1), Fx(12, 12)}}, mode), 16, 16), nothing);  // fewer than three points
    EXPECT_EQ(Drawn(*Polygon({TArrayOfFixedPoint(5, Fx(5.5, 5.5))}, mode), 16, 16), nothing);
    // No area: corners on one diagonal (on whole pixels, so that no rounding
    // to the grid bends it), or a horizontal sliver.
    EXPECT_EQ(Drawn(*Polygon({{Fx(2, 2), Fx(5, 5), Fx(3, 3), Fx(11, 11)}}, mode), 16, 16), nothing);
    EXPECT_EQ(Drawn(*Polygon({{Fx(1, 4.25), Fx(14, 4.25), Fx(7, 4.25)}}, mode), 16, 16), nothing);
    // Every point twice: zero-length edges add nothing.
    const TArrayOfFixedPoint star = RandomStar(rng, 16, 16, 4, 14, 11, true);
    TArrayOfFixedPoint doubled;
    for (const TFixedPoint& p : star) doubled.insert(doubled.end(), {p, p});
    EXPECT_EQ(Drawn(*Polygon({star}, mode), 32, 32), Drawn(*Polygon({doubled}, mode), 32, 32));
  }
}

TEST(PolygonFill, ExtremeCoordinatesCoverEveryPixelWithTheColourWeighedByItsAlpha) {
  const TFixed big = std::numeric_limits<TFixed>::max(), small = std::numeric_limits<TFixed>::min();
  const auto huge = Polygon({{{small, small}, {big, small}, {big, big}, {small, big}}}, am32times, pfNonZero);
  TCustomBitmap32 empty, bitmap;
  huge->DrawFill(empty, kWhite);
  for (TCombineMode combine : {cmBlend, cmMerge}) {
    Solid(bitmap, 20, 10, 0xC0203040);
    bitmap.SetCombineMode(combine);
    huge->DrawFill(bitmap, 0x9080A0F0);
    TColor32 expected = 0xC0203040;
    const TColor32 opaque = 0xFF80A0F0;
    imaging::BlendLineExOf(combine)(&opaque, &expected, 1, 0x90);
    EXPECT_EQ(Pixels(bitmap), std::vector<TColor32>(200, expected)) << combine;
  }
  huge->Antialiased = false;
  huge->DrawFill(bitmap, kWhite);
  huge->DrawEdge(bitmap, clBlack32);  // wholly outside
  EXPECT_EQ(Pixels(bitmap), std::vector<TColor32>(200, kWhite));
  TPolygon32 polygon;  // offsets hold points at the ends of the range
  polygon.Add(TFixedPoint{big - 5, small + 5});
  polygon.Offset(100, -100);
  EXPECT_EQ(polygon.GetPoints()[0][0], (TFixedPoint{big, small}));
}

// --- Edges

TEST(PolygonEdge, PolylinesJoinTheirPointsAndCloseWhenClosed) {
  TCustomBitmap32 bitmap;
  bitmap.SetSize(12, 10);
  // A contour of two points and one of a single point: not filled, but drawn.
  const auto polygon = Polygon({{Fx(2, 2), Fx(8, 2), Fx(8, 6)}, {Fx(1, 8), Fx(9, 8)}, {Fx(5, 9)}}, amNone);
  const TColor32 half = 0x80FFFFFF, once = imaging::BlendReg(half, clBlack32), twice = imaging::BlendReg(half, once);
  for (bool closed : {false, true}) {
    polygon->Closed = closed;
    bitmap.Clear(clBlack32);
    polygon->DrawEdge(bitmap, half);
    for (int i = 2; i < 8; ++i)
      EXPECT_TRUE(bitmap.GetPixel(i, 2) == once && bitmap.GetPixel(8, std::min(i, 5)) == once) << i;
    // Closed: the diagonal from (8, 6) back to (2, 2), the two-point line
    // there and back again, and the single point as a dot.
    EXPECT_EQ(bitmap.GetPixel(5, 4), closed ? once : clBlack32);
    EXPECT_EQ(bitmap.GetPixel(3, 8), closed ? twice : once);
    EXPECT_EQ(bitmap.GetPixel(5, 9), closed ? once : clBlack32);
  }
}


// --- Grow and outline

using TPoints = TArrayOfFixedPoint;

constexpr TFixed Units(double v) { return static_cast<TFixed>(v * 65536); }

std::unique_ptr<TPolygon32> Path(const TPoints& points, bool closed = true) {
  auto polygon = Polygon({points}, amNone, pfNonZero);
  polygon->Closed = closed;
  return polygon;
}

// Pixels filled without antialiasing.
int FilledPixels(const TPolygon32& polygon) {
  const std::vector<TColor32> drawn = Drawn(polygon, 32, 32);
  return static_cast<int>(std::count(drawn.begin(), drawn.end(), kWhite));
}

double Area(const TPoints& contour) { return std::fabs(oracle::SignedArea(oracle::FromFixed(contour))); }

TEST(PolygonGrow, SquaresGrowAndShrinkBy2dASideWithCutOrMitredCorners) {
  const auto square = Path(Rectangle(10, 10, 20, 20));
  EXPECT_EQ(square->Grow(Units(2), 0.99f)->GetPoints(), TArrayOfArrayOfFixedPoint{Rectangle(8, 8, 22, 22)});
  EXPECT_EQ(square->Grow(Units(-2), 0.99f)->GetPoints(), TArrayOfArrayOfFixedPoint{Rectangle(12, 12, 18, 18)});
  // Without sharpness right angles are cut into two points, a straight run
  // keeps one; the grown or shrunk square loses four corner triangles.
  square->SetPoints({{Fx(10, 10), Fx(15, 10), Fx(20, 10), Fx(20, 20), Fx(10, 20)}});
  const TPoints grown = square->Grow(Units(2), 0)->GetPoints()[0];
  EXPECT_EQ(grown, (TPoints{Fx(8, 10), Fx(10, 8), Fx(15, 8), Fx(20, 8), Fx(22, 10), Fx(22, 20), Fx(20, 22),
                            Fx(10, 22), Fx(8, 20)}));
  EXPECT_DOUBLE_EQ(Area(grown), 14 * 14 - 4 * 2.0);
  EXPECT_DOUBLE_EQ(Area(square->Grow(Units(-2), 0)->GetPoints()[0]), 6 * 6 - 4 * 2.0);
}

TEST(PolygonGrow, SharpnessDecidesWhichCornersAreCut) {
  // A clockwise triangle with two 45-degree corners (turns of 135 degrees)
  // and a right angle (90). A corner is cut when its turn reaches
  // acos(-sharpness): 127 degrees at 0.6, 143 at 0.8.
  const auto triangle = Path({Fx(0, 20), Fx(20, 0), Fx(20, 20)});
  EXPECT_EQ(triangle->Grow(Units(1), 0.6f)->GetPoints()[0].size(), 5u);
  // Mitred corners sit where the moved edges meet: 1 / sin(22.5) along the bisector.
  const TPoints mitred = triangle->Grow(Units(1), 0.8f)->GetPoints()[0];
  ASSERT_EQ(mitred.size(), 3u);
  EXPECT_NEAR(mitred[0].X / 65536.0, -1 - std::sqrt(2.0), 1e-3);
  EXPECT_NEAR(mitred[0].Y / 65536.0, 21, 1e-3);
}

TEST(PolygonGrow, TurningBackAndRepeatedPointsNeverDivideByZero) {
  // A contour of two points turns back at both ends: each end is cut into a
  // flat cap, whatever the sign of delta.
  for (TFixed delta : {Units(1.5), Units(-1.5)}) {
    const auto grown = Path({Fx(5, 10), Fx(25, 10)})->Grow(delta, 0.5f);
    ASSERT_EQ(grown->GetPoints()[0].size(), 4u);
    EXPECT_DOUBLE_EQ(Area(grown->GetPoints()[0]), 20 * 3.0);
  }
  // Repeated points (and a contour of one point repeated) add no corner.
  const TPoints plain = Rectangle(10, 10, 20, 20);
  TPoints doubled;
  for (const TFixedPoint& p : plain) doubled.insert(doubled.end(), {p, p});
  const auto repeated = Polygon({doubled, TPoints(3, Fx(3, 3))}, amNone);
  for (float sharpness : {0.0f, 0.99f})
    for (TFixed delta : {Units(2), Units(-2)}) {
      const auto grown = repeated->Grow(delta, sharpness);
      EXPECT_DOUBLE_EQ(Area(grown->GetPoints()[0]), Area(Path(plain)->Grow(delta, sharpness)->GetPoints()[0]));
      for (const TFixedPoint& p : grown->GetPoints()[1]) EXPECT_EQ(p, Fx(3, 3));
    }
}

TEST(PolygonGrow, OpenContoursMoveTheirEndsAlongTheirOwnEdges) {
  const auto grown = Path({Fx(0, 0), Fx(10, 0), Fx(10, 10)}, false)->Grow(Units(1), 0.99f);
  EXPECT_FALSE(grown->Closed);
  EXPECT_EQ(grown->GetPoints()[0], (TPoints{Fx(0, -1), Fx(11, -1), Fx(11, 10)}));
}

TEST(PolygonOutline, ClosedContoursTwiceOpenOnesThereAndBack) {
  const TPoints square = Rectangle(0, 0, 4, 4);
  EXPECT_EQ(Path(square)->Outline()->GetPoints(),
            (TArrayOfArrayOfFixedPoint{square, TPoints(square.rbegin(), square.rend())}));
  const auto there = Path({Fx(0, 0), Fx(1, 0), Fx(2, 3)}, false)->Outline();
  EXPECT_FALSE(there->Closed);
  EXPECT_EQ(there->GetPoints(), (TArrayOfArrayOfFixedPoint{{Fx(0, 0), Fx(1, 0), Fx(2, 3), Fx(1, 0), Fx(0, 0)}}));
}

TEST(PolygonOutline, GrownOutlinesFillBandsAroundTheContours) {
  // A closed square of side 10 with sharp corners: the band between the
  // squares of side 14 and 6.
  EXPECT_EQ(FilledPixels(*Path(Rectangle(8, 8, 18, 18))->Outline()->Grow(Units(2), 0.99f)), 14 * 14 - 6 * 6);
  // An open segment: a rectangle 20 long and 4 wide with flat ends.
  EXPECT_EQ(FilledPixels(*Path({Fx(5, 10), Fx(25, 10)}, false)->Outline()->Grow(Units(2), 0.5f)), 20 * 4);
}

}  // namespace
