#pragma once
// A top-down 32-bit pixel buffer as a device context sees it: rows of Width
// pixels without padding, each pixel 0xAARRGGBB (QImage::Format_ARGB32 byte
// order). TPixelSurface only refers to memory owned elsewhere (a bitmap);
// TMemorySurface owns its pixels.

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"

struct TPixelSurface {
  std::uint32_t* Bits = nullptr;
  int Width = 0;
  int Height = 0;

  bool IsEmpty() const { return Bits == nullptr || Width <= 0 || Height <= 0; }
  std::uint32_t* ScanLine(int y) const { return Bits + static_cast<std::ptrdiff_t>(y) * Width; }
  std::uint32_t& Pixel(int x, int y) const { return ScanLine(y)[x]; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
  TRect Bounds() const { return Rect(0, 0, IsEmpty() ? 0 : Width, IsEmpty() ? 0 : Height); }
};

class TMemorySurface {
public:
  // Raises EOutOfMemory for negative or unaddressable sizes. New pixels are 0.
  TMemorySurface(int width, int height);
  TMemorySurface(const TMemorySurface&) = delete;
  TMemorySurface& operator=(const TMemorySurface&) = delete;

  TPixelSurface Surface() { return TPixelSurface{Pixels.empty() ? nullptr : Pixels.data(), Width, Height}; }

private:
  int Width;
  int Height;
  std::vector<std::uint32_t> Pixels;
};
