// Filling 40-corner star-like polygons by the non-zero rule, antialiased,
// at 16, 64 and 256 pixels across, timed against cairo filling the same
// corners (winding rule) into an ARGB32 image surface in the same run, at
// equal quality: the quality of each side is measured on one star, black on
// white, as the difference of its pixels from the exact covered area of each
// pixel, and ours runs with the coarsest sub-sampling grid whose error is no
// larger than cairo's, against cairo's default (its full-quality scan
// converter, "fine") or its "fast" one. Each iteration fills a batch of
// polygons with both sides.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/polygon/Polygon32.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

constexpr int kCorners = 40;
constexpr int kBatch = 16;

struct TCorner {
  double X, Y;
};

// Corners at evenly spread, jittered angles with random radii: spiky stars
// whose edges run in every direction.
std::vector<std::vector<TCorner>> Stars(int size) {
  std::mt19937 rng(static_cast<unsigned>(size));
  std::uniform_real_distribution<double> jitter(0, 0.5), radius(0.15, 0.5);
  std::vector<std::vector<TCorner>> stars(kBatch);
  const double centre = size / 2.0 + 0.37;
  for (auto& star : stars)
    for (int i = 0; i < kCorners; ++i) {
      const double a = 2 * std::numbers::pi * (i + jitter(rng)) / kCorners;
      const double r = radius(rng) * size;
      star.push_back(TCorner{centre + r * std::cos(a), centre + r * std::sin(a)});
    }
  return stars;
}

// ---- quality: pixel values against the exact covered area

// The part of the star inside the square [x, x + 1) x [y, y + 1), clipped
// edge by edge; the star is a simple polygon, so the clipped area is exact.
double CoveredArea(const std::vector<TCorner>& star, double x, double y) {
  std::vector<TCorner> polygon = star, next;
  const auto clip = [&](auto inside, auto cross) {
    next.clear();
    for (std::size_t i = 0; i < polygon.size(); ++i) {
      const TCorner& a = polygon[i];
      const TCorner& b = polygon[(i + 1) % polygon.size()];
      if (inside(a)) next.push_back(a);
      if (inside(a) != inside(b)) next.push_back(cross(a, b));
    }
    polygon.swap(next);
  };
  const auto atX = [](double edge) {
    return [edge](const TCorner& a, const TCorner& b) {
      return TCorner{edge, a.Y + (b.Y - a.Y) * (edge - a.X) / (b.X - a.X)};
    };
  };
  const auto atY = [](double edge) {
    return [edge](const TCorner& a, const TCorner& b) {
      return TCorner{a.X + (b.X - a.X) * (edge - a.Y) / (b.Y - a.Y), edge};
    };
  };
  clip([x](const TCorner& p) { return p.X >= x; }, atX(x));
  clip([x](const TCorner& p) { return p.X <= x + 1; }, atX(x + 1));
  clip([y](const TCorner& p) { return p.Y >= y; }, atY(y));
  clip([y](const TCorner& p) { return p.Y <= y + 1; }, atY(y + 1));
  double area = 0;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const TCorner& a = polygon[i];
    const TCorner& b = polygon[(i + 1) % polygon.size()];
    area += a.X * b.Y - b.X * a.Y;
  }
  return std::abs(area) / 2;
}

// Root mean square and largest difference, in levels of 255, between the
// grey levels of a black star on white (value(x, y)) and 255 x the uncovered
// part of each pixel.
struct TError {
  double Rms = 0;
  int Largest = 0;
  std::string Text() const {
    char text[64];
    std::snprintf(text, sizeof text, "error %.2f rms, %d at most", Rms, Largest);
    return text;
  }
};

template <class Value>
TError Quality(const std::vector<TCorner>& star, int side, Value value) {
  double squares = 0;
  TError error;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const double expected = 255 * (1 - CoveredArea(star, x, y));
      const double difference = value(x, y) - expected;
      squares += difference * difference;
      error.Largest = std::max(error.Largest, static_cast<int>(std::lround(std::abs(difference))));
    }
  error.Rms = std::sqrt(squares / (static_cast<double>(side) * side));
  return error;
}

TArrayOfFixedPoint Contour(const std::vector<TCorner>& star) {
  TArrayOfFixedPoint contour;
  for (const TCorner& c : star)
    contour.push_back(TFixedPoint{static_cast<TFixed>(std::lround(c.X * 65536)), static_cast<TFixed>(std::lround(c.Y * 65536))});
  return contour;
}

TError OurQuality(const std::vector<TCorner>& star, int side, TAntialiasMode mode) {
  TCustomBitmap32 bitmap;
  bitmap.SetSize(side, side);
  bitmap.Clear(clWhite32);
  TPolygon32 polygon;
  polygon.Antialiased = true;
  polygon.AntialiasMode = mode;
  polygon.FillMode = pfNonZero;
  const TArrayOfFixedPoint contour = Contour(star);
  polygon.AddPoints(contour.data(), contour.size());
  polygon.DrawFill(bitmap, clBlack32);
  return Quality(star, side, [&](int x, int y) { return static_cast<int>(bitmap.GetPixel(x, y) & 0xFF); });
}

void Trace(cairo_t* cr, const std::vector<TCorner>& star) {
  cairo_move_to(cr, star[0].X, star[0].Y);
  for (std::size_t i = 1; i < star.size(); ++i) cairo_line_to(cr, star[i].X, star[i].Y);
  cairo_close_path(cr);
}

TError CairoQuality(const std::vector<TCorner>& star, int side, cairo_antialias_t antialias) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_antialias(cr, antialias);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_set_source_rgb(cr, 0, 0, 0);
  Trace(cr, star);
  cairo_fill(cr);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const TError quality = Quality(star, side, [&](int x, int y) {
    std::uint32_t pixel;
    std::memcpy(&pixel, data + std::ptrdiff_t{stride} * y + 4 * x, 4);
    return static_cast<int>(pixel & 0xFF);
  });
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return quality;
}

// ---- timing

// Our sub-sampling grids, coarsest first.
struct TOurMode {
  TAntialiasMode Mode;
  const char* Samples;
};
constexpr TOurMode kOurModes[] = {{am4times, "4 x 4 sub-samples"},
                                  {am8times, "8 x 8 sub-samples"},
                                  {am16times, "16 x 16 sub-samples"},
                                  {am32times, "32 x 32 sub-samples"}};

struct TQuality {
  const char* Name;
  cairo_antialias_t Cairo;
  const char* CairoName;
};

constexpr TQuality kFine{"fine", CAIRO_ANTIALIAS_DEFAULT, "CAIRO_ANTIALIAS_DEFAULT (its full scan converter)"};
constexpr TQuality kFast{"fast", CAIRO_ANTIALIAS_FAST, "CAIRO_ANTIALIAS_FAST"};

// Equal quality: the coarsest of our grids whose error on the measured star
// is no larger than cairo's (the finest when none is).
TOurMode MatchedMode(const std::vector<TCorner>& star, int side, const TError& cairo) {
  for (const TOurMode& mode : kOurModes)
    if (OurQuality(star, side, mode.Mode).Rms <= cairo.Rms) return mode;
  return kOurModes[std::size(kOurModes) - 1];
}

void FillStars(benchmark::State& state, const TQuality& quality) {
  imaging::StartUp();
  const int size = static_cast<int>(state.range(0));
  const auto stars = Stars(size);
  const int side = size + 2;
  const TError cairoError = CairoQuality(stars[0], side, quality.Cairo);
  const TOurMode ourMode = MatchedMode(stars[0], side, cairoError);

  TCustomBitmap32 bitmap;
  bitmap.SetSize(side, side);
  bitmap.Clear(clWhite32);
  std::vector<TArrayOfFixedPoint> contours;
  for (const auto& star : stars) contours.push_back(Contour(star));
  TPolygon32 polygon;
  polygon.Antialiased = true;
  polygon.AntialiasMode = ourMode.Mode;
  polygon.FillMode = pfNonZero;

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgba(cr, 1, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_antialias(cr, quality.Cairo);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_set_source_rgba(cr, 0.2, 0.4, 0.6, 1);

  bench::TPairTimer timer(state);
  for (auto _ : state) {
    timer.Iteration(
        [&] {
          // Like cairo's path, the polygon is built anew for every fill.
          for (const TArrayOfFixedPoint& contour : contours) {
            polygon.Clear();
            polygon.AddPoints(contour.data(), contour.size());
            polygon.DrawFill(bitmap, 0xFF336699);
          }
        },
        [&] {
          for (const auto& star : stars) {
            Trace(cr, star);
            cairo_fill(cr);
          }
          cairo_surface_flush(surface);
        });
    benchmark::DoNotOptimize(bitmap.GetBits()[side * side / 2]);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);

  const std::string what = std::to_string(size) + " px, " + quality.Name;
  timer.Report("fill 40-corner star " + what + ", equal error",
               {std::string("TPolygon32::DrawFill non-zero, ") + ourMode.Samples + " (the coarsest at cairo's error); " +
                    OurQuality(stars[0], side, ourMode.Mode).Text(),
                std::string("cairo ") + cairo_version_string() + " cairo_fill winding, " + quality.CairoName + "; " +
                    cairoError.Text()},
               kBatch);
}

void FillStarsFine(benchmark::State& state) { FillStars(state, kFine); }
void FillStarsFast(benchmark::State& state) { FillStars(state, kFast); }

}  // namespace

BENCHMARK(FillStarsFine)->Arg(16)->Arg(64)->Arg(256)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(FillStarsFast)->Arg(16)->Arg(64)->Arg(256)->UseManualTime()->Unit(benchmark::kMicrosecond);
