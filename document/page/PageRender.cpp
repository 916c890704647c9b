// Rendering a page onto a canvas: printing in tiles, painting into a
// rectangle for export, and the thumbnail drawn at its own size.

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/page/Page.h"
#include "document/render/ScreenPolygon.h"
#include "imaging/docgraphics/BitmapHelpers.h"
#include "imaging/resample/BoxDownsample.h"
#include "platform/gdi/StretchCopy.h"
#include "platform/rtl/BinaryIO.h"

using document::ScreenRound;

namespace {

// A bitmap made for a thumbnail or an export is never larger than this; a
// huge page is rendered at a lower resolution, which the reduction to the
// target size would have averaged away anyway.
constexpr double MaxPaintPixels = 1 << 24;
// Thumbnail sides beyond this come only from broken settings.
constexpr int MaxThumbnailSide = 4096;

// A width x height rectangle centred in the bitmap as the tiles would place
// it.
TRect CentredRect(const TBitmap32& bitmap, std::int32_t width, std::int32_t height) {
  const std::int32_t left = (bitmap.GetWidth() - width) / 2;
  const std::int32_t top = (bitmap.GetHeight() - height) / 2;
  return {left, top, left + width, top + height};
}

// Sets the bitmap's pixels outside inner to color.
void FillAround(TBitmap32& bitmap, const TRect& inner, TColor32 color) {
  const std::int32_t width = bitmap.GetWidth(), height = bitmap.GetHeight();
  const std::int32_t top = std::clamp(inner.Top, 0, height), bottom = std::clamp(inner.Bottom, top, height);
  const std::int32_t left = std::clamp(inner.Left, 0, width), right = std::clamp(inner.Right, left, width);
  bitmap.FillRect(0, 0, width, top, color);
  bitmap.FillRect(0, bottom, width, height, color);
  bitmap.FillRect(0, top, left, bottom, color);
  bitmap.FillRect(right, top, width, bottom, color);
}

// At one scale for both axes the page may end inside its last row or column
// of pixels, where its own painting then leaves a pixel alone: they take the
// page's colour first.
void FillLastRowAndColumn(TBitmap32& bitmap, const TRect& page, TColor32 color) {
  bitmap.FillRectClipped(page.Left, page.Bottom - 1, page.Right, page.Bottom, color);
  bitmap.FillRectClipped(page.Right - 1, page.Top, page.Right, page.Bottom, color);
}

}  // namespace

// How the page's pixel grid (Width x Height) lands on the canvas: turned by
// quarter turns counter-clockwise, then mirrored left-right, then turned
// upside down.
struct TdocPage::TPageOutput {
  std::int32_t Width;
  std::int32_t Height;
  // One scale for both axes, whatever the rounding of Width and Height:
  // a level shape's cache then lands on whole pixels, never resampled.
  double PixelsPerMm;
  int Rotation;
  bool Mirror;
  bool UpsideDown;

  std::int32_t OutWidth() const { return Rotation % 2 != 0 ? Height : Width; }
  std::int32_t OutHeight() const { return Rotation % 2 != 0 ? Width : Height; }

  // Where a rectangle of the page's pixels lands in the output.
  TRect Map(const TRect& r) const {
    TRect out = r;
    if (Rotation == 1) out = {r.Top, Width - r.Right, r.Bottom, Width - r.Left};
    if (Rotation == 2) out = {Width - r.Right, Height - r.Bottom, Width - r.Left, Height - r.Top};
    if (Rotation == 3) out = {Height - r.Bottom, r.Left, Height - r.Top, r.Right};
    if (Mirror) out = {OutWidth() - out.Right, out.Top, OutWidth() - out.Left, out.Bottom};
    if (UpsideDown) out = {out.Left, OutHeight() - out.Bottom, out.Right, OutHeight() - out.Top};
    return out;
  }

  // The same turns applied to the pixels of one tile.
  void Apply(TBitmap32& tile) const {
    if (Rotation == 1) imaging::RotateBitmapLeft(tile);
    if (Rotation == 2) imaging::RotateBitmap180(tile);
    if (Rotation == 3) imaging::RotateBitmapRight(tile);
    if (Mirror) imaging::MirrorBitmap(tile);
    if (UpsideDown) imaging::FlipBitmap(tile);
  }
};

namespace {

void SplitTile(const TRect& area, double low, double high, std::int64_t maxPixels,
               std::vector<TdocPageTile>& tiles) {
  if (area.Width() * area.Height() <= maxPixels || (area.Width() < 2 && area.Height() < 2)) {
    tiles.push_back({area, high});
    return;
  }
  const double middle = (low + high) / 2;
  TRect first = area, second = area;
  if (area.Height() >= area.Width()) {
    first.Bottom = second.Top = area.Top + static_cast<std::int32_t>(area.Height() / 2);
  } else {
    first.Right = second.Left = area.Left + static_cast<std::int32_t>(area.Width() / 2);
  }
  SplitTile(first, low, middle, maxPixels, tiles);
  SplitTile(second, middle, high, maxPixels, tiles);
}

TRect OffsetRect(const TRect& r, std::int32_t dx, std::int32_t dy) {
  return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

}  // namespace

namespace document {

std::vector<TdocPageTile> SplitPageTiles(std::int32_t width, std::int32_t height, std::int64_t maxPixels) {
  std::vector<TdocPageTile> tiles;
  if (width > 0 && height > 0) SplitTile({0, 0, width, height}, 0.0, 1.0, std::max<std::int64_t>(maxPixels, 1), tiles);
  return tiles;
}

void SendBitmapToCanvas(TCanvas& canvas, const TRect& dest, const TBitmap32& bitmap) {
  if (dest.IsEmpty() || bitmap.IsEmpty() || canvas.GetSurface().IsEmpty()) return;
  if (dest.Width() == bitmap.GetWidth() && dest.Height() == bitmap.GetHeight()) {
    gdi::StretchCopy(canvas.GetSurface(), dest, bitmap.GetHandle(), bitmap.BoundsRect(), TStretchMode::Nearest);
    return;
  }
  // Only the part of dest on the canvas is resampled.
  TRect visible;
  if (!imaging::IntersectIntRect(visible, dest, canvas.GetSurface().Bounds())) return;
  TBitmap32 source;
  source.Assign(&bitmap);
  TBitmap32 scaled;
  scaled.SetSize(static_cast<std::int32_t>(visible.Width()), static_cast<std::int32_t>(visible.Height()));
  imaging::StretchDrawBitmap(scaled, OffsetRect(dest, -visible.Left, -visible.Top), source, dmOpaque, {}, sfLinear,
                             source.BoundsRect());
  gdi::StretchCopy(canvas.GetSurface(), visible, scaled.GetHandle(), scaled.BoundsRect(), TStretchMode::Nearest);
}

}  // namespace document

TColor32 TdocPage::OpaquePageColor() const { return imaging::ColorToColor32(GetPageColor()) | 0xFF000000u; }

TdocRenderOptions TdocPage::PrintOptions(float resolution, float bitmapResolution) const {
  TdocRenderOptions options;
  options.Device = dtPrinter;
  options.Color = OpaquePageColor() & 0x00FFFFFFu;
  // Shapes that size things in pixels take the resolution of the bitmap
  // actually drawn, so they keep their size at any resolution asked.
  options.BitmapResolution = bitmapResolution;
  options.Resolution = resolution;
  const TdocPageHost* host = GetHost();
  options.StretchFilter = host ? host->GetQuality() : sfLinear;
  return options;
}

void TdocPage::RenderPageDefault(TCanvas& canvas, const TRect& rect, bool mirror, bool bottomUp, int rotation) {
  RenderPage(canvas, rect, mirror, bottomUp, rotation, DefaultDpm);
}

void TdocPage::RenderPage(TCanvas& canvas, const TRect& rect, bool mirror, bool bottomUp, int rotation, float dpm) {
  RenderPageWith(rect, mirror, bottomUp, rotation, dpm, [&](const TPageOutput& output, const TdocRenderOptions& options) {
    RenderTiles(canvas, rect, output, options);
  });
}

void TdocPage::RenderPageToBitmap(TBitmap32& bitmap, int rotation, float dpm, TColor32 background) {
  const TRect rect = bitmap.BoundsRect();
  bool drawn = false;
  RenderPageWith(rect, false, false, rotation, dpm, [&](const TPageOutput& output, const TdocRenderOptions& options) {
    drawn = true;
    if (output.Rotation == 0) {
      // The page paints every pixel of its own rectangle (its colour first).
      const TRect page = CentredRect(bitmap, output.Width, output.Height);
      FillAround(bitmap, page, background);
      FillLastRowAndColumn(bitmap, page, OpaquePageColor());
      RenderUnturned(bitmap, output, options);
    } else {
      // Tiles of the plain page colour may be left out.
      bitmap.Clear(background);
      RenderTiles(bitmap.GetCanvas(), rect, output, options);
    }
  });
  if (!drawn) bitmap.Clear(background);
}

void TdocPage::RenderPageAtResolution(TBitmap32& bitmap, float dpm, TColor32 background) {
  // Printing: every cache goes as soon as its shape is drawn.
  if (RenderUnturnedAt(bitmap, dpm, background, {&TdocRenderOptions::FreeCache}) &&
      GetHost()->GetPerformance() != dpSpeedOverMemory)
    ClearRenderCacheAll();
}

bool TdocPage::RenderUnturnedAt(TBitmap32& bitmap, float dpm, TColor32 background,
                                std::initializer_list<bool TdocRenderOptions::*> flags) {
  EnsureLoaded();
  TdocPageHost* host = GetHost();
  const bool valid = host && dpm > 0 && std::isfinite(dpm);
  const TRect page = valid ? TRect{0, 0, ScreenRound(dpm * GetDocWidth()), ScreenRound(dpm * GetDocHeight())} : TRect{};
  const bool drawn = !page.IsEmpty() && !bitmap.IsEmpty();
  if (drawn) {
    TdocPrintingBracket printing(host);
    if (GetDocAngle() != 0) SetDocAngle(0);
    TdocRenderOptions options = PrintOptions(dpm, dpm);
    for (bool TdocRenderOptions::*flag : flags) options.*flag = true;
    RenderShape(bitmap, {0, 0, bitmap.GetWidth() / dpm, bitmap.GetHeight() / dpm}, true, options);
  }
  // Afterwards: shapes reaching past the page's edge draw there too.
  FillAround(bitmap, page, background);
  return drawn;
}

void TdocPage::RenderPageWith(const TRect& rect, bool mirror, bool bottomUp, int rotation, float dpm,
                              const TPageDraw& draw) {
  EnsureLoaded();
  TdocPageHost* host = GetHost();
  if (!host) return;
  TdocPrintingBracket printing(host);
  if (GetDocAngle() != 0) SetDocAngle(0);
  rotation = ((rotation % 4) + 4) % 4;
  const bool quarter = rotation % 2 != 0;
  const double width = quarter ? rect.Height() : rect.Width();
  const double height = quarter ? rect.Width() : rect.Height();
  const double scale = std::min(width / GetDocWidth(), height / GetDocHeight());
  if (!(scale > 0) || !std::isfinite(scale)) return;
  const TRect page{0, 0, ScreenRound(scale * GetDocWidth()), ScreenRound(scale * GetDocHeight())};
  if (page.IsEmpty()) return;
  const float resolution = dpm == 0 ? static_cast<float>(scale) : dpm;
  draw({page.Right, page.Bottom, scale, rotation, mirror, bottomUp}, PrintOptions(resolution, static_cast<float>(scale)));
  if (host->GetPerformance() != dpSpeedOverMemory) ClearRenderCacheAll();
}

void TdocPage::RenderTiles(TCanvas& canvas, const TRect& rect, const TPageOutput& output,
                           const TdocRenderOptions& options) {
  TdocPageHost* host = GetHost();
  // The turned page, centred in rect.
  const std::int32_t left = rect.Left + static_cast<std::int32_t>((rect.Width() - output.OutWidth()) / 2);
  const std::int32_t top = rect.Top + static_cast<std::int32_t>((rect.Height() - output.OutHeight()) / 2);
  const double mmPerPixel = 1 / output.PixelsPerMm;
  const TColor32 pageColor = OpaquePageColor();
  const int count = host->GetProgressCount(), total = host->GetProgressTotal();
  // One bitmap for every tile: the tiles of a page are mostly of one size.
  TBitmap32 tile;
  for (const TdocPageTile& piece : document::SplitPageTiles(output.Width, output.Height, MaxTilePixels)) {
    const TRect& a = piece.Area;
    tile.SetSize(static_cast<std::int32_t>(a.Width()), static_cast<std::int32_t>(a.Height()));
    // The page's colour beneath it, for a last row or column the page ends
    // inside.
    tile.Clear(pageColor);
    const TFloatRect area{static_cast<float>(a.Left * mmPerPixel), static_cast<float>(a.Top * mmPerPixel),
                          static_cast<float>(a.Right * mmPerPixel), static_cast<float>(a.Bottom * mmPerPixel)};
    RenderShape(tile, area, true, options);
    if (!(host->GetOptimizedPrinting() && imaging::IsBitmapSingleColor(&tile, pageColor))) {
      output.Apply(tile);
      document::SendBitmapToCanvas(canvas, OffsetRect(output.Map(a), left, top), tile);
    }
    if (total > 0) host->DoProgress(ptPrint, count, total, static_cast<float>((count - 1 + piece.ProgressEnd) / total));
  }
}

void TdocPage::RenderUnturned(TBitmap32& bitmap, const TPageOutput& output, const TdocRenderOptions& options) {
  // The bitmap's pixel grid continues the page's around it.
  const TRect page = CentredRect(bitmap, output.Width, output.Height);
  const std::int32_t left = page.Left, top = page.Top;
  const double mmPerPixel = 1 / output.PixelsPerMm;
  const TFloatRect area{static_cast<float>(-left * mmPerPixel), static_cast<float>(-top * mmPerPixel),
                        static_cast<float>((bitmap.GetWidth() - left) * mmPerPixel),
                        static_cast<float>((bitmap.GetHeight() - top) * mmPerPixel)};
  RenderInBands(bitmap, area, options);
  TdocPageHost* host = GetHost();
  const int count = host->GetProgressCount(), total = host->GetProgressTotal();
  if (total > 0) host->DoProgress(ptPrint, count, total, static_cast<float>(count) / total);
}

void TdocPage::RenderInBands(TBitmap32& bitmap, const TFloatRect& area, TdocRenderOptions options) {
  // Each band is filled and painted over while it sits in the processor's
  // cache; a shape's cache, made in the first band the shape reaches, serves
  // the following ones and goes once the bands have passed the shape.
  options.FreeCache = false;
  const TRect whole = bitmap.GetClipRect();
  const double pixelsPerMm = bitmap.GetHeight() / (double{area.Bottom} - area.Top);
  for (std::int32_t top = whole.Top; top < whole.Bottom; top += BandRows) {
    const std::int32_t bottom = std::min(top + BandRows, whole.Bottom);
    bitmap.SetClipRect({whole.Left, top, whole.Right, bottom});
    RenderShape(bitmap, area, true, options);
    for (int i = 0; i < GetShapeCount(); ++i) {
      TdocShape* child = GetShapes(i);
      // The margin the clip test gives a shape's box.
      if ((child->GetBox(true).Bottom - area.Top) * pixelsPerMm + 2 <= bottom) child->ClearRenderCacheAll();
    }
  }
  bitmap.SetClipRect(whole);
}

TRect TdocPage::PaintPageToCanvas(TCanvas& canvas, const TRect& rect, float maxDpm, bool fit) {
  EnsureLoaded();
  TdocPageHost* host = GetHost();
  TdocPrintingBracket printing(host);
  const float width = GetDocWidth(), height = GetDocHeight();
  double resolution = host ? host->GetRenderResolution() : DefaultDpm;
  if (!(resolution > 0) || !std::isfinite(resolution)) resolution = DefaultDpm;
  resolution = std::min(resolution, std::sqrt(MaxPaintPixels / (double{width} * height)));
  const std::int32_t bitmapWidth = std::max(1, ScreenRound(resolution * width));
  const std::int32_t bitmapHeight = std::max(1, ScreenRound(resolution * height));
  TRect target = rect;
  if (fit) {
    const double s = std::min(rect.Width() / double(bitmapWidth), rect.Height() / double(bitmapHeight));
    const std::int32_t w = ScreenRound(bitmapWidth * s), h = ScreenRound(bitmapHeight * s);
    const std::int32_t x = rect.Left + static_cast<std::int32_t>((rect.Width() - w) / 2);
    const std::int32_t y = rect.Top + static_cast<std::int32_t>((rect.Height() - h) / 2);
    target = {x, y, x + w, y + h};
  }
  if (target.IsEmpty()) return target;
  TBitmap32 bitmap;
  bitmap.SetSize(bitmapWidth, bitmapHeight);
  bitmap.Clear(0);
  const float bitmapResolution = static_cast<float>(bitmapWidth / double{width});
  RenderShape(bitmap, {0, 0, width, height}, true,
              PrintOptions(std::min(static_cast<float>(resolution), maxDpm), bitmapResolution));
  document::SendBitmapToCanvas(canvas, target, bitmap);
  return target;
}

// ---- thumbnail

void TdocPage::PageUpdated() {
  GetThumbnail();
  if (TdocPageHost* host = GetHost()) host->DoPageChanged(this);
}

const TBitmap* TdocPage::GetThumbnail() {
  if (ThumbnailLoader) {
    const auto loader = std::exchange(ThumbnailLoader, nullptr);
    if (!ThumbnailDirty) Thumbnail = loader();
  }
  if (Thumbnail && !ThumbnailDirty) return Thumbnail.get();
  TdocPageHost* host = GetHost();
  if (!host) return Thumbnail.get();
  EnsureLoaded();
  const int width = std::clamp(host->GetThumbnailWidth(), 0, MaxThumbnailSide);
  const int height = std::clamp(host->GetThumbnailHeight(), 0, MaxThumbnailSide);
  auto thumbnail = std::make_unique<TBitmap>();
  thumbnail->SetPixelFormat(pf24bit);
  thumbnail->SetSize(width, height);
  ThumbnailDirty = false;
  if (thumbnail->Empty()) {
    Thumbnail = std::move(thumbnail);
    return Thumbnail.get();
  }
  TCanvas& canvas = thumbnail->GetCanvas();
  canvas.GetBrush().SetColor(host->GetColor());
  canvas.FillRect({0, 0, width, height});
  const TRect page = PaintThumbnailPage(canvas, {1, 1, width - 1, height - 1});
  if (!page.IsEmpty()) {
    canvas.GetPen().SetColor(clBlack);
    canvas.GetBrush().SetStyle(bsClear);
    canvas.Rectangle(page.Left - 1, page.Top - 1, page.Right + 1, page.Bottom + 1);
  }
  Thumbnail = std::move(thumbnail);
  return Thumbnail.get();
}

TRect TdocPage::PaintThumbnailPage(TCanvas& canvas, const TRect& rect) {
  // The shapes draw straight at the thumbnail's few pixels per millimetre:
  // a page of thousands of shapes then costs no more than their outlines,
  // where a full-size picture reduced afterwards cost a cache per shape.
  const double width = GetDocWidth(), height = GetDocHeight();
  const double scale = std::min(rect.Width() / width, rect.Height() / height);
  if (!(scale > 0) || !std::isfinite(scale)) return {};
  const std::int32_t w = ScreenRound(scale * width), h = ScreenRound(scale * height);
  const std::int32_t x = rect.Left + static_cast<std::int32_t>((rect.Width() - w) / 2);
  const std::int32_t y = rect.Top + static_cast<std::int32_t>((rect.Height() - h) / 2);
  const TRect target{x, y, x + w, y + h};
  if (target.IsEmpty()) return target;
  TBitmap32 bitmap;
  bitmap.SetSize(w, h);
  // The page's colour beneath a last row or column the page ends inside.
  bitmap.Clear(OpaquePageColor());
  if (!RenderUnturnedAt(bitmap, static_cast<float>(scale), OpaquePageColor(),
                        {&TdocRenderOptions::FreeNewCache, &TdocRenderOptions::Miniature}))
    return {};
  document::SendBitmapToCanvas(canvas, target, bitmap);
  return target;
}

void TdocPage::SetThumbnailLoader(std::function<std::unique_ptr<TBitmap>()> loader) {
  ThumbnailLoader = std::move(loader);
  ThumbnailDirty = false;
}

void TdocPage::SetThumbnail(const TBitmap* bitmap) {
  ThumbnailLoader = nullptr;
  if (bitmap) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(bitmap);
    Thumbnail = std::move(copy);
  } else {
    Thumbnail.reset();
  }
  ThumbnailDirty = false;
}

void TdocPage::SaveThumbnailToStream(TStream& stream) const {
  if (!Thumbnail || Thumbnail->Empty()) return;
  const TPixelSurface& pixels = Thumbnail->GetSurface();
  const std::uint32_t rowSize = (static_cast<std::uint32_t>(pixels.Width) * 3 + 3) & ~3u;
  const std::uint32_t imageSize = rowSize * static_cast<std::uint32_t>(pixels.Height);
  constexpr std::uint32_t HeaderSize = 14 + 40;
  // File header.
  rtl::WriteLE<std::uint16_t>(stream, 0x4D42);  // "BM"
  rtl::WriteLE<std::uint32_t>(stream, HeaderSize + imageSize);
  rtl::WriteLE<std::uint32_t>(stream, 0);
  rtl::WriteLE<std::uint32_t>(stream, HeaderSize);
  // Info header: bottom-up rows of 24-bit pixels, uncompressed.
  rtl::WriteLE<std::uint32_t>(stream, 40);
  rtl::WriteLE<std::int32_t>(stream, pixels.Width);
  rtl::WriteLE<std::int32_t>(stream, pixels.Height);
  rtl::WriteLE<std::uint16_t>(stream, 1);
  rtl::WriteLE<std::uint16_t>(stream, 24);
  rtl::WriteLE<std::uint32_t>(stream, 0);
  rtl::WriteLE<std::uint32_t>(stream, imageSize);
  rtl::WriteLE<std::int32_t>(stream, 3780);  // 96 dots per inch
  rtl::WriteLE<std::int32_t>(stream, 3780);
  rtl::WriteLE<std::uint32_t>(stream, 0);
  rtl::WriteLE<std::uint32_t>(stream, 0);
  std::vector<std::uint8_t> row(rowSize, 0);
  for (int y = pixels.Height - 1; y >= 0; --y) {
    const std::uint32_t* line = pixels.ScanLine(y);
    for (int x = 0; x < pixels.Width; ++x) {
      row[std::size_t(x) * 3] = static_cast<std::uint8_t>(line[x]);
      row[std::size_t(x) * 3 + 1] = static_cast<std::uint8_t>(line[x] >> 8);
      row[std::size_t(x) * 3 + 2] = static_cast<std::uint8_t>(line[x] >> 16);
    }
    stream.WriteBuffer(row.data(), rowSize);
  }
}
