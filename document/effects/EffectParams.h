#pragma once
// Conversions the effects share between stored parameters and pixels. Stored
// documents can hold any number, so every path from a parameter to a pixel
// count is held to a range a bitmap can have.

#include <cstdint>
#include <string_view>

class TXmlNode;

// The child's float (0 when missing), held within the float range; "NaN"
// stays not a number.
float ReadFloatParam(const TXmlNode& node, std::string_view name);

// value rounded to whole pixels (halves to even) and held within
// +-MaxEffectPixels; 0 for a value that is not a number.
std::int32_t RoundPixels(double value);
constexpr std::int32_t MaxEffectPixels = 1 << 30;
