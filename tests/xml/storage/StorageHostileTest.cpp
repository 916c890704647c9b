// Containers whose header and directory lie: every one is refused with a
// clear error, never read past its end, and never makes the reader allocate
// what the file claims.

#include <gtest/gtest.h>

#include <limits>

#include "tests/xml/TestSupport.h"
#include "xml/storage/Storage.h"
#include "xml/storage/StorageError.h"

using namespace xmltest;

namespace {

constexpr std::int64_t kMaxSize = std::numeric_limits<std::int64_t>::max();

// Little-endian fields written by hand, as a hostile writer would.
std::string Le(std::int64_t value, int bytes) {
  std::string field;
  for (int i = 0; i < bytes; ++i) field += static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * i));
  return field;
}
std::string Header(std::int64_t directoryOffset) { return "STOR\x01\x01" + Le(directoryOffset, 8); }
std::string Entry(std::int64_t position, std::int64_t size, std::int32_t nameLength, const std::string& name) {
  return Le(position, 8) + Le(size, 8) + Le(nameLength, 4) + name;
}
std::string Padded(std::string bytes, std::size_t size) {
  bytes.resize(std::max(bytes.size(), size), 'd');
  return bytes;
}
// Directory at 14 with one entry "A" (21 bytes), data from 39, 100 bytes in all.
constexpr std::int64_t kData = 14 + 4 + 21;
std::string OneStream(std::int64_t position, std::int64_t size) {
  return Padded(Header(14) + Le(1, 4) + Entry(position, size, 1, "A"), 100);
}

}  // namespace

TEST(StorageHostile, LyingHeadersAndDirectoriesAreRefusedThroughEveryEntryPoint) {
  const std::string corrupt = "Storage file is corrupt (", outside = "stream \"A\" lies outside the file)";
  const std::pair<std::string, std::string> cases[] = {
      {"", "File is not a storage file"},
      {"STOR", corrupt + "header cut short)"},
      {"STOR\x02\x01" + Le(14, 8) + Le(0, 4), "File is wrong (future) version"},
      {Header(6) + Le(0, 4), corrupt + "directory offset 6)"},
      {Header(-1) + Le(0, 4), corrupt + "directory offset -1)"},
      {Header(4294967296 + 14) + Le(0, 4), corrupt + "directory offset 4294967310)"},
      {Header(kMaxSize) + Le(0, 4), corrupt + "directory offset"},
      {Header(16) + Le(0, 4), corrupt + "directory cut short)"},
      {Header(14) + Le(-1, 4), corrupt + "directory count -1)"},
      {Header(14) + Le(0x7FFFFFFF, 4) + std::string(200, 'x'), corrupt + "directory count 2147483647)"},
      {Header(14) + Le(2, 4) + Entry(60, 0, 1, "A"), corrupt + "directory count 2)"},
      {Header(14) + Le(1, 4) + Entry(60, 0, -5, ""), corrupt + "stream name length -5)"},
      {Header(14) + Le(1, 4) + Entry(60, 0, 0x7FFFFFFF, "abc"), corrupt + "stream name length 2147483647)"},
      {Header(14) + Le(1, 4) + Entry(60, 0, 4, "abc"), corrupt + "stream name length 4)"},
      {OneStream(-1, 1), corrupt + outside},
      {OneStream(kData, -1), corrupt + outside},
      {OneStream(kData, 62), corrupt + outside},
      {OneStream(kData, kMaxSize), corrupt + outside},
      {OneStream(kMaxSize, 1), corrupt + outside},
      {OneStream(0, 10), corrupt + outside},         // over the header
      {OneStream(kData - 1, 10), corrupt + outside},  // over the directory
      {Padded(Header(14) + Le(2, 4) + Entry(kData + 21, 30, 1, "A") + Entry(kData + 50, 5, 1, "B"), 200),
       corrupt + "streams \"A\" and \"B\" overlap)"},
      {Padded(Header(14) + Le(2, 4) + Entry(kData + 31, 5, 1, "A") + Entry(kData + 21, 100, 1, "B"), 200),
       corrupt + "streams \"B\" and \"A\" overlap)"},
      // One name listed twice, its letters in another case: reading by name
      // could only ever reach the first.
      {Padded(Header(14) + Le(2, 4) + Entry(82, 5, 12, "Page0001.xml") + Entry(87, 5, 12, "pAGE0001.XML"), 200),
       corrupt + "stream \"pAGE0001.XML\" named twice)"},
      {Padded(Header(14) + Le(3, 4) + Entry(81, 0, 1, "B") + Entry(81, 0, 1, "a") + Entry(81, 0, 1, "A"), 100),
       corrupt + "stream \"A\" named twice)"},
  };
  ScratchFolder folder;
  const std::string path = folder.File("hostile.stor");
  for (const auto& [bytes, expected] : cases) {
    SCOPED_TRACE(expected);
    WriteFile(path, bytes);
    TsdStorage storage;
    const std::function<void()> opens[] = {[&] { storage.OpenFile(path); },
                                           [&] { storage.OpenFileInPlace(path); },
                                           [&, &bytes = bytes] {
                                             BytesStream stream(bytes);
                                             storage.LoadFromStream(stream);
                                           }};
    for (const auto& open : opens) {
      WriteStreamBytes(storage, "before", "x");
      ResetLargestAllocation();
      const std::string message = MessageOf(open);
      EXPECT_TRUE(message.starts_with(expected)) << message;
      EXPECT_LT(LargestAllocation(), bytes.size() + 70000) << "an allocation was sized by the file";
      EXPECT_EQ(storage.GetStreamCount(), 0);
      EXPECT_EQ(storage.GetFileName(), "");
      EXPECT_EQ(ReadFile(path), bytes);
    }
    WriteStreamBytes(storage, "after", "y");
    EXPECT_EQ(ReadStreamBytes(storage, "after"), "y");
  }
}

// (Random damage is the fuzz target's work.)
TEST(StorageHostile, EveryTruncationIsRefused) {
  TsdStorage writer;
  for (int i = 0; i < 6; ++i) WriteStreamBytes(writer, std::string(i + 1, 'S'), Pattern(i * 11, i));
  TMemoryStream saved;
  writer.SaveToStream(saved);
  const std::string whole = Text(saved);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    TsdStorage storage;
    BytesStream cut(whole.substr(0, length));
    EXPECT_THROW(storage.LoadFromStream(cut), EStorageError) << length;
  }
}
