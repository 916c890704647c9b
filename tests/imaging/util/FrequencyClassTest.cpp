#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <vector>

#include "imaging/util/Packing.h"

using namespace imaging;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Pack(const Bytes& input) {
  Bytes out(PackedSizeBound(input.size()));
  std::size_t written = 0;
  const std::uint8_t dummy = 0;
  EXPECT_EQ(FrequencyPack(input.empty() ? &dummy : input.data(), input.size(), out.data(), out.size(), written),
            cPackOk);
  out.resize(written);
  return out;
}

// Decodes from a heap copy of exactly the given bytes into exactly capacity
// bytes, so that reading or writing outside them is caught.
int Unpack(const Bytes& block, std::size_t capacity, Bytes& result) {
  auto source = std::make_unique<std::uint8_t[]>(block.size() + 1);
  std::copy(block.begin(), block.end(), source.get());
  auto dest = std::make_unique<std::uint8_t[]>(capacity + 1);
  std::size_t written = 0;
  const int code = FrequencyUnpack(source.get(), block.size(), dest.get(), capacity, written);
  result.assign(dest.get(), dest.get() + written);
  return code;
}

Bytes Header(std::uint32_t length, std::uint32_t bitSection, std::uint32_t nibbleSection, std::uint8_t lastRank) {
  Bytes header;
  for (std::uint32_t field : {length, bitSection, nibbleSection}) {
    for (int shift = 0; shift < 32; shift += 8) header.push_back(static_cast<std::uint8_t>(field >> shift));
  }
  header.push_back(lastRank);
  return header;
}

Bytes Range(int first, int last) {
  Bytes values;
  for (int v = first; v <= last; ++v) values.push_back(static_cast<std::uint8_t>(v));
  return values;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A block using all four classes, laid out by hand: value v has rank v
// (counts 3, 2, then 1 for 2..20), so the table is 0..21.
const Bytes cMixedInput{0, 1, 2, 3, 19, 20, 0, 1, 18, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
const Bytes cMixedBlock = Concat({
    Header(24, 53, 44, 21),
    Range(0, 21),
    {0x94, 0x4F, 0xA2, 0xAA, 0xAA, 0xAA, 0x00},                 // classes, then a whole zero byte
    {0x00, 0x01},                                               // ranks 19 and 20
    {0xF0, 0x21, 0x43, 0x65, 0x87, 0xA9, 0xCB, 0xED, 0x00},     // ranks 3, 18, 4 .. 17
    {0x02},                                                     // ranks 1, 2, 1
});

}  // namespace

TEST(FrequencyPack, HandLaidOutBlocks) {
  EXPECT_EQ(Pack(cMixedInput), cMixedBlock);
  // One value repeated: it takes rank 0, its old rank takes value 0, N = 19,
  // classes all zero, single zero bytes for the 4-bit and 1-bit sections.
  Bytes table = Range(0, 19);
  std::swap(table[0], table[7]);
  EXPECT_EQ(Pack(Bytes(5, 7)), Concat({Header(5, 36, 35, 19), table, {0, 0}, {0}, {0}}));
  // Equal counts: the exchange ordering ranks the higher value first.
  table = Range(0, 19);
  table[0] = 5, table[1] = 3, table[3] = 1, table[5] = 0;
  EXPECT_EQ(Pack({3, 5}), Concat({Header(2, 35, 34, 19), table, {0x01}, {0}, {0}}));
  // Nothing at all still writes a full header, table and three zero bytes.
  EXPECT_EQ(Pack({}), Concat({Header(0, 35, 34, 19), Range(0, 19), {0}, {0}, {0}}));
}

TEST(FrequencyPack, TableStopsAtTheFirstUnusedRankFrom19) {
  Bytes input = Range(0, 29);  // 30 values: ranks 0..29 used, rank 30 is the first unused
  EXPECT_EQ(Pack(input)[12], 30);
  input = Range(0, 255);  // every value used: the table holds all 256
  const Bytes block = Pack(input);
  EXPECT_EQ(block[12], 255);
  EXPECT_EQ(block.size(), 13u + 256 + 65 + 237 + 9 + 1);
}

TEST(FrequencyUnpack, RestoresHandLaidOutBlocks) {
  Bytes result;
  ASSERT_EQ(Unpack(cMixedBlock, cMixedInput.size(), result), cPackOk);
  EXPECT_EQ(result, cMixedInput);
  ASSERT_EQ(Unpack(Concat({Header(0, 35, 34, 19), Range(0, 19), {0}, {0}, {0}}), 0, result), cPackOk);
  EXPECT_TRUE(result.empty());
}

TEST(FrequencyUnpack, StopsOnLyingHeaders) {
  Bytes result;
  EXPECT_EQ(Unpack(cMixedBlock, cMixedInput.size() - 1, result), cPackDestTooSmall);
  EXPECT_EQ(Unpack(Bytes(cMixedBlock.begin(), cMixedBlock.begin() + 12), 100, result), cPackCorrupt);

  Bytes lie = cMixedBlock;
  lie[12] = 200;  // table running past the block
  EXPECT_EQ(Unpack(lie, 100, result), cPackCorrupt);
  lie = cMixedBlock;
  lie[0] = 0xFF, lie[1] = 0xFF, lie[2] = 0xFF;  // 16 M bytes from a 54-byte block
  EXPECT_EQ(Unpack(lie, 1u << 25, result), cPackCorrupt);
  lie = cMixedBlock;
  lie[4] = 0xF0;  // 1-bit section offset past the end
  EXPECT_EQ(Unpack(lie, 100, result), cPackCorrupt);
  lie = cMixedBlock;
  lie[8] = 0x00, lie[11] = 0x80;  // 4-bit section offset far past the end
  EXPECT_EQ(Unpack(lie, 100, result), cPackCorrupt);
  lie = cMixedBlock;
  lie[43] = 3;  // rank 22 is beyond the 22-entry table
  EXPECT_EQ(Unpack(lie, 100, result), cPackCorrupt);
  lie = cMixedBlock;
  lie[12] = 10;  // a table too short for the ranks used
  EXPECT_EQ(Unpack(lie, 100, result), cPackCorrupt);

  std::size_t written = 0;
  std::uint8_t out[4];
  EXPECT_EQ(FrequencyUnpack(nullptr, 40, out, 4, written), cPackNoSource);
  EXPECT_EQ(FrequencyUnpack(cMixedBlock.data(), cMixedBlock.size(), nullptr, 40, written), cPackNoDest);
}

TEST(FrequencyUnpack, EveryTruncationFailsOrOnlyLosesPadding) {
  std::mt19937 random(7);
  Bytes input(3000);
  for (auto& byte : input) byte = static_cast<std::uint8_t>(std::min<unsigned>(random() % 64, random() % 300));
  const Bytes block = Pack(input);
  Bytes result;
  for (std::size_t size = 0; size < block.size(); ++size) {
    const int code = Unpack(Bytes(block.begin(), block.begin() + size), input.size(), result);
    if (code == cPackOk) {
      EXPECT_EQ(result, input) << "cut to " << size;
    } else {
      EXPECT_EQ(code, cPackCorrupt) << "cut to " << size;
    }
  }
}

TEST(FrequencyPack, RefusesMissingBuffersAndShortDestinations) {
  const std::size_t needed = cMixedBlock.size();
  std::size_t written = 0;
  for (std::size_t capacity : {std::size_t{0}, std::size_t{13}, needed - 1}) {
    Bytes out(capacity + 1, 0xAB);
    EXPECT_EQ(FrequencyPack(cMixedInput.data(), cMixedInput.size(), out.data(), capacity, written),
              cPackDestTooSmall);
    EXPECT_EQ(out, Bytes(capacity + 1, 0xAB)) << "nothing is written when the block does not fit";
  }
  Bytes out(needed);
  EXPECT_EQ(FrequencyPack(cMixedInput.data(), cMixedInput.size(), out.data(), needed, written), cPackOk);
  EXPECT_EQ(out, cMixedBlock);
  // The block's 32-bit length field cannot describe more; refused before any byte is read.
  if constexpr (sizeof(std::size_t) > 4) {
    EXPECT_EQ(FrequencyPack(cMixedInput.data(), std::size_t{1} << 32, out.data(), needed, written), cPackTooLarge);
  }
  EXPECT_EQ(FrequencyPack(nullptr, 1, out.data(), needed, written), cPackNoSource);
  EXPECT_EQ(FrequencyPack(cMixedInput.data(), 1, nullptr, needed, written), cPackNoDest);
}

TEST(FrequencyPack, LeavesItsSourceIntact) {
  Bytes input = cMixedInput;
  Pack(input);
  EXPECT_EQ(input, cMixedInput);
}
