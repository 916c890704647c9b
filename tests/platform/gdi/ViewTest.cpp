// Drawing through a view of a rectangle of a larger surface: the view's
// pixels come out as on a surface of the view's own size, and nothing around
// the rectangle changes, whatever the drawing reaches for.

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "CanvasTestSupport.h"

namespace {

using gdi_test::kBackground;
using gdi_test::TTestSurface;

// Every kind of canvas drawing, reaching past all four edges of a 31 x 23
// surface.
void DrawEverything(TCanvas& canvas) {
  canvas.GetBrush().SetColor(clRed);
  canvas.FillRect(Rect(-5, 3, 12, 40));
  canvas.GetPen().SetColor(clBlue);
  canvas.GetPen().SetWidth(3);
  canvas.Rectangle(20, -4, 45, 9);
  const std::array<TPoint, 3> triangle{Point(-8, 20), Point(15, -6), Point(40, 26)};
  canvas.GetBrush().SetColor(clLime);
  canvas.Polygon(triangle);
  canvas.GetPen().SetWidth(1);
  canvas.MoveTo(-3, -2);
  canvas.LineTo(50, 30);
  canvas.GetPen().SetMode(pmXor);
  canvas.MoveTo(33, 1);
  canvas.LineTo(-2, 22);
  canvas.GetPen().SetMode(pmCopy);
  canvas.Ellipse(18, 12, 40, 35);
  canvas.GetFont().SetHeight(-14);
  canvas.GetBrush().SetStyle(bsClear);
  canvas.TextOut(-6, 12, "Label 4711");
  canvas.GetFont().SetEscapement(900);
  canvas.TextOut(24, 30, "Up");
  canvas.SetPixel(30, 22, clYellow);
  // A copy within the surface itself, overlapping its source.
  canvas.CopyRect(Rect(3, 2, 20, 14), canvas, Rect(0, 0, 17, 12));
  canvas.CopyRect(Rect(-4, 15, 9, 30), canvas, Rect(10, 0, 30, 20), TStretchMode::Halftone);
}

TEST(CanvasView, DrawsAsOnASurfaceOfItsOwnAndLeavesTheRestAlone) {
  const TRect view = Rect(10, 7, 41, 30);
  TTestSurface own(view.Right - view.Left, view.Bottom - view.Top);
  DrawEverything(own.Canvas);

  TTestSurface large(64, 48);
  TCanvas onView(large.Surface().View(view));
  ASSERT_EQ(onView.GetSurface().Width, 31);
  ASSERT_EQ(onView.GetSurface().Height, 23);
  DrawEverything(onView);

  ASSERT_NE(own.Differing(kBackground).size(), 0u);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= view.Left && x < view.Right && y >= view.Top && y < view.Bottom;
      ASSERT_EQ(large.At(x, y), inside ? own.At(x - view.Left, y - view.Top) : kBackground) << x << ", " << y;
    }
}

TEST(CanvasView, IsClippedToTheSurfaceAndEmptyWhenItMissesIt) {
  TTestSurface surface(20, 10);
  const TPixelSurface whole = surface.Surface();
  const TPixelSurface corner = whole.View(Rect(15, -5, 40, 4));
  EXPECT_EQ(corner.Bits, &whole.Pixel(15, 0));
  EXPECT_EQ(corner.Width, 5);
  EXPECT_EQ(corner.Height, 4);
  EXPECT_EQ(corner.ScanLine(3), &whole.Pixel(15, 3));
  // A view of a view keeps the rows of the surface underneath.
  const TPixelSurface inner = corner.View(Rect(1, 1, 3, 3));
  EXPECT_EQ(inner.ScanLine(1), &whole.Pixel(16, 2));
  EXPECT_TRUE(whole.View(Rect(20, 0, 30, 10)).IsEmpty());
  EXPECT_TRUE(whole.View(Rect(5, 5, 5, 9)).IsEmpty());
  EXPECT_TRUE(whole.View(Rect(-9, -9, -1, -1)).IsEmpty());
}

}  // namespace
