#include "platform/gdi/TextRaster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/gdi/FaceCache.h"

namespace gdi {
namespace {

struct TBlendTarget {
  const TPixelSurface* Surface;
  TRect Clip;
  std::uint32_t Pixel;
};

std::uint32_t BlendChannel(std::uint32_t source, std::uint32_t dest, std::uint32_t coverage) {
  return (source * coverage + dest * (255 - coverage) + 127) / 255;
}

std::uint32_t Blend(std::uint32_t source, std::uint32_t dest, std::uint32_t coverage) {
  std::uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8)
    result |= BlendChannel((source >> shift) & 0xFF, (dest >> shift) & 0xFF, coverage) << shift;
  return result;  // alpha 0, as GDI leaves every pixel it draws
}

// FreeType works with y pointing up; the outline is placed at y = -row, so
// its span row y is the surface row -y - 1.
void BlendSpans(int y, int count, const FT_Span* spans, void* user) {
  const auto& target = *static_cast<const TBlendTarget*>(user);
  const int row = -y - 1;
  if (row < target.Clip.Top || row >= target.Clip.Bottom) return;
  std::uint32_t* line = target.Surface->ScanLine(row);
  for (int i = 0; i < count; ++i) {
    const int first = std::max<int>(spans[i].x, target.Clip.Left);
    const int last = std::min<int>(spans[i].x + spans[i].len, target.Clip.Right);
    for (int x = first; x < last; ++x) line[x] = Blend(target.Pixel, line[x], spans[i].coverage);
  }
}

// Maps the text's own frame (u along the baseline, v down the cell, origin
// at the cell's top-left) onto the surface.
struct TTextFrame {
  double OriginX;
  double OriginY;
  double Cos;
  double Sin;

  double DeviceX(double u, double v) const { return OriginX + u * Cos + v * Sin; }
  double DeviceY(double u, double v) const { return OriginY - u * Sin + v * Cos; }
  // The same point in FreeType's 26.6 coordinates, y up.
  FT_Vector FreeTypePoint(double u, double v) const {
    return FT_Vector{std::lround(DeviceX(u, v) * 64), std::lround(-DeviceY(u, v) * 64)};
  }
};

class TOutlineRenderer {
public:
  TOutlineRenderer(const TPixelSurface& surface, const TRect& clip, std::uint32_t pixel)
      : Target{&surface, clip, pixel} {
    Params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    Params.gray_spans = BlendSpans;
    Params.user = &Target;
    Params.clip_box = FT_BBox{clip.Left, -clip.Bottom, clip.Right, -clip.Top};
  }

  void Render(FT_Outline* outline) {
    Params.source = outline;
    FT_Outline_Render(FreeTypeLibrary(), outline, &Params);
  }

private:
  TBlendTarget Target;
  FT_Raster_Params Params{};
};

FT_Matrix GlyphMatrix(const TRealizedFont& font, const TTextFrame& frame) {
  const auto fixed = [](double v) { return static_cast<FT_Fixed>(std::lround(v * 65536)); };
  const double shear = font.SyntheticItalic ? kObliqueShear / 65536.0 : 0.0;
  // Rotation (in FreeType's y-up space) after the italic shear.
  return FT_Matrix{fixed(frame.Cos), fixed(frame.Cos * shear - frame.Sin), fixed(frame.Sin),
                   fixed(frame.Sin * shear + frame.Cos)};
}

void RenderGlyph(TOutlineRenderer& renderer, const TRealizedFont& font, const TTextFrame& frame, unsigned glyph,
                 double penU) {
  FT_Outline* outline = font.LoadStyledOutline(glyph);
  if (outline == nullptr) return;
  FT_Matrix matrix = GlyphMatrix(font, frame);
  FT_Outline_Transform(outline, &matrix);
  const FT_Vector origin = frame.FreeTypePoint(penU, font.Ascent);
  FT_Outline_Translate(outline, origin.x, origin.y);
  renderer.Render(outline);
}

// Unturned text sits on whole pixels: a glyph's coverage is the same
// wherever it lands, so it is rendered once per face, size and style and
// then only blended. A run of one row of a glyph, relative to the glyph's
// cell origin.
struct TCoverageRun {
  int Row;
  int X;
  int Length;
  unsigned char Coverage;
};

struct TGlyphKey {
  FT_Face Face;
  long EmPixels64;
  unsigned Glyph;
  bool Bold;
  bool Italic;
  bool operator==(const TGlyphKey&) const = default;
};

struct TGlyphKeyHash {
  std::size_t operator()(const TGlyphKey& k) const {
    std::size_t h = std::hash<const void*>()(k.Face);
    h = h * 1000003u ^ std::hash<long>()(k.EmPixels64);
    h = h * 1000003u ^ k.Glyph;
    return h * 4u + (k.Bold ? 2u : 0u) + (k.Italic ? 1u : 0u);
  }
};

// At most this many runs are kept; the cache starts afresh beyond it.
constexpr std::size_t MaxCachedRuns = std::size_t{1} << 22;

void CollectRuns(int y, int count, const FT_Span* spans, void* user) {
  auto& runs = *static_cast<std::vector<TCoverageRun>*>(user);
  for (int i = 0; i < count; ++i) runs.push_back({-y - 1, spans[i].x, spans[i].len, spans[i].coverage});
}

const std::vector<TCoverageRun>& GlyphRuns(const TRealizedFont& font, unsigned glyph) {
  static std::unordered_map<TGlyphKey, std::vector<TCoverageRun>, TGlyphKeyHash> cache;
  static std::size_t cachedRuns = 0;
  const TGlyphKey key{font.Face, std::lround(font.EmPixels * 64), glyph, font.SyntheticBold, font.SyntheticItalic};
  if (const auto found = cache.find(key); found != cache.end()) return found->second;
  if (cachedRuns > MaxCachedRuns) {
    cache.clear();
    cachedRuns = 0;
  }
  std::vector<TCoverageRun>& runs = cache[key];
  if (FT_Outline* outline = font.LoadStyledOutline(glyph)) {
    const TTextFrame frame{0, 0, 1, 0};
    FT_Matrix matrix = GlyphMatrix(font, frame);
    FT_Outline_Transform(outline, &matrix);
    const FT_Vector origin = frame.FreeTypePoint(0, font.Ascent);
    FT_Outline_Translate(outline, origin.x, origin.y);
    FT_Raster_Params params{};
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.gray_spans = CollectRuns;
    params.user = &runs;
    params.clip_box = FT_BBox{-32768, -32768, 32767, 32767};
    params.source = outline;
    FT_Outline_Render(FreeTypeLibrary(), outline, &params);
  }
  cachedRuns += runs.size() + 1;
  return runs;
}

void BlendGlyph(const TBlendTarget& target, const std::vector<TCoverageRun>& runs, std::int64_t dx, std::int64_t dy) {
  // A glyph placed far off the surface must not overflow its pixel offsets.
  for (const TCoverageRun& run : runs) {
    const std::int64_t row = std::int64_t{run.Row} + dy;
    if (row < target.Clip.Top || row >= target.Clip.Bottom) continue;
    const std::int64_t start = std::int64_t{run.X} + dx;
    const std::int64_t first = std::max<std::int64_t>(start, target.Clip.Left);
    const std::int64_t last = std::min<std::int64_t>(start + run.Length, target.Clip.Right);
    if (first >= last) continue;
    std::uint32_t* line = target.Surface->ScanLine(static_cast<int>(row));
    // Text mostly lands on a cleared ground: there a run's pixels are all
    // the same blend, worked out once.
    const std::uint32_t onClear = Blend(target.Pixel, 0, run.Coverage);
    // A fully covered run (most of a large glyph) is the text colour whatever
    // lies beneath.
    if (run.Coverage == 255) {
      std::fill(line + first, line + last, onClear);
      continue;
    }
    for (auto x = static_cast<int>(first); x < static_cast<int>(last); ++x)
      line[x] = line[x] == 0 ? onClear : Blend(target.Pixel, line[x], run.Coverage);
  }
}

// Underline and strike-out: a band under the whole line, turned with it.
void RenderBand(TOutlineRenderer& renderer, const TTextFrame& frame, double width, double top, double thickness) {
  std::array<FT_Vector, 4> points = {frame.FreeTypePoint(0, top), frame.FreeTypePoint(width, top),
                                     frame.FreeTypePoint(width, top + thickness),
                                     frame.FreeTypePoint(0, top + thickness)};
  std::array<char, 4> tags = {FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON};
  short lastPoint = 3;
  FT_Outline band{};
  band.n_contours = 1;
  band.n_points = 4;
  band.points = points.data();
  band.tags = tags.data();
  band.contours = &lastPoint;
  renderer.Render(&band);
}

}  // namespace

void RenderTextLine(const TPixelSurface& surface, const TRect& clip, const TRealizedFont& font, TPoint origin,
                    std::u32string_view text, std::uint32_t pixel) {
  if (surface.IsEmpty() || clip.IsEmpty() || text.empty()) return;
  const double angle = font.Escapement / 10.0 * std::numbers::pi / 180.0;
  const TTextFrame frame{double(origin.X), double(origin.Y), std::cos(angle), std::sin(angle)};
  TOutlineRenderer renderer(surface, clip, pixel);
  FT_Set_Char_Size(font.Face, 0, std::lround(font.EmPixels * 64), 72, 72);
  FT_Set_Transform(font.Face, nullptr, nullptr);
  double penU = 0;
  const TBlendTarget target{&surface, clip, pixel};
  for (char32_t c : text) {
    const unsigned glyph = font.GlyphIndex(c);
    if (font.Escapement == 0)
      BlendGlyph(target, GlyphRuns(font, glyph), std::int64_t{origin.X} + static_cast<std::int64_t>(penU), origin.Y);
    else
      RenderGlyph(renderer, font, frame, glyph, penU);
    penU += font.Advance(glyph);
  }
  const double baseline = font.Ascent;
  if (font.Underline) RenderBand(renderer, frame, penU, baseline + font.UnderlineTop, font.UnderlineThickness);
  if (font.StrikeOut) RenderBand(renderer, frame, penU, baseline + font.StrikeOutTop, font.StrikeOutThickness);
}

}  // namespace gdi
