#include "imaging/formats/HckHeader.h"

#include <limits>

#include "platform/rtl/BinaryIO.h"

namespace {

std::uint64_t PlaneSize(std::uint8_t bits, std::uint64_t pixels) {
  if (bits == 0) return 0;
  return bits == 1 ? (pixels + 7) / 8 : pixels;
}

bool IsOneOf(std::uint8_t bits, std::initializer_list<std::uint8_t> allowed) {
  for (const std::uint8_t a : allowed)
    if (bits == a) return true;
  return false;
}

}  // namespace

std::uint64_t THckHeader::PixelCount() const {
  if (Width <= 0 || Height <= 0) return 0;
  return static_cast<std::uint64_t>(Width) * static_cast<std::uint64_t>(Height);
}

// Up to 2^62 pixels of up to 160 bytes: saturates instead of wrapping.
std::uint64_t THckHeader::RawSize() const {
  const std::uint64_t bits = std::uint64_t{AlphaBits} + RedBits + GreenBits + BlueBits + GreyBits;
  const std::uint64_t bytesPerPixel = (bits + 7) / 8;
  const std::uint64_t pixels = PixelCount();
  constexpr std::uint64_t cMax = std::numeric_limits<std::uint64_t>::max();
  if (bytesPerPixel != 0 && pixels > cMax / bytesPerPixel) return cMax;
  return pixels * bytesPerPixel;
}

std::uint64_t THckHeader::PlanesSize() const {
  const std::uint64_t pixels = PixelCount();
  std::uint64_t size = 0;
  for (const std::uint8_t bits : {AlphaBits, RedBits, GreenBits, BlueBits, GreyBits}) size += PlaneSize(bits, pixels);
  return size;
}

bool THckHeader::DepthsSupported() const {
  return IsOneOf(AlphaBits, {0, 1, 8}) && IsOneOf(RedBits, {0, 8}) && IsOneOf(GreenBits, {0, 8}) &&
         IsOneOf(BlueBits, {0, 8}) && IsOneOf(GreyBits, {0, 1, 8});
}

namespace imaging {

std::array<std::uint8_t, kHckHeaderSize> EncodeHckHeader(const THckHeader& header) {
  std::array<std::uint8_t, kHckHeaderSize> bytes{};
  rtl::ToLittleEndian(header.Signature, &bytes[0]);
  rtl::ToLittleEndian(header.Width, &bytes[4]);
  rtl::ToLittleEndian(header.Height, &bytes[8]);
  rtl::ToLittleEndian(header.Version, &bytes[12]);
  bytes[16] = header.AlphaBits;
  bytes[17] = header.RedBits;
  bytes[18] = header.GreenBits;
  bytes[19] = header.BlueBits;
  bytes[20] = header.GreyBits;
  bytes[21] = header.Compression;
  rtl::ToLittleEndian(header.Reserved, &bytes[22]);
  return bytes;
}

THckHeader DecodeHckHeader(const std::array<std::uint8_t, kHckHeaderSize>& bytes) {
  THckHeader header;
  header.Signature = rtl::FromLittleEndian<std::uint32_t>(&bytes[0]);
  header.Width = rtl::FromLittleEndian<std::int32_t>(&bytes[4]);
  header.Height = rtl::FromLittleEndian<std::int32_t>(&bytes[8]);
  header.Version = rtl::FromLittleEndian<std::int32_t>(&bytes[12]);
  header.AlphaBits = bytes[16];
  header.RedBits = bytes[17];
  header.GreenBits = bytes[18];
  header.BlueBits = bytes[19];
  header.GreyBits = bytes[20];
  header.Compression = bytes[21];
  header.Reserved = rtl::FromLittleEndian<std::uint16_t>(&bytes[22]);
  return header;
}

}  // namespace imaging
