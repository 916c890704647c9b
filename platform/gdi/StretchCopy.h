#pragma once
// Copying pixels between surfaces with stretching, as a stretched block
// transfer with SRCCOPY does between 32-bit device-independent bitmaps: all
// four bytes of each pixel are copied. Destination pixels off the
// destination surface are skipped, and so are those whose source lies off
// the source surface. Rectangles with no width or height copy nothing.

#include "platform/gdi/Surface.h"
#include "platform/rtl/Types.h"

enum class TStretchMode {
  Nearest,   // each destination pixel takes the source pixel under its centre
  Halftone,  // each destination pixel averages the source area it covers
};

namespace gdi {

void StretchCopy(const TPixelSurface& dest, const TRect& destRect, const TPixelSurface& source,
                 const TRect& sourceRect, TStretchMode mode);

}  // namespace gdi
