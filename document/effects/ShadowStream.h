#pragma once
// The drop shadow in one sweep down the bitmap, with the results of the
// full passes (shape alpha as intensities, flat shift, box blur along the
// joined rows and then the joined columns, tint, shape put over it) but
// without a map of the whole bitmap: rows are blurred eight at a time as
// they are needed, the column averages run down the rows with a few rows of
// history each, and every finished row of the shadow goes under its row of
// the shape at once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/bitmap/Color32.h"

// What the sweep keeps between runs, so that a redraw allocates nothing
// once the sizes have been seen.
struct TShadowBuffers;

struct TShadowBuffersDeleter {
  void operator()(TShadowBuffers* buffers) const;
};
using TShadowBuffersPtr = std::unique_ptr<TShadowBuffers, TShadowBuffersDeleter>;

struct TShadowSweep {
  std::int64_t Shift = 0;               // flat offset of the shadow, |Shift| <= pixel count
  float Factor = 0;                     // of the intensities, 0..256 (AlphaIntensities)
  std::size_t Window = 0;               // of the box averages, at least 3
  TColor32 Rgb = 0;                     // the tint, alpha 0
};

// The tinted shadow values put under the shape's pixels, as merging the
// shape over them would: count pixels of out over the values of map.
void PutShadowUnder(TColor32* out, const TColor32* map, std::size_t count, TColor32 rgb);

// Draws the shadow under the bitmap's pixels and answers true, or answers
// false, changing nothing, where the sweep does not apply (no AVX2, a
// window longer than a column or than the pixels, sums that would not fit
// 32 bits); buffers is created on first use.
bool DrawShadowSweep(TColor32* bits, std::size_t width, std::size_t height, const TShadowSweep& sweep,
                     TShadowBuffersPtr& buffers);
