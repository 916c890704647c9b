// The memory-backed bitmap: sizes, clipping, notification, antialiased
// points and bilinear samples against their weight formulas, frames and
// stipples, and its own data stream with hostile sizes.

#include "imaging/bitmap/CustomBitmap32.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/imaging/ImagingTestSupport.h"
#include "imaging/bitmap/Color32.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace imaging;
using imagingtest::Pixels;
using imagingtest::RefV;
using imagingtest::Solid;

struct TEvents {
  int Changes = 0;
  std::vector<TRect> Areas;
  explicit TEvents(TCustomBitmap32& b) {
    b.OnChange = [this](TPersistent*) { ++Changes; };
    b.OnAreaChanged = [this](TPersistent*, const TRect& r, std::uint32_t) { Areas.push_back(r); };
  }
};

TEST(CustomBitmap32, SizesAndClippedOperations) {
  TCustomBitmap32 b;
  TEvents events(b);
  b.Clear(0x12345678);  // nothing to clear, nothing to report
  EXPECT_EQ(events.Changes, 0);
  EXPECT_TRUE(b.SetSize(-5, 10));
  EXPECT_TRUE(b.IsEmpty() && b.GetWidth() == 0 && b.GetHeight() == 10);
  b.SetSize(30, 30);
  EXPECT_EQ(Pixels(b), std::vector<TColor32>(900, clBlack32));  // new pixels are opaque black
  b.SetClipRect(TRect{10, 10, 20, 20});
  b.OuterColor = 0xABCDEF01;
  b.SetPixelClipped(20, 15, 0xFFFFFFFF);
  EXPECT_EQ(b.GetPixel(20, 15), clBlack32);
  EXPECT_EQ(b.GetPixelClipped(9, 15), 0xABCDEF01u);
  const auto onlyTheClip = [&](TColor32 color) {
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) ASSERT_EQ(b.GetPixel(x, y) == color, x >= 10 && x < 20 && y >= 10 && y < 20);
  };
  b.FillRectClipped(0, 0, 100, 100, 0x11111111);
  onlyTheClip(0x11111111);
  events.Areas.clear();
  b.Clear(0x22222222);
  onlyTheClip(0x22222222);
  EXPECT_EQ(events.Areas, (std::vector<TRect>{{0, 0, 30, 30}}));  // one notification, of the whole bitmap
  // A clip rectangle outside the bitmap is all zero; a new surface resets it.
  b.SetClipRect(TRect{40, 40, 50, 50});
  EXPECT_TRUE(b.GetClipRect() == TRect{} && b.GetClipping());
  b.SetSize(5, 5);
  EXPECT_TRUE(b.GetClipRect() == (TRect{0, 0, 5, 5}) && !b.GetClipping());
}

TEST(CustomBitmap32, UpdateBracketsSilenceNotification) {
  TCustomBitmap32 b;
  Solid(b, 20, 20, 0);
  TEvents events(b);
  EXPECT_EQ(imagingtest::ErrorOf<EInvalidOperation>([&] { b.EndUpdate(); }), "Unpaired TThreadPersistent.EndUpdate");
  b.BeginUpdate();
  b.FillRect(1, 1, 3, 3, 0xFF00FF00);
  b.EndUpdate();  // closing the bracket does not notify
  EXPECT_EQ(b.GetPixel(2, 2), 0xFF00FF00u);
  EXPECT_EQ(events.Changes, 0);
  EXPECT_TRUE(events.Areas.empty());
  b.FillRect(1, 1, 3, 3, 0xFF00FF00);
  EXPECT_EQ(events.Areas, (std::vector<TRect>{{1, 1, 3, 3}}));
}

TEST(CustomBitmap32, AntialiasedPointsWeighByTheGammaTableAndStayInTheClip) {
  TCustomBitmap32 b;
  b.SetSize(4, 4);
  // At a whole pixel an opaque colour is combined with weight 255^3 >> 16
  // and the three other pixels with weight 0; halfway the four share it.
  b.SetPixelFixedAA(2 << 16, 2 << 16, 0xFFFFFFFF);
  std::vector<TColor32> expected(16, clBlack32);
  expected[10] = RefV(0xFFFFFFFF, clBlack32, 253);
  EXPECT_EQ(Pixels(b), expected);
  b.Clear(clBlack32);
  b.SetPixelFixedAA(0x8000, 0x8000, 0xFFFFFFFF);
  const std::uint32_t quarter = GammaTable[127] * 255 * GammaTable[127] >> 16;
  EXPECT_EQ(b.GetPixel(0, 0), RefV(0xFFFFFFFF, clBlack32, quarter));
  // Points near and far beyond the clip rectangle touch nothing outside it.
  b.Clear(0);
  b.SetClipRect(TRect{1, 1, 3, 3});
  for (TFixed p : {-0x8000, 0x8000, 0x28000, 0x38000, 0x7FFF0000})
    for (TFixed q : {0x8000, 0x28000, -0x7FFF0000}) b.SetPixelFixedAA(p, q, 0xFFFFFFFF);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(b.GetPixel(x, y) != 0, x >= 1 && x < 3 && y >= 1 && y < 3) << x << "," << y;
}

TEST(CustomBitmap32, StipplesAdvanceThroughClippedPixelsAndLongRunsAreHeldInRange) {
  TCustomBitmap32 b;
  // Two colours with half steps alternate pure and mixed colours; clipped
  // pixels still advance the pattern.
  const TColor32 red = 0xFFFF0000, blue = 0xFF0000FF, redBlue = RefV(red, blue, 127), blueRed = RefV(blue, red, 127);
  for (const int clipLeft : {0, 3}) {
    Solid(b, 8, 1, 0);
    b.SetClipRect(TRect{clipLeft, 0, 8, 1});
    b.SetStipplePattern({red, blue});
    b.SetStippleStep(0.5f);
    b.HorzLineStippleClipped(0, 0, 7);
    const std::vector<TColor32> expected = {red, redBlue, blue, blueRed, red, redBlue, blue, blueRed};
    for (int x = clipLeft; x < 8; ++x) EXPECT_EQ(b.GetPixel(x, 0), expected[x]) << x;
  }
  // Runs to the ends of the coordinate range are cut, counted and reported.
  std::vector<TRect> areas;
  b.OnAreaChanged = [&](TPersistent*, const TRect& r, std::uint32_t) { areas.push_back(r); };
  b.HorzLineStippleClipped(INT32_MIN, 0, INT32_MAX);
  b.VertLineStippleClipped(INT32_MAX, INT32_MAX, 0);
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_EQ(areas[0], (TRect{INT32_MIN, 0, INT32_MAX, 1}));
  EXPECT_EQ(areas[1].Right, INT32_MAX);
}

TEST(CustomBitmap32, DataRoundTripAndRefusalOfCutOrHugeData) {
  TCustomBitmap32 a, b, c;
  imagingtest::FillRandom(a, 3, 2, 1);
  TMemoryStream stream;
  a.WriteData(stream);
  stream.SetPosition(0);
  b.ReadData(stream);
  EXPECT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(Pixels(b), Pixels(a));
  stream.SetSize(20);
  stream.SetPosition(0);
  EXPECT_THROW(c.ReadData(stream), EReadError);
  EXPECT_TRUE(c.IsEmpty());
  TMemoryStream huge;
  rtl::WriteLE<std::int32_t>(huge, 100000);
  rtl::WriteLE<std::int32_t>(huge, 100000);
  huge.SetPosition(0);
  EXPECT_THROW(c.ReadData(huge), EReadError);
}

}  // namespace
