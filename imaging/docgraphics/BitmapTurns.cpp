// Quarter turns, mirroring and transposition of bitmap pixels.

#include <algorithm>
#include <vector>

#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/bitmap/CustomBitmap32.h"

namespace imaging {
namespace {

// Moves every pixel (x, y) to index place(x, y) of a bitmap height wide and
// width high; the drawing properties stay.
template <class Place>
void Turn(TCustomBitmap32& bitmap, Place place) {
  const std::int32_t width = bitmap.GetWidth(), height = bitmap.GetHeight();
  std::vector<TColor32> turned;
  if (!bitmap.IsEmpty()) {
    turned.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y) {
      const TColor32* row = bitmap.ScanLine(y);
      for (std::int32_t x = 0; x < width; ++x) turned[place(x, y)] = row[x];
    }
  }
  bitmap.SetSize(height, width);
  if (!turned.empty()) std::copy(turned.begin(), turned.end(), bitmap.GetBits());
  bitmap.Changed();
}

}  // namespace

void RotateBitmapLeft(TCustomBitmap32& bitmap) {
  const std::size_t width = static_cast<std::size_t>(bitmap.GetWidth());
  const std::size_t height = static_cast<std::size_t>(bitmap.GetHeight());
  Turn(bitmap, [=](std::size_t x, std::size_t y) { return (width - 1 - x) * height + y; });
}

void RotateBitmapRight(TCustomBitmap32& bitmap) {
  const std::size_t height = static_cast<std::size_t>(bitmap.GetHeight());
  Turn(bitmap, [=](std::size_t x, std::size_t y) { return x * height + (height - 1 - y); });
}

void RotateBitmap180(TCustomBitmap32& bitmap) {
  MirrorBitmap(bitmap);
  FlipBitmap(bitmap);
}

void MirrorBitmap(TCustomBitmap32& bitmap) {
  if (bitmap.IsEmpty()) return;
  for (std::int32_t y = 0; y < bitmap.GetHeight(); ++y) {
    TColor32* row = bitmap.ScanLine(y);
    std::reverse(row, row + bitmap.GetWidth());
  }
  bitmap.Changed();
}

void FlipBitmap(TCustomBitmap32& bitmap) {
  if (bitmap.IsEmpty()) return;
  const std::int32_t height = bitmap.GetHeight();
  for (std::int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(bitmap.ScanLine(top), bitmap.ScanLine(top) + bitmap.GetWidth(), bitmap.ScanLine(bottom));
  bitmap.Changed();
}

void TransposeBitmapPixels(const TColor32* src, TColor32* dst, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return;
  const auto w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
  // Tile by tile, so that the rows written stay in the cache while a tile is
  // filled instead of every write touching a new line.
  constexpr std::size_t kTile = 32;
  for (std::size_t y0 = 0; y0 < h; y0 += kTile)
    for (std::size_t x0 = 0; x0 < w; x0 += kTile) {
      const std::size_t y1 = std::min(h, y0 + kTile), x1 = std::min(w, x0 + kTile);
      for (std::size_t x = x0; x < x1; ++x)
        for (std::size_t y = y0; y < y1; ++y) dst[x * h + y] = src[y * w + x];
    }
}

}  // namespace imaging
