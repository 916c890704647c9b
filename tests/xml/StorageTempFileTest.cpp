// Temporary files: the backing store's, and the one a save writes before it
// replaces the old file. None is ever left behind, and a failed save leaves
// the old file as it was.

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/xml/StorageTestSupport.h"
#include "xml/Storage.h"
#include "xml/StorageError.h"

using namespace storage_test;

namespace {

namespace fs = std::filesystem;

// Points TMPDIR at a fresh folder for the test and back afterwards.
class StorageTempFiles : public testing::Test {
protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    if (old != nullptr) OldTmpDir = old;
    HadTmpDir = old != nullptr;
    TempDir = Scratch.File("tmp");
    fs::create_directory(TempDir);
    ::setenv("TMPDIR", TempDir.c_str(), 1);
  }
  void TearDown() override {
    if (HadTmpDir) ::setenv("TMPDIR", OldTmpDir.c_str(), 1);
    else ::unsetenv("TMPDIR");
  }

  // Files still open by this process that were deleted from the temp folder.
  std::size_t OpenDeletedTempFiles() const {
    std::size_t count = 0;
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      const std::string target = fs::read_symlink(fd.path(), error).string();
      if (!error && target.rfind(TempDir + "/~TMP", 0) == 0 && target.ends_with(" (deleted)")) ++count;
    }
    return count;
  }

  std::size_t FilesInTempDir() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(TempDir), fs::directory_iterator()));
  }

  ScratchFolder Scratch;
  std::string TempDir;
  std::string OldTmpDir;
  bool HadTmpDir = false;
};

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no exception)";
}

}  // namespace

TEST_F(StorageTempFiles, AGrowingStoreMovesToAnUnlinkedTemporaryFile) {
  {
    TsdStorage storage;
    std::vector<std::string> lines;
    storage.OnDebugOut = [&](TPersistent*, const std::string& text) { lines.push_back(text); };
    storage.SetMemoryCache(4096);
    WriteStreamBytes(storage, "a", Pattern(3000, 1));
    EXPECT_EQ(OpenDeletedTempFiles(), 0u);
    WriteStreamBytes(storage, "b", Pattern(3000, 2));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Backing store moved to a temporary file at 6524 bytes"),
              lines.end());
    EXPECT_EQ(OpenDeletedTempFiles(), 1u);
    EXPECT_EQ(FilesInTempDir(), 0u);
    WriteStreamBytes(storage, "c", Pattern(100000, 3));
    storage.DeleteStream("a");
    EXPECT_EQ(ReadStreamBytes(storage, "b"), Pattern(3000, 2));
    EXPECT_EQ(ReadStreamBytes(storage, "c"), Pattern(100000, 3));
    storage.SaveToFile(Scratch.File("doc.stor"));
    EXPECT_EQ(OracleRead(Scratch.File("doc.stor"), true).Entries.size(), 2u);
    storage.Clear();
    EXPECT_EQ(OpenDeletedTempFiles(), 0u);
    WriteStreamBytes(storage, "d", Pattern(5000, 4));
    EXPECT_EQ(OpenDeletedTempFiles(), 1u);
  }
  EXPECT_EQ(OpenDeletedTempFiles(), 0u);
  EXPECT_EQ(FilesInTempDir(), 0u);
}

TEST_F(StorageTempFiles, LoweringTheMemoryCacheMovesTheStoreAtOnce) {
  TsdStorage storage;
  WriteStreamBytes(storage, "a", Pattern(10000, 1));
  EXPECT_EQ(storage.GetMemoryCache(), 10485760);
  EXPECT_EQ(OpenDeletedTempFiles(), 0u);
  storage.SetMemoryCache(1000);
  EXPECT_EQ(storage.GetMemoryCache(), 1000);
  EXPECT_EQ(OpenDeletedTempFiles(), 1u);
  EXPECT_EQ(ReadStreamBytes(storage, "a"), Pattern(10000, 1));
}

TEST_F(StorageTempFiles, FailingToCreateATemporaryFileKeepsTheContainer) {
  WriteFile(Scratch.File("not-a-folder"), "x");
  ::setenv("TMPDIR", Scratch.File("not-a-folder").c_str(), 1);
  TsdStorage storage;
  storage.SetMemoryCache(10000);
  WriteStreamBytes(storage, "Index.xml", Pattern(1000, 1));
  WriteStreamBytes(storage, "Page0001.xml", Pattern(1000, 2));

  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(storage, "Page0002.xml", Pattern(20000, 3)); }),
            "Unable to create temporary file");
  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(storage, "Index.xml", Pattern(20000, 3)); }),
            "Unable to create temporary file");
  EXPECT_EQ(MessageOf([&] { storage.SetMemoryCache(10); }), "Unable to create temporary file");
  EXPECT_EQ(storage.GetMemoryCache(), 10000);

  EXPECT_EQ(storage.GetStreamCount(), 2);
  EXPECT_FALSE(storage.StreamExists("Page0002.xml"));
  EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), Pattern(1000, 1));
  EXPECT_EQ(ReadStreamBytes(storage, "Page0001.xml"), Pattern(1000, 2));
  WriteStreamBytes(storage, "Page0002.xml", Pattern(500, 4));
  EXPECT_EQ(ReadStreamBytes(storage, "Page0002.xml"), Pattern(500, 4));

  // A directory that grows into the first stream must move it; when that
  // move cannot get room, the rename or write is undone as a whole.
  TsdStorage small;
  small.SetMemoryCache(2000);
  WriteStreamBytes(small, "A", Pattern(1000, 6));
  const std::string longName(600, 'n');
  EXPECT_EQ(MessageOf([&] { small.RenameStream("A", longName); }), "Unable to create temporary file");
  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(small, longName, ""); }), "Unable to create temporary file");
  EXPECT_EQ(small.GetStreamCount(), 1);
  EXPECT_EQ(small.GetStreamName(0), "A");
  EXPECT_EQ(ReadStreamBytes(small, "A"), Pattern(1000, 6));

  // Once the temporary folder is back, the same write goes through.
  ::setenv("TMPDIR", TempDir.c_str(), 1);
  WriteStreamBytes(storage, "Page0003.xml", Pattern(20000, 5));
  EXPECT_EQ(ReadStreamBytes(storage, "Page0003.xml"), Pattern(20000, 5));
  EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), Pattern(1000, 1));
}

TEST_F(StorageTempFiles, ASaveLeavesOnlyTheTargetInItsFolder) {
  ScratchFolder folder;
  const std::size_t filesBefore = FilesInTempDir();
  TsdStorage storage;
  WriteStreamBytes(storage, "Index.xml", "abc");
  storage.SaveToFile(folder.File("doc.stor"));
  storage.SaveToFile(folder.File("doc.stor"));
  EXPECT_EQ(folder.List(), std::vector<std::string>{"doc.stor"});
  EXPECT_EQ(FilesInTempDir(), filesBefore);

  EXPECT_THROW(storage.SaveToFile(folder.File("missing/doc.stor")), EFCreateError);
  EXPECT_EQ(folder.List(), std::vector<std::string>{"doc.stor"});
}

TEST_F(StorageTempFiles, ASaveKeepsPermissionsAndLinks) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.stor");
  WriteFile(path, "old content");
  ::chmod(path.c_str(), 0640);
  fs::create_symlink(path, folder.File("link.stor"));
  TsdStorage storage;
  WriteStreamBytes(storage, "Index.xml", "abc");
  storage.SaveToFile(folder.File("link.stor"));
  EXPECT_TRUE(fs::is_symlink(folder.File("link.stor")));
  EXPECT_EQ(OracleRead(path, true).Entries.at(0).Data, "abc");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"doc.stor", "link.stor"}));
}

TEST_F(StorageTempFiles, AWriteFailingAtAnyByteLeavesTheOldFileWhole) {
  ScratchFolder folder;
  const std::string path = folder.File("doc.stor");
  OracleWrite(path, {{"Index.xml", Pattern(120, 1)}, {"Page0001.xml", Pattern(90, 2)}});
  const std::string original = ReadFile(path);

  const auto openAndChange = [&](TsdStorage& storage) {
    storage.OpenFile(path);
    WriteStreamBytes(storage, "Page0002.xml", Pattern(70, 3));
  };
  TMemoryStream expected;
  {
    TsdStorage storage;
    openAndChange(storage);
    storage.SaveToStream(expected);
  }

  // Writes past the file size limit fail with EFBIG, as on a full disk.
  struct sigaction ignore {}, old {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &old);
  rlimit unlimited{};
  ::getrlimit(RLIMIT_FSIZE, &unlimited);
  for (rlim_t limit = 0; limit < static_cast<rlim_t>(expected.GetSize()); ++limit) {
    TsdStorage storage;
    openAndChange(storage);
    rlimit limited = unlimited;
    limited.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const std::string message = MessageOf([&] { storage.SaveToFile(path); });
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    EXPECT_EQ(message, "Stream write error") << limit;
    ASSERT_EQ(ReadFile(path), original) << limit;
    ASSERT_EQ(folder.List(), std::vector<std::string>{"doc.stor"}) << limit;
    // The container lost nothing either.
    EXPECT_EQ(ReadStreamBytes(storage, "Index.xml"), Pattern(120, 1));
    EXPECT_EQ(ReadStreamBytes(storage, "Page0002.xml"), Pattern(70, 3));
  }
  ::sigaction(SIGXFSZ, &old, nullptr);

  TsdStorage storage;
  openAndChange(storage);
  storage.SaveToFile(path);
  EXPECT_EQ(ReadFile(path), std::string(reinterpret_cast<const char*>(expected.Memory()), expected.GetSize()));
}
