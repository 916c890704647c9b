#pragma once
// The source bitmap as the map sampler reads it: its pixels inside the clip
// rectangle, its outer colour everywhere around them, sampled bilinearly at
// positions in 1/256 pixel with pixel centres at whole values.

#include <emmintrin.h>

#include <cstdint>
#include <vector>

#include "imaging/bitmap/CustomBitmap32.h"

namespace document {

class TSampleSource {
public:
  explicit TSampleSource(const TCustomBitmap32& bitmap);

  // The bilinear sample at (x, y): each row is mixed by the column fraction,
  // then the two rows by the row fraction, each step rounded like the
  // combine routine. The four channels come back in the low four 16-bit lanes.
  __m128i Sample(std::int32_t x, std::int32_t y) const;
  // Adds to sums[i], for i below count, the sample at (x + 256 i, y): the
  // same values Sample gives, computed a whole row at a time since every
  // sample of the run shares its two fractions. Each sum holds four 16-bit
  // channel lanes.
  void AddRun(std::int32_t x, std::int32_t y, std::int32_t count, std::uint64_t* sums);
  // Adds to sums[i], for i below count, the sample at (x + dx[i], y + dy[i]):
  // scattered samples a row at a time.
  void AddSamples(std::int32_t x, std::int32_t y, const std::int32_t* dx, const std::int32_t* dy, std::int32_t count,
                  std::uint64_t* sums) const;

private:
  // lo <= v < hi
  static bool Covers(std::int32_t v, std::int32_t lo, std::int32_t hi) {
    return static_cast<std::uint32_t>(v - lo) < static_cast<std::uint32_t>(hi - lo);
  }
  TColor32 At(std::int32_t x, std::int32_t y) const {
    return Covers(x, Clip.Left, Clip.Right) && Covers(y, Clip.Top, Clip.Bottom) ? Bits[y * Width + x] : Outer;
  }
  // Pixels (x, y) and (x + 1, y) in the low 64 bits.
  __m128i Pair(std::int32_t x, std::int32_t y) const;
  // Pixels x .. x + count of row y, in the bitmap itself when all lie inside
  // the clip rectangle, else copied into line with the outer colour around.
  const TColor32* RowFrom(std::int32_t x, std::int32_t y, std::int32_t count, std::vector<TColor32>& line) const;

  const TColor32* Bits;
  std::ptrdiff_t Width;
  TRect Clip;
  TColor32 Outer;
  std::vector<TColor32> TopLine;
  std::vector<TColor32> BottomLine;
};

}  // namespace document
