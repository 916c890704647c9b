// Decoding and encoding checked against libjpeg-turbo as a black-box oracle.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "imaging/jpeg/JpegColorTransforms.h"
#include "tests/imaging/jpeg/OwnCodec.h"

using namespace jpegtest;

namespace {

struct DecodeCase {
  const char* Name;
  int Components;
  int Hor, Ver;
  bool Progressive;
  int Restart;
};

class DecodeAgainstReference : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeAgainstReference, MatchesAccurateIntegerDecodeWithinTwoLevels) {
  const DecodeCase& c = GetParam();
  const Image source = MakePhoto(203, 141, c.Components, 7);
  const std::vector<std::uint8_t> file = ReferenceEncode(
      source, {.HorSampling = c.Hor, .VerSampling = c.Ver, .Progressive = c.Progressive, .RestartInterval = c.Restart});
  const Image expected = ReferenceDecode(file).Picture;
  const Image actual = OwnDecode(file, jsFull, c.Components == 1 ? jcGray : jcRGB);
  ASSERT_EQ(actual.Width, expected.Width);
  ASSERT_EQ(actual.Height, expected.Height);
  EXPECT_LE(MaxDifference(actual, expected), 2);
}

INSTANTIATE_TEST_SUITE_P(Layouts, DecodeAgainstReference,
                         ::testing::Values(DecodeCase{"Ycc420", 3, 2, 2, false, 0}, DecodeCase{"Ycc422", 3, 2, 1, false, 0},
                                           DecodeCase{"Ycc444", 3, 1, 1, false, 0}, DecodeCase{"Grey", 1, 1, 1, false, 0},
                                           DecodeCase{"Restart", 3, 2, 2, false, 3},
                                           DecodeCase{"Progressive", 3, 2, 2, true, 0},
                                           DecodeCase{"ProgressiveRestart", 3, 2, 1, true, 2},
                                           DecodeCase{"ProgressiveGrey", 1, 1, 1, true, 0}),
                         [](const auto& info) { return std::string(info.param.Name); });

class ReducedSize : public ::testing::TestWithParam<int> {};

TEST_P(ReducedSize, MatchesReferenceScaledDecode) {
  const int denom = GetParam();
  const auto scale = static_cast<TsdJpegScale>(denom == 2 ? jsDiv2 : (denom == 4 ? jsDiv4 : jsDiv8));
  // Without sub-sampling (or in grey) no component needs up-sampling. The
  // reduced transforms use only the kept low frequencies, so smooth pictures
  // match closely and sharp edges only on average. In colour the truncating
  // YCbCr conversion adds up to one level on top of the transform.
  for (int components : {1, 3})
    for (bool progressive : {false, true})
      for (bool edges : {false, true}) {
        const Image source = MakePhoto(197, 133, components, 3, 0, edges);
        const std::vector<std::uint8_t> file =
            ReferenceEncode(source, {.HorSampling = 1, .VerSampling = 1, .Progressive = progressive});
        const Image expected = ReferenceDecode(file, denom).Picture;
        const Image actual = OwnDecode(file, scale, components == 1 ? jcGray : jcRGB);
        ASSERT_EQ(actual.Width, expected.Width);
        ASSERT_EQ(actual.Height, expected.Height);
        const std::string what = ::testing::PrintToString(std::make_tuple(components, progressive, edges));
        if (edges) EXPECT_LT(MeanDifference(actual, expected), 2.5) << what;
        else EXPECT_LE(MaxDifference(actual, expected), components == 1 ? 2 : 3) << what;
      }
}

INSTANTIATE_TEST_SUITE_P(Scales, ReducedSize, ::testing::Values(2, 4, 8));

// Blocks of saturated inks with sharp edges: their colours lie at the edge of
// what YCC holds, so decoding overshoots it.
Image SaturatedInks(unsigned seed) {
  Image image{.Width = 64, .Height = 48, .Components = 4, .Pixels = {}};
  std::mt19937 random(seed);
  std::vector<std::uint8_t> blocks(13 * 10 * 4);
  for (std::uint8_t& ink : blocks) ink = random() % 3 == 0 ? static_cast<std::uint8_t>(random()) : (random() % 2) * 255;
  for (int y = 0; y < image.Height; ++y)
    for (int x = 0; x < image.Width; ++x)
      for (int c = 0; c < 4; ++c) image.Pixels.push_back(blocks[((y / 5) * 13 + x / 5) * 4 + c]);
  return image;
}

// libjpeg-turbo turns YCCK into CMYK inks; both kinds of file then go through
// the Adobe formula, so a picture looks the same whichever way it was stored.
TEST(DecodeAgainstReferenceCmyk, CmykAndYcckFilesGoThroughTheAdobeFormula) {
  for (const bool ycck : {false, true})
    for (const unsigned seed : {11u, 12u}) {
      const Image source = seed == 11 ? MakePhoto(64, 48, 4, seed) : SaturatedInks(seed);
      const std::vector<std::uint8_t> file = ReferenceEncode(source, {.Quality = 60, .Ycck = ycck});
      const Image inks = ReferenceDecode(file).Picture;
      ASSERT_EQ(inks.Components, 4);
      const Image actual = OwnDecode(file);
      int worst = 0;
      for (int y = 0; y < inks.Height; ++y)
        for (int x = 0; x < inks.Width; ++x) {
          const int k = inks.At(x, y, 3);
          for (int c = 0; c < 3; ++c) {
            const int expected = std::clamp(255 - (k * (255 - inks.At(x, y, c)) / 255 + 255 - k), 0, 255);
            worst = std::max(worst, std::abs(expected - actual.At(x, y, c)));
          }
        }
      EXPECT_LE(worst, 2) << (ycck ? "YCCK" : "CMYK") << " seed " << seed;
    }
}

// Worked by hand: YCC (80, 153, 50) is R' = -29.4, G' = 127.1, B' = 124.3,
// so the inks are 255, 128, 131; with K = 211 the Adobe formula gives
// 211, 255 - (211 x 127 div 255 + 44) = 106 and 255 - (211 x 124 div 255 + 44) = 109.
TEST(DecodeAgainstReferenceCmyk, YcckClampsTheColourBeforeApplyingK) {
  TsdTransformYCCKToBGR transform;
  const std::uint8_t ycck[4] = {80, 153, 50, 211};
  std::uint8_t bgr[3] = {};
  transform.Transform(ycck, bgr, 1);
  EXPECT_EQ(bgr[2], 211);
  EXPECT_EQ(bgr[1], 106);
  EXPECT_EQ(bgr[0], 109);
}

TEST(ProgressiveTwin, SameCoefficientsDecodeToIdenticalPixels) {
  for (int components : {1, 3}) {
    const Image source = MakePhoto(150, 100, components, 5);
    const std::vector<std::uint8_t> baseline = ReferenceEncode(source, {.RestartInterval = 5});
    // The same coefficients in other scans.
    const std::vector<std::uint8_t> progressive = ReferenceEncode(source, {.Progressive = true, .RestartInterval = 5});
    ASSERT_NE(baseline, progressive);
    for (TsdJpegScale scale : {jsFull, jsDiv2, jsDiv4, jsDiv8}) {
      const Image a = OwnDecode(baseline, scale, jcAutoDetect);
      const Image b = OwnDecode(progressive, scale, jcAutoDetect);
      EXPECT_EQ(a.Pixels, b.Pixels) << "components " << components << " scale " << int(scale);
    }
  }
}

struct QualityCase {
  int Components;
  int Quality;
};

class EncodeAgainstReference : public ::testing::TestWithParam<QualityCase> {};

TEST_P(EncodeAgainstReference, DecodesWithoutWarningsAtComparableQuality) {
  const QualityCase& c = GetParam();
  const Image source = MakePhoto(240, 176, c.Components, 9);
  // Optimised tables make a smaller file with the same coefficients.
  const std::vector<std::uint8_t> optimised = OwnEncode(source, c.Quality, true);
  const std::vector<std::uint8_t> standard = OwnEncode(source, c.Quality, false);
  EXPECT_LT(optimised.size(), standard.size());
  EXPECT_EQ(ReferenceDecode(optimised).Picture.Pixels, ReferenceDecode(standard).Picture.Pixels);
  for (const auto& ours : {optimised, standard}) {
    const std::vector<std::uint8_t> theirs = ReferenceEncode(source, {.Quality = c.Quality});
    const DecodeResult ourDecode = ReferenceDecode(ours);
    EXPECT_EQ(ourDecode.Warnings, 0);
    const double ourPsnr = Psnr(source, ourDecode.Picture);
    const double theirPsnr = Psnr(source, ReferenceDecode(theirs).Picture);
    EXPECT_GT(ourPsnr, theirPsnr - 0.5) << "ours " << ourPsnr << " dB, reference " << theirPsnr << " dB";
    // Our own decoder reads our files like the reference does.
    EXPECT_LE(MaxDifference(OwnDecode(ours, jsFull, c.Components == 1 ? jcGray : jcRGB), ourDecode.Picture), 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Qualities, EncodeAgainstReference,
                         ::testing::Values(QualityCase{3, 25}, QualityCase{3, 50}, QualityCase{3, 85}, QualityCase{3, 95},
                                           QualityCase{1, 50}, QualityCase{1, 90}));

}  // namespace
