#pragma once
// TMetafile: a vector picture, a recorded drawing that plays back into any
// rectangle. The windowing layer makes them from its own vector pictures
// (platform/qt/Image.h); anything that can draw on a canvas can be one.

#include <functional>

#include "platform/gdi/Graphic.h"

class TMetafile : public TGraphic {
public:
  using TPlayback = std::function<void(TCanvas& canvas, const TRect& rect)>;

  TMetafile(int width, int height, TPlayback playback);
  std::string ClassName() const override { return "TMetafile"; }

  int GetWidth() const override { return Width; }
  int GetHeight() const override { return Height; }
  // Plays the drawing scaled into the rectangle.
  void Draw(TCanvas& canvas, const TRect& rect) const override;

private:
  int Width;
  int Height;
  TPlayback Playback;
};
