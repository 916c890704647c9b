// TBitmap32 on its device-context backend: text, canvas, copies to and
// from device contexts, and assignment with the platform's bitmaps.

#include "imaging/Bitmap32.h"

#include <gtest/gtest.h>

#include "ImagingTestSupport.h"
#include "platform/gdi/Bitmap.h"

namespace {

using imagingtest::Solid;

TFont TestFont(int height) {
  TFont font;
  font.SetName("DejaVu Sans");
  font.SetHeight(height);
  font.SetColor(clBlack);
  return font;
}

int CountDifferent(const TBitmap32& b, TColor32 background, const TRect& region) {
  int count = 0;
  for (int y = region.Top; y < region.Bottom; ++y)
    for (int x = region.Left; x < region.Right; ++x) count += b.GetPixel(x, y) != background;
  return count;
}

TEST(Bitmap32, TextIsMeasuredEvenWhenEmptyAndFollowsTheFont) {
  TBitmap32 b;
  b.SetSize(0, 5);
  b.SetFont(TestFont(-12));
  const TSize small = b.TextExtent("Ab");
  b.Textout(0, 0, "Ab");  // nothing to draw into, and no failure
  b.GetFont().SetHeight(-36);
  const TSize large = b.TextExtent(u"Ab");
  EXPECT_GT(small.cy, 8);
  EXPECT_GT(large.cy, 2 * small.cy);
  EXPECT_GT(large.cx, 2 * small.cx);
}

TEST(Bitmap32, TextIsDrawnInTheFontColourWithinTheClipRectangle) {
  TBitmap32 b;
  Solid(b, 80, 40, 0xFFFFFFFF);
  b.SetFont(TestFont(-24));
  b.SetClipRect(TRect{0, 0, 10, 10});
  std::vector<TRect> areas;
  b.OnAreaChanged = [&](TPersistent*, const TRect& r, std::uint32_t) { areas.push_back(r); };
  b.Textout(1, 1, "WWWW");
  EXPECT_GT(CountDifferent(b, 0xFFFFFFFF, TRect{0, 0, 10, 10}), 5);
  EXPECT_EQ(CountDifferent(b, 0xFFFFFFFF, b.BoundsRect()), CountDifferent(b, 0xFFFFFFFF, TRect{0, 0, 10, 10}));
  EXPECT_LT(CountDifferent(b, 0x00000000, TRect{0, 0, 10, 10}), 100);  // ink: black with alpha 0, as GDI leaves it
  const TSize extent = b.TextExtent("WWWW");
  EXPECT_EQ(areas, (std::vector<TRect>{{1, 1, 2 + extent.cx, 2 + extent.cy}}));
}

TEST(Bitmap32, CopiesAndCanvasDrawingBetweenDeviceContexts) {
  TBitmap32 b, c;
  b.SetSize(4, 3);
  for (int i = 0; i < 12; ++i) b.GetBits()[i] = 0x01010101u * static_cast<TColor32>(i + 1);
  TMemorySurface screenPixels(10, 10);
  TCanvas screen(screenPixels.Surface());
  b.DrawTo(screen, 5, 6);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(screenPixels.Surface().Pixel(5 + x, 6 + y), b.GetPixel(x, y));
  EXPECT_EQ(screenPixels.Surface().Pixel(4, 6), 0u);
  b.DrawTo(screen, TRect{0, 0, 8, 6}, TRect{0, 0, 4, 3});  // doubled
  EXPECT_EQ(screenPixels.Surface().Pixel(7, 5), b.GetPixel(3, 2));
  Solid(c, 4, 3, 0);
  c.DrawFrom(screen, TRect{0, 0, 2, 2}, TRect{5, 6, 7, 8});
  EXPECT_EQ(c.GetPixel(1, 1), b.GetPixel(1, 1));
  EXPECT_EQ(c.GetPixel(2, 2), 0u);
  // The canvas draws into the pixels.
  c.GetCanvas().GetBrush().SetColor(clRed);
  c.GetCanvas().FillRect(TRect{2, 2, 3, 3});
  EXPECT_EQ(c.GetPixel(2, 2), 0x00FF0000u);
}

TEST(Bitmap32, AssignmentWithPlatformBitmaps) {
  TBitmap source;
  source.SetSize(3, 2);
  const TPixelSurface& s = source.GetSurface();
  s.Pixel(0, 0) = 0x80123456;
  s.Pixel(2, 1) = 0x44000000;
  TBitmap32 b;
  source.SetPixelFormat(pf24bit);
  b.Assign(&source);
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF123456u);  // no alpha below 32 bits
  source.SetPixelFormat(pf32bit);
  b.Assign(&source);
  EXPECT_EQ(b.GetPixel(2, 1), 0x44000000u);
  // A transparent 24-bit bitmap: its transparent colour becomes alpha 0.
  source.SetPixelFormat(pf24bit);
  source.SetTransparent(true);
  source.TransparentColor = clBlue;  // 0xFF0000 as 0x00BBGGRR is blue
  s.Pixel(1, 1) = 0x000000FF;
  b.Assign(&source);
  EXPECT_EQ(b.GetPixel(1, 1), 0x000000FFu);
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF123456u);
  TBitmap dest;  // the other way: a 32-bit copy
  dest.Assign(&b);
  EXPECT_EQ(dest.GetPixelFormat(), pf32bit);
  EXPECT_EQ(dest.GetSurface().Pixel(1, 1), 0x000000FFu);
}

}  // namespace
