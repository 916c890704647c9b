#include "imaging/CustomBitmap32.h"

#include <gtest/gtest.h>

#include <vector>

#include "imaging/Blend.h"
#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace imaging;

struct TEvents {
  int Changes = 0;
  std::vector<std::pair<TRect, std::uint32_t>> Areas;
  void Attach(TCustomBitmap32& b) {
    b.OnChange = [this](TPersistent*) { ++Changes; };
    b.OnAreaChanged = [this](TPersistent*, const TRect& r, std::uint32_t info) { Areas.push_back({r, info}); };
  }
};

// V(X, Y, W) per channel from its definition.
TColor32 RefV(TColor32 x, TColor32 y, std::uint32_t w) {
  TColor32 r = 0;
  for (int s = 0; s < 32; s += 8) {
    const int xc = x >> s & 255, yc = y >> s & 255;
    r |= static_cast<TColor32>((yc * 256 + 128 + static_cast<int>(w) * (xc - yc)) >> 8) << s;
  }
  return r;
}

TEST(CustomBitmap32, NegativeSizesBecomeZeroAndTheBitmapIsEmpty) {
  TCustomBitmap32 b;
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_TRUE(b.SetSize(-5, 10));
  EXPECT_EQ(b.GetWidth(), 0);
  EXPECT_EQ(b.GetHeight(), 10);
  EXPECT_TRUE(b.IsEmpty());
  EXPECT_EQ(b.GetBits(), nullptr);
  EXPECT_FALSE(b.SetSize(0, 10));
}

TEST(CustomBitmap32, NewPixelsAreOpaqueBlackAndResizingNotifies) {
  TCustomBitmap32 b;
  TEvents events;
  events.Attach(b);
  int resizes = 0;
  b.OnResize = [&](TPersistent*) { ++resizes; };
  b.SetSize(4, 3);
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(events.Changes, 1);
  ASSERT_EQ(events.Areas.size(), 1u);
  EXPECT_EQ(events.Areas[0].first, (TRect{0, 0, 4, 3}));
  EXPECT_EQ(events.Areas[0].second, AREAINFO_RECT);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(b.GetPixel(x, y), clBlack32);
  EXPECT_EQ(b.ScanLine(2), b.GetBits() + 8);
  EXPECT_EQ(b.PixelPtr(1, 2), b.GetBits() + 9);
}

TEST(CustomBitmap32, ClearOnAnEmptyBitmapDoesNothing) {
  TCustomBitmap32 b;
  TEvents events;
  events.Attach(b);
  b.Clear(0x12345678);
  EXPECT_EQ(events.Changes, 0);
  EXPECT_TRUE(events.Areas.empty());
}

TEST(CustomBitmap32, ClippedOperationsStayInsideTheClipRectangle) {
  TCustomBitmap32 b;
  b.SetSize(30, 30);
  b.Clear(0);
  b.SetClipRect(TRect{10, 10, 20, 20});
  EXPECT_TRUE(b.GetClipping());
  b.OuterColor = 0xABCDEF01;
  b.SetPixelClipped(20, 15, 0xFFFFFFFF);
  EXPECT_EQ(b.GetPixel(20, 15), 0u);
  b.SetPixelClipped(19, 15, 0xFFFFFFFF);
  EXPECT_EQ(b.GetPixel(19, 15), 0xFFFFFFFFu);
  EXPECT_EQ(b.GetPixelClipped(9, 15), 0xABCDEF01u);
  EXPECT_EQ(b.GetPixelClipped(19, 15), 0xFFFFFFFFu);

  b.FillRectClipped(0, 0, 100, 100, 0x11111111);
  int filled = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool inside = x >= 10 && x < 20 && y >= 10 && y < 20;
      EXPECT_EQ(b.GetPixel(x, y) == 0x11111111u, inside);
      filled += inside;
    }
  EXPECT_EQ(filled, 100);
  TEvents events;
  events.Attach(b);
  b.Clear(0x22222222);
  EXPECT_EQ(events.Changes, 1);  // one notification, of the whole bitmap
  ASSERT_EQ(events.Areas.size(), 1u);
  EXPECT_EQ(events.Areas[0].first, (TRect{0, 0, 30, 30}));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x)
      EXPECT_EQ(b.GetPixel(x, y) == 0x22222222u, x >= 10 && x < 20 && y >= 10 && y < 20);
}

TEST(CustomBitmap32, ClipRectangleOutsideTheBitmapBecomesAllZero) {
  TCustomBitmap32 b;
  b.SetSize(10, 10);
  EXPECT_FALSE(b.GetClipping());
  b.SetClipRect(TRect{20, 20, 30, 30});
  EXPECT_EQ(b.GetClipRect(), TRect{});
  EXPECT_TRUE(b.GetClipping());
  b.SetClipRect(TRect{-5, 2, 50, 8});
  EXPECT_EQ(b.GetClipRect(), (TRect{0, 2, 10, 8}));
  b.SetSize(5, 5);  // a new surface resets the clip rectangle
  EXPECT_EQ(b.GetClipRect(), (TRect{0, 0, 5, 5}));
  EXPECT_FALSE(b.GetClipping());
}

TEST(CustomBitmap32, UpdateBracketsSilenceNotification) {
  TCustomBitmap32 b;
  b.SetSize(8, 8);
  TEvents events;
  events.Attach(b);
  EXPECT_THROW(
      {
        try {
          b.EndUpdate();
        } catch (const EInvalidOperation& e) {
          EXPECT_STREQ(e.what(), "Unpaired TThreadPersistent.EndUpdate");
          throw;
        }
      },
      EInvalidOperation);
  EXPECT_EQ(b.GetUpdateCount(), 0);
  b.BeginUpdate();
  b.FillRect(1, 1, 3, 3, 0xFF00FF00);
  EXPECT_EQ(b.GetPixel(2, 2), 0xFF00FF00u);
  EXPECT_EQ(events.Changes, 0);
  EXPECT_TRUE(events.Areas.empty());
  b.EndUpdate();
  EXPECT_EQ(events.Changes, 0);  // closing the bracket does not notify
  b.FillRect(1, 1, 3, 3, 0xFF00FF00);
  EXPECT_EQ(events.Changes, 1);
  ASSERT_EQ(events.Areas.size(), 1u);
  EXPECT_EQ(events.Areas[0].first, (TRect{1, 1, 3, 3}));
}

TEST(CustomBitmap32, MeasuringReportsAreasWithoutDrawing) {
  TCustomBitmap32 b;
  b.SetSize(20, 20);
  b.Clear(0);
  TEvents events;
  events.Attach(b);
  std::vector<TRect> measured;
  b.BeginUpdate();  // areas are reported even inside a bracket while measuring
  b.BeginMeasuring([&](TPersistent*, const TRect& r, std::uint32_t) { measured.push_back(r); });
  EXPECT_TRUE(b.GetMeasuringMode());
  b.FillRectClipped(-5, 2, 4, 6, 0xFFFFFFFF);
  b.HorzLineClipped(0, 10, 5, 0xFFFFFFFF);
  b.Line(0, 0, 19, 7, 0xFFFFFFFF, true);
  b.LineFixedAA(0, 0, 10 << 16, 3 << 16, 0xFFFFFFFF);
  b.Clear(0xFFFFFFFF);
  b.EndMeasuring();
  b.EndUpdate();
  EXPECT_FALSE(b.GetMeasuringMode());
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(b.GetPixel(x, y), 0u);
  ASSERT_EQ(measured.size(), 5u);
  EXPECT_EQ(measured[0], (TRect{0, 2, 4, 6}));
  EXPECT_EQ(measured[1], (TRect{0, 10, 6, 11}));
  EXPECT_EQ(measured[2], (TRect{0, 0, 19, 7}));
  EXPECT_EQ(measured[4], (TRect{0, 0, 20, 20}));
  EXPECT_EQ(events.Changes, 0);
  EXPECT_TRUE(events.Areas.empty());  // the normal handler was set aside
  b.Clear(1);
  EXPECT_EQ(events.Areas.size(), 1u);  // and is back
}

TEST(CustomBitmap32, PropertySettersNotifyOnlyOnChange) {
  TCustomBitmap32 b;
  TEvents events;
  events.Attach(b);
  b.SetDrawMode(dmBlend);
  b.SetDrawMode(dmBlend);
  b.SetCombineMode(cmMerge);
  b.SetWrapMode(wmMirror);
  b.SetMasterAlpha(300);
  EXPECT_EQ(b.GetMasterAlpha(), 255u);  // clamped, unchanged
  b.SetMasterAlpha(100);
  b.SetStretchFilter(sfLanczos);
  EXPECT_EQ(events.Changes, 5);
}

TEST(CustomBitmap32, AntialiasedPointAtAWholePixelTouchesOnePixel) {
  TCustomBitmap32 b;
  b.SetSize(5, 5);
  b.Clear(0xFF000000);
  b.SetPixelFixedAA(2 << 16, 2 << 16, 0xFFFFFFFF);
  EXPECT_EQ(b.GetPixel(2, 2), RefV(0xFFFFFFFF, 0xFF000000, 253));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      if (x != 2 || y != 2) {
        ASSERT_EQ(b.GetPixel(x, y), 0xFF000000u);
      }
}

// The four weights from the gamma table, against the pixels written.
TEST(CustomBitmap32, AntialiasedPointWeightsFollowTheGammaTable) {
  for (TCombineMode mode : {cmBlend, cmMerge}) {
    for (TFixed fx : {0x2000, 0x8000, 0xC040}) {
      TCustomBitmap32 b;
      b.SetSize(6, 6);
      b.Clear(0xC0204060);
      b.SetCombineMode(mode);
      const TColor32 color = 0x9080F010;
      const TFixed x = (2 << 16) + fx, y = (1 << 16) + 0x6000;
      b.SetPixelFixedAA(x, y, color);
      const std::int32_t x8 = (x + 127) >> 8, y8 = (y + 127) >> 8;
      const std::uint32_t h[2] = {GammaTable[255 - (x8 & 255)], GammaTable[x8 & 255]};
      const std::uint32_t v[2] = {GammaTable[255 - (y8 & 255)], GammaTable[y8 & 255]};
      for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
          const TColor32 old = 0xC0204060;
          std::uint32_t w;
          TColor32 source = color;
          if (mode == cmBlend) {
            w = (h[i] * (color >> 24) * v[j]) >> 16;
          } else {
            w = (h[i] * v[j]) >> 8;
            source = MergeReg(color, old);
          }
          const TColor32 expected = w == 0 ? old : w == 255 ? source : RefV(source, old, w);
          EXPECT_EQ(b.GetPixel((x8 >> 8) + i, (y8 >> 8) + j), expected) << mode << " " << fx << " " << i << j;
        }
    }
  }
}

TEST(CustomBitmap32, AntialiasedPointsAtTheEdgeAreClipped) {
  TCustomBitmap32 b;
  b.SetSize(4, 4);
  b.Clear(0);
  b.SetClipRect(TRect{1, 1, 3, 3});
  // Each of these has two or four of its neighbours outside the clip.
  for (TFixed p : {-0x8000, 0x8000, 0x28000, 0x38000, 0x7FFF0000})
    for (TFixed q : {0x8000, 0x28000, -0x7FFF0000}) b.SetPixelFixedAA(p, q, 0xFFFFFFFF);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      if (x < 1 || x >= 3 || y < 1 || y >= 3) {
        EXPECT_EQ(b.GetPixel(x, y), 0u) << x << "," << y;
      }
  EXPECT_NE(b.GetPixel(1, 1), 0u);
}

TEST(CustomBitmap32, BilinearSampling) {
  TCustomBitmap32 b;
  b.SetSize(3, 2);
  const TColor32 px[2][3] = {{0xFF000000, 0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0xFFFFFFFF, 0x00000000}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) b.SetPixel(x, y, px[y][x]);
  b.OuterColor = 0x12345678;
  const auto expect = [&](int x8, int y8) {
    const std::uint32_t wl = GammaTable[255 - (x8 & 255)], wt = GammaTable[255 - (y8 & 255)];
    const int x = x8 >> 8, y = y8 >> 8;
    const TColor32 top = RefV(px[y][x], px[y][x + 1], wl), bottom = RefV(px[y + 1][x], px[y + 1][x + 1], wl);
    EXPECT_EQ(b.SamplePixel8(x8, y8), RefV(top, bottom, wt)) << x8 << "," << y8;
  };
  expect(0, 0);
  expect(100, 30);
  expect(256 + 200, 255);
  EXPECT_EQ(b.SamplePixel8(512, 0), px[0][2]);    // last column
  EXPECT_EQ(b.SamplePixel8(512, 256), px[1][2]);  // last column, last row
  EXPECT_EQ(b.SamplePixel8(300, 256), px[1][1]);  // last row
  EXPECT_EQ(b.SamplePixel8(-1, 0), 0x12345678u);
  EXPECT_EQ(b.SamplePixel8(513, 0), 0x12345678u);
  EXPECT_EQ(b.SamplePixel8(0, 257), 0x12345678u);
  EXPECT_EQ(b.SamplePixelFixed(0x10000, 0), b.SamplePixel8(256, 0));
}

TEST(CustomBitmap32, WrappedReadsFoldIntoTheClipRectangle) {
  TCustomBitmap32 b;
  b.SetSize(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) b.SetPixel(x, y, static_cast<TColor32>(y * 16 + x));
  EXPECT_EQ(b.GetPixelWrapped(-3, 9), b.GetPixel(0, 3));  // clamp
  b.SetWrapMode(wmRepeat);
  EXPECT_EQ(b.GetPixelWrapped(-1, 9), b.GetPixel(3, 1));
  b.SetWrapMode(wmMirror);
  EXPECT_EQ(b.GetPixelWrapped(-1, 4), b.GetPixel(0, 3));
  b.SetClipRect(TRect{1, 1, 3, 3});
  b.SetWrapMode(wmRepeat);
  EXPECT_EQ(b.GetPixelWrapped(3, 0), b.GetPixel(1, 2));
  // Sub-pixel: halfway between two columns of one row.
  b.SetClipRect(b.BoundsRect());
  b.SetPixel(0, 0, 0xFF000000);
  b.SetPixel(1, 0, 0xFFFFFFFF);
  b.SetPixel(0, 1, 0xFF000000);
  b.SetPixel(1, 1, 0xFFFFFFFF);
  EXPECT_EQ(b.GetPixelFixedWrapped(0x8000, 0), RefV(0xFFFFFFFF, 0xFF000000, 128));
  b.SetClipRect(TRect{9, 9, 9, 9});
  b.OuterColor = 5;
  EXPECT_EQ(b.GetPixelWrapped(0, 0), 5u);
  EXPECT_EQ(b.GetPixelFixedWrapped(0, 0), 5u);
}

TEST(CustomBitmap32, FrameRectanglesDrawTheirBorderOnly) {
  TCustomBitmap32 b;
  b.SetSize(12, 12);
  b.Clear(0);
  b.FrameRectClipped(2, 3, 9, 8, 0xFF112233);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool border = (x >= 2 && x <= 8 && (y == 3 || y == 7)) || (y >= 3 && y <= 7 && (x == 2 || x == 8));
      ASSERT_EQ(b.GetPixel(x, y) == 0xFF112233u, border) << x << "," << y;
    }
  // Blended with half alpha every border pixel is hit exactly once.
  b.Clear(0xFF000000);
  b.SetStipplePattern({0x80FFFFFF});
  b.FrameRectStipple(2, 3, 9, 8);
  const TColor32 once = RefV(0x80FFFFFF, 0xFF000000, 0x80);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool border = (x >= 2 && x <= 8 && (y == 3 || y == 7)) || (y >= 3 && y <= 7 && (x == 2 || x == 8));
      ASSERT_EQ(b.GetPixel(x, y), border ? once : 0xFF000000u) << x << "," << y;
    }
}

TEST(CustomBitmap32, StippleWithHalfStepsAlternatesPureAndMixedColours) {
  TCustomBitmap32 b;
  b.SetSize(8, 1);
  b.Clear(0);
  b.SetStipplePattern({0xFFFF0000, 0xFF0000FF});
  b.SetStippleStep(0.5f);
  b.HorzLineStippleClipped(0, 0, 7);
  const TColor32 red = 0xFFFF0000, blue = 0xFF0000FF;
  const TColor32 expected[8] = {red, RefV(red, blue, 127), blue, RefV(blue, red, 127),
                                red, RefV(red, blue, 127), blue, RefV(blue, red, 127)};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(b.GetPixel(x, 0), expected[x]) << x;
  // Clipped pixels still advance the pattern: the same colours land on the
  // same columns when the left part is cut away.
  TCustomBitmap32 c;
  c.SetSize(8, 1);
  c.Clear(0);
  c.SetClipRect(TRect{3, 0, 8, 1});
  c.SetStipplePattern({0xFFFF0000, 0xFF0000FF});
  c.SetStippleStep(0.5f);
  c.HorzLineStippleClipped(0, 0, 7);
  for (int x = 3; x < 8; ++x) EXPECT_EQ(c.GetPixel(x, 0), expected[x]) << x;
  // Right to left starts at the right end.
  c.SetClipRect(c.BoundsRect());
  c.SetStipplePattern({0xFFFF0000, 0xFF0000FF});
  c.SetStippleStep(1);
  c.HorzLineStippleClipped(7, 0, 4);
  EXPECT_EQ(c.GetPixel(7, 0), red);
  EXPECT_EQ(c.GetPixel(6, 0), blue);
  EXPECT_EQ(c.GetPixel(4, 0), blue);
  TCustomBitmap32 empty;
  EXPECT_EQ(empty.GetStippleColor(), clBlack32);
  // Runs to the ends of the coordinate range are cut, counted and reported.
  std::vector<TRect> areas;
  c.OnAreaChanged = [&](TPersistent*, const TRect& r, std::uint32_t) { areas.push_back(r); };
  c.HorzLineStippleClipped(INT32_MIN, 0, INT32_MAX);
  c.VertLineStippleClipped(INT32_MAX, INT32_MAX, 0);
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_EQ(areas[0], (TRect{INT32_MIN, 0, INT32_MAX, 1}));
  EXPECT_EQ(areas[1].Right, INT32_MAX);
}

TEST(CustomBitmap32, AssignCopiesPixelsAndProperties) {
  TCustomBitmap32 a;
  a.SetSize(3, 2);
  a.Clear(0x80402010);
  a.SetPixel(2, 1, 7);
  a.SetDrawMode(dmBlend);
  a.SetCombineMode(cmMerge);
  a.SetMasterAlpha(99);
  a.OuterColor = 0x55;
  a.SetStretchFilter(sfLinear);
  TCustomBitmap32 b;
  TEvents events;
  events.Attach(b);
  b.Assign(&a);
  EXPECT_EQ(events.Changes, 1);
  ASSERT_EQ(b.GetWidth(), 3);
  EXPECT_EQ(b.GetPixel(0, 0), 0x80402010u);
  EXPECT_EQ(b.GetPixel(2, 1), 7u);
  EXPECT_EQ(b.GetDrawMode(), dmBlend);
  EXPECT_EQ(b.GetCombineMode(), cmMerge);
  EXPECT_EQ(b.GetMasterAlpha(), 99u);
  EXPECT_EQ(b.OuterColor, 0x55u);
  EXPECT_EQ(b.GetStretchFilter(), sfLinear);
  b.Assign(nullptr);
  EXPECT_TRUE(b.IsEmpty());
  TNotifiablePersistent other;
  EXPECT_THROW(b.Assign(&other), EConvertError);
  EXPECT_EQ(b.GetUpdateCount(), 0);
}

TEST(CustomBitmap32, ResetAlphaKeepsTheColour) {
  TCustomBitmap32 b;
  b.SetSize(2, 2);
  b.Clear(0x10203040);
  b.ResetAlpha();
  EXPECT_EQ(b.GetPixel(1, 1), 0xFF203040u);
  b.ResetAlpha(7);
  EXPECT_EQ(b.GetPixel(0, 1), 0x07203040u);
}

TEST(CustomBitmap32, DataRoundTripAndTruncatedData) {
  TCustomBitmap32 a;
  a.SetSize(3, 2);
  for (int i = 0; i < 6; ++i) a.GetBits()[i] = 0x01020304u * static_cast<TColor32>(i + 1);
  TMemoryStream stream;
  a.WriteData(stream);
  EXPECT_EQ(stream.GetSize(), 8 + 24);
  stream.SetPosition(0);
  TCustomBitmap32 b;
  b.ReadData(stream);
  ASSERT_EQ(b.GetWidth(), 3);
  ASSERT_EQ(b.GetHeight(), 2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.GetBits()[i], a.GetBits()[i]);
  stream.SetSize(20);
  stream.SetPosition(0);
  TCustomBitmap32 c;
  EXPECT_THROW(c.ReadData(stream), EReadError);
  EXPECT_TRUE(c.IsEmpty());
  TMemoryStream huge;
  rtl::WriteLE<std::int32_t>(huge, 100000);
  rtl::WriteLE<std::int32_t>(huge, 100000);
  huge.SetPosition(0);
  EXPECT_THROW(c.ReadData(huge), EReadError);
}

}  // namespace
