#pragma once
// The contour of one end of a line shape: the line's two corners at that
// end, with an arrow head of one of seven styles between them.

#include <cstdint>

#include "document/shapes/PolygonShape.h"

// Ordinals are stored.
enum TdocArrowStyle : std::uint8_t { asNoArrow, asArrow, asOpenArrow, asStealthArrow, asDiamond, asOval, asRectangle };

struct TdocArrowHead {
  std::uint8_t Style = asNoArrow;
  float Width = 5.0f;   // full width of the head
  float Length = 7.0f;  // along the line
};

namespace document {

// Appends the points of the end at tip for a line coming from `from`, of
// the given width: the corner on the right of the direction of travel
// first, the head, the other corner last. Nothing for a line without
// length. A head is drawn only when it is wider than the line and has a
// length; it takes at most 70 % of the line. Arcs are divided for the
// device scale (pixels per unit).
void AddArrowEnd(TdocContour& contour, const TdocArrowHead& arrow, const TFloatPoint& tip, const TFloatPoint& from,
                 float lineWidth, double deviceScale);

}  // namespace document
