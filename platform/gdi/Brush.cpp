#include "platform/gdi/Brush.h"

void TBrush::Assign(const TPersistent* source) {
  if (const auto* brush = dynamic_cast<const TBrush*>(source)) {
    Color = brush->Color;
    Style = brush->Style;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TBrush::Changed() {
  if (OnChange) OnChange(this);
}

void TBrush::SetColor(TColor color) {
  if (color == Color) return;
  Color = color;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style == Style) return;
  Style = style;
  Changed();
}
