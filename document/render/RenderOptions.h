#pragma once
// What a render request tells every shape of the tree it walks down.

#include <cstdint>

#include "imaging/bitmap/Color32.h"
#include "imaging/docgraphics/DocGraphics.h"

// Target of a render. Overlays and page aids are drawn on the screen only;
// dtTransparent leaves the page unfilled. Ordinals are stored.
enum TDeviceType : std::uint8_t { dtScreen, dtPrinter, dtTransparent };

// Page aids drawn on the screen.
enum TdocHelperMethodType : std::uint8_t { hmNone, hmDots, hmGrid, hmPattern };

struct TdocRenderOptions {
  TDeviceType Device = dtScreen;
  // Background of new cache bitmaps: the page colour with alpha 0.
  TColor32 Color = clTransparent32;
  // Dots per millimetre of the bitmap being drawn into right now. The cache
  // sets it to its own resolution while a shape draws into it, so shapes that
  // size things in pixels (text, shadows, textures) match the bitmap they
  // actually draw on, not the page's request.
  float BitmapResolution = 0;
  // Dots per millimetre of the render.
  float Resolution = 0;
  TdocStretchFilter StretchFilter = sfLinear;
  // Free each shape's cache right after it was drawn.
  bool FreeCache = false;
  // Free only the caches this render had to make, right after they were
  // drawn: a small one-off picture (the thumbnail) adds none, and the
  // screen's caches it could draw from stay.
  bool FreeNewCache = false;
  // A cache made at a higher resolution than asked must be rendered again.
  bool ExactResolution = false;
  // A small picture to know the page by (the thumbnail), which nobody reads
  // or scans: whatever depends on being legible at the output's resolution
  // (a barcode fitting its frame) is judged as on paper, and drawn as it
  // would look there, reduced.
  bool Miniature = false;
};
