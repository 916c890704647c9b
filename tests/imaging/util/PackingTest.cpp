#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <random>
#include <vector>

#include "imaging/util/Packing.h"

using namespace imaging;
using Bytes = std::vector<std::uint8_t>;

namespace {

using Packer = std::function<int(std::uint8_t*, std::size_t, std::uint8_t*, std::size_t, std::size_t&)>;
using Unpacker = std::function<int(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t, std::size_t&)>;

struct TCodec {
  const char* Name;
  Packer Pack;
  Unpacker Unpack;
};

const TCodec cCodecs[] = {
    {"run-length",
     [](std::uint8_t* s, std::size_t n, std::uint8_t* d, std::size_t cap, std::size_t& out) {
       return RlePack(s, n, d, cap, out);
     },
     RleUnpack},
    {"frequency-class",
     [](std::uint8_t* s, std::size_t n, std::uint8_t* d, std::size_t cap, std::size_t& out) {
       return FrequencyPack(s, n, d, cap, out);
     },
     FrequencyUnpack},
    {"delta frequency-class", DeltaFrequencyPack, DeltaFrequencyUnpack},
};

// Packs into a buffer of exactly PackedSizeBound bytes, checks the output
// fits it and unpacks into a buffer of exactly the input's size.
void ExpectRoundTrip(const TCodec& codec, const Bytes& input) {
  const std::size_t bound = PackedSizeBound(input.size());
  auto scratch = std::make_unique<std::uint8_t[]>(input.size() + 1);
  std::copy(input.begin(), input.end(), scratch.get());
  auto packed = std::make_unique<std::uint8_t[]>(bound);
  std::size_t packedSize = 0;
  ASSERT_EQ(codec.Pack(scratch.get(), input.size(), packed.get(), bound, packedSize), cPackOk)
      << codec.Name << ", " << input.size() << " bytes";
  ASSERT_LE(packedSize, bound);
  auto unpacked = std::make_unique<std::uint8_t[]>(input.size() + 1);
  std::size_t unpackedSize = 0;
  ASSERT_EQ(codec.Unpack(packed.get(), packedSize, unpacked.get(), input.size(), unpackedSize), cPackOk)
      << codec.Name << ", " << input.size() << " bytes";
  ASSERT_EQ(unpackedSize, input.size());
  ASSERT_TRUE(std::equal(input.begin(), input.end(), unpacked.get())) << codec.Name << ", " << input.size();
}

Bytes RandomBytes(std::mt19937& random, std::size_t count, unsigned spread) {
  Bytes bytes(count);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random() % spread);
  return bytes;
}

// Every value equally often: the frequency-class packer's worst case.
Bytes EvenlySpread(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 151 + i / 256);
  return bytes;
}

// Runs of three, each costing a run record and a one-byte literal: the
// run-length packer's worst case.
Bytes RunsOfThree(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i / 3);
  return bytes;
}

// The planes as an image file stores them: delta, frequency class, run
// length, frequency class, each stage sized by PackedSizeBound.
Bytes PackImageChain(Bytes raw) {
  std::size_t size = 0;
  EXPECT_EQ(DeltaEncode(raw.data(), raw.size(), raw.data()), cPackOk);
  Bytes first(PackedSizeBound(raw.size()));
  EXPECT_EQ(FrequencyPack(raw.data(), raw.size(), first.data(), first.size(), size), cPackOk);
  first.resize(size);
  Bytes second(PackedSizeBound(first.size()));
  EXPECT_EQ(RlePack(first.data(), first.size(), second.data(), second.size(), size), cPackOk);
  second.resize(size);
  Bytes third(PackedSizeBound(second.size()));
  EXPECT_EQ(FrequencyPack(second.data(), second.size(), third.data(), third.size(), size), cPackOk);
  third.resize(size);
  return third;
}

Bytes UnpackImageChain(const Bytes& packed, std::size_t rawSize) {
  std::size_t size = 0;
  Bytes first(PackedSizeBound(rawSize));
  EXPECT_EQ(FrequencyUnpack(packed.data(), packed.size(), first.data(), first.size(), size), cPackOk);
  Bytes second(PackedSizeBound(rawSize));
  EXPECT_EQ(RleUnpack(first.data(), size, second.data(), second.size(), size), cPackOk);
  Bytes raw(rawSize + 1);
  EXPECT_EQ(FrequencyUnpack(second.data(), size, raw.data(), rawSize, size), cPackOk);
  raw.resize(size);
  EXPECT_EQ(DeltaDecode(raw.data(), raw.size(), raw.data()), cPackOk);
  return raw;
}

}  // namespace

TEST(Delta, WorkedExampleAndWrapAround) {
  Bytes bytes{10, 20, 30};
  ASSERT_EQ(DeltaEncode(bytes.data(), bytes.size(), bytes.data()), cPackOk);
  EXPECT_EQ(bytes, (Bytes{10, 10, 10}));
  ASSERT_EQ(DeltaDecode(bytes.data(), bytes.size(), bytes.data()), cPackOk);
  EXPECT_EQ(bytes, (Bytes{10, 20, 30}));
  const Bytes wrapping{250, 5, 0, 255};
  Bytes encoded(4), decoded(4);
  ASSERT_EQ(DeltaEncode(wrapping.data(), 4, encoded.data()), cPackOk);
  EXPECT_EQ(encoded, (Bytes{250, 11, 251, 255}));
  ASSERT_EQ(DeltaDecode(encoded.data(), 4, decoded.data()), cPackOk);
  EXPECT_EQ(decoded, wrapping);
  EXPECT_EQ(DeltaEncode(nullptr, 4, encoded.data()), cPackNoSource);
  EXPECT_EQ(DeltaDecode(wrapping.data(), 4, nullptr), cPackNoDest);
}

TEST(DeltaFrequencyPack, LeavesTheSourceDeltaEncodedAndRefusesBeforeTouchingIt) {
  Bytes source{10, 20, 30};
  Bytes out(PackedSizeBound(3));
  std::size_t size = 0;
  EXPECT_EQ(DeltaFrequencyPack(source.data(), 3, nullptr, out.size(), size), cPackNoDest);
  EXPECT_EQ(source, (Bytes{10, 20, 30}));
  ASSERT_EQ(DeltaFrequencyPack(source.data(), 3, out.data(), out.size(), size), cPackOk);
  EXPECT_EQ(source, (Bytes{10, 10, 10}));
  // A single value repeated: only rank 0 is used.
  EXPECT_EQ(out[13], 10);
  EXPECT_EQ(out[12], 19);
}

TEST(PackedSizeBound, IsATrueBoundAndSaturates) {
  EXPECT_EQ(PackedSizeBound(0), 273u);
  EXPECT_EQ(PackedSizeBound(1), 274u);
  EXPECT_EQ(PackedSizeBound(3000), 3000u + 1000 + 273);
  constexpr std::size_t cMax = std::numeric_limits<std::size_t>::max();
  EXPECT_EQ(PackedSizeBound(cMax), cMax);
  EXPECT_EQ(PackedSizeBound(cMax / 2), cMax / 2 + cMax / 6 + 273);
  EXPECT_EQ(PackedSizeBound(cMax / 4 * 3), cMax);
  std::size_t size = 0;
  for (std::size_t count : {1, 2, 255, 256, 3000, 65536}) {
    const Bytes runs = RunsOfThree(count);
    Bytes out(PackedSizeBound(count));
    ASSERT_EQ(RlePack(runs.data(), count, out.data(), out.size(), size), cPackOk);
    // Its worst case: four bytes for every three.
    if (count >= 3) {
      EXPECT_GE(size, count + count / 3 - 2) << count;
    }
    const Bytes even = EvenlySpread(count);
    ASSERT_EQ(FrequencyPack(even.data(), count, out.data(), out.size(), size), cPackOk);
    EXPECT_LE(size, PackedSizeBound(count));
    if (count >= 65536) {
      EXPECT_GE(size, count * 2474 / 2048) << count;
    }
  }
}

TEST(Packers, RoundTripEverySizeFromZeroWithinTheBound) {
  std::mt19937 random(2024);
  for (const TCodec& codec : cCodecs) {
    for (std::size_t count = 0; count <= 700; ++count) {
      ExpectRoundTrip(codec, RandomBytes(random, count, 256));
      ExpectRoundTrip(codec, RandomBytes(random, count, 1 + count % 7));
    }
    for (std::size_t count : {4095, 4096, 100000}) {
      ExpectRoundTrip(codec, RandomBytes(random, count, 256));
      ExpectRoundTrip(codec, RandomBytes(random, count, 3));
      ExpectRoundTrip(codec, EvenlySpread(count));
      ExpectRoundTrip(codec, RunsOfThree(count));
      ExpectRoundTrip(codec, Bytes(count, 0x5A));
    }
  }
}

TEST(Packers, ImageChainRoundTripsPlanes) {
  std::mt19937 random(11);
  for (std::size_t pixels : {1, 2, 17, 640, 40000}) {
    Bytes raw(4 * pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
      raw[i] = 255;                                                           // opaque alpha
      raw[pixels + i] = static_cast<std::uint8_t>(i / 50);                    // smooth red
      raw[2 * pixels + i] = static_cast<std::uint8_t>(random() % 256);        // noisy green
      raw[3 * pixels + i] = static_cast<std::uint8_t>((i % 64) < 32 ? 0 : 200);  // stripes
    }
    const Bytes packed = PackImageChain(raw);
    EXPECT_EQ(UnpackImageChain(packed, raw.size()), raw) << pixels;
  }
  // Incompressible data through the whole chain.
  const Bytes noise = RandomBytes(random, 50000, 256);
  EXPECT_EQ(UnpackImageChain(PackImageChain(noise), noise.size()), noise);
}
