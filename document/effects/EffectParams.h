#pragma once
// Conversions the effects share between stored parameters and pixels. Stored
// documents can hold any number, so every path from a parameter to a pixel
// count is held to a range a bitmap can have.

#include <cstdint>
#include <limits>
#include <string_view>

class TXmlNode;

// The child's float (0 when missing), held within the float range; "NaN"
// stays not a number.
float ReadFloatParam(const TXmlNode& node, std::string_view name);

// value rounded to whole pixels (halves to even) and held within
// +-MaxEffectPixels; 0 for a value that is not a number.
std::int32_t RoundPixels(double value);
constexpr std::int32_t MaxEffectPixels = 1 << 30;

// value rounded to a whole channel value (halves to even) and held within
// 0..255; 0 for a value that is not a number. Lookup tables and palettes
// round hundreds of values each and a label may hold thousands of them, so
// this rounds without a library call: once 2^(digits - 1) is added, the sum
// has no bits left for a fraction and the addition itself rounds, halves to
// even. The whole number that is left converts exactly.
template <class TReal>
std::uint8_t RoundToByte(TReal value) {
  if (!(value > 0)) return 0;
  if (!(value < 255)) return 255;
  constexpr TReal whole = static_cast<TReal>(1ull << (std::numeric_limits<TReal>::digits - 1));
  return static_cast<std::uint8_t>(static_cast<double>((value + whole) - whole));
}
