#pragma once
// The pixel surfaces the codec works with. TsdJpegPixelMap is the codec's own
// bitmap: top-down rows of 1, 2, 3 or 4 bytes per pixel in blue, green, red,
// alpha order (grey for one byte). TsdJpegImage32 is the narrow view of a
// 32-bit ARGB surface through which callers hand images in and out.

#include <cstdint>
#include <vector>

#include "imaging/jpeg/JpegMemory.h"

class TsdJpegPixelMap {
public:
  // Raises EInvalidGraphic for a size beyond the codec's limits.
  void SetSize(int width, int height, int bytesPerPixel);
  void Clear() { SetSize(0, 0, BytesPerPixel); }

  int GetWidth() const { return Width; }
  int GetHeight() const { return Height; }
  int GetBytesPerPixel() const { return BytesPerPixel; }
  bool IsEmpty() const { return Width == 0 || Height == 0; }
  std::size_t Stride() const { return static_cast<std::size_t>(Width) * static_cast<std::size_t>(BytesPerPixel); }
  std::uint8_t* Row(int y) { return Pixels.data() + static_cast<std::size_t>(y) * Stride(); }
  const std::uint8_t* Row(int y) const { return Pixels.data() + static_cast<std::size_t>(y) * Stride(); }

private:
  int Width = 0;
  int Height = 0;
  int BytesPerPixel = 3;
  std::vector<std::uint8_t, jpeg::TsdLargeAllocator<std::uint8_t>> Pixels;
};

// A 32-bit ARGB surface (alpha in the top byte, so bytes are blue, green,
// red, alpha in memory) that the codec can size, read and fill.
class TsdJpegImage32 {
public:
  virtual ~TsdJpegImage32() = default;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  virtual void SetSize(int width, int height) = 0;
  virtual std::uint32_t* ScanLine(int y) = 0;
  virtual const std::uint32_t* ScanLine(int y) const = 0;
};

namespace jpeg {
// The pixel map as 32-bit ARGB: grey into all three colours, alpha 255
// unless the map has an alpha byte.
void CopyToImage32(const TsdJpegPixelMap& bitmap, TsdJpegImage32& dest);
// A 24-bit pixel map of the image's colours (its alpha is not kept).
TsdJpegPixelMap CopyFromImage32(const TsdJpegImage32& source);
}  // namespace jpeg
