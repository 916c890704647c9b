// Fills, folds, fixed-point helpers, line clipping and the document
// engine's facade over them: worked values, and brute force where a walk or
// exact arithmetic can stand in for the code.

#include "imaging/core/LowLevel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "imaging/bitmap/Color32.h"
#include "imaging/core/CpuFeatures.h"
#include "imaging/docgraphics/DocGraphics.h"
#include "imaging/core/FixedMath.h"
#include "imaging/bitmap/LineClip.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace imaging;

TEST(FillLongword, EveryVariantFillsExactlyTheRun) {
  const std::pair<TFillLongword, TCPUFeatures> variants[] = {
      {&portable::FillLongword, 0}, {&sse2::FillLongword, cfSSE2}, {&avx2::FillLongword, cfAVX2}};
  for (auto [fill, needs] : variants) {
    if ((CPUFeatures() & needs) != needs) continue;
    for (std::ptrdiff_t offset : {0, 1, 3, 7})
      for (std::ptrdiff_t count : {-1, 0, 1, 3, 8, 15, 33, 1000}) {
        std::vector<std::uint32_t> buffer(1100, 0xDEADBEEF);
        fill(buffer.data() + offset, count, 0x01020304);
        for (std::ptrdiff_t i = 0; i < 1100; ++i)
          ASSERT_EQ(buffer[i], i >= offset && i < offset + count ? 0x01020304u : 0xDEADBEEFu) << offset << " " << count;
      }
    std::vector<std::uint32_t> big(3'000'003, 7);  // long enough for the string-store path
    fill(big.data() + 1, 3'000'001, 9);
    EXPECT_EQ(std::count(big.begin() + 1, big.end() - 1, 9u), 3'000'001);
    EXPECT_EQ(big[0] + big[3'000'002], 14u);
  }
}

TEST(LowLevel, WorkedValues) {
  std::int32_t a = 8, b = 3;
  EXPECT_TRUE(TestClip(a, b, 5, 10));
  EXPECT_EQ(std::pair(a, b), std::pair(5, 8));
  EXPECT_FALSE(TestClip(a = 8, b = 3, 5, 5));
  EXPECT_EQ(GetWrapProc(wmRepeat, 0, 15), &WrapPow2);
  EXPECT_EQ(GetWrapProc(wmRepeat, -4, 3), &Wrap);
  EXPECT_EQ(FixedRound(0x18000), 1);  // an exact half goes down
  EXPECT_EQ(FixedRound(-0x18000), -2);
  EXPECT_EQ(FixedCeil(0x10001), 2);
  EXPECT_THROW(FixedDiv(1, 0), EInvalidOp);
  EXPECT_THROW(FixedDiv(0x7FFFFFFF, 1), EInvalidOp);
  for (int i = 0; i < 256; ++i)
    ASSERT_EQ(GammaTable[i], static_cast<int>(std::nearbyint(255 * std::pow(i / 255.0, 0.7)))) << i;
}

// Folding by arithmetic must agree with walking the coordinate step by step.
TEST(Folds, AgreeWithStepwiseFolding) {
  for (auto [min, max] : {std::pair{0, 9}, {3, 6}, {-4, 3}, {0, 7}, {8, 15}}) {
    const int n = max - min + 1;
    for (int v = min - 3 * n; v <= max + 3 * n; ++v) {
      const int offset = ((v - min) % n + n) % n, period = ((v - min) % (2 * n) + 2 * n) % (2 * n);
      const int mirrored = period < n ? min + period : max - (period - n);
      ASSERT_EQ(Wrap(v, min, max), min + offset) << v;
      ASSERT_EQ(Mirror(v, min, max), mirrored) << v;
      if (IsPowerOf2(n) && min >= 0) {
        ASSERT_EQ(WrapPow2(v, min, max), min + offset) << v;
        ASSERT_EQ(MirrorPow2(v, min, max), mirrored) << v;
      }
    }
  }
  EXPECT_EQ(Wrap(INT32_MIN, 0, 9), 2);     // -2147483650 is a multiple of 10
  EXPECT_EQ(Mirror(INT32_MAX, -5, 5), 1);  // 2147483652 = 11 x 195225786 + 6, even period
}

TEST(FixedMath, MulDivRoundsHalvesAwayFromZeroAndReportsOverflow) {
  EXPECT_EQ(MulDiv(7, 3, 2), 11);
  EXPECT_EQ(MulDiv(-7, 3, 2), -11);
  EXPECT_EQ(MulDiv(7, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x40000000, 4, 2), -1);  // 2^31 does not fit
  std::mt19937 rng(3);
  for (int i = 0; i < 100000; ++i) {
    const auto random = [&] { return static_cast<std::int32_t>(rng()) >> (rng() % 31); };
    const std::int32_t a = random(), b = random(), c = random() | 1;
    const long double exact = static_cast<long double>(a) * b / c;
    const long double rounded = std::copysign(std::floor(std::fabs(exact) + 0.5L), exact);
    if (std::fabs(rounded) > 2147483647.0L) continue;
    ASSERT_EQ(MulDiv(a, b, c), static_cast<std::int32_t>(rounded)) << a << " " << b << " " << c;
  }
}

// Against brute force: the clipped segment lies in the rectangle and on the
// line (within rounding), and a line that crosses it is kept.
TEST(ClipLine, AgreesWithSamplingTheLine) {
  std::mt19937 rng(5);
  const int minX = 10, minY = 20, maxX = 60, maxY = 45;
  for (int i = 0; i < 20000; ++i) {
    const auto coord = [&] { return static_cast<std::int32_t>(rng() % 140) - 35; };
    const std::int32_t ox1 = coord(), oy1 = coord(), ox2 = coord(), oy2 = coord();
    std::int32_t x1 = ox1, y1 = oy1, x2 = ox2, y2 = oy2;
    const bool kept = ClipLine(x1, y1, x2, y2, minX, minY, maxX, maxY);
    bool meets = false;  // the exact segment, finely sampled, meets the slightly shrunk rectangle
    for (int s = 0; s <= 4000 && !meets; ++s) {
      const double x = ox1 + s / 4000.0 * (ox2 - ox1), y = oy1 + s / 4000.0 * (oy2 - oy1);
      meets = x >= minX + 0.5 && x <= maxX - 0.5 && y >= minY + 0.5 && y <= maxY - 0.5;
    }
    ASSERT_TRUE(kept || !meets) << ox1 << "," << oy1 << " " << ox2 << "," << oy2;
    const double dx = ox2 - ox1, dy = oy2 - oy1, length = std::hypot(dx, dy);
    for (auto [x, y] : kept ? std::vector{std::pair{x1, y1}, {x2, y2}} : std::vector<std::pair<int, int>>{}) {
      ASSERT_TRUE(x >= minX && x <= maxX && y >= minY && y <= maxY) << ox1 << "," << oy1 << " " << ox2 << "," << oy2;
      ASSERT_LE(std::fabs((x - ox1) * dy - (y - oy1) * dx), length);  // at most a unit from the line
    }
  }
  std::int32_t x1 = INT32_MIN, y1 = INT32_MIN, x2 = INT32_MAX, y2 = INT32_MAX;  // no overflow at the extremes
  ASSERT_TRUE(ClipLine(x1, y1, x2, y2, 0, 0, 100, 100));
  EXPECT_EQ((std::vector{x1, y1, x2, y2}), (std::vector{0, 0, 100, 100}));
}

// --- The facade

TEST(Facade, ConversionsRoundHalvesToEvenAndRefuseWhatDoesNotFit) {
  EXPECT_EQ(RoundFloatPoint(TFloatPoint{2.5f, -1.5f}), (TPoint{2, -2}));
  EXPECT_THROW(RoundFloatPoint(TFloatPoint{std::nanf(""), 0}), EInvalidOp);
  EXPECT_THROW(RoundFloatPoint(TFloatPoint{0, 3e9f}), EInvalidOp);
  // 1/65536 of a half rounds to even: 0.5 / 65536 gives 0, 1.5 / 65536 gives 2.
  EXPECT_EQ(FloatToFixedPoint(0.5f / 65536, 1.5f / 65536), (TFixedPoint{0, 2}));
  EXPECT_THROW(FloatToFixedPoint(40000, 0), EInvalidOp);
  // Rectangles that do not meet give the empty rectangle; alpha is held to a byte.
  TRect d{9, 9, 9, 9};
  EXPECT_FALSE(IntersectIntRect(d, TRect{0, 0, 10, 10}, TRect{10, 0, 20, 10}));
  EXPECT_EQ(d, TRect{});
  TFloatRect g{9, 9, 9, 9};
  EXPECT_FALSE(IntersectFloatRect(g, TFloatRect{0, 0, std::nanf(""), 1}, TFloatRect{0, 0, 1, 1}));
  EXPECT_EQ(g, TFloatRect{});
  EXPECT_EQ(SetColorAlpha(0xFF102030, 300), 0xFF102030u);
  EXPECT_EQ(SetColorAlpha(0xFF102030, -5), 0x00102030u);
}

}  // namespace
