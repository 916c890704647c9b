#include "xml/FastMemStream.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"

TEST(FastMemStream, CapacityGrowsTo8192ThenByFour) {
  TFastMemStream stream;
  EXPECT_EQ(stream.GetCapacity(), 0);
  stream.WriteBuffer(std::string(100, 'a').data(), 100);
  EXPECT_EQ(stream.GetCapacity(), 8192);
  const std::string big(10000, 'b');
  TFastMemStream fresh;
  EXPECT_EQ(fresh.Write(big.data(), 10000), 10000);
  EXPECT_EQ(fresh.GetCapacity(), 32768);
  EXPECT_EQ(fresh.GetSize(), 10000);
  fresh.SetSize(32769);
  EXPECT_EQ(fresh.GetCapacity(), 131072);
  fresh.SetSize(8192);
  EXPECT_EQ(fresh.GetCapacity(), 8192);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(fresh.Memory()), 8192), big.substr(0, 8192));
  fresh.SetSize(0);
  EXPECT_EQ(fresh.GetCapacity(), 0);
}

TEST(FastMemStream, CapacityIsReckonedIn64Bits) {
  EXPECT_EQ(TFastMemStream::CapacityFor(0), 0);
  EXPECT_EQ(TFastMemStream::CapacityFor(1), 8192);
  EXPECT_EQ(TFastMemStream::CapacityFor(8193), 32768);
  EXPECT_EQ(TFastMemStream::CapacityFor(std::int64_t{1} << 31), std::int64_t{1} << 31);
  EXPECT_EQ(TFastMemStream::CapacityFor((std::int64_t{1} << 31) + 1), std::int64_t{1} << 33);
  EXPECT_EQ(TFastMemStream::CapacityFor(std::int64_t{5} << 30), std::int64_t{1} << 33);
  // Past the last power that fits, the capacity is the size itself.
  const std::int64_t huge = std::numeric_limits<std::int64_t>::max() - 5;
  EXPECT_EQ(TFastMemStream::CapacityFor(huge), huge);

  TFastMemStream stream;
  stream.Seek(std::int64_t{5} << 30, TSeekOrigin::soBeginning);
  EXPECT_EQ(stream.GetPosition(), std::int64_t{5} << 30);
  char byte = 0;
  EXPECT_EQ(stream.Read(&byte, 1), 0);
}

TEST(FastMemStream, ReadsStopAtTheEndAndRefuseNegativePositions) {
  TFastMemStream stream;
  stream.WriteBuffer("abcdef", 6);
  char buffer[16] = {};
  stream.SetPosition(4);
  EXPECT_EQ(stream.Read(buffer, 16), 2);
  EXPECT_EQ(std::string(buffer, 2), "ef");
  EXPECT_EQ(stream.GetPosition(), 6);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  stream.SetPosition(-3);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  EXPECT_EQ(stream.Write("x", 1), 0);
  EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
  stream.SetPosition(0);
  EXPECT_EQ(stream.Read(buffer, -1), 0);
  EXPECT_EQ(stream.Write("x", -1), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 6), "abcdef");
}

TEST(FastMemStream, SeeksAreNotClampedAndWritesPastTheEndLeaveZeros) {
  TFastMemStream stream;
  stream.WriteBuffer("ab", 2);
  EXPECT_EQ(stream.Seek(3, TSeekOrigin::soEnd), 5);
  stream.WriteBuffer("z", 1);
  EXPECT_EQ(stream.GetSize(), 6);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 6), std::string("ab\0\0\0z", 6));
  EXPECT_EQ(stream.Seek(-2, TSeekOrigin::soCurrent), 4);
  EXPECT_EQ(stream.Seek(1, TSeekOrigin::soBeginning), 1);
  EXPECT_THROW(stream.Seek(std::numeric_limits<std::int64_t>::max(), TSeekOrigin::soEnd), EStreamError);
  stream.SetPosition(std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(stream.Write("x", 1), 0);  // its end would overflow
}

TEST(FastMemStream, ShrinkingMovesThePositionToTheEndAndGrowingZeroes) {
  TFastMemStream stream;
  stream.WriteBuffer("abcdef", 6);
  stream.SetSize(3);
  EXPECT_EQ(stream.GetPosition(), 3);
  stream.SetSize(5);
  EXPECT_EQ(stream.GetPosition(), 3);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 5), std::string("abc\0\0", 5));
  EXPECT_THROW(stream.SetSize(-1), EStreamError);
}

TEST(FastMemStream, WorksWithTheFieldHelpersAndCopy) {
  TFastMemStream stream;
  for (std::int32_t i = 0; i < 5000; ++i) rtl::WriteLE<std::int32_t>(stream, i * 7);
  EXPECT_EQ(stream.GetSize(), 20000);
  TMemoryStream copy;
  copy.CopyFrom(stream, 0);
  copy.SetPosition(4 * 4321);
  EXPECT_EQ(rtl::ReadLE<std::int32_t>(copy), 4321 * 7);
}
