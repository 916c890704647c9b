// The packing routines and their chain: worked examples and hand-laid blocks
// byte for byte, round trips within PackedSizeBound, refusal of cut or lying
// data. Every routine runs on heap copies of exactly the bytes and the room
// it is told of, so that the sanitizers see any access outside them.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "imaging/util/Packing.h"
#include "imaging/util/PackingChain.h"

using namespace imaging;
using Bytes = std::vector<std::uint8_t>;

namespace {

template <class Routine>
int Apply(Routine routine, const Bytes& input, std::size_t capacity, Bytes& output) {
  auto source = std::make_unique<std::uint8_t[]>(input.size());
  std::copy(input.begin(), input.end(), source.get());
  auto dest = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
  std::size_t written = 0;
  const int code = routine(source.get(), input.size(), dest.get(), capacity, written);
  output.assign(dest.get(), dest.get() + (code == cPackOk ? written : 0));
  return code;
}

// Packs into exactly PackedSizeBound bytes, which must be enough.
template <class Packer>
Bytes Packed(Packer packer, const Bytes& input) {
  Bytes output;
  EXPECT_EQ(Apply(packer, input, PackedSizeBound(input.size()), output), cPackOk);
  return output;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

template <class ByteAt>
Bytes Generated(std::size_t count, ByteAt byteAt) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(byteAt(i));
  return bytes;
}

template <class Pack, class Unpack>
void ExpectRoundTripsAndRefusals(Pack pack, Unpack unpack, const std::vector<Bytes>& inputs) {
  Bytes out;
  for (const Bytes& input : inputs) {
    ASSERT_EQ(Apply(unpack, Packed(pack, input), input.size(), out), cPackOk);
    ASSERT_EQ(out, input) << input.size() << " bytes";
  }
  const Bytes& sample = inputs[81];  // 40 bytes of six values
  for (std::size_t capacity = 0; capacity < Packed(pack, sample).size(); ++capacity)
    EXPECT_EQ(Apply(pack, sample, capacity, out), cPackDestTooSmall) << capacity;
  std::uint8_t buffer[8] = {};
  std::size_t written = 0;
  EXPECT_EQ(pack(nullptr, 1, buffer, 8, written), cPackNoSource);
  EXPECT_EQ(pack(buffer, 1, nullptr, 8, written), cPackNoDest);
  EXPECT_EQ(unpack(nullptr, 1, buffer, 8, written), cPackNoSource);
  EXPECT_EQ(unpack(buffer, 1, nullptr, 8, written), cPackNoDest);
}

// Three little-endian 32-bit fields, then N.
Bytes BlockHeader(std::uint32_t length, std::uint32_t bitSection, std::uint32_t nibbleSection, std::uint8_t lastRank) {
  const std::uint32_t fields[] = {length, bitSection, nibbleSection};
  return Concat({Generated(12, [&](std::size_t i) { return fields[i / 4] >> (8 * (i % 4)); }), {lastRank}});
}

// The table of values 0 .. last, with the given positions exchanged.
Bytes Table(int last, std::initializer_list<std::pair<int, int>> swaps = {}) {
  Bytes table = Generated(last + 1, [](std::size_t i) { return i; });
  for (auto [a, b] : swaps) std::swap(table[a], table[b]);
  return table;
}

// A frequency-class block using all four classes, laid out by hand: value v
// has rank v (counts 3, 2, then 1 for 2..20), so the table is 0..21.
const Bytes cMixedInput{0, 1, 2, 3, 19, 20, 0, 1, 18, 0, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
const Bytes cMixedBlock = Concat({
    BlockHeader(24, 53, 44, 21),
    Table(21),
    {0x94, 0x4F, 0xA2, 0xAA, 0xAA, 0xAA, 0x00},              // classes, then a whole zero byte
    {0x00, 0x01},                                            // ranks 19 and 20
    {0xF0, 0x21, 0x43, 0x65, 0x87, 0xA9, 0xCB, 0xED, 0x00},  // ranks 3, 18, 4 .. 17
    {0x02},                                                  // ranks 1, 2, 1
});

// Opaque alpha, then a smooth, a noisy and a striped plane.
Bytes Planes(std::size_t pixels, std::mt19937& random) {
  return Concat({Bytes(pixels, 255), Generated(pixels, [](std::size_t i) { return i / 7; }),
                 Generated(pixels, [&](std::size_t) { return random(); }),
                 Generated(pixels, [](std::size_t i) { return i % 40 < 20 ? 0 : 180; })});
}

}  // namespace

TEST(RleAndDelta, WorkedExamplesGiveTheseBytes) {
  const std::uint8_t A = 'A', B = 'B', C = 'C', D = 'D', X = 'X';
  const Bytes distinct = Generated(130, [](std::size_t i) { return i; });
  const struct {
    Bytes Input, Expected;
  } cases[] = {
      {{A, A, A, A, B, C, D}, {0xFE, A, 4, A, B, C, D}},
      {{X, A}, {2, X, A}},
      {{}, {0}},
      {{A, A, A, A, A}, {0xFC, A}},                                           // a final run is emitted whole
      {{A, B, B, B, C, C, C, D}, {1, A, 0xFF, B, 1, B, 0xFF, C, 2, C, D}},  // a run's last byte starts the literal
      {Concat({Bytes(129, A), {X}}), {0x83, A, 0xFF, A, 2, A, X}},          // never a run of one byte
      {Bytes(255, A), {0x82, A, 0x83, A, 0xFF, A}},
      {distinct, Concat({{127}, Bytes(distinct.begin(), distinct.begin() + 127), {3, 127, 128, 129}})},
  };
  for (const auto& c : cases) EXPECT_EQ(Packed(RlePack, c.Input), c.Expected) << c.Input.size() << " bytes";
  Bytes bytes{10, 20, 30, 5, 0};  // decoding is checked by the delta frequency-class round trips
  ASSERT_EQ(DeltaEncode(bytes.data(), bytes.size(), bytes.data()), cPackOk);
  EXPECT_EQ(bytes, (Bytes{10, 10, 10, 231, 251}));
}

TEST(Unpackers, DecodeHandBuiltDataAndRefuseCutOrLyingData) {
  const struct {
    Bytes Stream;
    std::size_t Capacity;
    int Code;
  } cases[] = {
      {{2, 'a', 'b', 0xFC, 'z', 0, 0x82, 'q', 1, '!'}, 135, cPackOk},  // literals 2, 0 and 1, runs 5 and 127
      {{5, 'a', 'b'}, 100, cPackCorrupt},                             // literal shorter than announced
      {{2, 'a', 'b', 0xF0}, 100, cPackCorrupt},                       // run without its value
      {{0x81, 'a'}, 200, cPackCorrupt},                               // -127 and -128 are never written
      {{0x80, 'a'}, 200, cPackCorrupt},
      {{0x82, 'a'}, 126, cPackDestTooSmall},  // 127 bytes into 126
      {{3, 'a', 'b', 'c'}, 2, cPackDestTooSmall},
  };
  Bytes out;
  for (const auto& c : cases) EXPECT_EQ(Apply(RleUnpack, c.Stream, c.Capacity, out), c.Code) << int(c.Stream[0]);
  ASSERT_EQ(Apply(RleUnpack, cases[0].Stream, 135, out), cPackOk);
  EXPECT_EQ(out, Concat({{'a', 'b'}, Bytes(5, 'z'), Bytes(127, 'q'), {'!'}}));
  EXPECT_EQ(Apply(FrequencyUnpack, cMixedBlock, cMixedInput.size() - 1, out), cPackDestTooSmall);
  const std::vector<std::pair<std::size_t, std::uint8_t>> lies[] = {
      {{12, 200}},                        // table running past the block
      {{0, 0xFF}, {1, 0xFF}, {2, 0xFF}},  // 16 M bytes from a 54-byte block
      {{4, 0xF0}},                        // 1-bit section past the end
      {{8, 0x00}, {11, 0x80}},            // 4-bit section far past the end
      {{43, 3}},                          // rank 22 is beyond the 22-entry table
      {{12, 10}},                         // a table too short for the ranks used
  };
  for (const auto& patches : lies) {
    Bytes lie = cMixedBlock;
    for (auto [at, value] : patches) lie[at] = value;
    EXPECT_EQ(Apply(FrequencyUnpack, lie, 1u << 25, out), cPackCorrupt) << patches.front().first;
  }
}

TEST(FrequencyPack, HandLaidOutBlocksBothWays) {
  const struct {
    Bytes Input, Block;
  } cases[] = {
      {cMixedInput, cMixedBlock},
      // One value repeated takes rank 0: N = 19, classes all zero, single zero bytes after them.
      {Bytes(5, 7), Concat({BlockHeader(5, 36, 35, 19), Table(19, {{0, 7}}), {0, 0}, {0}, {0}})},
      // Equal counts: the exchange ordering ranks the higher value first.
      {{3, 5}, Concat({BlockHeader(2, 35, 34, 19), Table(19, {{0, 5}, {1, 3}}), {0x01}, {0}, {0}})},
      {{}, Concat({BlockHeader(0, 35, 34, 19), Table(19), {0}, {0}, {0}})},
  };
  Bytes out;
  for (const auto& c : cases) {
    EXPECT_EQ(Packed(FrequencyPack, c.Input), c.Block) << c.Input.size();
    ASSERT_EQ(Apply(FrequencyUnpack, c.Block, c.Input.size(), out), cPackOk);
    EXPECT_EQ(out, c.Input);
  }
  EXPECT_EQ(Packed(FrequencyPack, Table(29))[12], 30);  // the first unused rank from 19 on
  EXPECT_EQ(Packed(FrequencyPack, Table(255))[12], 255);
}

TEST(Planes, MergeAndSplitFollowTheLayoutWithTrailingBytesAsTheyAre) {
  for (int channels = 1; channels <= 8; ++channels) {
    for (std::size_t count : {0, 1, 7, 8, 9, 64, 1001}) {
      const Bytes samples = Generated(count + 1, [](std::size_t i) { return i + 3; });  // never empty
      Bytes planes(count + 1);
      ASSERT_EQ(SplitPlanes(samples.data(), planes.data(), count, channels), cPackOk);
      const std::size_t perPlane = count / channels;
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = i < perPlane * channels ? (i % channels) * perPlane + i / channels : i;
        ASSERT_EQ(planes[at], samples[i]) << channels << " channels, " << count << " bytes, sample " << i;
      }
      ASSERT_EQ(MergePlanes(planes.data(), planes.data(), count, channels), cPackOk);
      EXPECT_TRUE(std::equal(samples.begin(), samples.begin() + count, planes.begin()));
    }
  }
  const Bytes planes = Generated(16, [](std::size_t i) { return 'A' + i / 4; });  // AAAABBBBCCCCDDDD
  Bytes merged = planes;
  EXPECT_EQ(MergePlanes(planes.data(), merged.data(), 16, 9), cPackBadChannels);
  EXPECT_EQ(merged, planes) << "nothing is written";
  ASSERT_EQ(MergePlanes(planes.data(), merged.data(), 16, 4), cPackOk);
  EXPECT_EQ(merged, Generated(16, [](std::size_t i) { return 'A' + i % 4; }));
}

TEST(Packers, RoundTripEverySizeWithinTheBoundAndRefuseShortOrMissingBuffers) {
  std::mt19937 random(2024);
  auto noise = [&](std::size_t count, unsigned spread) {
    return Generated(count, [&](std::size_t) { return random() % spread; });
  };
  std::vector<Bytes> inputs;
  for (std::size_t count = 0; count <= 700; ++count) {
    inputs.insert(inputs.end(), {noise(count, 256), noise(count, 1 + count % 7)});
  }
  for (std::size_t count : {4095, 4096, 100000}) {
    // The worst cases: runs of three cost 4 bytes for 3, every value equally often 2474 bits for 256.
    const Bytes runsOfThree = Generated(count, [](std::size_t i) { return i / 3; });
    const Bytes evenlySpread = Generated(count, [](std::size_t i) { return i * 151 + i / 256; });
    EXPECT_GE(Packed(RlePack, runsOfThree).size(), count + count / 3 - 2);
    EXPECT_GE(Packed(FrequencyPack, evenlySpread).size(), count * 2474 / 2048);
    inputs.insert(inputs.end(), {noise(count, 256), noise(count, 3), runsOfThree, evenlySpread});
  }
  ExpectRoundTripsAndRefusals(RlePack, RleUnpack, inputs);
  ExpectRoundTripsAndRefusals(FrequencyPack, FrequencyUnpack, inputs);
  ExpectRoundTripsAndRefusals(DeltaFrequencyPack, DeltaFrequencyUnpack, inputs);
  EXPECT_EQ(PackedSizeBound(SIZE_MAX / 4 * 3), SIZE_MAX);  // saturates
}

TEST(PackingChain, PacksAsTheFourStagesByHandAndRefusesAnotherLengthCutOrLyingData) {
  std::mt19937 random(5);
  std::vector<Bytes> inputs{Generated(50000, [&](std::size_t) { return random(); })};  // incompressible
  for (std::size_t pixels : {1, 3, 64, 1000, 30000, 300}) inputs.push_back(Planes(pixels, random));
  Bytes packed, out;
  for (const Bytes& raw : inputs) {
    Bytes scratch = raw, delta = raw;
    ASSERT_EQ(ChainPack(scratch.data(), scratch.size(), packed), cPackOk);
    ASSERT_EQ(DeltaEncode(delta.data(), delta.size(), delta.data()), cPackOk);
    EXPECT_EQ(packed, Packed(FrequencyPack, Packed(RlePack, Packed(FrequencyPack, delta)))) << raw.size();
    ASSERT_EQ(ChainUnpack(packed.data(), packed.size(), raw.size(), out), cPackOk);
    EXPECT_EQ(out, raw) << raw.size();
  }
  const Bytes& raw = inputs.back();
  EXPECT_EQ(ChainUnpack(packed.data(), packed.size(), raw.size() - 1, out), cPackCorrupt);
  EXPECT_EQ(ChainUnpack(packed.data(), packed.size(), raw.size() + 1, out), cPackCorrupt);
  EXPECT_TRUE(out.empty());
  for (std::size_t cut = 0; cut < packed.size(); ++cut) {
    const Bytes cutShort(packed.begin(), packed.begin() + cut);
    const int code = ChainUnpack(cutShort.data(), cut, raw.size(), out);
    EXPECT_TRUE(code == cPackOk ? out == raw : code < 0) << cut;  // only padding may go missing unnoticed
  }
  // An outer block claiming 2^32 - 1 bytes is refused before anything is reserved for them.
  packed[0] = packed[1] = packed[2] = packed[3] = 0xFF;
  EXPECT_EQ(ChainUnpack(packed.data(), packed.size(), raw.size(), out), cPackCorrupt);
}

TEST(PackingChain, ReadersFromAnyPlaceGiveTheBytesFromThereOnInPiecesOfAnySize) {
  std::mt19937 random(9);
  for (std::size_t pixels : {1, 5, 333, 20011}) {
    const Bytes raw = Planes(pixels, random);
    Bytes scratch = raw, packed;
    ASSERT_EQ(ChainPack(scratch.data(), scratch.size(), packed), cPackOk);
    TChainUnpacker unpacker;
    ASSERT_EQ(unpacker.Open(packed.data(), packed.size(), raw.size()), cPackOk);
    // Every plane start, places within class bytes and the very end.
    std::vector<std::size_t> places = {0, 1, 2, 3, pixels, 2 * pixels + 1, 3 * pixels, raw.size() - 1, raw.size()};
    for (int i = 0; i < 20; ++i) places.push_back(std::uniform_int_distribution<std::size_t>(0, raw.size())(random));
    for (const std::size_t place : places) {
      TChainUnpacker::TReader reader = unpacker.ReaderAt(place);
      Bytes read;
      while (read.size() < raw.size() - place) {
        const std::size_t piece = std::uniform_int_distribution<std::size_t>(1, 4099)(random);
        Bytes part(piece);
        reader.Read(part.data(), piece);  // stops at the end
        part.resize(std::min(piece, raw.size() - place - read.size()));
        read.insert(read.end(), part.begin(), part.end());
      }
      EXPECT_TRUE(std::equal(read.begin(), read.end(), raw.begin() + static_cast<std::ptrdiff_t>(place)))
          << pixels << " from " << place;
    }
  }
}

TEST(Unpackers, ABlockNamingARankPastItsTableIsRefusedWhateverTheClass) {
  // One entry of each class in turn, its index one past a table of 19
  // ranks (0 to 18) or of 20 (0 to 19): refused, or decoded to the entry.
  const Bytes table = Table(19);
  struct TCase {
    std::uint8_t Class;
    Bytes Index;  // the index section's bytes: class 3, 4-bit or 1-bit
    std::uint8_t LastRank;
    bool Refused;
  };
  const TCase cases[] = {{3, {0}, 18, true}, {3, {0}, 19, false}, {2, {15}, 17, true},
                         {2, {15}, 18, false}, {1, {1}, 1, true},  {1, {1}, 2, false}};
  for (const TCase& c : cases) {
    // Sections: classes (1 byte), class 3 (its byte, if any), 4-bit and
    // 1-bit (a byte each).
    const std::size_t classes = 13 + c.LastRank + 1, class3 = classes + 1;
    const std::size_t nibbles = class3 + (c.Class == 3 ? 1 : 0), bits = nibbles + 1;
    Bytes block = Concat({BlockHeader(1, static_cast<std::uint32_t>(bits), static_cast<std::uint32_t>(nibbles), c.LastRank),
                          Bytes(table.begin(), table.begin() + c.LastRank + 1), Bytes{c.Class}});
    if (c.Class == 3) block.push_back(c.Index[0]);
    block.push_back(c.Class == 2 ? c.Index[0] : 0);
    block.push_back(c.Class == 1 ? c.Index[0] : 0);
    ASSERT_EQ(block.size(), bits + 1) << int(c.Class);
    Bytes out;
    const int code = Apply(FrequencyUnpack, block, 1, out);
    EXPECT_EQ(code, c.Refused ? cPackCorrupt : cPackOk) << int(c.Class) << " " << int(c.LastRank);
    if (!c.Refused) {
      EXPECT_EQ(out, Bytes{table[c.LastRank]}) << int(c.Class);
    }
  }
}
