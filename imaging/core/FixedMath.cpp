#include "imaging/core/FixedMath.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/rtl/Exception.h"
#include "platform/rtl/Numbers.h"

namespace imaging {

TFixed FixedDiv(TFixed a, TFixed b) {
  if (b == 0) throw EInvalidOp("Division by zero");
  const std::int64_t quotient = (std::int64_t{a} * 65536) / b;
  if (quotient < std::numeric_limits<std::int32_t>::min() || quotient > std::numeric_limits<std::int32_t>::max())
    throw EInvalidOp("Fixed-point division overflow");
  return static_cast<TFixed>(quotient);
}

TFixed Fixed(float value) { return rtl::Round(static_cast<double>(value) * 65536); }

float Hypot(float x, float y) { return std::sqrt(x * x + y * y); }

std::int32_t Hypot(std::int32_t x, std::int32_t y) {
  const float fx = static_cast<float>(x);
  const float fy = static_cast<float>(y);
  return rtl::Round(std::sqrt(fx * fx + fy * fy));
}

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  const std::uint64_t product = static_cast<std::uint64_t>(std::llabs(std::int64_t{a} * b));
  const std::uint64_t divisor = static_cast<std::uint64_t>(std::llabs(std::int64_t{c}));
  const std::uint64_t magnitude = (2 * product + divisor) / (2 * divisor);
  if (magnitude > 0x7FFFFFFFu) return -1;
  const bool negative = ((a < 0) != (b < 0)) != (c < 0) && product != 0;
  const auto result = static_cast<std::int32_t>(magnitude);
  return negative ? -result : result;
}

}  // namespace imaging
