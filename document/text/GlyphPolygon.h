#pragma once
// Glyph outlines in the font engine's record form turned into polygons of
// 16.16 font units with y pointing down, quadratic splines flattened.

#include <cstdint>
#include <span>

#include "imaging/polygon/Polygon32.h"

// Appends one polygon contour per outline contour (the first goes into the
// polygon's last, normally empty, contour). Reading stops at a record that
// does not fit its contour or the buffer, so a damaged buffer yields fewer
// points, never a read outside it.
void OutlineToPolygon(std::span<const std::uint8_t> records, TPolygon32& polygon);

// The winding the glyph's contours add up to: 1 when the summed shoelace
// cross products are positive, 2 when negative, 0 when zero or without
// contours of three points or more.
int GlyphOrientation(const TPolygon32* outline);
