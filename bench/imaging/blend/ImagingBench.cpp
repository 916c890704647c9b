// Filling and blending a page at 300 dpi (A4, 2480 x 3508), timed against
// memset and pixman's OVER on the same data in the same run. The blend is
// measured with our SSE2 and our AVX2 variant, each against pixman (whose
// fastest path on this processor is SSE2/SSSE3).

#include <benchmark/benchmark.h>
#include <gnu/libc-version.h>
#include <pixman.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/blend/BlendVariants.h"
#include "imaging/core/CpuFeatures.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

constexpr int kWidth = 2480, kHeight = 3508;
constexpr std::size_t kPixels = std::size_t{kWidth} * kHeight;

void FillPage(benchmark::State& state) {
  imaging::StartUp();
  TCustomBitmap32 page;
  page.SetSize(kWidth, kHeight);
  std::vector<std::uint32_t> reference(kPixels);
  std::uint32_t color = 0xFF336699;
  bench::TPairTimer timer(state);
  for (auto _ : state) {
    ++color;
    timer.Iteration([&] { page.Clear(color); },
                    [&] { std::memset(reference.data(), static_cast<int>(color & 0xFF), kPixels * 4); });
    benchmark::DoNotOptimize(page.GetBits()[kPixels / 2]);
    benchmark::DoNotOptimize(reference[kPixels / 2]);
  }
  timer.Report("fill page 2480x3508",
               {"TCustomBitmap32::Clear, one 32-bit colour",
                std::string("glibc ") + gnu_get_libc_version() + " memset, one byte value"});
}

// Semi-transparent sources (alpha 1 .. 254) over an opaque page. pixman
// takes premultiplied pixels: the same colours are converted once, before
// timing. Ours keeps its exact rounding.
void BlendPage(benchmark::State& state, TBlendLine blendLine, const std::string& variant) {
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
  bench::TPairTimer timer(state);
  for (auto _ : state) {
    timer.Iteration(
        [&] {
          for (int y = 0; y < kHeight; ++y)
            blendLine(src.data() + std::size_t{kWidth} * y, dst.data() + std::size_t{kWidth} * y, kWidth);
          imaging::EMMS();
        },
        [&] {
          pixman_image_composite32(PIXMAN_OP_OVER, pixmanSource, nullptr, pixmanDest, 0, 0, 0, 0, 0, 0, kWidth,
                                   kHeight);
        });
    benchmark::DoNotOptimize(dst[kPixels / 2]);
    benchmark::DoNotOptimize(pixmanDst[kPixels / 2]);
  }
  pixman_image_unref(pixmanSource);
  pixman_image_unref(pixmanDest);
  timer.Report("blend page 2480x3508 " + variant,
               {"BlendLine " + variant + ", straight alpha, exact rounding, row by row",
                std::string("pixman ") + pixman_version_string() + " OVER a8r8g8b8, premultiplied, whole page"});
}

void BlendPageSse2(benchmark::State& state) { BlendPage(state, &imaging::sse2::BlendLine, "SSE2"); }

void BlendPageAvx2(benchmark::State& state) {
  if (!imaging::HasCPUFeature(cfAVX2)) {
    state.SkipWithError("no AVX2 on this processor");
    return;
  }
  BlendPage(state, &imaging::avx2::BlendLine, "AVX2");
}

}  // namespace

BENCHMARK(FillPage)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BlendPageSse2)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BlendPageAvx2)->UseManualTime()->Unit(benchmark::kMillisecond);
