// Arbitrary drawing commands on a small bitmap with an arbitrary clip
// rectangle: nothing may touch memory outside the pixels (the sanitizers
// watch), and nothing outside the clip rectangle may change.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/startup/CoreStartUp.h"

namespace {

class TReader {
public:
  TReader(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}
  bool More() const { return Position < Size; }
  std::int32_t Int() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | Byte();
    return static_cast<std::int32_t>(v);
  }
  // Mostly small coordinates near the bitmap, sometimes anything.
  std::int32_t Coordinate() {
    const std::uint8_t kind = Byte();
    return kind < 200 ? static_cast<std::int32_t>(Byte()) - 64 : Int();
  }
  std::uint8_t Byte() { return Position < Size ? Data[Position++] : 0; }

private:
  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t Position = 0;
};

// v shl shift with the bits that fall off dropped.
std::int32_t Shifted(std::int32_t v, int shift) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(v) << shift);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  imaging::StartUp();
  TReader in(data, size);
  TCustomBitmap32 b;
  b.SetSize(in.Byte() % 64, in.Byte() % 64);
  b.Clear(0x12345678);
  const TRect clip{in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()};
  b.SetClipRect(clip);
  const TRect kept = b.GetClipRect();
  b.SetCombineMode(in.Byte() % 2 ? cmMerge : cmBlend);
  b.SetWrapMode(static_cast<TWrapMode>(in.Byte() % 3));
  b.SetStipplePattern({0xFF0000FF, 0x80FF0000, 0x00000000});
  b.SetStippleStep(static_cast<float>(in.Byte()) / 37.0f);
  const TColor32 color = static_cast<TColor32>(in.Int());
  while (in.More()) {
    const std::uint8_t op = in.Byte() % 14;
    const std::int32_t a = in.Coordinate(), c = in.Coordinate(), d = in.Coordinate(), e = in.Coordinate();
    const bool last = (op & 1) != 0;
    switch (op) {
      case 0: b.Line(a, c, d, e, color, last); break;
      case 1: b.LineBlend(a, c, d, e, color, last); break;
      case 2: b.LineFixedAA(Shifted(a, 12), Shifted(c, 12), Shifted(d, 12), Shifted(e, 12), color, last); break;
      case 3: b.LineFixedAAStipple(a, c, d, e, last); break;
      case 4: b.FillRectClipped(a, c, d, e, color); break;
      case 5: b.FrameRectClipped(a, c, d, e, color); break;
      case 6: b.FrameRectStipple(a, c, d, e); break;
      case 7: b.HorzLineStippleClipped(a, c, d); break;
      case 8: b.VertLineBlendClipped(a, c, d, color); break;
      case 9: b.SetPixelFixedAA(Shifted(a, 10), Shifted(c, 10), color); break;
      case 10: b.BlendPixelClipped(a, c, color); break;
      case 11: (void)b.SamplePixel8(a, c); (void)b.GetPixelWrapped(d, e); break;
      case 12: (void)b.GetPixelFixedWrapped(Shifted(a, 8), Shifted(c, 8)); (void)b.SamplePixelFixed(d, e); break;
      default: b.HorzLineBlendClipped(a, c, d, color); break;
    }
  }
  for (int y = 0; y < b.GetHeight() && !b.IsEmpty(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) {
      const bool inside = x >= kept.Left && x < kept.Right && y >= kept.Top && y < kept.Bottom;
      if (!inside && b.GetPixel(x, y) != 0x12345678u && !(kept == b.BoundsRect())) std::terminate();
    }
  return 0;
}
