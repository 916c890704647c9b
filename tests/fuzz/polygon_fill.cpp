// Arbitrary contours, fill rules and antialias modes filled, outlined, grown
// and drawn into a small bitmap with an arbitrary clip rectangle: nothing may
// touch memory outside the pixels (the sanitizers watch), divide by zero or
// hang, and no pixel outside the clip rectangle may change.

#include <cstddef>
#include <cstdint>
#include <exception>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/polygon/Polygon32.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

class TReader {
public:
  TReader(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}
  bool More() const { return Position < Size; }
  std::uint8_t Byte() { return Position < Size ? Data[Position++] : 0; }
  std::int32_t Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return static_cast<std::int32_t>(v);
  }
  // Mostly 16.16 coordinates near the bitmap, with fractions; sometimes anything.
  TFixed Coordinate() {
    const std::uint8_t kind = Byte();
    if (kind >= 230) return Int();
    return static_cast<TFixed>((static_cast<std::int32_t>(Byte()) - 64) * 65536 + Byte() * 256 + Byte());
  }

private:
  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t Position = 0;
};

constexpr TColor32 kBackground = 0x12345678;

void Draw(const TPolygon32& polygon, TCustomBitmap32& bitmap, TColor32 color, std::uint8_t how) {
  switch (how % 4) {
    case 0: polygon.DrawFill(bitmap, color); break;
    case 1: polygon.DrawEdge(bitmap, color); break;
    case 2: polygon.Outline()->Grow(static_cast<TFixed>(how) << 12, static_cast<float>(how % 7) / 6)
                ->DrawFill(bitmap, color); break;
    default: polygon.Grow(-(static_cast<TFixed>(how) << 13), static_cast<float>(how % 5) / 4)->DrawFill(bitmap, color);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  imaging::StartUp();
  TReader in(data, size);
  TCustomBitmap32 bitmap;
  bitmap.SetSize(in.Byte() % 48, in.Byte() % 48);
  bitmap.Clear(kBackground);
  const TRect clip{in.Byte() % 56 - 4, in.Byte() % 56 - 4, in.Byte() % 56 - 4, in.Byte() % 56 - 4};
  bitmap.SetClipRect(clip);
  const TRect kept = bitmap.GetClipRect();
  bitmap.SetCombineMode(in.Byte() % 2 ? cmMerge : cmBlend);

  TPolygon32 polygon;
  const std::uint8_t flags = in.Byte();
  polygon.Antialiased = (flags & 1) != 0;
  polygon.Closed = (flags & 2) != 0;
  polygon.FillMode = (flags & 4) != 0 ? pfNonZero : pfEvenOdd;
  polygon.AntialiasMode = static_cast<TAntialiasMode>(in.Byte() % 6);
  const TColor32 color = static_cast<TColor32>(in.Int());
  const std::uint8_t how = in.Byte();
  while (in.More()) {
    const std::uint8_t op = in.Byte();
    if (op < 16) polygon.NewLine();
    const TFixed x = in.Coordinate();
    polygon.Add(TFixedPoint{x, in.Coordinate()});
  }
  Draw(polygon, bitmap, color, how);

  if (!bitmap.IsEmpty() && !(kept == bitmap.BoundsRect()))
    for (int y = 0; y < bitmap.GetHeight(); ++y)
      for (int x = 0; x < bitmap.GetWidth(); ++x) {
        const bool inside = x >= kept.Left && x < kept.Right && y >= kept.Top && y < kept.Bottom;
        if (!inside && bitmap.GetPixel(x, y) != kBackground) std::terminate();
      }
  return 0;
}
