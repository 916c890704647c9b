#pragma once
// Whole-bitmap operations of the document engine: quarter turns and
// mirroring, intensity maps and their box blur (shadows and soft edges),
// merging, shifting, a single-colour test, and squared distances between
// integer points. Each works in place on the pixel array, top row first,
// and fires the bitmap's Changed when it changed the bitmap.

#include <array>
#include <cstddef>
#include <cstdint>

#include "imaging/bitmap/Color32.h"
#include "platform/rtl/Types.h"

class TCustomBitmap32;

namespace imaging {

// Width x height; 0 for an empty bitmap.
std::size_t PixelCount(const TCustomBitmap32& bitmap);

// --- Geometry
// Held at the largest 64-bit value beyond it.
std::int64_t PointDistanceSqr(const TPoint& a, const TPoint& b);
// Squared distance from p to the point of segment ab nearest to it, that
// point rounded to whole pixels.
double PointToSegmentDistanceSqr(const TPoint& p, const TPoint& a, const TPoint& b);

// --- Turning and mirroring; the bitmap keeps its drawing properties.
// A quarter turn counter-clockwise: pixel (x, y) goes to (y, width - 1 - x)
// of a bitmap height wide and width high.
void RotateBitmapLeft(TCustomBitmap32& bitmap);
// Clockwise: pixel (x, y) goes to (height - 1 - y, x).
void RotateBitmapRight(TCustomBitmap32& bitmap);
void RotateBitmap180(TCustomBitmap32& bitmap);
// Reverses every row (left-right).
void MirrorBitmap(TCustomBitmap32& bitmap);
// Reverses the order of the rows (top-bottom).
void FlipBitmap(TCustomBitmap32& bitmap);
// dst[x x height + y] = src[y x width + x].
void TransposeBitmapPixels(const TColor32* src, TColor32* dst, std::int32_t width, std::int32_t height);

// --- Intensity maps: bitmaps whose pixels hold plain signed integers.
// round(alpha x 256 x factor) for every alpha; raises EInvalidOp when that
// leaves the 32-bit range.
std::array<TColor32, 256> AlphaIntensities(float factor);
// Every pixel becomes its alpha's intensity.
void AlphaToIntensity(TCustomBitmap32& bitmap, float factor);
// A value above 255 becomes rgb with alpha min(value, 0xFF00) div 256;
// smaller values stay as they are.
inline TColor32 IntensityColor(TColor32 value, TColor32 rgb) {
  return value > 255 ? rgb | (value < 0xFF00 ? value : 0xFF00) >> 8 << 24 : value;
}
// Every value above 255 becomes color with alpha min(value, 0xFF00) div 256;
// smaller values are left as they are.
void IntensityToAlpha(TCustomBitmap32& bitmap, TColor32 color);
// A moving average over the pixels taken as one run (rows joined end to end):
// dst[k] = (src[k + lead - window + 1] + ... + src[k + lead]) div window,
// values beyond either end counting as 0. Nothing happens unless both hold the
// same number of pixels and 0 <= lead <= window <= that number, window > 0.
void BoxBlurPass(const TCustomBitmap32& src, TCustomBitmap32& dst, std::int32_t lead, std::int32_t window);
// Two box passes each way along the rows and two along the columns with a
// window of round(radius) pixels (3 for 2); nothing for a radius below 1.5.
void BlurIntensityMap(TCustomBitmap32& bitmap, float radius);

// --- Combining
// f over b with the extra opacity m (0..255), colours not premultiplied.
TColor32 MergeColorWithAlpha(TColor32 f, TColor32 b, std::uint32_t m);
// For bitmaps of equal pixel count: every dst pixel := MergeColorWithAlpha(dst
// pixel, src pixel, alpha), the dst pixel drawn over the src pixel.
void MergeBitmapOver(TCustomBitmap32& dst, const TCustomBitmap32& src, std::uint32_t alpha);
// Flips every alpha (XOR 0xFF000000).
void InvertAlpha(TCustomBitmap32& bitmap);
// Moves the whole pixel array by dy x width + dx pixels (towards its end when
// positive) and clears what is uncovered; nothing when that offset is 0 or
// larger than the pixel count.
void ShiftBitmap(TCustomBitmap32& bitmap, std::int32_t dx, std::int32_t dy);
// True for no bitmap, an empty one, or one whose every pixel is color.
bool IsBitmapSingleColor(const TCustomBitmap32* bitmap, TColor32 color);

}  // namespace imaging
