#pragma once
// The brush a canvas fills shapes with. The canvas fills bsClear as nothing
// and every other style as solid; the hatch styles exist so that stored
// brushes keep their ordinals.

#include <cstdint>

#include "platform/gdi/Color.h"
#include "platform/rtl/Persistent.h"

enum TBrushStyle : std::uint8_t {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

class TBrush : public TPersistent {
public:
  TBrush() = default;
  TBrush(const TBrush& other) : TPersistent(other), Color(other.Color), Style(other.Style) {}
  TBrush& operator=(const TBrush& other) {
    Assign(&other);
    return *this;
  }

  std::string ClassName() const override { return "TBrush"; }
  void Assign(const TPersistent* source) override;

  TColor GetColor() const { return Color; }
  void SetColor(TColor color);
  TBrushStyle GetStyle() const { return Style; }
  void SetStyle(TBrushStyle style);

  TNotifyEvent OnChange;

private:
  void Changed();

  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};
