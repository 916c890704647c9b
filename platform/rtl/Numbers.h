#pragma once
// Number helpers shared by every subsystem: rounding with ties to even,
// truncation, and the one checked path from floating point to integers.

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

// Nearest integer, halves to the even neighbour. Raises EInvalidOp when the
// value is not finite or does not fit the result type.
std::int32_t Round(double value);
std::int64_t Round64(double value);

// Integer part, towards zero. Same checks as Round.
std::int32_t Trunc(double value);
std::int64_t Trunc64(double value);

// Converts an already integral double to int32 or raises EInvalidOp.
std::int32_t CheckedToInt32(double value);

// Decimal text of an integer; the integer parser accepts an optional sign,
// decimal digits or "$"/"0x" hexadecimal, surrounded by no blanks, and raises
// EConvertError "'%s' is not a valid integer value" otherwise.
std::string IntToStr(std::int64_t value);
std::int32_t StrToInt(std::string_view text);
bool TryStrToInt(std::string_view text, std::int32_t& value);

}  // namespace rtl
