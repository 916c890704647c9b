#pragma once
// Reduction by area averaging: each destination pixel is the integer mean,
// per byte channel, of the block of source pixels it covers. Used where
// pictures are drawn much smaller than they are stored.

#include <cstdint>
#include <vector>

#include "imaging/bitmap/CustomBitmap32.h"

class TBitmap;

namespace imaging {

// Divides length source pixels into count spans of length div count pixels
// each; the remainder is spread Bresenham-style, so the last span gets the
// first extra pixel. starts[i] is the sum of the widths before span i. A
// count below 1 gives no spans.
void SplitIntoSpans(std::int32_t length, std::int32_t count, std::vector<std::int32_t>& starts,
                    std::vector<std::int32_t>& widths);

// Reduces srcRect of src into dstRect of dst, writing only inside dst's
// ClipRect. Does nothing unless both rectangles are non-empty and dstRect is
// at most as large as srcRect in both directions. Raises ERasterError
// "Invalid SrcRect" when srcRect reaches outside src.
void BoxDownsample32(TCustomBitmap32& dst, const TRect& dstRect, const TCustomBitmap32& src, const TRect& srcRect);

// Reduces the whole of src into the whole of dst. Does nothing unless both
// have the same pixel format of 8, 24 or 32 bits per pixel, neither is empty
// and dst is at most as large as src in both directions. Our bitmaps keep 4
// bytes per pixel whatever the format, and all four are averaged.
void BoxDownsampleBitmap(const TBitmap& src, TBitmap& dst);

// Draws srcRect of src into dstRect of dst: by BoxDownsample32 when the
// destination is not larger than the source in either direction, filter is
// sfLinear, no callback is given and srcRect lies within src; otherwise src's
// StretchFilter becomes filter and the stretch transfer draws, clipped to
// dst's ClipRect, with src's resampler. Reports dstRect as changed; a
// measuring dst is not drawn on.
void StretchDrawBitmap(TCustomBitmap32& dst, const TRect& dstRect, TCustomBitmap32& src, TDrawMode combineOp,
                       const TPixelCombineEvent& combineCallBack, TStretchFilter filter, const TRect& srcRect);

}  // namespace imaging
