#pragma once
// Drawing one line of text into a surface the way GDI does with
// TA_TOP | TA_LEFT and a transparent background: the reference point is the
// top-left corner of the text cell, and the whole cell turns about it by the
// font's escapement (counter-clockwise). Glyphs are FreeType's unhinted
// outlines rendered with greyscale antialiasing and blended in the colour
// over the destination; every touched pixel gets alpha 0.

#include <cstdint>
#include <string_view>

#include "platform/gdi/RealizedFont.h"
#include "platform/gdi/Surface.h"
#include "platform/rtl/Types.h"

namespace gdi {

// clip must lie within the surface.
void RenderTextLine(const TPixelSurface& surface, const TRect& clip, const TRealizedFont& font, TPoint origin,
                    std::u32string_view text, std::uint32_t pixel);

}  // namespace gdi
