#include "platform/gdi/Canvas.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "platform/gdi/Raster.h"
#include "platform/gdi/TextRaster.h"
#include "platform/rtl/Exception.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Strings.h"

namespace {

constexpr unsigned kSupportedFormat = DT_LEFT | DT_TOP | DT_NOPREFIX;

// Unpaired surrogates become U+FFFD.
std::u32string CodePoints(std::u16string_view text) {
  std::u32string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool lowNext = i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (high && lowNext) {
      result += 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      result += U'\uFFFD';
    } else {
      result += unit;
    }
  }
  return result;
}

std::u32string CodePoints(std::string_view text) { return CodePoints(rtl::Cp1252ToUtf16(text)); }

// Lines end at CR, LF or CR LF; a break at the end leaves an empty last line.
std::vector<std::u32string_view> SplitLines(std::u32string_view text) {
  std::vector<std::u32string_view> lines;
  if (text.empty()) return lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find_first_of(U"\r\n", start);
    if (end == std::u32string_view::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    const bool crlf = text[end] == U'\r' && end + 1 < text.size() && text[end + 1] == U'\n';
    start = end + (crlf ? 2 : 1);
  }
}

TRect Intersect(const TRect& a, const TRect& b) {
  return Rect(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
              std::min(a.Bottom, b.Bottom));
}

}  // namespace

TCanvas::TCanvas() {
  Font.OnChange = [this](TPersistent*) { RealizedFont.reset(); };
}

TCanvas::TCanvas(TPixelSurface surface) : TCanvas() { Surface = surface; }

const TPixelSurface& TCanvas::DrawingSurface() const {
  if (Surface.IsEmpty()) throw EInvalidOperation("Canvas does not allow drawing");
  return Surface;
}

const gdi::TRealizedFont& TCanvas::Realized() {
  if (!RealizedFont) RealizedFont = gdi::RealizeFont(Font);
  return *RealizedFont;
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::LineTo(int x, int y) {
  const TPixelSurface& surface = DrawingSurface();
  if (HasPen()) gdi::DrawLine(surface, PenPos, Point(x, y), Pen.GetWidth(), gdi::PixelOf(Pen.GetColor()), LineStyle());
  PenPos = Point(x, y);
  Changed();
}

gdi::TLineStyle TCanvas::LineStyle() const {
  const TPenStyle style = Pen.GetStyle();
  // Like a geometric pen, a pen wider than a pixel draws solid.
  const bool dotted = (style == psDot || style == psAlternate) && Pen.GetWidth() <= 1;
  return {dotted, Pen.GetMode() == pmXor};
}

void TCanvas::DrawOutline(std::span<const TPoint> points) {
  const std::uint32_t pixel = gdi::PixelOf(Pen.GetColor());
  for (std::size_t i = 0; i < points.size(); ++i)
    gdi::DrawLine(Surface, points[i], points[(i + 1) % points.size()], Pen.GetWidth(), pixel, LineStyle());
}

void TCanvas::Polygon(std::span<const TPoint> points) {
  const TPixelSurface& surface = DrawingSurface();
  if (points.size() < 2) return;
  const gdi::TLineStyle style = LineStyle();
  const bool outlinesItsFill = HasBrush() && HasPen() && Pen.GetWidth() <= 1 && !style.Dotted && !style.Xor &&
                               gdi::PixelOf(Pen.GetColor()) == gdi::PixelOf(Brush.GetColor());
  if (outlinesItsFill && gdi::IsUprightRectangle(points)) {
    // A barcode's bars and spaces: one block instead of a fill and four lines.
    gdi::FillOutlinedRectangle(surface, points, gdi::PixelOf(Brush.GetColor()));
  } else {
    if (HasBrush()) gdi::FillPolygon(surface, points, gdi::PixelOf(Brush.GetColor()));
    if (HasPen()) DrawOutline(points);
  }
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  DrawingSurface();  // refuses a detached canvas even for an empty rectangle
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x1 == x2 || y1 == y2) return;
  const std::array<TPoint, 4> corners = {Point(x1, y1), Point(x2 - 1, y1), Point(x2 - 1, y2 - 1), Point(x1, y2 - 1)};
  Polygon(corners);
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  const TPixelSurface& surface = DrawingSurface();
  const TRect rect = Rect(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2));
  if (HasBrush()) gdi::FillEllipse(surface, rect, gdi::PixelOf(Brush.GetColor()));
  if (HasPen()) gdi::OutlineEllipse(surface, rect, gdi::PixelOf(Pen.GetColor()));
  Changed();
}

void TCanvas::FillRect(const TRect& rect) {
  const TPixelSurface& surface = DrawingSurface();
  if (HasBrush()) gdi::FillRect(surface, rect, gdi::PixelOf(Brush.GetColor()));
  Changed();
}

TColor TCanvas::GetPixel(int x, int y) const {
  if (Surface.IsEmpty() || !Surface.Contains(x, y)) return CLR_INVALID;
  return gdi::ColorOfPixel(Surface.Pixel(x, y));
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  const TPixelSurface& surface = DrawingSurface();
  if (!surface.Contains(x, y)) return;
  surface.Pixel(x, y) = gdi::PixelOf(color);
  Changed();
}

void TCanvas::DrawTextLine(const TRect& clip, TPoint origin, std::u32string_view text) {
  const TPixelSurface& surface = DrawingSurface();
  gdi::RenderTextLine(surface, Intersect(clip, surface.Bounds()), Realized(), origin, text,
                      gdi::PixelOf(Font.GetColor()));
  Changed();
}

void TCanvas::TextOut(int x, int y, std::string_view text) { DrawTextLine(Surface.Bounds(), Point(x, y), CodePoints(text)); }

void TCanvas::TextOut(int x, int y, std::u16string_view text) {
  DrawTextLine(Surface.Bounds(), Point(x, y), CodePoints(text));
}

void TCanvas::TextRect(const TRect& clip, int x, int y, std::string_view text) {
  DrawTextLine(clip, Point(x, y), CodePoints(text));
}

void TCanvas::TextRect(const TRect& clip, int x, int y, std::u16string_view text) {
  DrawTextLine(clip, Point(x, y), CodePoints(text));
}

int TCanvas::DrawTextLines(std::u32string_view text, const TRect& rect, unsigned format) {
  if ((format & ~kSupportedFormat) != 0 || (format & DT_NOPREFIX) == 0)
    throw EInvalidOperation(rtl::Format("Text format flags $%X are not supported", format));
  DrawingSurface();
  const int lineHeight = Realized().CellHeight();
  const std::vector<std::u32string_view> lines = SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i)
    DrawTextLine(rect, Point(rect.Left, rect.Top + static_cast<int>(i) * lineHeight), lines[i]);
  return static_cast<int>(lines.size()) * lineHeight;
}

int TCanvas::DrawText(std::string_view text, const TRect& rect, unsigned format) {
  return DrawTextLines(CodePoints(text), rect, format);
}

int TCanvas::DrawText(std::u16string_view text, const TRect& rect, unsigned format) {
  return DrawTextLines(CodePoints(text), rect, format);
}

TSize TCanvas::TextExtent(std::string_view text) { return TextExtent(rtl::Cp1252ToUtf16(text)); }

TSize TCanvas::TextExtent(std::u16string_view text) {
  const gdi::TRealizedFont& font = Realized();
  return TSize{font.TextWidth(CodePoints(text)), font.CellHeight()};
}

void TCanvas::CopyRect(const TRect& destRect, const TCanvas& source, const TRect& sourceRect, TStretchMode mode) {
  gdi::StretchCopy(DrawingSurface(), destRect, source.Surface, sourceRect, mode);
  Changed();
}

namespace gdi {

TCanvas& MeasuringCanvas() {
  struct TMeasuringSurface {
    TMemorySurface Pixels{8, 8};
    TCanvas Canvas{Pixels.Surface()};
  };
  static TMeasuringSurface shared;
  return shared.Canvas;
}

}  // namespace gdi
