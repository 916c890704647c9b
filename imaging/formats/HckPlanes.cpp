#include "imaging/formats/HckPlanes.h"

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/LowLevel.h"
#include "imaging/formats/RasterFormat.h"

namespace imaging {
namespace {

constexpr TColor32 kOpaque = 0xFF000000u;

bool BitAt(const std::uint8_t* plane, std::size_t i) { return ((plane[i / 8] >> (7 - i % 8)) & 1) != 0; }

// Reads the planes one after the other.
class TPlaneCursor {
public:
  TPlaneCursor(std::span<const std::uint8_t> planes, std::size_t pixels) : Planes(planes), Pixels(pixels) {}

  const std::uint8_t* Next(std::uint8_t bits) {
    const std::uint8_t* plane = Planes.data() + Used;
    Used += bits == 1 ? (Pixels + 7) / 8 : Pixels;
    return plane;
  }

private:
  std::span<const std::uint8_t> Planes;
  std::size_t Pixels;
  std::size_t Used = 0;
};

void DecodeAlpha(std::uint8_t bits, const std::uint8_t* plane, TColor32* pixels, std::size_t count) {
  if (bits == 0) {
    FillLongword(pixels, static_cast<std::ptrdiff_t>(count), kOpaque);
  } else if (bits == 1) {
    for (std::size_t i = 0; i < count; ++i) pixels[i] = BitAt(plane, i) ? kOpaque : 0;
  } else {
    for (std::size_t i = 0; i < count; ++i) pixels[i] = static_cast<TColor32>(plane[i]) << 24;
  }
}

void DecodeChannel(const std::uint8_t* plane, int shift, TColor32* pixels, std::size_t count) {
  const TColor32 keep = ~(TColor32{0xFF} << shift);
  for (std::size_t i = 0; i < count; ++i) pixels[i] = (pixels[i] & keep) | static_cast<TColor32>(plane[i]) << shift;
}

void DecodeGrey(std::uint8_t bits, const std::uint8_t* plane, TColor32* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const TColor32 level = bits == 1 ? (BitAt(plane, i) ? 0xFF : 0) : plane[i];
    pixels[i] = (pixels[i] & kOpaque) | level * 0x010101u;
  }
}

}  // namespace

void DecodeHckPlanes(const THckHeader& header, std::span<const std::uint8_t> planes, TCustomBitmap32& bitmap) {
  if (!header.DepthsSupported() || header.PlanesSize() > planes.size() ||
      header.PixelCount() != static_cast<std::uint64_t>(bitmap.GetWidth()) * static_cast<std::uint64_t>(bitmap.GetHeight()))
    throw ERasterError("Image file is corrupted");
  const std::size_t count = header.PixelCount();
  TColor32* pixels = bitmap.GetBits();
  TPlaneCursor cursor(planes, count);
  DecodeAlpha(header.AlphaBits, header.AlphaBits != 0 ? cursor.Next(header.AlphaBits) : nullptr, pixels, count);
  const std::pair<std::uint8_t, int> channels[] = {{header.RedBits, 16}, {header.GreenBits, 8}, {header.BlueBits, 0}};
  for (const auto& [bits, shift] : channels)
    if (bits != 0) DecodeChannel(cursor.Next(bits), shift, pixels, count);
  if (header.GreyBits != 0) DecodeGrey(header.GreyBits, cursor.Next(header.GreyBits), pixels, count);
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
