#pragma once
// Helpers shared by the raster library tests: the per-channel combine formula
// written out independently, random pictures, pixel lists, fixed points,
// streams over bytes.

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/FixedPoint.h"
#include "platform/rtl/Stream.h"

namespace imagingtest {

// V(X, Y, W) per channel: (Y x 256 + 128 + W x (X - Y)) >> 8.
inline TColor32 RefV(TColor32 x, TColor32 y, std::uint32_t w) {
  TColor32 r = 0;
  for (int s = 0; s < 32; s += 8) {
    const int xc = x >> s & 255, yc = y >> s & 255;
    r |= static_cast<TColor32>((yc * 256 + 128 + static_cast<int>(w) * (xc - yc)) >> 8) << s;
  }
  return r;
}

inline void Solid(TCustomBitmap32& b, int width, int height, TColor32 color) {
  b.SetSize(width, height);
  b.Clear(color);
}

inline void FillRandom(TCustomBitmap32& b, int width, int height, std::uint32_t seed) {
  std::mt19937 rng(seed);
  b.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) b.SetPixel(x, y, rng());
}

inline std::vector<TColor32> Pixels(const TCustomBitmap32& b) {
  if (b.IsEmpty()) return {};
  return {b.GetBits(), b.GetBits() + static_cast<std::ptrdiff_t>(b.GetWidth()) * b.GetHeight()};
}

inline void Fill(TMemoryStream& stream, const std::vector<std::uint8_t>& bytes) {
  stream.SetSize(0);
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
}

inline TFixedPoint Fx(double x, double y) {
  return TFixedPoint{static_cast<TFixed>(std::lround(x * 65536)), static_cast<TFixed>(std::lround(y * 65536))};
}

}  // namespace imagingtest
