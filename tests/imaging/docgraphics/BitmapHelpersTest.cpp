// Whole-bitmap helpers against naive loops written from their definitions:
// turns and mirrors pixel by pixel, box passes as direct sums over each
// window, merging against the "over" operator in floating point.

#include "imaging/docgraphics/BitmapHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <span>
#include <vector>

#include "tests/imaging/ImagingTestSupport.h"
#include "imaging/bitmap/CustomBitmap32.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace imaging;
using imagingtest::FillRandom;
using imagingtest::Pixels;
using TPixelValues = std::vector<TColor32>;

void SetPixels(TCustomBitmap32& b, int width, int height, const TPixelValues& pixels) {
  b.SetSize(width, height);
  std::copy(pixels.begin(), pixels.end(), b.GetBits());
}

TEST(BitmapHelpers, TurnsAndMirrorsMovePixelsAsDefined) {
  using P = std::pair<int, int>;
  for (const P& size : {P{3, 2}, {1, 1}, {5, 7}, {8, 1}, {1, 6}, {0, 4}}) {
    const int w = size.first, h = size.second;
    TCustomBitmap32 source;
    FillRandom(source, w, h, static_cast<std::uint32_t>(w * 10 + h));
    const auto check = [&](void (*operation)(TCustomBitmap32&), bool turned, auto sourceOf) {
      TCustomBitmap32 b;
      b.Assign(&source);
      operation(b);
      ASSERT_EQ(b.GetWidth(), turned ? h : w);
      ASSERT_EQ(b.GetHeight(), turned ? w : h);
      for (int v = 0; v < b.GetHeight(); ++v)
        for (int u = 0; u < b.GetWidth(); ++u) {
          const auto [x, y] = sourceOf(u, v);
          ASSERT_EQ(b.GetPixel(u, v), source.GetPixel(x, y)) << w << "x" << h << " at " << u << "," << v;
        }
    };
    check(RotateBitmapLeft, true, [&](int u, int v) { return P{w - 1 - v, u}; });
    check(RotateBitmapRight, true, [&](int u, int v) { return P{v, h - 1 - u}; });
    check(RotateBitmap180, false, [&](int u, int v) { return P{w - 1 - u, h - 1 - v}; });
    check(MirrorBitmap, false, [&](int u, int v) { return P{w - 1 - u, v}; });
    check(FlipBitmap, false, [&](int u, int v) { return P{u, h - 1 - v}; });
  }
}

// dst[k] = (src[k + lead - window + 1] + ... + src[k + lead]) div window.
TPixelValues DirectBoxPass(const TPixelValues& src, int lead, int window) {
  const int n = static_cast<int>(src.size());
  TPixelValues dst(src.size());
  for (int k = 0; k < n; ++k) {
    std::int64_t sum = 0;
    for (int i = std::max(0, k + lead - window + 1); i <= std::min(n - 1, k + lead); ++i)
      sum += static_cast<std::int32_t>(src[i]);
    dst[k] = static_cast<TColor32>(static_cast<std::int32_t>(sum / window));
  }
  return dst;
}

TEST(BitmapHelpers, BoxPassIsAMovingSumOverTheJoinedRows) {
  std::mt19937 rng(2);
  std::uniform_int_distribution<std::int32_t> value(-70000, 70000);
  TCustomBitmap32 src, dst;
  src.SetSize(7, 5);
  dst.SetSize(5, 7);  // another shape, the same pixel count
  for (TColor32& p : std::span(src.GetBits(), 35)) p = static_cast<TColor32>(value(rng));
  for (int window : {1, 2, 3, 6, 35})
    for (int lead = 0; lead <= window; ++lead) {
      BoxBlurPass(src, dst, lead, window);
      ASSERT_EQ(Pixels(dst), DirectBoxPass(Pixels(src), lead, window)) << "window " << window << " lead " << lead;
    }
  // Nothing for a window wider than the pixels, a lead beyond the window, no
  // window or a different pixel count.
  dst.Clear(0x55);
  TCustomBitmap32 other;
  other.SetSize(6, 6);
  for (const auto& [lead, window] : {std::pair{0, 36}, {4, 3}, {0, 0}, {-1, 3}}) BoxBlurPass(src, dst, lead, window);
  BoxBlurPass(other, dst, 1, 3);
  EXPECT_EQ(Pixels(dst), TPixelValues(35, 0x55));
  // In place the source is read as it was.
  const TPixelValues original = Pixels(src);
  BoxBlurPass(src, src, 1, 3);
  EXPECT_EQ(Pixels(src), DirectBoxPass(original, 1, 3));
}

// The blur as described: two rounds of (lead a, lead b) over the joined
// rows, a transpose, two rounds of (lead b, lead a) over the joined columns
// and a transpose back, each pass a direct window sum.
TPixelValues DescribedBlur(const TPixelValues& pixels, int width, int height, int window) {
  const int a = window / 2, b = window % 2 == 0 ? std::max(1, (window + 1) / 2 - 1) : (window + 1) / 2;
  const auto transpose = [](const TPixelValues& p, int w, int h) {
    TPixelValues t(p.size());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) t[std::size_t(x) * h + y] = p[std::size_t(y) * w + x];
    return t;
  };
  TPixelValues run = pixels;
  for (const int lead : {a, b, a, b}) run = DirectBoxPass(run, lead, window);
  run = transpose(run, width, height);
  for (const int lead : {b, a, b, a}) run = DirectBoxPass(run, lead, window);
  return transpose(run, height, width);
}

TEST(BitmapHelpers, BlurIsTheDescribedSequenceOfBoxPasses) {
  std::mt19937 rng(3);
  const struct {
    int width, height;
    float radius;
    std::int32_t low, high;
  } cases[] = {{37, 23, 2, 0, 65280},          {37, 23, 3.4f, 0, 65280},       {40, 31, 6, 0, 16711680},
               {19, 7, 9, 0, 16711680},        {64, 48, 17.7f, 0, 65280},      {25, 30, 4, -70000, 70000},
               {30, 20, 5, 1 << 28, 2147483647}, {9, 50, 12, 0, 255},          {200, 3, 3, 0, 65280},
               {33, 26, 4, 0, (1 << 29) - 1}};  // window sums up to just below 2^31
  for (const auto& c : cases) {
    std::uniform_int_distribution<std::int32_t> value(c.low, c.high);
    TCustomBitmap32 map;
    map.SetSize(c.width, c.height);
    for (TColor32& p : std::span(map.GetBits(), std::size_t(c.width) * c.height))
      p = rng() % 3 == 0 ? 0 : static_cast<TColor32>(value(rng));
    const TPixelValues expected = DescribedBlur(Pixels(map), c.width, c.height, int(std::nearbyint(c.radius)) == 2 ? 3 : int(std::nearbyint(c.radius)));
    BlurIntensityMap(map, c.radius);
    const TPixelValues got = Pixels(map);
    std::size_t firstWrong = 0;
    while (firstWrong < got.size() && got[firstWrong] == expected[firstWrong]) ++firstWrong;
    EXPECT_EQ(firstWrong, got.size()) << c.width << "x" << c.height << " radius " << c.radius << " first wrong at " << firstWrong % c.width << "," << firstWrong / c.width;
  }
}

TEST(BitmapHelpers, AlphaBecomesIntensityAndBackAndHostileSettingsChangeNothing) {
  TCustomBitmap32 b;
  SetPixels(b, 4, 1, {0x00FFFFFF, 0x01000000, 0x80123456, 0xFF000000});
  AlphaToIntensity(b, 0.5f);
  EXPECT_EQ(Pixels(b), (TPixelValues{0, 128, 0x80 * 128, 255 * 128}));
  SetPixels(b, 5, 1, {200, 255, 256, 0x7F80, 0x12345});
  IntensityToAlpha(b, 0xFFAABBCC);
  EXPECT_EQ(Pixels(b), (TPixelValues{200, 255, 0x01AABBCC, 0x7FAABBCC, 0xFFAABBCC}));
  InvertAlpha(b);
  EXPECT_EQ(Pixels(b), (TPixelValues{0xFF0000C8, 0xFF0000FF, 0xFEAABBCC, 0x80AABBCC, 0x00AABBCC}));
  // A factor whose intensities overflow is refused before anything changes;
  // blurs of a radius below 2 or beyond the bitmap change nothing.
  const TPixelValues before = Pixels(b);
  EXPECT_THROW(AlphaToIntensity(b, 1e6f), EInvalidOp);
  for (const float radius : {1.4f, std::nanf(""), 1e30f}) BlurIntensityMap(b, radius);
  EXPECT_EQ(Pixels(b), before);
}

// Non-premultiplied "over" with the foreground's alpha scaled by m.
TColor32 ReferenceOver(TColor32 f, TColor32 b, std::uint32_t m) {
  const double fa = (f >> 24) / 255.0 * m / 255.0, ba = (b >> 24) / 255.0, ra = fa + ba * (1 - fa);
  if (ra == 0) return b;
  TColor32 result = static_cast<TColor32>(std::lround(ra * 255)) << 24;
  for (int s = 0; s < 24; s += 8)
    result |= static_cast<TColor32>(std::lround(((f >> s & 255) * fa + (b >> s & 255) * ba * (1 - fa)) / ra)) << s;
  return result;
}

TEST(BitmapHelpers, MergeColorWithAlphaIsOverWithExtraOpacity) {
  EXPECT_EQ(MergeColorWithAlpha(0xFF102030, 0x80405060, 255), 0xFF102030u);
  EXPECT_EQ(MergeColorWithAlpha(0xFF102030, 0x80405060, 0), 0x80405060u);
  EXPECT_EQ(MergeColorWithAlpha(0x00102030, 0x80405060, 200), 0x80405060u);
  EXPECT_EQ(MergeColorWithAlpha(0xC0102030, 0x00405060, 128), 0x60102030u);  // onto nothing: F at a = 96
  std::mt19937 rng(4);
  for (int i = 0; i < 20000; ++i) {
    const TColor32 f = rng(), b = rng();
    const std::uint32_t m = rng() % 256;
    const TColor32 got = MergeColorWithAlpha(f, b, m), want = ReferenceOver(f, b, m);
    for (int s = 0; s < 32; s += 8) {
      // The colour is worked out premultiplied, with three truncations of a
      // unit each, then divided by the result alpha: each of those units
      // grows by 256 / alpha.
      const double slack = s == 24 ? 2 : 2 + 3 * 256.0 / std::max<TColor32>(1, got >> 24);
      ASSERT_NEAR(static_cast<int>(got >> s & 255), static_cast<int>(want >> s & 255), slack)
          << std::hex << f << " over " << b << " m " << std::dec << m << " channel " << s;
    }
  }
}

TEST(BitmapHelpers, DistancesToPointsAndSegments) {
  EXPECT_EQ(PointDistanceSqr(TPoint{1, 2}, TPoint{4, 6}), 25);
  EXPECT_EQ(PointDistanceSqr(TPoint{-1000000000, 0}, TPoint{1000000000, 1}), 4000000000000000001);
  // Beyond the 64-bit range the distance is held at its largest value.
  EXPECT_EQ(PointDistanceSqr(TPoint{-2147483647 - 1, 0}, TPoint{2147483647, 0}),
            std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{13, 4}, TPoint{0, 0}, TPoint{10, 0}), 9 + 16);  // beyond B: to B
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{-3, -1}, TPoint{0, 0}, TPoint{10, 0}), 9 + 1);  // before A: to A
  // Beside the middle: to the foot of the perpendicular, rounded to a pixel
  // (halves to even: 1.5 to 2, 2.5 to 2).
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{5, 7}, TPoint{0, 0}, TPoint{10, 0}), 49);
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{0, 3}, TPoint{0, 0}, TPoint{10, 10}), 4 + 1);
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{0, 5}, TPoint{0, 0}, TPoint{10, 10}), 4 + 9);
}

}  // namespace
