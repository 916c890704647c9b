#pragma once
// 16.16 fixed-point numbers (1.0 = 65536) and small integer helpers.

#include <cstdint>

using TFixed = std::int32_t;

constexpr TFixed FixedOne = 0x10000;
constexpr TFixed FixedHalf = 0x8000;

namespace imaging {

constexpr std::int32_t FixedFloor(TFixed a) { return a >> 16; }
constexpr std::int32_t FixedCeil(TFixed a) { return static_cast<std::int32_t>((std::int64_t{a} + 0xFFFF) >> 16); }
// An exact half goes down: 1.5 gives 1, -1.5 gives -2.
constexpr std::int32_t FixedRound(TFixed a) { return static_cast<std::int32_t>((std::int64_t{a} + 0x7FFF) >> 16); }
// Low 32 bits of the 64-bit product shifted right by 16.
constexpr TFixed FixedMul(TFixed a, TFixed b) {
  return static_cast<TFixed>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::int64_t{a} * b >> 16)));
}
// (a shl 16) div b; raises EInvalidOp when b is 0 or the quotient does not fit.
TFixed FixedDiv(TFixed a, TFixed b);

// Round(f x 65536), checked.
TFixed Fixed(float value);
constexpr TFixed Fixed(std::int32_t value) { return static_cast<TFixed>(static_cast<std::uint32_t>(value) << 16); }

float Hypot(float x, float y);
// Round(sqrt(x^2 + y^2)) computed in single precision.
std::int32_t Hypot(std::int32_t x, std::int32_t y);

// a x b / c rounded to the nearest, halves away from zero; -1 when c is 0 or
// the result does not fit in 31 bits.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// True for 0 and for every power of two.
constexpr bool IsPowerOf2(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  return ((v - 1) & v) == 0;
}

}  // namespace imaging
