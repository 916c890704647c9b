// The canvas's dotted and XOR pens and its ellipses: which pixels a dotted
// line writes, that an XOR figure drawn twice leaves the surface as it was,
// and that an ellipse fills the pixels whose centres lie inside it, with a
// one-pixel ring on its border.

#include <gtest/gtest.h>

#include <cmath>

#include "CanvasTestSupport.h"

namespace {

using namespace gdi_test;

TEST(PenStyleTest, ADottedPenWritesEveryOtherPixelFromTheStart) {
  TTestSurface s(20, 5);
  s.Canvas.GetPen().SetStyle(psDot);
  s.Canvas.MoveTo(2, 2);
  s.Canvas.LineTo(12, 2);
  EXPECT_EQ(s.Differing(kBackground), (PixelSet{{2, 2}, {4, 2}, {6, 2}, {8, 2}, {10, 2}}));
}

TEST(PenStyleTest, AWideDottedPenDrawsSolid) {
  TTestSurface s(20, 7);
  s.Canvas.GetPen().SetStyle(psDot);
  s.Canvas.GetPen().SetWidth(3);
  s.Canvas.MoveTo(2, 3);
  s.Canvas.LineTo(12, 3);
  EXPECT_EQ(s.Differing(kBackground), Block(1, 2, 12, 4));
}

TEST(PenStyleTest, XorFiguresDrawnTwiceVanish) {
  TTestSurface s(30, 30);
  s.Canvas.GetPen().SetMode(pmXor);
  s.Canvas.GetPen().SetColor(0x00FF00);
  s.Canvas.GetBrush().SetStyle(bsClear);
  s.Canvas.Rectangle(3, 4, 20, 25);
  // Green flips the green byte of 0x102030: 0x20 ^ 0xFF = 0xDF; alpha 0 as
  // every drawn pixel.
  const PixelSet flipped = s.Holding(0x0010DF30u);
  EXPECT_EQ(flipped.size(), 2u * 17 + 2u * 19);
  EXPECT_EQ(s.Differing(kBackground), flipped);
  s.Canvas.Rectangle(3, 4, 20, 25);
  // The colours are back; where the pen passed alpha is 0, as for any drawing.
  EXPECT_EQ(s.Holding(kBackground & 0x00FFFFFFu), flipped);
  EXPECT_EQ(s.Differing(kBackground), flipped);
}

TEST(PenStyleTest, EllipsesCoverThePixelsWhoseCentresLieInside) {
  TTestSurface s(40, 30);
  s.Canvas.GetBrush().SetColor(clWhite);
  s.Canvas.GetPen().SetColor(clBlack);
  s.Canvas.Ellipse(5, 5, 25, 17);  // 20 x 12: centre (15, 11), radii 10 and 6
  PixelSet inside;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const double dx = (x + 0.5 - 15) / 10, dy = (y + 0.5 - 11) / 6;
      if (dx * dx + dy * dy <= 1) inside.insert({x, y});
    }
  EXPECT_EQ(s.Differing(kBackground), inside);
  // Black ring where a neighbour is outside, white within.
  const PixelSet ring = s.Holding(0x000000u);
  for (const auto& [x, y] : inside) {
    const bool border = !inside.contains({x - 1, y}) || !inside.contains({x + 1, y}) || !inside.contains({x, y - 1}) ||
                        !inside.contains({x, y + 1});
    EXPECT_EQ(ring.contains({x, y}), border) << x << ", " << y;
  }
  EXPECT_EQ(s.At(15, 11), 0x00FFFFFFu);
  // Symmetric about both axes.
  for (const auto& [x, y] : inside) EXPECT_TRUE(inside.contains({29 - x, y}) && inside.contains({x, 21 - y}));
}

}  // namespace
