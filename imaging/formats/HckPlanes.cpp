#include "imaging/formats/HckPlanes.h"

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/LowLevel.h"
#include "imaging/formats/RasterFormat.h"

namespace imaging {
namespace {

constexpr TColor32 kOpaque = 0xFF000000u;

bool BitAt(const std::uint8_t* plane, std::size_t i) { return ((plane[i / 8] >> (7 - i % 8)) & 1) != 0; }

// Reads the planes one after the other, each from pixel First on; a 1-bit
// plane is handed over from its start, with First to be added to its bit
// index.
class TPlaneCursor {
public:
  TPlaneCursor(std::span<const std::uint8_t> planes, std::size_t pixels, std::size_t first)
      : Planes(planes), Pixels(pixels), First(first) {}

  const std::uint8_t* Next(std::uint8_t bits) {
    const std::uint8_t* plane = Planes.data() + Used;
    Used += bits == 1 ? (Pixels + 7) / 8 : Pixels;
    return bits == 1 ? plane : plane + First;
  }
  std::size_t BitOffset() const { return First; }

private:
  std::span<const std::uint8_t> Planes;
  std::size_t Pixels;
  std::size_t First;
  std::size_t Used = 0;
};

void DecodeAlpha(std::uint8_t bits, const std::uint8_t* plane, std::size_t bitOffset, TColor32* pixels,
                 std::size_t count) {
  if (bits == 0) {
    FillLongword(pixels, static_cast<std::ptrdiff_t>(count), kOpaque);
  } else if (bits == 1) {
    for (std::size_t i = 0; i < count; ++i) pixels[i] = BitAt(plane, bitOffset + i) ? kOpaque : 0;
  } else {
    for (std::size_t i = 0; i < count; ++i) pixels[i] = static_cast<TColor32>(plane[i]) << 24;
  }
}

void DecodeChannel(const std::uint8_t* plane, int shift, TColor32* pixels, std::size_t count) {
  const TColor32 keep = ~(TColor32{0xFF} << shift);
  for (std::size_t i = 0; i < count; ++i) pixels[i] = (pixels[i] & keep) | static_cast<TColor32>(plane[i]) << shift;
}

void DecodeGrey(std::uint8_t bits, const std::uint8_t* plane, std::size_t bitOffset, TColor32* pixels,
                std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const TColor32 level = bits == 1 ? (BitAt(plane, bitOffset + i) ? 0xFF : 0) : plane[i];
    pixels[i] = (pixels[i] & kOpaque) | level * 0x010101u;
  }
}

[[noreturn]] void CorruptedPlanes() { throw ERasterError("Image file is corrupted"); }

}  // namespace

void DecodeHckPixels(const THckHeader& header, std::span<const std::uint8_t> planes, std::size_t first,
                     std::size_t count, TColor32* pixels) {
  if (!header.DepthsSupported() || header.PlanesSize() > planes.size() || first > header.PixelCount() ||
      count > header.PixelCount() - first)
    CorruptedPlanes();
  TPlaneCursor cursor(planes, header.PixelCount(), first);
  const std::size_t offset = cursor.BitOffset();
  DecodeAlpha(header.AlphaBits, header.AlphaBits != 0 ? cursor.Next(header.AlphaBits) : nullptr, offset, pixels, count);
  const std::pair<std::uint8_t, int> channels[] = {{header.RedBits, 16}, {header.GreenBits, 8}, {header.BlueBits, 0}};
  for (const auto& [bits, shift] : channels)
    if (bits != 0) DecodeChannel(cursor.Next(bits), shift, pixels, count);
  if (header.GreyBits != 0) DecodeGrey(header.GreyBits, cursor.Next(header.GreyBits), offset, pixels, count);
}

std::vector<std::uint8_t> EncodeArgbPlanes(const TCustomBitmap32& bitmap) {
  const std::size_t count = bitmap.IsEmpty() ? 0 : std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight());
  std::vector<std::uint8_t> planes(4 * count);
  const TColor32* pixels = bitmap.GetBits();
  for (std::size_t i = 0; i < count; ++i) {
    const TColor32 c = pixels[i];
    planes[i] = static_cast<std::uint8_t>(c >> 24);
    planes[count + i] = static_cast<std::uint8_t>(c >> 16);
    planes[2 * count + i] = static_cast<std::uint8_t>(c >> 8);
    planes[3 * count + i] = static_cast<std::uint8_t>(c);
  }
  return planes;
}

}  // namespace imaging
