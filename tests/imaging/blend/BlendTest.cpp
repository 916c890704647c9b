// Every bound blending routine against a plain per-channel formula written
// from the definition, and every vector variant against the portable one.

#include "imaging/blend/Blend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/imaging/ImagingTestSupport.h"
#include "imaging/blend/BlendTables.h"
#include "imaging/blend/BlendVariants.h"
#include "imaging/core/CpuFeatures.h"

namespace {

using namespace imaging;
using imagingtest::RefV;

int Channel(TColor32 c, int i) { return static_cast<int>(c >> (8 * i) & 0xFF); }
int A(TColor32 c) { return Channel(c, 3); }
TColor32 FromChannels(const int (&c)[4]) {
  return static_cast<TColor32>(c[0]) | static_cast<TColor32>(c[1]) << 8 | static_cast<TColor32>(c[2]) << 16 |
         static_cast<TColor32>(c[3]) << 24;
}

TColor32 RefBlendMem(TColor32 f, TColor32 b) { return A(f) == 0 ? b : A(f) == 255 ? f : RefV(f, b, A(f)); }
TColor32 RefBlendRegEx(TColor32 f, TColor32 b, int m) {
  const int w = ((m + 1) * A(f)) >> 8;
  return w == 0 ? b : RefV(f, b, w);
}
TColor32 RefBlendLineExPixel(TColor32 f, TColor32 b, int m) {
  const int w = ((A(f) + 1) * m) >> 8;
  return A(f) == 0 || w == 0 ? b : RefV(f, b, w);
}
TColor32 RefCombineMem(TColor32 x, TColor32 y, int w) { return w == 0 ? y : w == 255 ? x : RefV(x, y, w); }

// The tables from their definitions in floating point.
int RefDiv(int a, int b) { return static_cast<int>(std::lround(a * b / 255.0)); }
int RefRc(int a, int b) { return a == 0 ? 0 : static_cast<int>(std::nearbyint(b * 255.0 / a)) & 255; }

TColor32 RefMerge(TColor32 f, TColor32 b) {
  const int fa = A(f), ba = A(b);
  if (fa == 0) return b;
  if (fa == 255) return f;
  if (ba == 255) return RefV(f, b, fa) | 0xFF000000u;
  if (ba == 0) return f;
  const int ra = (fa + ba - RefDiv(ba, fa)) & 255;
  int r[4] = {0, 0, 0, ra};
  for (int i = 0; i < 3; ++i) {
    const int bc = RefDiv(ba, Channel(b, i));
    const int d = Channel(f, i) - bc;
    r[i] = RefRc(ra, d >= 0 ? bc + RefDiv(fa, d) : bc - RefDiv(fa, -d));
  }
  return FromChannels(r);
}
TColor32 RefMergeEx(TColor32 f, TColor32 b, int m) {
  return RefMerge((f & 0x00FFFFFF) | static_cast<TColor32>(RefDiv(m, A(f))) << 24, b);
}

// A colour whose alpha and first colour channel are given and whose other
// channels are scrambled from them.
TColor32 Make(int alpha, int c) {
  return static_cast<TColor32>(alpha) << 24 | static_cast<TColor32>(c) << 16 |
         static_cast<TColor32>((c * 37 + alpha) & 255) << 8 | static_cast<TColor32>((255 - c) ^ alpha);
}

std::vector<TColor32> RandomColors(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<TColor32> v(n);
  for (auto& c : v) c = rng() % 2 ? rng() : (rng() & 0x00FFFFFF) | (rng() % 2 ? 0xFF000000 : 0);  // special alphas
  return v;
}

TEST(BlendTables, MatchTheirDefinitions) {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      ASSERT_EQ(DivTable[a][b], RefDiv(a, b)) << a << "," << b;
      ASSERT_EQ(RcTable[a][b], RefRc(a, b)) << a << "," << b;
    }
  EXPECT_EQ(RcTable[2][1], 128);  // 127.5 goes to the even 128
}

TEST(Blend, RegisterAndMemoryFormsOverEveryAlphaAndChannelPair) {
  for (int fa = 0; fa < 256; ++fa)
    for (int fc = 0; fc < 256; ++fc) {
      const TColor32 f = Make(fa, fc);
      for (TColor32 b : {0x00000000u, 0xFFFFFFFFu, 0x80402010u, 0x12345678u}) {
        ASSERT_EQ(BlendReg(f, b), RefV(f, b, fa));
        TColor32 blended = b, combined = b;
        BlendMem(f, blended);
        ASSERT_EQ(blended, RefBlendMem(f, b));
        ASSERT_EQ(CombineReg(f, b, static_cast<TColor32>(fc)), RefV(f, b, fc));
        CombineMem(f, combined, static_cast<TColor32>(fc));
        ASSERT_EQ(combined, RefCombineMem(f, b, fc));
      }
    }
}

TEST(Blend, MasterAlphaFormsOverEveryAlphaAndMaster) {
  const TColor32 b = 0xC0306090;
  for (int fa = 0; fa < 256; ++fa)
    for (int m = 0; m < 256; ++m) {
      const TColor32 f = Make(fa, m ^ 0x55), mu = static_cast<TColor32>(m);
      TColor32 blended = b, line = b, merged = b;
      ASSERT_EQ(BlendRegEx(f, b, mu), RefBlendRegEx(f, b, m));
      BlendMemEx(f, blended, mu);
      ASSERT_EQ(blended, RefBlendRegEx(f, b, m));
      BlendLineEx(&f, &line, 1, mu);
      ASSERT_EQ(line, RefBlendLineExPixel(f, b, m));
      ASSERT_EQ(MergeRegEx(f, b, mu), RefMergeEx(f, b, m));
      MergeMemEx(f, merged, mu);
      ASSERT_EQ(merged, RefMergeEx(f, b, m));
    }
}

TEST(Merge, EveryPairOfAlphasAndOfChannelsAtSemiTransparentAlphas) {
  for (int fa = 0; fa < 256; ++fa)
    for (int ba = 0; ba < 256; ++ba) {
      const TColor32 f = Make(fa, (fa * 7 + ba) & 255), b = Make(ba, (ba * 13 + fa * 3) & 255);
      TColor32 mem = b;
      MergeMem(f, mem);
      ASSERT_EQ(mem, RefMerge(f, b)) << fa << "," << ba;
      ASSERT_EQ(MergeReg(f, b), mem);
    }
  for (int alphas : {0x8080, 0x40C0, 0xFE01, 0x01FE})
    for (int fc = 0; fc < 256; ++fc)
      for (int bc = 0; bc < 256; ++bc) {
        const TColor32 f = FromChannels({fc, bc, fc, alphas >> 8});
        const TColor32 b = FromChannels({255 - bc, fc, bc, alphas & 255});
        ASSERT_EQ(MergeReg(f, b), RefMerge(f, b));
      }
}

TEST(Blend, LineFormsMatchTheirPerPixelDefinitions) {
  const auto src = RandomColors(1000, 1), dst = RandomColors(1000, 2);
  const auto check = [&](auto&& run, auto&& reference) {
    auto out = dst;
    run(out.data());
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(out[i], reference(src[i], dst[i])) << i;
  };
  check([&](TColor32* out) { BlendLine(src.data(), out, 1000); }, RefBlendMem);
  check([&](TColor32* out) { MergeLine(src.data(), out, 1000); }, RefMerge);
  for (int m : {0, 1, 77, 128, 254, 255}) {
    const auto mu = static_cast<TColor32>(m);
    check([&](TColor32* out) { MergeLineEx(src.data(), out, 1000, mu); },
          [&](TColor32 f, TColor32 b) { return RefMergeEx(f, b, m); });
    check([&](TColor32* out) { BlendLineEx(src.data(), out, 1000, mu); },
          [&](TColor32 f, TColor32 b) { return RefBlendLineExPixel(f, b, m); });
  }
  for (int w = 0; w < 256; ++w)
    check([&](TColor32* out) { CombineLine(src.data(), out, 1000, static_cast<TColor32>(w)); },
          [&](TColor32 f, TColor32 b) { return RefCombineMem(f, b, w); });
  // Counts of zero or less write nothing.
  std::vector<TColor32> untouched{1, 2};
  BlendLine(src.data(), untouched.data(), 0);
  CombineLine(src.data(), untouched.data(), -3, 255);
  BlendLineEx(src.data(), untouched.data(), -1, 255);
  MergeLine(src.data(), untouched.data(), 0);
  EXPECT_EQ(untouched, (std::vector<TColor32>{1, 2}));
}

// Lines of every length up to two vectors and a remainder: each pixel as
// the per-pixel definition gives it, nothing past the count touched.
TEST(Blend, MasterAlphaLinesOfEveryShortLength) {
  const auto src = RandomColors(19, 3), dst = RandomColors(19, 4);
  for (int count = 0; count <= 17; ++count)
    for (int m : {1, 128, 255}) {
      auto out = dst;
      BlendLineEx(src.data(), out.data(), count, static_cast<TColor32>(m));
      for (int i = 0; i < 19; ++i)
        ASSERT_EQ(out[i], i < count ? RefBlendLineExPixel(src[i], dst[i], m) : dst[i]) << count << ", " << i;
    }
}

TEST(Blend, WorkedExamples) {
  TColor32 b = 0x11223344;
  BlendMem(0x00FFFFFF, b);
  EXPECT_EQ(b, 0x11223344u);
  EXPECT_EQ(BlendReg(0x80FF0000, 0xFF0000FF), 0xC0800080u);
  EXPECT_EQ(CombineReg(0xFFFFFFFF, 0, 255), 0xFEFEFEFEu);
  EXPECT_EQ(MergeReg(0x80FF0000, 0x80000000), 0xC0AA0000u);
  EXPECT_EQ(MergeReg(0x7B654321, 0x00ABCDEF), 0x7B654321u);
  // An opaque colour covers an opaque background exactly.
  EXPECT_EQ(MergeReg(0xFF000000, 0xFFFFFFFF), 0xFF000000u);
  EXPECT_EQ(MergeReg(0xFFFFFFFF, 0xFF000000), 0xFFFFFFFFu);
  EXPECT_EQ(MergeRegEx(0xFF000000, 0xFFFFFFFF, 255), 0xFF000000u);
}

TEST(ColorOperations, EveryChannelPair) {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      // The same pair in every channel, and swapped pairs in two of them.
      const TColor32 c1 = FromChannels({b, a, b, a}), c2 = FromChannels({a, b, a, b});
      const auto expect = [&](TColorOp op, auto f) {
        int r[4];
        for (int i = 0; i < 4; ++i) r[i] = f(Channel(c1, i), Channel(c2, i));
        ASSERT_EQ(op(c1, c2), FromChannels(r));
      };
      expect(ColorMax, [](int x, int y) { return std::max(x, y); });
      expect(ColorMin, [](int x, int y) { return std::min(x, y); });
      expect(ColorAverage, [](int x, int y) { return (x + y) / 2; });
      expect(ColorAdd, [](int x, int y) { return std::min(x + y, 255); });
      expect(ColorSub, [](int x, int y) { return std::max(x - y, 0); });
      expect(ColorDiv, [](int x, int y) { return x == 0 ? 255 : std::min(y * 256 / x, 255); });
      expect(ColorModulate, [](int x, int y) { return x * y / 256; });
      expect(ColorDifference, [](int x, int y) { return std::abs(x - y); });
      expect(ColorExclusion, [](int x, int y) { return x + y - x * y / 128; });
      ASSERT_EQ(ColorScale(static_cast<TColor32>(a) * 0x01010101u, static_cast<TColor32>(b)),
                static_cast<TColor32>(a * b / 256) * 0x01010101u);
    }
  EXPECT_EQ(ColorScale(0x80FF4000, 512), 0xFFFF8000u);  // large weights saturate
}

// Page-like backgrounds: mostly opaque, some transparent, a few in between,
// so that whole vector groups take each of the merge's cases.
std::vector<TColor32> Backgrounds(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<TColor32> v(n);
  for (auto& c : v) {
    const std::uint32_t pick = rng() % 20;
    const std::uint32_t colour = rng() & 0x00FFFFFF;
    c = colour | (pick == 0 ? rng() & 0xFF000000 : pick == 1 ? 0 : 0xFF000000);
  }
  return v;
}

// Every merge variant against the per-pixel formula above, on random pixels
// over page-like backgrounds, with and without master alpha, runs of every
// length up to a few vector widths.
class MergeVariants : public ::testing::TestWithParam<int> {};

TEST_P(MergeVariants, FollowTheFormulaOnRandomPixels) {
  struct Variant {
    bool runs;
    TBlendLine line;
    TBlendLineEx lineEx;
  };
  const Variant variants[] = {{true, &portable::MergeLine, &portable::MergeLineEx},
                              {HasCPUFeature(cfSSE2), &sse2::MergeLine, &sse2::MergeLineEx},
                              {HasCPUFeature(cfAVX2), &avx2::MergeLine, &avx2::MergeLineEx}};
  const Variant& variant = variants[GetParam()];
  if (!variant.runs) GTEST_SKIP() << "processor lacks the feature";
  const auto src = RandomColors(20000, 31), dst = Backgrounds(20000, 32);
  for (int m : {-1, 0, 1, 100, 160, 254, 255, 300}) {  // -1: the form without master alpha
    auto out = dst;
    for (std::size_t start = 0, length = 0; start < src.size(); start += length, length = (length + 1) % 29) {
      const int count = static_cast<int>(std::min(length, src.size() - start));
      if (m < 0) variant.line(src.data() + start, out.data() + start, count);
      else variant.lineEx(src.data() + start, out.data() + start, count, static_cast<TColor32>(m));
    }
    for (std::size_t i = 0; i < src.size(); ++i)
      ASSERT_EQ(out[i], m < 0 ? RefMerge(src[i], dst[i]) : RefMergeEx(src[i], dst[i], std::min(m, 255)))
          << "master " << m << ", pixel " << i;
  }
  // Opaque colours over an opaque page come out exactly; clear ones leave it.
  std::vector<TColor32> colors(37, 0xFF000000), page(37, 0xFFFFFFFF);
  colors[5] = 0x00123456;
  variant.line(colors.data(), page.data(), 37);
  for (std::size_t i = 0; i < page.size(); ++i) EXPECT_EQ(page[i], i == 5 ? 0xFFFFFFFFu : 0xFF000000u) << i;
}

INSTANTIATE_TEST_SUITE_P(Blend, MergeVariants, ::testing::Values(0, 1, 2), [](const auto& info) {
  return std::string(info.param == 0 ? "Portable" : info.param == 1 ? "SSE2" : "AVX2");
});

// The vector variants must give the portable variant's bits. Source pixels
// cover every (alpha, channel) pair; lengths leave ragged tails.
class VectorVariants : public ::testing::TestWithParam<TCPUFeature> {};

TEST_P(VectorVariants, LineRoutinesAreBitIdentical) {
  if (!HasCPUFeature(GetParam())) GTEST_SKIP() << "processor lacks the feature";
  const bool avx = GetParam() == cfAVX2;
  const TBlendLine blendLine = avx ? &avx2::BlendLine : &sse2::BlendLine;
  const TBlendLineEx blendLineEx = avx ? &avx2::BlendLineEx : &sse2::BlendLineEx;
  const TCombineLine combineLine = avx ? &avx2::CombineLine : &sse2::CombineLine;
  const TBlendLineEx mergeLineEx = avx ? &avx2::MergeLineEx : &sse2::MergeLineEx;
  std::vector<TColor32> src;
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c) src.push_back(Make(a, c));
  src.push_back(0x12345678);  // 65537 pixels: not a multiple of any vector width
  const std::vector<TColor32> dst = RandomColors(src.size(), 9);
  const auto compare = [&](auto&& portable, auto&& variant, const char* what, int parameter) {
    auto expected = dst, actual = dst;
    portable(expected.data());
    variant(actual.data());
    ASSERT_EQ(actual, expected) << what << " " << parameter;
  };
  for (int offset : {0, 1, 3}) {
    const int count = static_cast<int>(src.size()) - offset;
    compare([&](TColor32* d) { portable::BlendLine(src.data() + offset, d, count); },
            [&](TColor32* d) { blendLine(src.data() + offset, d, count); }, "blend, offset", offset);
  }
  const int n = static_cast<int>(src.size());
  for (int m = 0; m < 256; ++m) {
    const auto mu = static_cast<TColor32>(m);
    compare([&](TColor32* d) { portable::BlendLineEx(src.data(), d, n, mu); },
            [&](TColor32* d) { blendLineEx(src.data(), d, n, mu); }, "blend, master alpha", m);
    compare([&](TColor32* d) { portable::CombineLine(src.data(), d, n, mu); },
            [&](TColor32* d) { combineLine(src.data(), d, n, mu); }, "combine, weight", m);
    compare([&](TColor32* d) { portable::MergeLineEx(src.data(), d, n, mu); },
            [&](TColor32* d) { mergeLineEx(src.data(), d, n, mu); }, "merge, master alpha", m);
  }
  // A run of fully transparent pixels, which the vector loop skips.
  std::vector<TColor32> clear(37, 0x00FFFFFF), out(dst.begin(), dst.begin() + 37);
  blendLine(clear.data(), out.data(), 37);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), dst.begin()));
}

INSTANTIATE_TEST_SUITE_P(Blend, VectorVariants, ::testing::Values(cfSSE2, cfAVX2),
                         [](const auto& info) { return info.param == cfAVX2 ? std::string("AVX2") : "SSE2"; });

}  // namespace
