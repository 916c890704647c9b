// The byte layout against an independent reader and writer of the format.

#include <gtest/gtest.h>

#include "tests/xml/StorageTestSupport.h"
#include "xml/Storage.h"
#include "xml/StorageError.h"

using namespace storage_test;

namespace {

const std::vector<std::pair<std::string, std::string>> kDocument = {
    {"Index.xml", Pattern(100, 1)},
    {"Page0001.xml", Pattern(50, 2)},
    {"Thumb0001.bmp", ""},
    {"TMP0012345.jpg", Pattern(200000, 3)},  // spans several copy blocks
    {"Fonts\xE9.dat", Pattern(7, 4)},        // a Windows-1252 name
};

void ExpectHoldsDocument(TsdStorage& storage) {
  ASSERT_EQ(storage.GetStreamCount(), static_cast<int>(kDocument.size()));
  for (std::size_t i = 0; i < kDocument.size(); ++i) {
    EXPECT_EQ(storage.GetStreamName(static_cast<int>(i)), kDocument[i].first);
    EXPECT_EQ(ReadStreamBytes(storage, kDocument[i].first), kDocument[i].second) << kDocument[i].first;
  }
}

}  // namespace

TEST(StorageLayout, SavedFileIsPackedAfterTheDirectoryAsTheOracleReadsIt) {
  ScratchFolder folder;
  TsdStorage storage;
  for (const auto& [name, data] : kDocument) WriteStreamBytes(storage, name, data);
  storage.SaveToFile(folder.File("doc.stor"));

  const OracleContainer read = OracleRead(folder.File("doc.stor"), /*saved=*/true);
  EXPECT_EQ(read.Major, 1);
  EXPECT_EQ(read.Minor, 1);
  EXPECT_EQ(read.DirectoryOffset, 69);
  ASSERT_EQ(read.Entries.size(), kDocument.size());
  for (std::size_t i = 0; i < kDocument.size(); ++i) {
    EXPECT_EQ(read.Entries[i].Name, kDocument[i].first);
    EXPECT_EQ(read.Entries[i].Data, kDocument[i].second);
  }
  // 73 + (20 + 9) + (20 + 12) + ... : the first two positions worked by hand.
  std::int64_t first = 73;
  for (const auto& entry : kDocument) first += 20 + static_cast<std::int64_t>(entry.first.size());
  EXPECT_EQ(read.Entries[0].Position, first);
  EXPECT_EQ(read.Entries[1].Position, first + 100);
}

TEST(StorageLayout, TwoStreamsOfTheWorkedExampleLieAt134And234) {
  ScratchFolder folder;
  TsdStorage storage;
  WriteStreamBytes(storage, "Index.xml", Pattern(100, 5));
  WriteStreamBytes(storage, "Page0001.xml", Pattern(50, 6));
  TMemoryStream saved;
  storage.SaveToStream(saved);
  saved.SaveToFile(folder.File("two.stor"));
  const OracleContainer read = OracleRead(folder.File("two.stor"), true);
  ASSERT_EQ(read.Entries.size(), 2u);
  EXPECT_EQ(read.Entries[0].Position, 134);
  EXPECT_EQ(read.Entries[1].Position, 234);
  EXPECT_EQ(saved.GetSize(), 284);
}

TEST(StorageLayout, AFileTheOracleWroteReadsBackThroughEveryEntryPoint) {
  ScratchFolder folder;
  const std::string path = folder.File("oracle.stor");
  OracleWrite(path, kDocument);
  {
    TsdStorage storage;
    storage.OpenFile(path);
    ExpectHoldsDocument(storage);
  }
  {
    TsdStorage storage;
    TMemoryStream file;
    file.LoadFromFile(path);
    storage.LoadFromStream(file);
    ExpectHoldsDocument(storage);
  }
  {
    TsdStorage storage;
    storage.OpenFileInPlace(path);
    ExpectHoldsDocument(storage);
  }
  // Reading in place changes nothing on disk.
  EXPECT_EQ(OracleRead(path, true).DirectoryOffset, 69);
}

TEST(StorageLayout, InPlaceTheDirectoryMovesTo14AndTheDataOnlyWhenTheDirectoryGrowsIntoIt) {
  ScratchFolder folder;
  const std::string path = folder.File("inplace.stor");
  OracleWrite(path, {{"Index.xml", Pattern(40, 7)}, {"Page0001.xml", Pattern(30, 8)}});
  const OracleContainer before = OracleRead(path, true);
  TsdStorage storage;
  storage.OpenFileInPlace(path);

  storage.RenameStream("Index.xml", "INDEX.XML");
  OracleContainer after = OracleRead(path, false);
  EXPECT_EQ(after.DirectoryOffset, 14);
  ASSERT_EQ(after.Entries.size(), 2u);
  EXPECT_EQ(after.Entries[0].Name, "INDEX.XML");
  EXPECT_EQ(after.Entries[0].Position, before.Entries[0].Position);
  EXPECT_EQ(after.Entries[1].Position, before.Entries[1].Position);

  // 55 bytes lie between the new directory's end and the data: one more
  // entry of 32 bytes fits, the second pushes the first stream away.
  WriteStreamBytes(storage, "Page0002.xml", Pattern(5, 9));
  after = OracleRead(path, false);
  EXPECT_EQ(after.Entries[0].Position, before.Entries[0].Position);
  WriteStreamBytes(storage, "Page0003.xml", Pattern(6, 10));
  after = OracleRead(path, false);
  ASSERT_EQ(after.Entries.size(), 4u);
  EXPECT_NE(after.Entries[0].Position, before.Entries[0].Position);
  EXPECT_EQ(after.Entries[0].Data, Pattern(40, 7));
  EXPECT_EQ(after.Entries[1].Data, Pattern(30, 8));
  EXPECT_EQ(after.Entries[2].Data, Pattern(5, 9));
  EXPECT_EQ(after.Entries[3].Data, Pattern(6, 10));
}

TEST(StorageLayout, FirstFitPlacementInPlaceFollowsTheGaps) {
  ScratchFolder folder;
  const std::string path = folder.File("fit.stor");
  TsdStorage storage;
  storage.OpenFileInPlace(path);
  WriteStreamBytes(storage, "A", Pattern(100, 1));
  WriteStreamBytes(storage, "B", Pattern(100, 2));
  WriteStreamBytes(storage, "C", Pattern(100, 3));
  WriteStreamBytes(storage, "A", Pattern(60, 4));   // fewer bytes: stays
  WriteStreamBytes(storage, "B", Pattern(150, 5));  // more: no gap holds it, so the end
  WriteStreamBytes(storage, "D", Pattern(80, 6));   // first gap that holds it: after A

  const OracleContainer read = OracleRead(path, false);
  EXPECT_EQ(read.DirectoryOffset, 14);
  ASSERT_EQ(read.Entries.size(), 4u);
  // An empty store places its first stream at 12 + 512.
  EXPECT_EQ(read.Entries[0].Position, 524);
  EXPECT_EQ(read.Entries[1].Position, 824);
  EXPECT_EQ(read.Entries[2].Position, 724);
  EXPECT_EQ(read.Entries[3].Position, 584);
  EXPECT_EQ(read.Entries[0].Data, Pattern(60, 4));
  EXPECT_EQ(read.Entries[1].Data, Pattern(150, 5));
  EXPECT_EQ(read.Entries[2].Data, Pattern(100, 3));
  EXPECT_EQ(read.Entries[3].Data, Pattern(80, 6));
}

TEST(StorageLayout, VersionBytes) {
  ScratchFolder folder;
  const std::string path = folder.File("version.stor");
  OracleWrite(path, {{"Index.xml", "x"}});
  std::string bytes = ReadFile(path);
  bytes[5] = 7;  // the minor version is not checked
  WriteFile(path, bytes);
  TsdStorage storage;
  storage.OpenFile(path);
  EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), "x");

  bytes[4] = 2;
  WriteFile(path, bytes);
  try {
    storage.OpenFile(path);
    FAIL() << "a future version was accepted";
  } catch (const EStorageError& e) {
    EXPECT_STREQ(e.what(), "File is wrong (future) version");
  }
  EXPECT_EQ(storage.GetStreamCount(), 0);
}
