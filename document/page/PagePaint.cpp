// Painting the page itself under and over its shapes: page colour,
// background picture, the document's paint events and the screen's page
// aids (pattern, grid, margins, frame and shadow).

#include <algorithm>
#include <cmath>

#include "document/render/OutsideClipKeeper.h"
#include "document/page/Page.h"
#include "document/render/ScreenPolygon.h"
#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/resample/BoxDownsample.h"
#include "platform/rtl/Exception.h"

using document::ScreenRound;

namespace {

constexpr TColor32 White32 = 0xFFFFFFFFu;
constexpr TColor32 Black32 = 0xFF000000u;
constexpr TColor32 PatternGrey32 = 0xFFB0B0B0u;
constexpr std::int32_t PatternSquare = 8;
// Grid lines or dots closer than this many pixels would only paint the page
// solid in the grid colour; such a grid is left out, which also bounds the
// work of a tiny grid size.
constexpr double MinGridStep = 2.0;

// The page's device transform is a scale and a shift per axis (DrawDirect).
struct TAxis {
  double Scale;
  double Offset;
  double ToPixel(double mm) const { return Scale * mm + Offset; }
  double ToMm(double pixel) const { return (pixel - Offset) / Scale; }
};

TAxis AxisX(const TdocTransform& t) { return {t.a, t.e}; }
TAxis AxisY(const TdocTransform& t) { return {t.d, t.f}; }

TColor32 Opaque(TColor color) { return imaging::ColorToColor32(color) | 0xFF000000u; }

// The grid indices first .. last whose lines fall on pixels 0 .. size - 1,
// within 1 .. count.
std::pair<std::int64_t, std::int64_t> VisibleSteps(const TAxis& axis, double grid, std::int32_t size,
                                                   double count) {
  const double a = axis.ToMm(-1) / grid, b = axis.ToMm(size + 1.0) / grid;
  const double first = std::max(1.0, std::ceil(std::min(a, b)));
  const double last = std::min(count, std::floor(std::max(a, b)));
  if (!(first <= last)) return {1, 0};
  return {static_cast<std::int64_t>(first), static_cast<std::int64_t>(last)};
}

}  // namespace

void TdocPage::PaintToBitmap(TBitmap32& bitmap, const TdocRenderOptions& options) {
  const TdocTransform& device = GetDeviceTransform();
  const float width = GetDocWidth(), height = GetDocHeight();
  const TFloatPoint topLeft = device.TransformPoint({0, 0});
  const TFloatPoint bottomRight = device.TransformPoint({width, height});
  const TFloatPoint shadowCorner = device.TransformPoint({width + 1.0f, height + 1.0f});
  const TRect pageRect{ScreenRound(topLeft.X), ScreenRound(topLeft.Y), ScreenRound(bottomRight.X),
                       ScreenRound(bottomRight.Y)};
  const TdocPageHost* host = GetHost();
  const TdocHelperMethodType method = host ? host->GetHelperMethod() : hmNone;
  const bool screen = options.Device == dtScreen;

  if (screen && method == hmPattern) {
    const TRect& clip = bitmap.GetClipRect();
    for (std::int32_t y = std::max(pageRect.Top, clip.Top); y < std::min(pageRect.Bottom, clip.Bottom); ++y)
      for (std::int32_t x = std::max(pageRect.Left, clip.Left); x < std::min(pageRect.Right, clip.Right); ++x) {
        const bool odd = (((x - pageRect.Left) / PatternSquare) + ((y - pageRect.Top) / PatternSquare)) % 2 != 0;
        bitmap.SetPixel(x, y, odd ? PatternGrey32 : White32);
      }
  } else {
    if (options.Device != dtTransparent)
      bitmap.FillRectClipped(pageRect.Left, pageRect.Top, pageRect.Right, pageRect.Bottom, Opaque(GetPageColor()));
    PaintBackgroundPicture(bitmap, pageRect, options);
  }
  CallPaintEvent(bitmap, false);
  if (!screen) return;
  if (method == hmGrid || method == hmDots) PaintGrid(bitmap, method);
  if (host && host->GetShowMargins()) PaintMargins(bitmap);
  if (!GetParent() && host && host->GetViewStyle() == vsPrintLayout)
    PaintPageFrame(bitmap, pageRect, ScreenRound(shadowCorner.X) - pageRect.Right);
}

bool TdocPage::CoversItsRectangle(const TdocRenderOptions& options) const {
  // Drawn through its cache, the page is blended, not copied.
  return GetVisible() && !NeedsRenderCache() && options.Device != dtTransparent;
}

void TdocPage::PaintOverChildren(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  CallPaintEvent(bitmap, true);
}

void TdocPage::CallPaintEvent(TBitmap32& bitmap, bool foreground) {
  TdocPageHost* host = GetHost();
  if (!host || !(foreground ? host->HasPaintForeground() : host->HasPaintBackground())) return;
  const TRect pageRect{GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom()};
  const TdocOutsideClipKeeper keeper(bitmap);
  // The canvas writes alpha 0; inverting around it leaves its pixels opaque.
  imaging::InvertAlpha(bitmap);
  auto restore = TdocBracketGuard([&bitmap] { imaging::InvertAlpha(bitmap); });
  if (foreground)
    host->DoPaintForeground(bitmap.GetCanvas(), pageRect);
  else
    host->DoPaintBackground(bitmap.GetCanvas(), pageRect);
}

void TdocPage::PaintBackgroundPicture(TBitmap32& bitmap, const TRect& pageRect, const TdocRenderOptions& options) {
  TdocBitmapResource* resource = GetBackground();
  if (!resource) return;
  TdocResourceAccess access(*resource);
  TBitmap32* picture = nullptr;
  try {
    picture = resource->GetBitmap();
  } catch (const Exception&) {
    return;  // refused when the page was read, and told then
  }
  if (!picture || picture->IsEmpty()) return;
  const TRect source = picture->BoundsRect();
  const TAxis x = AxisX(GetDeviceTransform()), y = AxisY(GetDeviceTransform());
  // One copy covers the picture's pixels at 150 dots per inch.
  const double copyWidth = source.Width() / DefaultDpm, copyHeight = source.Height() / DefaultDpm;
  const bool tiled = GetBackgroundTiled() && copyWidth * std::fabs(x.Scale) >= 1 && copyHeight * std::fabs(y.Scale) >= 1;
  if (!tiled) {
    // Copies smaller than a pixel could not show the picture; it is
    // stretched over the page instead.
    imaging::StretchDrawBitmap(bitmap, pageRect, *picture, dmBlend, {}, options.StretchFilter, source);
    return;
  }
  const TRect savedClip = bitmap.GetClipRect();
  TRect clip;
  if (!imaging::IntersectIntRect(clip, savedClip, pageRect)) return;
  bitmap.SetClipRect(clip);
  auto restore = TdocBracketGuard([&bitmap, savedClip] { bitmap.SetClipRect(savedClip); });
  const auto [firstX, lastX] = VisibleSteps(x, copyWidth, bitmap.GetWidth(), GetDocWidth() / copyWidth);
  const auto [firstY, lastY] = VisibleSteps(y, copyHeight, bitmap.GetHeight(), GetDocHeight() / copyHeight);
  // Index k of VisibleSteps is the copy whose left edge is at k - 1 copies.
  for (std::int64_t j = firstY - 1; j <= lastY; ++j)
    for (std::int64_t i = firstX - 1; i <= lastX; ++i) {
      const TRect copy{ScreenRound(x.ToPixel(double(i) * copyWidth)), ScreenRound(y.ToPixel(double(j) * copyHeight)),
                       ScreenRound(x.ToPixel(double(i + 1) * copyWidth)),
                       ScreenRound(y.ToPixel(double(j + 1) * copyHeight))};
      imaging::StretchDrawBitmap(bitmap, copy, *picture, dmBlend, {}, options.StretchFilter, source);
    }
}

void TdocPage::PaintGrid(TBitmap32& bitmap, TdocHelperMethodType method) const {
  const double grid = GetGridSize();
  if (!(grid > 0)) return;
  const TAxis x = AxisX(GetDeviceTransform()), y = AxisY(GetDeviceTransform());
  if (grid * std::fabs(x.Scale) < MinGridStep || grid * std::fabs(y.Scale) < MinGridStep) return;
  const TColor32 color = Opaque(GetGridColor());
  const double columns = std::trunc(GetDocWidth() / grid), rows = std::trunc(GetDocHeight() / grid);
  const TRect page{GetPixelLeft(), GetPixelTop(), GetPixelRight(), GetPixelBottom()};
  if (method == hmGrid) {
    // Lines stop one pixel inside the top and left and two inside the bottom and right edges.
    const auto [firstX, lastX] = VisibleSteps(x, grid, bitmap.GetWidth(), columns - 1);
    for (std::int64_t i = firstX; i <= lastX; ++i)
      bitmap.VertLineClipped(ScreenRound(x.ToPixel(double(i) * grid)), page.Top + 1, page.Bottom - 2, color);
    const auto [firstY, lastY] = VisibleSteps(y, grid, bitmap.GetHeight(), rows - 1);
    for (std::int64_t j = firstY; j <= lastY; ++j)
      bitmap.HorzLineClipped(page.Left + 1, ScreenRound(y.ToPixel(double(j) * grid)), page.Right - 2, color);
    return;
  }
  const auto [firstX, lastX] = VisibleSteps(x, grid, bitmap.GetWidth(), columns);
  const auto [firstY, lastY] = VisibleSteps(y, grid, bitmap.GetHeight(), rows);
  for (std::int64_t j = firstY; j <= lastY; ++j)
    for (std::int64_t i = firstX; i <= lastX; ++i)
      bitmap.SetPixelClipped(ScreenRound(x.ToPixel(double(i) * grid)), ScreenRound(y.ToPixel(double(j) * grid)), color);
}

void TdocPage::PaintMargins(TBitmap32& bitmap) const {
  const TdocTransform& device = GetDeviceTransform();
  const TFloatPoint topLeft = device.TransformPoint({GetMarginLeft(), GetMarginTop()});
  const TFloatPoint bottomRight =
      device.TransformPoint({GetDocWidth() - GetMarginRight(), GetDocHeight() - GetMarginBottom()});
  bitmap.SetStipplePattern({White32, Black32});
  bitmap.SetStippleStep(0.5f);
  bitmap.FrameRectStipple(ScreenRound(topLeft.X), ScreenRound(topLeft.Y), ScreenRound(bottomRight.X) + 1,
                          ScreenRound(bottomRight.Y) + 1);
}

void TdocPage::PaintPageFrame(TBitmap32& bitmap, const TRect& pageRect, std::int32_t shadow) const {
  bitmap.FrameRectClipped(pageRect.Left, pageRect.Top, pageRect.Right, pageRect.Bottom, Black32);
  bitmap.FillRectClipped(pageRect.Right, pageRect.Top + shadow, pageRect.Right + shadow, pageRect.Bottom, Black32);
  bitmap.FillRectClipped(pageRect.Left + shadow, pageRect.Bottom, pageRect.Right + shadow, pageRect.Bottom + shadow,
                         Black32);
}
