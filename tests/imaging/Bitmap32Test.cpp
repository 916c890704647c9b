// TBitmap32 on its device-context backend: text, canvas, copies to and
// from device contexts, and assignment with the platform's bitmaps.

#include "imaging/Bitmap32.h"

#include <gtest/gtest.h>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Exception.h"

namespace {

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

TEST(Bitmap32, DescriptionAndHandleFollowTheSize) {
  TBitmap32 b;
  int handleChanges = 0;
  b.OnHandleChanged = [&](TPersistent*) { ++handleChanges; };
  b.SetSize(7, 3);
  EXPECT_EQ(handleChanges, 1);
  const TBitmapInfoHeader& info = b.GetBitmapInfo();
  EXPECT_EQ(info.Size, 40u);
  EXPECT_EQ(info.Width, 7);
  EXPECT_EQ(info.Height, -3);
  EXPECT_EQ(info.BitCount, 32);
  EXPECT_EQ(info.SizeImage, 84u);
  EXPECT_EQ(b.GetHandle().Bits, b.GetBits());
  EXPECT_EQ(b.GetHandle().Width, 7);
  b.SetSize(0, 5);
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_TRUE(b.GetHandle().IsEmpty());
  EXPECT_EQ(handleChanges, 2);
}

TEST(Bitmap32, AnEmptyBitmapStillMeasuresText) {
  TBitmap32 b;
  b.SetSize(0, 5);
  b.SetFont(TestFont(-20));
  const TSize extent = b.TextExtent("Hello");
  EXPECT_GT(extent.cx, 20);
  EXPECT_GT(extent.cy, 15);
  EXPECT_EQ(b.TextExtent(u"Hello"), extent);
  b.Textout(0, 0, "Hello");  // nothing to draw into, and no failure
}

TEST(Bitmap32, TextIsDrawnInTheFontColourWithinTheClipRectangle) {
  TBitmap32 b;
  b.SetSize(80, 30);
  b.Clear(0xFFFFFFFF);
  b.SetFont(TestFont(-24));
  b.SetClipRect(TRect{0, 0, 10, 10});
  std::vector<std::pair<TRect, std::uint32_t>> areas;
  b.OnAreaChanged = [&](TPersistent*, const TRect& r, std::uint32_t info) { areas.push_back({r, info}); };
  b.Textout(1, 1, "WWWW");
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x)
      if (x >= 10 || y >= 10) {
        ASSERT_EQ(b.GetPixel(x, y), 0xFFFFFFFFu) << x << "," << y;
      }
  EXPECT_GT(CountDifferent(b, 0xFFFFFFFF, TRect{0, 0, 10, 10}), 5);
  // Ink is black with alpha 0, as device-context drawing leaves it.
  bool sawInk = false;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) sawInk |= b.GetPixel(x, y) == 0x00000000u;
  EXPECT_TRUE(sawInk);
  const TSize extent = b.TextExtent("WWWW");
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0].first, (TRect{1, 1, 1 + extent.cx + 1, 1 + extent.cy + 1}));
  EXPECT_EQ(areas[0].second, AREAINFO_RECT);
}

TEST(Bitmap32, TextWithItsOwnClipAndInARectangle) {
  TBitmap32 b;
  b.SetSize(80, 40);
  b.Clear(0xFFFFFFFF);
  b.SetFont(TestFont(-20));
  b.Textout(0, 0, TRect{20, 0, 30, 40}, u"MMMMMM");
  EXPECT_EQ(CountDifferent(b, 0xFFFFFFFF, TRect{0, 0, 20, 40}), 0);
  EXPECT_EQ(CountDifferent(b, 0xFFFFFFFF, TRect{30, 0, 80, 40}), 0);
  EXPECT_GT(CountDifferent(b, 0xFFFFFFFF, TRect{20, 0, 30, 40}), 5);
  b.Clear(0xFFFFFFFF);
  b.Textout(TRect{40, 10, 80, 40}, DT_LEFT | DT_TOP | DT_NOPREFIX, "AB\nCD");
  EXPECT_EQ(CountDifferent(b, 0xFFFFFFFF, TRect{0, 0, 40, 40}), 0);
  EXPECT_GT(CountDifferent(b, 0xFFFFFFFF, TRect{40, 10, 80, 40}), 10);
}

TEST(Bitmap32, AFontChangeTakesEffectAtTheNextText) {
  TBitmap32 b;
  b.SetSize(100, 60);
  b.SetFont(TestFont(-12));
  b.Textout(0, 0, "Ab");
  const TSize small = b.TextExtent("Ab");
  b.GetFont().SetHeight(-36);
  const TSize large = b.TextExtent("Ab");
  EXPECT_GT(large.cy, 2 * small.cy);
  EXPECT_GT(large.cx, 2 * small.cx);
}

TEST(Bitmap32, CopiesToAndFromOtherDeviceContexts) {
  TBitmap32 b;
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
  TBitmap32 c;
  c.SetSize(4, 3);
  c.Clear(0);
  c.DrawFrom(screen, TRect{0, 0, 2, 2}, TRect{5, 6, 7, 8});
  EXPECT_EQ(c.GetPixel(1, 1), b.GetPixel(1, 1));
  EXPECT_EQ(c.GetPixel(2, 2), 0u);
}

TEST(Bitmap32, TheCanvasDrawsIntoThePixelsAndNotifies) {
  TBitmap32 b;
  b.SetSize(10, 10);
  b.Clear(0xFFFFFFFF);
  int changes = 0;
  b.OnChange = [&](TPersistent*) { ++changes; };
  TCanvas& canvas = b.GetCanvas();
  EXPECT_TRUE(b.CanvasAllocated());
  canvas.GetBrush().SetColor(clRed);
  canvas.FillRect(TRect{2, 2, 4, 4});
  EXPECT_EQ(b.GetPixel(2, 2), 0x00FF0000u);
  EXPECT_EQ(b.GetPixel(4, 4), 0xFFFFFFFFu);
  EXPECT_GE(changes, 1);
  b.SetSize(20, 20);  // the canvas follows the new pixels
  canvas.FillRect(TRect{15, 15, 16, 16});
  EXPECT_EQ(b.GetPixel(15, 15), 0x00FF0000u);
  b.DeleteCanvas();
  EXPECT_FALSE(b.CanvasAllocated());
}

TEST(Bitmap32, AssignFromPlatformBitmaps) {
  TBitmap source;
  source.SetSize(3, 2);
  source.GetCanvas().GetFont().SetHeight(-31);
  const TPixelSurface& s = source.GetSurface();
  s.Pixel(0, 0) = 0x80123456;
  s.Pixel(1, 0) = 0x00FF0000;  // pure blue as a Windows colour is red here
  s.Pixel(2, 1) = 0x44000000;

  source.SetPixelFormat(pf24bit);
  TBitmap32 b;
  b.Assign(&source);
  ASSERT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF123456u);  // no alpha below 32 bits
  EXPECT_EQ(b.GetPixel(2, 1), 0xFF000000u);
  EXPECT_EQ(b.GetFont().GetHeight(), -31);

  source.SetPixelFormat(pf32bit);
  b.Assign(&source);
  EXPECT_EQ(b.GetPixel(0, 0), 0x80123456u);
  EXPECT_EQ(b.GetPixel(2, 1), 0x44000000u);

  source.SetPixelFormat(pf24bit);
  source.SetTransparent(true);
  source.TransparentColor = clBlue;  // 0xFF0000 as 0x00BBGGRR is blue
  s.Pixel(1, 1) = 0x000000FF;
  b.Assign(&source);
  EXPECT_EQ(b.GetPixel(1, 1), 0x000000FFu);  // blue, now transparent
  EXPECT_EQ(b.GetPixel(1, 0), 0xFFFF0000u);
  EXPECT_EQ(b.GetPixel(0, 0), 0xFF123456u);
}

TEST(Bitmap32, AssignToAPlatformBitmapGivesA32BitCopy) {
  TBitmap32 b;
  b.SetSize(2, 2);
  b.Clear(0x7F00FF00);
  b.GetFont().SetHeight(-17);
  TBitmap dest;
  dest.Assign(&b);
  EXPECT_EQ(dest.GetPixelFormat(), pf32bit);
  ASSERT_EQ(dest.GetWidth(), 2);
  EXPECT_EQ(dest.GetSurface().Pixel(1, 1), 0x7F00FF00u);
  EXPECT_EQ(dest.GetCanvas().GetFont().GetHeight(), -17);
  TCustomBitmap32 plain;
  plain.Assign(&dest);
  EXPECT_EQ(plain.GetPixel(0, 1), 0x7F00FF00u);
  TFont font;
  EXPECT_THROW(b.Assign(&font), EConvertError);
}

TEST(Bitmap32, CopyingPropertiesHandsTheFontOn) {
  TBitmap32 a, b;
  a.GetFont().SetName("DejaVu Serif");
  a.SetDrawMode(dmBlend);
  a.SetSize(1, 1);
  b.Assign(&a);
  EXPECT_EQ(b.GetFont().GetName(), "DejaVu Serif");
  EXPECT_EQ(b.GetDrawMode(), dmBlend);
}

}  // namespace
