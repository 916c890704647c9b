// The mapped-block stream against the framework's memory stream doing the
// same random writes, reads, seeks and resizes across block boundaries.

#include "document/resources/MapStream.h"

#include <gtest/gtest.h>

#include "platform/rtl/Exception.h"

#include <random>
#include <vector>

namespace {

TEST(MapStream, BehavesLikeAMemoryStream) {
  TMapStream mapped;
  TMemoryStream reference;
  const std::int64_t block = mapped.GetBlockSize();
  std::mt19937 random(5);
  const auto anySize = [&] { return static_cast<std::int64_t>(random() % (3 * block + 3)); };
  for (int step = 0; step < 3000; ++step) {
    SCOPED_TRACE(step);
    switch (random() % 4) {
      case 0: {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(anySize() / 4));
        for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
        const auto count = static_cast<std::int64_t>(bytes.size());
        ASSERT_EQ(mapped.Write(bytes.data(), count), reference.Write(bytes.data(), count));
        break;
      }
      case 1: {
        const std::int64_t count = anySize();
        std::vector<std::uint8_t> a(static_cast<std::size_t>(count)), b(static_cast<std::size_t>(count));
        ASSERT_EQ(mapped.Read(a.data(), count), reference.Read(b.data(), count));
        ASSERT_EQ(a, b);
        break;
      }
      case 2: {
        const std::int64_t to = anySize();
        ASSERT_EQ(mapped.Seek(to, TSeekOrigin::soBeginning), reference.Seek(to, TSeekOrigin::soBeginning));
        break;
      }
      default: {
        const std::int64_t size = anySize();
        mapped.SetSize(size);
        reference.SetSize(size);
        break;
      }
    }
    ASSERT_EQ(mapped.GetSize(), reference.GetSize());
    ASSERT_EQ(mapped.GetPosition(), reference.GetPosition());
  }
}

// A seek far past the end takes no memory; reading there gives nothing.
TEST(MapStream, SeekingPastTheEndDoesNotGrow) {
  TMapStream stream;
  stream.Seek(std::int64_t{1} << 50, TSeekOrigin::soBeginning);
  char byte = 0;
  EXPECT_EQ(stream.Read(&byte, 1), 0);
  EXPECT_EQ(stream.GetSize(), 0);
  EXPECT_THROW(stream.SetSize(std::int64_t{1} << 50), EOutOfMemory);
  EXPECT_EQ(stream.GetSize(), 0);
}

// Streams sharing blocks each behave like their own copy of the bytes.
TEST(MapStream, SharedBlocksAreCopiedBeforeAChange) {
  TMapStream first;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(first.GetBlockSize() * 2 + 7));
  std::mt19937 random(9);
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  first.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  TMapStream second, third;
  second.ShareFrom(first);
  third.ShareFrom(first);
  ASSERT_TRUE(second.SharesBlocksWith(first));
  const auto contents = [](TMapStream& stream) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(stream.GetSize()));
    stream.SetPosition(0);
    stream.ReadBuffer(out.data(), stream.GetSize());
    return out;
  };
  const std::uint8_t changed = static_cast<std::uint8_t>(bytes[5] + 1);
  second.SetPosition(5);
  second.WriteBuffer(&changed, 1);
  third.SetSize(3);
  first.Clear();
  EXPECT_EQ(contents(second)[5], changed);
  EXPECT_EQ(contents(second).size(), bytes.size());
  EXPECT_EQ(contents(third), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 3));
  EXPECT_EQ(first.GetSize(), 0);
  EXPECT_FALSE(second.SharesBlocksWith(third));
}

}  // namespace
