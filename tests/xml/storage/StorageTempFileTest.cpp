// Temporary files: the backing store's, and the one a save writes before it
// replaces the old file. None is ever left behind, and a failed save leaves
// the old file as it was.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "tests/xml/TestSupport.h"
#include "xml/storage/Storage.h"
#include "xml/storage/StorageError.h"

using namespace xmltest;
namespace fs = std::filesystem;

namespace {

// Points TMPDIR at a fresh folder "tmp" in the scratch folder.
class StorageTempFiles : public testing::Test {
protected:
  StorageTempFiles() { fs::create_directory(TempDir); }
  // Files of the temporary folder still open by this process though unlinked.
  std::size_t OpenDeletedTempFiles() const {
    std::size_t count = 0;
    for (const auto& fd : fs::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      const std::string target = fs::read_symlink(fd.path(), error).string();
      count += !error && target.starts_with(TempDir + "/~TMP") && target.ends_with(" (deleted)");
    }
    return count;
  }

  ScratchFolder Scratch;
  const std::string TempDir = Scratch.File("tmp");
  ScopedEnv Env{"TMPDIR", TempDir};
};

}  // namespace

TEST_F(StorageTempFiles, AGrowingStoreMovesToAnUnlinkedTemporaryFileAndNothingIsLeftBehind) {
  auto storage = std::make_unique<TsdStorage>();
  WriteStreamBytes(*storage, "a", Pattern(3000, 1));
  WriteStreamBytes(*storage, "b", Pattern(100000, 2));
  EXPECT_EQ(OpenDeletedTempFiles(), 0u);
  storage->SetMemoryCache(4096);  // lowering the cache moves the store at once
  EXPECT_EQ(OpenDeletedTempFiles(), 1u);
  WriteStreamBytes(*storage, "c", Pattern(3000, 3));
  storage->DeleteStream("a");
  storage->SaveToFile(Scratch.File("doc.stor"));
  storage->SaveToFile(Scratch.File("doc.stor"));
  EXPECT_EQ(OracleRead(Scratch.File("doc.stor"), true).Content,
            (Streams{{"b", Pattern(100000, 2)}, {"c", Pattern(3000, 3)}}));
  EXPECT_EQ(Scratch.List(), (std::vector<std::string>{"doc.stor", "tmp"}));
  storage->Clear();
  EXPECT_EQ(OpenDeletedTempFiles(), 0u);
  WriteStreamBytes(*storage, "d", Pattern(5000, 4));  // growing past the cache moves it again
  EXPECT_EQ(OpenDeletedTempFiles(), 1u);
  storage.reset();
  EXPECT_EQ(OpenDeletedTempFiles(), 0u);
  EXPECT_TRUE(fs::is_empty(TempDir));
}

TEST_F(StorageTempFiles, FailingToCreateATemporaryFileKeepsTheContainer) {
  WriteFile(Scratch.File("not-a-folder"), "x");
  std::optional<ScopedEnv> broken(std::in_place, "TMPDIR", Scratch.File("not-a-folder"));
  TsdStorage storage;
  storage.SetMemoryCache(10000);
  WriteStreamBytes(storage, "Index.xml", Pattern(1000, 1));
  const std::string message = "Unable to create temporary file";
  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(storage, "Page0001.xml", Pattern(20000, 3)); }), message);
  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(storage, "Index.xml", Pattern(20000, 3)); }), message);
  EXPECT_EQ(MessageOf([&] { storage.SetMemoryCache(10); }), message);
  EXPECT_EQ(storage.GetMemoryCache(), 10000);
  // A directory that grows into the first stream must move it; when that
  // move cannot get room, the rename or write is undone as a whole.
  storage.SetMemoryCache(2000);
  EXPECT_EQ(MessageOf([&] { storage.RenameStream("Index.xml", std::string(600, 'n')); }), message);
  EXPECT_EQ(MessageOf([&] { WriteStreamBytes(storage, std::string(600, 'n'), ""); }), message);
  EXPECT_EQ(StreamsOf(storage), (Streams{{"Index.xml", Pattern(1000, 1)}}));
  broken.reset();  // once the temporary folder is back, the same write goes through
  WriteStreamBytes(storage, "Page0001.xml", Pattern(20000, 5));
  EXPECT_EQ(ReadStreamBytes(storage, "Page0001.xml"), Pattern(20000, 5));
}

// The save goes through a link to a file of restricted permissions, which
// both stay as they were.
TEST_F(StorageTempFiles, ASaveFailingAtAnyByteLeavesTheOldFileWholeAndKeepsLinksAndPermissions) {
  const std::string path = Scratch.File("doc.stor"), link = Scratch.File("link.stor");
  OracleWrite(path, {{"Index.xml", Pattern(120, 1)}, {"Page0001.xml", Pattern(90, 2)}});
  const std::string original = ReadFile(path);
  fs::permissions(path, fs::perms(0640));
  fs::create_symlink(path, link);
  // Writes past the file size limit fail with EFBIG, as on a full disk.
  struct sigaction ignore {}, old {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &old);
  rlimit unlimited{};
  ::getrlimit(RLIMIT_FSIZE, &unlimited);
  for (rlim_t limit = 0;; ++limit) {
    TsdStorage storage;
    storage.OpenFile(path);
    WriteStreamBytes(storage, "Page0002.xml", Pattern(70, 3));
    rlimit limited = unlimited;
    limited.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const std::string message = MessageOf([&] { storage.SaveToFile(link); });
    ::setrlimit(RLIMIT_FSIZE, &unlimited);
    ASSERT_EQ(Scratch.List(), (std::vector<std::string>{"doc.stor", "link.stor", "tmp"})) << limit;
    EXPECT_EQ(ReadStreamBytes(storage, "Page0002.xml"), Pattern(70, 3)) << "the container lost nothing";
    if (message == "no error") {
      EXPECT_EQ(OracleRead(path, true).Content, (Streams{{"Index.xml", Pattern(120, 1)},
                                                         {"Page0001.xml", Pattern(90, 2)},
                                                         {"Page0002.xml", Pattern(70, 3)}}));
      EXPECT_EQ(limit, 120 + 90 + 70 + 73 + 3 * 20 + 9 + 12 + 12) << "a save failed only when the file was cut";
      EXPECT_TRUE(fs::is_symlink(link));
      EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
      EXPECT_THROW(storage.SaveToFile(Scratch.File("missing/doc.stor")), EFCreateError);
      EXPECT_TRUE(fs::is_empty(TempDir));
      break;
    }
    EXPECT_EQ(message, "Stream write error") << limit;
    ASSERT_EQ(ReadFile(path), original) << limit;
  }
  ::sigaction(SIGXFSZ, &old, nullptr);
}
