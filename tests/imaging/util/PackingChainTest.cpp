// The packing chain against the stages composed by hand, the length probes
// against what the unpackers write, and refusal of lying or cut data.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imaging/util/Packing.h"
#include "imaging/util/PackingChain.h"

using namespace imaging;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Stage(int (*packer)(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t, std::size_t&),
            const Bytes& input) {
  Bytes out(PackedSizeBound(input.size()));
  std::size_t size = 0;
  EXPECT_EQ(packer(input.data(), input.size(), out.data(), out.size(), size), cPackOk);
  out.resize(size);
  return out;
}

Bytes ByHand(Bytes raw) {
  EXPECT_EQ(DeltaEncode(raw.data(), raw.size(), raw.data()), cPackOk);
  return Stage(FrequencyPack, Stage(RlePack, Stage(FrequencyPack, raw)));
}

Bytes Planes(std::size_t pixels, std::mt19937& random) {
  Bytes raw(4 * pixels);
  for (std::size_t i = 0; i < pixels; ++i) {
    raw[i] = 255;
    raw[pixels + i] = static_cast<std::uint8_t>(i / 7);
    raw[2 * pixels + i] = static_cast<std::uint8_t>(random() % 256);
    raw[3 * pixels + i] = (i % 40) < 20 ? 0 : 180;
  }
  return raw;
}

}  // namespace

TEST(PackingChain, PacksAsTheFourStagesAndUnpacksBack) {
  std::mt19937 random(5);
  for (std::size_t pixels : {1, 3, 64, 1000, 30000}) {
    const Bytes raw = Planes(pixels, random);
    Bytes scratch = raw;
    Bytes packed;
    ASSERT_EQ(ChainPack(scratch.data(), scratch.size(), packed), cPackOk);
    EXPECT_EQ(packed, ByHand(raw)) << pixels;
    Bytes unpacked;
    ASSERT_EQ(ChainUnpack(packed.data(), packed.size(), raw.size(), unpacked), cPackOk);
    EXPECT_EQ(unpacked, raw) << pixels;
  }
}

TEST(PackingChain, RefusesAnotherLengthTruncationAndLies) {
  std::mt19937 random(9);
  const Bytes raw = Planes(300, random);
  Bytes scratch = raw;
  Bytes packed;
  ASSERT_EQ(ChainPack(scratch.data(), scratch.size(), packed), cPackOk);
  Bytes out;
  EXPECT_EQ(ChainUnpack(packed.data(), packed.size(), raw.size() - 1, out), cPackCorrupt);
  EXPECT_EQ(ChainUnpack(packed.data(), packed.size(), raw.size() + 1, out), cPackCorrupt);
  EXPECT_TRUE(out.empty());
  for (std::size_t cut = 0; cut < packed.size(); ++cut) {
    const int code = ChainUnpack(packed.data(), cut, raw.size(), out);
    // Only the padding of the last section may go missing unnoticed.
    if (code == cPackOk) {
      EXPECT_EQ(out, raw) << cut;
    } else {
      EXPECT_LT(code, 0) << cut;
    }
  }
  // The outer block claiming 2^32 - 1 bytes is refused before anything is reserved for them.
  Bytes lying = packed;
  lying[0] = lying[1] = lying[2] = lying[3] = 0xFF;
  EXPECT_EQ(ChainUnpack(lying.data(), lying.size(), raw.size(), out), cPackCorrupt);
  EXPECT_EQ(ChainUnpack(nullptr, 5, 5, out), cPackNoSource);
}

TEST(PackingChain, SurvivesEveryByteFlipped) {
  std::mt19937 random(13);
  const Bytes raw = Planes(40, random);
  Bytes scratch = raw;
  Bytes packed;
  ASSERT_EQ(ChainPack(scratch.data(), scratch.size(), packed), cPackOk);
  for (std::size_t at = 0; at < packed.size(); ++at) {
    for (std::uint8_t flip : {0x01, 0x80, 0xFF}) {
      Bytes bad = packed;
      bad[at] ^= flip;
      Bytes out;
      const int code = ChainUnpack(bad.data(), bad.size(), raw.size(), out);
      EXPECT_TRUE(code == cPackOk ? out.size() == raw.size() : out.empty()) << at;
    }
  }
}

TEST(LengthProbes, AgreeWithTheUnpackers) {
  const Bytes records{3, 'a', 'b', 'c', static_cast<std::uint8_t>(-9), 'x', 0, 1, 'q'};
  std::size_t length = 0;
  ASSERT_EQ(RleUnpackedLength(records.data(), records.size(), length), cPackOk);
  EXPECT_EQ(length, 3u + 10 + 0 + 1);
  Bytes out(length);
  std::size_t written = 0;
  ASSERT_EQ(RleUnpack(records.data(), records.size(), out.data(), out.size(), written), cPackOk);
  EXPECT_EQ(written, length);
  EXPECT_EQ(RleUnpackedLength(records.data(), records.size() - 1, length), cPackCorrupt);  // literal cut short
  const Bytes bad{static_cast<std::uint8_t>(-127), 'x'};
  EXPECT_EQ(RleUnpackedLength(bad.data(), bad.size(), length), cPackCorrupt);
  EXPECT_EQ(RleUnpackedLength(nullptr, 1, length), cPackNoSource);

  const Bytes block = Stage(FrequencyPack, Bytes(50, 7));
  ASSERT_EQ(FrequencyUnpackedLength(block.data(), block.size(), length), cPackOk);
  EXPECT_EQ(length, 50u);
  // Header, 20 table entries and 13 class bytes: one fewer is refused.
  EXPECT_EQ(FrequencyUnpackedLength(block.data(), 13 + 20 + 13, length), cPackOk);
  EXPECT_EQ(FrequencyUnpackedLength(block.data(), 13 + 20 + 12, length), cPackCorrupt);
  EXPECT_EQ(FrequencyUnpackedLength(block.data(), 12, length), cPackCorrupt);
  EXPECT_EQ(FrequencyUnpackedLength(nullptr, 40, length), cPackNoSource);
}
