#pragma once
// The optional glyph and caption of a button face: the glyph image holds
// NumGlyphs state images side by side (up, disabled, down, exclusive); a
// disabled image the glyph does not provide is embossed from its shape.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>

#include "platform/gdi/Color.h"

namespace widgets {

enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// Button state, one byte as the face painter keeps it.
enum TButtonState : std::uint8_t { bsUp, bsDisabled, bsDown, bsExclusive };

struct TButtonLayoutResult {
  QPoint GlyphPos;
  QRect TextRect;
};

// Places a glyph of `glyphSize` and a caption of `textSize` in `client`
// following the layout, the margin (-1: centred) and the spacing (-1:
// spread evenly). A missing glyph or caption takes no spacing.
TButtonLayoutResult CalcButtonLayout(const QRect& client, QSize glyphSize, QSize textSize, TButtonLayout layout,
                                     int margin, int spacing);

class TGlyphCache;
class TGlyphList;

// The state images are cut on first use and kept in the glyph cache shared
// by every button glyph (one per button): the cache is made with the first
// glyph and freed with the last.
class TButtonGlyph {
 public:
  static constexpr TColor kDefaultTransparentColor = 0x00008080;

  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  // The shared cache; nil while no glyph lives.
  static const TGlyphCache* SharedCache();
  // The glyphs alive, one per button: the count of live buttons.
  static int LiveCount();

  const QImage& GetGlyph() const { return glyph_; }
  void SetGlyph(const QImage& glyph);
  int GetNumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int count);
  TColor GetTransparentColor() const { return transparentColor_; }
  void SetTransparentColor(TColor color);

  bool IsEmpty() const { return glyph_.isNull(); }
  // Size of one state image.
  QSize ImageSize() const;
  // The image of a state with the transparent colour cleared.
  QImage Image(TButtonState state);

 private:
  QImage CutImage(int part) const;
  QImage Emboss(const QImage& image) const;
  QImage MakeImage(TButtonState state) const;
  // Gives every state image back to the cache; they are made again on use.
  void ReleaseImages();

  QImage glyph_;
  int numGlyphs_ = 1;
  TColor transparentColor_ = kDefaultTransparentColor;
  TGlyphList* list_ = nullptr;
  // The slot of each state's image in list_; -1 until made.
  std::array<int, 4> indexes_{-1, -1, -1, -1};
};

}  // namespace widgets
