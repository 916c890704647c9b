#pragma once
// Forward and inverse DCT of 8 x 8 blocks with their quantisation tables.

#include <array>
#include <cstdint>

#include "imaging/jpeg/JpegTypes.h"

class TsdJpegDCT {
public:
  TsdJpegDCTCodingMethod Method = dmAccurate;

protected:
  // Per-coefficient factors in natural order.
  std::array<std::int32_t, 64> Multipliers{};
};

// Coefficients to samples. Coefficients are stored in natural order as the
// top-left square kept at the load scale; samples come out as a square of the
// same side, level-shifted and clamped to 0..255.
class TsdJpegIDCT : public TsdJpegDCT {
public:
  void Setup(const TsdQuantizationTable& table, TsdJpegDCTCodingMethod method, TsdJpegScale scale);
  void InverseBlock(const std::int16_t* coefficients, std::uint8_t* samples, int stride) const;

private:
  TsdJpegScale Scale = jsFull;
};

// Samples to quantised coefficients (natural order).
class TsdJpegFDCT : public TsdJpegDCT {
public:
  void Setup(const TsdQuantizationTable& table);
  void ForwardBlock(const std::uint8_t* samples, int stride, std::int16_t* coefficients) const;

private:
  // Quantisation by multiplication: value / divisor == value * Reciprocal >> 40.
  std::array<std::uint64_t, 64> Reciprocals{};
  std::array<std::uint32_t, 64> HalfDivisors{};
};

namespace jpeg {
// Natural index of each zigzag position, with guard entries for corrupt runs.
extern const std::array<std::uint8_t, 64 + 16> kZigzagToNatural;
}  // namespace jpeg
