#pragma once
// The layout of a frequency-class block (Packing.h), shared by its packer
// and its reader. Byte values are ranked by frequency; rank 0 costs a 2-bit
// class only, ranks 1-2 one index bit more, ranks 3-18 four and the rest
// eight. Block layout (little-endian):
//   0  u32 unpacked length L
//   4  u32 offset of the 1-bit section      8  u32 offset of the 4-bit section
//   12 u8  N, then the N + 1 table entries by rank
//   class section (L / 4 + 1 bytes, four 2-bit classes a byte, low bits first)
//   class-3 section (one byte per class-3 input byte: rank - 19)
//   4-bit section (C2 / 2 + 1 bytes, low nibble first: rank - 3)
//   1-bit section (C1 / 8 + 1 bytes, bit 0 first: rank - 1)

#include <cstddef>

namespace imaging::frequency {

constexpr std::size_t HeaderSize = 13;
constexpr std::size_t FirstClass1Rank = 1;
constexpr std::size_t FirstClass2Rank = 3;
constexpr std::size_t FirstClass3Rank = 19;
constexpr std::size_t Values = 256;
constexpr std::size_t FirstRankOfClass[4] = {0, FirstClass1Rank, FirstClass2Rank, FirstClass3Rank};

}  // namespace imaging::frequency
