#pragma once
// A canvas that draws only inside one rectangle of a pixel surface. The
// device canvas has no clipping of its own: drawing through this one keeps
// whatever is painted inside the rectangle. When the rectangle spans whole
// rows, the canvas works on those rows in place; otherwise it works on a
// copy of the rectangle that goes back into the surface when it is done.
//
// Points of the surface are Offset() away from the same points on Canvas().

#include <memory>

#include "platform/gdi/Canvas.h"
#include "platform/gdi/Surface.h"

class TFrameCanvas {
public:
  TFrameCanvas(const TPixelSurface& target, const TRect& frame);
  ~TFrameCanvas();
  TFrameCanvas(const TFrameCanvas&) = delete;
  TFrameCanvas& operator=(const TFrameCanvas&) = delete;

  // True when the rectangle does not meet the surface: nothing can be drawn.
  bool IsEmpty() const { return Clip.Right <= Clip.Left || Clip.Bottom <= Clip.Top; }
  TCanvas& Canvas() { return Drawing; }
  TPoint Offset() const { return Point(Clip.Left, Clip.Top); }
  // A rectangle of the surface in the canvas's coordinates.
  TRect ToCanvas(const TRect& rect) const;

private:
  void CopyRows(bool intoCopy);

  TPixelSurface Target;
  TRect Clip;
  // Every pixel of the copy is copied in before drawing: it needs no zeroing.
  std::unique_ptr<std::uint32_t[]> Copy;
  TPixelSurface CopySurface;
  TCanvas Drawing;
};
