#pragma once
// Laying out and drawing one line of text from a font's cached glyphs: pen
// positions and widths in document units, and the glyph outlines appended to
// a polygon in 16.16 pixels, with underline and strike-out bands.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/text/OutlineBudget.h"
#include "imaging/polygon/Polygon32.h"
#include "imaging/util/SortedLists.h"
#include "platform/rtl/Persistent.h"

class TdocFont;
class TdocGlyph;

// Where one laid-out character went: pen x before it and pen x plus its
// black box width (16.16 pixels), and the polygon contours it added.
class TdocGlyphPlacement : public TPersistent {
public:
  std::string ClassName() const override { return "TdocGlyphPlacement"; }

  std::int32_t StartX = 0;
  std::int32_t EndX = 0;
  std::int32_t FirstContour = 0;
  std::int32_t ContourCount = 0;
};

using TdocGlyphPlacementList = TCustomObjectList<TdocGlyphPlacement>;

class TdocFontRenderer : public TPersistent {
public:
  explicit TdocFontRenderer(TdocFont* font) : font(font) {}

  std::string ClassName() const override { return "TdocFontRenderer"; }

  // In document units; the em height is FontHeight taken as a size (its
  // magnitude: a negative height draws upright, not mirrored).
  double GetAscent() const;
  double GetLineHeight() const;
  // The pen x before each character and after the last one.
  void GetCharPositions(std::u16string_view text, std::vector<double>& positions) const;
  void GetTextWidth(std::u16string_view text, double& width, double& height) const;
  // Appends the outlines of a line of text to polygon. Scale is pixels per
  // document unit; the origin is the baseline start in pixels. Stops before
  // the first character past Allowance (its count, or the points its
  // contours would add); answers what it laid out.
  TdocOutlineCharge RenderText(std::u16string_view text, TPolygon32& polygon, double originX, double originY,
                               double scale) const;

  TdocFont* font;  // not owned
  bool UseKerning = false;  // kept for the shapes; no layout applies kerning
  // Measure and place from the ink of the first and last glyphs.
  bool InkBounds = false;
  // Extra advance per character as a fraction of the em.
  double CharacterSpacing = 0;
  // Em height in document units.
  double FontHeight = 0;
  // 0, or the longest outline edge in document units.
  double MaxSegment = 0;
  TdocGlyphPlacementList* Placements = nullptr;  // not owned
  TdocOutlineCharge Allowance = TdocOutlineCharge::Unlimited();
  double WordSpacing = 0;  // kept for the shapes; no layout applies it

private:
  double EmHeight() const;
  // Document units per font unit.
  double UnitScale() const { return EmHeight() / 1000.0; }
  double InkLead(TdocGlyph& first) const;
};
