#include "document/text/FontRenderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "document/text/FixedValues.h"
#include "document/text/FontManager.h"
#include "document/text/GlyphPolygon.h"

namespace {

using document::SaturatedFixed;

constexpr double kFixedOne = 65536.0;
// Subdivided edges get no pieces shorter than a quarter pixel and no more
// than this many pieces, so that a tiny segment length cannot flood memory.
constexpr TFixed kMinSegment = 16384;
constexpr std::int64_t kMaxEdgeParts = 4096;
// Bands in font units, y down from the baseline.
constexpr double kUnderlineTop = -105;
constexpr double kUnderlineBottom = -30;
constexpr double kStrikeOutTop = 200;
constexpr double kStrikeOutBottom = 255;

// Maps 16.16 font units to 16.16 pixels: p x k + origin.
struct TGlyphMapping {
  double K;
  double X;
  double Y;
  TFixedPoint operator()(const TFixedPoint& p) const { return {SaturatedFixed(p.X * K + X), SaturatedFixed(p.Y * K + Y)}; }
};

double EdgeLength(std::int64_t dx, std::int64_t dy) {
  if (dx == 0) return double(std::llabs(dy));
  if (dy == 0) return double(std::llabs(dx));
  return std::nearbyint(std::hypot(double(dx), double(dy)));
}

// Every edge (the closing one included) split into pieces of about seg;
// stops once out holds more than most points.
void SubdivideContour(const TArrayOfFixedPoint& in, TFixed seg, std::int64_t most, TArrayOfFixedPoint& out) {
  if (in.size() < 2) return;
  for (std::size_t i = 0; i < in.size() && std::int64_t(out.size()) <= most; ++i) {
    const TFixedPoint& a = in[i];
    const TFixedPoint& b = in[(i + 1) % in.size()];
    const std::int64_t dx = std::int64_t{b.X} - a.X;
    const std::int64_t dy = std::int64_t{b.Y} - a.Y;
    const auto parts = std::clamp<std::int64_t>(std::llrint(EdgeLength(dx, dy) / seg), 1, kMaxEdgeParts);
    out.push_back(a);
    for (std::int64_t j = 1; j < parts; ++j) {
      const double t = double(j) / double(parts);
      out.push_back({SaturatedFixed(a.X + dx * t), SaturatedFixed(a.Y + dy * t)});
    }
  }
}

// A rectangle from x0 to x1 and y0 to y1 (font units), its corners in the
// order that winds like the glyphs (orientation 2 reverses it).
std::array<TFixedPoint, 4> BandCorners(double x1, double y0, double y1, int orientation) {
  const auto fixed = [](double v) { return SaturatedFixed(v * kFixedOne); };
  std::array<TFixedPoint, 4> corners = {TFixedPoint{0, fixed(y0)}, TFixedPoint{fixed(x1), fixed(y0)},
                                        TFixedPoint{fixed(x1), fixed(y1)}, TFixedPoint{0, fixed(y1)}};
  if (orientation == 2) std::reverse(corners.begin(), corners.end());
  return corners;
}

}  // namespace

double TdocFontRenderer::EmHeight() const { return std::isfinite(FontHeight) ? std::fabs(FontHeight) : 0.0; }

double TdocFontRenderer::GetAscent() const { return font ? font->Ascent * UnitScale() : 0.0; }

double TdocFontRenderer::GetLineHeight() const { return font ? font->GetLineHeight(EmHeight()) : 0.0; }

double TdocFontRenderer::InkLead(TdocGlyph& first) const {
  return InkBounds && first.OriginX < 0 ? -double(first.OriginX) : 0.0;
}

void TdocFontRenderer::GetCharPositions(std::u16string_view text, std::vector<double>& positions) const {
  positions.clear();
  if (font == nullptr) return;
  const double unit = UnitScale();
  double pen = text.empty() ? 0.0 : InkLead(*font->GetGlyph(text.front())) * unit;
  for (char16_t code : text) {
    positions.push_back(pen);
    pen += (font->GetGlyph(code)->Advance + CharacterSpacing * kEmUnits) * unit;
  }
  positions.push_back(pen);
}

void TdocFontRenderer::GetTextWidth(std::u16string_view text, double& width, double& height) const {
  height = GetLineHeight();
  width = 0;
  if (font == nullptr || text.empty()) return;
  double units = 0;
  for (char16_t code : text) units += font->GetGlyph(code)->Advance;
  if (InkBounds) {
    const TdocGlyph& last = *font->GetGlyph(text.back());
    units += InkLead(*font->GetGlyph(text.front())) - last.Advance + double(last.OriginX) + last.BlackBoxX;
  }
  if (CharacterSpacing != 0 && text.size() > 1) units += double(text.size() - 1) * CharacterSpacing * kEmUnits;
  width = units * UnitScale();
}

TdocOutlineCharge TdocFontRenderer::RenderText(std::u16string_view text, TPolygon32& polygon, double originX,
                                               double originY, double scale) const {
  if (Placements != nullptr) Placements->Clear();
  TdocOutlineCharge drawn;
  if (font == nullptr) return drawn;
  const double k = scale * UnitScale();
  TGlyphMapping map{k, originX * kFixedOne, originY * kFixedOne};
  const double spacing = CharacterSpacing * kEmUnits;
  TFixed seg = SaturatedFixed(MaxSegment * scale * kFixedOne);
  if (seg > 0) seg = std::max(seg, kMinSegment);
  if (!text.empty()) map.X += InkLead(*font->GetGlyph(text.front())) * k * kFixedOne;

  const TFontStyles style = font->GetStyleBits();
  const bool underline = (style & FontStyleBit(fsUnderline)) != 0;
  const bool strikeOut = (style & FontStyleBit(fsStrikeOut)) != 0;
  int orientation = -1;  // found when the first band needs it
  // One character's contours, added to the polygon once they fit the allowance.
  TArrayOfArrayOfFixedPoint contours;
  TArrayOfFixedPoint mapped;
  std::int64_t points = 0;
  const auto addContour = [&](const TFixedPoint* from, std::size_t count) {
    // A character already past the allowance is not drawn: its contours
    // need not be made.
    if (points > Allowance.Points - drawn.Points) return;
    mapped.clear();
    for (std::size_t i = 0; i < count; ++i) mapped.push_back(map(from[i]));
    TArrayOfFixedPoint& contour = contours.emplace_back();
    if (seg <= 0)
      contour = mapped;
    else
      SubdivideContour(mapped, seg, Allowance.Points - drawn.Points - points, contour);
    points += static_cast<std::int64_t>(contour.size());
  };

  for (std::size_t i = 0; i < text.size() && drawn.Characters < Allowance.Characters; ++i) {
    TdocGlyph& glyph = *font->GetGlyph(text[i]);
    contours.clear();
    points = 0;
    if (glyph.Outline)
      for (const TArrayOfFixedPoint& contour : glyph.Outline->GetPoints()) addContour(contour.data(), contour.size());
    if ((underline || strikeOut) && orientation < 0) {
      orientation = 0;
      for (std::size_t j = i; j < text.size() && orientation == 0; ++j)
        orientation = GlyphOrientation(font->GetGlyph(text[j])->Outline.get());
    }
    const auto addBand = [&](double top, double bottom) {
      const auto corners = BandCorners(glyph.Advance + spacing, top, bottom, orientation);
      addContour(corners.data(), corners.size());
    };
    const double descent = font->Descent;
    const double halfAscent = double(font->Ascent / 2);
    if (underline) addBand(descent + kUnderlineTop, descent + kUnderlineBottom);
    if (strikeOut) addBand(kStrikeOutTop - halfAscent, kStrikeOutBottom - halfAscent);
    if (points > Allowance.Points - drawn.Points) break;
    if (Placements != nullptr) {
      auto placement = std::make_unique<TdocGlyphPlacement>();
      placement->StartX = SaturatedFixed(map.X);
      placement->EndX = SaturatedFixed(glyph.BlackBoxX * k * kFixedOne + map.X);
      placement->FirstContour = static_cast<std::int32_t>(polygon.GetPoints().size());
      placement->ContourCount = static_cast<std::int32_t>(contours.size());
      Placements->Insert(Placements->GetCount(), std::move(placement));
    }
    for (const TArrayOfFixedPoint& contour : contours) {
      polygon.NewLine();
      polygon.AddPoints(contour.data(), contour.size());
    }
    drawn.Characters += 1;
    drawn.Points += points;
    map.X += (glyph.Advance + spacing) * kFixedOne * k;
  }
  return drawn;
}
