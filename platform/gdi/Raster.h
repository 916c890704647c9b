#pragma once
// Aliased pixel primitives of the canvas, by the rules GDI follows, clipped
// to the surface. Every written pixel gets the given value; callers pass an
// alpha of 0 the way GDI leaves it in a device-independent bitmap.

#include <cstdint>
#include <span>

#include "platform/gdi/Color.h"
#include "platform/gdi/Surface.h"
#include "platform/rtl/Types.h"

namespace gdi {

// The pixel the canvas writes for a colour: its RGB with alpha 0.
std::uint32_t PixelOf(TColor color);
// The 0x00BBGGRR colour of a pixel, its alpha ignored.
TColor ColorOfPixel(std::uint32_t pixel);

// Fills the pixels of rect that lie on the surface.
void FillRect(const TPixelSurface& surface, const TRect& rect, std::uint32_t pixel);

// Whether the four points are the corners of a rectangle with level and
// upright edges, in either order around it.
bool IsUprightRectangle(std::span<const TPoint> points);
// Such a rectangle filled and outlined by a one-pixel pen of the same pixel:
// every pixel from its least to its greatest corner coordinates.
void FillOutlinedRectangle(const TPixelSurface& surface, std::span<const TPoint> points, std::uint32_t pixel);

// Alternate (even-odd) fill with top-left sampling: pixel (x, y) is filled
// when the point (x, y) lies inside the polygon, where a point on a left or
// top edge counts as inside and one on a right or bottom edge as outside.
// A polygon with zero area fills nothing.
void FillPolygon(const TPixelSurface& surface, std::span<const TPoint> points, std::uint32_t pixel);

// How a line writes its pixels. Dotted: only every other step, counted from
// the line's start (a cosmetic dotted pen). Xor: the pixel's colour bits are
// flipped by the pen's, so the same line drawn twice restores them.
struct TLineStyle {
  bool Dotted = false;
  bool Xor = false;
};

// The Bresenham line from `from` up to, but not including, `to`: along the
// major axis every step writes one pixel, whose minor coordinate is the
// exact one rounded half away from `from`. A pen wider than one pixel
// stamps a width x width square centred on each of those pixels.
void DrawLine(const TPixelSurface& surface, TPoint from, TPoint to, int width, std::uint32_t pixel,
              TLineStyle style = {});

// The ellipse inscribed in rect (right and bottom edges excluded) covers the
// pixels whose centres lie inside it. Fill writes them all; outline writes
// those of them with a left, right, upper or lower neighbour outside.
void FillEllipse(const TPixelSurface& surface, const TRect& rect, std::uint32_t pixel);
void OutlineEllipse(const TPixelSurface& surface, const TRect& rect, std::uint32_t pixel);

}  // namespace gdi
