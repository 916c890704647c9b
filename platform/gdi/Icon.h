#pragma once
// TIcon: a small picture that either carries its own alpha or, as older icons
// do, a mask of the pixels where the background shows through.

#include <cstdint>
#include <vector>

#include "platform/gdi/Graphic.h"

class TIcon : public TGraphic {
public:
  std::string ClassName() const override { return "TIcon"; }

  // Pixels 0xAARRGGBB, top row first, with their alpha.
  void SetAlphaImage(int width, int height, std::vector<std::uint32_t> argb);
  // Colour pixels (their alpha bytes ignored) and a mask, true where the
  // background shows through.
  void SetMaskedImage(int width, int height, std::vector<std::uint32_t> colors, std::vector<bool> mask);
  bool HasAlpha() const { return Mask.empty(); }

  int GetWidth() const override { return Width; }
  int GetHeight() const override { return Height; }
  // Stretched to the rectangle by nearest pixels. An alpha icon is laid over
  // the canvas's pixels, alpha included; a masked one writes its colours as
  // all canvas drawing does (alpha 0) and leaves the masked pixels alone.
  void Draw(TCanvas& canvas, const TRect& rect) const override;

private:
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
  std::vector<bool> Mask;  // empty for an alpha icon
};
