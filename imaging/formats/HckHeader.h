#pragma once
// The 24-byte header of an HCK picture (little-endian):
//   0 signature "HCK\0"   4 width (i32)   8 height (i32)
//  12 version (i32): 2 and above put a byte count (i32) before each page
//  16 bits of the alpha, red, green, blue and grey planes (one byte each)
//  21 compression: 0 stored, 1 packed      22 reserved (u16)
// The pixel data of a page holds the planes of non-zero depth in the order
// alpha, red, green, blue, grey; an 8-bit plane has a byte per pixel, a
// 1-bit plane a bit per pixel (first pixel in bit 7), rows from the top.

#include <array>
#include <cstdint>

constexpr std::uint32_t kHckSignature = 0x004B4348;  // "HCK\0"
constexpr std::size_t kHckHeaderSize = 24;
constexpr std::uint8_t kHckStored = 0;
constexpr std::uint8_t kHckPacked = 1;

struct THckHeader {
  std::uint32_t Signature = kHckSignature;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t Version = 1;
  std::uint8_t AlphaBits = 0;
  std::uint8_t RedBits = 0;
  std::uint8_t GreenBits = 0;
  std::uint8_t BlueBits = 0;
  std::uint8_t GreyBits = 0;
  std::uint8_t Compression = kHckStored;
  std::uint16_t Reserved = 0;

  bool HasPageCounts() const { return Version >= 2; }
  std::uint64_t PixelCount() const;
  // The pixel data size the format reserves: width x ((sum of the five
  // depths + 7) div 8) x height. The planes may be shorter (1-bit planes).
  std::uint64_t RawSize() const;
  // The bytes the planes take, for supported depths.
  std::uint64_t PlanesSize() const;
  // Alpha and grey 0, 1 or 8 bits, red, green and blue 0 or 8.
  bool DepthsSupported() const;
};

namespace imaging {

std::array<std::uint8_t, kHckHeaderSize> EncodeHckHeader(const THckHeader& header);
THckHeader DecodeHckHeader(const std::array<std::uint8_t, kHckHeaderSize>& bytes);

}  // namespace imaging
