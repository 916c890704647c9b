#pragma once
// A canvas over its own pixels for the drawing tests, and what the tests
// read back from it: colours, changed pixels and the box of the text ink.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/gdi/Canvas.h"

namespace bctest {

// A backdrop neither bars nor spaces are drawn in, so that every drawn
// pixel can be told apart.
constexpr TColor Backdrop = 0x607080;

class TPaintSurface {
public:
  TPaintSurface(int width, int height, TColor backdrop = Backdrop);
  TPaintSurface(const TPaintSurface&) = delete;
  TPaintSurface& operator=(const TPaintSurface&) = delete;

  int Width() const { return Memory.Surface().Width; }
  int Height() const { return Memory.Surface().Height; }
  TPixelSurface Surface() { return Memory.Surface(); }
  TColor At(int x, int y) const { return Canvas.GetPixel(x, y); }
  std::vector<std::uint32_t> Pixels() const;

private:
  mutable TMemorySurface Memory;

public:
  TCanvas Canvas;
};

// Inclusive bounds of the pixels that satisfy a test; nothing when none does.
struct TBounds {
  int Left, Top, Right, Bottom;
};
std::optional<TBounds> BoundsOf(const TPaintSurface& surface, const std::function<bool(TColor)>& test);

// Text in a colour far from grey: its antialiased pixels lean to red.
constexpr TColor TextRed = 0x0000FF;
bool IsRedInk(TColor color);

// The font the barcode's text is expected in.
TFont ReadableFont(int height, TColor color, double angle);

// Text drawn on the canvas at (x, y) in the given font, by the canvas alone.
void WriteText(TCanvas& canvas, const TFont& font, int x, int y, std::string_view text);

}  // namespace bctest
