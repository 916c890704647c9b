// Resampling: mapping tables by hand, invariants every resampler keeps
// (constants stay constant, 1:1 is a copy, weights sum to one), the vector
// variants against the portable ones, the stretch transfer's rectangle
// rules, degenerate input, and a loose comparison with stb_image_resize as
// an independent resizer.

#include <gtest/gtest.h>
#include <stb_image_resize.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "imaging/Bitmap32.h"
#include "imaging/Blend.h"
#include "imaging/CpuFeatures.h"
#include "imaging/MappingTable.h"
#include "imaging/RasterError.h"
#include "imaging/ResamplerBindings.h"
#include "imaging/Resamplers.h"
#include "imaging/StretchTransfer.h"

namespace {

using namespace imaging;

constexpr TStretchFilter AllFilters[] = {sfNearest, sfDraft, sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell};

void FillRandom(TCustomBitmap32& b, std::uint32_t seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) b.SetPixel(x, y, rng());
}

// Smooth opaque picture with detail at several scales.
void FillSmooth(TCustomBitmap32& b) {
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) {
      const auto channel = [&](double fx, double fy, double phase) {
        return static_cast<TColor32>(std::lround(127.5 + 120 * std::sin(x * fx + phase) * std::cos(y * fy)));
      };
      b.SetPixel(x, y,
                 0xFF000000u | channel(0.11, 0.07, 0) << 16 | channel(0.05, 0.13, 1) << 8 | channel(0.21, 0.03, 2));
    }
}

// A kernel resampler with the named kernel.
std::unique_ptr<TKernelResampler> KernelResampler(const char* kernelName) {
  auto resampler = std::make_unique<TKernelResampler>();
  resampler->SetKernelClassName(kernelName);
  return resampler;
}

std::vector<const char*> KernelNames() {
  std::vector<const char*> names;
  for (std::size_t i = 0; i < KernelList().Count(); ++i) names.push_back(KernelList()[i]->ClassName.data());
  return names;
}

// Records what the stretch transfer hands to the resampler.
class TRecordingResampler : public TCustomResampler {
public:
  static const TResamplerClass Class;
  const TResamplerClass& GetClass() const override { return Class; }
  mutable std::vector<std::pair<TRect, TRect>> Calls;  // DstRect, SrcRect

protected:
  void ResampleClipped(const TStretchArgs& args) const override { Calls.push_back({args.DstRect, args.SrcRect}); }
};
const TResamplerClass TRecordingResampler::Class{"TRecordingResampler", nullptr};

TRecordingResampler& InstallRecorder(TCustomBitmap32& b) {
  auto recorder = std::make_unique<TRecordingResampler>();
  TRecordingResampler& result = *recorder;
  b.SetResampler(std::move(recorder));
  return result;
}

// --- Mapping tables

std::vector<TMappingEntry> List(const TMappingTable& table, std::size_t i) {
  return {table[i].begin(), table[i].end()};
}

TEST(MappingTable, EnlargingWithTheLinearKernelByHand) {
  // 2 -> 4: centres at -0.25, 0.25, 0.75, 1.25 source pixels.
  const TMappingTable table = BuildMappingTable(0, 4, 0, 4, 0, 2, TLinearKernel());
  ASSERT_EQ(table.Count(), 4u);
  EXPECT_EQ(List(table, 0), (std::vector<TMappingEntry>{{0, 64}, {0, 192}}));
  EXPECT_EQ(List(table, 1), (std::vector<TMappingEntry>{{0, 192}, {1, 64}}));
  EXPECT_EQ(List(table, 2), (std::vector<TMappingEntry>{{0, 64}, {1, 192}}));
  EXPECT_EQ(List(table, 3), (std::vector<TMappingEntry>{{1, 192}, {1, 64}}));
}

TEST(MappingTable, ShrinkingHoldsSourcePositionsWithinTheSource) {
  // 4 -> 2: the triangle is stretched to 4 source pixels; the first list
  // reaches position -1, which belongs to the edge pixel.
  const TMappingTable table = BuildMappingTable(0, 2, 0, 2, 0, 4, TLinearKernel());
  ASSERT_EQ(table.Count(), 2u);
  EXPECT_EQ(List(table, 0), (std::vector<TMappingEntry>{{0, 32}, {0, 96}, {1, 96}, {2, 32}}));
  EXPECT_EQ(List(table, 1), (std::vector<TMappingEntry>{{1, 32}, {2, 96}, {3, 96}, {3, 32}}));
}

TEST(MappingTable, EveryListSumsToExactly256WithinTheSourceRange) {
  for (const char* name : KernelNames()) {
    const auto kernel = KernelList().Find(name)->Create();
    for (const auto& [srcLo, srcHi] : {std::pair{0, 2}, {5, 12}, {3, 100}, {0, 997}})
      for (const std::int32_t dstWidth : {1, 2, 3, 7, 50, 333, 1500}) {
        const std::int32_t dstLo = -13, clipLo = dstLo + dstWidth / 3, clipHi = dstLo + dstWidth;
        const TMappingTable table = BuildMappingTable(dstLo, dstLo + dstWidth, clipLo, clipHi, srcLo, srcHi, *kernel);
        ASSERT_EQ(table.Count(), static_cast<std::size_t>(clipHi - clipLo));
        for (std::size_t i = 0; i < table.Count(); ++i) {
          std::int32_t sum = 0;
          for (const TMappingEntry& e : table[i]) {
            sum += e.Weight;
            EXPECT_GE(e.Pos, srcLo);
            EXPECT_LT(e.Pos, srcHi);
          }
          EXPECT_EQ(sum, 256) << name << " " << srcHi - srcLo << " -> " << dstWidth << " at " << i;
        }
      }
  }
}

TEST(MappingTable, OnePixelSourcesAndEmptyRanges) {
  const TMappingTable single = BuildMappingTable(0, 50, 0, 50, 7, 8, TLanczosKernel());
  ASSERT_EQ(single.Count(), 50u);
  for (std::size_t i = 0; i < 50; ++i) EXPECT_EQ(List(single, i), (std::vector<TMappingEntry>{{7, 256}}));
  EXPECT_EQ(BuildMappingTable(0, 50, 0, 50, 3, 3, TLanczosKernel()).Count(), 0u);
  EXPECT_EQ(BuildMappingTable(0, 0, 0, 0, 0, 10, TLanczosKernel()).Count(), 0u);
  EXPECT_EQ(BuildMappingTable(10, 0, 0, 10, 0, 10, TLanczosKernel()).Count(), 0u);
  EXPECT_EQ(BuildMappingTable(0, 10, 5, 5, 0, 10, TLanczosKernel()).Count(), 0u);
}

TEST(MappingTable, HugeReductionsStayFinite) {
  TSinshKernel wide;
  wide.SetWidth(TSinshKernel::MaxWidth);
  const TMappingTable table = BuildMappingTable(0, 1, 0, 1, 0, 20000, wide);
  ASSERT_EQ(table.Count(), 1u);
  std::int32_t sum = 0;
  for (const TMappingEntry& e : table[0]) sum += e.Weight;
  EXPECT_EQ(sum, 256);
}

// --- Bound routines

TEST(ResamplerBindings, BlockAverageByHand) {
  const TColor32 block[] = {0xFF000000, 0xFFFFFFFF, 0xFF102030, 0xFF203040};
  // 2 x 2: exact means, truncated.
  EXPECT_EQ(BlockAverage(2, 2, block, 8), 0xFF4B535Bu);  // 303 / 4, 335 / 4, 367 / 4
  // Three white pixels: 255 x 3 x (2^24 div 3) >> 24 = 254, the factor's rounding.
  const TColor32 white[] = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF};
  EXPECT_EQ(BlockAverage(3, 1, white, 12), 0xFEFEFEFEu);
  // A block past 65536 pixels divides exactly (the factor 2^24 div 90000
  // would give 0x7F3F1F0F).
  std::vector<TColor32> big(300 * 300, 0x80402010);
  EXPECT_EQ(BlockAverage(300, 300, big.data(), 1200), 0x80402010u);
  big[0] = 0;
  EXPECT_EQ(BlockAverage(300, 300, big.data(), 1200), 0x7F3F1F0Fu);
  // Rows are stride bytes apart: the second column of a 2-wide buffer.
  const TColor32 column[] = {0, 0xFF000010, 0, 0xFF000030};
  EXPECT_EQ(BlockAverage(1, 2, column + 1, 8), 0xFF000020u);
}

TEST(ResamplerBindings, InterpolatorCombinesRowsThenColumns) {
  const TColor32 top[] = {0xFF0000FF, 0xFFFF0000};
  const TColor32 bottom[] = {0xFF00FF00, 0x00000000};
  for (const auto& [wx, wy] : {std::pair{0u, 0u}, {128u, 64u}, {255u, 255u}, {300u, 256u}, {17u, 200u}}) {
    const std::uint32_t x = std::min(wx, 255u), y = std::min(wy, 255u);
    const TColor32 expected = CombineReg(CombineReg(top[0], top[1], x), CombineReg(bottom[0], bottom[1], x), y);
    EXPECT_EQ(Interpolator(wx, wy, top, bottom), expected) << wx << " " << wy;
  }
}

TEST(ResamplerBindings, VectorKernelPassesGiveTheBitsOfThePortableOnes) {
  if (!HasCPUFeature(cfAVX2)) GTEST_SKIP() << "no AVX2";
  std::mt19937 rng(5);
  std::vector<TColor32> row(300);
  for (auto& p : row) p = rng();
  std::vector<TKernelWindow> windows;
  std::vector<std::int16_t> weights;
  for (std::int32_t count = 1; count <= 27; ++count)
    for (int repeat = 0; repeat < 3; ++repeat) {
      const std::int32_t first = static_cast<std::int32_t>(rng() % (300 - count));
      windows.push_back({first, count, static_cast<std::int32_t>(weights.size())});
      for (std::int32_t k = 0; k < count; ++k) weights.push_back(static_cast<std::int16_t>(rng() % 1200) - 600);
    }
  const auto n = static_cast<std::int32_t>(windows.size());
  std::vector<std::int32_t> portableSums(4 * n), vectorSums(4 * n);
  portable::KernelRowPass(row.data(), windows.data(), weights.data(), n, portableSums.data());
  avx2::KernelRowPass(row.data(), windows.data(), weights.data(), n, vectorSums.data());
  EXPECT_EQ(portableSums, vectorSums);

  // Vertical sums of horizontal sums within the 32-bit bounds.
  for (const std::int32_t taps : {1, 2, 5, 13}) {
    std::vector<std::vector<std::int32_t>> rows(static_cast<std::size_t>(taps), std::vector<std::int32_t>(4 * 37));
    std::vector<const std::int32_t*> pointers;
    std::vector<std::int16_t> columnWeights;
    for (auto& r : rows) {
      for (auto& v : r) v = static_cast<std::int32_t>(rng() % 120000) - 20000;
      pointers.push_back(r.data());
      columnWeights.push_back(static_cast<std::int16_t>(rng() % 600) - 150);
    }
    for (const bool rangeCheck : {false, true})
      for (const std::int32_t count : {1, 3, 4, 5, 8, 36, 37}) {
        std::vector<TColor32> a(static_cast<std::size_t>(count)), b(static_cast<std::size_t>(count));
        portable::KernelColumnPass(pointers.data(), columnWeights.data(), taps, count, rangeCheck, a.data());
        avx2::KernelColumnPass(pointers.data(), columnWeights.data(), taps, count, rangeCheck, b.data());
        EXPECT_EQ(a, b) << taps << " taps, " << count << " pixels, range check " << rangeCheck;
      }
  }
}

TEST(ResamplerBindings, FinishChannelHoldsRangeOnlyForKernelsWithNegativeLobes) {
  EXPECT_EQ(FinishChannel(0xFF0000, false), 255u);
  EXPECT_EQ(FinishChannel(0x12FFFF, false), 0x12u);
  EXPECT_EQ(FinishChannel(-5, true), 0u);
  EXPECT_EQ(FinishChannel(0x1000000, true), 255u);
  EXPECT_EQ(FinishChannel(0x1000000, false), 0u);  // masked, as the sum is taken to lie in range
}

// --- Invariants of every resampler

TEST(Resampling, AConstantPictureStaysConstant) {
  for (const TColor32 color : {0xFFFFFFFFu, 0x80402010u, 0x00000000u, 0xFF00FF7Fu}) {
    TCustomBitmap32 src;
    src.SetSize(37, 23);
    src.Clear(color);
    for (const auto& [w, h] : {std::pair{111, 69}, {74, 46}, {37, 5}, {18, 11}, {9, 23}, {1, 1}, {200, 7}}) {
      for (const TStretchFilter filter : AllFilters) {
        // Draft blocks other than 1, 2 or 4 pixels lose a level to the
        // block average's fixed factor (by hand above).
        const bool draftBlocks = w < 37 || h < 23;
        if (filter == sfDraft && draftBlocks) continue;
        src.SetStretchFilter(filter);
        TCustomBitmap32 dst;
        dst.SetSize(w, h);
        dst.Clear(0x12345678);
        src.DrawTo(dst, TRect{0, 0, w, h});
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            ASSERT_EQ(dst.GetPixel(x, y), color) << filter << " " << w << "x" << h << " at " << x << "," << y;
      }
    }
    src.SetStretchFilter(sfDraft);
    for (const auto& [target, from] : {std::pair{TRect{0, 0, 18, 23}, TRect{0, 0, 36, 23}},
                                       {TRect{0, 0, 1, 23}, TRect{3, 0, 7, 23}},
                                       {TRect{0, 0, 37, 1}, TRect{0, 5, 37, 7}},
                                       {TRect{0, 0, 9, 5}, TRect{1, 2, 37, 22}}}) {
      TCustomBitmap32 reduced;
      reduced.SetSize(target.Right, target.Bottom);
      src.DrawRectTo(reduced, target, from);
      for (int y = 0; y < target.Bottom; ++y)
        for (int x = 0; x < target.Right; ++x) ASSERT_EQ(reduced.GetPixel(x, y), color) << "draft " << x << "," << y;
    }
    for (const char* name : KernelNames()) {
      TCustomBitmap32 dst;
      dst.SetSize(50, 9);
      src.SetResampler(KernelResampler(name));
      src.DrawTo(dst, TRect{0, 0, 50, 9});
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(dst.GetPixel(x, y), color) << name;
    }
  }
}

TEST(Resampling, OneToOneIsACopyForEveryFilter) {
  TCustomBitmap32 src, dst;
  src.SetSize(31, 17);
  FillRandom(src, 1);
  for (const TStretchFilter filter : AllFilters) {
    src.SetStretchFilter(filter);
    dst.SetSize(31, 17);
    dst.Clear(0);
    src.DrawTo(dst, src.BoundsRect());
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 31; ++x) ASSERT_EQ(dst.GetPixel(x, y), src.GetPixel(x, y)) << filter;
  }
}

TEST(Resampling, InterpolatingKernelsResampleOneToOneAsACopy) {
  TCustomBitmap32 src, dst;
  src.SetSize(23, 19);
  FillRandom(src, 2);
  for (const char* name :
       {"TBoxKernel", "TLinearKernel", "TCosineKernel", "TCubicKernel", "TLanczosKernel", "TBlackmanKernel",
        "THannKernel", "THammingKernel", "TGaussianKernel", "TAlbrechtKernel", "THermiteKernel", "TSinshKernel"}) {
    dst.SetSize(23, 19);
    dst.Clear(0);
    KernelResampler(name)->Resample({dst, dst.BoundsRect(), dst.BoundsRect(), src, src.BoundsRect(), dmOpaque, {}});
    for (int y = 0; y < 19; ++y)
      for (int x = 0; x < 23; ++x) ASSERT_EQ(dst.GetPixel(x, y), src.GetPixel(x, y)) << name;
  }
}

TEST(Resampling, KernelResamplingByHand) {
  // 2 x 1 -> 4 x 1 with the linear kernel: weights from the mapping table
  // above; sums of 256 x 256 units, truncated.
  TCustomBitmap32 src, dst;
  src.SetSize(2, 1);
  src.SetPixel(0, 0, 0xFF000000);
  src.SetPixel(1, 0, 0xFFC8FF10);
  dst.SetSize(4, 1);
  KernelResampler("TLinearKernel")
      ->Resample({dst, dst.BoundsRect(), dst.BoundsRect(), src, src.BoundsRect(), dmOpaque, {}});
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(dst.GetPixel(1, 0), 0xFF323F04u);  // 200/4, 255/4, 16/4
  EXPECT_EQ(dst.GetPixel(2, 0), 0xFF96BF0Cu);  // x 3/4
  EXPECT_EQ(dst.GetPixel(3, 0), 0xFFC8FF10u);
}

TEST(Resampling, NearestPicksThePixelUnderEachLeftEdge) {
  TCustomBitmap32 src, dst;
  src.SetSize(4, 1);
  for (int x = 0; x < 4; ++x) src.SetPixel(x, 0, 0xFF000000u + x);
  dst.SetSize(8, 1);
  src.DrawTo(dst, TRect{0, 0, 8, 1});
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dst.GetPixel(x, 0), 0xFF000000u + x / 2);
  dst.SetSize(2, 1);
  src.DrawTo(dst, TRect{0, 0, 2, 1});
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFF000000u);
  EXPECT_EQ(dst.GetPixel(1, 0), 0xFF000002u);
  // A one-pixel destination takes the middle: (0 + 4 - 1) div 2.
  dst.SetSize(1, 1);
  src.DrawTo(dst, TRect{0, 0, 1, 1});
  EXPECT_EQ(dst.GetPixel(0, 0), 0xFF000001u);
}

TEST(Resampling, BilinearStretchByHand) {
  // 2 x 2 -> 4 x 4: per axis pixel 0 with weights 256 (limited to 255), 192,
  // 64, and 0 for the last position, moved back to pixel 0.
  TCustomBitmap32 src, dst;
  src.SetSize(2, 2);
  src.SetPixel(0, 0, 0xFF000000);
  src.SetPixel(1, 0, 0xFFFFFFFF);
  src.SetPixel(0, 1, 0xFF000000);
  src.SetPixel(1, 1, 0xFFFFFFFF);
  src.SetStretchFilter(sfLinear);
  dst.SetSize(4, 4);
  src.DrawTo(dst, dst.BoundsRect());
  const std::uint32_t weights[] = {255, 192, 64, 0};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      // V(black, white, w) = (255 x 256 + 128 - 255 w) >> 8 per colour channel.
      const std::uint32_t level = (255 * 256 + 128 - 255 * weights[x]) >> 8;
      EXPECT_EQ(dst.GetPixel(x, y), 0xFF000000u | level * 0x010101u) << x << "," << y;
    }
}

TEST(Resampling, OnePixelWideSourceRepeatsItsColumn) {
  TCustomBitmap32 src, dst;
  src.SetSize(1, 6);
  FillRandom(src, 3);
  for (const TStretchFilter filter : AllFilters) {
    src.SetStretchFilter(filter);
    dst.SetSize(50, 6);
    src.DrawTo(dst, dst.BoundsRect());
    // Smoothing kernels (spline, Mitchell) blur the column itself.
    const bool copiesColumn = filter != sfSpline && filter != sfMitchell;
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 50; ++x) {
        ASSERT_EQ(dst.GetPixel(x, y), dst.GetPixel(0, y)) << filter;
        if (copiesColumn) {
          ASSERT_EQ(dst.GetPixel(x, y), src.GetPixel(0, y)) << filter;
        }
      }
  }
}

TEST(Resampling, DegenerateSizesNeitherCrashNorDraw) {
  TCustomBitmap32 src, dst, empty;
  src.SetSize(5, 5);
  src.Clear(0xFFFFFFFF);
  dst.SetSize(10, 10);
  dst.Clear(0);
  int areas = 0;
  dst.OnAreaChanged = [&](TPersistent*, const TRect&, std::uint32_t) { ++areas; };
  for (const TStretchFilter filter : AllFilters) {
    src.SetStretchFilter(filter);
    empty.DrawTo(dst, TRect{0, 0, 10, 10});                         // empty source
    src.DrawTo(empty, TRect{0, 0, 10, 10});                         // empty destination
    src.DrawTo(dst, TRect{3, 3, 3, 9});                             // zero-wide target
    src.DrawTo(dst, TRect{8, 8, 2, 2});                             // inverted target
    src.DrawRectTo(dst, TRect{0, 0, 10, 10}, TRect{2, 2, 2, 4});    // empty source rectangle
    src.DrawRectTo(dst, TRect{0, 0, 10, 10}, TRect{-9, 0, -4, 5});  // wholly left of the source
    src.DrawRectTo(dst, TRect{0, 0, 10, 10}, TRect{6, 0, 9, 5});    // wholly right of it
    src.DrawTo(dst, TRect{20, 20, 40, 40});                         // outside the destination
  }
  EXPECT_EQ(areas, 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(dst.GetPixel(x, y), 0u);
}

TEST(Resampling, HugeScaleFactorsStayWithinTheClip) {
  TCustomBitmap32 src, dst;
  src.SetSize(3, 2);
  FillRandom(src, 4);
  dst.SetSize(16, 12);
  for (const TStretchFilter filter : AllFilters) {
    src.SetStretchFilter(filter);
    dst.Clear(0x11111111);
    // A few billion times larger: only the 16 x 12 clip is computed.
    src.DrawTo(dst, TRect{-2000000000, -2000000000, 2000000000, 2000000000});
    const TColor32 middle = dst.GetPixel(8, 6);
    EXPECT_NE(middle, 0x11111111u) << filter;
  }
  // The other way: 16384 x 1 into a single pixel (a block the draft
  // average divides exactly).
  TCustomBitmap32 wide, one;
  wide.SetSize(16384, 1);
  wide.Clear(0xFF808080);
  one.SetSize(1, 1);
  for (const TStretchFilter filter : AllFilters) {
    wide.SetStretchFilter(filter);
    one.Clear(0);
    wide.DrawTo(one, one.BoundsRect());
    EXPECT_EQ(one.GetPixel(0, 0), 0xFF808080u) << filter;
  }
}

TEST(Resampling, AbsurdKernelSettingsStillKeepConstantsConstant) {
  // Weights far beyond 16 bits take the wide path; the lists still sum to 256.
  TCustomBitmap32 src, dst;
  src.SetSize(9, 9);
  src.Clear(0xC0804020);
  auto hermite = KernelResampler("THermiteKernel");
  dynamic_cast<THermiteKernel&>(hermite->GetKernel()).SetTension(-1e6f);
  dynamic_cast<THermiteKernel&>(hermite->GetKernel()).SetBias(3e5f);
  auto sinsh = KernelResampler("TSinshKernel");
  dynamic_cast<TSinshKernel&>(sinsh->GetKernel()).SetCoeff(1e-30f);
  for (const TKernelResampler* resampler : {hermite.get(), sinsh.get()})
    for (const auto& [w, h] : {std::pair{4, 13}, {20, 3}}) {
      dst.SetSize(w, h);
      resampler->Resample({dst, dst.BoundsRect(), dst.BoundsRect(), src, src.BoundsRect(), dmOpaque, {}});
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(dst.GetPixel(x, y), 0xC0804020u) << resampler->GetKernelClassName();
    }
}

TEST(Resampling, ResampleRefusesSourceRectanglesOutsideTheSource) {
  TCustomBitmap32 src, dst;
  src.SetSize(4, 4);
  dst.SetSize(8, 8);
  for (const TStretchFilter filter : AllFilters) {
    src.SetStretchFilter(filter);
    try {
      src.GetResampler().Resample({dst, dst.BoundsRect(), dst.BoundsRect(), src, TRect{-1, 0, 4, 4}, dmOpaque, {}});
      FAIL() << "accepted";
    } catch (const ERasterError& e) {
      EXPECT_STREQ(e.what(), "Invalid SrcRect");
    }
  }
}

// --- Stretch transfer

TEST(StretchTransfer, EqualSizesNeverCallTheResampler) {
  TCustomBitmap32 src, dst;
  src.SetSize(10, 10);
  FillRandom(src, 7);
  dst.SetSize(10, 10);
  const TRecordingResampler& recorder = InstallRecorder(src);
  src.DrawTo(dst, TRect{0, 0, 10, 10});
  EXPECT_TRUE(recorder.Calls.empty());
  EXPECT_EQ(dst.GetPixel(3, 4), src.GetPixel(3, 4));
  src.DrawTo(dst, TRect{0, 0, 20, 10});
  EXPECT_EQ(recorder.Calls.size(), 1u);
}

TEST(StretchTransfer, SourceRectanglesReachingOutsideCutTheTargetInProportion) {
  TCustomBitmap32 src, dst;
  src.SetSize(10, 10);
  dst.SetSize(40, 40);
  const TRecordingResampler& recorder = InstallRecorder(src);
  src.DrawRectTo(dst, TRect{0, 0, 30, 30}, TRect{-5, 0, 10, 10});
  ASSERT_EQ(recorder.Calls.size(), 1u);
  EXPECT_EQ(recorder.Calls[0].first, (TRect{10, 0, 30, 30}));
  EXPECT_EQ(recorder.Calls[0].second, (TRect{0, 0, 10, 10}));
  // Right and bottom edges are cut by whole destination pixels (floor).
  src.DrawRectTo(dst, TRect{0, 0, 25, 20}, TRect{0, 5, 12, 13});
  ASSERT_EQ(recorder.Calls.size(), 2u);
  EXPECT_EQ(recorder.Calls[1].first, (TRect{0, 0, 21, 13}));  // 25 - floor(2 x 25/12), 20 - floor(3 x 20/8)
  EXPECT_EQ(recorder.Calls[1].second, (TRect{0, 5, 10, 10}));
}

TEST(StretchTransfer, NilBitmapsAreRefused) {
  TCustomBitmap32 b;
  b.SetSize(2, 2);
  const TNearestResampler resampler;
  try {
    StretchTransfer(nullptr, TRect{}, TRect{}, &b, TRect{}, resampler, dmOpaque, {});
    FAIL();
  } catch (const ERasterError& e) {
    EXPECT_STREQ(e.what(), "Destination bitmap is nil");
  }
  try {
    StretchTransfer(&b, TRect{}, TRect{}, nullptr, TRect{}, resampler, dmOpaque, {});
    FAIL();
  } catch (const ERasterError& e) {
    EXPECT_STREQ(e.what(), "Source bitmap is nil");
  }
  EXPECT_THROW(BlockTransfer(&b, 0, 0, TRect{}, nullptr, TRect{}, dmOpaque, {}), ERasterError);
}

TEST(StretchTransfer, BlendingWithMasterAlphaZeroChangesNothing) {
  TCustomBitmap32 src, dst;
  src.SetSize(4, 4);
  src.Clear(0xFFFFFFFF);
  src.SetDrawMode(dmBlend);
  src.SetMasterAlpha(0);
  dst.SetSize(8, 8);
  dst.Clear(0xFF000000);
  int areas = 0, changes = 0;
  dst.OnAreaChanged = [&](TPersistent*, const TRect&, std::uint32_t) { ++areas; };
  dst.OnChange = [&](TPersistent*) { ++changes; };
  for (const TStretchFilter filter : AllFilters) {
    src.SetStretchFilter(filter);
    src.DrawTo(dst, TRect{0, 0, 8, 8});
    src.DrawTo(dst, TRect{0, 0, 4, 4});
  }
  EXPECT_EQ(areas, 0);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(dst.GetPixel(1, 1), 0xFF000000u);
}

TEST(StretchTransfer, ReportsTheTargetAndDrawsNothingWhileMeasuring) {
  TCustomBitmap32 src, dst;
  src.SetSize(4, 4);
  src.Clear(0xFFFFFFFF);
  dst.SetSize(8, 8);
  dst.Clear(0);
  std::vector<TRect> areas;
  dst.BeginMeasuring([&](TPersistent*, const TRect& area, std::uint32_t info) {
    EXPECT_EQ(info, AREAINFO_RECT);
    areas.push_back(area);
  });
  src.DrawTo(dst, TRect{-2, 1, 30, 7});
  dst.EndMeasuring();
  ASSERT_EQ(areas.size(), 1u);
  EXPECT_EQ(areas[0], (TRect{-2, 1, 30, 7}));
  EXPECT_EQ(dst.GetPixel(3, 3), 0u);
  std::vector<TRect> reported;
  dst.OnAreaChanged = [&](TPersistent*, const TRect& area, std::uint32_t) { reported.push_back(area); };
  src.DrawTo(dst, TRect{-2, 1, 30, 7});
  EXPECT_EQ(reported, (std::vector<TRect>{{-2, 1, 30, 7}}));
  EXPECT_EQ(dst.GetPixel(3, 3), 0xFFFFFFFFu);
}

TEST(StretchTransfer, DrawModesOfTheBlockTransfer) {
  TCustomBitmap32 src, dst;
  src.SetSize(6, 3);
  FillRandom(src, 8);
  src.SetPixel(2, 1, 0x00ABCDEF);
  src.OuterColor = 0x00ABCDEF;
  const auto reset = [&] {
    dst.SetSize(6, 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 6; ++x) dst.SetPixel(x, y, 0xFF000000u | static_cast<TColor32>(x * 40 + y));
  };
  // Transparent: everything but the outer colour.
  reset();
  src.SetDrawMode(dmTransparent);
  src.DrawTo(dst, dst.BoundsRect());
  EXPECT_EQ(dst.GetPixel(2, 1), 0xFF000000u | (2 * 40 + 1));
  EXPECT_EQ(dst.GetPixel(3, 1), src.GetPixel(3, 1));
  // Blend: the line routines, with master alpha below 255.
  for (const std::uint32_t alpha : {255u, 77u}) {
    reset();
    src.SetDrawMode(dmBlend);
    src.SetMasterAlpha(alpha);
    src.DrawTo(dst, dst.BoundsRect());
    for (int y = 0; y < 3; ++y) {
      std::vector<TColor32> expected(6);
      for (int x = 0; x < 6; ++x) expected[x] = 0xFF000000u | static_cast<TColor32>(x * 40 + y);
      if (alpha == 255)
        BlendLine(src.ScanLine(y), expected.data(), 6);
      else
        BlendLineEx(src.ScanLine(y), expected.data(), 6, alpha);
      for (int x = 0; x < 6; ++x) EXPECT_EQ(dst.GetPixel(x, y), expected[x]) << alpha;
    }
  }
  // Custom: the callback gets source, destination and master alpha.
  reset();
  src.SetDrawMode(dmCustom);
  src.SetMasterAlpha(9);
  src.OnPixelCombine = [](TColor32 f, TColor32& b, TColor32 m) { b = (f ^ b) + m; };
  src.DrawTo(dst, dst.BoundsRect());
  EXPECT_EQ(dst.GetPixel(4, 2), (src.GetPixel(4, 2) ^ (0xFF000000u | (4 * 40 + 2))) + 9);
  // Custom without a callback copies.
  reset();
  src.OnPixelCombine = nullptr;
  src.DrawTo(dst, dst.BoundsRect());
  EXPECT_EQ(dst.GetPixel(4, 2), src.GetPixel(4, 2));
}

TEST(StretchTransfer, ResampledBlendsUseTheMemoryRoutineWithMasterAlpha) {
  TCustomBitmap32 src, dst, opaque;
  src.SetSize(5, 4);
  FillRandom(src, 9);
  src.SetStretchFilter(sfLanczos);
  opaque.SetSize(11, 7);
  src.DrawTo(opaque, opaque.BoundsRect());  // the resampled colours
  src.SetDrawMode(dmBlend);
  src.SetMasterAlpha(200);
  src.SetCombineMode(cmMerge);
  dst.SetSize(11, 7);
  FillRandom(dst, 10);
  TCustomBitmap32 expected;
  expected.Assign(&dst);
  src.DrawTo(dst, dst.BoundsRect());
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 11; ++x) {
      TColor32 b = expected.GetPixel(x, y);
      MergeMemEx(opaque.GetPixel(x, y), b, 200);
      EXPECT_EQ(dst.GetPixel(x, y), b);
    }
}

TEST(StretchTransfer, DrawingABitmapOntoItselfReadsTheOriginalPixels) {
  for (const TStretchFilter filter : {sfNearest, sfLanczos})
    for (const auto& [dstRect, srcRect] : {std::pair{TRect{3, 2, 19, 18}, TRect{0, 0, 16, 16}},  // shifted copy
                                           {TRect{0, 0, 12, 9}, TRect{2, 2, 17, 17}}}) {         // resampled
      TCustomBitmap32 b, original, expected;
      b.SetSize(20, 20);
      FillRandom(b, 11);
      b.SetStretchFilter(filter);
      original.Assign(&b);
      expected.Assign(&b);
      original.DrawRectTo(expected, dstRect, srcRect);
      b.DrawRectTo(b, dstRect, srcRect);
      for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(b.GetPixel(x, y), expected.GetPixel(x, y)) << filter;
    }
}

TEST(StretchTransfer, OnlyTheDestinationClipIsDrawn) {
  TCustomBitmap32 src, dst;
  src.SetSize(6, 6);
  src.Clear(0xFFFFFFFF);
  for (const TStretchFilter filter : AllFilters) {
    src.SetStretchFilter(filter);
    dst.SetSize(30, 30);
    dst.Clear(0);
    dst.SetClipRect(TRect{5, 7, 12, 20});
    src.DrawTo(dst, TRect{-3, -3, 40, 35});
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 30; ++x) {
        const bool inside = x >= 5 && x < 12 && y >= 7 && y < 20;
        ASSERT_EQ(dst.GetPixel(x, y), inside ? 0xFFFFFFFFu : 0u) << filter << " " << x << "," << y;
      }
  }
}

// --- Sampling at arbitrary positions

TEST(Sampling, WholePositionsReadPixelsAndAccessModesDecideTheEdges) {
  TCustomBitmap32 b;
  b.SetSize(8, 6);
  FillRandom(b, 12);
  b.OuterColor = 0x00123456;
  b.SetWrapMode(wmRepeat);
  for (const TStretchFilter filter : {sfNearest, sfLinear, sfLanczos}) {
    b.SetStretchFilter(filter);
    TCustomResampler& r = b.GetResampler();
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 8; ++x) ASSERT_EQ(r.GetSampleInt(x, y), b.GetPixel(x, y)) << filter;
    EXPECT_EQ(r.GetSampleInt(-3, 2), 0x00123456u);  // pamSafe: outside
    EXPECT_EQ(r.GetSampleFloat(3.2f, 7.9f), 0x00123456u);
    r.SetPixelAccessMode(pamWrap);
    EXPECT_EQ(r.GetSampleInt(-3, 2), b.GetPixel(5, 2));
    EXPECT_EQ(r.GetSampleInt(9, 7), b.GetPixel(1, 1));
    r.SetPixelAccessMode(pamTransparentEdge);
    EXPECT_EQ(r.GetSampleInt(-3, 2), 0x00123456u);
  }
}

TEST(Sampling, ConstantPicturesSampleConstantlyInEveryKernelMode) {
  TCustomBitmap32 b;
  b.SetSize(9, 9);
  b.Clear(0xC0A08060);
  b.SetStretchFilter(sfLanczos);
  auto& r = dynamic_cast<TKernelResampler&>(b.GetResampler());
  for (const TKernelMode mode : {kmDynamic, kmTableNearest, kmTableLinear}) {
    r.SetKernelMode(mode);
    r.PrepareSampling();
    for (float y = 1; y < 8; y += 0.37f)
      for (float x = 1; x < 8; x += 0.29f) ASSERT_EQ(r.GetSampleFloat(x, y), 0xC0A08060u) << mode;
    r.FinalizeSampling();
  }
}

TEST(Sampling, KernelWeightTableRowsSumTo256) {
  TKernelResampler r;
  r.SetKernelClassName("TLanczosKernel");
  r.SetKernelMode(kmTableLinear);
  r.SetTableSize(16);
  r.PrepareSampling();
  const TIntegerMap& table = r.GetWeightTable();
  ASSERT_EQ(table.GetWidth(), 7);
  ASSERT_EQ(table.GetHeight(), 17);
  for (int row = 0; row < 17; ++row) {
    int sum = 0;
    for (int j = 0; j < 7; ++j) sum += table.Value(j, row);
    EXPECT_EQ(sum, 256) << row;
  }
  // Row 0 is the kernel at whole pixels: all weight in the centre.
  EXPECT_EQ(table.Value(3, 0), 256);
  r.FinalizeSampling();
  EXPECT_TRUE(r.GetWeightTable().IsEmpty());
  r.SetTableSize(1);
  EXPECT_EQ(r.GetTableSize(), TKernelResampler::MinTableSize);
  r.SetTableSize(1 << 30);
  EXPECT_EQ(r.GetTableSize(), TKernelResampler::MaxTableSize);
}

TEST(Sampling, BoundsAndResamplersWithoutBitmap) {
  TCustomBitmap32 b;
  b.SetSize(10, 8);
  b.SetClipRect(TRect{1, 2, 9, 7});
  TCustomResampler& r = b.GetResampler();
  EXPECT_TRUE(r.HasBounds());
  EXPECT_EQ(r.GetSampleBounds(), (TFloatRect{1, 2, 9, 7}));
  r.SetPixelAccessMode(pamTransparentEdge);
  EXPECT_EQ(r.GetSampleBounds(), (TFloatRect{0, 1, 10, 8}));
  EXPECT_EQ(r.GetWidth(), 1);
  TLinearResampler alone;
  EXPECT_FALSE(alone.HasBounds());
  EXPECT_THROW(alone.GetSampleInt(0, 0), ERasterError);
}

// --- The bitmap's resampler

TEST(BitmapResampler, StretchFiltersChooseResamplersAndKernels) {
  const std::pair<TStretchFilter, const char*> expected[] = {
      {sfNearest, "TNearestResampler"}, {sfDraft, "TDraftResampler"}, {sfLinear, "TLinearResampler"},
      {sfCosine, "TCosineKernel"},      {sfSpline, "TSplineKernel"},  {sfLanczos, "TLanczosKernel"},
      {sfMitchell, "TMitchellKernel"}};
  TCustomBitmap32 b;
  EXPECT_EQ(b.GetResamplerClassName(), "TNearestResampler");
  for (const auto& [filter, name] : expected) {
    b.SetStretchFilter(filter);
    EXPECT_EQ(b.GetResampler().GetBitmap(), &b);
    if (const auto* kernel = dynamic_cast<const TKernelResampler*>(&b.GetResampler()))
      EXPECT_EQ(kernel->GetKernelClassName(), name);
    else
      EXPECT_EQ(b.GetResamplerClassName(), name);
  }
}

TEST(BitmapResampler, ResamplerClassNameAndNotification) {
  TCustomBitmap32 b;
  int changes = 0;
  b.OnChange = [&](TPersistent*) { ++changes; };
  b.SetResamplerClassName("TKernelResampler");
  EXPECT_EQ(b.GetResamplerClassName(), "TKernelResampler");
  EXPECT_EQ(changes, 1);
  TCustomResampler* current = &b.GetResampler();
  b.SetResamplerClassName("TKernelResampler");
  b.SetResamplerClassName("tkernelresampler");
  b.SetResamplerClassName("TNoSuchResampler");
  b.SetResampler(nullptr);
  EXPECT_EQ(&b.GetResampler(), current);
  EXPECT_EQ(changes, 1);
  // Settings of the resampler and of its kernel notify the bitmap.
  auto& kernelResampler = dynamic_cast<TKernelResampler&>(b.GetResampler());
  kernelResampler.SetKernelClassName("TCubicKernel");
  EXPECT_EQ(changes, 2);
  dynamic_cast<TCubicKernel&>(kernelResampler.GetKernel()).SetCoeff(-1);
  EXPECT_EQ(changes, 3);
  kernelResampler.SetKernelClassName("TNoSuchKernel");
  kernelResampler.SetPixelAccessMode(pamUnsafe);
  EXPECT_EQ(changes, 4);
}

TEST(BitmapResampler, AssigningABitmapCopiesItsResampler) {
  TBitmap32 a;
  a.SetSize(2, 2);
  a.SetStretchFilter(sfLanczos);
  auto& resampler = dynamic_cast<TKernelResampler&>(a.GetResampler());
  dynamic_cast<TLanczosKernel&>(resampler.GetKernel()).SetWidth(2);
  resampler.SetKernelMode(kmTableNearest);
  TCustomBitmap32 b;
  b.SetResamplerClassName("TDraftResampler");
  b.Assign(&a);
  EXPECT_EQ(b.GetStretchFilter(), sfLanczos);
  const auto& copied = dynamic_cast<const TKernelResampler&>(b.GetResampler());
  EXPECT_EQ(copied.GetKernelClassName(), "TLanczosKernel");
  EXPECT_EQ(copied.GetKernel().GetWidth(), 2);
  EXPECT_EQ(copied.GetKernelMode(), kmTableNearest);
  EXPECT_EQ(copied.GetBitmap(), &b);
  // A resampler class chosen by name passes on too.
  TCustomBitmap32 c, d;
  c.SetResamplerClassName("TDraftResampler");
  d.Assign(&c);
  EXPECT_EQ(d.GetResamplerClassName(), "TDraftResampler");
  // The device-context bitmap draws onto bitmaps as well as onto canvases.
  FillRandom(a, 13);
  TBitmap32 e;
  e.SetSize(2, 2);
  a.DrawTo(e, e.BoundsRect());
  EXPECT_EQ(e.GetPixel(1, 0), a.GetPixel(1, 0));
}

// --- An independent resizer

struct TDifference {
  double Mean = 0;
  int Max = 0;
};

TDifference CompareWithStb(const TCustomBitmap32& src, const TCustomResampler& resampler, int width, int height,
                           stbir_filter filter) {
  TCustomBitmap32 ours;
  ours.SetSize(width, height);
  resampler.Resample({ours, ours.BoundsRect(), ours.BoundsRect(), src, src.BoundsRect(), dmOpaque, {}});
  std::vector<unsigned char> reference(static_cast<std::size_t>(width) * height * 4);
  stbir_resize_uint8_generic(reinterpret_cast<const unsigned char*>(src.GetBits()), src.GetWidth(), src.GetHeight(),
                             src.GetWidth() * 4, reference.data(), width, height, width * 4, 4,
                             STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, filter, STBIR_COLORSPACE_LINEAR, nullptr);
  const auto* mine = reinterpret_cast<const unsigned char*>(ours.GetBits());
  TDifference d;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    const int diff = std::abs(mine[i] - reference[i]);
    d.Mean += diff;
    d.Max = std::max(d.Max, diff);
  }
  d.Mean /= static_cast<double>(reference.size());
  return d;
}

TEST(Resampling, AgreesLooselyWithStbImageResize) {
  TCustomBitmap32 src;
  src.SetSize(97, 73);
  FillSmooth(src);
  struct TCase {
    const char* Kernel;
    stbir_filter Filter;
    double MeanLimit;
    int MaxLimit;
  };
  // Our sums are truncated where stb rounds: about 3/8 of a level on
  // average over the four channels.
  const TCase cases[] = {{"TLinearKernel", STBIR_FILTER_TRIANGLE, 0.6, 2},
                         {"TSplineKernel", STBIR_FILTER_CUBICBSPLINE, 0.6, 2},
                         {"TCubicKernel", STBIR_FILTER_CATMULLROM, 0.6, 2},
                         {"TMitchellKernel", STBIR_FILTER_MITCHELL, 0.6, 2},
                         {"TLanczosKernel", STBIR_FILTER_CATMULLROM, 0.8, 4}};
  // stb's own checks trip over its triangle filter at some reductions
  // (97 -> 31 among them), so the triangle cases keep to sizes it accepts.
  const std::vector<std::pair<int, int>> sizes = {{48, 36}, {31, 50}, {200, 150}, {97, 20}};
  const std::vector<std::pair<int, int>> triangleSizes = {{48, 36}, {60, 45}, {200, 150}, {150, 40}};
  for (const TCase& c : cases)
    for (const auto& [w, h] : c.Filter == STBIR_FILTER_TRIANGLE ? triangleSizes : sizes) {
      const TDifference d = CompareWithStb(src, *KernelResampler(c.Kernel), w, h, c.Filter);
      EXPECT_LE(d.Mean, c.MeanLimit) << c.Kernel << " " << w << "x" << h;
      EXPECT_LE(d.Max, c.MaxLimit) << c.Kernel << " " << w << "x" << h;
    }
  // The linear resampler: triangle filter when shrinking, bilinear when enlarging.
  for (const auto& [w, h] : triangleSizes) {
    const TDifference d = CompareWithStb(src, TLinearResampler(), w, h, STBIR_FILTER_TRIANGLE);
    EXPECT_LE(d.Mean, 0.6) << w << "x" << h;
    EXPECT_LE(d.Max, 2) << w << "x" << h;
  }
}

}  // namespace
