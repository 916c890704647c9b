// The map sampler against hand-worked samples, exact copies, its own direct
// mapping, and pixman's bilinear transform as an independent resampler.

#include "document/render/MapSampler.h"

#include <gtest/gtest.h>
#include <pixman.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "imaging/blend/Blend.h"
#include "imaging/startup/CoreStartUp.h"
#include "platform/rtl/Exception.h"

namespace {

class MapSamplerTest : public ::testing::Test {
protected:
  void SetUp() override { imaging::StartUp(); }

  // Draws source into target through transform with n x n samples.
  static void Draw(TCustomBitmap32& source, TCustomBitmap32& target, TdocGenericTransform& transform, int n) {
    TdocMapSampler sampler;
    sampler.SetOversampling(n);
    sampler.SetSource(&source);
    sampler.SetTarget(&target);
    sampler.SetTransform(&transform);
    sampler.Render(TFloatRect{0, 0, static_cast<float>(source.GetWidth()), static_cast<float>(source.GetHeight())});
  }
  static void Filled(TCustomBitmap32& bitmap, int width, int height, TColor32 color) {
    bitmap.SetSize(width, height);
    bitmap.Clear(color);
  }
  // Opaque noise: every neighbour differs, so any blur shows.
  static void Noise(TCustomBitmap32& bitmap, int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, random() | 0xFF000000u);
  }
  static int Channel(TColor32 c, int i) { return static_cast<int>(c >> (8 * i) & 0xFF); }
};

TEST_F(MapSamplerTest, OversamplingOutsideOneToSixIsRefused) {
  TdocMapSampler sampler;
  EXPECT_EQ(sampler.GetOversampling(), 2);
  for (int n : {0, 7, -1}) {
    try {
      sampler.SetOversampling(n);
      ADD_FAILURE() << n << " accepted";
    } catch (const EInvalidOperation& e) {
      EXPECT_STREQ(e.what(), "Illegal oversampling value");
    }
  }
  sampler.SetOversampling(6);
  EXPECT_EQ(sampler.GetOversampling(), 6);
}

// One sample a pixel at the identity lands on the pixel centres: the noise
// comes back unchanged, which two samples a pixel would blur.
TEST_F(MapSamplerTest, SingleSampleIdentityReproducesTheSource) {
  TCustomBitmap32 source, target;
  Noise(source, 17, 9, 1);
  Filled(target, 17, 9, clBlack32);
  TdocTransform identity;
  Draw(source, target, identity, 1);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 17; ++x) ASSERT_EQ(target.GetPixel(x, y), source.GetPixel(x, y)) << x << "," << y;

  Filled(target, 17, 9, clBlack32);
  Draw(source, target, identity, 2);
  EXPECT_NE(target.GetPixel(8, 4), source.GetPixel(8, 4));
}

TEST_F(MapSamplerTest, IntegerTranslationCopiesPixelsExactly) {
  TCustomBitmap32 source, target;
  Noise(source, 20, 15, 2);
  constexpr TColor32 background = 0xFF204060u;
  Filled(target, 30, 24, background);
  TdocTransform move;
  move.Translate(3, 2);
  Draw(source, target, move, 1);  // the outer colour is transparent: nothing around the copy changes
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 30; ++x) {
      const bool inside = x >= 3 && x < 23 && y >= 2 && y < 17;
      ASSERT_EQ(target.GetPixel(x, y), inside ? source.GetPixel(x - 3, y - 2) : background) << x << "," << y;
    }
}

// Blocks of 4 x 4 pixels, black and white like a chess board, drawn 1:1
// with 2 x 2 samples at +-1/4 pixel. A sample a quarter pixel from the
// centre mixes 3/4 of its pixel with 1/4 of the neighbour: 255 x 3/4 =
// 191.25, held as (255 x 192 + 128) >> 8 = 191. A pixel beside a border on
// one side averages (191 + 255) x 2 / 4 = 223 (white) or (64 + 0) x 2 / 4 = 32
// (black); inside a block every sample is the block's colour.
TEST_F(MapSamplerTest, IdentityWithTwoSamplesKeepsBlocksAndAveragesTheirBorders) {
  TCustomBitmap32 source, target;
  source.SetSize(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) source.SetPixel(x, y, ((x / 4 + y / 4) % 2) ? clWhite32 : clBlack32);
  source.OuterColor = clBlack32;
  Filled(target, 16, 16, 0xFF808080u);
  TdocTransform identity;
  Draw(source, target, identity, 2);

  const auto grey = [&](int x, int y) { return Channel(target.GetPixel(x, y), 0); };
  EXPECT_EQ(target.GetPixel(5, 5), clBlack32);
  EXPECT_EQ(target.GetPixel(6, 5), clBlack32);
  EXPECT_EQ(target.GetPixel(5, 9), clWhite32);
  EXPECT_EQ(target.GetPixel(6, 10), clWhite32);
  // Across a vertical border only (rows 5 and 6 lie inside their blocks).
  EXPECT_EQ(grey(7, 5), 32);   // black, white to its right
  EXPECT_EQ(grey(8, 5), 223);  // white, black to its left
  EXPECT_EQ(grey(3, 6), 223);
  // At a corner of four blocks both directions mix: (191 + 64) / 2 per row.
  EXPECT_GT(grey(7, 7), 32);
  EXPECT_LT(grey(7, 7), 223);
  // The left edge mixes with the outer colour like with a black block.
  EXPECT_EQ(grey(0, 5), 223);
  // Every pixel stays opaque: the sampled alpha is 255 throughout.
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(Channel(target.GetPixel(x, y), 3), 255);
}

// Source pixels (10, 200) over (50, 255) in the red channel, sampled 1/4 to
// the right and 1/2 down from the top-left centre: top row (10 x 192 + 200 x
// 64 + 128) >> 8 = 58, bottom row (50 x 192 + 255 x 64 + 128) >> 8 = 101,
// then (58 x 128 + 101 x 128 + 128) >> 8 = 80 (the exact mean is 79.4).
TEST_F(MapSamplerTest, BilinearSampleByHand) {
  TCustomBitmap32 source, target;
  source.SetSize(2, 2);
  source.SetPixel(0, 0, imaging::Color32(10, 0, 0));
  source.SetPixel(1, 0, imaging::Color32(200, 0, 0));
  source.SetPixel(0, 1, imaging::Color32(50, 0, 0));
  source.SetPixel(1, 1, imaging::Color32(255, 0, 0));
  Filled(target, 1, 1, clBlack32);
  TdocTransform shift;
  shift.Translate(-0.25, -0.5);
  Draw(source, target, shift, 1);
  EXPECT_EQ(target.GetPixel(0, 0), imaging::Color32(80, 0, 0));
}

// A one-pixel target row takes each sample through the transform itself.
// Halving 2 x 2 pixels with 2 x 2 samples hits the four pixel centres
// exactly: the result is their integer mean per channel.
TEST_F(MapSamplerTest, OnePixelRowAveragesItsSamples) {
  TCustomBitmap32 source, target;
  source.SetSize(2, 2);
  source.SetPixel(0, 0, 0xFF0A6401u);
  source.SetPixel(1, 0, 0xFF14C802u);
  source.SetPixel(0, 1, 0xFF1E0003u);
  source.SetPixel(1, 1, 0xFF28FF03u);
  Filled(target, 1, 1, clBlack32);
  TdocTransform half;
  half.Scale(0.5, 0.5);
  Draw(source, target, half, 2);
  // Red (10 + 20 + 30 + 40) / 4 = 25, green (100 + 200 + 0 + 255) div 4 = 138,
  // blue (1 + 2 + 3 + 3) div 4 = 2.
  EXPECT_EQ(target.GetPixel(0, 0), 0xFF198A02u);
}

TEST_F(MapSamplerTest, MasterAlphaAndCombineModeOfTheSourceApply) {
  TCustomBitmap32 source, target;
  Filled(source, 4, 4, imaging::Color32(255, 0, 0));
  Filled(target, 4, 4, clWhite32);
  source.SetMasterAlpha(128);
  TdocTransform identity;
  Draw(source, target, identity, 1);
  // Weight ((255 + 1) x 128) >> 8 = 128: green and blue (255 x 128 + 128) >> 8.
  EXPECT_EQ(target.GetPixel(1, 1), imaging::Color32(255, 128, 128));

  // Merging onto a transparent target takes the colour as it is.
  source.SetMasterAlpha(255);
  source.SetCombineMode(cmMerge);
  Filled(target, 4, 4, clTransparent32);
  Draw(source, target, identity, 1);
  EXPECT_EQ(target.GetPixel(2, 2), imaging::Color32(255, 0, 0));
}

TEST_F(MapSamplerTest, NothingIsDrawnOutsideTheTargetOrThroughAFlatteningTransform) {
  TCustomBitmap32 source, target;
  Noise(source, 8, 8, 3);
  source.OuterColor = clWhite32;
  constexpr TColor32 background = 0xFF102030u;
  std::vector<TdocTransform> transforms(4);
  transforms[0].Translate(-100, 0);
  transforms[1].Translate(0, 50);
  transforms[2].Scale(0, 1);
  transforms[3].Scale(std::nan(""), 1);
  for (TdocTransform& transform : transforms) {
    Filled(target, 20, 20, background);
    int changes = 0;
    target.OnAreaChanged = [&](TPersistent*, const TRect&, std::uint32_t) { ++changes; };
    Draw(source, target, transform, 2);
    target.OnAreaChanged = nullptr;
    EXPECT_EQ(changes, 0);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) ASSERT_EQ(target.GetPixel(x, y), background);
  }
}

// The same mapping, declared not affine, takes every sample through the
// transform; the integer walk may differ from it by rounding only.
class TNotAffine : public TdocTransform {
public:
  bool IsAffine() const override { return false; }
  std::unique_ptr<TdocGenericTransform> CreateSameClass() const override { return std::make_unique<TNotAffine>(); }
};

TEST_F(MapSamplerTest, IntegerWalkMatchesMappingEverySample) {
  TCustomBitmap32 source, walked, mapped;
  Noise(source, 40, 30, 4);
  source.OuterColor = 0x80FF0000u;
  for (int n : {1, 3}) {
    TdocTransform affine;
    affine.Rotate(37, 20, 15);
    affine.Scale(1.3, 0.8);
    affine.Translate(5.3, 9.1);
    TNotAffine generic;
    generic.Assign(&affine);
    Filled(walked, 64, 56, clBlack32);
    Filled(mapped, 64, 56, clBlack32);
    Draw(source, walked, affine, n);
    Draw(source, mapped, generic, n);
    int differing = 0;
    for (int y = 0; y < 56; ++y)
      for (int x = 0; x < 64; ++x)
        for (int i = 0; i < 4; ++i) {
          const int d = std::abs(Channel(walked.GetPixel(x, y), i) - Channel(mapped.GetPixel(x, y), i));
          ASSERT_LE(d, 3) << n << ": " << x << "," << y;
          differing += d != 0;
        }
    EXPECT_LT(differing, 64 * 56 * 4 / 4);
  }
}

// A move by a fraction of a pixel, with offsets that are whole 1/256 pixels,
// against bilinear samples worked out here: rows mixed by the column
// fraction, then by the row fraction, each step rounded to the nearest, the
// outer colour around the source, and the n x n samples of a pixel averaged
// down. Every position along a row shares its fractions with the others.
TEST_F(MapSamplerTest, FractionalMoveMatchesBilinearSamplesWorkedOut) {
  TCustomBitmap32 source;
  Noise(source, 37, 11, 5);
  source.SetPixel(3, 4, 0x00000000u);
  source.OuterColor = 0x40102030u;
  const auto at = [&](int x, int y) -> TColor32 {
    return x >= 0 && y >= 0 && x < 37 && y < 11 ? source.GetPixel(x, y) : source.OuterColor;
  };
  const auto mix = [](int near, int far, int w) { return (near * (256 - w) + far * w + 128) >> 8; };
  const auto sample = [&](int sx, int sy, int channel) {  // in 1/256 pixel, centres at whole values
    const int x = sx >> 8, y = sy >> 8, fx = sx & 255, fy = sy & 255;
    const int top = mix(Channel(at(x, y), channel), Channel(at(x + 1, y), channel), fx);
    const int bottom = mix(Channel(at(x, y + 1), channel), Channel(at(x + 1, y + 1), channel), fx);
    return mix(top, bottom, fy);
  };
  for (const int n : {2, 3, 4}) {
    for (const auto& [dx, dy] : {std::pair{5.3125, 2.75}, std::pair{-0.40625, 0.0390625}, std::pair{3.0, -1.5}}) {
      TdocTransform move;
      move.Translate(dx, dy);
      TdocMapSampler sampler;
      sampler.SetOversampling(n);
      sampler.SetSource(&source);
      sampler.SetTransform(&move);
      for (int y = -2; y < 16; ++y) {
        sampler.SampleRow(-3, y, 46);
        for (int x = -3; x < 43; ++x) {
          TColor32 expected = 0;
          for (int channel = 0; channel < 4; ++channel) {
            int sum = 0;
            for (int j = 0; j < n; ++j)
              for (int i = 0; i < n; ++i) {
                // (x + (i + 0.5) / n - dx - 0.5) pixels, in 1/256 pixel.
                const double sx = (x + (i + 0.5) / n - dx - 0.5) * 256, sy = (y + (j + 0.5) / n - dy - 0.5) * 256;
                sum += sample(int(std::lround(sx)), int(std::lround(sy)), channel);
              }
            expected |= TColor32(sum / (n * n)) << (8 * channel);
          }
          ASSERT_EQ(sampler.GetLineBuffer()[std::size_t(x + 3)], expected) << n << ": " << x << "," << y;
        }
      }
    }
  }
}

// pixman samples the same way: the transform maps destination pixel centres
// to the source, whose pixel centres sit at half pixels, and pixels outside
// the source are transparent. It weighs in 1/128 pixel, so values may differ
// by a little.
TEST_F(MapSamplerTest, RotationAgreesWithPixman) {
  constexpr int sw = 64, sh = 48, tw = 96, th = 96;
  TCustomBitmap32 source;
  source.SetSize(sw, sh);
  for (int y = 0; y < sh; ++y)
    for (int x = 0; x < sw; ++x)
      source.SetPixel(x, y, imaging::Color32(static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 5),
                                             static_cast<std::uint8_t>(128 + 100 * std::sin((x + y) / 6.0))));
  TdocTransform forward;
  forward.Rotate(30, sw / 2.0, sh / 2.0);
  forward.Translate(16, 24);
  TdocTransform inverse = forward;
  inverse.Invert();

  TdocMapSampler sampler;
  sampler.SetOversampling(1);
  sampler.SetSource(&source);
  sampler.SetTransform(&forward);

  std::vector<std::uint32_t> expected(tw * th, 0);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, sw, sh, source.GetBits(), sw * 4);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, tw, th, expected.data(), tw * 4);
  pixman_transform_t t = {{{pixman_double_to_fixed(inverse.a), pixman_double_to_fixed(inverse.c),
                            pixman_double_to_fixed(inverse.e)},
                           {pixman_double_to_fixed(inverse.b), pixman_double_to_fixed(inverse.d),
                            pixman_double_to_fixed(inverse.f)},
                           {0, 0, pixman_fixed_1}}};
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, tw, th);
  pixman_image_unref(src);
  pixman_image_unref(dst);

  int opaque = 0, covered = 0;
  for (int y = 0; y < th; ++y) {
    sampler.SampleRow(0, y, tw);
    const std::vector<TColor32>& line = sampler.GetLineBuffer();
    for (int x = 0; x < tw; ++x) {
      const TColor32 ours = line[x], theirs = expected[y * tw + x];
      ASSERT_LE(std::abs(Channel(ours, 3) - Channel(theirs, 3)), 3) << x << "," << y;
      covered += Channel(ours, 3) > 0;
      if (Channel(ours, 3) < 255 || Channel(theirs, 3) < 255) continue;
      ++opaque;
      for (int i = 0; i < 3; ++i) ASSERT_LE(std::abs(Channel(ours, i) - Channel(theirs, i)), 2) << x << "," << y;
    }
  }
  EXPECT_GT(opaque, sw * sh * 8 / 10);
  EXPECT_LT(covered, sw * sh * 12 / 10);
}

// Render leaves out the parts of a row that only the transparent outer
// colour reaches; the picture it draws is still the one every whole row,
// sampled and blended pixel by pixel, gives, at every sampling, in turns
// that make long runs, short runs or none, and for a clipped source. The
// turned picture reaches past the target's left and right sides, so that
// Render's rows are the target's whole rows, and misses some of its corners.
TEST_F(MapSamplerTest, RenderDrawsWhatWholeSampledRowsBlendTo) {
  constexpr int size = 50;
  TCustomBitmap32 source;
  Noise(source, 80, 31, 8);
  for (int y = 0; y < 31; ++y) source.SetPixel(3, y, source.GetPixel(3, y) & 0x40FFFFFFu);  // some translucency
  for (const bool clipped : {false, true}) {
    if (clipped) source.SetClipRect(TRect{4, 2, 70, 25});
    for (const double angle : {0.0, 0.4, 3.0, 30.0, 200.0})
      for (const int n : {1, 2, 3}) {
        TdocTransform forward;
        forward.Rotate(angle, 40, 15.5);
        forward.Translate(size / 2.0 - 40, size / 2.0 - 15.5);
        TCustomBitmap32 rendered, expected;
        Filled(rendered, size, size, 0xFF204060u);
        Filled(expected, size, size, 0xFF204060u);
        Draw(source, rendered, forward, n);

        TdocMapSampler sampler;
        sampler.SetOversampling(n);
        sampler.SetSource(&source);
        sampler.SetTransform(&forward);
        int untouched = 0;
        for (int y = 0; y < size; ++y) {
          sampler.SampleRow(0, y, size);
          imaging::BlendLine(sampler.GetLineBuffer().data(), expected.PixelPtr(0, y), size);
        }
        for (int y = 0; y < size; ++y)
          for (int x = 0; x < size; ++x) {
            ASSERT_EQ(rendered.GetPixel(x, y), expected.GetPixel(x, y))
                << "clipped " << clipped << ", " << angle << " degrees, " << n << " x " << n << ": " << x << "," << y;
            untouched += rendered.GetPixel(x, y) == 0xFF204060u;
          }
        EXPECT_GT(untouched, 0) << angle;  // the outer colour's pixels were there
      }
  }
}

}  // namespace
