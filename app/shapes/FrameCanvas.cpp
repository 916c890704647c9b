#include "app/shapes/FrameCanvas.h"

#include <algorithm>

TFrameCanvas::TFrameCanvas(const TPixelSurface& target, const TRect& frame) {
  const TRect bounds = target.Bounds();
  Clip = Rect(std::max(frame.Left, bounds.Left), std::max(frame.Top, bounds.Top), std::min(frame.Right, bounds.Right),
              std::min(frame.Bottom, bounds.Bottom));
  if (!IsEmpty()) Drawing.SetSurface(target.View(Clip));
}

TRect TFrameCanvas::ToCanvas(const TRect& rect) const {
  const TPoint offset = Offset();
  return Rect(rect.Left - offset.X, rect.Top - offset.Y, rect.Right - offset.X, rect.Bottom - offset.Y);
}
