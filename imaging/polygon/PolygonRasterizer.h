#pragma once
// Scanline filling of polygon contours into a bitmap, aliased or sub-sampled.
//
// Points are brought onto a grid: with sub-sampling shift s (1..5) both axes
// become 2^s steps per pixel; without it (s = 0) x keeps 8 fraction bits and
// y becomes whole rows. Each edge covers the grid rows from its upper end up
// to, not including, its lower end, whatever its direction, and crosses each
// of them at its x there, rounded to the grid. A row's crossings, sorted by x,
// give the spans inside the polygon by the even-odd or the non-zero rule.
//
// Aliased: a pixel belongs to a span when its centre lies in [start, end).
// Sub-sampled: every sub-row adds to each pixel the sub-samples its spans
// cover; a pixel's alpha is 255 x its covered sub-samples / 4^s.

#include <cstdint>

#include "imaging/bitmap/Color32.h"
#include "imaging/core/FixedPoint.h"

class TCustomBitmap32;
class TTransformation;

namespace imaging {

struct TRasterOptions {
  int SubsampleShift = 3;  // 0: aliased
  bool NonZero = false;    // fill rule: non-zero winding, else even-odd
  const TTransformation* Transformation = nullptr;
};

// Fills every contour of at least three points, closed, inside the bitmap's
// clip rectangle; the colour's alpha weighs the whole fill. Aliased spans are
// written (opaque colour) or blended; sub-sampled rows are blended through the
// bitmap's combine mode. Reports nothing and does not test for measuring.
void RasterizePolygon(TCustomBitmap32& bitmap, const TArrayOfArrayOfFixedPoint& contours, TColor32 color,
                      const TRasterOptions& options);

}  // namespace imaging
