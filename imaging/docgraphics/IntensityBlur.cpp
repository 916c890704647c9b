// Intensity maps: alpha turned into plain integers, box-blurred along rows
// and columns, and turned back into colour.

#include <algorithm>
#include <array>
#include <vector>

#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/docgraphics/BoxBlurRuns.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/rtl/Numbers.h"

namespace imaging {
namespace {

// Four moving averages of one window in a row (leads[0] first), each over
// the output of the one before, in one sweep over the run: each stage keeps
// the last window + 1 values it produced in a ring, the next stage follows
// lead places behind, and the last writes dst. At step j a stage takes in
// value j and lets go of value j - window; its sum then belongs to output
// j - lead. dst may be src when the leads add up to the window or more: the
// last stage then writes only places the first has let go of.
class TBoxChain {
public:
  TBoxChain(const std::array<std::size_t, 4>& leads, std::size_t window) : Leads(leads), Window(window), Divide(std::int64_t(window)) {
    std::size_t size = 1;
    while (size < window + 1) size *= 2;
    Mask = size - 1;
    for (auto& ring : Rings) ring.assign(size, 0);
  }

  static bool CanRunInPlace(const std::array<std::size_t, 4>& leads, std::size_t window) {
    return leads[0] + leads[1] + leads[2] + leads[3] >= window;
  }

  void Run(const TColor32* src, TColor32* dst, std::size_t count) {
    Src = src;
    Dst = dst;
    Count = count;
    Sums.fill(0);
    std::array<std::size_t, 4> delay{};
    for (std::size_t s = 1; s < 4; ++s) delay[s] = delay[s - 1] + Leads[s - 1];
    const std::size_t end = count + delay[3] + Leads[3];
    // Every stage inside the run, past its first window: no bounds to check.
    const std::size_t steadyFrom = std::min(delay[3] + Window, count), steadyTo = std::max(steadyFrom, count);
    for (std::size_t t = 0; t < steadyFrom; ++t) StepAll(t, delay);
    for (std::size_t t = steadyFrom; t < steadyTo; ++t) SteadyStep(t, delay);
    for (std::size_t t = steadyTo; t < end; ++t) StepAll(t, delay);
  }

private:
  std::int32_t In(std::size_t stage, std::size_t i) const {
    return static_cast<std::int32_t>(stage == 0 ? Src[i] : Rings[stage - 1][i & Mask]);
  }
  void Out(std::size_t stage, std::size_t k, TColor32 value) {
    if (stage == 3)
      Dst[k] = value;
    else
      Rings[stage][k & Mask] = value;
  }

  void StepAll(std::size_t t, const std::array<std::size_t, 4>& delay) {
    for (std::size_t s = 0; s < 4; ++s) {
      if (t < delay[s]) break;
      const std::size_t j = t - delay[s];
      if (j >= Count + Leads[s]) continue;
      Sums[s] += (j < Count ? In(s, j) : 0) - (j >= Window ? In(s, j - Window) : 0);
      if (j >= Leads[s]) Out(s, j - Leads[s], Divide(Sums[s]));
    }
  }

  void SteadyStep(std::size_t t, const std::array<std::size_t, 4>& delay) {
    for (std::size_t s = 0; s < 4; ++s) {
      const std::size_t j = t - delay[s];
      Sums[s] += std::int64_t{In(s, j)} - In(s, j - Window);
      Out(s, j - Leads[s], Divide(Sums[s]));
    }
  }

  std::array<std::size_t, 4> Leads;
  std::size_t Window;
  TWindowDivider Divide;
  std::size_t Mask = 0;
  std::array<std::vector<TColor32>, 3> Rings;
  std::array<std::int64_t, 4> Sums{};
  const TColor32* Src = nullptr;
  TColor32* Dst = nullptr;
  std::size_t Count = 0;
};

bool ValidPass(std::size_t count, std::int64_t lead, std::int64_t window) {
  return window > 0 && lead >= 0 && lead <= window && static_cast<std::uint64_t>(window) <= count;
}

}  // namespace

void BoxBlurRun(const TColor32* src, TColor32* dst, std::size_t count, std::size_t lead, std::size_t window) {
  const auto n = static_cast<std::int64_t>(count);
  const auto value = [&](std::int64_t i) -> std::int64_t {
    return i >= 0 && i < n ? static_cast<std::int32_t>(src[i]) : 0;
  };
  const auto ahead = static_cast<std::int64_t>(lead), behind = static_cast<std::int64_t>(lead) - static_cast<std::int64_t>(window) + 1;
  std::int64_t sum = 0;
  for (std::int64_t i = behind; i <= ahead; ++i) sum += value(i);
  const TWindowDivider divide(static_cast<std::int64_t>(window));
  for (std::int64_t k = 0; k < n; ++k) {
    dst[k] = divide(sum);
    sum += value(k + ahead + 1) - value(k + behind);
  }
}

std::array<TColor32, 256> AlphaIntensities(float factor) {
  std::array<TColor32, 256> intensity;
  for (std::size_t alpha = 0; alpha < 256; ++alpha)
    intensity[alpha] = static_cast<TColor32>(rtl::Round(static_cast<double>(alpha) * 256 * factor));
  return intensity;
}

void AlphaToIntensity(TCustomBitmap32& bitmap, float factor) {
  const std::array<TColor32, 256> intensity = AlphaIntensities(factor);
  const std::size_t count = PixelCount(bitmap);
  TColor32* bits = bitmap.GetBits();
  for (std::size_t i = 0; i < count; ++i) bits[i] = intensity[bits[i] >> 24];
  bitmap.Changed();
}

void IntensityToAlpha(TCustomBitmap32& bitmap, TColor32 color) {
  const TColor32 rgb = color & 0x00FFFFFF;
  const std::size_t count = PixelCount(bitmap);
  TColor32* bits = bitmap.GetBits();
  for (std::size_t i = 0; i < count; ++i) bits[i] = IntensityColor(bits[i], rgb);
  bitmap.Changed();
}

void BoxBlurPass(const TCustomBitmap32& src, TCustomBitmap32& dst, std::int32_t lead, std::int32_t window) {
  const std::size_t count = PixelCount(src);
  if (count != PixelCount(dst) || !ValidPass(count, lead, window)) return;
  if (&src == &dst) {
    const std::vector<TColor32> copy(src.GetBits(), src.GetBits() + count);
    BoxBlurRun(copy.data(), dst.GetBits(), count, static_cast<std::size_t>(lead), static_cast<std::size_t>(window));
  } else {
    BoxBlurRun(src.GetBits(), dst.GetBits(), count, static_cast<std::size_t>(lead), static_cast<std::size_t>(window));
  }
  dst.Changed();
}

std::size_t BlurWindow(float radius) {
  if (!(radius >= 1.5f)) return 0;
  const std::int32_t window = rtl::Round(std::min(static_cast<double>(radius), 1e9));
  if (window < 2) return 0;
  return window == 2 ? 3 : static_cast<std::size_t>(window);
}

// Two rounds of (lead a, lead b) along the joined rows, then, transposed,
// two rounds of (lead b, lead a) along the joined columns.
std::array<std::size_t, 4> BlurRowLeads(std::size_t w) {
  const std::size_t leadA = w / 2;
  const std::size_t leadB = w % 2 == 0 ? std::max<std::size_t>(1, (w + 1) / 2 - 1) : (w + 1) / 2;
  return {leadA, leadB, leadA, leadB};
}

std::array<std::size_t, 4> BlurColumnLeads(std::size_t w) {
  const std::array<std::size_t, 4> rows = BlurRowLeads(w);
  return {rows[1], rows[0], rows[1], rows[0]};
}

void BlurIntensityMap(TCustomBitmap32& bitmap, float radius) {
  const std::size_t w = BlurWindow(radius);
  const std::size_t count = PixelCount(bitmap);
  if (w == 0 || !ValidPass(count, std::int64_t(w / 2), std::int64_t(w))) return;
  TColor32* bits = bitmap.GetBits();
  // Eight lines at a time where the processor and the values allow, the
  // same results.
  const std::array<std::size_t, 4> rows = BlurRowLeads(w), columns = BlurColumnLeads(w);
  const auto chain = [&](const std::array<std::size_t, 4>& leads, TColor32* run) {
    if (TBoxChain::CanRunInPlace(leads, w)) {
      TBoxChain(leads, w).Run(run, run, count);
      return;
    }
    for (std::size_t pass = 0; pass < 4; ++pass) {
      const std::vector<TColor32> copy(run, run + count);
      BoxBlurRun(copy.data(), run, count, leads[pass], w);
    }
  };
  const auto width = static_cast<std::size_t>(bitmap.GetWidth()), height = static_cast<std::size_t>(bitmap.GetHeight());
  const bool rowsOnLanes = BlurLinesAvx2(bits, height, width, width, 1, rows, w);
  if (!rowsOnLanes) chain(rows, bits);
  if (!BlurLinesAvx2(bits, width, height, 1, width, columns, w, !rowsOnLanes)) {
    std::vector<TColor32> temporary(count);
    TransposeBitmapPixels(bits, temporary.data(), bitmap.GetWidth(), bitmap.GetHeight());
    chain(columns, temporary.data());
    TransposeBitmapPixels(temporary.data(), bits, bitmap.GetHeight(), bitmap.GetWidth());
  }
  bitmap.Changed();
}

}  // namespace imaging
