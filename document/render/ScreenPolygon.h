#pragma once
// Polygon areas in screen pixels, for hit tests of turned shapes: a pixel
// belongs to the polygon when its centre does (non-zero winding).

#include <cstdint>
#include <span>
#include <vector>

#include "platform/rtl/Types.h"

namespace document {

// Nearest pixel (ties to even) of a screen coordinate; a coordinate that is not
// a number gives 0, one beyond the integer range the nearest end of it.
// Coordinates come from document lengths limited on loading; the clamp keeps
// even programmatic extremes inside the range.
std::int32_t ScreenRound(double value);

bool PolygonContainsPixel(std::span<const TPoint> polygon, const TPoint& pixel);
// The alternate (even-odd) rule over all contours together: a pixel is inside
// when a ray from its centre crosses their edges an odd number of times, so
// holes and overlaps of contours are outside.
bool ContoursContainPixel(std::span<const std::vector<TPoint>> contours, const TPoint& pixel);
// Whether a convex polygon and the rectangle's pixels share any area.
bool ConvexPolygonMeetsRect(std::span<const TPoint> polygon, const TRect& rect);

}  // namespace document
