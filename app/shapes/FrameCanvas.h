#pragma once
// A canvas that draws only inside one rectangle of a pixel surface. The
// device canvas has no clipping of its own; this one draws on a view of the
// rectangle's pixels, so nothing around them can change.
//
// Points of the surface are Offset() away from the same points on Canvas().

#include "platform/gdi/Canvas.h"
#include "platform/gdi/Surface.h"

class TFrameCanvas {
public:
  TFrameCanvas(const TPixelSurface& target, const TRect& frame);
  TFrameCanvas(const TFrameCanvas&) = delete;
  TFrameCanvas& operator=(const TFrameCanvas&) = delete;

  // True when the rectangle does not meet the surface: nothing can be drawn.
  bool IsEmpty() const { return Clip.Right <= Clip.Left || Clip.Bottom <= Clip.Top; }
  TCanvas& Canvas() { return Drawing; }
  TPoint Offset() const { return Point(Clip.Left, Clip.Top); }
  // A rectangle of the surface in the canvas's coordinates.
  TRect ToCanvas(const TRect& rect) const;

private:
  TRect Clip;
  TCanvas Drawing;
};
