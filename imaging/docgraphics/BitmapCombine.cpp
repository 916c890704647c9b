// Merging colours and bitmaps, alpha inversion, shifting and the
// single-colour test.

#include <algorithm>
#include <cstring>

#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/bitmap/CustomBitmap32.h"

namespace imaging {

std::size_t PixelCount(const TCustomBitmap32& bitmap) {
  return bitmap.IsEmpty() ? 0 : static_cast<std::size_t>(bitmap.GetWidth()) * static_cast<std::size_t>(bitmap.GetHeight());
}

TColor32 MergeColorWithAlpha(TColor32 f, TColor32 b, std::uint32_t m) {
  m = std::min<std::uint32_t>(m, 255);
  const std::uint32_t fa = f >> 24;
  if (fa == 255 && m == 255) return f;
  if ((fa == 255 && m == 0) || fa == 0) return b;
  const std::uint32_t a = fa * m / 255;
  const TColor32 scaled = (f & 0x00FFFFFF) | a << 24;
  const std::uint32_t ba = b >> 24;
  if (a == 255 || ba == 0) return scaled;
  const std::uint32_t r = (ba + a - a * ba / 255) & 0xFF;
  const std::int32_t k = 65536 / static_cast<std::int32_t>(r);
  TColor32 result = r << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const auto fc = static_cast<std::int32_t>(f >> shift & 0xFF);
    const auto bc = static_cast<std::int32_t>(ba * (b >> shift & 0xFF) >> 8);
    const std::int32_t channel = (((static_cast<std::int32_t>(a) * (fc - bc)) >> 8) + bc) * k >> 8;
    result |= static_cast<TColor32>(channel & 0xFF) << shift;
  }
  return result;
}

void MergeBitmapOver(TCustomBitmap32& dst, const TCustomBitmap32& src, std::uint32_t alpha) {
  const std::size_t count = PixelCount(dst);
  if (count == 0 || count != PixelCount(src)) return;
  TColor32* d = dst.GetBits();
  const TColor32* s = src.GetBits();
  for (std::size_t i = 0; i < count; ++i) d[i] = MergeColorWithAlpha(d[i], s[i], alpha);
  dst.Changed();
}

void InvertAlpha(TCustomBitmap32& bitmap) {
  const std::size_t count = PixelCount(bitmap);
  TColor32* bits = bitmap.GetBits();
  for (std::size_t i = 0; i < count; ++i) bits[i] ^= 0xFF000000u;
  bitmap.Changed();
}

void ShiftBitmap(TCustomBitmap32& bitmap, std::int32_t dx, std::int32_t dy) {
  const std::size_t count = PixelCount(bitmap);
  const std::int64_t offset = std::int64_t{dy} * bitmap.GetWidth() + dx;
  const auto size = static_cast<std::size_t>(offset < 0 ? -offset : offset);
  if (offset == 0 || size > count) return;
  TColor32* bits = bitmap.GetBits();
  const std::size_t kept = count - size;
  if (offset > 0) {
    std::memmove(bits + size, bits, kept * sizeof(TColor32));
    std::fill_n(bits, size, 0);
  } else {
    std::memmove(bits, bits + size, kept * sizeof(TColor32));
    std::fill_n(bits + kept, size, 0);
  }
  bitmap.Changed();
}

bool IsBitmapSingleColor(const TCustomBitmap32* bitmap, TColor32 color) {
  if (bitmap == nullptr || bitmap->IsEmpty()) return true;
  const std::int32_t width = bitmap->GetWidth();
  const auto rowIs = [&](std::int32_t y) {
    const TColor32* row = bitmap->ScanLine(y);
    return std::all_of(row, row + width, [color](TColor32 c) { return c == color; });
  };
  // From the outside in: a differing pixel is most likely near the edges.
  for (std::int32_t top = 0, bottom = bitmap->GetHeight() - 1; top <= bottom; ++top, --bottom)
    if (!rowIs(top) || (bottom != top && !rowIs(bottom))) return false;
  return true;
}

}  // namespace imaging
