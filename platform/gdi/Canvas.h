#pragma once
// TCanvas: a device context over a 32-bit pixel surface, drawing as GDI does
// into a device-independent bitmap section. Shapes are aliased and follow
// GDI's fill and outline rules (see Raster.h); text goes through FreeType
// (see TextRaster.h) and is always drawn with a transparent background.
// Every pixel the canvas draws gets alpha 0; pixels it does not draw keep
// theirs. A canvas without a surface measures text but refuses to draw.
//
// Narrow strings are Windows-1252 text; wide strings are UTF-16.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/gdi/Brush.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Pen.h"
#include "platform/gdi/Raster.h"
#include "platform/gdi/RealizedFont.h"
#include "platform/gdi/StretchCopy.h"
#include "platform/gdi/Surface.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"

// Format flags of DrawText. Text is laid out from the rectangle's top-left
// corner, one line per CR, LF or CR LF, and clipped to the rectangle.
constexpr unsigned DT_LEFT = 0x0000;
constexpr unsigned DT_TOP = 0x0000;
constexpr unsigned DT_NOPREFIX = 0x0800;

// What GetPixel answers for a point off the surface.
constexpr TColor CLR_INVALID = static_cast<TColor>(0xFFFFFFFFu);

class TCanvas : public TPersistent {
public:
  TCanvas();
  explicit TCanvas(TPixelSurface surface);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  std::string ClassName() const override { return "TCanvas"; }

  // The surface drawn on; an empty one detaches the canvas.
  const TPixelSurface& GetSurface() const { return Surface; }
  void SetSurface(TPixelSurface surface) { Surface = surface; }

  TFont& GetFont() { return Font; }
  const TFont& GetFont() const { return Font; }
  void SetFont(const TFont& font) { Font.Assign(&font); }
  TPen& GetPen() { return Pen; }
  const TPen& GetPen() const { return Pen; }
  void SetPen(const TPen& pen) { Pen.Assign(&pen); }
  TBrush& GetBrush() { return Brush; }
  const TBrush& GetBrush() const { return Brush; }
  void SetBrush(const TBrush& brush) { Brush.Assign(&brush); }

  TPoint GetPenPos() const { return PenPos; }
  void SetPenPos(TPoint position) { PenPos = position; }
  void MoveTo(int x, int y) { PenPos = Point(x, y); }
  // A line with the pen from the pen position up to, but not including,
  // (x, y), which becomes the pen position.
  void LineTo(int x, int y);

  // Filled with the brush by the alternate rule, then outlined with the pen
  // as a closed line through every point: a polygon (x, 0), (x, h),
  // (x + w - 1, h), (x + w - 1, 0) covers columns x .. x + w - 1 and rows
  // 0 .. h.
  void Polygon(std::span<const TPoint> points);
  // The polygon of the corners (x1, y1) .. (x2 - 1, y2 - 1): with a pen it
  // covers x1 .. x2 - 1 and y1 .. y2 - 1; without one (psClear) the fill
  // stops one pixel short on the right and bottom, as in GDI. The corners
  // are put in order first; an empty rectangle draws nothing.
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  // The ellipse inscribed in (x1, y1) .. (x2, y2), right and bottom edges
  // excluded: filled with the brush, outlined one pixel wide with the pen.
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
  // The rectangle's pixels in the brush colour, no outline; nothing with bsClear.
  void FillRect(const TRect& rect);

  TColor GetPixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Text with its cell's top-left corner at (x, y), turned by the font's
  // escapement about that point.
  void TextOut(int x, int y, std::string_view text);
  void TextOut(int x, int y, std::u16string_view text);
  // The same, with nothing drawn outside clip.
  void TextRect(const TRect& clip, int x, int y, std::string_view text);
  void TextRect(const TRect& clip, int x, int y, std::u16string_view text);
  // Laid out as the DT_ flags above say; returns the height of the text.
  // Raises EInvalidOperation for any other flag.
  int DrawText(std::string_view text, const TRect& rect, unsigned format);
  int DrawText(std::u16string_view text, const TRect& rect, unsigned format);

  // The unrotated cell of the text: the sum of whole-pixel glyph advances
  // (no kerning) by the font's cell height.
  TSize TextExtent(std::string_view text);
  TSize TextExtent(std::u16string_view text);
  int TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int TextWidth(std::u16string_view text) { return TextExtent(text).cx; }
  int TextHeight(std::string_view text) { return TextExtent(text).cy; }
  int TextHeight(std::u16string_view text) { return TextExtent(text).cy; }

  // Stretched block transfer of source's sourceRect into destRect.
  void CopyRect(const TRect& destRect, const TCanvas& source, const TRect& sourceRect,
                TStretchMode mode = TStretchMode::Nearest);

  // Fires after every drawing operation.
  TNotifyEvent OnChange;

private:
  const TPixelSurface& DrawingSurface() const;
  const gdi::TRealizedFont& Realized();
  bool HasPen() const { return Pen.GetStyle() != psClear; }
  gdi::TLineStyle LineStyle() const;
  bool HasBrush() const { return Brush.GetStyle() != bsClear; }
  void DrawOutline(std::span<const TPoint> points);
  void DrawTextLine(const TRect& clip, TPoint origin, std::u32string_view text);
  int DrawTextLines(std::u32string_view text, const TRect& rect, unsigned format);
  void Changed();

  TPixelSurface Surface;
  TFont Font;
  TPen Pen;
  TBrush Brush;
  TPoint PenPos;
  std::optional<gdi::TRealizedFont> RealizedFont;
};

namespace gdi {
// The canvas of a shared 8 x 8 surface, for measuring text where there is
// no surface to measure on. Callers set its font before each use.
TCanvas& MeasuringCanvas();
}  // namespace gdi
