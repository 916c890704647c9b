// Box reduction: spans by hand, block means against a brute-force oracle,
// the guards around empty, enlarging and out-of-range rectangles, and the
// choice between the box filter and the general transfer.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imaging/BoxDownsample.h"
#include "imaging/RasterError.h"
#include "imaging/Resamplers.h"
#include "platform/gdi/Bitmap.h"

namespace {

using namespace imaging;

void FillRandom(TCustomBitmap32& b, std::uint32_t seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) b.SetPixel(x, y, rng());
}

TEST(SplitIntoSpans, TenPixelsIntoThreeSpans) {
  std::vector<std::int32_t> starts, widths;
  SplitIntoSpans(10, 3, starts, widths);
  EXPECT_EQ(widths, (std::vector<std::int32_t>{3, 3, 4}));
  EXPECT_EQ(starts, (std::vector<std::int32_t>{0, 3, 6}));
  SplitIntoSpans(7, 4, starts, widths);  // remainder 3: the accumulator passes 4 at spans 2, 3 and 4
  EXPECT_EQ(widths, (std::vector<std::int32_t>{1, 2, 2, 2}));
  EXPECT_EQ(starts, (std::vector<std::int32_t>{0, 1, 3, 5}));
}

TEST(SplitIntoSpans, SpansCoverTheLengthEvenly) {
  std::vector<std::int32_t> starts, widths;
  for (std::int32_t length = 0; length <= 60; ++length)
    for (std::int32_t count = 1; count <= 61; ++count) {
      SplitIntoSpans(length, count, starts, widths);
      ASSERT_EQ(widths.size(), static_cast<std::size_t>(count));
      std::int32_t position = 0;
      for (std::size_t i = 0; i < widths.size(); ++i) {
        EXPECT_EQ(starts[i], position);
        EXPECT_GE(widths[i], length / count);
        EXPECT_LE(widths[i], length / count + 1);
        position += widths[i];
      }
      EXPECT_EQ(position, length);
    }
}

TEST(SplitIntoSpans, NoSpansForACountBelowOne) {
  std::vector<std::int32_t> starts{1}, widths{2};
  SplitIntoSpans(10, 0, starts, widths);
  EXPECT_TRUE(starts.empty());
  EXPECT_TRUE(widths.empty());
  SplitIntoSpans(10, -4, starts, widths);
  EXPECT_TRUE(widths.empty());
}

TEST(BoxDownsample32, AlternatingPixelsAverageToHalfGrey) {
  TCustomBitmap32 src, dst;
  src.SetSize(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.SetPixel(x, y, (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000);
  dst.SetSize(2, 2);
  BoxDownsample32(dst, dst.BoundsRect(), src, src.BoundsRect());
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(dst.GetPixel(x, y), 0xFF7F7F7Fu);
}

TEST(BoxDownsample32, EachPixelIsTheTruncatedMeanOfItsBlock) {
  TCustomBitmap32 src, dst;
  src.SetSize(23, 17);
  FillRandom(src, 1);
  const TRect srcRect{2, 1, 21, 16}, dstRect{3, 4, 10, 9};
  dst.SetSize(12, 10);
  dst.Clear(0x5A5A5A5A);
  BoxDownsample32(dst, dstRect, src, srcRect);
  // Block edges from the spans' definition: base length plus one for the
  // spans where the running remainder reaches the count.
  const auto edges = [](int length, int count) {
    std::vector<int> e{0};
    int accumulator = 0;
    for (int i = 0; i < count; ++i) {
      accumulator += length % count;
      const int extra = accumulator >= count ? 1 : 0;
      accumulator -= extra * count;
      e.push_back(e.back() + length / count + extra);
    }
    return e;
  };
  const auto columns = edges(19, 7), rows = edges(15, 5);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      if (x < 3 || x >= 10 || y < 4 || y >= 9) {
        EXPECT_EQ(dst.GetPixel(x, y), 0x5A5A5A5Au);
        continue;
      }
      const int bx = x - 3, by = y - 4;
      TColor32 expected = 0;
      for (int c = 0; c < 4; ++c) {
        int sum = 0, count = 0;
        for (int sy = rows[by]; sy < rows[by + 1]; ++sy)
          for (int sx = columns[bx]; sx < columns[bx + 1]; ++sx, ++count)
            sum += src.GetPixel(srcRect.Left + sx, srcRect.Top + sy) >> (8 * c) & 0xFF;
        expected |= static_cast<TColor32>(sum / count) << (8 * c);
      }
      EXPECT_EQ(dst.GetPixel(x, y), expected) << x << "," << y;
    }
}

TEST(BoxDownsample32, WritesOnlyInsideTheDestinationClip) {
  TCustomBitmap32 src, dst;
  src.SetSize(40, 40);
  src.Clear(0xFFFFFFFF);
  dst.SetSize(10, 10);
  dst.Clear(0);
  dst.SetClipRect(TRect{2, 3, 8, 9});
  BoxDownsample32(dst, TRect{-5, -5, 15, 15}, src, src.BoundsRect());
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 8 && y >= 3 && y < 9;
      EXPECT_EQ(dst.GetPixel(x, y), inside ? 0xFFFFFFFFu : 0u) << x << "," << y;
    }
}

TEST(BoxDownsample32, EmptyOrEnlargingRectanglesDoNothing) {
  TCustomBitmap32 src, dst;
  src.SetSize(8, 8);
  src.Clear(0xFFFFFFFF);
  dst.SetSize(16, 16);
  dst.Clear(0);
  BoxDownsample32(dst, TRect{0, 0, 0, 4}, src, src.BoundsRect());   // a reduced side of 0
  BoxDownsample32(dst, TRect{0, 0, 4, 4}, src, TRect{3, 3, 3, 8});  // empty source
  BoxDownsample32(dst, TRect{0, 0, 16, 4}, src, src.BoundsRect());  // wider than the source
  BoxDownsample32(dst, TRect{0, 0, 4, 9}, src, src.BoundsRect());   // taller
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(dst.GetPixel(x, y), 0u);
  try {
    BoxDownsample32(dst, TRect{0, 0, 2, 2}, src, TRect{-1, 0, 8, 8});
    FAIL();
  } catch (const ERasterError& e) {
    EXPECT_STREQ(e.what(), "Invalid SrcRect");
  }
}

TEST(BoxDownsampleBitmap, SameFormatsOfEightTwentyFourOrThirtyTwoBitsOnly) {
  TBitmap src, dst;
  src.SetSize(4, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) {
      const std::uint32_t blue = 10u * static_cast<std::uint32_t>(4 * y + x + 1);
      src.GetSurface().Pixel(x, y) = 0x40000000u | blue * 3 << 16 | blue * 2 << 8 | blue;
    }
  dst.SetSize(2, 1);
  const auto reduced = [&](TPixelFormat from, TPixelFormat to) {
    src.SetPixelFormat(from);
    dst.SetPixelFormat(to);
    dst.GetSurface().Pixel(0, 0) = dst.GetSurface().Pixel(1, 0) = 0;
    BoxDownsampleBitmap(src, dst);
    return std::pair{dst.GetSurface().Pixel(0, 0), dst.GetSurface().Pixel(1, 0)};
  };
  // Blocks of 2 x 2: blue 10 + 20 + 50 + 60 = 140 and 30 + 40 + 70 + 80 = 220.
  const auto expected = std::pair{0x40694623u, 0x40A56E37u};  // 35, 70, 105 and 55, 110, 165
  EXPECT_EQ(reduced(pf24bit, pf24bit), expected);
  EXPECT_EQ(reduced(pf32bit, pf32bit), expected);
  EXPECT_EQ(reduced(pf8bit, pf8bit), expected);
  EXPECT_EQ(reduced(pf24bit, pf32bit), (std::pair{0u, 0u}));
  EXPECT_EQ(reduced(pf16bit, pf16bit), (std::pair{0u, 0u}));
  EXPECT_EQ(reduced(pfDevice, pfDevice), (std::pair{0u, 0u}));
  dst.SetSize(5, 1);  // wider than the source
  EXPECT_EQ(reduced(pf32bit, pf32bit), (std::pair{0u, 0u}));
  TBitmap empty;
  empty.SetPixelFormat(pf32bit);
  BoxDownsampleBitmap(empty, dst);
  BoxDownsampleBitmap(src, empty);
  EXPECT_EQ(dst.GetSurface().Pixel(0, 0), 0u);
}

TEST(StretchDrawBitmap, ShrinkingLinearlyWithoutCallbackUsesTheBoxFilter) {
  TCustomBitmap32 src, viaBox, dst;
  src.SetSize(30, 20);
  FillRandom(src, 2);
  viaBox.SetSize(12, 9);
  BoxDownsample32(viaBox, TRect{1, 1, 11, 8}, src, TRect{2, 2, 29, 19});
  dst.SetSize(12, 9);
  std::vector<TRect> areas;
  dst.OnAreaChanged = [&](TPersistent*, const TRect& area, std::uint32_t) { areas.push_back(area); };
  StretchDrawBitmap(dst, TRect{1, 1, 11, 8}, src, dmBlend, nullptr, sfLinear, TRect{2, 2, 29, 19});
  EXPECT_EQ(src.GetStretchFilter(), sfNearest);  // untouched
  EXPECT_EQ(areas, (std::vector<TRect>{{1, 1, 11, 8}}));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(dst.GetPixel(x, y), viaBox.GetPixel(x, y));
}

TEST(StretchDrawBitmap, OtherCasesUseTheGeneralTransfer) {
  TCustomBitmap32 src;
  src.SetSize(10, 8);
  FillRandom(src, 3);
  const auto compare = [&](const TRect& dstRect, TStretchFilter filter, const TPixelCombineEvent& callback,
                           const TRect& srcRect) {
    TCustomBitmap32 general, drawn;
    general.SetSize(25, 20);
    drawn.SetSize(25, 20);
    TCustomBitmap32 reference;
    reference.Assign(&src);
    reference.SetStretchFilter(filter);
    reference.SetDrawMode(callback ? dmCustom : dmOpaque);
    reference.OnPixelCombine = callback;
    reference.DrawRectTo(general, dstRect, srcRect);
    StretchDrawBitmap(drawn, dstRect, src, callback ? dmCustom : dmOpaque, callback, filter, srcRect);
    EXPECT_EQ(src.GetStretchFilter(), filter);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 25; ++x) ASSERT_EQ(drawn.GetPixel(x, y), general.GetPixel(x, y)) << filter;
  };
  compare(TRect{0, 0, 25, 20}, sfLinear, nullptr, src.BoundsRect());  // enlarging
  compare(TRect{0, 0, 5, 4}, sfNearest, nullptr, src.BoundsRect());   // shrinking, nearest
  compare(TRect{0, 0, 5, 4}, sfLanczos, nullptr, src.BoundsRect());
  compare(
      TRect{0, 0, 5, 4}, sfLinear, [](TColor32 f, TColor32& b, TColor32) { b = f ^ 0xFF; },
      src.BoundsRect());                                               // with a callback
  compare(TRect{0, 0, 6, 4}, sfLinear, nullptr, TRect{-2, 0, 10, 8});  // source reaching outside
}

TEST(StretchDrawBitmap, MeasuringReportsWithoutDrawing) {
  TCustomBitmap32 src, dst;
  src.SetSize(8, 8);
  src.Clear(0xFFFFFFFF);
  dst.SetSize(4, 4);
  dst.Clear(0);
  int reports = 0;
  dst.BeginMeasuring([&](TPersistent*, const TRect& area, std::uint32_t) {
    EXPECT_EQ(area, (TRect{0, 0, 4, 4}));
    ++reports;
  });
  StretchDrawBitmap(dst, TRect{0, 0, 4, 4}, src, dmOpaque, nullptr, sfLinear, src.BoundsRect());
  dst.EndMeasuring();
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(dst.GetPixel(1, 1), 0u);
}

}  // namespace
