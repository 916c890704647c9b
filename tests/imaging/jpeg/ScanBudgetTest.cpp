// Progressive files with more scans, or more coefficient passes, than a
// picture may have are refused; real progressive files, from the reference
// encoder's progression to a script with as many scans per component as a
// picture may have, decode as the reference decodes them.

#include <gtest/gtest.h>

#include "imaging/jpeg/JpegScanBudget.h"
#include "tests/imaging/jpeg/OwnCodec.h"
#include "tests/imaging/jpeg/ScanBomb.h"

using namespace jpegtest;

namespace {

TEST(ScanBudget, ScansAndCoefficientPassesOfOneComponentAreBoundedExactly) {
  // One coefficient a scan: the count of scans binds.
  EXPECT_EQ(LoadError(ScanBomb(64, 48, 64, TBombScans::First, 5, 5)), "");
  EXPECT_EQ(LoadError(ScanBomb(64, 48, 65, TBombScans::Refinement, 5, 5)),
            "The JPEG picture is not loaded: it has 65 scans of one component, and a picture may have at most 64");
  // Whole bands: 14 x 63 passes fit in 64 x 14, a fifteenth scan does not.
  EXPECT_EQ(LoadError(ScanBomb(64, 48, 14, TBombScans::Refinement)), "");
  EXPECT_EQ(LoadError(ScanBomb(64, 48, 15, TBombScans::First)),
            "The JPEG picture is not loaded: its scans ask for 945 coefficient passes over one component, and a "
            "picture may ask for at most 896");
}

TEST(ScanBudget, RefusalsUseTheWordingTheProgramGives) {
  jpeg::SetScanRefusalWording([](jpeg::TScanRefusal kind, int count, int limit) {
    return (kind == jpeg::TScanRefusal::Scans ? "scans " : "passes ") + std::to_string(count) + "/" +
           std::to_string(limit);
  });
  EXPECT_EQ(LoadError(ScanBomb(16, 16, 65, TBombScans::First, 1, 1)), "scans 65/64");
  EXPECT_EQ(LoadError(ScanBomb(16, 16, 15, TBombScans::First)), "passes 945/896");
  jpeg::SetScanRefusalWording([](jpeg::TScanRefusal, int, int) { return std::string(); });
  EXPECT_EQ(LoadError(ScanBomb(16, 16, 65, TBombScans::First, 1, 1)).rfind("The JPEG picture is not loaded", 0), 0u);
  jpeg::SetScanRefusalWording({});
}

// Decodes like the reference decoder, and like the sequential file of the
// same coefficients, pixel for pixel.
void ExpectDecodedAsReference(const Image& source, const EncodeSettings& progressive,
                              const std::vector<ScanStep>& script = {}) {
  const std::vector<std::uint8_t> file = ReferenceEncode(source, progressive, script);
  const DecodeResult reference = ReferenceDecode(file);
  ASSERT_TRUE(reference.Progressive);
  EncodeSettings sequential = progressive;
  sequential.Progressive = false;
  const TsdJpegColorSpace space = source.Components == 1 ? jcGray : jcRGB;
  const Image ours = OwnDecode(file, jsFull, space);
  EXPECT_EQ(ours.Pixels, OwnDecode(ReferenceEncode(source, sequential), jsFull, space).Pixels);
  EXPECT_LE(MaxDifference(ours, reference.Picture), 2);
}

TEST(ScanBudget, PhotographsOfTheReferenceProgressionDecodeAsTheReferenceDecodes) {
  // A 24-megapixel photograph; smaller under the sanitizers, where the
  // bounds, relative to the block count, bind the same way.
  const int width = imagingtest::Sanitized ? 1200 : 6000, height = imagingtest::Sanitized ? 800 : 4000;
  ExpectDecodedAsReference(MakePhoto(width, height, 3, 11), {.Quality = 92, .Progressive = true});
  ExpectDecodedAsReference(MakePhoto(width / 4, height / 4, 1, 12), {.Progressive = true});
}

// Per component: DC in two bits, then every AC coefficient alone but the
// last two together: 64 scans, the most a picture may have.
std::vector<ScanStep> SixtyFourScansPerComponent(int components) {
  std::vector<ScanStep> script;
  for (int c = 0; c < components; ++c) {
    script.push_back({c, 0, 0, 0, 1});
    for (int k = 1; k <= 61; ++k) script.push_back({c, k, k, 0, 0});
    script.push_back({c, 62, 63, 0, 0});
    script.push_back({c, 0, 0, 1, 0});
  }
  return script;
}

TEST(ScanBudget, AScriptOfSixtyFourScansPerComponentDecodesAsTheReferenceDecodes) {
  for (const int components : {1, 3}) {
    const Image source = MakePhoto(320, 240, components, 13);
    ExpectDecodedAsReference(source, {.HorSampling = 1, .VerSampling = 1}, SixtyFourScansPerComponent(components));
  }
}

}  // namespace
