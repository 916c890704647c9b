// The container's byte layout against an independent reader and writer.

#include <gtest/gtest.h>

#include "tests/xml/TestSupport.h"
#include "xml/Storage.h"

using namespace xmltest;

namespace {

const std::vector<std::pair<std::string, std::string>> kDocument = {
    {"Index.xml", Pattern(100, 1)},
    {"Page0001.xml", Pattern(50, 2)},
    {"Thumb0001.bmp", ""},
    {"TMP0012345.jpg", Pattern(200000, 3)},  // spans several copy blocks
    {"Fonts\xE9.dat", Pattern(7, 4)},        // a Windows-1252 name
};

}  // namespace

TEST(StorageLayout, TheWorkedExamplePlacesTwoStreamsAt134And234) {
  TsdStorage storage;
  WriteStreamBytes(storage, "Index.xml", Pattern(100, 5));
  WriteStreamBytes(storage, "Page0001.xml", Pattern(50, 6));
  TMemoryStream saved;
  storage.SaveToStream(saved);
  ScratchFolder folder;
  saved.SaveToFile(folder.File("two.stor"));
  const OracleContainer read = OracleRead(folder.File("two.stor"), true);
  ASSERT_EQ(read.Entries.size(), 2u);
  EXPECT_EQ(read.Entries[0].Position, 134);
  EXPECT_EQ(read.Entries[1].Position, 234);
  EXPECT_EQ(saved.GetSize(), 284);
}

TEST(StorageLayout, SavedFilesAndFilesTheOracleWroteAgree) {
  ScratchFolder folder;
  TsdStorage storage;
  for (const auto& [name, data] : kDocument) WriteStreamBytes(storage, name, data);
  storage.SaveToFile(folder.File("ours.stor"));
  const OracleContainer read = OracleRead(folder.File("ours.stor"), /*saved=*/true);
  EXPECT_EQ(read.Major * 10 + read.Minor, 11);
  ASSERT_EQ(read.Entries.size(), kDocument.size());
  for (std::size_t i = 0; i < kDocument.size(); ++i) {
    EXPECT_EQ(read.Entries[i].Name, kDocument[i].first);
    EXPECT_EQ(read.Entries[i].Data, kDocument[i].second);
  }

  const std::string path = folder.File("oracle.stor");
  OracleWrite(path, kDocument);
  const std::function<void(TsdStorage&)> opens[] = {
      [&](TsdStorage& s) { s.OpenFile(path); },
      [&](TsdStorage& s) { s.OpenFileInPlace(path); },
      [&](TsdStorage& s) {
        BytesStream file(ReadFile(path));
        s.LoadFromStream(file);
      }};
  for (const auto& open : opens) {
    TsdStorage loaded;
    open(loaded);
    ASSERT_EQ(loaded.GetStreamCount(), static_cast<int>(kDocument.size()));
    for (std::size_t i = 0; i < kDocument.size(); ++i) {
      EXPECT_EQ(loaded.GetStreamName(static_cast<int>(i)), kDocument[i].first);
      EXPECT_EQ(ReadStreamBytes(loaded, kDocument[i].first), kDocument[i].second);
    }
  }
  EXPECT_EQ(OracleRead(path, true).DirectoryOffset, 69) << "reading in place changes nothing on disk";

  std::string bytes = ReadFile(path);
  bytes[5] = 7;  // the minor version is not checked
  WriteFile(path, bytes);
  storage.OpenFile(path);
  EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), kDocument[0].second);
}

TEST(StorageLayout, InPlaceTheDirectoryMovesTo14AndTheDataOnlyWhenTheDirectoryGrowsIntoIt) {
  ScratchFolder folder;
  const std::string path = folder.File("inplace.stor");
  OracleWrite(path, {{"Index.xml", Pattern(40, 7)}, {"Page0001.xml", Pattern(30, 8)}});
  const std::int64_t firstData = OracleRead(path, true).Entries.at(0).Position;
  TsdStorage storage;
  storage.OpenFileInPlace(path);
  storage.RenameStream("Index.xml", "INDEX.XML");
  OracleContainer after = OracleRead(path, false);
  EXPECT_EQ(after.DirectoryOffset, 14);
  EXPECT_EQ(after.Entries.at(0).Name, "INDEX.XML");
  EXPECT_EQ(after.Entries.at(0).Position, firstData);
  // 55 bytes lie between the new directory's end and the data: one more
  // entry of 32 bytes fits, the second pushes the first stream away.
  WriteStreamBytes(storage, "Page0002.xml", Pattern(5, 9));
  EXPECT_EQ(OracleRead(path, false).Entries.at(0).Position, firstData);
  WriteStreamBytes(storage, "Page0003.xml", Pattern(6, 10));
  after = OracleRead(path, false);
  ASSERT_EQ(after.Entries.size(), 4u);
  EXPECT_NE(after.Entries[0].Position, firstData);
  EXPECT_EQ(after.Entries[0].Data, Pattern(40, 7));
  EXPECT_EQ(after.Entries[1].Data, Pattern(30, 8));
  EXPECT_EQ(after.Entries[3].Data, Pattern(6, 10));
}

TEST(StorageLayout, FirstFitPlacementInPlaceFollowsTheGaps) {
  ScratchFolder folder;
  const std::string path = folder.File("fit.stor");
  TsdStorage storage;
  storage.OpenFileInPlace(path);
  WriteStreamBytes(storage, "A", Pattern(100, 1));  // an empty store: at 12 + 512
  WriteStreamBytes(storage, "B", Pattern(100, 2));
  WriteStreamBytes(storage, "C", Pattern(100, 3));
  WriteStreamBytes(storage, "A", Pattern(60, 4));   // fewer bytes: stays
  WriteStreamBytes(storage, "B", Pattern(150, 5));  // more: no gap holds it, so the end
  WriteStreamBytes(storage, "D", Pattern(80, 6));   // the first gap that holds it: after A
  const OracleContainer read = OracleRead(path, false);
  const std::int64_t positions[] = {524, 824, 724, 584};
  const std::string data[] = {Pattern(60, 4), Pattern(150, 5), Pattern(100, 3), Pattern(80, 6)};
  ASSERT_EQ(read.Entries.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(read.Entries[i].Position, positions[i]);
    EXPECT_EQ(read.Entries[i].Data, data[i]);
  }
}
