// Filling and blending a page at 300 dpi (A4, 2480 x 3508), timed against
// memset and pixman's OVER on the same data in the same run. Each iteration
// times both; the counters give our mean, the reference's and their ratio.

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "imaging/blend/Blend.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

constexpr int kWidth = 2480, kHeight = 3508;
constexpr std::size_t kPixels = std::size_t{kWidth} * kHeight;

template <class F>
double Seconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(benchmark::State& state, double ours, double reference) {
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1000 * ours / n;
  state.counters["ref_ms"] = 1000 * reference / n;
  state.counters["ratio"] = ours / reference;
}

void FillPage(benchmark::State& state) {
  imaging::StartUp();
  TCustomBitmap32 page;
  page.SetSize(kWidth, kHeight);
  std::vector<std::uint32_t> reference(kPixels);
  double ours = 0, ref = 0;
  std::uint32_t color = 0xFF336699;
  for (auto _ : state) {
    ++color;
    const double t = Seconds([&] { page.Clear(color); });
    ours += t;
    ref += Seconds([&] { std::memset(reference.data(), static_cast<int>(color & 0xFF), kPixels * 4); });
    benchmark::DoNotOptimize(page.GetBits()[kPixels / 2]);
    benchmark::DoNotOptimize(reference[kPixels / 2]);
    state.SetIterationTime(t);
  }
  Report(state, ours, ref);
}

// Semi-transparent sources (alpha 1 .. 254) over an opaque page. pixman
// takes premultiplied pixels: the same colours are converted once, before
// timing. Ours keeps its exact rounding.
void BlendPage(benchmark::State& state) {
  imaging::StartUp();
  std::mt19937 rng(1);
  std::vector<TColor32> src(kPixels), dst(kPixels);
  for (auto& c : src) c = (rng() & 0x00FFFFFF) | (1 + rng() % 254) << 24;
  for (auto& c : dst) c = rng() | 0xFF000000;
  std::vector<std::uint32_t> premultiplied(kPixels), pixmanDst(dst);
  for (std::size_t i = 0; i < kPixels; ++i) {
    const std::uint32_t a = src[i] >> 24;
    std::uint32_t p = a << 24;
    for (int s = 0; s < 24; s += 8) p |= ((src[i] >> s & 0xFF) * a + 127) / 255 << s;
    premultiplied[i] = p;
  }
  pixman_image_t* pixmanSource =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, premultiplied.data(), kWidth * 4);
  pixman_image_t* pixmanDest = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, pixmanDst.data(), kWidth * 4);
  double ours = 0, ref = 0;
  for (auto _ : state) {
    const double t = Seconds([&] {
      for (int y = 0; y < kHeight; ++y)
        imaging::BlendLine(src.data() + std::size_t{kWidth} * y, dst.data() + std::size_t{kWidth} * y, kWidth);
      imaging::EMMS();
    });
    ours += t;
    ref += Seconds([&] {
      pixman_image_composite32(PIXMAN_OP_OVER, pixmanSource, nullptr, pixmanDest, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    });
    benchmark::DoNotOptimize(dst[kPixels / 2]);
    benchmark::DoNotOptimize(pixmanDst[kPixels / 2]);
    state.SetIterationTime(t);
  }
  pixman_image_unref(pixmanSource);
  pixman_image_unref(pixmanDest);
  Report(state, ours, ref);
}

}  // namespace

BENCHMARK(FillPage)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BlendPage)->UseManualTime()->Unit(benchmark::kMillisecond);
