#pragma once
// Polygon areas in screen pixels, for hit tests of turned shapes: a pixel
// belongs to the polygon when its centre does (non-zero winding).

#include <span>

#include "platform/rtl/Types.h"

namespace document {

bool PolygonContainsPixel(std::span<const TPoint> polygon, const TPoint& pixel);
// Whether a convex polygon and the rectangle's pixels share any area.
bool ConvexPolygonMeetsRect(std::span<const TPoint> polygon, const TRect& rect);

}  // namespace document
