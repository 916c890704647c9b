// Lines against an independent Bresenham walk and against brute force
// clipping of the unclipped walk.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

#include "imaging/CustomBitmap32.h"

namespace {

using TPixels = std::set<std::pair<std::int64_t, std::int64_t>>;

// The textbook walk: mirrored into the first octant by signs, error 2dy - dx,
// written per octant without any clipping.
TPixels ReferenceLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, bool drawLast) {
  TPixels pixels;
  const std::int64_t dx = x2 - x1, dy = y2 - y1;
  const int sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
  const std::int64_t adx = dx * sx, ady = dy * sy;
  if (dy == 0 || dx == 0) {
    const std::int64_t n = dx == 0 ? ady : adx;
    for (std::int64_t i = 0; i < n; ++i) pixels.insert({x1 + (dx == 0 ? 0 : sx * i), y1 + (dy == 0 ? 0 : sy * i)});
  } else if (adx >= ady) {
    std::int64_t e = 2 * ady - adx, y = y1;
    for (std::int64_t x = x1; x != x2; x += sx) {
      pixels.insert({x, y});
      if (e >= 0) y += sy, e -= 2 * adx - 2 * ady;
      else e += 2 * ady;
    }
  } else {
    std::int64_t e = 2 * adx - ady, x = x1;
    for (std::int64_t y = y1; y != y2; y += sy) {
      pixels.insert({x, y});
      if (e >= 0) x += sx, e -= 2 * ady - 2 * adx;
      else e += 2 * adx;
    }
  }
  if (drawLast) pixels.insert({x2, y2});
  return pixels;
}

TPixels Drawn(const TCustomBitmap32& b, TColor32 background) {
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

TEST(Lines, BresenhamMatchesTheReferenceInEveryOctant) {
  TCustomBitmap32 b;
  b.SetSize(64, 64);
  for (int dx = -9; dx <= 9; ++dx)
    for (int dy = -9; dy <= 9; ++dy)
      for (bool last : {false, true}) {
        b.Clear(0);
        b.Line(30, 30, 30 + dx, 30 + dy, 0xFFFFFFFF, last);
        ASSERT_EQ(Drawn(b, 0), ReferenceLine(30, 30, 30 + dx, 30 + dy, last)) << dx << "," << dy << " " << last;
      }
}

TEST(Lines, ClippedLinesAreTheUnclippedLinesCutToTheClipRectangle) {
  std::mt19937 rng(11);
  TCustomBitmap32 b;
  b.SetSize(120, 100);
  const TRect clip{30, 20, 90, 75};
  for (int i = 0; i < 3000; ++i) {
    // Mostly near the clip rectangle, sometimes far away.
    const int range = i % 10 == 0 ? 40000 : 300;
    const auto c = [&] { return static_cast<std::int32_t>(rng() % (2 * range)) - range + 60; };
    const std::int32_t x1 = c(), y1 = c(), x2 = c(), y2 = c();
    const bool last = rng() % 2 != 0;
    b.SetClipRect(b.BoundsRect());
    b.Clear(0);
    b.SetClipRect(clip);
    b.Line(x1, y1, x2, y2, 0xFFFFFFFF, last);
    ASSERT_EQ(Drawn(b, 0), Inside(ReferenceLine(x1, y1, x2, y2, last), clip))
        << x1 << "," << y1 << " - " << x2 << "," << y2 << " last " << last;
  }
}

TEST(Lines, ExtremeEndPointsOnlyTouchTheClipRectangle) {
  TCustomBitmap32 b;
  b.SetSize(50, 50);
  b.Clear(0);
  b.SetClipRect(TRect{10, 10, 40, 40});
  b.Line(INT32_MIN, INT32_MIN + 7, INT32_MAX, INT32_MAX - 3, 0xFFFFFFFF, true);
  b.Line(INT32_MAX, 25, INT32_MIN, 24, 0xFFFFFFFF);
  b.LineBlend(25, INT32_MIN, 26, INT32_MAX, 0xFFFFFFFF);
  const TPixels drawn = Drawn(b, 0);
  EXPECT_EQ(Inside(drawn, TRect{10, 10, 40, 40}), drawn);
  EXPECT_GE(drawn.size(), 60u);
}

TEST(Lines, BlendedLinesBlendEachPixelOnce) {
  TCustomBitmap32 b;
  b.SetSize(40, 40);
  b.Clear(0xFF000000);
  b.LineBlend(3, 4, 35, 20, 0x80FFFFFF, true);
  const TPixels expected = ReferenceLine(3, 4, 35, 20, true);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      ASSERT_EQ(b.GetPixel(x, y), expected.count({x, y}) ? 0xC0808080u : 0xFF000000u) << x << "," << y;
}

TEST(Lines, HorizontalAndVerticalRunsAreOrderIndependent) {
  TCustomBitmap32 a, b;
  a.SetSize(20, 20);
  b.SetSize(20, 20);
  a.Clear(0);
  b.Clear(0);
  a.SetClipRect(TRect{2, 2, 15, 15});
  b.SetClipRect(TRect{2, 2, 15, 15});
  a.HorzLineClipped(0, 5, 17, 0xFFFFFFFF);
  b.HorzLineClipped(17, 5, 0, 0xFFFFFFFF);
  a.VertLineClipped(7, 18, -3, 0xFFFFFFFF);
  b.VertLineClipped(7, -3, 18, 0xFFFFFFFF);
  EXPECT_EQ(Drawn(a, 0), Drawn(b, 0));
  EXPECT_EQ(Drawn(a, 0).size(), 13u + 13u - 1u);
}

TEST(Lines, PenDrawsFromPointToPoint) {
  TCustomBitmap32 b;
  b.SetSize(30, 30);
  b.Clear(0);
  b.PenColor = 0xFFFF0000;
  b.MoveTo(2, 2);
  b.LineTo(20, 9);
  b.LineTo(5, 25);
  EXPECT_EQ(b.GetPenPos(), (TPoint{5, 25}));
  TPixels expected = ReferenceLine(2, 2, 20, 9, false);
  for (const auto& p : ReferenceLine(20, 9, 5, 25, false)) expected.insert(p);
  EXPECT_EQ(Drawn(b, 0), expected);
}

TColor32 RefV(TColor32 x, TColor32 y, std::uint32_t w) {
  TColor32 r = 0;
  for (int s = 0; s < 32; s += 8) {
    const int xc = x >> s & 255, yc = y >> s & 255;
    r |= static_cast<TColor32>((yc * 256 + 128 + static_cast<int>(w) * (xc - yc)) >> 8) << s;
  }
  return r;
}

TEST(AntialiasedLines, AWholePixelHorizontalLine) {
  // Six unit steps land on whole pixels, each combined with weight 253; the
  // remaining fraction is 0, so its point is transparent.
  TCustomBitmap32 b;
  b.SetSize(12, 8);
  b.Clear(0xFF000000);
  b.LineFixedAA(2 << 16, 5 << 16, 8 << 16, 5 << 16, 0xFFFFFFFF);
  const TColor32 hit = RefV(0xFFFFFFFF, 0xFF000000, 253);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(b.GetPixel(x, y), y == 5 && x >= 2 && x <= 7 ? hit : 0xFF000000u) << x << "," << y;
  // With the last point the length grows by one pixel: seven steps of 6/7
  // spread over columns 2 to 8 of the same row.
  b.Clear(0xFF000000);
  b.LineFixedAA(2 << 16, 5 << 16, 8 << 16, 5 << 16, 0xFFFFFFFF, true);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(b.GetPixel(x, y) != 0xFF000000u, y == 5 && x >= 2 && x <= 8) << x << "," << y;
}

TEST(AntialiasedLines, NeverLeaveTheClipRectangleAndCoverTheirCourse) {
  std::mt19937 rng(17);
  for (int i = 0; i < 500; ++i) {
    TCustomBitmap32 b;
    b.SetSize(60, 60);
    b.Clear(0);
    const TRect clip{10, 15, 50, 45};
    b.SetClipRect(clip);
    const auto c = [&] { return static_cast<TFixed>(rng() % (80 << 16)) - (10 << 16); };
    const TFixed x1 = c(), y1 = c(), x2 = c(), y2 = c();
    b.LineFixedAA(x1, y1, x2, y2, 0xFFFFFFFF, true);
    const TPixels drawn = Drawn(b, 0);
    ASSERT_EQ(Inside(drawn, clip), drawn);
    // The midpoint of the line, when well inside, is covered nearby.
    const double mx = (x1 + x2) / 2.0 / 65536, my = (y1 + y2) / 2.0 / 65536;
    if (mx > 12 && mx < 48 && my > 17 && my < 43) {
      bool near = false;
      for (const auto& [x, y] : drawn) near |= std::abs(x - mx) <= 1.5 && std::abs(y - my) <= 1.5;
      EXPECT_TRUE(near) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
  }
}

TEST(AntialiasedLines, StippledLineTakesItsColoursFromThePattern) {
  TCustomBitmap32 b;
  b.SetSize(12, 3);
  b.Clear(0xFF000000);
  b.SetStipplePattern({0xFFFF0000, 0xFF00FF00});
  b.MoveToFixed(1 << 16, 1 << 16);
  b.LineToFixedStipple(9 << 16, 1 << 16);
  for (int x = 1; x < 9; ++x)
    EXPECT_EQ(b.GetPixel(x, 1), RefV(x % 2 ? 0xFFFF0000 : 0xFF00FF00, 0xFF000000, 253)) << x;
  EXPECT_EQ(b.GetPixel(9, 1), 0xFF000000u);
}

}  // namespace
