// Every bound blending routine against a plain per-channel formula written
// from the definition, and every vector variant against the portable one.

#include "imaging/Blend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "imaging/BlendTables.h"
#include "imaging/BlendVariants.h"
#include "imaging/CpuFeatures.h"

namespace {

using namespace imaging;

int Channel(TColor32 c, int i) { return static_cast<int>(c >> (8 * i) & 0xFF); }
TColor32 FromChannels(const int (&c)[4]) {
  return static_cast<TColor32>(c[0]) | static_cast<TColor32>(c[1]) << 8 | static_cast<TColor32>(c[2]) << 16 |
         static_cast<TColor32>(c[3]) << 24;
}

// V(X, Y, W) per channel, exactly as defined.
TColor32 RefV(TColor32 x, TColor32 y, int w) {
  int r[4];
  for (int i = 0; i < 4; ++i) r[i] = (Channel(y, i) * 256 + 128 + w * (Channel(x, i) - Channel(y, i))) >> 8;
  return FromChannels(r);
}
int A(TColor32 c) { return Channel(c, 3); }

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
  if (ba == 255) return RefV(f, b, fa) | 0xFF000000u;
  if (fa == 255 || ba == 0) return f;
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
  for (auto& c : v) {
    c = rng();
    switch (rng() % 4) {  // plenty of the special alphas
      case 0: c &= 0x00FFFFFF; break;
      case 1: c |= 0xFF000000; break;
      default: break;
    }
  }
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
  const TColor32 backgrounds[] = {0x00000000, 0xFFFFFFFF, 0x80402010, 0x12345678, 0xFF00FF00};
  for (int fa = 0; fa < 256; ++fa)
    for (int fc = 0; fc < 256; ++fc) {
      const TColor32 f = Make(fa, fc);
      for (TColor32 b : backgrounds) {
        ASSERT_EQ(BlendReg(f, b), RefV(f, b, fa));
        TColor32 mem = b;
        BlendMem(f, mem);
        ASSERT_EQ(mem, RefBlendMem(f, b));
        ASSERT_EQ(CombineReg(f, b, static_cast<TColor32>(fc)), RefV(f, b, fc));
        mem = b;
        CombineMem(f, mem, static_cast<TColor32>(fc));
        ASSERT_EQ(mem, RefCombineMem(f, b, fc));
      }
    }
}

TEST(Blend, MasterAlphaFormsOverEveryAlphaAndMaster) {
  const TColor32 b = 0xC0306090;
  for (int fa = 0; fa < 256; ++fa)
    for (int m = 0; m < 256; ++m) {
      const TColor32 f = Make(fa, m ^ 0x55);
      ASSERT_EQ(BlendRegEx(f, b, static_cast<TColor32>(m)), RefBlendRegEx(f, b, m));
      TColor32 mem = b;
      BlendMemEx(f, mem, static_cast<TColor32>(m));
      ASSERT_EQ(mem, RefBlendRegEx(f, b, m));
      TColor32 line = b;
      BlendLineEx(&f, &line, 1, static_cast<TColor32>(m));
      ASSERT_EQ(line, RefBlendLineExPixel(f, b, m));
      ASSERT_EQ(MergeRegEx(f, b, static_cast<TColor32>(m)), RefMergeEx(f, b, m));
      mem = b;
      MergeMemEx(f, mem, static_cast<TColor32>(m));
      ASSERT_EQ(mem, RefMergeEx(f, b, m));
    }
}

TEST(Merge, EveryPairOfAlphas) {
  for (int fa = 0; fa < 256; ++fa)
    for (int ba = 0; ba < 256; ++ba) {
      const TColor32 f = Make(fa, (fa * 7 + ba) & 255);
      const TColor32 b = Make(ba, (ba * 13 + fa * 3) & 255);
      ASSERT_EQ(MergeReg(f, b), RefMerge(f, b)) << fa << "," << ba;
      TColor32 mem = b;
      MergeMem(f, mem);
      ASSERT_EQ(mem, RefMerge(f, b));
    }
}

TEST(Merge, EveryPairOfChannelsAtSemiTransparentAlphas) {
  for (int alphas : {0x8080, 0x40C0, 0xFE01, 0x01FE}) {
    for (int fc = 0; fc < 256; ++fc)
      for (int bc = 0; bc < 256; ++bc) {
        const TColor32 f = FromChannels({fc, bc, fc, alphas >> 8});
        const TColor32 b = FromChannels({255 - bc, fc, bc, alphas & 255});
        ASSERT_EQ(MergeReg(f, b), RefMerge(f, b));
      }
  }
}

TEST(Blend, LineFormsMatchTheirPerPixelDefinitions) {
  const auto src = RandomColors(1000, 1);
  const auto dst = RandomColors(1000, 2);
  auto out = dst;
  BlendLine(src.data(), out.data(), 1000);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(out[i], RefBlendMem(src[i], dst[i]));
  out = dst;
  MergeLine(src.data(), out.data(), 1000);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(out[i], RefMerge(src[i], dst[i]));
  for (int m : {0, 1, 77, 128, 254, 255}) {
    out = dst;
    MergeLineEx(src.data(), out.data(), 1000, static_cast<TColor32>(m));
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(out[i], RefMergeEx(src[i], dst[i], m));
    out = dst;
    BlendLineEx(src.data(), out.data(), 1000, static_cast<TColor32>(m));
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(out[i], RefBlendLineExPixel(src[i], dst[i], m));
  }
  for (int w = 0; w < 256; ++w) {
    out = dst;
    CombineLine(src.data(), out.data(), 1000, static_cast<TColor32>(w));
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(out[i], RefCombineMem(src[i], dst[i], w));
  }
}

TEST(Blend, CountsOfZeroOrLessWriteNothing) {
  const TColor32 src[2] = {0xFF123456, 0x80FFFFFF};
  TColor32 dst[2] = {1, 2};
  BlendLine(src, dst, 0);
  CombineLine(src, dst, 0, 128);
  CombineLine(src, dst, -3, 255);
  BlendLineEx(src, dst, -1, 255);
  MergeLine(src, dst, 0);
  EXPECT_EQ(dst[0], 1u);
  EXPECT_EQ(dst[1], 2u);
}

TEST(Blend, WorkedExamples) {
  TColor32 b = 0x11223344;
  BlendMem(0x00FFFFFF, b);
  EXPECT_EQ(b, 0x11223344u);
  BlendMem(0xFF123456, b);
  EXPECT_EQ(b, 0xFF123456u);
  EXPECT_EQ(BlendReg(0x80FF0000, 0xFF0000FF), 0xC0800080u);
  EXPECT_EQ(BlendReg(0xFFFFFFFF, 0x00000000), 0xFEFEFEFEu);
  TColor32 y = 0;
  CombineMem(0xFFFFFFFF, y, 255);
  EXPECT_EQ(y, 0xFFFFFFFFu);
  EXPECT_EQ(CombineReg(0xFFFFFFFF, 0, 255), 0xFEFEFEFEu);
  EXPECT_EQ(MergeReg(0x80FF0000, 0x80000000), 0xC0AA0000u);
  EXPECT_EQ(MergeReg(0x7B654321, 0x00ABCDEF), 0x7B654321u);
}

TEST(ColorOperations, EveryChannelPair) {
  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b) {
      // The same pair in every channel, and swapped pairs in two of them.
      const TColor32 c1 = FromChannels({b, a, b, a});
      const TColor32 c2 = FromChannels({a, b, a, b});
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
    }
  for (int c = 0; c < 256; ++c)
    for (int w = 0; w < 256; ++w) {
      const TColor32 s = static_cast<TColor32>(c * w / 256);
      ASSERT_EQ(ColorScale(static_cast<TColor32>(c) * 0x01010101u, static_cast<TColor32>(w)), s * 0x01010101u);
    }
  EXPECT_EQ(ColorScale(0x80FF4000, 512), 0xFFFF8000u);  // large weights saturate
}

// The vector variants must give the portable variant's bits. Source pixels
// cover every (alpha, channel) pair; lengths leave ragged tails.
class VectorVariants : public ::testing::TestWithParam<TCPUFeature> {
protected:
  void SetUp() override {
    if (!HasCPUFeature(GetParam())) GTEST_SKIP() << "processor lacks the feature";
    for (int a = 0; a < 256; ++a)
      for (int c = 0; c < 256; ++c) Src.push_back(Make(a, c));
    Src.push_back(0x12345678);  // 65537 pixels: not a multiple of any vector width
    Dst = RandomColors(Src.size(), 9);
  }
  TBlendLine BlendLineVariant() const { return GetParam() == cfAVX2 ? &avx2::BlendLine : &sse2::BlendLine; }
  TBlendLineEx BlendLineExVariant() const { return GetParam() == cfAVX2 ? &avx2::BlendLineEx : &sse2::BlendLineEx; }
  TCombineLine CombineLineVariant() const { return GetParam() == cfAVX2 ? &avx2::CombineLine : &sse2::CombineLine; }

  std::vector<TColor32> Src, Dst;
};

TEST_P(VectorVariants, BlendLineIsBitIdentical) {
  for (int offset : {0, 1, 3}) {
    const int count = static_cast<int>(Src.size()) - offset;
    auto expected = Dst, actual = Dst;
    portable::BlendLine(Src.data() + offset, expected.data(), count);
    BlendLineVariant()(Src.data() + offset, actual.data(), count);
    ASSERT_EQ(actual, expected);
  }
  // A run of fully transparent pixels, which the vector loop skips.
  std::vector<TColor32> clear(37, 0x00FFFFFF), out(Dst.begin(), Dst.begin() + 37);
  BlendLineVariant()(clear.data(), out.data(), 37);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), Dst.begin()));
}

TEST_P(VectorVariants, BlendLineWithMasterAlphaIsBitIdentical) {
  for (int m = 0; m < 256; ++m) {
    auto expected = Dst, actual = Dst;
    portable::BlendLineEx(Src.data(), expected.data(), static_cast<int>(Src.size()), static_cast<TColor32>(m));
    BlendLineExVariant()(Src.data(), actual.data(), static_cast<int>(Src.size()), static_cast<TColor32>(m));
    ASSERT_EQ(actual, expected) << "master alpha " << m;
  }
}

TEST_P(VectorVariants, CombineLineIsBitIdentical) {
  for (int w = 0; w < 256; ++w) {
    auto expected = Dst, actual = Dst;
    portable::CombineLine(Src.data(), expected.data(), static_cast<int>(Src.size()), static_cast<TColor32>(w));
    CombineLineVariant()(Src.data(), actual.data(), static_cast<int>(Src.size()), static_cast<TColor32>(w));
    ASSERT_EQ(actual, expected) << "weight " << w;
  }
}

INSTANTIATE_TEST_SUITE_P(Blend, VectorVariants, ::testing::Values(cfSSE2, cfAVX2),
                         [](const auto& info) { return info.param == cfAVX2 ? std::string("AVX2") : "SSE2"; });

}  // namespace
