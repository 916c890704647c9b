// Filling 40-corner star-like polygons by the non-zero rule, antialiased,
// at 16, 64 and 256 pixels across, timed against cairo filling the same
// corners (default antialiasing, winding rule) into an ARGB32 image surface
// in the same run. Each iteration fills a batch of polygons with both; the
// counters give our mean time per polygon, cairo's and their ratio.

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

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

template <class F>
double Seconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void FillStars(benchmark::State& state, cairo_antialias_t antialias) {
  imaging::StartUp();
  const int size = static_cast<int>(state.range(0));
  const auto stars = Stars(size);
  const int side = size + 2;

  TCustomBitmap32 bitmap;
  bitmap.SetSize(side, side);
  bitmap.Clear(clWhite32);
  std::vector<TArrayOfFixedPoint> contours;
  for (const auto& star : stars) {
    TArrayOfFixedPoint& contour = contours.emplace_back();
    for (const TCorner& c : star)
      contour.push_back(TFixedPoint{static_cast<TFixed>(std::lround(c.X * 65536)), static_cast<TFixed>(std::lround(c.Y * 65536))});
  }
  TPolygon32 polygon;
  polygon.Antialiased = true;
  polygon.FillMode = pfNonZero;

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, side, side);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgba(cr, 1, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_antialias(cr, antialias);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_set_source_rgba(cr, 0.2, 0.4, 0.6, 1);

  double ours = 0, reference = 0;
  for (auto _ : state) {
    const double t = Seconds([&] {
      // Like cairo's path, the polygon is built anew for every fill.
      for (const TArrayOfFixedPoint& contour : contours) {
        polygon.Clear();
        polygon.AddPoints(contour.data(), contour.size());
        polygon.DrawFill(bitmap, 0xFF336699);
      }
    });
    ours += t;
    reference += Seconds([&] {
      for (const auto& star : stars) {
        cairo_move_to(cr, star[0].X, star[0].Y);
        for (int i = 1; i < kCorners; ++i) cairo_line_to(cr, star[i].X, star[i].Y);
        cairo_close_path(cr);
        cairo_fill(cr);
      }
      cairo_surface_flush(surface);
    });
    benchmark::DoNotOptimize(bitmap.GetBits()[side * side / 2]);
    state.SetIterationTime(t);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);

  const double n = static_cast<double>(state.iterations()) * kBatch;
  state.counters["ours_us"] = 1e6 * ours / n;
  state.counters["cairo_us"] = 1e6 * reference / n;
  state.counters["ratio"] = ours / reference;
}

void FillStarsDefault(benchmark::State& state) { FillStars(state, CAIRO_ANTIALIAS_DEFAULT); }
void FillStarsGood(benchmark::State& state) { FillStars(state, CAIRO_ANTIALIAS_GOOD); }

}  // namespace

BENCHMARK(FillStarsDefault)->Arg(16)->Arg(64)->Arg(256)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(FillStarsGood)->Arg(16)->Arg(64)->Arg(256)->UseManualTime()->Unit(benchmark::kMicrosecond);
