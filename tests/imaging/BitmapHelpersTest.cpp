// Whole-bitmap helpers against naive loops written from their definitions:
// turns and mirrors pixel by pixel, blurs as direct sums over each window,
// merging against the "over" operator in floating point.

#include "imaging/BitmapHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "imaging/CustomBitmap32.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace imaging;

void Fill(TCustomBitmap32& bitmap, int width, int height, std::mt19937& rng) {
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, rng());
}

std::vector<TColor32> Pixels(const TCustomBitmap32& bitmap) {
  if (bitmap.IsEmpty()) return {};
  return std::vector<TColor32>(bitmap.GetBits(), bitmap.GetBits() + bitmap.GetWidth() * bitmap.GetHeight());
}

// --- Turning and mirroring

TEST(BitmapHelpers, TurnsAndMirrorsMovePixelsAsDefined) {
  std::mt19937 rng(1);
  const int sizes[][2] = {{3, 2}, {1, 1}, {5, 7}, {8, 1}, {1, 6}, {0, 4}, {4, 0}};
  for (const auto& size : sizes) {
    const int w = size[0], h = size[1];
    TCustomBitmap32 source;
    Fill(source, w, h, rng);
    const auto check = [&](void (*operation)(TCustomBitmap32&), int newWidth, int newHeight, auto sourceOf) {
      TCustomBitmap32 b;
      b.Assign(&source);
      operation(b);
      ASSERT_EQ(b.GetWidth(), newWidth);
      ASSERT_EQ(b.GetHeight(), newHeight);
      for (int v = 0; v < newHeight; ++v)
        for (int u = 0; u < newWidth; ++u) {
          const auto [x, y] = sourceOf(u, v);
          ASSERT_EQ(b.GetPixel(u, v), source.GetPixel(x, y)) << w << "x" << h << " at " << u << "," << v;
        }
    };
    using P = std::pair<int, int>;
    check(RotateBitmapLeft, h, w, [&](int u, int v) { return P{w - 1 - v, u}; });
    check(RotateBitmapRight, h, w, [&](int u, int v) { return P{v, h - 1 - u}; });
    check(RotateBitmap180, w, h, [&](int u, int v) { return P{w - 1 - u, h - 1 - v}; });
    check(MirrorBitmap, w, h, [&](int u, int v) { return P{w - 1 - u, v}; });
    check(FlipBitmap, w, h, [&](int u, int v) { return P{u, h - 1 - v}; });
  }
}

TEST(BitmapHelpers, AQuarterTurnLeftOfThreeByTwo) {
  // Counter-clockwise: the source's top row becomes the left column, read
  // upwards; its top-left pixel ends at the bottom-left.
  TCustomBitmap32 b;
  b.SetSize(3, 2);
  const TColor32 rows[2][3] = {{1, 2, 3}, {4, 5, 6}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) b.SetPixel(x, y, rows[y][x]);
  b.SetDrawMode(dmBlend);
  b.SetMasterAlpha(77);
  int changes = 0;
  b.OnChange = [&](TPersistent*) { ++changes; };
  RotateBitmapLeft(b);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{3, 6, 2, 5, 1, 4}));
  EXPECT_GE(changes, 1);
  // The drawing properties stay with the bitmap.
  EXPECT_EQ(b.GetDrawMode(), dmBlend);
  EXPECT_EQ(b.GetMasterAlpha(), 77u);
  RotateBitmapRight(b);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{1, 2, 3, 4, 5, 6}));
}

TEST(BitmapHelpers, TransposeSwapsRowsAndColumns) {
  std::vector<TColor32> src(12), dst(12);
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<TColor32>(i * 7 + 1);
  TransposeBitmapPixels(src.data(), dst.data(), 4, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst[x * 3 + y], src[y * 4 + x]);
}

// --- Intensity maps and blur

// dst[k] = (src[k + lead - window + 1] + ... + src[k + lead]) div window.
std::vector<TColor32> DirectBoxPass(const std::vector<TColor32>& src, int lead, int window) {
  const int n = static_cast<int>(src.size());
  std::vector<TColor32> dst(src.size());
  for (int k = 0; k < n; ++k) {
    std::int64_t sum = 0;
    for (int i = k + lead - window + 1; i <= k + lead; ++i)
      if (i >= 0 && i < n) sum += static_cast<std::int32_t>(src[i]);
    dst[k] = static_cast<TColor32>(static_cast<std::int32_t>(sum / window));
  }
  return dst;
}

std::vector<TColor32> Transposed(const std::vector<TColor32>& p, int width, int height) {
  std::vector<TColor32> t(p.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) t[x * height + y] = p[y * width + x];
  return t;
}

TEST(BitmapHelpers, BoxPassIsAMovingSumOverTheJoinedRows) {
  std::mt19937 rng(2);
  std::uniform_int_distribution<std::int32_t> value(-70000, 70000);
  TCustomBitmap32 src, dst;
  src.SetSize(7, 5);
  dst.SetSize(5, 7);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) src.SetPixel(x, y, static_cast<TColor32>(value(rng)));
  for (int window : {1, 2, 3, 6, 35})
    for (int lead = 0; lead <= window; ++lead) {
      BoxBlurPass(src, dst, lead, window);
      ASSERT_EQ(Pixels(dst), DirectBoxPass(Pixels(src), lead, window)) << "window " << window << " lead " << lead;
    }
  // Nothing for a window wider than the pixels, a lead beyond the window, no
  // window or a different pixel count.
  dst.Clear(0x55);
  const std::vector<TColor32> before = Pixels(dst);
  BoxBlurPass(src, dst, 0, 36);
  BoxBlurPass(src, dst, 4, 3);
  BoxBlurPass(src, dst, 0, 0);
  BoxBlurPass(src, dst, -1, 3);
  TCustomBitmap32 other;
  other.SetSize(6, 6);
  BoxBlurPass(other, dst, 1, 3);
  EXPECT_EQ(Pixels(dst), before);
  // In place the source is read as it was.
  const std::vector<TColor32> original = Pixels(src);
  BoxBlurPass(src, src, 1, 3);
  EXPECT_EQ(Pixels(src), DirectBoxPass(original, 1, 3));
}

TEST(BitmapHelpers, BlurIsTwoBoxPassesEachWayAlongRowsThenColumns) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<std::int32_t> value(0, 65280);
  const int w = 9, h = 6;
  for (float radius : {2.0f, 2.6f, 4.0f, 5.0f}) {
    TCustomBitmap32 b;
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<TColor32>(value(rng)));
    int window = static_cast<int>(std::nearbyint(radius));
    if (window == 2) window = 3;
    const int a = window / 2, lb = window % 2 == 0 ? std::max(1, (window + 1) / 2 - 1) : (window + 1) / 2;
    std::vector<TColor32> expected = Pixels(b);
    for (int round = 0; round < 2; ++round) expected = DirectBoxPass(DirectBoxPass(expected, a, window), lb, window);
    expected = Transposed(expected, w, h);
    for (int round = 0; round < 2; ++round) expected = DirectBoxPass(DirectBoxPass(expected, lb, window), a, window);
    expected = Transposed(expected, h, w);
    BlurIntensityMap(b, radius);
    EXPECT_EQ(Pixels(b), expected) << "radius " << radius;
  }
  TCustomBitmap32 b;
  Fill(b, 5, 5, rng);
  const std::vector<TColor32> before = Pixels(b);
  BlurIntensityMap(b, 1.4f);
  BlurIntensityMap(b, std::nanf(""));
  BlurIntensityMap(b, 1e30f);  // wider than the bitmap: every pass is skipped
  EXPECT_EQ(Pixels(b), before);
  TCustomBitmap32 empty;
  BlurIntensityMap(empty, 3);
}

TEST(BitmapHelpers, AlphaBecomesIntensityAndBackAgain) {
  TCustomBitmap32 b;
  b.SetSize(4, 1);
  const TColor32 pixels[] = {0x00FFFFFF, 0x01000000, 0x80123456, 0xFF000000};
  for (int x = 0; x < 4; ++x) b.SetPixel(x, 0, pixels[x]);
  AlphaToIntensity(b, 0.5f);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{0, 128, 0x80 * 128, 255 * 128}));
  AlphaToIntensity(b, 0.5f);  // from the alpha of those integers: all 0
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>(4, 0)));

  b.SetSize(5, 1);
  const TColor32 values[] = {200, 255, 256, 0x7F80, 0x12345};
  for (int x = 0; x < 5; ++x) b.SetPixel(x, 0, values[x]);
  IntensityToAlpha(b, 0xFFAABBCC);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{200, 255, 0x01AABBCC, 0x7FAABBCC, 0xFFAABBCC}));

  b.SetPixel(0, 0, 0xFF000000);
  const std::vector<TColor32> before = Pixels(b);
  EXPECT_THROW(AlphaToIntensity(b, 1e6f), EInvalidOp);
  EXPECT_EQ(Pixels(b), before);
}

// --- Combining

// Non-premultiplied "over" with the foreground's alpha scaled by m.
TColor32 ReferenceOver(TColor32 f, TColor32 b, std::uint32_t m) {
  const double fa = (f >> 24) / 255.0 * m / 255.0, ba = (b >> 24) / 255.0;
  const double ra = fa + ba * (1 - fa);
  if (ra == 0) return b;
  TColor32 result = static_cast<TColor32>(std::lround(ra * 255)) << 24;
  for (int s = 0; s < 24; s += 8) {
    const double c = ((f >> s & 255) * fa + (b >> s & 255) * ba * (1 - fa)) / ra;
    result |= static_cast<TColor32>(std::lround(c)) << s;
  }
  return result;
}

TEST(BitmapHelpers, MergeColorWithAlphaIsOverWithExtraOpacity) {
  EXPECT_EQ(MergeColorWithAlpha(0xFF102030, 0x80405060, 255), 0xFF102030u);
  EXPECT_EQ(MergeColorWithAlpha(0xFF102030, 0x80405060, 0), 0x80405060u);
  EXPECT_EQ(MergeColorWithAlpha(0x00102030, 0x80405060, 200), 0x80405060u);
  EXPECT_EQ(MergeColorWithAlpha(0xC0102030, 0x00405060, 128), 0x60102030u);  // onto nothing: F at a = 96
  const TColor32 mix = MergeColorWithAlpha(0xFFC86432, 0xFF3264C8, 128);
  EXPECT_EQ(mix >> 24, 255u);
  for (int s = 0; s < 24; s += 8)
    EXPECT_NEAR(static_cast<int>(mix >> s & 255), ((0xC86432 >> s & 255) + (0x3264C8 >> s & 255)) / 2, 2);

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

TEST(BitmapHelpers, MergeBitmapOverDrawsTheDestinationOverTheSource) {
  std::mt19937 rng(5);
  TCustomBitmap32 dst, src;
  Fill(dst, 4, 3, rng);
  Fill(src, 6, 2, rng);  // another shape, the same pixel count
  const std::vector<TColor32> d = Pixels(dst), s = Pixels(src);
  MergeBitmapOver(dst, src, 200);
  for (std::size_t i = 0; i < d.size(); ++i) EXPECT_EQ(Pixels(dst)[i], MergeColorWithAlpha(d[i], s[i], 200));
  TCustomBitmap32 smaller;
  Fill(smaller, 2, 2, rng);
  const std::vector<TColor32> before = Pixels(dst);
  MergeBitmapOver(dst, smaller, 200);
  EXPECT_EQ(Pixels(dst), before);
}

TEST(BitmapHelpers, InvertAlphaFlipsOnlyTheAlpha) {
  TCustomBitmap32 b;
  b.SetSize(2, 1);
  b.SetPixel(0, 0, 0x00123456);
  b.SetPixel(1, 0, 0x7F654321);
  InvertAlpha(b);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{0xFF123456, 0x80654321}));
}

TEST(BitmapHelpers, ShiftMovesTheWholeArrayAndClearsWhatIsUncovered) {
  TCustomBitmap32 b;
  b.SetSize(3, 2);
  const auto reset = [&] {
    for (int i = 0; i < 6; ++i) b.GetBits()[i] = static_cast<TColor32>(i + 1);
  };
  reset();
  ShiftBitmap(b, 1, 0);  // the last pixel of a row wraps to the next row
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{0, 1, 2, 3, 4, 5}));
  reset();
  ShiftBitmap(b, 0, 1);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{0, 0, 0, 1, 2, 3}));
  reset();
  ShiftBitmap(b, -2, 0);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>{3, 4, 5, 6, 0, 0}));
  reset();
  ShiftBitmap(b, 0, -2);
  EXPECT_EQ(Pixels(b), (std::vector<TColor32>(6, 0)));
  for (const auto& [dx, dy] : {std::pair{0, 0}, std::pair{7, 0}, std::pair{0, -3}, std::pair{2, -1}}) {
    reset();
    ShiftBitmap(b, dx, dy);  // 0, or more than the pixel count: nothing
    EXPECT_EQ(Pixels(b), (dx == 2 ? std::vector<TColor32>{2, 3, 4, 5, 6, 0} : std::vector<TColor32>{1, 2, 3, 4, 5, 6}));
  }
  TCustomBitmap32 empty;
  ShiftBitmap(empty, 1, 1);
}

TEST(BitmapHelpers, SingleColourTestFindsAnyDifferentPixel) {
  EXPECT_TRUE(IsBitmapSingleColor(nullptr, 0));
  TCustomBitmap32 b;
  EXPECT_TRUE(IsBitmapSingleColor(&b, 0x12));
  b.SetSize(0, 5);
  EXPECT_TRUE(IsBitmapSingleColor(&b, 0x12));
  b.SetSize(4, 5);
  b.Clear(0x11223344);
  EXPECT_TRUE(IsBitmapSingleColor(&b, 0x11223344));
  EXPECT_FALSE(IsBitmapSingleColor(&b, 0x11223345));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 4; ++x) {
      b.Clear(0x11223344);
      b.SetPixel(x, y, 0);
      EXPECT_FALSE(IsBitmapSingleColor(&b, 0x11223344)) << x << "," << y;
    }
}

// --- Geometry

TEST(BitmapHelpers, DistancesToPointsAndSegments) {
  EXPECT_EQ(PointDistanceSqr(TPoint{1, 2}, TPoint{4, 6}), 25);
  EXPECT_EQ(PointDistanceSqr(TPoint{-1000000000, 0}, TPoint{1000000000, 1}), 4000000000000000001);
  // Beyond the 64-bit range the distance is held at its largest value.
  EXPECT_EQ(PointDistanceSqr(TPoint{-2147483647 - 1, 0}, TPoint{2147483647, 0}),
            std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{3, 4}, TPoint{0, 0}, TPoint{0, 0}), 25);
  // Beyond B: measured to B. Before A: to A.
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{13, 4}, TPoint{0, 0}, TPoint{10, 0}), 9 + 16);
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{-3, -1}, TPoint{0, 0}, TPoint{10, 0}), 9 + 1);
  // Beside the middle: to the foot of the perpendicular, rounded to a pixel.
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{5, 7}, TPoint{0, 0}, TPoint{10, 0}), 49);
  // Foot at (1.5, 1.5) on the diagonal rounds to (2, 2) (halves to even).
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{0, 3}, TPoint{0, 0}, TPoint{10, 10}), 4 + 1);
  // Foot at (2.5, 2.5) rounds to (2, 2).
  EXPECT_EQ(PointToSegmentDistanceSqr(TPoint{0, 5}, TPoint{0, 0}, TPoint{10, 10}), 4 + 9);
}

}  // namespace
