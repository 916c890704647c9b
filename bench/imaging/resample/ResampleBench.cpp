// Reducing an A4 page at 300 dpi (2480 x 3508) to half its width and half
// its height (1240 x 1754, a quarter of the area), timed against
// stb_image_resize on the same pixels in the same run. Our linear resampler
// (a triangle filter when shrinking) meets stb's triangle filter; our
// Lanczos kernel resampler (width 3) meets stb's Catmull-Rom cubic, the
// nearest stb has to an interpolating windowed-sinc filter (stb has no
// Lanczos). Both sides treat the four channels alike, without gamma.

#include <benchmark/benchmark.h>
#include <stb_image_resize.h>

#include <chrono>
#include <random>
#include <vector>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/resample/Resamplers.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

constexpr int kWidth = 2480, kHeight = 3508;
constexpr int kOutWidth = kWidth / 2, kOutHeight = kHeight / 2;

template <class F>
double Seconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A page-like picture: smooth gradients with sharp-edged marks.
void FillPage(TCustomBitmap32& page) {
  std::mt19937 rng(7);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const TColor32 smooth = 0xFF000000u | (x * 255 / kWidth) << 16 | (y * 255 / kHeight) << 8 | ((x + y) & 255);
      page.SetPixel(x, y, (x / 7 + y / 11) % 13 == 0 ? rng() | 0xFF000000u : smooth);
    }
}

void Reduce(benchmark::State& state, TStretchFilter filter, stbir_filter stbFilter) {
  imaging::StartUp();
  TCustomBitmap32 page, ours;
  page.SetSize(kWidth, kHeight);
  FillPage(page);
  page.SetStretchFilter(filter);
  ours.SetSize(kOutWidth, kOutHeight);
  std::vector<unsigned char> reference(std::size_t{kOutWidth} * kOutHeight * 4);
  const auto* input = reinterpret_cast<const unsigned char*>(page.GetBits());
  double ourTime = 0, refTime = 0;
  for (auto _ : state) {
    const double t = Seconds([&] { page.DrawTo(ours, TRect{0, 0, kOutWidth, kOutHeight}); });
    ourTime += t;
    refTime += Seconds([&] {
      stbir_resize_uint8_generic(input, kWidth, kHeight, kWidth * 4, reference.data(), kOutWidth, kOutHeight,
                                 kOutWidth * 4, 4, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, stbFilter,
                                 STBIR_COLORSPACE_LINEAR, nullptr);
    });
    benchmark::DoNotOptimize(ours.GetBits()[kOutWidth]);
    benchmark::DoNotOptimize(reference[kOutWidth]);
    state.SetIterationTime(t);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1000 * ourTime / n;
  state.counters["stb_ms"] = 1000 * refTime / n;
  state.counters["ratio"] = ourTime / refTime;
}

void ReduceLinear(benchmark::State& state) { Reduce(state, sfLinear, STBIR_FILTER_TRIANGLE); }
void ReduceLanczos(benchmark::State& state) { Reduce(state, sfLanczos, STBIR_FILTER_CATMULLROM); }

}  // namespace

BENCHMARK(ReduceLinear)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ReduceLanczos)->UseManualTime()->Unit(benchmark::kMillisecond);
