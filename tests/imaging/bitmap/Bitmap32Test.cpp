// TBitmap32 on its device-context backend: text, copies to and from device
// contexts, and assignment with the platform's bitmaps.

#include "imaging/bitmap/Bitmap32.h"

#include <gtest/gtest.h>

#include "tests/imaging/ImagingTestSupport.h"
#include "platform/gdi/Bitmap.h"

namespace {

int CountDifferent(const TBitmap32& b, TColor32 background, const TRect& region) {
  int count = 0;
  for (int y = region.Top; y < region.Bottom; ++y)
    for (int x = region.Left; x < region.Right; ++x) count += b.GetPixel(x, y) != background;
  return count;
}

TEST(Bitmap32, TextIsMeasuredEvenWhenEmptyAndDrawnInTheFontColourWithinTheClip) {
  TBitmap32 b;
  b.SetSize(0, 5);
  b.GetFont().SetName("DejaVu Sans");
  b.GetFont().SetHeight(-12);
  const TSize small = b.TextExtent("WWWW");
  b.Textout(0, 0, "WWWW");  // nothing to draw into, and no failure
  b.GetFont().SetHeight(-24);
  const TSize large = b.TextExtent(u"WWWW");
  EXPECT_GT(small.cy, 8);
  EXPECT_GT(large.cy, small.cy * 3 / 2);
  imagingtest::Solid(b, 80, 40, 0xFFFFFFFF);
  b.SetClipRect(TRect{0, 0, 10, 10});
  std::vector<TRect> areas;
  b.OnAreaChanged = [&](TPersistent*, const TRect& r, std::uint32_t) { areas.push_back(r); };
  b.Textout(1, 1, "WWWW");
  EXPECT_GT(CountDifferent(b, 0xFFFFFFFF, TRect{0, 0, 10, 10}), 5);
  EXPECT_EQ(CountDifferent(b, 0xFFFFFFFF, b.BoundsRect()), CountDifferent(b, 0xFFFFFFFF, TRect{0, 0, 10, 10}));
  EXPECT_LT(CountDifferent(b, 0x00000000, TRect{0, 0, 10, 10}), 100);  // ink: black with alpha 0, as GDI leaves it
  EXPECT_EQ(areas, (std::vector<TRect>{{1, 1, 2 + large.cx, 2 + large.cy}}));
}

TEST(Bitmap32, CopiesToAndFromDeviceContexts) {
  TBitmap32 b, c;
  imagingtest::FillRandom(b, 4, 3, 1);
  TMemorySurface screenPixels(10, 10);
  TCanvas screen(screenPixels.Surface());
  b.DrawTo(screen, 5, 6);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(screenPixels.Surface().Pixel(5 + x, 6 + y), b.GetPixel(x, y));
  EXPECT_EQ(screenPixels.Surface().Pixel(4, 6), 0u);
  imagingtest::Solid(c, 4, 3, 0);
  c.DrawFrom(screen, TRect{0, 0, 2, 2}, TRect{5, 6, 7, 8});
  EXPECT_EQ(c.GetPixel(1, 1), b.GetPixel(1, 1));
}

TEST(Bitmap32, AssignmentWithPlatformBitmaps) {
  TBitmap source;
  source.SetSize(3, 2);
  source.GetSurface().Pixel(0, 0) = 0x80123456;
  TBitmap32 b;
  source.SetPixelFormat(pf24bit);
  b.Assign(&source);
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF123456u);  // no alpha below 32 bits
  source.SetPixelFormat(pf32bit);
  b.Assign(&source);
  EXPECT_EQ(b.GetPixel(0, 0), 0x80123456u);
  TBitmap dest;  // the other way: a 32-bit copy
  dest.Assign(&b);
  EXPECT_EQ(dest.GetPixelFormat(), pf32bit);
  EXPECT_EQ(dest.GetSurface().Pixel(0, 0), 0x80123456u);
}

}  // namespace
