#pragma once
// The graphics facade of the document engine: its value types and their
// makers, colour conversions, bitmap property setters, colour-line blending
// and 16.16 arithmetic, each resting on the raster library.

#include <cstdint>
#include <vector>

#include "imaging/bitmap/Color32.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "imaging/core/FixedPoint.h"
#include "imaging/polygon/Polygon32.h"
#include "imaging/core/RectHelpers.h"
#include "imaging/resample/StretchTransfer.h"
#include "platform/rtl/Types.h"

struct TFloatPoint {
  float X = 0;
  float Y = 0;
  friend bool operator==(const TFloatPoint&, const TFloatPoint&) = default;
};

using TArrayOfdocColor = std::vector<TColor32>;

// The engine's name for the bitmap's stretch filter: same values, same ordinals.
using TdocStretchFilter = TStretchFilter;

namespace imaging {

TPoint MakePoint(std::int32_t x, std::int32_t y);
// Each coordinate to the nearest integer, halves to even; raises EInvalidOp
// for a coordinate that is not finite or does not fit.
TPoint RoundFloatPoint(const TFloatPoint& p);
TFloatPoint MakeFloatPoint(float x, float y);
// Both coordinates are neither infinite nor not a number.
bool IsFiniteFloatPoint(const TFloatPoint& p);
// Each value x 65536, rounded; raises EInvalidOp outside the 16.16 range.
TFixedPoint FloatToFixedPoint(float x, float y);
TFixedPoint FloatPointToFixed(const TFloatPoint& p);

TFloatRect MakeFloatRect(float left, float top, float right, float bottom);
TFloatRect RectToFloatRect(const TRect& r);
void OffsetIntRect(TRect& r, std::int32_t dx, std::int32_t dy);
void OffsetFloatRect(TFloatRect& r, float dx, float dy);
// Left - dx, Top - dy, Right + dx, Bottom + dy.
void InflateFloatRect(TFloatRect& r, float dx, float dy);
// dest := the overlap of a and b. An overlap without area (rectangles that
// only touch) is empty: false, and dest becomes all zeros.
bool IntersectIntRect(TRect& dest, const TRect& a, const TRect& b);
bool IntersectFloatRect(TFloatRect& dest, const TFloatRect& a, const TFloatRect& b);

// Opaque colour of a platform colour; system colours are looked up first.
TColor32 ColorToColor32(TColor color);
TColor32 MakeColor32(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);
// color with its alpha replaced by alpha held within 0..255.
TColor32 SetColorAlpha(TColor32 color, std::int32_t alpha);
std::uint8_t GetColorAlpha(TColor32 color);
void Color32ToHSL(TColor32 color, float& h, float& s, float& l);
TColor32 HSLToColor32(float h, float s, float l);

void SetBitmapStretchFilter(TCustomBitmap32& bitmap, TdocStretchFilter filter);
void SetBitmapDrawMode(TCustomBitmap32& bitmap, TDrawMode mode);
void SetBitmapCombineMode(TCustomBitmap32& bitmap, TCombineMode mode);

// The resampling transfer, under the name the document engine calls it by.
inline void StretchTransferBitmap(TCustomBitmap32* dst, TRect dstRect, TRect dstClip, const TCustomBitmap32* src,
                                  TRect srcRect, const TCustomResampler& resampler, TDrawMode combineOp,
                                  const TPixelCombineEvent& combineCallBack) {
  StretchTransfer(dst, dstRect, dstClip, src, srcRect, resampler, combineOp, combineCallBack);
}

// Each dst pixel := the src pixel merged over it.
void MergeColorLine(const TColor32* src, TColor32* dst, int count);
// The same with the source alpha scaled by master (0..255).
void MergeColorLineAlpha(const TColor32* src, TColor32* dst, int count, std::uint32_t master);
// Mix of x and y weighted by w: 255 gives x, 0 gives y.
TColor32 CombineColors(TColor32 x, TColor32 y, std::uint32_t w);
// True when the bound pixel routines leave vector state that callers must
// clear (imaging::EMMS) after a run of them.
bool IsMMXActive();
void MoveColors(const TColor32* src, TColor32* dst, int count);

void SetPolygonFillMode(TPolygon32& polygon, TPolyFillMode mode);

// (a x b) >> 16 with a 64-bit product.
TFixed FixedMultiply(TFixed a, TFixed b);
// (a << 16) div b; raises EInvalidOp when b is 0 or the quotient does not fit.
TFixed FixedDivide(TFixed a, TFixed b);

}  // namespace imaging
