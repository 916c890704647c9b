#include "platform/rtl/Numbers.h"

#include <cmath>
#include <limits>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"

namespace rtl {
namespace {

[[noreturn]] void InvalidOp() { throw EInvalidOp("Invalid floating point operation"); }

template <class Int>
Int CheckedIntegral(double integral) {
  // The bounds are exact powers of two, so the comparison has no rounding slack.
  constexpr double lowest = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double upperExclusive = -lowest;
  if (!std::isfinite(integral) || integral < lowest || integral >= upperExclusive) InvalidOp();
  return static_cast<Int>(integral);
}

}  // namespace

std::int32_t Round(double value) { return CheckedIntegral<std::int32_t>(std::nearbyint(value)); }
std::int64_t Round64(double value) { return CheckedIntegral<std::int64_t>(std::nearbyint(value)); }
std::int32_t Trunc(double value) { return CheckedIntegral<std::int32_t>(std::trunc(value)); }
std::int64_t Trunc64(double value) { return CheckedIntegral<std::int64_t>(std::trunc(value)); }
std::int32_t CheckedToInt32(double value) { return Trunc(value); }

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

bool TryStrToInt(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  unsigned base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else return false;
    magnitude = magnitude * base + digit;
    if (magnitude > std::int64_t{1} << 32) return false;
  }
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (base == 10 && (signedValue < std::numeric_limits<std::int32_t>::min() ||
                     signedValue > std::numeric_limits<std::int32_t>::max()))
    return false;
  if (base == 16) {
    // Hexadecimal literals name the 32-bit pattern, as the framework's parser does.
    if (magnitude > 0xFFFFFFFFll) return false;
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(negative ? -magnitude : magnitude));
    return true;
  }
  value = static_cast<std::int32_t>(signedValue);
  return true;
}

std::int32_t StrToInt(std::string_view text) {
  std::int32_t value = 0;
  if (!TryStrToInt(text, value)) throw EConvertError(Format("'%s' is not a valid integer value", text));
  return value;
}

}  // namespace rtl
