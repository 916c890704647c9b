#include "app/shapes/FrameCanvas.h"

#include <algorithm>
#include <cstring>

TFrameCanvas::TFrameCanvas(const TPixelSurface& target, const TRect& frame) : Target(target) {
  const TRect bounds = target.Bounds();
  Clip = Rect(std::max(frame.Left, bounds.Left), std::max(frame.Top, bounds.Top), std::min(frame.Right, bounds.Right),
              std::min(frame.Bottom, bounds.Bottom));
  if (IsEmpty()) return;
  const int rows = Clip.Bottom - Clip.Top;
  if (Clip.Left == 0 && Clip.Right == target.Width) {
    // Whole rows: a view of them clips above and below for free.
    Drawing.SetSurface(TPixelSurface{target.ScanLine(Clip.Top), target.Width, rows});
    return;
  }
  const int columns = Clip.Right - Clip.Left;
  Copy = std::make_unique_for_overwrite<std::uint32_t[]>(std::size_t(columns) * std::size_t(rows));
  CopySurface = TPixelSurface{Copy.get(), columns, rows};
  CopyRows(true);
  Drawing.SetSurface(CopySurface);
}

TFrameCanvas::~TFrameCanvas() {
  if (Copy) CopyRows(false);
}

TRect TFrameCanvas::ToCanvas(const TRect& rect) const {
  const TPoint offset = Offset();
  return Rect(rect.Left - offset.X, rect.Top - offset.Y, rect.Right - offset.X, rect.Bottom - offset.Y);
}

void TFrameCanvas::CopyRows(bool intoCopy) {
  const TPixelSurface& copy = CopySurface;
  const std::size_t bytes = std::size_t(copy.Width) * sizeof(std::uint32_t);
  for (int y = 0; y < copy.Height; ++y) {
    std::uint32_t* outside = Target.ScanLine(Clip.Top + y) + Clip.Left;
    std::uint32_t* inside = copy.ScanLine(y);
    if (intoCopy)
      std::memcpy(inside, outside, bytes);
    else
      std::memcpy(outside, inside, bytes);
  }
}
