#pragma once
// The two 256 x 256 byte tables of the table-driven blending, computed by the
// compiler:
//   DivTable[a][b] = Round(a x b / 255)      (never a tie)
//   RcTable[a][b]  = low byte of Round(b x 255 / a), ties to even; 0 for a = 0

#include <array>
#include <cstdint>

namespace imaging {

using TByteTable = std::array<std::array<std::uint8_t, 256>, 256>;

namespace detail {

constexpr TByteTable MakeDivTable() {
  TByteTable table{};
  for (unsigned a = 0; a < 256; ++a)
    for (unsigned b = 0; b < 256; ++b) table[a][b] = static_cast<std::uint8_t>((a * b + 127) / 255);
  return table;
}

constexpr TByteTable MakeRcTable() {
  TByteTable table{};
  for (unsigned a = 1; a < 256; ++a)
    for (unsigned b = 0; b < 256; ++b) {
      const unsigned numerator = b * 255;
      unsigned quotient = numerator / a;
      const unsigned twiceRest = 2 * (numerator % a);
      if (twiceRest > a || (twiceRest == a && (quotient & 1) != 0)) ++quotient;
      table[a][b] = static_cast<std::uint8_t>(quotient);
    }
  return table;
}

}  // namespace detail

inline constexpr TByteTable DivTable = detail::MakeDivTable();
inline constexpr TByteTable RcTable = detail::MakeRcTable();

}  // namespace imaging
