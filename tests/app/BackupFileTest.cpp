// The archive component on archives built by hand: its properties, the five
// restore modes decided on file dates, the events with progress worked out
// by hand, full paths kept inside the target, and an archive on two volumes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <map>

#include "app/BackupFile.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/ArchiveBuilder.h"

namespace {

namespace fs = std::filesystem;
using apptest::Bytes;
using apptest::Pattern;
using apptest::TArchiveBuilder;
using apptest::TTwoVolumes;
using apptest::June2020;

std::time_t LocalTime(int year, int month, int day, int hour) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

std::time_t ModificationTime(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
  return status.st_mtime;
}

void SetModificationTime(const fs::path& path, std::time_t time) {
  const struct timespec times[2] = {{time, 0}, {time, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::string Contents(const fs::path& path) { return apptest::ReadBytes(path.string()); }
std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

struct BackupFileTest : ::testing::Test {
  fs::path Target() const { return Folder.Path() / "target"; }
  // Writes the archive into the test's folder and restores it.
  bool Restore(const Bytes& archive, const std::string& name = "archive.mqv") {
    apptest::WriteBytes(Folder.File(name), Text(archive));
    return Backup.Restore(Folder.File(name), Target().string());
  }
  std::map<std::string, std::string> TargetFiles() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(Target()))
      if (entry.is_regular_file()) files[fs::relative(entry.path(), Target()).string()] = Contents(entry.path());
    return files;
  }

  apptest::TTempFolder Folder;
  app::TBackupFile Backup;
};

TEST_F(BackupFileTest, PublishedPropertiesAndTheirCouplings) {
  EXPECT_EQ(Backup.GetVersion(), "5.00");
  Backup.SetVersion("6.00");
  EXPECT_EQ(Backup.GetVersion(), "5.00");
  EXPECT_EQ(Backup.GetBackupMode(), app::bmAll);
  EXPECT_EQ(Backup.CompressionLevel, app::clFastest);
  EXPECT_EQ(Backup.RestoreMode, app::rmAll);
  EXPECT_EQ(Backup.MaxSize, 0);
  EXPECT_FALSE(Backup.SetArchiveFlag || Backup.RestoreFullPath || Backup.SaveFileID);
  Backup.SetBackupMode(app::bmIncremental);
  EXPECT_TRUE(Backup.SetArchiveFlag);
  EXPECT_EQ(app::BackupErrorText(6), "Compression error");
  EXPECT_EQ(app::BackupErrorText(7), "Cannot create temporary file to save the file IDs");
  EXPECT_EQ(app::UnpackedFileDate(June2020), LocalTime(2020, 6, 15, 12));
  EXPECT_EQ(app::PackedFileDate(LocalTime(2020, 6, 15, 12)), June2020);
}

// In the target: "old.tp" older than the archive's entries, "new.tp"
// newer; "fresh.tp" is not there. Which of the three each mode restores:
TEST_F(BackupFileTest, EachRestoreModeDecidesOnTheDates) {
  const struct {
    app::TRestoreMode Mode;
    bool Old, New, Fresh;
  } modes[] = {
      {app::rmAll, true, true, true},       {app::rmNoOverwrite, false, false, true},
      {app::rmNewer, true, false, true},    {app::rmExisting, true, true, false},
      {app::rmExistingNewer, true, false, false},
  };
  TArchiveBuilder archive;
  archive.Header(30).Member("old.tp", Pattern(10, 1), June2020).Member("new.tp", Pattern(10, 2), June2020);
  archive.Member("fresh.tp", Pattern(10, 3), June2020).Int(0);
  for (const auto& mode : modes) {
    SCOPED_TRACE(mode.Mode);
    fs::remove_all(Target());
    fs::create_directories(Target());
    apptest::WriteBytes((Target() / "old.tp").string(), "before");
    apptest::WriteBytes((Target() / "new.tp").string(), "before");
    SetModificationTime(Target() / "old.tp", LocalTime(2019, 1, 1, 10));
    SetModificationTime(Target() / "new.tp", LocalTime(2021, 3, 1, 10));
    Backup.RestoreMode = mode.Mode;
    EXPECT_TRUE(Restore(archive.Data));
    const auto files = TargetFiles();
    EXPECT_EQ(files.at("old.tp"), mode.Old ? Text(Pattern(10, 1)) : "before");
    EXPECT_EQ(files.at("new.tp"), mode.New ? Text(Pattern(10, 2)) : "before");
    EXPECT_EQ(files.contains("fresh.tp"), mode.Fresh);
    EXPECT_EQ(Backup.GetFilesRestored(), int(mode.Old) + int(mode.New) + int(mode.Fresh));
    if (mode.Old) {
      EXPECT_EQ(ModificationTime(Target() / "old.tp"), LocalTime(2020, 6, 15, 12));
    }
    if (!mode.New) {
      EXPECT_EQ(ModificationTime(Target() / "new.tp"), LocalTime(2021, 3, 1, 10));
    }
  }
}

// Against a total of 40000: the skipped "FILE:LIST" counts 16384 (40 %),
// "a.tp" adds its 16384, 16384 and 7232 bytes (81, 122, 140 %), the vetoed
// entry is skipped, 16384 more (181 %), and the end reports 100 with no
// name. Skipping "a.tp" as well counts 16384 for each of its chunks.
TEST_F(BackupFileTest, EventsAndProgressPerChunk) {
  const Bytes data = Pattern(40000, 9);
  TArchiveBuilder archive;
  archive.Header(40000).Member("FILE:LIST", Pattern(5, 0)).Entry("C:\\labels\\a.tp", June2020);
  archive.Stored(Bytes(data.begin(), data.begin() + 16384)).Packed(Bytes(data.begin() + 16384, data.begin() + 32768));
  archive.Stored(Bytes(data.begin() + 32768, data.end())).Int(0).Member("vetoed.tp", Pattern(3, 4), 77).Int(0);

  std::vector<std::pair<std::string, int>> progress;
  std::vector<std::pair<std::string, std::int32_t>> asked;
  std::vector<std::pair<std::string, std::int64_t>> restored;
  Backup.OnProgress = [&](app::TBackupFile& sender, const std::string& name, int percent, bool&) {
    EXPECT_TRUE(sender.IsBusy());
    progress.emplace_back(fs::path(name).filename().string(), percent);
  };
  Backup.OnRestoreFile = [&](app::TBackupFile&, const std::string& name, std::int32_t date, bool& restore) {
    asked.emplace_back(name, date);
    if (name == "vetoed.tp") restore = false;
  };
  Backup.OnFileRestored = [&](app::TBackupFile&, const std::string& name, TStream& output) {
    restored.emplace_back(name, output.GetSize());
  };
  EXPECT_TRUE(Restore(archive.Data));
  EXPECT_FALSE(Backup.IsBusy());
  const std::vector<std::pair<std::string, int>> expected = {
      {"LIST", 40}, {"a.tp", 81}, {"a.tp", 122}, {"a.tp", 140}, {"vetoed.tp", 181}, {"", 100}};
  EXPECT_EQ(progress, expected);
  EXPECT_EQ(asked, (std::vector<std::pair<std::string, std::int32_t>>{{"C:\\labels\\a.tp", June2020}, {"vetoed.tp", 77}}));
  EXPECT_EQ(restored, (std::vector<std::pair<std::string, std::int64_t>>{{"C:\\labels\\a.tp", 40000}}));
  EXPECT_EQ(TargetFiles(), (std::map<std::string, std::string>{{"a.tp", Text(data)}}));
  EXPECT_EQ(Backup.GetTotalSize(), 40000);

  // Already there: skipped without writing, 16384 counted per chunk.
  progress.clear();
  Backup.RestoreMode = app::rmNoOverwrite;
  EXPECT_TRUE(Restore(archive.Data));
  EXPECT_EQ(progress[1], (std::pair<std::string, int>{"a.tp", 81}));
  EXPECT_EQ(progress[3], (std::pair<std::string, int>{"a.tp", 163}));
  EXPECT_EQ(Backup.GetFilesRestored(), 0);
}

TEST_F(BackupFileTest, StoppingAndErrors) {
  TArchiveBuilder archive;
  archive.Header(20000).Entry("a.tp").Stored(Pattern(10000, 1)).Stored(Pattern(10000, 2)).Int(0).Int(0);
  Backup.OnProgress = [](app::TBackupFile&, const std::string&, int percent, bool& proceed) { proceed = percent < 50; };
  EXPECT_FALSE(Restore(archive.Data));
  EXPECT_EQ(Contents(Target() / "a.tp"), Text(Pattern(10000, 1)));
  EXPECT_EQ(Backup.GetErrorCode(), 0);
  Backup.OnProgress = nullptr;

  // Not a zlib stream: code 6 through OnError, the member as far as written.
  TArchiveBuilder damaged;
  damaged.Header().Entry("b.tp").Stored(Pattern(100, 3)).Int(5).Text("hello").Int(0).Int(0);
  std::vector<std::pair<int, std::string>> errors;
  Backup.OnError = [&](app::TBackupFile&, int code, const std::string& text) { errors.emplace_back(code, text); };
  EXPECT_FALSE(Restore(damaged.Data));
  EXPECT_EQ(errors, (std::vector<std::pair<int, std::string>>{{6, "Compression error"}}));
  EXPECT_EQ(Contents(Target() / "b.tp"), Text(Pattern(100, 3)));

  // A missing archive: False, nothing reported.
  errors.clear();
  EXPECT_FALSE(Backup.Restore(Folder.File("missing.mqv"), Target().string()));
  EXPECT_TRUE(errors.empty());

  TArchiveBuilder wrongTag;
  wrongTag.Header().Name("c.tp").Int(0).Text(std::string("EC3\0", 4));
  EXPECT_THROW(Restore(wrongTag.Data), app::EArchiveError);
  EXPECT_FALSE(Backup.IsBusy());
}

TEST_F(BackupFileTest, FullPathsStayInsideTheTarget) {
  TArchiveBuilder archive;
  archive.Header().Member("C:\\labels\\sub\\a.tp", Pattern(4, 1)).Member("C:\\..\\..\\escaped.tp", Pattern(4, 2));
  archive.Member("C:/x/../../escaped.tp", Pattern(4, 3)).Member("D:\\b.tp", Pattern(4, 4));
  // No drive: the whole name, not the name less three characters.
  archive.Member("plain\\c.tp", Pattern(4, 5)).Member("\\\\server\\d.tp", Pattern(4, 6)).Int(0);
  Backup.RestoreFullPath = true;
  EXPECT_TRUE(Restore(archive.Data));
  EXPECT_EQ(TargetFiles(), (std::map<std::string, std::string>{{"labels/sub/a.tp", Text(Pattern(4, 1))},
                                                               {"b.tp", Text(Pattern(4, 4))},
                                                               {"plain/c.tp", Text(Pattern(4, 5))},
                                                               {"server/d.tp", Text(Pattern(4, 6))}}));
  // Without full paths only the file parts count.
  fs::remove_all(Target());
  Backup.RestoreFullPath = false;
  EXPECT_TRUE(Restore(archive.Data));
  EXPECT_EQ(TargetFiles().size(), 5u);
  EXPECT_TRUE(TargetFiles().contains("escaped.tp"));
  EXPECT_FALSE(fs::exists(Folder.Path() / "escaped.tp"));
  EXPECT_FALSE(fs::exists(Folder.Path().parent_path() / "escaped.tp"));
}

// A link inside the target may lead elsewhere: restoring through it must not
// make a single folder or file outside, while a link that stays inside works.
TEST_F(BackupFileTest, FullPathsNeverFollowALinkOutOfTheTarget) {
  const fs::path outside = Folder.Path() / "outside";
  fs::create_directories(outside);
  fs::create_directories(Target() / "real");
  fs::create_directory_symlink(outside, Target() / "out");
  fs::create_directory_symlink(Target() / "real", Target() / "in");
  TArchiveBuilder archive;
  archive.Header().Member("C:\\out\\deep\\er\\a.tp", Pattern(4, 1)).Member("C:\\out\\b.tp", Pattern(4, 2));
  archive.Member("C:\\in\\sub\\c.tp", Pattern(4, 3)).Int(0);
  Backup.RestoreFullPath = true;
  EXPECT_TRUE(Restore(archive.Data));
  EXPECT_TRUE(fs::is_empty(outside)) << "a folder or file was made through the link";
  EXPECT_EQ(Contents(Target() / "real" / "sub" / "c.tp"), Text(Pattern(4, 3)));
  EXPECT_EQ(Backup.GetFilesRestored(), 1);
}

TEST_F(BackupFileTest, TheAssignedStream) {
  TArchiveBuilder archive;
  archive.Header().Member("s.tp", Pattern(7, 5)).Int(0);
  TMemoryStream stream;
  stream.WriteBuffer("xx", 2);
  stream.WriteBuffer(archive.Data.data(), static_cast<std::int64_t>(archive.Data.size()));
  stream.SetPosition(2);
  Backup.Stream = &stream;
  EXPECT_TRUE(Backup.Restore(app::TBackupFile::StreamName, Target().string()));
  EXPECT_EQ(Contents(Target() / "s.tp"), Text(Pattern(7, 5)));
}

TEST_F(BackupFileTest, AnArchiveOnTwoVolumes) {
  const TTwoVolumes volumes;
  apptest::WriteBytes(Folder.File("disks.002"), Text(volumes.Second));
  std::vector<std::uint16_t> disks;
  Backup.OnNeedDisk = [&](app::TBackupFile&, std::uint16_t disk, bool&) { disks.push_back(disk); };
  std::vector<int> percents;
  Backup.OnProgress = [&](app::TBackupFile&, const std::string&, int percent, bool&) { percents.push_back(percent); };
  EXPECT_TRUE(Restore(volumes.First, "disks.mqv"));
  EXPECT_EQ(disks, std::vector<std::uint16_t>{2});
  // 16384, 20000 and 30000 of 30000 bytes, then the end.
  EXPECT_EQ(percents, (std::vector<int>{54, 66, 100, 100}));
  EXPECT_EQ(TargetFiles(), (std::map<std::string, std::string>{{"a.tp", Text(volumes.A)}, {"b.tp", Text(volumes.B)}}));
  EXPECT_EQ(Backup.GetFilesRestored(), 2);
  EXPECT_EQ(ModificationTime(Target() / "a.tp"), LocalTime(2020, 6, 15, 12));

  // The disk never comes: the event stops the walk.
  fs::remove_all(Target());
  fs::remove(Folder.File("disks.002"));
  Backup.OnNeedDisk = [&](app::TBackupFile&, std::uint16_t, bool& proceed) { proceed = false; };
  EXPECT_FALSE(Restore(volumes.First, "disks.mqv"));
  EXPECT_EQ(TargetFiles().at("a.tp").size(), 16384u);
}

TEST_F(BackupFileTest, AVolumeNameNamesNoOtherFolder) {
  TArchiveBuilder archive;
  archive.Header().Name("NEXT:DISK/..");
  Backup.OnNeedDisk = [](app::TBackupFile&, std::uint16_t, bool&) { FAIL() << "asked for a disk"; };
  EXPECT_THROW(Restore(archive.Data), app::EArchiveError);
}

}  // namespace
