#pragma once
// The font engine's outline services for text drawn as filled shapes: a face
// realised at an em height in pixels, its outline text metrics, and each
// glyph's native outline. The outline is handed over in the engine's record
// form: per contour a polygon header (uint32 byte size of the contour with
// its header, uint32 type 24, start point) followed by curve records (uint16
// type 1 for lines or 2 for quadratic splines, uint16 point count, points).
// Every point is two 16.16 fixed values (x, y), little-endian, y up. A run
// of quadratic spline points leaves the on-curve points between two control
// points implicit (their midpoint); the last point of a run is on the curve.
// The outlines are FreeType's, unhinted, at the size asked. Cubic contours
// (CFF faces) are handed over as quadratic splines that stay within a
// quarter pixel of them.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/Types.h"

class TFont;

namespace gdi {

struct TRealizedFont;

constexpr std::uint32_t TT_POLYGON_TYPE = 24;
constexpr std::uint16_t TT_PRIM_LINE = 1;
constexpr std::uint16_t TT_PRIM_QSPLINE = 2;
constexpr std::uint32_t kPolygonHeaderSize = 16;  // byte size, type, start point
constexpr std::uint32_t kCurveHeaderSize = 4;     // type, point count
constexpr std::uint32_t kPointFxSize = 8;         // two 16.16 values

// Whole pixels. GlyphOrigin is the upper-left corner of the black box
// relative to the pen, y up; a glyph without ink has an empty box.
struct TGlyphMetrics {
  std::uint32_t BlackBoxX = 0;
  std::uint32_t BlackBoxY = 0;
  TPoint GlyphOrigin;
  std::int16_t CellIncX = 0;
  std::int16_t CellIncY = 0;
};

struct TGlyphOutline {
  TGlyphMetrics Metrics;
  std::vector<std::uint8_t> Records;  // empty: the glyph has no outline
};

// Whole pixels at the realised em height.
struct TOutlineTextMetrics {
  int Ascent = 0;
  int Descent = 0;
};

class TOutlineFont {
public:
  // Realises the font's face, weight and slant (substituted through
  // fontconfig when not installed); the font's height in pixels, as a TFont
  // reads it. Raises EInvalidOperation when no face can be opened.
  explicit TOutlineFont(const TFont& font);
  ~TOutlineFont();
  TOutlineFont(const TOutlineFont&) = delete;
  TOutlineFont& operator=(const TOutlineFont&) = delete;

  TOutlineTextMetrics GetOutlineTextMetrics() const;
  // The outline and metrics of the glyph for a UTF-16 code unit (the
  // face's missing-glyph box when the face has no glyph for it).
  TGlyphOutline GetGlyphOutline(char16_t code) const;

private:
  std::unique_ptr<TRealizedFont> Realized;
};

}  // namespace gdi
