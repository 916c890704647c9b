#pragma once
// A TFont made concrete: the matched FreeType face at the pixel size the
// font asks for, with the cell metrics GDI derives from the face. The cell
// height is the OS/2 win ascent + win descent scaled to the size; a negative
// TFont height is the em size in pixels, a positive one the cell height,
// and 0 the default em size of 16 pixels. Sizes are held to at most 16384
// pixels. A weight or slant the matched face lacks is synthesised: bold by
// thickening the outlines (each advance grows by one pixel, as with GDI's
// emboldening), italic by slanting them.

#include <string_view>

struct FT_FaceRec_;
struct FT_Outline_;

class TFont;

namespace gdi {

// The slant FreeType itself gives oblique faces (about 12 degrees), in 16.16.
constexpr long kObliqueShear = 0x0366A;

struct TRealizedFont {
  FT_FaceRec_* Face = nullptr;  // owned by the face cache
  double EmPixels = 0;
  int Ascent = 0;   // whole pixels from the cell top to the baseline
  int Descent = 0;  // whole pixels from the baseline to the cell bottom
  int Escapement = 0;  // tenths of a degree, counter-clockwise
  bool SyntheticBold = false;    // bold asked for, the face is not bold
  bool SyntheticItalic = false;  // italic asked for, the face is upright
  bool Underline = false;
  bool StrikeOut = false;
  // Lines below the baseline in pixels (negative: above), their top edge.
  double UnderlineTop = 0;
  double UnderlineThickness = 0;
  double StrikeOutTop = 0;
  double StrikeOutThickness = 0;

  int CellHeight() const { return Ascent + Descent; }
  unsigned GlyphIndex(char32_t codePoint) const;
  // Whole-pixel advance of a glyph; no kerning is ever applied.
  int Advance(unsigned glyphIndex) const;
  int TextWidth(std::u32string_view text) const;
  // Loads the glyph's unhinted outline at the size last set on the face,
  // emboldened when bold is synthesised (the slant is left to the caller,
  // who may combine it with other transforms). Null when the glyph has no
  // outline. Valid until the face loads another glyph.
  FT_Outline_* LoadStyledOutline(unsigned glyphIndex) const;
};

TRealizedFont RealizeFont(const TFont& font);

}  // namespace gdi
