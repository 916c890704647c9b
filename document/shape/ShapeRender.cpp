// Rendering and hit testing of TdocShape: direct drawing into the page
// bitmap, the render cache that turned, translucent and effect-carrying
// shapes are resampled from, and the two-pass hit test.

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <vector>

#include "document/render/MapSampler.h"
#include "document/render/ScreenPolygon.h"
#include "document/shape/Shape.h"

using document::ScreenRound;

namespace {

// A cache never holds more pixels than this, nor a side longer than this.
constexpr double MostCachePixels = 1 << 24;
constexpr double MaxCacheSide = 1 << 15;
// The sampled cache may hold this many pixels beyond twice the cache's:
// the margins around a small turned cache.
constexpr std::size_t MinSampledPixels = 1 << 16;

std::int32_t CeilPixels(double value) { return ScreenRound(std::ceil(value)); }

bool Overlap(const TFloatRect& a, const TFloatRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool HasArea(const TFloatRect& r) { return r.Right > r.Left && r.Bottom > r.Top; }

// Whether box, in the coordinates of rect, which covers the whole bitmap,
// reaches the bitmap's clip rectangle (with a pixel or two for antialiased
// edges): a paint of part of the view passes the shapes elsewhere by.
bool ReachesClip(const TFloatRect& box, const TFloatRect& rect, const TBitmap32& bitmap) {
  if (!bitmap.GetClipping()) return true;
  const double scaleX = bitmap.GetWidth() / (double{rect.Right} - rect.Left);
  const double scaleY = bitmap.GetHeight() / (double{rect.Bottom} - rect.Top);
  const double x1 = (box.Left - rect.Left) * scaleX, x2 = (box.Right - rect.Left) * scaleX;
  const double y1 = (box.Top - rect.Top) * scaleY, y2 = (box.Bottom - rect.Top) * scaleY;
  if (!std::isfinite(x1 + x2 + y1 + y2)) return true;
  const TRect& clip = bitmap.GetClipRect();
  return std::min(x1, x2) - 2 < clip.Right && std::max(x1, x2) + 2 > clip.Left && std::min(y1, y2) - 2 < clip.Bottom &&
         std::max(y1, y2) + 2 > clip.Top;
}

// Windows drawing writes alpha 0; inverting around it turns that into opaque.
void InvertAlpha(const TPixelSurface& surface) {
  for (int y = 0; y < surface.Height; ++y) {
    std::uint32_t* row = surface.ScanLine(y);
    for (int x = 0; x < surface.Width; ++x) row[x] ^= 0xFF000000u;
  }
}

// The pixels a shape's canvas painting may change: its area (the frame
// widened by the extents) through the device transform, rounded outwards,
// within the bitmap's clip. The renderer skips a shape whose area misses the
// clip, so painting beyond the area could never show reliably anyway.
TRect CanvasPaintArea(const TFloatRect& area, const TdocTransform& device, const TBitmap32& bitmap) {
  const double x1 = device.TransformX(area.Left), x2 = device.TransformX(area.Right);
  const double y1 = device.TransformY(area.Top), y2 = device.TransformY(area.Bottom);
  const TRect limit = bitmap.GetClipping() ? bitmap.GetClipRect() : bitmap.BoundsRect();
  if (!std::isfinite(x1 + x2 + y1 + y2)) return limit;
  const auto clamp = [](double value, std::int32_t low, std::int32_t high) {
    return static_cast<std::int32_t>(std::clamp(value, static_cast<double>(low), static_cast<double>(high)));
  };
  return {clamp(std::floor(std::min(x1, x2)), limit.Left, limit.Right),
          clamp(std::floor(std::min(y1, y2)), limit.Top, limit.Bottom),
          clamp(std::ceil(std::max(x1, x2)), limit.Left, limit.Right),
          clamp(std::ceil(std::max(y1, y2)), limit.Top, limit.Bottom)};
}

// Maps rect onto the whole pixel grid of a bitmap of the given size.
void MapRectToPixels(TdocTransform& transform, const TFloatRect& rect, std::int32_t width, std::int32_t height) {
  transform.Translate(-rect.Left, -rect.Top);
  transform.Scale(width / (double{rect.Right} - rect.Left), height / (double{rect.Bottom} - rect.Top));
}

// Freed caches lend their bitmaps to the shapes cached next: a sheet of like
// labels then draws each row of labels in the memory of the row before
// instead of mapping fresh pages for each. Only a few small bitmaps are
// kept, so that a print leaves little memory behind.
class TSpareCaches {
public:
  void Keep(std::unique_ptr<TBitmap32> cache) {
    if (!cache || PixelsOf(*cache) > MaxPixels) return;
    if (Bitmaps.size() == MaxCount) Bitmaps.erase(Bitmaps.begin());
    Bitmaps.push_back(std::move(cache));
  }

  // One of exactly that size when there is one (it need not be allocated
  // again), else the newest, else a new bitmap.
  std::unique_ptr<TBitmap32> Take(std::int32_t width, std::int32_t height) {
    if (Bitmaps.empty()) return std::make_unique<TBitmap32>();
    auto found = std::find_if(Bitmaps.begin(), Bitmaps.end(), [&](const auto& bitmap) {
      return bitmap->GetWidth() == width && bitmap->GetHeight() == height;
    });
    if (found == Bitmaps.end()) found = std::prev(Bitmaps.end());
    std::unique_ptr<TBitmap32> bitmap = std::move(*found);
    Bitmaps.erase(found);
    return bitmap;
  }

private:
  static constexpr std::size_t MaxPixels = 1 << 20;
  static constexpr std::size_t MaxCount = 4;
  static std::size_t PixelsOf(const TBitmap32& bitmap) {
    return std::size_t(bitmap.GetWidth()) * std::size_t(bitmap.GetHeight());
  }
  std::vector<std::unique_ptr<TBitmap32>> Bitmaps;
};

thread_local TSpareCaches SpareCaches;

// A turn or scale that moves no pixel of a cache by more than this from
// where a quarter turn (or none) puts it cannot be seen: the cache is drawn
// as turned by that quarter. (Sheets turn their barcodes by a thousandth of
// a degree; at 600 dots per inch that shifts the far corner of a label by a
// fiftieth of a pixel.)
constexpr double MaxUnseenShift = 1.0 / 32;
// Positions this close to a whole pixel lie on it, as far as the map
// sampler's 1/256-pixel sample positions can tell.
constexpr double PixelTolerance = 1.0 / 256;

// The quarter turn, mirrored or not, that t maps a width x height bitmap by,
// give or take MaxUnseenShift: t with its linear part made exact. None when
// t turns by anything else.
std::optional<TdocTransform> QuarterTurnOf(const TdocTransform& t, double width, double height) {
  TdocTransform exact(std::round(t.a), std::round(t.b), std::round(t.c), std::round(t.d), t.e, t.f);
  const bool permutes = (std::fabs(exact.a) == 1 && exact.b == 0 && exact.c == 0 && std::fabs(exact.d) == 1) ||
                        (exact.a == 0 && std::fabs(exact.b) == 1 && std::fabs(exact.c) == 1 && exact.d == 0);
  if (!permutes || std::fabs(t.a - exact.a) * width + std::fabs(t.c - exact.c) * height > MaxUnseenShift ||
      std::fabs(t.b - exact.b) * width + std::fabs(t.d - exact.d) * height > MaxUnseenShift)
    return std::nullopt;
  return exact;
}

// Draws the cache onto bitmap as the exact quarter turn t (with whole-pixel
// e and f) lays it there, pixel for pixel: only the part within the clip is
// turned, so a page drawn in bands turns each part once.
void DrawQuarterTurned(const TBitmap32& cache, const TdocTransform& t, TBitmap32& bitmap) {
  const std::int32_t width = cache.GetWidth(), height = cache.GetHeight();
  // Where the corners of the cache land; the turn maps its rectangle onto
  // the one they span.
  const double x1 = t.e, x2 = t.a * width + t.c * height + t.e;
  const double y1 = t.f, y2 = t.b * width + t.d * height + t.f;
  const TRect turned{ScreenRound(std::min(x1, x2)), ScreenRound(std::min(y1, y2)), ScreenRound(std::max(x1, x2)),
                     ScreenRound(std::max(y1, y2))};
  TRect area;
  if (!imaging::IntersectIntRect(area, turned, bitmap.GetClipRect())) return;
  TBitmap32 part;
  part.SetSize(area.Width(), area.Height());
  // Along a row of the bitmap the cache pixel moves by one column or one row.
  const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(t.a) + static_cast<std::ptrdiff_t>(t.c) * width;
  const TColor32* pixels = cache.GetBits();
  for (std::int32_t y = area.Top; y < area.Bottom; ++y) {
    // The cache pixel under the centre of the row's first pixel, through the
    // inverse turn.
    const double u = area.Left + 0.5 - t.e, v = y + 0.5 - t.f;
    const auto cx = static_cast<std::ptrdiff_t>(std::floor(t.a * u + t.b * v));
    const auto cy = static_cast<std::ptrdiff_t>(std::floor(t.c * u + t.d * v));
    std::ptrdiff_t at = cy * width + cx;
    TColor32* row = part.ScanLine(y - area.Top);
    for (std::int32_t x = 0; x < area.Width(); ++x, at += step) row[x] = pixels[at];
  }
  part.SetDrawMode(cache.GetDrawMode());
  part.SetCombineMode(cache.GetCombineMode());
  part.SetMasterAlpha(cache.GetMasterAlpha());
  part.DrawTo(bitmap, area);
}

double Fraction(double value) { return value - std::floor(value); }

bool IsNearWhole(double value) {
  const double fraction = Fraction(value);
  return fraction <= PixelTolerance || fraction >= 1 - PixelTolerance;
}

// Where a fractional pixel position lies inside its pixel; 0 near a whole one.
float PhaseOf(double position) { return IsNearWhole(position) ? 0.0f : static_cast<float>(Fraction(position)); }

// A cache finer than the bitmap it is drawn on costs time and loses its
// detail to the averaging anyway; one at the bitmap's own resolution shares
// its pixel grid.
float CacheResolutionFor(const TdocRenderOptions& options) {
  const float bitmap = options.BitmapResolution;
  return bitmap > 0 && std::isfinite(bitmap) && bitmap < options.Resolution ? bitmap : options.Resolution;
}

// The shape's local coordinates to the pixels of a bitmap covering rect.
TdocTransform LocalToBitmap(const TdocShape& shape, const TFloatRect& rect, bool direct, const TBitmap32& bitmap) {
  TdocTransform transform;
  if (!direct) {
    transform.Rotate(-shape.GetDocAngle(), 0, 0);
    transform.Translate(shape.GetDocLeft(), shape.GetDocTop());
  }
  MapRectToPixels(transform, rect, bitmap.GetWidth(), bitmap.GetHeight());
  return transform;
}

}  // namespace

void TdocShape::RenderShape(TBitmap32& bitmap, const TFloatRect& rect, bool direct, const TdocRenderOptions& options) {
  if (!Visible) return;
  const TFloatRect box = PaintedBox(direct);
  if (!Overlap(box, rect) || !ReachesClip(box, rect, bitmap)) return;
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

double TdocShape::MaxCachePixels() const { return MostCachePixels; }

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
  if (HasCanvasPaint()) PaintOnCanvas(bitmap, device, options);
  for (const auto& child : Shapes)
    if (child->Visible) child->RenderShape(bitmap, rect, false, options);
  PaintOverChildren(bitmap, options);
}

void TdocShape::PaintOnCanvas(TBitmap32& bitmap, const TdocTransform& device, const TdocRenderOptions& options) {
  // The canvas draws on a view of just the pixels the shape may change: they
  // alone have their alpha turned, and nothing outside the clip can change.
  const TRect area = CanvasPaintArea(LocalArea(), device, bitmap);
  const TPixelSurface view = bitmap.GetHandle().View(area);
  if (view.IsEmpty()) return;
  InvertAlpha(view);
  TdocTransform onView = device;
  onView.Translate(-area.Left, -area.Top);
  SetDeviceTransform(onView);
  auto restore = TdocBracketGuard([&] {
    InvertAlpha(view);
    SetDeviceTransform(device);
  });
  TCanvas canvas(view);
  PaintToCanvas(canvas, options);
}

void TdocShape::RenderCached(TBitmap32& bitmap, const TFloatRect& rect, bool direct, const TdocRenderOptions& options) {
  const float resolution = CacheResolutionFor(options);
  if (!(resolution > 0) || !std::isfinite(resolution) || bitmap.IsEmpty() || !HasArea(rect)) return;
  const TdocTransform localToBitmap = LocalToBitmap(*this, rect, direct, bitmap);
  const bool valid = Cache && CacheResolution > 0;
  const bool exact = options.ExactResolution || NeedsExactCacheResolution();
  const bool made = !valid || resolution > CacheResolution || (resolution < CacheResolution && exact);
  if (made) RenderCache(resolution, options, localToBitmap);
  if (!Cache->IsEmpty()) {
    Cache->SetMasterAlpha(static_cast<std::uint32_t>(MasterAlpha));
    TdocTransform toBitmap = CacheToBitmap(localToBitmap);
    std::optional<TdocTransform> quarter = QuarterTurnOf(toBitmap, Cache->GetWidth(), Cache->GetHeight());
    if (quarter && IsNearWhole(toBitmap.e) && IsNearWhole(toBitmap.f)) {
      // The cache's pixels land on whole pixels: nothing is blurred.
      quarter->e = std::round(toBitmap.e);
      quarter->f = std::round(toBitmap.f);
      if (quarter->a == 1 && quarter->d == 1) {
        // A move needs no sampling: the cache is blended as it is.
        const std::int32_t x = ScreenRound(quarter->e), y = ScreenRound(quarter->f);
        Cache->DrawTo(bitmap, {x, y, x + Cache->GetWidth(), y + Cache->GetHeight()});
      } else {
        DrawQuarterTurned(*Cache, *quarter, bitmap);
      }
    } else {
      DrawResampled(bitmap, toBitmap);
    }
  }
  if (options.FreeCache || (made && options.FreeNewCache)) ClearRenderCache();
}

TdocTransform TdocShape::CacheToBitmap(const TdocTransform& localToBitmap) const {
  TdocTransform cacheToLocal;
  cacheToLocal.Translate(-(std::ceil(Extents[0] * CacheScale) + CachePhase.X),
                         -(std::ceil(Extents[1] * CacheScale) + CachePhase.Y));
  cacheToLocal.Scale(1.0 / CacheScale, 1.0 / CacheScale);
  TdocTransform result;
  result.AffineMultiply(localToBitmap, cacheToLocal);
  return result;
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

void TdocShape::RenderCache(float resolution, const TdocRenderOptions& options, const TdocTransform& localToBitmap) {
  double scale = resolution;
  auto pixels = [this](double s, std::size_t before, std::size_t after, float length) {
    return std::ceil(Extents[before] * s) + std::ceil((length + Extents[after]) * s);
  };
  const double maxPixels = std::min(MaxCachePixels(), MostCachePixels);
  for (;;) {
    const double width = pixels(scale, 0, 2, DocWidth);
    const double height = pixels(scale, 1, 3, DocHeight);
    if (width * height <= maxPixels && width <= MaxCacheSide && height <= MaxCacheSide) break;
    scale *= 0.9 * std::min({std::sqrt(maxPixels / std::max(1.0, width * height)),
                             MaxCacheSide / std::max(1.0, width), MaxCacheSide / std::max(1.0, height)});
  }
  // Stale until the drawing below has finished.
  CacheResolution = 0;
  Sampled.Clear();
  CacheScale = static_cast<float>(scale);
  const std::int32_t left = CeilPixels(Extents[0] * CacheScale);
  const std::int32_t top = CeilPixels(Extents[1] * CacheScale);
  const std::int32_t right = CeilPixels((DocWidth + Extents[2]) * CacheScale);
  const std::int32_t bottom = CeilPixels((DocHeight + Extents[3]) * CacheScale);
  // Made for a placement turned by quarters, the cache takes the bitmap's
  // pixel grid: one pixel more along an axis where the shape starts inside a
  // pixel. A mirror or flip turns the cache about its middle and keeps the
  // grid it had.
  CachePhase = {};
  if (const auto quarter = QuarterTurnOf(CacheToBitmap(localToBitmap), left + right + 1, top + bottom + 1)) {
    // The cache's axes run along the bitmap's; the phase moves its grid onto
    // the bitmap's one.
    const TdocTransform& t = *quarter;
    CachePhase = {Mirrored ? 0.0f : PhaseOf(t.a * t.e + t.b * t.f), Flipped ? 0.0f : PhaseOf(t.c * t.e + t.d * t.f)};
  }
  const std::int32_t width = left + right + (CachePhase.X > 0 ? 1 : 0);
  const std::int32_t height = top + bottom + (CachePhase.Y > 0 ? 1 : 0);
  if (!Cache) Cache = SpareCaches.Take(width, height);
  Cache->SetSize(width, height);
  Cache->Clear(options.Color);
  Cache->OuterColor = options.Color;
  Cache->SetDrawMode(dmBlend);
  Cache->SetStretchFilter(options.StretchFilter);
  TdocRenderOptions cacheOptions = options;
  cacheOptions.Resolution = CacheScale;
  cacheOptions.BitmapResolution = CacheScale;
  // The local area rounded out to whole cache pixels, so that local (0, 0)
  // falls exactly on the corner of pixel (left, top), moved by the phase.
  const TFloatRect area{(-left - CachePhase.X) / CacheScale, (-top - CachePhase.Y) / CacheScale,
                        (width - left - CachePhase.X) / CacheScale, (height - top - CachePhase.Y) / CacheScale};
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
  SpareCaches.Keep(std::move(Cache));
  Sampled.Clear();
  CacheResolution = 0;
  CachePhase = {};
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

std::vector<std::vector<TPoint>> TdocShape::CreateOutlineRegion() const {
  return {ScreenPolygon({0, 0, DocWidth, DocHeight})};
}

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
  const std::vector<std::vector<TPoint>> outline = CreateOutlineRegion();
  const auto probes = HitProbes(Document);
  return std::any_of(probes.begin(), probes.end(), [&](const TPoint& offset) {
    return document::ContoursContainPixel(outline, Moved(screenPoint, offset));
  });
}

TPoint TdocShape::CachePixelAt(const TPoint& screenPoint) const {
  if (!(CacheResolution > 0)) return {-1, -1};
  const TFloatPoint local = ScreenToShape({float(screenPoint.X), float(screenPoint.Y)});
  return {ScreenRound(std::ceil(Extents[0] * CacheScale) + CachePhase.X + double{local.X} * CacheScale),
          ScreenRound(std::ceil(Extents[1] * CacheScale) + CachePhase.Y + double{local.Y} * CacheScale)};
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
