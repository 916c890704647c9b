// Reducing an A4 page at 300 dpi (2480 x 3508) to half its width and half
// its height (1240 x 1754), timed against libvips' vips_reduce and FFmpeg's
// libswscale on the same pixels in the same run, with the same filter on
// every side: a triangle (linear) filter or a Lanczos window of 3 lobes,
// both widened to the reduction. All sides run on one thread and treat the
// four channels alike, without gamma. How far each reference's pixels lie
// from ours is shown with its row, as a check that the filters match.

#include <benchmark/benchmark.h>
#include <vips/vips.h>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/common/Comparison.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/resample/Resamplers.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

constexpr int kWidth = 2480, kHeight = 3508;
constexpr int kOutWidth = kWidth / 2, kOutHeight = kHeight / 2;
constexpr std::size_t kOutBytes = std::size_t{kOutWidth} * kOutHeight * 4;

// A page-like picture: smooth gradients with sharp-edged marks.
void FillPage(TCustomBitmap32& page) {
  std::mt19937 rng(7);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const TColor32 smooth = 0xFF000000u | (x * 255 / kWidth) << 16 | (y * 255 / kHeight) << 8 | ((x + y) & 255);
      page.SetPixel(x, y, (x / 7 + y / 11) % 13 == 0 ? rng() | 0xFF000000u : smooth);
    }
}

TCustomBitmap32& Page() {
  static TCustomBitmap32* page = [] {
    imaging::StartUp();
    auto* bitmap = new TCustomBitmap32;
    bitmap->SetSize(kWidth, kHeight);
    FillPage(*bitmap);
    return bitmap;
  }();
  return *page;
}

const unsigned char* PageBytes() { return reinterpret_cast<const unsigned char*>(Page().GetBits()); }

struct TFilter {
  const char* Name;
  TStretchFilter Ours;
  VipsKernel Vips;
  int Swscale;
};

constexpr TFilter kLinear{"linear", sfLinear, VIPS_KERNEL_LINEAR, SWS_BILINEAR};
constexpr TFilter kLanczos{"Lanczos-3", sfLanczos, VIPS_KERNEL_LANCZOS3, SWS_LANCZOS};

// Our output, timed by the caller.
class TOurs {
public:
  explicit TOurs(const TFilter& filter) : Source(Page()) {
    Output.SetSize(kOutWidth, kOutHeight);
    Source.SetStretchFilter(filter.Ours);
  }
  void Run() { Source.DrawTo(Output, TRect{0, 0, kOutWidth, kOutHeight}); }
  const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(Output.GetBits()); }

private:
  TCustomBitmap32& Source;
  TCustomBitmap32 Output;
};

// Mean and largest difference per channel value between two outputs.
std::string Difference(const unsigned char* a, const unsigned char* b) {
  double sum = 0;
  int largest = 0;
  for (std::size_t i = 0; i < kOutBytes; ++i) {
    const int d = std::abs(a[i] - b[i]);
    sum += d;
    largest = std::max(largest, d);
  }
  char text[96];
  std::snprintf(text, sizeof text, "; differs from ours by %.3f on average, %d at most", sum / kOutBytes, largest);
  return text;
}

// ---- libvips: the page wrapped without a copy, reduced without a
// pre-shrink ("gap" 0), written to memory. The operation cache is off so
// that every iteration computes.

void InitVips() {
  static const bool ready = [] {
    if (VIPS_INIT("resample_bench") != 0) std::abort();
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    return true;
  }();
  (void)ready;
}

class TVips {
public:
  explicit TVips(const TFilter& filter) : Kernel(filter.Vips) {
    InitVips();
    Input = vips_image_new_from_memory(PageBytes(), std::size_t{kWidth} * kHeight * 4, kWidth, kHeight, 4,
                                       VIPS_FORMAT_UCHAR);
  }
  ~TVips() {
    g_free(Output);
    g_object_unref(Input);
  }
  void Run() {
    VipsImage* reduced = nullptr;
    if (vips_reduce(Input, &reduced, 2.0, 2.0, "kernel", Kernel, "gap", 0.0, nullptr) != 0) std::abort();
    g_free(Output);
    std::size_t size = 0;
    Output = static_cast<unsigned char*>(vips_image_write_to_memory(reduced, &size));
    g_object_unref(reduced);
    if (size != kOutBytes) std::abort();
  }
  const unsigned char* Bytes() const { return Output; }

private:
  VipsKernel Kernel;
  VipsImage* Input = nullptr;
  unsigned char* Output = nullptr;
};

// ---- libswscale: each channel a plane of YUVA 4:4:4 (so no colour
// conversion happens), split before timing and joined after.

class TSwscale {
public:
  explicit TSwscale(const TFilter& filter)
      : Context(sws_getContext(kWidth, kHeight, AV_PIX_FMT_YUVA444P, kOutWidth, kOutHeight, AV_PIX_FMT_YUVA444P,
                               filter.Swscale, nullptr, nullptr, nullptr)),
        Planes(4, std::vector<std::uint8_t>(std::size_t{kWidth} * kHeight)),
        OutPlanes(4, std::vector<std::uint8_t>(std::size_t{kOutWidth} * kOutHeight)),
        Joined(kOutBytes) {
    if (Context == nullptr) std::abort();
    const unsigned char* bytes = PageBytes();
    for (std::size_t i = 0; i < Planes[0].size(); ++i)
      for (int c = 0; c < 4; ++c) Planes[c][i] = bytes[4 * i + c];
  }
  ~TSwscale() { sws_freeContext(Context); }
  void Run() {
    const std::uint8_t* source[4] = {Planes[0].data(), Planes[1].data(), Planes[2].data(), Planes[3].data()};
    std::uint8_t* target[4] = {OutPlanes[0].data(), OutPlanes[1].data(), OutPlanes[2].data(), OutPlanes[3].data()};
    const int stride[4] = {kWidth, kWidth, kWidth, kWidth};
    const int outStride[4] = {kOutWidth, kOutWidth, kOutWidth, kOutWidth};
    sws_scale(Context, source, stride, 0, kHeight, target, outStride);
  }
  const unsigned char* Bytes() {
    for (std::size_t i = 0; i < OutPlanes[0].size(); ++i)
      for (int c = 0; c < 4; ++c) Joined[4 * i + c] = OutPlanes[c][i];
    return Joined.data();
  }

private:
  SwsContext* Context;
  std::vector<std::vector<std::uint8_t>> Planes, OutPlanes;
  std::vector<unsigned char> Joined;
};

std::string SwscaleVersion() {
  const unsigned v = swscale_version();
  return std::to_string(v >> 16) + "." + std::to_string(v >> 8 & 255) + "." + std::to_string(v & 255);
}

std::string OurSide(const TFilter& filter) {
  return std::string("TCustomBitmap32::DrawTo, ") + filter.Name + " filter, interleaved BGRA, 8.8 fixed-point weights";
}

template <class Reference>
void Reduce(benchmark::State& state, const TFilter& filter, const char* library, const std::string& referenceSide) {
  TOurs ours(filter);
  Reference reference(filter);
  bench::TPairTimer timer(state);
  for (auto _ : state) {
    timer.Iteration([&] { ours.Run(); }, [&] { reference.Run(); });
    benchmark::DoNotOptimize(ours.Bytes()[kOutWidth]);
  }
  timer.Report(std::string("reduce A4 page to half, ") + filter.Name + ", " + library,
               {OurSide(filter), referenceSide + Difference(ours.Bytes(), reference.Bytes())});
}

std::string VipsSide(const TFilter& filter) {
  return std::string("libvips ") + vips_version_string() + " vips_reduce kernel " + filter.Name +
         ", gap 0, 1 thread, interleaved, uchar";
}

std::string SwscaleSide(const TFilter& filter) {
  return "libswscale " + SwscaleVersion() + (filter.Swscale == SWS_BILINEAR ? " SWS_BILINEAR" : " SWS_LANCZOS (3)") +
         ", default precision, one plane per channel (YUVA 4:4:4, no conversion), split before timing";
}

void LinearVips(benchmark::State& state) { Reduce<TVips>(state, kLinear, "libvips", VipsSide(kLinear)); }
void LinearSwscale(benchmark::State& state) { Reduce<TSwscale>(state, kLinear, "libswscale", SwscaleSide(kLinear)); }
void LanczosVips(benchmark::State& state) { Reduce<TVips>(state, kLanczos, "libvips", VipsSide(kLanczos)); }
void LanczosSwscale(benchmark::State& state) { Reduce<TSwscale>(state, kLanczos, "libswscale", SwscaleSide(kLanczos)); }

const bool gPinned = [] {
  bench::PinHeapThresholds();
  return true;
}();

}  // namespace

BENCHMARK(LinearVips)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LinearSwscale)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LanczosVips)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(LanczosSwscale)->UseManualTime()->Unit(benchmark::kMillisecond);
