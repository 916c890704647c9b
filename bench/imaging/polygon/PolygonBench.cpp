// Filling 40-corner star-like polygons by the non-zero rule, antialiased,
// at 16, 64 and 256 pixels across, timed against cairo filling the same
// corners (winding rule) into an ARGB32 image surface in the same run, at
// equal quality where ours can reach it: the quality of each side is
// measured on every star of the batch, black on white, as the difference of
// its pixels from the exact covered area of each pixel. Ours runs with the
// coarsest sub-sampling grid whose error is no larger than cairo's, against
// cairo's default (its full-quality scan converter, "fine") or its "fast"
// one; when no grid reaches cairo's error, with the grid of the least error,
// and the row says that ours is less exact. Each iteration fills a batch of
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
#include "bench/common/ExactCoverage.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/polygon/Polygon32.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

constexpr int kCorners = 40;
constexpr int kBatch = 16;

using TCorner = bench::TPointD;

// Corners at evenly spread, jittered angles with random radii: spiky stars
// whose edges run in every direction.
std::vector<std::vector<TCorner>> StarsOfSize(int size) {
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

// The exact grey level of every pixel of a black star on white: 255 x the
// uncovered part of the pixel.
std::vector<double> ExactStar(const std::vector<TCorner>& star, int side) {
  bench::TExactCoverage coverage(side, side);
  coverage.AddContour(star);
  std::vector<double> levels = coverage.Coverage();
  for (double& level : levels) level = 255 * (1 - level);
  return levels;
}

// Root mean square and largest difference, in levels of 255, between the
// grey levels of black stars drawn on white and their exact levels.
class TError {
public:
  template <class Value>
  void Add(const std::vector<double>& exact, int side, Value value) {
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        const double difference = value(x, y) - exact[static_cast<std::size_t>(y) * side + x];
        Squares += difference * difference;
        Largest = std::max(Largest, static_cast<int>(std::lround(std::abs(difference))));
        ++Count;
      }
  }
  double Rms() const { return Count ? std::sqrt(Squares / static_cast<double>(Count)) : 0; }
  std::string Text() const {
    char text[64];
    std::snprintf(text, sizeof text, "error %.2f rms, %d at most", Rms(), Largest);
    return text;
  }

private:
  double Squares = 0;
  long Count = 0;
  int Largest = 0;
};

// The stars of a batch and their exact pictures.
struct TBatch {
  int Side;
  std::vector<std::vector<TCorner>> Stars;
  std::vector<std::vector<double>> Exact;

  explicit TBatch(int size) : Side(size + 2), Stars(StarsOfSize(size)) {
    for (const auto& star : Stars) Exact.push_back(ExactStar(star, Side));
  }
};

TArrayOfFixedPoint Contour(const std::vector<TCorner>& star) {
  TArrayOfFixedPoint contour;
  for (const TCorner& c : star)
    contour.push_back(TFixedPoint{static_cast<TFixed>(std::lround(c.X * 65536)), static_cast<TFixed>(std::lround(c.Y * 65536))});
  return contour;
}

TError OurQuality(const TBatch& batch, TAntialiasMode mode) {
  TError error;
  TCustomBitmap32 bitmap;
  bitmap.SetSize(batch.Side, batch.Side);
  TPolygon32 polygon;
  polygon.Antialiased = true;
  polygon.AntialiasMode = mode;
  polygon.FillMode = pfNonZero;
  for (std::size_t i = 0; i < batch.Stars.size(); ++i) {
    bitmap.Clear(clWhite32);
    polygon.Clear();
    const TArrayOfFixedPoint contour = Contour(batch.Stars[i]);
    polygon.AddPoints(contour.data(), contour.size());
    polygon.DrawFill(bitmap, clBlack32);
    error.Add(batch.Exact[i], batch.Side, [&](int x, int y) { return static_cast<int>(bitmap.GetPixel(x, y) & 0xFF); });
  }
  return error;
}

void Trace(cairo_t* cr, const std::vector<TCorner>& star) {
  cairo_move_to(cr, star[0].X, star[0].Y);
  for (std::size_t i = 1; i < star.size(); ++i) cairo_line_to(cr, star[i].X, star[i].Y);
  cairo_close_path(cr);
}

TError CairoQuality(const TBatch& batch, cairo_antialias_t antialias) {
  TError error;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, batch.Side, batch.Side);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, antialias);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  for (std::size_t i = 0; i < batch.Stars.size(); ++i) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    Trace(cr, batch.Stars[i]);
    cairo_fill(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    error.Add(batch.Exact[i], batch.Side, [&](int x, int y) {
      std::uint32_t pixel;
      std::memcpy(&pixel, data + std::ptrdiff_t{stride} * y + 4 * x, 4);
      return static_cast<int>(pixel & 0xFF);
    });
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return error;
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

constexpr const char* kErrorMeasure = "rms levels of 255 from the exact covered area, every star of the batch";

// Equal quality: the coarsest of our grids whose error on the batch matches
// cairo's; when none does, the grid of the least error (not always the
// finest: the 32 x 32 grid gives full coverage as 251, not 255).
struct TMatch {
  TOurMode Mode;
  TError Error;
};

TMatch MatchedMode(const TBatch& batch, const TError& cairo) {
  std::vector<TMatch> tried;
  for (const TOurMode& mode : kOurModes) {
    tried.push_back({mode, OurQuality(batch, mode.Mode)});
    if (bench::TErrors{tried.back().Error.Rms(), cairo.Rms(), ""}.SameQuality()) return tried.back();
  }
  return *std::min_element(tried.begin(), tried.end(),
                           [](const TMatch& a, const TMatch& b) { return a.Error.Rms() < b.Error.Rms(); });
}

void FillStars(benchmark::State& state, const TQuality& quality) {
  imaging::StartUp();
  const int size = static_cast<int>(state.range(0));
  const TBatch batch(size);
  const auto& stars = batch.Stars;
  const int side = batch.Side;
  const TError cairoError = CairoQuality(batch, quality.Cairo);
  const TMatch match = MatchedMode(batch, cairoError);
  const TOurMode ourMode = match.Mode;
  const bench::TErrors errors{match.Error.Rms(), cairoError.Rms(), kErrorMeasure};

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
  const std::string choice = errors.SameQuality() ? " (the coarsest at cairo's error); "
                                                  : " (the least error of our grids, none reaches cairo's); ";
  timer.Report("fill 40-corner star " + what + (errors.SameQuality() ? ", equal error" : ", ours less exact"),
               {std::string("TPolygon32::DrawFill non-zero, ") + ourMode.Samples + choice + match.Error.Text(),
                std::string("cairo ") + cairo_version_string() + " cairo_fill winding, " + quality.CairoName + "; " +
                    cairoError.Text()},
               errors, kBatch);
}

void FillStarsFine(benchmark::State& state) { FillStars(state, kFine); }
void FillStarsFast(benchmark::State& state) { FillStars(state, kFast); }

}  // namespace

BENCHMARK(FillStarsFine)->Arg(16)->Arg(64)->Arg(256)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(FillStarsFast)->Arg(16)->Arg(64)->Arg(256)->UseManualTime()->Unit(benchmark::kMicrosecond);
