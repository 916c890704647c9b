#include <gtest/gtest.h>

#include "platform/gdi/Canvas.h"
#include "tests/platform/gdi/CanvasTestSupport.h"

using namespace gdi_test;

namespace {

// A source with a distinct value in every pixel, alpha included.
std::uint32_t SourcePixel(int x, int y) { return 0x01000000u * (10 + x) + 0x00010000u * (20 + y) + 0x0101u * (x + 7 * y); }

void FillSource(TTestSurface& source) {
  for (int y = 0; y < source.Surface().Height; ++y)
    for (int x = 0; x < source.Surface().Width; ++x) source.Surface().Pixel(x, y) = SourcePixel(x, y);
}

}  // namespace

TEST(CanvasCopy, OneToOneCopiesEveryByte) {
  TTestSurface source(6, 5);
  FillSource(source);
  TTestSurface dest(10, 10);
  dest.Canvas.CopyRect(Rect(3, 2, 8, 6), source.Canvas, Rect(1, 1, 6, 5));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 3 && x < 8 && y >= 2 && y < 6;
      EXPECT_EQ(dest.At(x, y), inside ? SourcePixel(x - 2, y - 1) : kBackground) << x << "," << y;
    }
  TTestSurface halftone(10, 10);
  halftone.Canvas.CopyRect(Rect(3, 2, 8, 6), source.Canvas, Rect(1, 1, 6, 5), TStretchMode::Halftone);
  for (int y = 2; y < 6; ++y)
    for (int x = 3; x < 8; ++x) EXPECT_EQ(halftone.At(x, y), SourcePixel(x - 2, y - 1));
}

TEST(CanvasCopy, DoubleSizeDuplicatesEachPixel) {
  TTestSurface source(3, 3);
  FillSource(source);
  TTestSurface dest(6, 6);
  dest.Canvas.CopyRect(Rect(0, 0, 6, 6), source.Canvas, Rect(0, 0, 3, 3));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(dest.At(x, y), SourcePixel(x / 2, y / 2)) << x << "," << y;
}

TEST(CanvasCopy, HalfSizeNearestTakesThePixelUnderEachCentre) {
  TTestSurface source(4, 4);
  FillSource(source);
  TTestSurface dest(2, 2);
  dest.Canvas.CopyRect(Rect(0, 0, 2, 2), source.Canvas, Rect(0, 0, 4, 4));
  // The centre of destination pixel d falls on source position 2d + 1.
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(dest.At(x, y), SourcePixel(2 * x + 1, 2 * y + 1));
}

TEST(CanvasCopy, HalftoneAveragesTheCoveredArea) {
  TTestSurface source(4, 2);
  const std::uint32_t values[2][4] = {{0x00000000, 0x04080C10, 0xFF000000, 0xFF000000},
                                      {0x08101820, 0x0C182430, 0x01020304, 0x03060900}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) source.Surface().Pixel(x, y) = values[y][x];
  TTestSurface dest(2, 1);
  dest.Canvas.CopyRect(Rect(0, 0, 2, 1), source.Canvas, Rect(0, 0, 4, 2), TStretchMode::Halftone);
  EXPECT_EQ(dest.At(0, 0), 0x060C1218u);  // per channel (0 + 4 + 8 + 12) / 4, ...
  EXPECT_EQ(dest.At(1, 0), 0x81020301u);  // alpha (255 + 255 + 1 + 3) / 4 = 128.5 rounds up
}

TEST(CanvasCopy, HalftoneEnlargementWeighsPartlyCoveredPixels) {
  TTestSurface source(2, 1);
  source.Surface().Pixel(0, 0) = 0x00000000;
  source.Surface().Pixel(1, 0) = 0x000000C0;
  TTestSurface dest(3, 1);
  dest.Canvas.CopyRect(Rect(0, 0, 3, 1), source.Canvas, Rect(0, 0, 2, 1), TStretchMode::Halftone);
  // Footprints [0, 2/3), [2/3, 4/3), [4/3, 2): the middle one is half each.
  EXPECT_EQ(dest.At(0, 0), 0x00000000u);
  EXPECT_EQ(dest.At(1, 0), 0x00000060u);
  EXPECT_EQ(dest.At(2, 0), 0x000000C0u);
}

TEST(CanvasCopy, PixelsWithNoSourceOrOffTheDestinationAreLeftAlone) {
  TTestSurface source(4, 4);
  FillSource(source);
  TTestSurface dest(6, 6);
  // The source rectangle hangs two pixels off the source's left edge.
  dest.Canvas.CopyRect(Rect(-1, 0, 5, 4), source.Canvas, Rect(-2, 0, 4, 4));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool copied = x >= 1 && x < 5 && y < 4;
      EXPECT_EQ(dest.At(x, y), copied ? SourcePixel(x - 1, y) : kBackground) << x << "," << y;
    }
  for (TStretchMode mode : {TStretchMode::Nearest, TStretchMode::Halftone}) {
    TTestSurface untouched(3, 3);
    untouched.Canvas.CopyRect(Rect(0, 0, 0, 3), source.Canvas, Rect(0, 0, 4, 4), mode);
    untouched.Canvas.CopyRect(Rect(0, 0, 3, 3), source.Canvas, Rect(2, 2, 2, 4), mode);
    untouched.Canvas.CopyRect(Rect(0, 0, 3, 3), source.Canvas, Rect(10, 10, 20, 20), mode);
    EXPECT_TRUE(untouched.Differing(kBackground).empty());
  }
}

TEST(CanvasCopy, OverlappingCopyWithinOneSurfaceReadsTheOriginalPixels) {
  TTestSurface surface(5, 1);
  FillSource(surface);
  surface.Canvas.CopyRect(Rect(1, 0, 5, 1), surface.Canvas, Rect(0, 0, 4, 1));
  EXPECT_EQ(surface.At(0, 0), SourcePixel(0, 0));
  for (int x = 1; x < 5; ++x) EXPECT_EQ(surface.At(x, 0), SourcePixel(x - 1, 0));
}
