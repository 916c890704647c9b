#include "PaintTestSupport.h"

#include <cmath>

namespace bctest {

TPaintSurface::TPaintSurface(int width, int height, TColor backdrop) : Memory(width, height), Canvas(Memory.Surface()) {
  Canvas.GetBrush().SetColor(backdrop);
  Canvas.FillRect(Rect(0, 0, width, height));
  Canvas.GetBrush().SetColor(clWhite);
}

std::vector<std::uint32_t> TPaintSurface::Pixels() const {
  const TPixelSurface s = Memory.Surface();
  return {s.Bits, s.Bits + static_cast<std::ptrdiff_t>(s.Width) * s.Height};
}

std::optional<TBounds> BoundsOf(const TPaintSurface& surface, const std::function<bool(TColor)>& test) {
  std::optional<TBounds> bounds;
  for (int y = 0; y < surface.Height(); ++y)
    for (int x = 0; x < surface.Width(); ++x) {
      if (!test(surface.At(x, y))) continue;
      if (!bounds) bounds = TBounds{x, y, x, y};
      bounds->Left = std::min(bounds->Left, x), bounds->Right = std::max(bounds->Right, x);
      bounds->Top = std::min(bounds->Top, y), bounds->Bottom = std::max(bounds->Bottom, y);
    }
  return bounds;
}

bool IsRedInk(TColor color) {
  const int red = color & 0xFF;
  const int green = (color >> 8) & 0xFF;
  const int blue = (color >> 16) & 0xFF;
  return red - green > 40 && red - blue > 40;
}

TFont ReadableFont(int height, TColor color, double angle) {
  TFont font;
  font.SetName("PoliceInclinee");
  font.SetHeight(height);
  font.SetColor(color);
  font.SetEscapement(static_cast<int>(std::lround(angle * 10)));
  return font;
}

void WriteText(TCanvas& canvas, const TFont& font, int x, int y, std::string_view text) {
  canvas.SetFont(font);
  canvas.TextOut(x, y, text);
}

}  // namespace bctest
