// Streams of the container: writing, reading, deleting, renaming, names,
// file modes, the memory cache, the debug event and the lock.

#include "xml/Storage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <set>
#include <thread>

#include "platform/rtl/Format.h"
#include "tests/xml/StorageTestSupport.h"
#include "xml/StorageError.h"

using namespace storage_test;

namespace {

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no exception)";
}

}  // namespace

TEST(Storage, WritesReadsAndReplacesStreamsByNameWithoutRegardToCase) {
  TsdStorage storage;
  EXPECT_EQ(storage.GetStreamCount(), 0);
  WriteStreamBytes(storage, "Index.xml", "first");
  WriteStreamBytes(storage, "index.XML", "second, longer");
  EXPECT_EQ(storage.GetStreamCount(), 1);
  EXPECT_TRUE(storage.StreamExists("INDEX.xml"));
  EXPECT_FALSE(storage.StreamExists("Index.xm"));
  EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), "second, longer");
  WriteStreamBytes(storage, "Index.xml", "");
  EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), "");
  EXPECT_EQ(storage.GetStreamName(0), "index.XML");
  EXPECT_EQ(storage.GetStreamName(1), "");
  EXPECT_EQ(storage.GetStreamName(-1), "");
}

TEST(Storage, ReadStreamReplacesTheDestinationAndRewindsIt) {
  TsdStorage storage;
  WriteStreamBytes(storage, "a", "abc");
  BytesStream dest("a much longer previous content");
  dest.SetPosition(5);
  storage.ReadStream("a", dest);
  EXPECT_EQ(dest.GetPosition(), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(dest.Memory()), dest.GetSize()), "abc");
}

TEST(Storage, AMissingStreamRaisesAndLeavesTheContainerUsable) {
  TsdStorage storage;
  WriteStreamBytes(storage, "Index.xml", "kept");
  TMemoryStream dest;
  EXPECT_EQ(MessageOf([&] { storage.ReadStream("Page0001.xml", dest); }),
            "Stream \"Page0001.xml\" not found in the storage");
  EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), "kept");
  // The lock was released: another thread gets in.
  auto other = std::async(std::launch::async, [&] { return storage.StreamExists("Index.xml"); });
  ASSERT_EQ(other.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(other.get());
}

TEST(Storage, DeletingEveryStreamInPlaceKeepsTheHeaderAndDirectory) {
  ScratchFolder folder;
  const std::string path = folder.File("empty.stor");
  TsdStorage storage;
  storage.OpenFileInPlace(path);
  WriteStreamBytes(storage, "Index.xml", Pattern(300, 1));
  WriteStreamBytes(storage, "Page0001.xml", Pattern(30, 2));
  storage.DeleteStream("nothing");  // unknown: nothing happens
  EXPECT_EQ(storage.GetStreamCount(), 2);
  storage.DeleteStream("page0001.xml");
  OracleContainer read = OracleRead(path, false);
  ASSERT_EQ(read.Entries.size(), 1u);
  EXPECT_EQ(read.Entries[0].Data, Pattern(300, 1));
  // The store ends with the last stream.
  EXPECT_EQ(static_cast<std::int64_t>(ReadFile(path).size()), read.Entries[0].Position + 300);

  storage.DeleteStream("Index.xml");
  const std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 18u);  // header, offset and an empty directory
  EXPECT_EQ(bytes.substr(0, 4), "STOR");
  read = OracleRead(path, false);
  EXPECT_EQ(read.DirectoryOffset, 14);
  EXPECT_TRUE(read.Entries.empty());

  TsdStorage again;
  again.OpenFile(path);
  EXPECT_EQ(again.GetStreamCount(), 0);
}

TEST(Storage, RenamingNeverMakesTwoStreamsOfOneName) {
  TsdStorage storage;
  WriteStreamBytes(storage, "Page0001.xml", "one");
  WriteStreamBytes(storage, "Page0002.xml", "two");
  EXPECT_EQ(MessageOf([&] { storage.RenameStream("Page0002.xml", "PAGE0001.XML"); }),
            "Stream \"PAGE0001.XML\" already exists in the storage");
  EXPECT_EQ(ReadStreamBytes(storage, "Page0001.xml"), "one");
  EXPECT_EQ(ReadStreamBytes(storage, "Page0002.xml"), "two");

  storage.RenameStream("Page0003.xml", "Page0004.xml");  // unknown: nothing
  storage.RenameStream("page0002.xml", "PAGE0002.xml");  // a stream may change its own case
  EXPECT_EQ(storage.GetStreamName(1), "PAGE0002.xml");

  // Deleting page 1 and renumbering the later streams, as a document does.
  storage.DeleteStream("Page0001.xml");
  storage.RenameStream("Page0002.xml", "Page0001.xml");
  storage.RenameStream("Page0003.xml", "Page0002.xml");
  EXPECT_EQ(storage.GetStreamCount(), 1);
  EXPECT_EQ(ReadStreamBytes(storage, "Page0001.xml"), "two");
}

TEST(Storage, RenamedStreamsSurviveASave) {
  TsdStorage storage;
  WriteStreamBytes(storage, "old", Pattern(1000, 3));
  storage.RenameStream("old", std::string(600, 'n'));  // the directory grows past the first stream
  TMemoryStream saved;
  storage.SaveToStream(saved);
  TsdStorage loaded;
  loaded.LoadFromStream(saved);
  EXPECT_EQ(ReadStreamBytes(loaded, std::string(600, 'n')), Pattern(1000, 3));
}

TEST(Storage, TemporaryStreamNames) {
  TsdStorage storage;
  const auto wellFormed = [](const std::string& name) {
    return name.size() == 14 && name.starts_with("TMP") && name.ends_with(".jpg") &&
           std::all_of(name.begin() + 3, name.begin() + 10, [](char c) { return c >= '0' && c <= '9'; });
  };
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    const std::string name = storage.NewTempStreamName(".jpg");
    EXPECT_TRUE(wellFormed(name)) << name;
    EXPECT_FALSE(storage.StreamExists(name));
    EXPECT_TRUE(seen.insert(name).second);
    WriteStreamBytes(storage, name, "x");
  }
  EXPECT_TRUE(TsdStorage::IsTempName("TMP0000000.jpg"));
  EXPECT_TRUE(TsdStorage::IsTempName("TMP"));
  EXPECT_FALSE(TsdStorage::IsTempName("tmp0000000.jpg"));
  EXPECT_FALSE(TsdStorage::IsTempName("TM"));
  EXPECT_FALSE(TsdStorage::IsTempName("Index.xml"));
}

TEST(Storage, SourceFileStreamsAreCopiedOnDemandAndSavedElsewhere) {
  ScratchFolder folder;
  const std::string source = folder.File("source.stor");
  OracleWrite(source, {{"Index.xml", Pattern(70, 1)}, {"Page0001.xml", Pattern(90, 2)}});
  const std::string original = ReadFile(source);
  TsdStorage storage;
  storage.OpenFile(source);
  EXPECT_EQ(storage.GetFileName(), source);
  WriteStreamBytes(storage, "Page0002.xml", Pattern(20, 3));
  WriteStreamBytes(storage, "Index.xml", Pattern(10, 4));
  storage.SaveToFile(folder.File("copy.stor"));
  EXPECT_EQ(ReadFile(source), original);  // the source is never written
  EXPECT_EQ(storage.GetFileName(), source);

  const OracleContainer copy = OracleRead(folder.File("copy.stor"), true);
  ASSERT_EQ(copy.Entries.size(), 3u);
  EXPECT_EQ(copy.Entries[0].Data, Pattern(10, 4));
  EXPECT_EQ(copy.Entries[1].Data, Pattern(90, 2));
  EXPECT_EQ(copy.Entries[2].Data, Pattern(20, 3));
}

TEST(Storage, SavingOverTheSourceTakesItsStreamsOverFirst) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.stor");
  OracleWrite(path, {{"Index.xml", Pattern(70, 1)}, {"Page0001.xml", Pattern(90, 2)}});
  TsdStorage storage;
  storage.OpenFile(path);
  WriteStreamBytes(storage, "Page0002.xml", Pattern(20, 3));
  storage.SaveToFile(folder.Path() + "/./doc.stor");  // another spelling of the same file
  EXPECT_EQ(storage.GetFileName(), "");
  EXPECT_EQ(folder.List(), std::vector<std::string>{"doc.stor"});
  const OracleContainer saved = OracleRead(path, true);
  ASSERT_EQ(saved.Entries.size(), 3u);
  EXPECT_EQ(saved.Entries[1].Data, Pattern(90, 2));
  // The container no longer depends on the file it replaced.
  EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), Pattern(70, 1));
  EXPECT_EQ(ReadStreamBytes(storage, "Page0002.xml"), Pattern(20, 3));
}

TEST(Storage, SavingToTheFileOpenInPlaceDoesNothing) {
  ScratchFolder folder;
  const std::string path = folder.File("inplace.stor");
  TsdStorage storage;
  storage.OpenFileInPlace(path);
  WriteStreamBytes(storage, "Index.xml", "abc");
  const std::string before = ReadFile(path);
  storage.SaveToFile(folder.Path() + "//inplace.stor");
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(OracleRead(path, false).DirectoryOffset, 14);
  // A file that differs only by letter case is another file here.
  storage.SaveToFile(folder.File("INPLACE.stor"));
  EXPECT_EQ(OracleRead(folder.File("INPLACE.stor"), true).Entries.at(0).Data, "abc");
}

TEST(Storage, OpeningAMissingFileGivesAnEmptyContainer) {
  ScratchFolder folder;
  TsdStorage storage;
  WriteStreamBytes(storage, "old", "x");
  storage.OpenFile(folder.File("missing.stor"));
  EXPECT_EQ(storage.GetStreamCount(), 0);
  EXPECT_EQ(storage.GetFileName(), folder.File("missing.stor"));
  EXPECT_TRUE(folder.List().empty());

  storage.OpenFileInPlace(folder.File("new.stor"));
  const OracleContainer created = OracleRead(folder.File("new.stor"), false);
  EXPECT_EQ(created.DirectoryOffset, 14);
  EXPECT_TRUE(created.Entries.empty());
}

TEST(Storage, FileNameAndAutoSaveChooseTheMode) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.stor");
  TsdStorage storage;
  WriteStreamBytes(storage, "unsaved", "kept");
  storage.SetAutoSave(true);  // no file yet: the streams stay
  EXPECT_TRUE(storage.GetAutoSave());
  EXPECT_EQ(ReadStreamBytes(storage, "unsaved"), "kept");

  storage.SetFileName(path);  // in place: created on disk
  EXPECT_EQ(storage.GetFileName(), path);
  WriteStreamBytes(storage, "Index.xml", "on disk");
  EXPECT_EQ(OracleRead(path, false).Entries.at(0).Data, "on disk");

  storage.SetAutoSave(false);  // reopened as a read-only source
  EXPECT_EQ(storage.GetFileName(), path);
  WriteStreamBytes(storage, "Index.xml", "in memory");
  EXPECT_EQ(OracleRead(path, false).Entries.at(0).Data, "on disk");
  EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), "in memory");
}

TEST(Storage, ClearEmptiesEverything) {
  ScratchFolder folder;
  TsdStorage storage;
  storage.OpenFileInPlace(folder.File("doc.stor"));
  WriteStreamBytes(storage, "a", "b");
  storage.Clear();
  EXPECT_EQ(storage.GetStreamCount(), 0);
  EXPECT_EQ(storage.GetFileName(), "");
  WriteStreamBytes(storage, "c", "d");
  EXPECT_EQ(OracleRead(folder.File("doc.stor"), false).Entries.at(0).Name, "a");
}

TEST(Storage, ManyStreamsRoundTripThroughAStream) {
  TsdStorage storage;
  for (int i = 0; i < 300; ++i) WriteStreamBytes(storage, rtl::Format("Page%d", i), Pattern(i * 37 % 900, i));
  for (int i = 0; i < 300; i += 3) storage.DeleteStream(rtl::Format("Page%d", i));
  for (int i = 1; i < 300; i += 3) WriteStreamBytes(storage, rtl::Format("Page%d", i), Pattern(i % 1300, i + 1));
  TMemoryStream saved;
  storage.SaveToStream(saved);
  TsdStorage loaded;
  loaded.LoadFromStream(saved);
  EXPECT_EQ(loaded.GetStreamCount(), 200);
  for (int i = 0; i < 300; ++i) {
    const std::string name = rtl::Format("Page%d", i);
    if (i % 3 == 0) EXPECT_FALSE(loaded.StreamExists(name));
    else EXPECT_EQ(ReadStreamBytes(loaded, name), Pattern(i % 3 == 1 ? i % 1300 : i * 37 % 900, i % 3 == 1 ? i + 1 : i));
  }
}

TEST(Storage, TheDebugEventGetsTraceLinesAndCallsBackAreRefused) {
  TsdStorage storage;
  std::vector<std::string> lines;
  storage.OnDebugOut = [&](TPersistent* sender, const std::string& text) {
    EXPECT_EQ(sender, &storage);
    lines.push_back(text);
  };
  WriteStreamBytes(storage, "Index.xml", "abc");
  storage.DeleteStream("Index.xml");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Stream \"Index.xml\" written at 524 (3 bytes)");
  EXPECT_EQ(lines[1], "Stream \"Index.xml\" deleted");

  storage.OnDebugOut = [&](TPersistent*, const std::string&) { storage.StreamExists("Index.xml"); };
  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(storage, "Page0001.xml", "x"); }),
            "Warning: recursive call to sdStorage from event");
  storage.OnDebugOut = nullptr;
  // The refused call left the lock and the busy flag as they were.
  EXPECT_EQ(ReadStreamBytes(storage, "Page0001.xml"), "x");
  auto other = std::async(std::launch::async, [&] { return storage.GetStreamCount(); });
  ASSERT_EQ(other.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(other.get(), 1);
}

TEST(Storage, OtherThreadsWaitInsteadOfBeingRefused) {
  TsdStorage storage;
  std::future<bool> other;
  std::atomic<bool> handlerDone = false;
  storage.OnDebugOut = [&](TPersistent*, const std::string&) {
    if (other.valid()) return;
    other = std::async(std::launch::async, [&] {
      WriteStreamBytes(storage, "other", "y");
      return handlerDone.load();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    handlerDone = true;
  };
  WriteStreamBytes(storage, "first", "x");
  ASSERT_TRUE(other.valid());
  EXPECT_TRUE(other.get());  // it ran only once the first operation had ended
  storage.OnDebugOut = nullptr;
  EXPECT_EQ(ReadStreamBytes(storage, "other"), "y");
}

TEST(Storage, ThreadsShareOneContainer) {
  TsdStorage storage;
  std::vector<std::thread> threads;
  std::atomic<int> mismatches = 0;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 40; ++i) {
        const std::string name = rtl::Format("T%d_%d", t, i % 5);
        const std::string data = Pattern(100 + i * 13, t * 100 + i);
        WriteStreamBytes(storage, name, data);
        if (ReadStreamBytes(storage, name) != data) ++mismatches;
        if (i % 7 == 6) storage.DeleteStream(name);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(storage.GetStreamCount(), 4 * 5);
}
