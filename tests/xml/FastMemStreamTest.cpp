#include "xml/FastMemStream.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/rtl/Exception.h"

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(FastMemStream, CapacityGrowsTo8192ThenByFourReckonedIn64Bits) {
  TFastMemStream stream;
  EXPECT_EQ(stream.Write(std::string(10000, 'b').data(), 10000), 10000);
  EXPECT_EQ(stream.GetCapacity(), 32768);
  const std::pair<std::int64_t, std::int64_t> capacities[] = {
      {0, 0}, {1, 8192}, {8193, 32768}, {std::int64_t{1} << 31, std::int64_t{1} << 31},
      {(std::int64_t{1} << 31) + 1, std::int64_t{1} << 33}, {kMax - 5, kMax - 5}};  // past the last power: the size
  for (const auto& [size, capacity] : capacities) EXPECT_EQ(TFastMemStream::CapacityFor(size), capacity) << size;
}

TEST(FastMemStream, PositionsAreNotClampedAndNegativeOnesMoveNoByte) {
  TFastMemStream stream;
  stream.WriteBuffer("abcdef", 6);
  char buffer[16] = {};
  stream.SetPosition(4);
  EXPECT_EQ(stream.Read(buffer, 16), 2);
  stream.SetPosition(-3);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  EXPECT_EQ(stream.Write("x", 1), 0);
  stream.SetPosition(0);
  EXPECT_EQ(stream.Read(buffer, -1), 0);
  EXPECT_EQ(stream.Write("x", -1), 0);
  stream.SetPosition(6);
  stream.SetSize(3);
  EXPECT_EQ(stream.GetPosition(), 3) << "a position past the new size moves to the end";
  EXPECT_EQ(stream.Seek(2, TSeekOrigin::soEnd), 5);
  stream.WriteBuffer("z", 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 6), std::string("abc\0\0z", 6));
  EXPECT_THROW(stream.Seek(kMax, TSeekOrigin::soEnd), EStreamError);
  EXPECT_THROW(stream.SetSize(-1), EStreamError);
  stream.SetPosition(kMax);
  EXPECT_EQ(stream.Write("x", 1), 0);  // its end would overflow
  stream.SetPosition(std::int64_t{5} << 30);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
}
