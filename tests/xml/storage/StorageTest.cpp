// Streams of the container: the byte layout against an independent reader
// and writer, names, file modes, saving over the source, the debug event and
// the lock.

#include "xml/storage/Storage.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/xml/TestSupport.h"

using namespace xmltest;

namespace {

// What another thread reads: it waits forever if the lock was kept.
std::string ReadOnAnotherThread(TsdStorage& storage, const std::string& name) {
  std::string bytes;
  std::thread([&] { bytes = ReadStreamBytes(storage, name); }).join();
  return bytes;
}

}  // namespace

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
  EXPECT_EQ(read.Content,
            (Streams{{"A", Pattern(60, 4)}, {"B", Pattern(150, 5)}, {"C", Pattern(100, 3)}, {"D", Pattern(80, 6)}}));
}

TEST(Storage, StreamsByNameWithoutRegardToCase) {
  TsdStorage storage;
  WriteStreamBytes(storage, "Index.xml", "first");
  WriteStreamBytes(storage, "index.XML", "second, longer");
  EXPECT_EQ(StreamsOf(storage), (Streams{{"index.XML", "second, longer"}}));
  BytesStream dest("a much longer previous content");
  storage.ReadStream("INDEX.xml", dest);
  EXPECT_EQ(Text(dest), "second, longer");
  EXPECT_EQ(MessageOf([&] { storage.ReadStream("Page0001.xml", dest); }),
            "Stream \"Page0001.xml\" not found in the storage");
  EXPECT_EQ(ReadOnAnotherThread(storage, "Index.xml"), "second, longer");
}

TEST(Storage, DeletingEveryStreamInPlaceKeepsTheHeaderAndDirectory) {
  ScratchFolder folder;
  const std::string path = folder.File("empty.stor");
  TsdStorage storage;
  storage.OpenFileInPlace(path);
  WriteStreamBytes(storage, "Index.xml", Pattern(300, 1));
  WriteStreamBytes(storage, "Page0001.xml", Pattern(30, 2));
  storage.DeleteStream("page0001.xml");
  EXPECT_EQ(static_cast<std::int64_t>(ReadFile(path).size()), OracleRead(path, false).Positions.at(0) + 300);
  storage.DeleteStream("Index.xml");
  EXPECT_EQ(ReadFile(path).size(), 18u);  // header, offset and an empty directory
  EXPECT_TRUE(OracleRead(path, false).Content.empty());
}

TEST(Storage, RenamingNeverMakesTwoStreamsOfOneName) {
  TsdStorage storage;
  WriteStreamBytes(storage, "Page0001.xml", "one");
  WriteStreamBytes(storage, "Page0002.xml", "two");
  EXPECT_EQ(MessageOf([&] { storage.RenameStream("Page0002.xml", "PAGE0001.XML"); }),
            "Stream \"PAGE0001.XML\" already exists in the storage");
  storage.RenameStream("page0002.xml", "PAGE0002.xml");  // a stream may change its own case
  EXPECT_EQ(StreamsOf(storage), (Streams{{"Page0001.xml", "one"}, {"PAGE0002.xml", "two"}}));
}

TEST(Storage, SourceStreamsAreCopiedOnDemandAndTheSourceIsNeverWritten) {
  ScratchFolder folder;
  const std::string source = folder.File("doc.stor");
  OracleWrite(source, {{"Index.xml", Pattern(70, 1)}, {"Page0001.xml", Pattern(90, 2)}});
  const std::string original = ReadFile(source);
  TsdStorage storage;
  storage.OpenFile(source);
  WriteStreamBytes(storage, "Page0002.xml", Pattern(20, 3));
  WriteStreamBytes(storage, "Index.xml", Pattern(10, 4));
  storage.SaveToFile(folder.File("copy.stor"));
  EXPECT_EQ(ReadFile(source), original);
  const Streams expected = {
      {"Index.xml", Pattern(10, 4)}, {"Page0001.xml", Pattern(90, 2)}, {"Page0002.xml", Pattern(20, 3)}};
  EXPECT_EQ(OracleRead(folder.File("copy.stor"), true).Content, expected);
  // Saving over the source (spelt another way) takes its streams over first.
  storage.SaveToFile(folder.File("./doc.stor"));
  EXPECT_EQ(storage.GetFileName(), "");
  EXPECT_EQ(OracleRead(source, true).Content, expected);
  EXPECT_EQ(StreamsOf(storage), expected);
}

TEST(Storage, FileNameAutoSaveAndInPlaceFiles) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.stor");
  TsdStorage storage;
  WriteStreamBytes(storage, "unsaved", "kept");
  storage.SetAutoSave(true);  // no file yet: the streams stay
  EXPECT_EQ(ReadStreamBytes(storage, "unsaved"), "kept");
  storage.SetFileName(path);  // in place: created on disk
  WriteStreamBytes(storage, "Index.xml", "on disk");
  const std::string before = ReadFile(path);
  storage.SaveToFile(folder.File("/doc.stor"));  // the file in place is always current
  EXPECT_EQ(ReadFile(path), before);
  storage.SaveToFile(folder.File("DOC.stor"));  // another file here
  EXPECT_EQ(OracleRead(folder.File("DOC.stor"), true).Content, (Streams{{"Index.xml", "on disk"}}));
  storage.OpenFile(folder.File("missing.stor"));  // empty, and nothing is created
  EXPECT_EQ(storage.GetStreamCount(), 0);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"DOC.stor", "doc.stor"}));
}

TEST(Storage, CallsFromTheDebugEventAreRefusedAndLeaveTheLockAsItWas) {
  TsdStorage storage;
  WriteStreamBytes(storage, "Index.xml", "abc");
  storage.OnDebugOut = [&](TPersistent*, const std::string&) { storage.StreamExists("Index.xml"); };
  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(storage, "Page0001.xml", "x"); }),
            "Warning: recursive call to sdStorage from event");
  storage.OnDebugOut = nullptr;
  EXPECT_EQ(ReadOnAnotherThread(storage, "Page0001.xml"), "x");
}
