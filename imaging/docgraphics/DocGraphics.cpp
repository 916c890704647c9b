#include "imaging/docgraphics/DocGraphics.h"

#include <algorithm>
#include <cmath>

#include "imaging/blend/Blend.h"
#include "imaging/blend/BlendVariants.h"
#include "imaging/core/LowLevel.h"
#include "platform/rtl/Numbers.h"

namespace imaging {

TPoint MakePoint(std::int32_t x, std::int32_t y) { return TPoint{x, y}; }

TPoint RoundFloatPoint(const TFloatPoint& p) { return TPoint{rtl::Round(p.X), rtl::Round(p.Y)}; }

TFloatPoint MakeFloatPoint(float x, float y) { return TFloatPoint{x, y}; }
bool IsFiniteFloatPoint(const TFloatPoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

TFixedPoint FloatToFixedPoint(float x, float y) { return TFixedPoint{Fixed(x), Fixed(y)}; }

TFixedPoint FloatPointToFixed(const TFloatPoint& p) { return FloatToFixedPoint(p.X, p.Y); }

TFloatRect MakeFloatRect(float left, float top, float right, float bottom) {
  return TFloatRect{left, top, right, bottom};
}

TFloatRect RectToFloatRect(const TRect& r) { return FloatRect(r); }

void OffsetIntRect(TRect& r, std::int32_t dx, std::int32_t dy) {
  r = ClampedRect(std::int64_t{r.Left} + dx, std::int64_t{r.Top} + dy, std::int64_t{r.Right} + dx,
                  std::int64_t{r.Bottom} + dy);
}

void OffsetFloatRect(TFloatRect& r, float dx, float dy) {
  r.Left += dx;
  r.Top += dy;
  r.Right += dx;
  r.Bottom += dy;
}

void InflateFloatRect(TFloatRect& r, float dx, float dy) { InflateRect(r, dx, dy); }

bool IntersectIntRect(TRect& dest, const TRect& a, const TRect& b) {
  dest = TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
               std::min(a.Bottom, b.Bottom)};
  if (!dest.IsEmpty()) return true;
  dest = TRect{};
  return false;
}

bool IntersectFloatRect(TFloatRect& dest, const TFloatRect& a, const TFloatRect& b) {
  dest = TFloatRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                    std::min(a.Bottom, b.Bottom)};
  // Written so that an edge that is not a number also gives an empty overlap.
  if (dest.Right > dest.Left && dest.Bottom > dest.Top) return true;
  dest = TFloatRect{};
  return false;
}

TColor32 ColorToColor32(TColor color) { return Color32(color); }

TColor32 MakeColor32(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) { return Color32(r, g, b, a); }

TColor32 SetColorAlpha(TColor32 color, std::int32_t alpha) {
  return (color & 0x00FFFFFF) | static_cast<TColor32>(std::clamp(alpha, 0, 255)) << 24;
}

std::uint8_t GetColorAlpha(TColor32 color) { return AlphaComponent(color); }

void Color32ToHSL(TColor32 color, float& h, float& s, float& l) { RGBtoHSL(color, h, s, l); }

TColor32 HSLToColor32(float h, float s, float l) { return HSLtoRGB(h, s, l); }

void SetBitmapStretchFilter(TCustomBitmap32& bitmap, TdocStretchFilter filter) { bitmap.SetStretchFilter(filter); }

void SetBitmapDrawMode(TCustomBitmap32& bitmap, TDrawMode mode) { bitmap.SetDrawMode(mode); }

void SetBitmapCombineMode(TCustomBitmap32& bitmap, TCombineMode mode) { bitmap.SetCombineMode(mode); }

void MergeColorLine(const TColor32* src, TColor32* dst, int count) {
  MergeLine(src, dst, count);
  EMMS();
}

void MergeColorLineAlpha(const TColor32* src, TColor32* dst, int count, std::uint32_t master) {
  MergeLineEx(src, dst, count, master);
  EMMS();
}

TColor32 CombineColors(TColor32 x, TColor32 y, std::uint32_t w) {
  // The memory form keeps the ends exact: w = 255 is x itself, w = 0 is y.
  CombineMem(x, y, std::min<std::uint32_t>(w, 255));
  EMMS();
  return y;
}

bool IsMMXActive() { return EMMS != &portable::ClearVectorState; }

void MoveColors(const TColor32* src, TColor32* dst, int count) { MoveLongword(src, dst, count); }

void SetPolygonFillMode(TPolygon32& polygon, TPolyFillMode mode) { polygon.FillMode = mode; }

TFixed FixedMultiply(TFixed a, TFixed b) { return FixedMul(a, b); }

TFixed FixedDivide(TFixed a, TFixed b) { return FixedDiv(a, b); }

}  // namespace imaging
