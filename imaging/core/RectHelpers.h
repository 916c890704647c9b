#pragma once
// Rectangles of the raster library: integer (TRect), 16.16 fixed and float,
// with the conversions between them. Right and bottom are exclusive.

#include <cstdint>

#include "imaging/core/FixedMath.h"
#include "platform/rtl/Types.h"

struct TFixedRect {
  TFixed Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TFixedRect&, const TFixedRect&) = default;
};

struct TFloatRect {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
  friend bool operator==(const TFloatRect&, const TFloatRect&) = default;
};

// How a fixed rectangle becomes an integer one: each edge to the closest
// pixel, outwards (left and top floored, right and bottom ceiled), or
// inwards (the other way round, never inverted).
enum TRectRounding : std::uint8_t { rrClosest, rrOutside, rrInside };

namespace imaging {

// dest := the overlap of a and b (largest left and top, smallest right and
// bottom). True when Right >= Left and Bottom >= Top; otherwise dest becomes
// all zeros and the result is false.
bool IntersectRect(TRect& dest, const TRect& a, const TRect& b);

TFixedRect FixedRect(const TRect& rect);
TFloatRect FloatRect(const TRect& rect);
TRect MakeRect(const TFixedRect& rect, TRectRounding rounding = rrClosest);
void InflateRect(TFloatRect& rect, float dx, float dy);

}  // namespace imaging
