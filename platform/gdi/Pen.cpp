#include "platform/gdi/Pen.h"

void TPen::Assign(const TPersistent* source) {
  if (const auto* pen = dynamic_cast<const TPen*>(source)) {
    Color = pen->Color;
    Width = pen->Width;
    Style = pen->Style;
    Mode = pen->Mode;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TPen::Changed() {
  if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor color) {
  if (color == Color) return;
  Color = color;
  Changed();
}

void TPen::SetWidth(int width) {
  if (width == Width) return;
  Width = width;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style == Style) return;
  Style = style;
  Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (mode == Mode) return;
  Mode = mode;
  Changed();
}
