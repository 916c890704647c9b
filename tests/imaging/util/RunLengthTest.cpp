#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "imaging/util/Packing.h"

using namespace imaging;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Pack(const Bytes& input) {
  Bytes out(PackedSizeBound(input.size()));
  std::size_t written = 99;
  const std::uint8_t dummy = 0;
  EXPECT_EQ(RlePack(input.empty() ? &dummy : input.data(), input.size(), out.data(), out.size(), written), cPackOk);
  out.resize(written);
  return out;
}

// Unpacks into a buffer of exactly capacity bytes so that any stray write is caught.
int Unpack(const Bytes& packed, std::size_t capacity, Bytes& result) {
  Bytes out(capacity + 1);
  std::size_t written = 99;
  Bytes source(packed);
  source.push_back(0xEE);  // never part of the stream: sourceCount excludes it
  const int code = RleUnpack(source.data(), packed.size(), out.data(), capacity, written);
  out.resize(written);
  result = out;
  return code;
}

Bytes Repeat(std::uint8_t value, std::size_t count) { return Bytes(count, value); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

}  // namespace

TEST(RlePack, WorkedExamplesGiveTheseBytes) {
  const std::uint8_t A = 'A', B = 'B', C = 'C', D = 'D', X = 'X', Y = 'Y';
  EXPECT_EQ(Pack({A, A, A, A, B, C, D}), (Bytes{0xFE, A, 4, A, B, C, D}));
  EXPECT_EQ(Pack({X, Y}), (Bytes{2, X, Y}));
  EXPECT_EQ(Pack({X}), (Bytes{1, X}));
  EXPECT_EQ(Pack({}), (Bytes{0}));
  EXPECT_EQ(Pack({X, X}), (Bytes{2, X, X}));
  // A run at the very end is emitted whole.
  EXPECT_EQ(Pack({A, A, A, A, A}), (Bytes{0xFC, A}));
  EXPECT_EQ(Pack({B, A, A, A}), (Bytes{1, B, 0xFE, A}));
  // Each run hands its last byte to the literal that follows.
  EXPECT_EQ(Pack({A, B, B, B, C, C, C, D}), (Bytes{1, A, 0xFF, B, 1, B, 0xFF, C, 2, C, D}));
  // 129 equal bytes then another: runs of 126 and 2, the last A joins the literal.
  EXPECT_EQ(Pack(Concat({Repeat(A, 129), {X}})), (Bytes{0x83, A, 0xFF, A, 2, A, X}));
  // A final run of 128 must not leave a single byte: 126 + 2.
  EXPECT_EQ(Pack(Repeat(A, 128)), (Bytes{0x83, A, 0xFF, A}));
  EXPECT_EQ(Pack(Repeat(A, 254)), (Bytes{0x82, A, 0x82, A}));
  EXPECT_EQ(Pack(Repeat(A, 255)), (Bytes{0x82, A, 0x83, A, 0xFF, A}));
}

TEST(RlePack, LongLiteralStretchesSplitAt127) {
  Bytes input(300);
  for (std::size_t i = 0; i < input.size(); ++i) input[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  const Bytes packed = Pack(input);
  ASSERT_EQ(packed.size(), 303u);
  EXPECT_EQ(packed[0], 127);
  EXPECT_EQ(packed[128], 127);
  EXPECT_EQ(packed[256], 46);
  EXPECT_TRUE(std::equal(input.begin(), input.begin() + 127, packed.begin() + 1));
}

TEST(RlePack, RefusesMissingBuffersAndShortDestinations) {
  const Bytes input{1, 2, 3, 3, 3, 3, 3, 4};
  Bytes out(16);
  std::size_t written = 5;
  EXPECT_EQ(RlePack(nullptr, 3, out.data(), out.size(), written), cPackNoSource);
  EXPECT_EQ(RlePack(input.data(), input.size(), nullptr, 16, written), cPackNoDest);
  const std::size_t needed = Pack(input).size();
  for (std::size_t capacity = 0; capacity < needed; ++capacity) {
    Bytes exact(capacity + 1, 0xAB);
    EXPECT_EQ(RlePack(input.data(), input.size(), exact.data(), capacity, written), cPackDestTooSmall);
    EXPECT_EQ(exact[capacity], 0xAB) << "wrote past a capacity of " << capacity;
  }
  EXPECT_EQ(RlePack(input.data(), input.size(), out.data(), needed, written), cPackOk);
  EXPECT_EQ(written, needed);
}

TEST(RleUnpack, DecodesHandBuiltRecords) {
  Bytes result;
  // literal 2, run of 5, empty literal, run of 127, literal 1
  const Bytes stream{2, 'a', 'b', 0xFC, 'z', 0, 0x82, 'q', 1, '!'};
  ASSERT_EQ(Unpack(stream, 200, result), cPackOk);
  EXPECT_EQ(result, Concat({{'a', 'b'}, Repeat('z', 5), Repeat('q', 127), {'!'}}));
  ASSERT_EQ(Unpack({}, 0, result), cPackOk);
  EXPECT_TRUE(result.empty());
  // A literal record of 127 bytes, the longest the format has.
  Bytes longLiteral{127};
  for (int i = 0; i < 127; ++i) longLiteral.push_back(static_cast<std::uint8_t>(i));
  ASSERT_EQ(Unpack(longLiteral, 127, result), cPackOk);
  EXPECT_TRUE(std::equal(result.begin(), result.end(), longLiteral.begin() + 1));
}

TEST(RleUnpack, StopsOnTruncatedOrLyingStreams) {
  Bytes result;
  EXPECT_EQ(Unpack({5, 'a', 'b'}, 100, result), cPackCorrupt);        // literal shorter than announced
  EXPECT_EQ(Unpack({1}, 100, result), cPackCorrupt);                 // literal without its byte
  EXPECT_EQ(Unpack({2, 'a', 'b', 0xF0}, 100, result), cPackCorrupt);  // run without its value
  EXPECT_EQ(Unpack({0x81, 'a'}, 200, result), cPackCorrupt);          // -127 is never written
  EXPECT_EQ(Unpack({0x80, 'a'}, 200, result), cPackCorrupt);          // -128 neither
  EXPECT_EQ(Unpack({0x82, 'a'}, 126, result), cPackDestTooSmall);     // 127 bytes into 126
  EXPECT_EQ(Unpack({3, 'a', 'b', 'c'}, 2, result), cPackDestTooSmall);
  EXPECT_EQ(Unpack({3, 'a', 'b', 'c'}, 3, result), cPackOk);
  std::size_t written = 0;
  std::uint8_t out[4];
  const std::uint8_t in[] = {1, 2};
  EXPECT_EQ(RleUnpack(nullptr, 2, out, 4, written), cPackNoSource);
  EXPECT_EQ(RleUnpack(in, 2, nullptr, 4, written), cPackNoDest);
}

TEST(RlePack, EveryShortStringOfThreeSymbolsRoundTripsWithinTheBound) {
  for (std::size_t length = 0; length <= 10; ++length) {
    std::size_t combinations = 1;
    for (std::size_t i = 0; i < length; ++i) combinations *= 3;
    std::size_t worst = 0;
    Bytes input(length);
    for (std::size_t code = 0; code < combinations; ++code) {
      std::size_t rest = code;
      for (auto& byte : input) {
        byte = static_cast<std::uint8_t>(rest % 3);
        rest /= 3;
      }
      const Bytes packed = Pack(input);
      worst = std::max(worst, packed.size());
      Bytes result;
      ASSERT_EQ(Unpack(packed, length, result), cPackOk);
      ASSERT_EQ(result, input);
    }
    // No stream is worse than a third over the input plus one record byte.
    EXPECT_EQ(worst, length + length / 3 + (length % 3 == 2 || length < 3 ? 1 : 0)) << length;
  }
}
