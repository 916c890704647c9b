#include <gtest/gtest.h>

#include <functional>

#include "platform/gdi/Canvas.h"
#include "tests/platform/gdi/CanvasTestSupport.h"

using namespace gdi_test;

namespace {

// A distinct value in every pixel, alpha included.
std::uint32_t SourcePixel(int x, int y) { return 0x01000000u * (10 + x) + 0x00010000u * (20 + y) + 0x0101u * (x + 7 * y); }

void Fill(TTestSurface& surface, const std::function<std::uint32_t(int, int)>& pixel) {
  for (int y = 0; y < surface.Surface().Height; ++y)
    for (int x = 0; x < surface.Surface().Width; ++x) surface.Surface().Pixel(x, y) = pixel(x, y);
}

bool Inside(const TRect& r, int x, int y) { return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom; }

}  // namespace

// Each destination pixel takes the source pixel under its centre,
// ((x, y) * Scale + Offset) / Divisor, or stays as it was where there is none.
TEST(CanvasCopy, NearestTakesThePixelUnderEachCentre) {
  const struct {
    TRect Dest, Source;
    int Scale, Divisor, OffsetX, OffsetY;
  } cases[] = {
      {Rect(3, 2, 8, 6), Rect(1, 1, 6, 5), 1, 1, -2, -1},
      {Rect(0, 0, 6, 6), Rect(0, 0, 3, 3), 1, 2, 0, 0},    // double size
      {Rect(0, 0, 2, 2), Rect(0, 0, 4, 4), 2, 1, 1, 1},    // half size: the centre of pixel d falls on 2d + 1
      {Rect(-1, 0, 5, 4), Rect(-2, 0, 4, 4), 1, 1, -1, 0},  // hanging off the left of both surfaces
      // Nothing to copy: an empty destination or source, a source off the surface.
      {Rect(0, 0, 0, 3), Rect(0, 0, 4, 4), 1, 1, 0, 0},
      {Rect(0, 0, 3, 3), Rect(2, 2, 2, 4), 1, 1, 0, 0},
      {Rect(0, 0, 3, 3), Rect(10, 10, 20, 20), 1, 1, 10, 10},
  };
  TTestSurface source(6, 5);
  Fill(source, SourcePixel);
  for (const auto& c : cases) {
    // A halftone copy at 1:1 is exact too.
    for (TStretchMode mode : {TStretchMode::Nearest, TStretchMode::Halftone}) {
      if (mode == TStretchMode::Halftone && c.Scale != c.Divisor) continue;
      TTestSurface dest(10, 10);
      dest.Canvas.CopyRect(c.Dest, source.Canvas, c.Source, mode);
      for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
          const int sx = (x * c.Scale + c.OffsetX) / c.Divisor, sy = (y * c.Scale + c.OffsetY) / c.Divisor;
          const bool copied = Inside(c.Dest, x, y) && Inside(c.Source, sx, sy) && Inside(Rect(0, 0, 6, 5), sx, sy);
          ASSERT_EQ(dest.At(x, y), copied ? SourcePixel(sx, sy) : kBackground) << x << "," << y;
        }
    }
  }
}

TEST(CanvasCopy, HalftoneAveragesTheCoveredAreaPerChannel) {
  TTestSurface source(4, 2);
  const std::uint32_t values[2][4] = {{0x00000000, 0x04080C10, 0xFF000000, 0xFF000000},
                                      {0x08101820, 0x0C182430, 0x01020304, 0x03060900}};
  Fill(source, [&](int x, int y) { return values[y][x]; });
  TTestSurface dest(2, 1);
  dest.Canvas.CopyRect(Rect(0, 0, 2, 1), source.Canvas, Rect(0, 0, 4, 2), TStretchMode::Halftone);
  EXPECT_EQ(dest.At(0, 0), 0x060C1218u);  // per channel (0 + 4 + 8 + 12) / 4, ...
  EXPECT_EQ(dest.At(1, 0), 0x81020301u);  // alpha (255 + 255 + 1 + 3) / 4 = 128.5 rounds up
  // Enlarging 2 to 3: footprints [0, 2/3), [2/3, 4/3), [4/3, 2), the middle one half each.
  Fill(source, [](int x, int) { return x == 1 ? 0xC0u : 0u; });
  TTestSurface wide(3, 1);
  wide.Canvas.CopyRect(Rect(0, 0, 3, 1), source.Canvas, Rect(0, 0, 2, 1), TStretchMode::Halftone);
  EXPECT_EQ(wide.Holding(0x60), (PixelSet{{1, 0}}));
  EXPECT_EQ(wide.At(0, 0), 0u);
  EXPECT_EQ(wide.At(2, 0), 0xC0u);
}

TEST(CanvasCopy, OverlappingCopyWithinOneSurfaceReadsTheOriginalPixels) {
  TTestSurface surface(5, 1);
  Fill(surface, SourcePixel);
  surface.Canvas.CopyRect(Rect(1, 0, 5, 1), surface.Canvas, Rect(0, 0, 4, 1));
  for (int x = 0; x < 5; ++x) EXPECT_EQ(surface.At(x, 0), SourcePixel(std::max(x - 1, 0), 0));
}
