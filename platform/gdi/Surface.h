#pragma once
// A top-down 32-bit pixel buffer as a device context sees it: rows of Width
// pixels, each pixel 0xAARRGGBB (QImage::Format_ARGB32 byte order).
// TPixelSurface only refers to memory owned elsewhere (a bitmap), either all
// of it or a rectangle of it (a view: its rows keep the owner's stride, and
// drawing through it cannot reach the pixels around it); TMemorySurface owns
// its pixels.

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"

struct TPixelSurface {
  std::uint32_t* Bits = nullptr;
  int Width = 0;
  int Height = 0;
  // Pixels from the start of one row to the next; 0 when the rows follow
  // each other without a gap.
  int Stride = 0;

  bool IsEmpty() const { return Bits == nullptr || Width <= 0 || Height <= 0; }
  int RowPitch() const { return Stride != 0 ? Stride : Width; }
  std::uint32_t* ScanLine(int y) const { return Bits + static_cast<std::ptrdiff_t>(y) * RowPitch(); }
  std::uint32_t& Pixel(int x, int y) const { return ScanLine(y)[x]; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height; }
  TRect Bounds() const { return Rect(0, 0, IsEmpty() ? 0 : Width, IsEmpty() ? 0 : Height); }
  // The part of rect on this surface, as a surface of its own whose (0, 0)
  // is that part's top-left pixel; empty when rect misses the surface.
  TPixelSurface View(const TRect& rect) const;
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
