#pragma once
// The moving averages under the intensity blur, shared by its plain form and
// its form that blurs eight lines at once.

#include <array>
#include <cstddef>
#include <cstdint>

#include "imaging/bitmap/Color32.h"

namespace imaging {

// Exact quotients of window sums by the window. Sums in 0..2^31-1 (any blur
// of the intensities of alpha) take a multiply and a shift: with p = 31 +
// ceil(log2 window) and m = ceil(2^p / window), (sum x m) >> p is sum div
// window for every such sum (m x window exceeds 2^p by less than
// 2^(p - 31)). Other sums are divided, truncating towards zero.
class TWindowDivider {
public:
  explicit TWindowDivider(std::int64_t window) : Window(window) {
    while ((std::int64_t{1} << (Shift - 31)) < window) ++Shift;
    Multiplier = ((std::uint64_t{1} << Shift) + static_cast<std::uint64_t>(window) - 1) / static_cast<std::uint64_t>(window);
  }
  std::uint64_t GetMultiplier() const { return Multiplier; }
  int GetShift() const { return Shift; }
  TColor32 operator()(std::int64_t sum) const {
    if (sum >= 0 && sum < (std::int64_t{1} << 31))
      return static_cast<TColor32>((static_cast<std::uint64_t>(sum) * Multiplier) >> Shift);
    return static_cast<TColor32>(static_cast<std::int32_t>(sum / Window));
  }

private:
  std::int64_t Window;
  int Shift = 31;
  std::uint64_t Multiplier = 0;
};

// The window of the intensity blur for a radius in pixels: round(radius),
// 3 for 2, 0 (no blur) for a radius below 1.5 or one that is not a number.
std::size_t BlurWindow(float radius);
// The leads of the blur's four averages along the rows, first to last; the
// columns take the two kinds the other way round.
std::array<std::size_t, 4> BlurRowLeads(std::size_t window);
std::array<std::size_t, 4> BlurColumnLeads(std::size_t window);

// The moving average of BoxBlurPass on raw runs; src and dst must differ.
void BoxBlurRun(const TColor32* src, TColor32* dst, std::size_t count, std::size_t lead, std::size_t window);

// Runs the four moving averages of leads (leads[0] first) over every line of
// a map eight lines at a time: lines lines of length values, line l's value
// i at bits[l x lineStride + i x valueStride], the lines joined end to end
// into one run as the plain passes join them. Returns false, changing
// nothing, where it does not apply: a processor without AVX2, values outside
// 0..2^31 / window - 1 (window sums must fit 32 bits), or lines shorter than
// the reach of the averages. Without checkValues the caller vouches for the
// values (averages of values that fit fit too).
bool BlurLinesAvx2(TColor32* bits, std::size_t lines, std::size_t length, std::size_t lineStride,
                   std::size_t valueStride, const std::array<std::size_t, 4>& leads, std::size_t window,
                   bool checkValues = true);

}  // namespace imaging
