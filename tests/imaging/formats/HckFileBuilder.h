#pragma once
// HCK files laid out byte by byte from the format's description, without
// the library's writer or packers: header fields, stored planes, and packed
// planes through a frequency-class block with a fixed table (byte value =
// table position) and run-length streams of literal records. Bitmaps stored
// in XML use the same packing.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace hcktest {

using Bytes = std::vector<std::uint8_t>;

struct THeaderFields {
  std::string Signature = std::string("HCK\0", 4);
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int32_t Version = 1;
  std::uint8_t Alpha = 0, Red = 0, Green = 0, Blue = 0, Grey = 0;
  std::uint8_t Compression = 0;
};

void Put32(Bytes& out, std::uint32_t value);
Bytes Header(const THeaderFields& fields);

// Bits first pixel in bit 7, padded to whole bytes with padBits.
Bytes BitPlane(const std::vector<bool>& pixels, bool padBits = false);

// The packing chain done by hand: delta, fixed-table block, literal records,
// fixed-table block.
Bytes ChainPackedByHand(const Bytes& raw);

// Packed pixel data: raw length (the real one unless stated), packed length, packed bytes.
Bytes PackedPixelData(const Bytes& raw, std::int64_t statedRawLength = -1);

Bytes Concat(std::initializer_list<Bytes> parts);

}  // namespace hcktest
