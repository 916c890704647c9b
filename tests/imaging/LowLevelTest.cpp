#include "imaging/LowLevel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "imaging/Color32.h"
#include "imaging/CpuFeatures.h"
#include "imaging/FixedMath.h"
#include "imaging/LineClip.h"
#include "imaging/PerfTimer.h"
#include "imaging/RectHelpers.h"
#include "platform/rtl/Exception.h"

namespace {

using namespace imaging;

TEST(FillLongword, EveryVariantFillsExactlyTheRun) {
  std::vector<std::pair<TFillLongword, TCPUFeatures>> variants = {
      {&portable::FillLongword, 0}, {&sse2::FillLongword, cfSSE2}, {&avx2::FillLongword, cfAVX2}, {FillLongword, 0}};
  for (auto [fill, needs] : variants) {
    if ((CPUFeatures() & needs) != needs) continue;
    for (std::ptrdiff_t offset : {0, 1, 2, 3, 5, 7}) {
      for (std::ptrdiff_t count : {-1, 0, 1, 2, 3, 7, 8, 15, 16, 33, 100, 1000}) {
        std::vector<std::uint32_t> buffer(1100, 0xDEADBEEF);
        fill(buffer.data() + offset, count, 0x01020304);
        for (std::ptrdiff_t i = 0; i < 1100; ++i) {
          const bool inside = i >= offset && i < offset + std::max<std::ptrdiff_t>(count, 0);
          ASSERT_EQ(buffer[i], inside ? 0x01020304u : 0xDEADBEEFu) << "offset " << offset << " count " << count;
        }
      }
    }
    // Long enough for the string-store path.
    std::vector<std::uint32_t> big(3'000'003, 7);
    fill(big.data() + 1, 3'000'001, 9);
    EXPECT_EQ(big[0], 7u);
    EXPECT_EQ(big[3'000'002], 7u);
    EXPECT_EQ(std::count(big.begin(), big.end(), 9u), 3'000'001);
  }
}

TEST(MoveLongword, CopiesForwardWordByWord) {
  std::vector<std::uint32_t> a = {1, 2, 3, 4, 5};
  std::vector<std::uint32_t> b(5, 0);
  MoveLongword(a.data(), b.data(), 5);
  EXPECT_EQ(a, b);
  MoveLongword(a.data(), a.data() + 1, 3);  // forward copy smears the first word
  EXPECT_EQ(a, (std::vector<std::uint32_t>{1, 1, 1, 1, 5}));
  MoveLongword(b.data(), a.data(), 0);
  EXPECT_EQ(a[0], 1u);
}

TEST(Clamps, Values) {
  EXPECT_EQ(ClampToByte(300), 255);
  EXPECT_EQ(ClampToByte(-5), 0);
  EXPECT_EQ(ClampToByte(128), 128);
  EXPECT_EQ(Clamp(12, 10), 10);
  EXPECT_EQ(Clamp(-3, 10), 0);
  EXPECT_EQ(Clamp(4, 10), 4);
  EXPECT_EQ(Constrain(-7, -5, 5), -5);
  std::int32_t a = 8, b = 3;
  EXPECT_TRUE(TestClip(a, b, 5, 10));
  EXPECT_EQ(a, 5);
  EXPECT_EQ(b, 8);
  a = 8, b = 3;
  EXPECT_FALSE(TestClip(a, b, 5, 5));
  a = 9, b = 2;
  TestSwap(a, b);
  EXPECT_EQ(a, 2);
  Swap(a, b);
  EXPECT_EQ(a, 9);
}

TEST(Folds, WorkedValues) {
  EXPECT_EQ(Wrap(-1, 0, 9), 9);
  EXPECT_EQ(Wrap(10, 0, 9), 0);
  EXPECT_EQ(Mirror(10, 0, 9), 9);
  EXPECT_EQ(Mirror(-1, 0, 9), 0);
  EXPECT_EQ(Mirror(20, 0, 9), 0);
  EXPECT_EQ(GetWrapProc(wmRepeat, 0, 15), &WrapPow2);
  EXPECT_EQ(GetWrapProc(wmRepeat, 0, 14), &Wrap);
  EXPECT_EQ(GetWrapProc(wmRepeat, -4, 3), &Wrap);
  EXPECT_EQ(GetWrapProc(wmMirror, 2, 9), &MirrorPow2);
  EXPECT_EQ(GetWrapProc(wmClamp, 0, 15), &Constrain);
  EXPECT_EQ(GetWrapProc(wmMirror), &Mirror);
}

// Folding by arithmetic must agree with walking the coordinate step by step.
TEST(Folds, AgreeWithStepwiseFolding) {
  for (auto [min, max] : {std::pair{0, 9}, std::pair{3, 6}, std::pair{-4, 3}, std::pair{0, 7}, std::pair{8, 15}}) {
    const int n = max - min + 1;
    for (int v = min - 3 * n; v <= max + 3 * n; ++v) {
      const int offset = ((v - min) % n + n) % n;
      ASSERT_EQ(Wrap(v, min, max), min + offset) << v;
      const int period = ((v - min) % (2 * n) + 2 * n) % (2 * n);
      const int mirrored = period < n ? min + period : max - (period - n);
      ASSERT_EQ(Mirror(v, min, max), mirrored) << v;
      if (IsPowerOf2(n) && min >= 0) {
        ASSERT_EQ(WrapPow2(v, min, max), min + offset) << v;
        ASSERT_EQ(MirrorPow2(v, min, max), mirrored) << v;
      }
    }
  }
  EXPECT_EQ(Wrap(INT32_MIN, 0, 9), 2);  // -2147483650 is a multiple of 10
  EXPECT_EQ(Mirror(INT32_MAX, -5, 5), 1);  // 2147483652 = 11 x 195225786 + 6, even period
}

TEST(FixedMath, RoundingAndArithmetic) {
  EXPECT_EQ(FixedRound(0x18000), 1);
  EXPECT_EQ(FixedRound(-0x18000), -2);
  EXPECT_EQ(FixedRound(0x18001), 2);
  EXPECT_EQ(FixedCeil(0x10001), 2);
  EXPECT_EQ(FixedFloor(-1), -1);
  EXPECT_EQ(FixedMul(65536 * 3, 32768), 98304);
  EXPECT_EQ(FixedMul(-65536 * 3, 32768), -98304);
  EXPECT_EQ(FixedDiv(3 * 65536, 2 * 65536), 98304);
  EXPECT_THROW(FixedDiv(1, 0), EInvalidOp);
  EXPECT_THROW(FixedDiv(0x7FFFFFFF, 1), EInvalidOp);
  EXPECT_EQ(Fixed(1.5f), 98304);
  EXPECT_EQ(Fixed(-2), -131072);
  EXPECT_EQ(Hypot(3, 4), 5);
  EXPECT_FLOAT_EQ(Hypot(3.0f, 4.0f), 5.0f);
  EXPECT_TRUE(IsPowerOf2(0));
  EXPECT_TRUE(IsPowerOf2(64));
  EXPECT_FALSE(IsPowerOf2(65));
}

TEST(FixedMath, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(7, 3, 2), 11);
  EXPECT_EQ(MulDiv(-7, 3, 2), -11);
  EXPECT_EQ(MulDiv(7, -3, -2), 11);
  EXPECT_EQ(MulDiv(7, 1, 0), -1);
  EXPECT_EQ(MulDiv(0x40000000, 4, 2), -1);  // 2^31 does not fit
  EXPECT_EQ(MulDiv(0x40000000, 4, 3), 1431655765);
  std::mt19937 rng(3);
  for (int i = 0; i < 100000; ++i) {
    const auto a = static_cast<std::int32_t>(rng()) >> (rng() % 31);
    const auto b = static_cast<std::int32_t>(rng()) >> (rng() % 31);
    auto c = static_cast<std::int32_t>(rng()) >> (rng() % 31);
    if (c == 0) c = 1;
    const long double exact = static_cast<long double>(a) * b / c;
    const long double rounded = std::copysign(std::floor(std::fabs(exact) + 0.5L), exact);
    if (std::fabs(rounded) > 2147483647.0L) continue;
    ASSERT_EQ(MulDiv(a, b, c), static_cast<std::int32_t>(rounded)) << a << " " << b << " " << c;
  }
}

TEST(ClipLine, WorkedExample) {
  std::int32_t x1 = -10, y1 = 5, x2 = 20, y2 = 5;
  ASSERT_TRUE(ClipLine(x1, y1, x2, y2, 0, 0, 10, 10));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(y1, 5);
  EXPECT_EQ(x2, 10);
  EXPECT_EQ(y2, 5);
}

// Against brute force: the clipped segment lies in the rectangle and on the
// line (within rounding), and a line that misses is reported as missing.
TEST(ClipLine, AgreesWithSamplingTheLine) {
  std::mt19937 rng(5);
  const int minX = 10, minY = 20, maxX = 60, maxY = 45;
  for (int i = 0; i < 20000; ++i) {
    const auto coord = [&] { return static_cast<std::int32_t>(rng() % 140) - 35; };
    const std::int32_t ox1 = coord(), oy1 = coord(), ox2 = coord(), oy2 = coord();
    std::int32_t x1 = ox1, y1 = oy1, x2 = ox2, y2 = oy2;
    const bool kept = ClipLine(x1, y1, x2, y2, minX, minY, maxX, maxY);
    // Sample the exact segment finely: does it meet the (slightly shrunk) rectangle?
    bool meets = false;
    for (int s = 0; s <= 4000 && !meets; ++s) {
      const double t = s / 4000.0;
      const double x = ox1 + t * (ox2 - ox1), y = oy1 + t * (oy2 - oy1);
      meets = x >= minX + 0.5 && x <= maxX - 0.5 && y >= minY + 0.5 && y <= maxY - 0.5;
    }
    if (meets) {
      ASSERT_TRUE(kept) << ox1 << "," << oy1 << " " << ox2 << "," << oy2;
    }
    if (!kept) continue;
    for (auto [x, y] : {std::pair{x1, y1}, std::pair{x2, y2}}) {
      ASSERT_GE(x, minX);
      ASSERT_LE(x, maxX);
      ASSERT_GE(y, minY);
      ASSERT_LE(y, maxY) << ox1 << "," << oy1 << " " << ox2 << "," << oy2;
      // Distance from the original line, at most about one unit of rounding.
      const double dx = ox2 - ox1, dy = oy2 - oy1;
      const double len = std::hypot(dx, dy);
      if (len > 0) {
        ASSERT_LE(std::fabs((x - ox1) * dy - (y - oy1) * dx) / len, 1.0);
      }
    }
  }
}

TEST(ClipLine, ExtremeCoordinatesDoNotOverflow) {
  std::int32_t x1 = INT32_MIN, y1 = INT32_MIN, x2 = INT32_MAX, y2 = INT32_MAX;
  ASSERT_TRUE(ClipLine(x1, y1, x2, y2, 0, 0, 100, 100));
  EXPECT_EQ(x1, 0);
  EXPECT_EQ(y1, 0);
  EXPECT_EQ(x2, 100);
  EXPECT_EQ(y2, 100);
}

TEST(Colors, HslConversions) {
  EXPECT_EQ(HSLtoRGB(0, 1, 0.5f), 0xFFFF0000u);
  EXPECT_EQ(HSLtoRGB(1.0f / 3, 1, 0.5f), 0xFF00FF00u);
  EXPECT_EQ(HSLtoRGB(0.5f, 0, 0.5f), 0xFF808080u);  // Round(127.5) goes to the even 128
  float h, s, l;
  RGBtoHSL(0xFF0000FF, h, s, l);
  EXPECT_FLOAT_EQ(h, 2.0f / 3);
  EXPECT_FLOAT_EQ(s, 1);
  EXPECT_FLOAT_EQ(l, 0.5f);
  RGBtoHSL(0x80FF00FF, h, s, l);
  EXPECT_FLOAT_EQ(h, 5.0f / 6);
  for (TColor32 c : {0xFF123456u, 0xFFFEDCBAu, 0xFF0080FFu, 0xFF777777u}) {
    RGBtoHSL(c, h, s, l);
    EXPECT_EQ(HSLtoRGB(h, s, l), c);
  }
  EXPECT_EQ(Color32(1, 2, 3, 4), 0x04010203u);
  EXPECT_EQ(RedComponent(0x04010203), 1);
  EXPECT_EQ(GreenComponent(0x04010203), 2);
  EXPECT_EQ(BlueComponent(0x04010203), 3);
}

TEST(Colors, GammaTableIsFilledForGamma07) {
  for (int i = 0; i < 256; ++i)
    ASSERT_EQ(GammaTable[i], static_cast<int>(std::nearbyint(255 * std::pow(i / 255.0, 0.7))));
  EXPECT_EQ(GammaTable[0], 0);
  EXPECT_EQ(GammaTable[255], 255);
}

TEST(PerfTimer, CountsMicroseconds) {
  TPerfTimer timer;
  timer.Start();
  const std::uint32_t tick = GetTickCount();
  while (GetTickCount() - tick < 3) {
  }
  EXPECT_GE(timer.ReadValue(), 2000);
  EXPECT_GE(GetProcessorCount(), 1);
}

}  // namespace

namespace {

TEST(Rectangles, IntersectionAndConversions) {
  using namespace imaging;
  TRect r;
  EXPECT_TRUE(IntersectRect(r, TRect{0, 0, 10, 10}, TRect{5, -3, 20, 4}));
  EXPECT_EQ(r, (TRect{5, 0, 10, 4}));
  // Touching rectangles meet in an empty rectangle that is kept.
  EXPECT_TRUE(IntersectRect(r, TRect{0, 0, 10, 10}, TRect{10, 0, 20, 10}));
  EXPECT_EQ(r, (TRect{10, 0, 10, 10}));
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_FALSE(IntersectRect(r, TRect{0, 0, 10, 10}, TRect{11, 0, 20, 10}));
  EXPECT_EQ(r, TRect{});
  EXPECT_EQ(FixedRect(TRect{1, -2, 3, 4}), (TFixedRect{0x10000, -0x20000, 0x30000, 0x40000}));
  EXPECT_EQ(FloatRect(TRect{1, -2, 3, 4}), (TFloatRect{1, -2, 3, 4}));
  const TFixedRect f{0x18000, -0x18000, 0x28001, 0x30000};
  EXPECT_EQ(MakeRect(f, rrClosest), (TRect{1, -2, 3, 3}));
  EXPECT_EQ(MakeRect(f, rrOutside), (TRect{1, -2, 3, 3}));
  EXPECT_EQ(MakeRect(TFixedRect{0x18000, 0x8000, 0x28001, 0x3FFFF}, rrOutside), (TRect{1, 0, 3, 4}));
  EXPECT_EQ(MakeRect(TFixedRect{0x18000, 0x8000, 0x28001, 0x3FFFF}, rrInside), (TRect{2, 1, 2, 3}));
  EXPECT_EQ(MakeRect(TFixedRect{0x18000, 0x18000, 0x1C000, 0x1C000}, rrInside), (TRect{2, 2, 2, 2}));
  TFloatRect g{0, 0, 1, 1};
  InflateRect(g, 0.5f, 2);
  EXPECT_EQ(g, (TFloatRect{-0.5f, -2, 1.5f, 3}));
}

}  // namespace
