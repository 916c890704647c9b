#include "imaging/blend/BlendTables.h"

namespace imaging {

TByteTable DivTable{};
TByteTable RcTable{};

void BuildBlendTables() {
  for (unsigned a = 0; a < 256; ++a)
    for (unsigned b = 0; b < 256; ++b) {
      DivTable[a][b] = static_cast<std::uint8_t>((a * b + 127) / 255);
      if (a == 0) continue;
      const unsigned numerator = b * 255;
      unsigned quotient = numerator / a;
      const unsigned twiceRest = 2 * (numerator % a);
      if (twiceRest > a || (twiceRest == a && (quotient & 1) != 0)) ++quotient;
      RcTable[a][b] = static_cast<std::uint8_t>(quotient);
    }
}

}  // namespace imaging
