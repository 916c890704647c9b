// Raster effects on an A4 page at 300 dots per inch (2480 x 3508 pixels),
// each timed beside a plain memory pass over the same page in the same run:
// colour effects against memcpy of the page (goal ratio <= 4), the gradient
// fill against memset (goal <= 2), the shadow with a 1.5 mm blur at 11.811
// dots per mm against memcpy (goal <= 8).
//
// Two pages: "noise" gives every pixel its own random colour (one in eight
// transparent), the worst case for anything that reuses results; "label"
// is a rendered-label-like page: a few flat colours with antialiased edges
// between them and a transparent margin.

#include <benchmark/benchmark.h>
#include <gnu/libc-version.h>

#include <cstring>
#include <ctime>
#include <functional>
#include <random>

#include "bench/common/Comparison.h"
#include "document/effects/ColorEffects.h"
#include "document/effects/GradientEffects.h"
#include "document/effects/ShadowEffect.h"
#include "document/core/StartUp.h"

namespace {

constexpr int kWidth = 2480, kHeight = 3508;
constexpr float kResolution = 11.811f;

void FillNoise(TBitmap32& page) {
  std::mt19937 random(5);
  TColor32* bits = page.GetBits();
  for (std::size_t i = 0; i < std::size_t(kWidth) * kHeight; ++i) {
    const TColor32 c = static_cast<TColor32>(random());
    bits[i] = random() % 8 == 0 ? c & 0x00FFFFFFu : c | 0xFF000000u;
  }
}

void FillLabel(TBitmap32& page) {
  const TColor32 inks[] = {0xFF000000u, 0xFFFFFFFFu, 0xFF1F4E9Au, 0xFFD02020u, 0xFFF0C030u};
  for (int y = 0; y < kHeight; ++y) {
    TColor32* row = page.ScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      if (x < 60 || y < 60 || x >= kWidth - 60 || y >= kHeight - 60) {
        row[x] = 0x00FFFFFFu;
        continue;
      }
      // Bars and bands of flat ink, edges blended over 4 grey levels.
      const int band = (y / 300 + x / 97) % 5, edge = x % 97;
      const TColor32 ink = inks[band];
      row[x] = edge < 4 ? (ink & 0xFF000000u) | (((ink & 0x00FEFEFEu) >> 1) + 0x101010u * TColor32(edge)) : ink;
    }
  }
}

enum TReference { refMemcpy, refMemset };

// Seconds of this thread's processor time that f takes.
template <class F>
double CpuSeconds(F&& f) {
  const auto now = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
  };
  const double start = now();
  f();
  return now() - start;
}

// Times run on a fresh copy of the page and the reference pass over the
// same page size in the same iterations, and reports both and their ratio.
void Compare(benchmark::State& state, const std::string& effect, void (*fill)(TBitmap32&), TReference reference,
             double goal, const std::function<void(TBitmap32&)>& run) {
  document::StartUp();
  TBitmap32 source, page, copy;
  for (TBitmap32* b : {&source, &page, &copy}) b->SetSize(kWidth, kHeight);
  fill(source);
  const std::size_t bytes = std::size_t(kWidth) * kHeight * sizeof(TColor32);
  bench::TPairTimer timer(state);
  // Processor time as well: on a busy machine it moves less than the clock.
  double ourCpu = 0, referenceCpu = 0;
  for (auto _ : state) {
    std::memcpy(page.GetBits(), source.GetBits(), bytes);
    timer.Iteration([&] { ourCpu += CpuSeconds([&] { run(page); }); },
                    [&] {
                      referenceCpu += CpuSeconds([&] {
                        if (reference == refMemcpy) std::memcpy(copy.GetBits(), source.GetBits(), bytes);
                        else std::memset(copy.GetBits(), 0x5A, bytes);
                        benchmark::DoNotOptimize(copy.GetBits());
                      });
                    });
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_cpu_ms"] = 1e3 * ourCpu / n;
  state.counters["ref_cpu_ms"] = 1e3 * referenceCpu / n;
  state.counters["cpu_ratio"] = ourCpu / referenceCpu;
  const std::string pass = reference == refMemcpy ? "memcpy of the page" : "memset of the page";
  timer.Report(effect + " on A4 page, " + (fill == FillNoise ? "noise" : "label") + ", goal <= " +
                   std::to_string(int(goal)),
               {effect + " effect applied in place at 300 dpi", std::string("glibc ") + gnu_get_libc_version() + " " + pass,
                true});
}

template <class Effect>
std::function<void(TBitmap32&)> Applying(std::function<void(Effect&)> setUp = {}) {
  auto effect = std::make_shared<Effect>();
  if (setUp) setUp(*effect);
  effect->Prepare();
  return [effect](TBitmap32& page) {
    TdocRenderOptions options;
    options.BitmapResolution = kResolution;
    effect->Apply(page, options);
  };
}

void BrightnessContrast(benchmark::State& state, void (*fill)(TBitmap32&)) {
  Compare(state, "brightness/contrast", fill, refMemcpy, 4, Applying<TdocBrightContrEffect>([](auto& e) {
    e.Brightness = 20;
    e.Contrast = 1.3f;
  }));
}

void HslAdjustment(benchmark::State& state, void (*fill)(TBitmap32&)) {
  Compare(state, "HSL adjustment", fill, refMemcpy, 4, Applying<TdocHSLAdjustEffect>([](auto& e) {
    e.Hue = 0.3f;
    e.Saturation = -0.2f;
    e.Lightness = 0.1f;
  }));
}

void Sepia(benchmark::State& state, void (*fill)(TBitmap32&)) {
  Compare(state, "sepia", fill, refMemcpy, 4, Applying<TdocSepiaEffect>());
}

void GradientFill(benchmark::State& state, void (*fill)(TBitmap32&)) {
  Compare(state, "gradient fill", fill, refMemset, 2, Applying<TdocGradientEffect>());
}

void Shadow(benchmark::State& state, void (*fill)(TBitmap32&)) {
  Compare(state, "shadow, 1.5 mm blur", fill, refMemcpy, 8, Applying<TdocShadowEffect>());
}

}  // namespace

#define EFFECT_BENCH(f)                                                                                \
  BENCHMARK_CAPTURE(f, noise, FillNoise)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(1));  \
  BENCHMARK_CAPTURE(f, label, FillLabel)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(bench::MinTime(1))

EFFECT_BENCH(BrightnessContrast);
EFFECT_BENCH(HslAdjustment);
EFFECT_BENCH(Sepia);
EFFECT_BENCH(GradientFill);
EFFECT_BENCH(Shadow);
