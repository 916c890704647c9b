// Containers whose header and directory lie: every one is refused with a
// clear error, never read past its end, and never makes the reader allocate
// what the file claims.

#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "platform/rtl/BinaryIO.h"
#include "platform/rtl/Format.h"
#include "tests/xml/AllocationProbe.h"
#include "tests/xml/StorageTestSupport.h"
#include "xml/Storage.h"
#include "xml/StorageError.h"

using namespace storage_test;

namespace {

// Builds container bytes field by field, as a hostile writer would.
class Builder {
public:
  Builder& Text(const std::string& text) {
    Stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    return *this;
  }
  Builder& Header(std::int64_t directoryOffset) {
    Text("STOR");
    rtl::WriteLE<std::uint8_t>(Stream, 1);
    rtl::WriteLE<std::uint8_t>(Stream, 1);
    rtl::WriteLE<std::int64_t>(Stream, directoryOffset);
    return *this;
  }
  Builder& Count(std::int32_t count) {
    rtl::WriteLE<std::int32_t>(Stream, count);
    return *this;
  }
  Builder& Entry(std::int64_t position, std::int64_t size, std::int32_t nameLength, const std::string& name) {
    rtl::WriteLE<std::int64_t>(Stream, position);
    rtl::WriteLE<std::int64_t>(Stream, size);
    rtl::WriteLE<std::int32_t>(Stream, nameLength);
    return Text(name);
  }
  std::string Bytes() {
    return std::string(reinterpret_cast<const char*>(Stream.Memory()), static_cast<std::size_t>(Stream.GetSize()));
  }

private:
  TMemoryStream Stream;
};

// Directory at 14 with one entry "A" (21 bytes), data from 39.
constexpr std::int64_t kDataStart = 14 + 4 + 21;

std::string OneStream(std::int64_t position, std::int64_t size, std::size_t fileSize) {
  std::string bytes = Builder().Header(14).Count(1).Entry(position, size, 1, "A").Bytes();
  bytes.resize(std::max(bytes.size(), fileSize), 'd');
  return bytes;
}

// Loads bytes through each entry point; each must refuse them with
// EStorageError whose message starts with expected, leave an empty usable
// container, and leave the file untouched.
void ExpectRefused(const std::string& bytes, const std::string& expected) {
  SCOPED_TRACE(expected);
  ScratchFolder folder;
  const std::string path = folder.File("hostile.stor");
  WriteFile(path, bytes);
  TsdStorage storage;
  const std::function<void()> opens[] = {
      [&] { storage.OpenFile(path); },
      [&] { storage.OpenFileInPlace(path); },
      [&] {
        BytesStream stream(bytes);
        storage.LoadFromStream(stream);
      },
  };
  for (const auto& open : opens) {
    WriteStreamBytes(storage, "before", "x");
    ResetLargestAllocation();
    try {
      open();
      ADD_FAILURE() << "accepted";
    } catch (const EStorageError& e) {
      EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected) << e.what();
    }
    EXPECT_LT(LargestAllocation(), bytes.size() + 70000) << "an allocation was sized by the file";
    EXPECT_EQ(storage.GetStreamCount(), 0);
    EXPECT_EQ(storage.GetFileName(), "");
    EXPECT_EQ(ReadFile(path), bytes);
  }
  WriteStreamBytes(storage, "after", "y");
  EXPECT_EQ(ReadStreamBytes(storage, "after"), "y");
}

}  // namespace

TEST(StorageHostile, ForeignAndCutHeaders) {
  ExpectRefused("", "File is not a storage file");
  ExpectRefused("ST", "File is not a storage file");
  ExpectRefused("PK\x03\x04 not a container at all", "File is not a storage file");
  ExpectRefused("STOR", "Storage file is corrupt (header cut short)");
  ExpectRefused(std::string("STOR\x01\x01\x0E\x00\x00", 9), "Storage file is corrupt (header cut short)");
}

TEST(StorageHostile, DirectoryOffsetsThatLie) {
  ExpectRefused(Builder().Header(6).Count(0).Bytes(), "Storage file is corrupt (directory offset 6)");
  ExpectRefused(Builder().Header(-1).Count(0).Bytes(), "Storage file is corrupt (directory offset -1)");
  ExpectRefused(Builder().Header(4294967296 + 14).Count(0).Bytes(),
                "Storage file is corrupt (directory offset 4294967310)");
  ExpectRefused(Builder().Header(std::numeric_limits<std::int64_t>::max()).Count(0).Bytes(),
                "Storage file is corrupt (directory offset");
  ExpectRefused(Builder().Header(16).Count(0).Bytes(), "Storage file is corrupt (directory cut short)");
}

TEST(StorageHostile, CountsAndNameLengthsThatLie) {
  ExpectRefused(Builder().Header(14).Count(-1).Bytes(), "Storage file is corrupt (directory count -1)");
  ExpectRefused(Builder().Header(14).Count(0x7FFFFFFF).Text(std::string(200, 'x')).Bytes(),
                "Storage file is corrupt (directory count 2147483647)");
  ExpectRefused(Builder().Header(14).Count(2).Entry(60, 0, 1, "A").Bytes(),
                "Storage file is corrupt (directory count 2)");
  ExpectRefused(Builder().Header(14).Count(1).Entry(60, 0, -5, "").Bytes(),
                "Storage file is corrupt (stream name length -5)");
  ExpectRefused(Builder().Header(14).Count(1).Entry(60, 0, 0x7FFFFFFF, "abc").Bytes(),
                "Storage file is corrupt (stream name length 2147483647)");
  ExpectRefused(Builder().Header(14).Count(1).Entry(60, 0, 4, "abc").Bytes(),
                "Storage file is corrupt (stream name length 4)");
}

TEST(StorageHostile, StreamsOutsideTheDataArea) {
  const std::string outside = "Storage file is corrupt (stream \"A\" lies outside the file)";
  ExpectRefused(OneStream(-1, 1, 100), outside);
  ExpectRefused(OneStream(kDataStart, -1, 100), outside);
  ExpectRefused(OneStream(kDataStart, 62, 100), outside);
  ExpectRefused(OneStream(kDataStart, std::numeric_limits<std::int64_t>::max(), 100), outside);
  ExpectRefused(OneStream(std::numeric_limits<std::int64_t>::max(), 1, 100), outside);
  ExpectRefused(OneStream(101, 0, 100), outside);
  ExpectRefused(OneStream(0, 10, 100), outside);              // over the header
  ExpectRefused(OneStream(kDataStart - 1, 10, 100), outside);  // over the directory
  ExpectRefused(OneStream(kDataStart, 1LL << 40, 100), outside);
}

TEST(StorageHostile, OverlappingStreams) {
  const std::int64_t dataStart = 14 + 4 + 21 + 21;
  std::string bytes = Builder().Header(14).Count(2).Entry(dataStart, 30, 1, "A").Entry(dataStart + 29, 5, 1, "B").Bytes();
  bytes.resize(200, 'd');
  ExpectRefused(bytes, "Storage file is corrupt (streams \"A\" and \"B\" overlap)");
  bytes = Builder().Header(14).Count(2).Entry(dataStart + 10, 5, 1, "A").Entry(dataStart, 100, 1, "B").Bytes();
  bytes.resize(200, 'd');
  ExpectRefused(bytes, "Storage file is corrupt (streams \"B\" and \"A\" overlap)");
}

TEST(StorageHostile, EdgesThatAreValid) {
  // An empty stream may sit at the very end; streams may touch.
  const std::int64_t dataStart = 14 + 4 + 21 + 21 + 21;
  std::string bytes = Builder()
                          .Header(14)
                          .Count(3)
                          .Entry(dataStart, 3, 1, "A")
                          .Entry(dataStart + 3, 2, 1, "B")
                          .Entry(dataStart + 5, 0, 1, "C")
                          .Text("abcde")
                          .Bytes();
  TsdStorage storage;
  BytesStream stream(bytes);
  storage.LoadFromStream(stream);
  EXPECT_EQ(ReadStreamBytes(storage, "A"), "abc");
  EXPECT_EQ(ReadStreamBytes(storage, "B"), "de");
  EXPECT_EQ(ReadStreamBytes(storage, "C"), "");
}

TEST(StorageHostile, EveryTruncationOfAValidFileIsRefused) {
  TsdStorage writer;
  WriteStreamBytes(writer, "Index.xml", Pattern(40, 1));
  WriteStreamBytes(writer, "Empty", "");
  WriteStreamBytes(writer, "Page0001.xml", Pattern(25, 2));
  TMemoryStream saved;
  writer.SaveToStream(saved);
  const std::string whole(reinterpret_cast<const char*>(saved.Memory()), static_cast<std::size_t>(saved.GetSize()));
  for (std::size_t length = 0; length < whole.size(); ++length) {
    TsdStorage storage;
    BytesStream cut(whole.substr(0, length));
    EXPECT_THROW(storage.LoadFromStream(cut), EStorageError) << length;
  }
}

TEST(StorageHostile, RandomDamageNeverCrashes) {
  TsdStorage writer;
  for (int i = 0; i < 6; ++i) WriteStreamBytes(writer, rtl::Format("S%d", i), Pattern(i * 11, i));
  TMemoryStream saved;
  writer.SaveToStream(saved);
  const std::string whole(reinterpret_cast<const char*>(saved.Memory()), static_cast<std::size_t>(saved.GetSize()));
  std::mt19937 random(1234);
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = whole;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int f = 0; f < flips; ++f) bytes[random() % bytes.size()] = static_cast<char>(random());
    TsdStorage storage;
    BytesStream stream(bytes);
    ResetLargestAllocation();
    try {
      storage.LoadFromStream(stream);
      ++accepted;
      for (int i = 0; i < storage.GetStreamCount(); ++i) {
        const std::string data = ReadStreamBytes(storage, storage.GetStreamName(i));
        EXPECT_LE(data.size(), bytes.size());
      }
      WriteStreamBytes(storage, "new", "n");
      TMemoryStream again;
      storage.SaveToStream(again);
    } catch (const EStorageError&) {
    }
    EXPECT_LT(LargestAllocation(), 200000u);
  }
  EXPECT_GT(accepted, 0);  // damage to data bytes alone is not noticed
}
