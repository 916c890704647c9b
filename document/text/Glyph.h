#pragma once
// One cached glyph of a font: its metrics and outline in units of a
// 1000-unit em, and the list of a font's glyphs kept in code order.

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/polygon/Polygon32.h"
#include "imaging/util/SortedLists.h"
#include "platform/rtl/Persistent.h"

class TdocFont;

// A glyph with more outline points is not used (a stored one is left out,
// one from the font engine gets no outline): real glyphs have at most a few
// thousand, and each point is drawn at every use of the glyph.
inline constexpr std::int64_t MaxGlyphPoints = 16384;

class TdocGlyph : public TPersistent {
public:
  explicit TdocGlyph(char16_t code = 0, TdocFont* font = nullptr) : Code(code), font(font) {}

  std::string ClassName() const override { return "TdocGlyph"; }

  // The outline's contour count, 0 without outline.
  int ContourCount() const { return Outline ? static_cast<int>(Outline->GetPoints().size()) : 0; }
  // The points of all contours of an outline.
  static std::int64_t PointCount(const TPolygon32& outline);

  char16_t Code;
  std::int32_t Advance = 0;
  std::int32_t Advance2 = 0;
  // Upper-left corner of the black box, y up as the engine gives it.
  std::int32_t OriginX = 0;
  std::int32_t OriginY = 0;
  std::int32_t BlackBoxX = 0;
  std::int32_t BlackBoxY = 0;
  TdocFont* font;  // owner
  // 16.16 font units, y down; none for glyphs without ink (a space).
  std::unique_ptr<TPolygon32> Outline;
};

// Owns its glyphs, kept in ascending code order.
class TdocGlyphList : public TSortedList<TdocGlyph> {
public:
  // The glyph with this code, or null; index receives where it is or
  // where it belongs.
  TdocGlyph* FindCode(char16_t code, int& index) const;

protected:
  int DoCompare(const TdocGlyph& item1, const TdocGlyph& item2) const override {
    return int{item1.Code} - int{item2.Code};
  }
};
