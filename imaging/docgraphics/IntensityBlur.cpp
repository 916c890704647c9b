// Intensity maps: alpha turned into plain integers, box-blurred along rows
// and columns, and turned back into colour.

#include <algorithm>
#include <array>
#include <vector>

#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/rtl/Numbers.h"

namespace imaging {
namespace {

std::size_t PixelCount(const TCustomBitmap32& bitmap) {
  return bitmap.IsEmpty() ? 0 : static_cast<std::size_t>(bitmap.GetWidth()) * static_cast<std::size_t>(bitmap.GetHeight());
}

// The moving average of BoxBlurPass on raw runs; src and dst must differ.
void BoxBlurRun(const TColor32* src, TColor32* dst, std::size_t count, std::size_t lead, std::size_t window) {
  const auto n = static_cast<std::int64_t>(count);
  const auto value = [&](std::int64_t i) -> std::int64_t {
    return i >= 0 && i < n ? static_cast<std::int32_t>(src[i]) : 0;
  };
  const auto ahead = static_cast<std::int64_t>(lead), behind = static_cast<std::int64_t>(lead) - static_cast<std::int64_t>(window) + 1;
  std::int64_t sum = 0;
  for (std::int64_t i = behind; i <= ahead; ++i) sum += value(i);
  const auto divisor = static_cast<std::int64_t>(window);
  for (std::int64_t k = 0; k < n; ++k) {
    dst[k] = static_cast<TColor32>(static_cast<std::int32_t>(sum / divisor));
    sum += value(k + ahead + 1) - value(k + behind);
  }
}

bool ValidPass(std::size_t count, std::int64_t lead, std::int64_t window) {
  return window > 0 && lead >= 0 && lead <= window && static_cast<std::uint64_t>(window) <= count;
}

}  // namespace

void AlphaToIntensity(TCustomBitmap32& bitmap, float factor) {
  std::array<TColor32, 256> intensity;
  for (std::size_t alpha = 0; alpha < 256; ++alpha)
    intensity[alpha] = static_cast<TColor32>(rtl::Round(static_cast<double>(alpha) * 256 * factor));
  const std::size_t count = PixelCount(bitmap);
  TColor32* bits = bitmap.GetBits();
  for (std::size_t i = 0; i < count; ++i) bits[i] = intensity[bits[i] >> 24];
  bitmap.Changed();
}

void IntensityToAlpha(TCustomBitmap32& bitmap, TColor32 color) {
  const TColor32 rgb = color & 0x00FFFFFF;
  const std::size_t count = PixelCount(bitmap);
  TColor32* bits = bitmap.GetBits();
  for (std::size_t i = 0; i < count; ++i)
    if (bits[i] > 255) bits[i] = rgb | (std::min<TColor32>(bits[i], 0xFF00) >> 8) << 24;
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

void BlurIntensityMap(TCustomBitmap32& bitmap, float radius) {
  if (!(radius >= 1.5f)) return;
  std::int32_t window = rtl::Round(std::min(static_cast<double>(radius), 1e9));
  if (window < 2) return;
  if (window == 2) window = 3;
  const std::size_t count = PixelCount(bitmap);
  if (!ValidPass(count, window / 2, window)) return;
  const auto w = static_cast<std::size_t>(window);
  const std::size_t leadA = w / 2;
  const std::size_t leadB = w % 2 == 0 ? std::max<std::size_t>(1, (w + 1) / 2 - 1) : (w + 1) / 2;
  TColor32* bits = bitmap.GetBits();
  std::vector<TColor32> temporary(count, 0);
  const auto there = [&](std::size_t lead) { BoxBlurRun(bits, temporary.data(), count, lead, w); };
  const auto back = [&](std::size_t lead) { BoxBlurRun(temporary.data(), bits, count, lead, w); };
  for (int round = 0; round < 2; ++round) {
    there(leadA);
    back(leadB);
  }
  TransposeBitmapPixels(bits, temporary.data(), bitmap.GetWidth(), bitmap.GetHeight());
  for (int round = 0; round < 2; ++round) {
    back(leadB);
    there(leadA);
  }
  TransposeBitmapPixels(temporary.data(), bits, bitmap.GetHeight(), bitmap.GetWidth());
  bitmap.Changed();
}

}  // namespace imaging
