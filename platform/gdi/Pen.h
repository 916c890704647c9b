#pragma once
// The pen a canvas outlines shapes and draws lines with. The canvas draws
// psClear as nothing, psDot and psAlternate one pixel wide as every other
// pixel, and every other style as solid; it draws in pmXor mode by flipping
// the pixels' colour bits and in every other mode as pmCopy. The other
// styles and modes exist so that stored pens keep their ordinals.

#include <cstdint>

#include "platform/gdi/Color.h"
#include "platform/rtl/Persistent.h"

enum TPenStyle : std::uint8_t {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
  psUserStyle,
  psAlternate
};

enum TPenMode : std::uint8_t {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};

class TPen : public TPersistent {
public:
  TPen() = default;
  TPen(const TPen& other) : TPersistent(other), Color(other.Color), Width(other.Width), Style(other.Style), Mode(other.Mode) {}
  TPen& operator=(const TPen& other) {
    Assign(&other);
    return *this;
  }

  std::string ClassName() const override { return "TPen"; }
  void Assign(const TPersistent* source) override;

  TColor GetColor() const { return Color; }
  void SetColor(TColor color);
  // Width in pixels; values below 1 draw as 1, like a cosmetic pen.
  int GetWidth() const { return Width; }
  void SetWidth(int width);
  TPenStyle GetStyle() const { return Style; }
  void SetStyle(TPenStyle style);
  TPenMode GetMode() const { return Mode; }
  void SetMode(TPenMode mode);

  TNotifyEvent OnChange;

private:
  void Changed();

  TColor Color = clBlack;
  int Width = 1;
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
};
