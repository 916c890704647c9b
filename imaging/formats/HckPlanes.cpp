#include "imaging/formats/HckPlanes.h"

#include <cstring>

#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/LowLevel.h"
#include "imaging/formats/RasterFormat.h"

namespace imaging {
namespace {

constexpr TColor32 kOpaque = 0xFF000000u;
constexpr int kAlphaShift = 24;
constexpr int kGreyShift = -1;

bool BitAt(const std::uint8_t* plane, std::size_t i) { return ((plane[i / 8] >> (7 - i % 8)) & 1) != 0; }

std::uint64_t PlaneBytes(std::uint8_t bits, std::uint64_t pixels) { return bits == 1 ? (pixels + 7) / 8 : pixels; }

[[noreturn]] void CorruptedPlanes() { throw ERasterError("Image file is corrupted"); }

void DecodeAlpha(std::uint8_t bits, const std::uint8_t* level, TColor32* pixels, std::size_t count) {
  if (bits == 0) {
    FillLongword(pixels, static_cast<std::ptrdiff_t>(count), kOpaque);
  } else {
    for (std::size_t i = 0; i < count; ++i) pixels[i] = static_cast<TColor32>(level[i]) << 24;
  }
}

void DecodeChannel(const std::uint8_t* level, int shift, TColor32* pixels, std::size_t count) {
  const TColor32 keep = ~(TColor32{0xFF} << shift);
  for (std::size_t i = 0; i < count; ++i) pixels[i] = (pixels[i] & keep) | static_cast<TColor32>(level[i]) << shift;
}

void DecodeGrey(const std::uint8_t* level, TColor32* pixels, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) pixels[i] = (pixels[i] & kOpaque) | level[i] * 0x010101u;
}

}  // namespace

void THckPlaneSource::TReader::Read(std::uint8_t* dest, std::size_t count) {
  if (Packed) {
    Packed->Read(dest, count);
    return;
  }
  std::memcpy(dest, Raw, count);
  Raw += count;
}

THckPlaneSource::TReader THckPlaneSource::ReaderAt(std::uint64_t position) const {
  if (Packed) return TReader(Packed->ReaderAt(static_cast<std::size_t>(position)));
  return TReader(Raw.data() + position);
}

THckPixelDecoder::THckPixelDecoder(const THckHeader& header, const THckPlaneSource& planes)
    : Source(planes), Pixels(header.PixelCount()), AlphaBits(header.AlphaBits) {
  if (!header.DepthsSupported() || header.PlanesSize() > planes.GetSize()) CorruptedPlanes();
  std::uint64_t start = 0;
  const std::pair<std::uint8_t, int> kinds[] = {{header.AlphaBits, kAlphaShift}, {header.RedBits, 16},
                                                {header.GreenBits, 8},           {header.BlueBits, 0},
                                                {header.GreyBits, kGreyShift}};
  for (const auto& [bits, shift] : kinds) {
    if (bits == 0) continue;
    TPlane plane{bits, shift, start, {}};
    if (bits == 1) {
      plane.WholeBits.resize(static_cast<std::size_t>(PlaneBytes(1, Pixels)));
      Source.ReaderAt(start).Read(plane.WholeBits.data(), plane.WholeBits.size());
    }
    Planes.push_back(std::move(plane));
    start += PlaneBytes(bits, Pixels);
  }
  PlaceReaders(0);
}

void THckPixelDecoder::PlaceReaders(std::size_t first) {
  Readers.clear();
  for (const TPlane& plane : Planes)
    if (plane.Bits == 8) Readers.push_back(Source.ReaderAt(plane.Start + first));
  Next = first;
}

void THckPixelDecoder::Decode(std::size_t first, std::size_t count, TColor32* pixels) {
  if (first > Pixels || count > Pixels - first) CorruptedPlanes();
  if (first != Next) PlaceReaders(first);
  Next = first + count;
  Band.resize(count);
  if (AlphaBits == 0) DecodeAlpha(0, nullptr, pixels, count);
  auto reader = Readers.begin();
  for (const TPlane& plane : Planes) {
    if (plane.Bits == 8) {
      (reader++)->Read(Band.data(), count);
    } else {
      // Black or white, transparent or opaque: the levels 0 and 255.
      for (std::size_t i = 0; i < count; ++i) Band[i] = BitAt(plane.WholeBits.data(), first + i) ? 0xFF : 0;
    }
    if (plane.Shift == kAlphaShift) DecodeAlpha(plane.Bits, Band.data(), pixels, count);
    else if (plane.Shift == kGreyShift) DecodeGrey(Band.data(), pixels, count);
    else DecodeChannel(Band.data(), plane.Shift, pixels, count);
  }
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
