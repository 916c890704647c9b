#include "platform/gdi/RealizedFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

#include "platform/gdi/FaceCache.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/FontMatch.h"
#include "platform/rtl/Numbers.h"

namespace gdi {
namespace {

constexpr int kDefaultEmPixels = 16;
constexpr int kMaxPixels = 16384;
constexpr int kBoldWeight = 600;

struct TFaceMetrics {
  double WinAscent;
  double WinDescent;
  double StrikeOutPosition;  // top of the stroke above the baseline
  double StrikeOutSize;
};

TFaceMetrics ReadFaceMetrics(FT_Face face) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const double units = face->units_per_EM;
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
    return {double(os2->usWinAscent), double(os2->usWinDescent), double(os2->yStrikeoutPosition),
            double(os2->yStrikeoutSize)};
  // Faces without an OS/2 table fall back to their horizontal header.
  const double ascent = std::max<double>(face->ascender, 1);
  return {ascent, std::max<double>(-face->descender, 0), units * 0.25, std::max<double>(face->underline_thickness, units / 20)};
}

int FaceWeight(FT_Face face) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWeightClass > 0) return os2->usWeightClass;
  return (face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ? 700 : 400;
}

bool FaceIsItalic(FT_Face face) { return (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0; }

}  // namespace

unsigned TRealizedFont::GlyphIndex(char32_t codePoint) const {
  if (Face->charmap != nullptr && Face->charmap->encoding == FT_ENCODING_MS_SYMBOL && codePoint < 0x100)
    codePoint += 0xF000;
  return FT_Get_Char_Index(Face, codePoint);
}

int TRealizedFont::Advance(unsigned glyphIndex) const {
  FT_Fixed units = 0;
  if (FT_Get_Advance(Face, glyphIndex, FT_LOAD_NO_SCALE, &units) != 0) return 0;
  return rtl::Round(double(units) * EmPixels / Face->units_per_EM) + (SyntheticBold ? 1 : 0);
}

int TRealizedFont::TextWidth(std::u32string_view text) const {
  int width = 0;
  for (char32_t c : text) width += Advance(GlyphIndex(c));
  return width;
}

FT_Outline* TRealizedFont::LoadStyledOutline(unsigned glyphIndex) const {
  if (FT_Load_Glyph(Face, glyphIndex, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return nullptr;
  if (Face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
  FT_Outline* outline = &Face->glyph->outline;
  if (SyntheticBold) FT_Outline_Embolden(outline, std::lround(EmPixels * 64 / 24));
  return outline;
}

TRealizedFont RealizeFont(const TFont& font) {
  const bool italic = (font.GetStyle() & FontStyleBit(fsItalic)) != 0;
  const int weight = font.GetWeight() <= 0 ? 400 : font.GetWeight();
  TRealizedFont realized;
  realized.Face = OpenFace(MatchFontFile(font.GetName(), weight, italic));
  const TFaceMetrics metrics = ReadFaceMetrics(realized.Face);
  const double cellUnits = metrics.WinAscent + metrics.WinDescent;
  const double units = realized.Face->units_per_EM;

  const int height = std::clamp(font.GetHeight(), -kMaxPixels, kMaxPixels);
  if (height > 0) {
    realized.EmPixels = height * units / cellUnits;
    realized.Ascent = rtl::Round(metrics.WinAscent * height / cellUnits);
    realized.Descent = height - realized.Ascent;
  } else {
    realized.EmPixels = height < 0 ? -height : kDefaultEmPixels;
    realized.Ascent = rtl::Round(metrics.WinAscent * realized.EmPixels / units);
    realized.Descent = rtl::Round(metrics.WinDescent * realized.EmPixels / units);
  }
  const double scale = realized.EmPixels / units;
  realized.Escapement = font.GetEscapement();
  realized.SyntheticBold = weight >= kBoldWeight && FaceWeight(realized.Face) < kBoldWeight;
  realized.SyntheticItalic = italic && !FaceIsItalic(realized.Face);
  realized.Underline = (font.GetStyle() & FontStyleBit(fsUnderline)) != 0;
  realized.StrikeOut = (font.GetStyle() & FontStyleBit(fsStrikeOut)) != 0;
  realized.UnderlineThickness = std::max(1.0, std::round(realized.Face->underline_thickness * scale));
  realized.UnderlineTop = std::round(-realized.Face->underline_position * scale - realized.UnderlineThickness / 2);
  realized.StrikeOutThickness = std::max(1.0, std::round(metrics.StrikeOutSize * scale));
  realized.StrikeOutTop = -std::round(metrics.StrikeOutPosition * scale);
  return realized;
}

}  // namespace gdi
