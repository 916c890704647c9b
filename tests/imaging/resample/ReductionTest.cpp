// Box reduction: spans by hand and by their defining property, block means
// against a brute-force oracle, the guards around empty, enlarging and
// out-of-range rectangles, and the choice between the box filter and the
// general transfer.

#include <gtest/gtest.h>

#include <vector>

#include "tests/imaging/ImagingTestSupport.h"
#include "imaging/resample/BoxDownsample.h"
#include "imaging/core/RasterError.h"
#include "imaging/resample/Resamplers.h"
#include "platform/gdi/Bitmap.h"

namespace {

using namespace imaging;
using imagingtest::FillRandom;
using imagingtest::Pixels;
using imagingtest::Solid;

TEST(SplitIntoSpans, SpansCoverTheLengthEvenlyWithTheRemainderSpreadToTheEnd) {
  std::vector<std::int32_t> starts, widths;
  SplitIntoSpans(10, 3, starts, widths);
  EXPECT_EQ(widths, (std::vector<std::int32_t>{3, 3, 4}));
  EXPECT_EQ(starts, (std::vector<std::int32_t>{0, 3, 6}));
  for (std::int32_t length = 0; length <= 60; ++length)
    for (std::int32_t count = 1; count <= 61; ++count) {
      SplitIntoSpans(length, count, starts, widths);
      ASSERT_EQ(widths.size(), static_cast<std::size_t>(count));
      std::int32_t position = 0;
      for (std::size_t i = 0; i < widths.size(); position += widths[i++]) {
        ASSERT_EQ(starts[i], position);
        ASSERT_TRUE(widths[i] == length / count || widths[i] == length / count + 1) << length << " / " << count;
      }
      ASSERT_EQ(position, length);
    }
  SplitIntoSpans(10, 0, starts, widths);
  EXPECT_TRUE(starts.empty() && widths.empty());
}

TEST(BoxDownsample32, EachPixelIsTheTruncatedMeanOfItsBlock) {
  TCustomBitmap32 src, dst;
  src.SetSize(4, 4);  // alternating black and white: 255 x 2 div 4
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.SetPixel(x, y, (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000);
  dst.SetSize(2, 2);
  BoxDownsample32(dst, dst.BoundsRect(), src, src.BoundsRect());
  EXPECT_EQ(Pixels(dst), std::vector<TColor32>(4, 0xFF7F7F7F));
  FillRandom(src, 23, 17, 1);
  const TRect srcRect{2, 1, 21, 16}, dstRect{3, 4, 10, 9};
  Solid(dst, 12, 10, 0x5A5A5A5A);
  BoxDownsample32(dst, dstRect, src, srcRect);
  std::vector<std::int32_t> columns, widths, rows, heights;
  SplitIntoSpans(19, 7, columns, widths);
  SplitIntoSpans(15, 5, rows, heights);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      TColor32 expected = 0x5A5A5A5A;
      if (x >= 3 && x < 10 && y >= 4 && y < 9) {
        const int bx = x - 3, by = y - 4;
        expected = 0;
        for (int c = 0; c < 32; c += 8) {
          TColor32 sum = 0;
          for (int sy = rows[by]; sy < rows[by] + heights[by]; ++sy)
            for (int sx = columns[bx]; sx < columns[bx] + widths[bx]; ++sx)
              sum += src.GetPixel(srcRect.Left + sx, srcRect.Top + sy) >> c & 0xFF;
          expected |= sum / static_cast<TColor32>(widths[bx] * heights[by]) << c;
        }
      }
      EXPECT_EQ(dst.GetPixel(x, y), expected) << x << "," << y;
    }
}

TEST(BoxDownsample32, WritesOnlyInsideTheClipAndNothingForEmptyOrEnlargingRectangles) {
  TCustomBitmap32 src, dst;
  Solid(src, 40, 40, 0xFFFFFFFF);
  Solid(dst, 16, 16, 0);
  BoxDownsample32(dst, TRect{0, 0, 0, 4}, src, src.BoundsRect());     // a reduced side of 0
  BoxDownsample32(dst, TRect{0, 0, 4, 4}, src, TRect{3, 3, 3, 8});    // empty source
  BoxDownsample32(dst, TRect{0, 0, 16, 4}, src, TRect{0, 0, 8, 8});   // wider than the source
  BoxDownsample32(dst, TRect{0, 0, 4, 9}, src, TRect{0, 0, 8, 8});    // taller
  EXPECT_EQ(Pixels(dst), std::vector<TColor32>(256, 0));
  EXPECT_THROW(BoxDownsample32(dst, TRect{0, 0, 2, 2}, src, TRect{-1, 0, 8, 8}), ERasterError);
  dst.SetClipRect(TRect{2, 3, 8, 9});
  BoxDownsample32(dst, TRect{-5, -5, 15, 15}, src, src.BoundsRect());
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(dst.GetPixel(x, y), x >= 2 && x < 8 && y >= 3 && y < 9 ? 0xFFFFFFFFu : 0u);
}

TEST(BoxDownsampleBitmap, SameFormatsOnly) {
  TBitmap src, dst;
  src.SetSize(4, 2);
  for (int i = 0; i < 8; ++i) src.GetSurface().Pixel(i % 4, i / 4) = 0x40000000u | 10u * static_cast<std::uint32_t>(i + 1);
  dst.SetSize(2, 1);
  for (const auto& [from, to, expected] : {std::tuple{pf24bit, pf24bit, 0x40000023u}, {pf32bit, pf32bit, 0x40000023u},
                                           {pf24bit, pf32bit, 0u}, {pf16bit, pf16bit, 0u}}) {
    src.SetPixelFormat(from);
    dst.SetPixelFormat(to);
    dst.GetSurface().Pixel(0, 0) = 0;
    BoxDownsampleBitmap(src, dst);
    EXPECT_EQ(dst.GetSurface().Pixel(0, 0), expected) << from << " " << to;  // (10 + 20 + 50 + 60) / 4
  }
}

TEST(StretchDrawBitmap, OnlyLinearShrinkingWithoutCallbackUsesTheBoxFilter) {
  TCustomBitmap32 src, viaBox, general, drawn;
  FillRandom(src, 30, 20, 2);
  for (TCustomBitmap32* b : {&viaBox, &general, &drawn}) b->SetSize(40, 30);
  BoxDownsample32(viaBox, TRect{1, 1, 11, 8}, src, TRect{2, 2, 29, 19});
  StretchDrawBitmap(drawn, TRect{1, 1, 11, 8}, src, dmOpaque, nullptr, sfLinear, TRect{2, 2, 29, 19});
  EXPECT_EQ(Pixels(drawn), Pixels(viaBox));
  EXPECT_EQ(src.GetStretchFilter(), sfNearest);  // untouched by the box filter
  // Shrinking with nearest goes through the bitmap's own drawing.
  drawn.Clear(clBlack32);
  StretchDrawBitmap(drawn, TRect{0, 0, 5, 4}, src, dmOpaque, nullptr, sfNearest, src.BoundsRect());
  src.DrawRectTo(general, TRect{0, 0, 5, 4}, src.BoundsRect());
  EXPECT_EQ(Pixels(drawn), Pixels(general));
}

}  // namespace
