// Lines against an independent Bresenham walk and against brute force
// clipping of the unclipped walk.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

#include "tests/imaging/ImagingTestSupport.h"
#include "imaging/bitmap/CustomBitmap32.h"

namespace {

using imagingtest::RefV;
using imagingtest::Solid;
using TPixels = std::set<std::pair<std::int64_t, std::int64_t>>;

// The textbook walk: mirrored into the first octant by signs, error 2dy - dx,
// without any clipping.
TPixels ReferenceLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, bool drawLast) {
  TPixels pixels;
  const std::int64_t dx = x2 - x1, dy = y2 - y1, sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
  const bool steep = dy * sy > dx * sx;
  const std::int64_t major = steep ? dy * sy : dx * sx, minor = steep ? dx * sx : dy * sy;
  std::int64_t x = x1, y = y1, e = 2 * minor - major;
  for (std::int64_t i = 0; i < major; ++i) {
    pixels.insert({x, y});
    if (e >= 0 && minor > 0) {
      (steep ? x : y) += steep ? sx : sy;
      e -= 2 * major;
    }
    e += 2 * minor;
    (steep ? y : x) += steep ? sy : sx;
  }
  if (drawLast) pixels.insert({x2, y2});
  return pixels;
}

TPixels Drawn(const TCustomBitmap32& b, TColor32 background = 0) {
  TPixels pixels;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x)
      if (b.GetPixel(x, y) != background) pixels.insert({x, y});
  return pixels;
}

TPixels Inside(const TPixels& pixels, const TRect& r) {
  TPixels result;
  for (const auto& [x, y] : pixels)
    if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) result.insert({x, y});
  return result;
}

TEST(Lines, LinesAreTheReferenceWalkCutToTheClipRectangle) {
  std::mt19937 rng(11);
  TCustomBitmap32 b;
  b.SetSize(120, 100);
  const TRect clip{30, 20, 90, 75};
  for (int i = 0; i < 3000; ++i) {
    // Short lines in every direction, lines near the clip rectangle, and
    // sometimes far away.
    const int range = i % 10 == 0 ? 40000 : i % 3 == 0 ? 10 : 300;
    const auto c = [&] { return static_cast<std::int32_t>(rng() % (2 * range)) - range + 60; };
    const std::int32_t x1 = c(), y1 = c(), x2 = c(), y2 = c();
    const bool last = rng() % 2 != 0;
    b.SetClipRect(b.BoundsRect());
    b.Clear(0);
    b.SetClipRect(clip);
    b.Line(x1, y1, x2, y2, 0xFFFFFFFF, last);
    ASSERT_EQ(Drawn(b), Inside(ReferenceLine(x1, y1, x2, y2, last), clip))
        << x1 << "," << y1 << " - " << x2 << "," << y2 << " last " << last;
  }
  // End points at the ends of the coordinate range only touch the clip.
  b.SetClipRect(clip);
  b.Clear(0);
  b.Line(INT32_MIN, INT32_MIN + 7, INT32_MAX, INT32_MAX - 3, 0xFFFFFFFF, true);
  b.Line(INT32_MAX, 25, INT32_MIN, 24, 0xFFFFFFFF);
  b.LineBlend(40, INT32_MIN, 41, INT32_MAX, 0xFFFFFFFF);
  const TPixels drawn = Drawn(b);
  EXPECT_EQ(Inside(drawn, clip), drawn);
  EXPECT_GE(drawn.size(), 100u);
}

TEST(Lines, BlendedAndOrthogonalLinesHitEachPixelOnce) {
  TCustomBitmap32 b;
  Solid(b, 40, 40, clBlack32);
  b.LineBlend(3, 4, 35, 20, 0x80FFFFFF, true);
  const TPixels line = ReferenceLine(3, 4, 35, 20, true);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_EQ(b.GetPixel(x, y), line.count({x, y}) ? 0xC0808080u : clBlack32);
  // Clipped horizontal and vertical runs draw the same in either direction.
  TCustomBitmap32 a;
  for (TCustomBitmap32* bitmap : {&a, &b}) {
    bitmap->SetSize(20, 20);
    bitmap->Clear(0);
    bitmap->SetClipRect(TRect{2, 2, 15, 15});
  }
  a.HorzLineClipped(0, 5, 17, 0xFFFFFFFF);
  b.HorzLineClipped(17, 5, 0, 0xFFFFFFFF);
  a.VertLineClipped(7, 18, -3, 0xFFFFFFFF);
  b.VertLineClipped(7, -3, 18, 0xFFFFFFFF);
  EXPECT_EQ(Drawn(a), Drawn(b));
  EXPECT_EQ(Drawn(a).size(), 13u + 13u - 1u);
}

TEST(AntialiasedLines, WholePixelStepsAndStipples) {
  // Six unit steps land on whole pixels, each combined with weight 253; the
  // remaining fraction is 0, so its point is transparent.
  TCustomBitmap32 b;
  Solid(b, 12, 8, clBlack32);
  b.LineFixedAA(2 << 16, 5 << 16, 8 << 16, 5 << 16, 0xFFFFFFFF);
  const TColor32 hit = RefV(0xFFFFFFFF, clBlack32, 253);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(b.GetPixel(x, y), y == 5 && x >= 2 && x <= 7 ? hit : clBlack32);
  // With the last point the length grows by one pixel: seven steps of 6/7
  // spread over columns 2 to 8 of the same row.
  b.Clear(clBlack32);
  b.LineFixedAA(2 << 16, 5 << 16, 8 << 16, 5 << 16, 0xFFFFFFFF, true);
  EXPECT_EQ(Drawn(b, clBlack32), Inside(ReferenceLine(2, 5, 8, 5, true), b.BoundsRect()));
  // A stippled line takes its colours from the pattern.
  b.Clear(clBlack32);
  b.SetStipplePattern({0xFFFF0000, 0xFF00FF00});
  b.MoveToFixed(1 << 16, 1 << 16);
  b.LineToFixedStipple(9 << 16, 1 << 16);
  for (int x = 1; x < 10; ++x)
    EXPECT_EQ(b.GetPixel(x, 1), x == 9 ? clBlack32 : RefV(x % 2 ? 0xFFFF0000 : 0xFF00FF00, clBlack32, 253)) << x;
}

}  // namespace
