#pragma once
// The two 256 x 256 byte tables of the table-driven blending, built by the
// blending start-up (RegisterBlendBindings):
//   DivTable[a][b] = Round(a x b / 255)      (never a tie)
//   RcTable[a][b]  = low byte of Round(b x 255 / a), ties to even; 0 for a = 0

#include <array>
#include <cstdint>

namespace imaging {

using TByteTable = std::array<std::array<std::uint8_t, 256>, 256>;

extern TByteTable DivTable;
extern TByteTable RcTable;

void BuildBlendTables();

}  // namespace imaging
