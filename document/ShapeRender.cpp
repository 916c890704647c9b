// Rendering and hit testing of TdocShape: direct drawing into the page
// bitmap, the render cache that turned, translucent and effect-carrying
// shapes are resampled from, and the two-pass hit test.

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

#include "document/MapSampler.h"
#include "document/ScreenPolygon.h"
#include "document/Shape.h"

using document::ScreenRound;

namespace {

// A cache never holds more pixels than this; a shape that would need more at
// the asked resolution is cached at a lower one and scaled up when drawn.
constexpr double MaxCachePixels = 1 << 24;
constexpr double MaxCacheSide = 1 << 15;
// The sampled cache may hold this many pixels beyond twice the cache's:
// the margins around a small turned cache.
constexpr std::size_t MinSampledPixels = 1 << 16;

std::int32_t CeilPixels(double value) { return ScreenRound(std::ceil(value)); }

bool Overlap(const TFloatRect& a, const TFloatRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool HasArea(const TFloatRect& r) { return r.Right > r.Left && r.Bottom > r.Top; }

// Windows drawing writes alpha 0; inverting around it turns that into opaque.
void InvertAlpha(TBitmap32& bitmap) {
  const std::size_t count = std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight());
  TColor32* bits = bitmap.GetBits();
  for (std::size_t i = 0; i < count; ++i) bits[i] ^= 0xFF000000u;
}

// Maps rect onto the whole pixel grid of a bitmap of the given size.
void MapRectToPixels(TdocTransform& transform, const TFloatRect& rect, std::int32_t width, std::int32_t height) {
  transform.Translate(-rect.Left, -rect.Top);
  transform.Scale(width / (double{rect.Right} - rect.Left), height / (double{rect.Bottom} - rect.Top));
}

bool IsIntegerTranslation(const TdocTransform& t) {
  return t.a == 1 && t.b == 0 && t.c == 0 && t.d == 1 && t.e == std::floor(t.e) && t.f == std::floor(t.f);
}

}  // namespace

void TdocShape::RenderShape(TBitmap32& bitmap, const TFloatRect& rect, bool direct, const TdocRenderOptions& options) {
  if (!Visible) return;
  if (!Overlap(direct ? LocalArea() : GetBox(true), rect)) return;
  if (NeedsRenderCache()) {
    RenderCached(bitmap, rect, direct, options);
    return;
  }
  ClearRenderCache();
  TFloatRect local = rect;
  if (!direct) {
    // Unturned: the two corners are enough.
    const TFloatPoint topLeft = ParentToLocal({rect.Left, rect.Top});
    const TFloatPoint bottomRight = ParentToLocal({rect.Right, rect.Bottom});
    local = {topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
  }
  DrawDirect(bitmap, local, options);
  if (options.Device == dtScreen) PaintOverlay(bitmap, bitmap.BoundsRect());
}

bool TdocShape::NeedsRenderCache() const {
  return ForceRenderCache || DocAngle != 0 || MasterAlpha != 255 || HasBitmapEffects();
}

void TdocShape::DrawDirect(TBitmap32& bitmap, const TFloatRect& rect, const TdocRenderOptions& options) {
  bitmap.SetDrawMode(dmBlend);
  bitmap.SetCombineMode(cmMerge);
  bitmap.SetStretchFilter(options.StretchFilter);
  if (bitmap.IsEmpty() || !HasArea(rect)) return;
  TdocTransform device;
  MapRectToPixels(device, rect, bitmap.GetWidth(), bitmap.GetHeight());
  SetDeviceTransform(device);
  PaintToBitmap(bitmap, options);
  if (HasCanvasPaint()) {
    InvertAlpha(bitmap);
    auto restore = TdocBracketGuard([&bitmap] { InvertAlpha(bitmap); });
    PaintToCanvas(bitmap.GetCanvas(), options);
  }
  for (const auto& child : Shapes)
    if (child->Visible) child->RenderShape(bitmap, rect, false, options);
  PaintOverChildren(bitmap, options);
}

void TdocShape::RenderCached(TBitmap32& bitmap, const TFloatRect& rect, bool direct, const TdocRenderOptions& options) {
  const float resolution = options.Resolution;
  if (!(resolution > 0) || !std::isfinite(resolution) || bitmap.IsEmpty() || !HasArea(rect)) return;
  const bool valid = Cache && CacheResolution > 0;
  if (!valid || resolution > CacheResolution || (resolution < CacheResolution && options.ExactResolution))
    RenderCache(resolution, options);
  if (!Cache->IsEmpty()) {
    Cache->SetMasterAlpha(static_cast<std::uint32_t>(MasterAlpha));
    TdocTransform toBitmap;
    toBitmap.Translate(-std::ceil(Extents[0] * CacheScale), -std::ceil(Extents[1] * CacheScale));
    toBitmap.Scale(1.0 / CacheScale, 1.0 / CacheScale);
    if (!direct) {
      toBitmap.Rotate(-DocAngle, 0, 0);
      toBitmap.Translate(DocLeft, DocTop);
    }
    MapRectToPixels(toBitmap, rect, bitmap.GetWidth(), bitmap.GetHeight());
    if (IsIntegerTranslation(toBitmap)) {
      // A whole-pixel move needs no resampling: the cache is blended as it is.
      const auto x = static_cast<std::int32_t>(toBitmap.e), y = static_cast<std::int32_t>(toBitmap.f);
      Cache->DrawTo(bitmap, {x, y, x + Cache->GetWidth(), y + Cache->GetHeight()});
    } else {
      DrawResampled(bitmap, toBitmap);
    }
  }
  if (options.FreeCache) ClearRenderCache();
}

void TdocShape::DrawResampled(TBitmap32& bitmap, TdocTransform& toBitmap) {
  if ((Cache->OuterColor >> 24) != 0) {
    // An opaque outer colour paints the whole box around the turned cache.
    TdocMapSampler sampler;
    sampler.SetSource(Cache.get());
    sampler.SetTarget(&bitmap);
    sampler.SetTransform(&toBitmap);
    sampler.Render(imaging::MakeFloatRect(0, 0, float(Cache->GetWidth()), float(Cache->GetHeight())));
    return;
  }
  // The sampled rows are kept while the placement stays (a repaint), as long
  // as they take about the memory of the cache itself.
  if (!Sampled.Fits(toBitmap, bitmap.GetWidth(), bitmap.GetHeight()))
    Sampled.Sample(*Cache, toBitmap, bitmap.GetWidth(), bitmap.GetHeight());
  Sampled.DrawTo(bitmap, Cache->GetCombineMode(), Cache->GetMasterAlpha());
  const std::size_t cachePixels = std::size_t(Cache->GetWidth()) * std::size_t(Cache->GetHeight());
  if (Sampled.PixelCount() > 2 * cachePixels + MinSampledPixels) Sampled.Clear();
}

void TdocShape::RenderCache(float resolution, const TdocRenderOptions& options) {
  double scale = resolution;
  auto pixels = [this](double s, std::size_t before, std::size_t after, float length) {
    return std::ceil(Extents[before] * s) + std::ceil((length + Extents[after]) * s);
  };
  for (;;) {
    const double width = pixels(scale, 0, 2, DocWidth);
    const double height = pixels(scale, 1, 3, DocHeight);
    if (width * height <= MaxCachePixels && width <= MaxCacheSide && height <= MaxCacheSide) break;
    scale *= 0.9 * std::min({std::sqrt(MaxCachePixels / std::max(1.0, width * height)),
                             MaxCacheSide / std::max(1.0, width), MaxCacheSide / std::max(1.0, height)});
  }
  // Stale until the drawing below has finished.
  CacheResolution = 0;
  Sampled.Clear();
  CacheScale = static_cast<float>(scale);
  if (!Cache) Cache = std::make_unique<TBitmap32>();
  const std::int32_t left = CeilPixels(Extents[0] * CacheScale);
  const std::int32_t top = CeilPixels(Extents[1] * CacheScale);
  const std::int32_t right = CeilPixels((DocWidth + Extents[2]) * CacheScale);
  const std::int32_t bottom = CeilPixels((DocHeight + Extents[3]) * CacheScale);
  Cache->SetSize(left + right, top + bottom);
  Cache->Clear(options.Color);
  Cache->OuterColor = options.Color;
  Cache->SetDrawMode(dmBlend);
  Cache->SetStretchFilter(options.StretchFilter);
  TdocRenderOptions cacheOptions = options;
  cacheOptions.Resolution = CacheScale;
  cacheOptions.BitmapResolution = CacheScale;
  // The local area rounded out to whole cache pixels, so that local (0, 0)
  // falls exactly on the corner of pixel (left, top).
  const TFloatRect area{-left / CacheScale, -top / CacheScale, right / CacheScale, bottom / CacheScale};
  DrawDirect(*Cache, area, cacheOptions);
  ProcessRenderedBitmap(*Cache, cacheOptions);
  if (options.Device == dtScreen) PaintOverlay(*Cache, Cache->BoundsRect());
  CacheResolution = resolution;
}

void TdocShape::ProcessRenderedBitmap(TBitmap32& bitmap, const TdocRenderOptions& /*options*/) {
  const std::int32_t width = bitmap.GetWidth();
  const std::int32_t height = bitmap.GetHeight();
  if (Mirrored)
    for (std::int32_t y = 0; y < height; ++y) std::reverse(bitmap.ScanLine(y), bitmap.ScanLine(y) + width);
  if (Flipped)
    for (std::int32_t y = 0; y < height / 2; ++y)
      std::swap_ranges(bitmap.ScanLine(y), bitmap.ScanLine(y) + width, bitmap.ScanLine(height - 1 - y));
}

void TdocShape::FillMask(TBitmap32& bitmap, TColor32 color) const {
  const std::size_t count = std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight());
  TColor32* bits = bitmap.GetBits();
  for (std::size_t i = 0; i < count; ++i) bits[i] = (bits[i] >> 24) != 0 ? color : bits[i] | 0xFF000000u;
}

void TdocShape::ClearRenderCache() {
  Cache.reset();
  Sampled.Clear();
  CacheResolution = 0;
}

void TdocShape::ClearRenderCacheAll() {
  ClearRenderCache();
  for (const auto& child : Shapes) child->ClearRenderCacheAll();
}

std::int32_t TdocShape::GetPixelLeft() const { return ScreenRound(DeviceTransform.TransformX(0)); }
std::int32_t TdocShape::GetPixelTop() const { return ScreenRound(DeviceTransform.TransformY(0)); }
std::int32_t TdocShape::GetPixelRight() const { return ScreenRound(DeviceTransform.TransformX(DocWidth)); }
std::int32_t TdocShape::GetPixelBottom() const { return ScreenRound(DeviceTransform.TransformY(DocHeight)); }

// ---- screen areas and hit testing

std::vector<TPoint> TdocShape::ScreenPolygon(const TFloatRect& local) const {
  std::vector<TPoint> polygon;
  for (const TFloatPoint& corner : RectCorners(local)) {
    const TFloatPoint p = ShapeToScreen(corner);
    polygon.push_back({ScreenRound(p.X), ScreenRound(p.Y)});
  }
  return polygon;
}

std::vector<TPoint> TdocShape::CreateOutlineRegion() const { return ScreenPolygon({0, 0, DocWidth, DocHeight}); }

std::vector<TPoint> TdocShape::CreateFrameRegion() const { return ScreenPolygon(LocalArea()); }

TRect TdocShape::GetScreenRect() const {
  const TFloatRect local = LocalArea();
  double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
  for (const TFloatPoint& corner : RectCorners(local)) {
    const TFloatPoint p = ShapeToScreen(corner);
    left = std::min(left, double{p.X});
    top = std::min(top, double{p.Y});
    right = std::max(right, double{p.X});
    bottom = std::max(bottom, double{p.Y});
  }
  return {ScreenRound(left - 0.5), ScreenRound(top - 0.5), ScreenRound(right + 0.5), ScreenRound(bottom + 0.5)};
}

bool TdocShape::IntersectsRect(const TRect& screenRect) const {
  return document::ConvexPolygonMeetsRect(CreateFrameRegion(), screenRect);
}

namespace {

constexpr std::array<TPoint, 1> PointerOnly{TPoint{0, 0}};

std::span<const TPoint> HitProbes(const TdocServices* document) {
  return document ? document->GetHitProbes() : std::span<const TPoint>(PointerOnly);
}

TPoint Moved(const TPoint& p, const TPoint& offset) { return {p.X + offset.X, p.Y + offset.Y}; }

}  // namespace

bool TdocShape::PointInShape(const TPoint& screenPoint) const {
  if (!document::PolygonContainsPixel(CreateFrameRegion(), screenPoint)) return false;
  if (Cache) return PointOnOpaquePixel(screenPoint);
  const std::vector<TPoint> outline = CreateOutlineRegion();
  const auto probes = HitProbes(Document);
  return std::any_of(probes.begin(), probes.end(), [&](const TPoint& offset) {
    return document::PolygonContainsPixel(outline, Moved(screenPoint, offset));
  });
}

TPoint TdocShape::CachePixelAt(const TPoint& screenPoint) const {
  if (!(CacheResolution > 0)) return {-1, -1};
  const TFloatPoint local = ScreenToShape({float(screenPoint.X), float(screenPoint.Y)});
  return {ScreenRound(std::ceil(Extents[0] * CacheScale) + double{local.X} * CacheScale),
          ScreenRound(std::ceil(Extents[1] * CacheScale) + double{local.Y} * CacheScale)};
}

bool TdocShape::PointOnOpaquePixel(const TPoint& screenPoint) const {
  const TPoint pixel = CachePixelAt(screenPoint);
  auto inside = [this](const TPoint& p) {
    return p.X >= 0 && p.Y >= 0 && p.X < Cache->GetWidth() && p.Y < Cache->GetHeight();
  };
  if (!Cache || !inside(pixel)) return true;
  const std::uint32_t threshold = static_cast<std::uint32_t>(MasterAlpha) * 50 / 255;
  const auto probes = HitProbes(Document);
  return std::any_of(probes.begin(), probes.end(), [&](const TPoint& offset) {
    const TPoint probe = Moved(pixel, offset);
    return inside(probe) && (Cache->GetPixel(probe.X, probe.Y) >> 24) > threshold;
  });
}

bool TdocShape::ShapeAtPoint(const TPoint& screenPoint, TdocShape*& shape) {
  shape = nullptr;
  if (!document::PolygonContainsPixel(CreateFrameRegion(), screenPoint)) return false;
  shape = this;
  for (auto child = Shapes.rbegin(); child != Shapes.rend(); ++child) {
    TdocShape* found = nullptr;
    if ((*child)->Visible && (*child)->ShapeAtPoint(screenPoint, found)) {
      shape = found;
      return true;
    }
  }
  if (!Shapes.empty()) return false;
  if (Cache && !PointOnOpaquePixel(screenPoint)) {
    shape = nullptr;
    return false;
  }
  return true;
}
