#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "imaging/util/Packing.h"

using namespace imaging;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

}  // namespace

TEST(MergePlanes, InterleavesPlanesIntoSamples) {
  const Bytes planes = FromText("AAAABBBBCCCCDDDD");
  Bytes samples(planes.size());
  ASSERT_EQ(MergePlanes(planes.data(), samples.data(), planes.size(), 4), cPackOk);
  EXPECT_EQ(samples, FromText("ABCDABCDABCDABCD"));
  // 11 bytes in 3 channels: planes of 3, two trailing bytes copied as they are.
  const Bytes uneven = FromText("aaabbbcccXY");
  Bytes merged(uneven.size());
  ASSERT_EQ(MergePlanes(uneven.data(), merged.data(), uneven.size(), 3), cPackOk);
  EXPECT_EQ(merged, FromText("abcabcabcXY"));
  // Fewer bytes than channels: nothing to interleave, all trailing.
  Bytes few = FromText("xyz");
  ASSERT_EQ(MergePlanes(few.data(), few.data(), few.size(), 8), cPackOk);
  EXPECT_EQ(few, FromText("xyz"));
}

TEST(MergePlanes, WorksInPlaceAndOnOverlappingBuffers) {
  Bytes buffer = FromText("AAAABBBBCCCCDDDD");
  ASSERT_EQ(MergePlanes(buffer.data(), buffer.data(), buffer.size(), 4), cPackOk);
  EXPECT_EQ(buffer, FromText("ABCDABCDABCDABCD"));
  Bytes shifted = FromText("..aabb");
  ASSERT_EQ(MergePlanes(shifted.data() + 2, shifted.data(), 4, 2), cPackOk);
  EXPECT_EQ(shifted, FromText("ababbb"));
}

TEST(MergePlanes, RefusesBadArgumentsWithoutWriting) {
  const Bytes planes = FromText("AAAABBBBCCCCDDDD");
  for (int channels : {9, 0, -1}) {
    Bytes dest(planes.size(), '-');
    EXPECT_EQ(MergePlanes(planes.data(), dest.data(), planes.size(), channels), cPackBadChannels);
    EXPECT_EQ(dest, Bytes(planes.size(), '-'));
  }
  Bytes dest(4);
  EXPECT_EQ(MergePlanes(nullptr, dest.data(), 4, 2), cPackNoSource);
  EXPECT_EQ(MergePlanes(planes.data(), nullptr, 4, 2), cPackNoDest);
  EXPECT_EQ(SplitPlanes(planes.data(), dest.data(), 4, 9), cPackBadChannels);
}

TEST(SplitPlanes, IsTheInverseOfMergePlanesForEveryShape) {
  for (int channels = 1; channels <= 8; ++channels) {
    for (std::size_t count : {0, 1, 7, 8, 9, 64, 1001}) {
      Bytes samples(count + 1);  // never empty, so its data is never null
      std::iota(samples.begin(), samples.end(), std::uint8_t{3});
      samples.resize(count);
      Bytes planes(count + 1), back(count + 1);
      ASSERT_EQ(SplitPlanes(samples.data(), planes.data(), count, channels), cPackOk);
      const std::size_t perPlane = count / channels;
      for (std::size_t i = 0; i < perPlane * channels; ++i) {
        ASSERT_EQ(planes[(i % channels) * perPlane + i / channels], samples[i]);
      }
      ASSERT_EQ(MergePlanes(planes.data(), back.data(), count, channels), cPackOk);
      back.resize(count);
      EXPECT_EQ(back, samples) << channels << " channels, " << count << " bytes";
    }
  }
}
