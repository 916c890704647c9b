#pragma once
// Small helpers of the raster file tests: streams over bytes, pictures with
// varied pixels and their pixel lists.

#include <cstdint>
#include <random>
#include <vector>

#include "imaging/CustomBitmap32.h"

namespace rastertest {

inline void Fill(TMemoryStream& stream, const std::vector<std::uint8_t>& bytes) {
  stream.SetSize(0);
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
}

// Left half random ARGB, right half opaque gradients.
inline void Paint(TCustomBitmap32& b, int w, int h, unsigned seed) {
  std::mt19937 random(seed);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, x < w / 2 ? static_cast<TColor32>(random()) : 0xFF000000u | static_cast<TColor32>(x * 7 + y));
}

inline std::vector<TColor32> Pixels(const TCustomBitmap32& b) {
  if (b.IsEmpty()) return {};
  return {b.GetBits(), b.GetBits() + static_cast<std::ptrdiff_t>(b.GetWidth()) * b.GetHeight()};
}

}  // namespace rastertest
