#pragma once
// The barcode's own frame on the canvas. In that frame x runs along the row
// of modules and y down the bars, both from the top-left corner of the
// first module; the frame is turned by an angle counter-clockwise as seen on
// the canvas, whose y axis points down. Every result is a whole pixel,
// rounded half to even; a coordinate outside the integer range raises
// EInvalidOp.

#include "platform/rtl/Types.h"

namespace barcode {

// An angle in degrees as radians.
double Radians(double degrees);

// (x cos a + y sin a, -x sin a + y cos a).
TPoint RotatePoint(TPoint point, double alpha);

TPoint OffsetPoint(TPoint a, TPoint b);

// origin moved so that the bounding box of a width x height box turned by
// alpha starts at origin. The quadrant is chosen by the signs of sin and
// cos, a zero counting as positive.
TPoint RotatedBoxOrigin(double alpha, TPoint origin, int width, int height);

// Where a point of the barcode's frame lands on the canvas.
struct TSymbolFrame {
  TPoint Origin;  // the canvas point of the frame's (0, 0)
  double Alpha = 0;

  TPoint ToCanvas(TPoint local) const { return OffsetPoint(Origin, RotatePoint(local, Alpha)); }
};

}  // namespace barcode
