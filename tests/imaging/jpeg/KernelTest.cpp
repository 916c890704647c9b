// The vectorised kernels: the colour conversions against the fixed-point
// tables they replace, and the AVX2 variants against the portable code.

#include <gtest/gtest.h>

#include <cmath>

#include "imaging/jpeg/JpegColorTransforms.h"
#include "imaging/jpeg/JpegSimd.h"
#include "tests/imaging/jpeg/OwnCodec.h"

using namespace jpegtest;

namespace {

// Runs a check at every level the processor supports.
template <class Fn>
void AtEveryLevel(Fn check) {
  for (jpeg::TsdSimdLevel level : {jpeg::TsdSimdLevel::Portable, jpeg::TsdSimdLevel::Avx2}) {
    if (level > jpeg::BestSimdLevel()) continue;
    jpeg::SetSimdLevel(level);
    check(static_cast<int>(level));
  }
  jpeg::SetSimdLevel(jpeg::BestSimdLevel());
}

int Fixed(double value) { return static_cast<int>(std::nearbyint(value * 1024)); }
std::uint8_t Clamp(int sum) { return static_cast<std::uint8_t>(std::clamp(sum >> 10, 0, 255)); }

// Every RGB colour, one row per red value.
TEST(Kernels, PlanarEncodingConversionFollowsTheTables) {
  std::vector<std::uint8_t> bgr(256 * 256 * 3), scratch(bgr.size());
  std::vector<std::uint8_t> y(256 * 256), cb(y.size()), cr(y.size());
  std::uint8_t* planes[3] = {y.data(), cb.data(), cr.data()};
  TsdTransformBGRToYCbCr transform;
  AtEveryLevel([&](int level) {
    for (int r = 0; r < 256; ++r) {
      for (int i = 0; i < 256 * 256; ++i) {
        bgr[3 * i] = static_cast<std::uint8_t>(i & 255);
        bgr[3 * i + 1] = static_cast<std::uint8_t>(i >> 8);
        bgr[3 * i + 2] = static_cast<std::uint8_t>(r);
      }
      transform.TransformToPlanes(bgr.data(), planes, 256 * 256, scratch.data());
      for (int i = 0; i < 256 * 256; ++i) {
        const int b = i & 255, g = i >> 8;
        const int offset = 128 * 1024;
        const std::uint8_t expected[3] = {
            Clamp(Fixed(0.299 * r) + Fixed(0.587 * g) + Fixed(0.114 * b)),
            Clamp(Fixed(-0.1687 * r) + Fixed(-0.3313 * g) + Fixed(0.5 * b) + offset),
            Clamp(Fixed(0.5 * r) + Fixed(-0.4187 * g) + Fixed(-0.0813 * b) + offset)};
        if (y[i] != expected[0] || cb[i] != expected[1] || cr[i] != expected[2]) {
          FAIL() << "level " << level << " rgb " << r << " " << g << " " << b;
        }
      }
    }
  });
}

// Every YCbCr value, through the interleaved and the planar conversion,
// with one and with two pixels per chroma sample.
TEST(Kernels, PlanarDecodingConversionFollowsTheTables) {
  TsdTransformYCbCrToBGR transform;
  std::vector<std::uint8_t> luma(256), ycc(3 * 256), scratch(3 * 512), interleaved(3 * 256), planar(3 * 512);
  for (int i = 0; i < 256; ++i) luma[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  AtEveryLevel([&](int level) {
    for (int cb = 0; cb < 256; ++cb)
      for (int cr = 0; cr < 256; ++cr) {
        std::vector<std::uint8_t> cbRow(256, static_cast<std::uint8_t>(cb)), crRow(256, static_cast<std::uint8_t>(cr));
        for (int y = 0; y < 256; ++y) {
          ycc[3 * y] = static_cast<std::uint8_t>(y);
          ycc[3 * y + 1] = static_cast<std::uint8_t>(cb);
          ycc[3 * y + 2] = static_cast<std::uint8_t>(cr);
        }
        transform.Transform(ycc.data(), interleaved.data(), 256);
        for (int y = 0; y < 256; ++y) {
          const int base = 1024 * y;
          const std::uint8_t expected[3] = {Clamp(base + Fixed(1.772 * cb) + Fixed(-226.816)),
                                            Clamp(base + Fixed(-0.34414 * cb) + Fixed(-0.71414 * cr) + Fixed(135.53664)),
                                            Clamp(base + Fixed(1.402 * cr) + Fixed(-179.456))};
          for (int c = 0; c < 3; ++c)
            if (interleaved[static_cast<std::size_t>(3 * y + c)] != expected[c])
              FAIL() << "ycc " << y << " " << cb << " " << cr;
        }
        for (int step : {1, 2}) {
          const std::uint8_t* planes[3] = {luma.data(), cbRow.data(), crRow.data()};
          const int repeat[3] = {1, step, step};
          transform.TransformPlanes(planes, repeat, planar.data(), 256, scratch.data());
          if (!std::equal(interleaved.begin(), interleaved.end(), planar.begin()))
            FAIL() << "level " << level << " step " << step << " cb " << cb << " cr " << cr;
        }
      }
  });
}

// Whole decodes and encodes give the same bytes at every level.
TEST(Kernels, VariantsDecodeAndEncodeIdentically) {
  if (jpeg::BestSimdLevel() == jpeg::TsdSimdLevel::Portable) GTEST_SKIP() << "no vector variant on this processor";
  const Image colour = MakePhoto(203, 141, 3, 9), grey = MakePhoto(97, 61, 1, 4);
  const EncodeSettings s444{.HorSampling = 1, .VerSampling = 1};
  const std::vector<std::vector<std::uint8_t>> files = {
      ReferenceEncode(colour, {}), ReferenceEncode(colour, {.VerSampling = 1}), ReferenceEncode(colour, s444),
      ReferenceEncode(colour, {.Progressive = true}), ReferenceEncode(grey, s444)};
  std::vector<std::vector<std::uint8_t>> results[2];
  AtEveryLevel([&](int level) {
    for (const auto& file : files)
      for (TsdJpegDCTCodingMethod method : {dmAccurate, dmFast})
        for (TsdJpegScale scale : {jsFull, jsDiv2})
          results[level].push_back(OwnDecode(file, scale, jcRGB, method).Pixels);
    results[level].push_back(OwnEncode(colour, 85));
    results[level].push_back(OwnEncode(grey, 60));
  });
  ASSERT_EQ(results[0].size(), results[1].size());
  for (std::size_t i = 0; i < results[0].size(); ++i) EXPECT_EQ(results[0][i], results[1][i]) << "case " << i;
}

}  // namespace
