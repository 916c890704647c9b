// Streams of the container: names, file modes, saving over the source, the
// debug event and the lock.

#include "xml/Storage.h"

#include <gtest/gtest.h>

#include <future>

#include "platform/rtl/Format.h"
#include "tests/xml/TestSupport.h"

using namespace xmltest;

namespace {

// Runs the action on another thread: it must get the lock within seconds.
template <class Action>
auto OnAnotherThread(Action action) {
  auto other = std::async(std::launch::async, action);
  EXPECT_EQ(other.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the lock was kept";
  return other.get();
}

}  // namespace

TEST(Storage, StreamsByNameWithoutRegardToCase) {
  TsdStorage storage;
  WriteStreamBytes(storage, "Index.xml", "first");
  WriteStreamBytes(storage, "index.XML", "second, longer");
  EXPECT_EQ(storage.GetStreamCount(), 1);
  EXPECT_EQ(storage.GetStreamName(0), "index.XML");
  EXPECT_EQ(storage.GetStreamName(1), "");
  BytesStream dest("a much longer previous content");
  storage.ReadStream("INDEX.xml", dest);
  EXPECT_EQ(Text(dest), "second, longer");
  EXPECT_EQ(MessageOf([&] { storage.ReadStream("Page0001.xml", dest); }),
            "Stream \"Page0001.xml\" not found in the storage");
  EXPECT_EQ(OnAnotherThread([&] { return ReadStreamBytes(storage, "Index.xml"); }), "second, longer");
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
  EXPECT_EQ(storage.GetStreamName(1), "PAGE0002.xml");
  storage.RenameStream("Page0001.xml", std::string(600, 'n'));  // the directory grows past the first stream
  TMemoryStream saved;
  storage.SaveToStream(saved);
  TsdStorage loaded;
  loaded.LoadFromStream(saved);
  EXPECT_EQ(StreamsOf(loaded), (Streams{{std::string(600, 'n'), "one"}, {"PAGE0002.xml", "two"}}));
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
  const Streams expected = {{"Index.xml", Pattern(10, 4)}, {"Page0001.xml", Pattern(90, 2)}, {"Page0002.xml", Pattern(20, 3)}};
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
  std::vector<std::string> lines;
  storage.OnDebugOut = [&](TPersistent*, const std::string& text) { lines.push_back(text); };
  WriteStreamBytes(storage, "Index.xml", "abc");
  EXPECT_EQ(lines, std::vector<std::string>{"Stream \"Index.xml\" written at 524 (3 bytes)"});
  storage.OnDebugOut = [&](TPersistent*, const std::string&) { storage.StreamExists("Index.xml"); };
  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(storage, "Page0001.xml", "x"); }),
            "Warning: recursive call to sdStorage from event");
  storage.OnDebugOut = nullptr;
  EXPECT_EQ(OnAnotherThread([&] { return ReadStreamBytes(storage, "Page0001.xml"); }), "x");
}
