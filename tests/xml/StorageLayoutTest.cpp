// The container's byte layout against an independent reader and writer.

#include <gtest/gtest.h>

#include "tests/xml/TestSupport.h"
#include "xml/Storage.h"

using namespace xmltest;

TEST(StorageLayout, SavedFilesAndFilesTheOracleWroteAgree) {
  const Streams document = {{"Index.xml", Pattern(100, 1)},
                            {"Page0001.xml", Pattern(50, 2)},
                            {"TMP0012345.jpg", Pattern(200000, 3)},  // spans several copy blocks
                            {"Fonts\xE9.dat", Pattern(7, 4)},        // a Windows-1252 name
                            {"Thumb0001.bmp", ""}};                   // empty, at the very end
  ScratchFolder folder;
  TsdStorage storage;
  for (std::size_t count : {std::size_t{2}, document.size()}) {  // the first two streams are the worked example
    storage.Clear();
    for (std::size_t i = 0; i < count; ++i) WriteStreamBytes(storage, document[i].first, document[i].second);
    storage.SaveToFile(folder.File("ours.stor"));
    const OracleContainer read = OracleRead(folder.File("ours.stor"), /*saved=*/true);
    EXPECT_EQ(read.Major * 10 + read.Minor, 11);
    EXPECT_EQ(read.Content, Streams(document.begin(), document.begin() + static_cast<std::ptrdiff_t>(count)));
    if (count == 2) {
      EXPECT_EQ(read.Positions, (std::vector<std::int64_t>{134, 234}));
    }
  }
  const std::string path = folder.File("oracle.stor");
  OracleWrite(path, document);
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
    EXPECT_EQ(StreamsOf(loaded), document);
  }
  EXPECT_EQ(OracleRead(path, true).DirectoryOffset, 69) << "reading in place changes nothing on disk";
  std::string bytes = ReadFile(path);
  bytes[5] = 7;  // the minor version is not checked
  WriteFile(path, bytes);
  storage.OpenFile(path);
  EXPECT_EQ(StreamsOf(storage), document);
}

TEST(StorageLayout, InPlaceTheDirectoryMovesTo14AndTheDataOnlyWhenTheDirectoryGrowsIntoIt) {
  ScratchFolder folder;
  const std::string path = folder.File("inplace.stor");
  Streams streams = {{"Index.xml", Pattern(40, 7)}, {"Page0001.xml", Pattern(30, 8)}};
  OracleWrite(path, streams);
  const std::int64_t firstData = OracleRead(path, true).Positions.at(0);
  TsdStorage storage;
  storage.OpenFileInPlace(path);
  storage.RenameStream("Index.xml", "INDEX.XML");
  streams[0].first = "INDEX.XML";
  OracleContainer after = OracleRead(path, false);
  EXPECT_EQ(after.DirectoryOffset, 14);
  EXPECT_EQ(after.Content, streams);
  EXPECT_EQ(after.Positions.at(0), firstData);
  // 55 bytes lie between the new directory's end and the data: one more
  // entry of 32 bytes fits, the second pushes the first stream away.
  streams.insert(streams.end(), {{"Page0002.xml", Pattern(5, 9)}, {"Page0003.xml", Pattern(6, 10)}});
  WriteStreamBytes(storage, streams[2].first, streams[2].second);
  EXPECT_EQ(OracleRead(path, false).Positions.at(0), firstData);
  WriteStreamBytes(storage, streams[3].first, streams[3].second);
  after = OracleRead(path, false);
  EXPECT_EQ(after.Content, streams);
  EXPECT_NE(after.Positions.at(0), firstData);
}

TEST(StorageLayout, FirstFitPlacementInPlaceFollowsTheGaps) {
  ScratchFolder folder;
  TsdStorage storage;
  storage.OpenFileInPlace(folder.File("fit.stor"));
  WriteStreamBytes(storage, "A", Pattern(100, 1));  // an empty store: at 12 + 512
  WriteStreamBytes(storage, "B", Pattern(100, 2));
  WriteStreamBytes(storage, "C", Pattern(100, 3));
  WriteStreamBytes(storage, "A", Pattern(60, 4));   // fewer bytes: stays
  WriteStreamBytes(storage, "B", Pattern(150, 5));  // more: no gap holds it, so the end
  WriteStreamBytes(storage, "D", Pattern(80, 6));   // the first gap that holds it: after A
  const OracleContainer read = OracleRead(folder.File("fit.stor"), false);
  EXPECT_EQ(read.Positions, (std::vector<std::int64_t>{524, 824, 724, 584}));
  EXPECT_EQ(read.Content, (Streams{{"A", Pattern(60, 4)}, {"B", Pattern(150, 5)}, {"C", Pattern(100, 3)}, {"D", Pattern(80, 6)}}));
}
