// Decoding and encoding checked against libjpeg-turbo as a black-box oracle.

#include <gtest/gtest.h>

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
  EncodeSettings settings;
  settings.HorSampling = c.Hor;
  settings.VerSampling = c.Ver;
  settings.Progressive = c.Progressive;
  settings.RestartInterval = c.Restart;
  const std::vector<std::uint8_t> file = ReferenceEncode(source, settings);
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

}  // namespace
