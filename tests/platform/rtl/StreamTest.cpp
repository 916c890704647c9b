#include "platform/rtl/Stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Exception.h"

TEST(MemoryStream, WritesGrowReadsStopAtTheEnd) {
  TMemoryStream stream;
  stream.WriteBuffer("abcdef", 6);
  stream.SetPosition(10);
  stream.WriteBuffer("z", 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(stream.Memory()), 11), std::string("abcdef\0\0\0\0z", 11));
  stream.SetPosition(4);
  char buffer[16] = {};
  EXPECT_EQ(stream.Read(buffer, 16), 7);
  EXPECT_EQ(stream.Read(buffer, 16), 0);
  stream.SetPosition(9);
  EXPECT_THROW(stream.ReadBuffer(buffer, 3), EReadError);
  stream.SetPosition(-5);
  EXPECT_EQ(stream.Read(buffer, 1), 0);
  EXPECT_THROW(stream.WriteBuffer("x", 1), EWriteError);
  EXPECT_EQ(stream.GetSize(), 11);
}

TEST(MemoryStream, LittleEndianFieldsHaveTheirByteOrder) {
  TMemoryStream stream;
  rtl::WriteLE<std::uint32_t>(stream, 0x53544F52u);
  rtl::WriteLE<std::int16_t>(stream, -2);
  rtl::WriteLE<float>(stream, 1.0f);
  const std::uint8_t expected[] = {0x52, 0x4F, 0x54, 0x53, 0xFE, 0xFF, 0x00, 0x00, 0x80, 0x3F};
  ASSERT_EQ(stream.GetSize(), 10);
  EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), stream.Memory()));
  stream.SetPosition(0);
  EXPECT_EQ(rtl::ReadLE<std::uint32_t>(stream), 0x53544F52u);
  EXPECT_EQ(rtl::ReadLE<std::int16_t>(stream), -2);
  EXPECT_EQ(rtl::ReadLE<float>(stream), 1.0f);
  EXPECT_THROW(rtl::ReadLE<std::uint8_t>(stream), EReadError);
}

TEST(FileStream, CreatesReadsAndReportsMissingFiles) {
  char path[] = "/tmp/rtl_stream_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  {
    TFileStream out(path, fmCreate);
    out.WriteBuffer("hello world", 11);
    out.SetSize(5);
  }
  std::ifstream check(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(check), {}), "hello");
  TFileStream in(path, fmOpenRead);
  TMemoryStream copy;
  EXPECT_EQ(copy.CopyFrom(in, 0), 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy.Memory()), 5), "hello");
  std::remove(path);
  try {
    TFileStream missing(path, fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(std::string(e.what()).rfind(std::string("Cannot open file \"") + path + "\". ", 0), 0u);
  }
  EXPECT_THROW(TFileStream("/nonexistent-dir/x", fmCreate), EFCreateError);
  EXPECT_THROW(TFileStream("/tmp", fmOpenRead), EFOpenError);
}
